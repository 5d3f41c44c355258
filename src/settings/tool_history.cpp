// tool_history.cpp: states of the tool's edited keys and their history file.
//
// The history holds up to history::kLimit states for each tool folder, in
// sections "T<folder hash>-<slot>" (slots 1 to kLimit), each with the time,
// folder, tool kind and order number of the state, one entry per edited key
// ("+" and the text, or "-" for a key the file lacked) and a check over all
// of them, so that a cut or hand-edited state is known and never applied.
#include "settings/tool_history.h"

#include <algorithm>
#include <cstdint>
#include <ctime>

#include "platform/codepage.h"
#include "platform/host.h"
#include "platform/file_search.h"
#include "platform/profile_store.h"
#include "settings/font_record.h"
#include "settings/own_settings.h"
#include "settings/profile.h"
#include "settings/tool_config.h"

namespace qlm {

namespace {

constexpr char kTime[] = "Time";
constexpr char kFolder[] = "Folder";
constexpr char kKind[] = "Kind";
constexpr char kNumber[] = "Number";
constexpr char kCheck[] = "Check";

std::uint32_t Fnv(std::string_view text, std::uint32_t hash = 2166136261u) {
  for (const char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  return hash;
}

std::string Hex(std::uint32_t value) { return platform::HexText(value, 8); }

// The folder's sections share this prefix; folders that differ only in case
// of their ASCII letters share it too, as they name the same folder.
std::string SectionPrefix(const std::string& folder) {
  std::string upper = folder;
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return "T" + Hex(Fnv(upper)) + "-";
}

std::string EntryName(const config::KeyName& key) { return std::string(key.section) + "." + key.name; }

std::string Entry(const std::optional<std::string>& value) { return value ? "+" + *value : "-"; }

// The entries of a state's section, the check last.
std::vector<std::pair<std::string, std::string>> Entries(const ToolState& state, long number) {
  std::vector<std::pair<std::string, std::string>> entries = {
      {kTime, state.time},
      {kFolder, state.folder},
      {kKind, std::to_string(static_cast<int>(state.kind))},
      {kNumber, std::to_string(number)},
  };
  for (std::size_t i = 0; i < config::kEditedKeys.size(); ++i)
    entries.emplace_back(EntryName(config::kEditedKeys[i]), Entry(state.values[i]));
  std::uint32_t check = 2166136261u;
  for (const auto& [name, value] : entries) check = Fnv(value + "\n", Fnv(name + "=", check));
  entries.emplace_back(kCheck, Hex(check));
  return entries;
}

// The state in section as far as it is sound; nothing when the section
// holds no state of folder.
std::optional<RecordedState> ReadSlot(const ProfileFile& file, const std::string& section, const std::string& folder) {
  if (!file.HasKeys(section)) return std::nullopt;
  const std::string storedFolder = file.ReadString(section, kFolder, "");
  if (platform::CompareIgnoringCase(storedFolder, folder) != 0) return std::nullopt;
  RecordedState recorded;
  ToolState& state = recorded.state;
  state.folder = storedFolder;
  state.time = file.ReadString(section, kTime, "");
  const auto kind = ParseInteger(file.ReadString(section, kKind, ""));
  const auto number = ParseInteger(file.ReadString(section, kNumber, ""));
  bool sound = kind && number && *kind >= 0 && *kind < static_cast<int>(ToolKind::kCount) && *number > 0;
  if (sound) {
    state.kind = static_cast<ToolKind>(*kind);
    recorded.number = *number;
  }
  for (std::size_t i = 0; i < config::kEditedKeys.size() && sound; ++i) {
    const std::string entry = file.ReadString(section, EntryName(config::kEditedKeys[i]), "");
    // A value as long as the platform's buffer may have been cut.
    if (entry.size() >= platform::kProfileBufferSize - 1 || entry.empty()) sound = false;
    else if (entry == "-") state.values[i].reset();
    else if (entry[0] == '+') state.values[i] = entry.substr(1);
    else sound = false;
  }
  recorded.readable =
      sound && file.ReadString(section, kCheck, "") == Entries(state, recorded.number).back().second;
  if (state.time.size() > 19) state.time.resize(19);
  return recorded;
}

}  // namespace

std::string LocalTimeNow() {
  const std::time_t now = std::time(nullptr);
  char text[32] = {};
  if (const std::tm* local = std::localtime(&now)) std::strftime(text, sizeof text, "%Y/%m/%d %H:%M:%S", local);
  return text;
}

ToolState CaptureToolState(const ToolConfig& config, ToolKind kind, std::string time) {
  ToolState state;
  state.time = std::move(time);
  state.folder = config.toolFolder();
  state.kind = kind;
  state.values = ReadEditedValues(config);
  return state;
}

bool IsWhole(const ToolState& state) {
  return std::none_of(state.values.begin(), state.values.end(), [](const std::optional<std::string>& value) {
    return value && value->size() >= platform::kProfileBufferSize - 1;
  });
}

void PutToolState(const ToolConfig& config, const ToolState& state) {
  for (std::size_t i = 0; i < config::kEditedKeys.size(); ++i) {
    const auto& key = config::kEditedKeys[i];
    if (state.values[i]) config.WriteString(key.section, key.name, *state.values[i]);
    else config.DeleteKey(key.section, key.name);
  }
}

std::string HistoryPath(const platform::Host& host) { return OwnFilesFolder(host) + "\\" + history::kFileName; }

std::vector<RecordedState> ReadHistory(platform::Host& host, const std::string& path, const std::string& folder) {
  std::vector<RecordedState> states;
  if (!platform::FileExists(path)) return states;
  const ProfileFile file(host, path);
  const std::string prefix = SectionPrefix(folder);
  for (int slot = 1; slot <= history::kLimit; ++slot)
    if (auto state = ReadSlot(file, prefix + std::to_string(slot), folder)) states.push_back(std::move(*state));
  std::stable_sort(states.begin(), states.end(), [](const RecordedState& a, const RecordedState& b) {
    if (a.readable != b.readable) return a.readable;
    return a.number > b.number;
  });
  platform::ProfileFlush(path);
  return states;
}

void RecordState(platform::Host& host, const std::string& path, const ToolState& state) {
  ProfileFile file(host, path, ProfileFile::Writes::kTogether);
  const std::string prefix = SectionPrefix(state.folder);
  // The slot to write: a free one, else an unreadable one or one of another
  // folder, else the oldest.
  int target = 0;
  long targetNumber = 0;
  long newest = 0;
  for (int slot = 1; slot <= history::kLimit; ++slot) {
    const std::string section = prefix + std::to_string(slot);
    const auto recorded = ReadSlot(file, section, state.folder);
    const long rank = !file.HasKeys(section) ? -2 : !recorded || !recorded->readable ? -1 : recorded->number;
    if (recorded && recorded->readable) newest = std::max(newest, recorded->number);
    if (target == 0 || rank < targetNumber) {
      target = slot;
      targetNumber = rank;
    }
  }
  file.WriteStrings(prefix + std::to_string(target), Entries(state, newest + 1));
  file.Commit();
}

std::string DescribeState(const ToolState& state, int pixelsPerInch) {
  const auto& values = state.values;
  const std::int32_t style = WindowSettingsOf(values).isMdi;
  std::string text = style == 0 ? "SDI" : style == 1 ? "MDI" : "-";
  text += " / ";
  const auto& colour = values[config::IndexOf(config::EditedKey::kColour)];
  text += colour && !colour->empty() ? *colour : "-";
  text += " / ";
  const auto& record = values[config::IndexOf(config::EditedKey::kFont0)];
  const std::vector<std::string> fields = record ? SplitCommaList(*record) : std::vector<std::string>();
  const auto height = fields.size() > font::kFaceName ? ParseStoredInteger(fields[font::kHeight]) : std::nullopt;
  if (height) text += fields[font::kFaceName] + " " + std::to_string(SizeForHeight(*height, pixelsPerInch)) + "pt";
  else text += "-";
  return text;
}

}  // namespace qlm
