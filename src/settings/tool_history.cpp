// tool_history.cpp: states of the tool's edited keys and their history file.
//
// The history holds up to history::kLimit states for each tool folder, in
// sections "T<folder hash>-<slot>" (slots 1 to kLimit), each with the time,
// folder, tool kind and order number of the state, the list of the keys it
// holds ("Keys", "SECTION.Key" names joined by commas), one entry per key
// ("+" and the text, or "-" for a key the file lacked) and a check over all
// of them, so that a cut or hand-edited state is known and never applied.
// States recorded before the list was kept hold the eleven keys of
// kFirstKeys and no "Keys" entry; their check is made the same way.
//
// The file is read in one pass by the program's own INI reader, which reads
// it as the profile functions do, and a state is written by putting its
// section in place of the slot's in those bytes, the whole file then taking
// the old one's place in one step: the profile functions would parse and
// rewrite a large history for every state.
#include "settings/tool_history.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <ctime>

#include "platform/codepage.h"
#include "platform/file_search.h"
#include "platform/host.h"
#include "platform/ini/ini_document.h"
#include "platform/paths.h"
#include "platform/profile_store.h"
#include "platform/text_file.h"
#include "settings/errors.h"
#include "settings/font_record.h"
#include "settings/messages.h"
#include "settings/profile.h"
#include "settings/tool_config.h"

namespace qlm {

namespace {

constexpr char kTime[] = "Time";
constexpr char kFolder[] = "Folder";
constexpr char kKind[] = "Kind";
constexpr char kNumber[] = "Number";
constexpr char kKeys[] = "Keys";
constexpr char kCheck[] = "Check";
// The keys of a state recorded before states named them.
constexpr char kFirstKeys[] =
    "GLOBAL.IsMDI,GLOBAL.COLOR,TOOLBAR.DOCKING,TRBAR.DOCKING,TICKERBAR.DOCKING,"
    "FONT.FF0,FONT.FF1,FONT.FF2,FONT.FF3,FONT.FF4,FONT.FF5";
// Order numbers above this are not sound, so that the next one always fits.
constexpr std::int64_t kNumberLimit = std::int64_t{1} << 53;

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

std::string EntryName(const config::KeyRow& key) { return std::string(key.section) + "." + key.name; }

// The row of the edited key an entry names; nothing for a key this program
// does not edit (a later one's).
std::optional<std::size_t> RowNamed(std::string_view name) {
  for (std::size_t i = 0; i < config::kKeyCount; ++i)
    if (EntryName(config::kEditedKeys[i]) == name) return i;
  return std::nullopt;
}

std::string Entry(const std::optional<std::string>& value) { return value ? "+" + *value : "-"; }

// The check over a state's entries, in the order written.
std::string CheckOf(const std::vector<std::pair<std::string, std::string>>& entries) {
  std::uint32_t check = 2166136261u;
  for (const auto& [name, value] : entries) check = Fnv(value + "\n", Fnv(name + "=", check));
  return Hex(check);
}

// The entries of a state's section: the checked ones, then the key list and
// the check.
std::vector<std::pair<std::string, std::string>> Entries(const ToolState& state, std::int64_t number) {
  std::vector<std::pair<std::string, std::string>> entries = {
      {kTime, state.time},
      {kFolder, state.folder},
      {kKind, std::to_string(static_cast<int>(state.kind))},
      {kNumber, std::to_string(number)},
  };
  std::string keys;
  for (std::size_t i = 0; i < config::kKeyCount; ++i) {
    if (state.unrecorded[i]) continue;
    const std::string name = EntryName(config::kEditedKeys[i]);
    entries.emplace_back(name, Entry(state.values[i]));
    keys += (keys.empty() ? "" : ",") + name;
  }
  const std::string check = CheckOf(entries);
  entries.emplace_back(kKeys, keys);
  entries.emplace_back(kCheck, check);
  return entries;
}

// A value as the profile functions read it: one pair of enclosing quotes
// dropped (a quote is never the second byte of a double-byte character), but
// never cut.
std::optional<std::string> ValueOf(const ini::Document& file, ini::Document::SectionAt section, std::string_view key) {
  const auto value = file.Find(section, key);
  if (!value) return std::nullopt;
  const std::string_view text = *value;
  if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front())
    return std::string(text.substr(1, text.size() - 2));
  return std::string(text);
}

std::optional<std::int64_t> NumberOf(std::string_view text) {
  std::int64_t number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc() || end != text.data() + text.size() || number <= 0 || number > kNumberLimit)
    return std::nullopt;
  return number;
}

// The state in section as far as it is sound; nothing when the section
// holds no state of folder.
std::optional<RecordedState> ReadSlot(const ini::Document& file, const std::string& name, const std::string& folder) {
  const auto section = file.Locate(name);
  if (!section) return std::nullopt;
  const auto storedFolder = ValueOf(file, *section, kFolder);
  if (!storedFolder || platform::CompareIgnoringCase(*storedFolder, folder) != 0) return std::nullopt;
  RecordedState recorded;
  ToolState& state = recorded.state;
  state.folder = *storedFolder;
  state.time = ValueOf(file, *section, kTime).value_or("");
  state.unrecorded.set();
  const std::string kindText = ValueOf(file, *section, kKind).value_or("");
  const std::string numberText = ValueOf(file, *section, kNumber).value_or("");
  const auto kind = ParseInteger(kindText);
  const auto number = NumberOf(numberText);
  bool sound = kind && *kind >= 0 && *kind < static_cast<int>(ToolKind::kCount) && number;
  if (kind) state.kind = static_cast<ToolKind>(*kind);
  if (number) recorded.number = *number;
  const std::string keys = ValueOf(file, *section, kKeys).value_or(kFirstKeys);
  std::vector<std::pair<std::string, std::string>> checked = {
      {kTime, state.time}, {kFolder, state.folder}, {kKind, kindText}, {kNumber, numberText}};
  for (const std::string& name : SplitCommaList(keys)) {
    const std::string entry = ValueOf(file, *section, name).value_or("");
    checked.emplace_back(name, entry);
    const auto row = RowNamed(name);
    // A value as long as the platform reads at most may have been cut when
    // it was captured.
    if (entry.empty() || entry.size() > platform::kProfileBufferSize - 1 || (entry[0] != '+' && entry != "-"))
      sound = false;
    else if (row && state.unrecorded[*row]) {
      state.unrecorded.reset(*row);
      state.values[*row] = entry == "-" ? std::nullopt : std::optional<std::string>(entry.substr(1));
    } else if (row) {
      sound = false;  // a key listed twice
    }
  }
  recorded.readable = sound && ValueOf(file, *section, kCheck) == CheckOf(checked);
  if (state.time.size() > 19) state.time.resize(19);
  return recorded;
}

// The sections of folder's states, in slot order.
std::vector<std::string> SlotNames(const std::string& folder) {
  std::vector<std::string> names;
  const std::string prefix = SectionPrefix(folder);
  for (int slot = 1; slot <= history::kLimit; ++slot) names.push_back(prefix + std::to_string(slot));
  return names;
}

// The states of folder in the history's bytes, in slot order; absent slots
// as nothing. Only folder's sections are parsed: the history keeps the
// states of every folder used.
std::vector<std::optional<RecordedState>> ReadSlots(std::string_view bytes, const std::string& folder) {
  const std::vector<std::string> names = SlotNames(folder);
  const ini::Document file = ini::Document::OfSections(bytes, names);
  std::vector<std::optional<RecordedState>> slots;
  for (const std::string& name : names) slots.push_back(ReadSlot(file, name, folder));
  return slots;
}

// The history's bytes with section holding entries, in the place of the
// section of that name or at the end.
std::string WithSection(std::string_view old, const std::string& section,
                        const std::vector<std::pair<std::string, std::string>>& entries) {
  std::string text = "[" + section + "]\r\n";
  for (const auto& [name, value] : entries) text += name + "=" + value + "\r\n";
  const auto span = ini::Document::SectionSpan(old, section);
  const std::size_t before = span ? span->first : old.size();
  const std::size_t after = span ? span->second : old.size();
  const bool breakFirst = !span && !old.empty() && old.back() != '\n' && old.back() != '\r';
  // Put together in one piece: the history may be a megabyte or more.
  std::string bytes;
  bytes.reserve(before + (breakFirst ? 2 : 0) + text.size() + (old.size() - after));
  bytes.append(old.substr(0, before)).append(breakFirst ? "\r\n" : "").append(text).append(old.substr(after));
  return bytes;
}

// Puts bytes in the place of the history at path in one step, through a
// working copy beside it: a run ended half way leaves the old or the new
// history whole. Throws ProfileWriteError.
void ReplaceHistory(const platform::Host& host, const std::string& path, const std::string& bytes) {
  auto copy = platform::IsReadOnlyFile(path) ? std::nullopt : platform::MakeWorkingCopyOf(path, bytes);
  const bool replaced = copy && platform::ReplaceWithWorkingCopy(*copy, path) == platform::ReplaceResult::kReplaced;
  if (replaced) return;
  if (copy) platform::RemoveWorkingCopy(*copy);
  throw ProfileWriteError(SubstitutePath(host.Text(msg::kCannotWrite), path));
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
  for (std::size_t i = 0; i < config::kKeyCount; ++i) {
    if (state.unrecorded[i]) continue;
    const auto& key = config::kEditedKeys[i];
    if (state.values[i]) config.WriteString(key.section, key.name, *state.values[i]);
    else config.DeleteKey(key.section, key.name);
  }
}

std::string HistoryPath(const std::string& settingsPath) {
  return settingsPath.substr(0, FileNameStart(settingsPath)) + history::kFileName;
}

std::vector<RecordedState> ReadHistory(const std::string& path, const std::string& folder) {
  std::vector<RecordedState> states;
  for (auto& slot : ReadSlots(platform::ReadFileBytes(path).value_or(""), folder))
    if (slot) states.push_back(std::move(*slot));
  // Newest first; a state whose order is unknown last.
  std::stable_sort(states.begin(), states.end(),
                   [](const RecordedState& a, const RecordedState& b) { return a.number > b.number; });
  return states;
}

bool RecordState(platform::Host& host, const std::string& path, const ToolState& state) {
  // A history that is there but cannot be read is not written over; one
  // that is not there yet starts empty.
  auto bytes = platform::ReadFileBytes(path);
  if (!bytes && platform::FileExists(path)) throw ProfileWriteError(SubstitutePath(host.Text(msg::kCannotWrite), path));
  if (!bytes) bytes.emplace();
  const std::vector<std::optional<RecordedState>> slots = ReadSlots(*bytes, state.folder);
  const RecordedState* newest = nullptr;
  const RecordedState* first = nullptr;
  std::int64_t top = 0;  // the largest order number, of readable states or not
  for (const auto& slot : slots) {
    if (slot) top = std::max(top, slot->number);
    if (!slot || !slot->readable) continue;
    if (!newest || slot->number > newest->number) newest = &*slot;
    if (!first || slot->number < first->number) first = &*slot;
  }
  if (newest && newest->state.kind == state.kind && newest->state.values == state.values &&
      newest->state.unrecorded == state.unrecorded)
    return false;
  // The slot to write: a free one (or one of another folder), else an
  // unreadable one, else the oldest but the first.
  std::size_t target = 0;
  std::int64_t targetRank = 0;
  for (std::size_t i = 0; i < slots.size(); ++i) {
    const auto& slot = slots[i];
    const std::int64_t rank = !slot ? -2 : !slot->readable ? -1 : &*slot == first ? kNumberLimit + 1 : slot->number;
    if (i == 0 || rank < targetRank) {
      target = i;
      targetRank = rank;
    }
  }
  ReplaceHistory(host, path, WithSection(*bytes, SectionPrefix(state.folder) + std::to_string(target + 1),
                                         Entries(state, top + 1)));
  return true;
}

namespace {

// A key's value as the list shows it: "?" where the state does not hold it,
// "-" where the file lacked it.
template <typename Show>
std::string Shown(const ToolState& state, config::EditedKey key, Show show) {
  const std::size_t row = config::IndexOf(key);
  if (state.unrecorded[row]) return "?";
  return state.values[row] ? show(*state.values[row]) : std::string("-");
}

}  // namespace

std::string DescribeState(const platform::Host& host, const ToolState& state, int pixelsPerInch) {
  const auto integer = [](const std::string& value) { return ParseStoredInteger(value); };
  std::string text = Shown(state, config::EditedKey::kIsMdi, [&](const std::string& value) {
    const auto style = integer(value);
    return std::string(!style || *style < 0 ? "-" : *style == 0 ? "SDI" : "MDI");
  });
  const std::pair<config::EditedKey, int> bars[] = {{config::EditedKey::kToolBar, msg::kToolBarShort},
                                                    {config::EditedKey::kTabBar, msg::kTabBarShort},
                                                    {config::EditedKey::kTickerBar, msg::kTickerBarShort}};
  text += " /";
  for (const auto& [key, name] : bars)
    text += " " + host.Text(name) + Shown(state, key, [&](const std::string& value) {
              const auto docked = integer(value);
              return !docked ? std::string("-") : host.Text(*docked != 0 ? msg::kShownMark : msg::kHiddenMark);
            });
  text += " / " + Shown(state, config::EditedKey::kColour, [](const std::string& value) {
    return value.empty() ? std::string("-") : value;
  });
  text += " / " + Shown(state, config::EditedKey::kFont0, [&](const std::string& value) {
    const std::vector<std::string> fields = SplitCommaList(value);
    if (fields.size() <= font::kFaceName) return std::string("-");
    const auto height = ParseStoredInteger(fields[font::kHeight]);
    const auto weight = ParseStoredInteger(fields[font::kWeight]);
    std::string font = fields[font::kFaceName];
    if (height) font += " " + std::to_string(SizeForHeight(*height, pixelsPerInch)) + "pt";
    if (weight && *weight != font::kNormal) font += " " + host.Text(msg::kBoldShort);
    return font;
  });
  return text;
}

}  // namespace qlm
