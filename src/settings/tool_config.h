// tool_config.h: the values the program edits in the tool's System\Appcfg.ini.
#pragma once

#include <array>
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

// The keys the program edits, in the order of their table. The history of
// the tool's settings stores them by the table's names, not by position.
enum class EditedKey { kIsMdi, kColour, kToolBar, kTabBar, kTickerBar, kFont0, kFont1, kFont2, kFont3, kFont4, kFont5 };
struct KeyName {
  const char* section;
  const char* name;
};
inline constexpr std::array<KeyName, 11> kEditedKeys = {{
    {kGlobal, kIsMdi},
    {kGlobal, kColour},
    {kToolBar, kDocking},
    {kTabBar, kDocking},
    {kTickerBar, kDocking},
    {kFont, "FF0"},
    {kFont, "FF1"},
    {kFont, "FF2"},
    {kFont, "FF3"},
    {kFont, "FF4"},
    {kFont, "FF5"},
}};
constexpr std::size_t IndexOf(EditedKey key) { return static_cast<std::size_t>(key); }
constexpr const KeyName& KeyOf(EditedKey key) { return kEditedKeys[IndexOf(key)]; }
static_assert(IndexOf(EditedKey::kFont5) + 1 == kEditedKeys.size(), "each edited key has one row");
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

  // Removes the working copies that a run ended in the middle of a write
  // left beside the file.
  void RemoveStaleCopies() const;
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
using EditedValues = std::array<std::optional<std::string>, config::kEditedKeys.size()>;

// Reads them from one opening of the file.
EditedValues ReadEditedValues(const ToolConfig& config);

// The display style and the three bars, as read when the main window loads:
// kAbsent for a missing or malformed key.
struct WindowSettings {
  std::int32_t isMdi = config::kAbsent;
  std::int32_t toolBar = config::kAbsent;
  std::int32_t tabBar = config::kAbsent;
  std::int32_t tickerBar = config::kAbsent;

  bool operator==(const WindowSettings&) const = default;
};

// The four values among the edited keys.
WindowSettings WindowSettingsOf(const EditedValues& values);

// The display style and bars as the controls show them: the selected style
// (-1 for none) and the three check boxes. No member has a default, and the
// build refuses an initialiser that leaves one out, so a value OK forgets to
// fill is a compile error rather than a silent zero.
struct WindowChoice {
  int style;
  bool toolBar;
  bool tabBar;
  bool tickerBar;
};

// The writes OK makes after the font and colour: IsMDI and the tab bar where
// the tool's kind has them; then the tool bar and the ticker bar. A style of -1
// (the tool stores none) is not written.
void WriteWindowSettings(const ToolConfig& config, ToolKind kind, const WindowChoice& choice);

}  // namespace qlm
