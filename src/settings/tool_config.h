// tool_config.h: the values the program edits in the tool's System\Appcfg.ini.
#pragma once

#include <array>
#include <iterator>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "settings/tool_folder.h"

namespace qlm {
namespace platform { class Host; }
class ProfileFile;

namespace config {
inline constexpr char kGlobal[] = "GLOBAL";
inline constexpr char kIsMdi[] = "IsMDI";       // 0 single-document, 1 multi-document display
inline constexpr char kColour[] = "COLOR";      // the colour-scheme file
inline constexpr char kDocking[] = "DOCKING";   // nonzero: the bar is docked (shown)
inline constexpr char kFont[] = "FONT";         // FF0 to FF5: the six font slots
// The three bars, named by their sections.
inline constexpr char kToolBar[] = "TOOLBAR";
inline constexpr char kTabBar[] = "TRBAR";
inline constexpr char kTickerBar[] = "TICKERBAR";
// An integer read as this value means the tool has no such setting.
inline constexpr std::int32_t kAbsent = -1;

// The keys the program edits, one row each, in the order of their table.
// The history of the tool's settings stores them by the table's names, not
// by position: new keys go before kCount.
enum class EditedKey { kIsMdi, kColour, kToolBar, kTabBar, kTickerBar, kFont0, kFont1, kFont2, kFont3, kFont4, kFont5, kCount };

// The control a key shows in, which settles what loading, OK and real-time
// mode do with it.
enum class KeyControl {
  kStyleRadio,    // the display style: 0 single-, 1 multi-document, -1 none chosen
  kCheckBox,      // on or off, written as 1 or 0
  kBarCheckBox,   // the same for a bar (its section names it), which real-time mode also commands
  kColourList,    // the colour-scheme file (colour_catalogue)
  kFontControls,  // a font slot (font_record)
};

// What loading makes of a key the file lacks (or, for a number, holds as
// something else).
enum class WhenAbsent {
  kDisables,        // the control is disabled and left as it is
  kTakesDefault,    // the control shows the key's default
};

struct KeyRow {
  EditedKey key;
  const char* section;
  const char* name;
  KeyControl control;
  WhenAbsent absent;
  // The kinds that edit the key: those whose traits have this flag set
  // (nullptr: every kind). Another kind's key is shown as stored, disabled,
  // and never written nor commanded.
  bool ToolTraits::*editedBy = nullptr;
};

inline constexpr KeyRow kEditedKeys[] = {
    {EditedKey::kIsMdi, kGlobal, kIsMdi, KeyControl::kStyleRadio, WhenAbsent::kDisables, &ToolTraits::styleAndTabBar},
    {EditedKey::kColour, kGlobal, kColour, KeyControl::kColourList, WhenAbsent::kTakesDefault},
    {EditedKey::kToolBar, kToolBar, kDocking, KeyControl::kBarCheckBox, WhenAbsent::kDisables},
    {EditedKey::kTabBar, kTabBar, kDocking, KeyControl::kBarCheckBox, WhenAbsent::kDisables, &ToolTraits::styleAndTabBar},
    {EditedKey::kTickerBar, kTickerBar, kDocking, KeyControl::kBarCheckBox, WhenAbsent::kDisables},
    {EditedKey::kFont0, kFont, "FF0", KeyControl::kFontControls, WhenAbsent::kTakesDefault},
    {EditedKey::kFont1, kFont, "FF1", KeyControl::kFontControls, WhenAbsent::kTakesDefault},
    {EditedKey::kFont2, kFont, "FF2", KeyControl::kFontControls, WhenAbsent::kTakesDefault},
    {EditedKey::kFont3, kFont, "FF3", KeyControl::kFontControls, WhenAbsent::kTakesDefault},
    {EditedKey::kFont4, kFont, "FF4", KeyControl::kFontControls, WhenAbsent::kTakesDefault},
    {EditedKey::kFont5, kFont, "FF5", KeyControl::kFontControls, WhenAbsent::kTakesDefault},
};
inline constexpr std::size_t kKeyCount = static_cast<std::size_t>(EditedKey::kCount);
constexpr std::size_t IndexOf(EditedKey key) { return static_cast<std::size_t>(key); }
constexpr const KeyRow& KeyOf(EditedKey key) { return kEditedKeys[IndexOf(key)]; }

constexpr bool KeyRowsFollowKeys() {
  for (std::size_t i = 0; i < std::size(kEditedKeys); ++i)
    if (IndexOf(kEditedKeys[i].key) != i) return false;
  return std::size(kEditedKeys) == kKeyCount;
}
static_assert(KeyRowsFollowKeys(), "each edited key has one row, in the order of the keys");

// Whether the tool's kind edits the key.
constexpr bool EditedBy(const KeyRow& row, ToolKind kind) {
  return row.editedBy == nullptr || TraitsOf(kind).*row.editedBy;
}
// A number shown in the radio group or a check box.
constexpr bool IsSwitch(const KeyRow& row) {
  return row.control == KeyControl::kStyleRadio || row.control == KeyControl::kCheckBox ||
         row.control == KeyControl::kBarCheckBox;
}
constexpr bool InCheckBox(const KeyRow& row) {
  return row.control == KeyControl::kCheckBox || row.control == KeyControl::kBarCheckBox;
}
// A switch has no default of its own: one the file lacks is disabled, never
// shown as some value the file does not hold.
constexpr bool SwitchesDisableWhenAbsent() {
  for (const KeyRow& row : kEditedKeys)
    if (IsSwitch(row) && row.absent != WhenAbsent::kDisables) return false;
  return true;
}
static_assert(SwitchesDisableWhenAbsent(), "a switch the file lacks is disabled");

// Visits the switches kind edits in the order OK writes them and entering
// real-time mode applies them: the keys only some kinds edit first, then the
// others, each in the order of the table.
template <typename Visit>
void ForEachSwitch(ToolKind kind, Visit visit) {
  for (const bool someKinds : {true, false})
    for (const KeyRow& row : kEditedKeys)
      if (IsSwitch(row) && (row.editedBy != nullptr) == someKinds && EditedBy(row, kind)) visit(row);
}
}  // namespace config

// The tool's configuration file, opened and released around each operation,
// or, for a copy made by Held(), opened once for all of that copy's
// operations and released when the last copy goes.
class ToolConfig {
 public:
  // files: the tool's files (a folder alone for a tool that is not
  // virtualized). Reads go to the file the tool reads; writes to the file
  // they would reach from the tool (ToolFiles::ForWriting).
  ToolConfig(platform::Host& host, ToolFiles files) : host_(host), files_(std::move(files)) {}

  // For a routine that reads several values: one opening (and one flush at
  // the end) rather than one per value. Without it a large file is parsed
  // anew for every value, since releasing a file drops the platform's parsed
  // copy. Writes through it still reach the disk at once.
  ToolConfig Held() const;

  // For the writes of one user action: a copy opened once, whose writes land
  // together on Commit() or not at all (when the copy goes first, or a write
  // is refused half way, the file stays as it was).
  ToolConfig Edit() const;
  // Throws ProfileWriteError when the file cannot be written.
  void Commit() const;

  // The file read (the one held, for a held copy).
  std::string Path() const;
  const std::string& toolFolder() const { return files_.folder(); }
  const ToolFiles& files() const { return files_; }
  platform::Host& host() const { return host_; }

  // kAbsent when the key is missing or not a number.
  std::int32_t ReadInteger(const std::string& section, const std::string& key) const;
  std::string ReadString(const std::string& section, const std::string& key, const std::string& fallback) const;
  // Both throw ProfileWriteError when the file cannot be written.
  void WriteInteger(const std::string& section, const std::string& key, std::int32_t value) const;
  // The same for one of the edited keys, by its row in their table.
  std::int32_t ReadInteger(config::EditedKey key) const {
    return ReadInteger(config::KeyOf(key).section, config::KeyOf(key).name);
  }
  void WriteInteger(config::EditedKey key, std::int32_t value) const {
    WriteInteger(config::KeyOf(key).section, config::KeyOf(key).name, value);
  }
  void WriteString(const std::string& section, const std::string& key, const std::string& value) const;
  // Several keys of one section, as that many WriteString calls in order.
  void WriteStrings(const std::string& section, const std::vector<std::pair<std::string, std::string>>& values) const;
  // Removes key from section; throws as the writes do.
  void DeleteKey(const std::string& section, const std::string& key) const;

  // The platform keeps its parsed copy of a file it has read until told to
  // let it go: the tool's large file would stay in memory, several times its
  // size, for as long as the program runs. Called once loading is done.
  void ReleaseParsedCopy() const;

 private:
  // Runs operation on the held file, or on one opened for it alone.
  template <typename Operation>
  decltype(auto) OnFile(Operation&& operation) const;
  template <typename Operation>
  void OnFileForWriting(Operation&& operation) const;

  platform::Host& host_;
  ToolFiles files_;
  std::shared_ptr<ProfileFile> held_;
};

// The edited keys' texts, in the order of their table: nothing for a key the
// file lacks (a key stored with an empty value is present).
using EditedValues = std::array<std::optional<std::string>, config::kKeyCount>;

// Reads them from one opening of the file.
EditedValues ReadEditedValues(const ToolConfig& config);

// A switch's value among the edited keys, as ReadInteger reads it: kAbsent
// for a key missing or malformed.
std::int32_t StoredSwitch(const EditedValues& values, config::EditedKey key);

}  // namespace qlm
