// tool_history.h: the values the program edits in the tool's settings file,
// as they stood at one moment, and the history of such states kept beside
// QLM.INI, so that the user can put the tool's settings back.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "settings/tool_config.h"
#include "settings/tool_folder.h"

namespace qlm {
namespace platform { class Host; }

namespace history {
// The history file, beside the QLM.INI in use, in the system code page.
inline constexpr char kFileName[] = "QLM-History.ini";
// The states kept for each tool folder; older ones are dropped.
inline constexpr int kLimit = 20;
}  // namespace history

// The edited keys of one tool's file at one moment: each key's text, or
// nothing when the file lacks the key.
struct ToolState {
  std::string time;  // local time, "YYYY/MM/DD hh:mm:ss"
  std::string folder;
  ToolKind kind = ToolKind::kNone;
  EditedValues values;
  // The keys the state does not hold (recorded before the program edited
  // them): putting the state back leaves them as they are.
  std::bitset<config::kKeyCount> unrecorded;

  bool operator==(const ToolState&) const = default;
};

// The local time now, as ToolState::time writes it.
std::string LocalTimeNow();

// The edited keys as config's file holds them (ReadEditedValues).
ToolState CaptureToolState(const ToolConfig& config, ToolKind kind, std::string time);

// False when a value of state is as long as the platform reads at most:
// it may have been cut, and putting it back would lose the rest.
bool IsWhole(const ToolState& state);

// Puts state's keys into config's file: a present key gets its text, an
// absent one is removed; no other key, nor one the state does not hold, is
// touched. Use it on an Edit() copy,
// so that all of it lands on Commit() or nothing does. Throws
// ProfileWriteError.
void PutToolState(const ToolConfig& config, const ToolState& state);

// One state the history holds for a tool folder. A state whose entries are
// missing, cut, malformed or do not match their check is unreadable: it is
// shown, never applied.
struct RecordedState {
  bool readable = false;
  std::int64_t number = 0;  // the order of recording; larger is newer; 0 unknown
  ToolState state;
};

// The history file beside the QLM.INI at settingsPath.
std::string HistoryPath(const std::string& settingsPath);

// The states recorded for folder in the history at path, newest first, an
// unreadable one in its place where its order is known, else last. A state
// recorded for another folder is left out. The file is read in one pass, and
// only folder's states are taken apart.
std::vector<RecordedState> ReadHistory(const std::string& path, const std::string& folder);

// Adds state to the history at path in one crash-safe write, unless it
// equals the newest state recorded for its folder (false: nothing written).
// Where the folder has history::kLimit states, it takes the place of an
// unreadable one, else of the oldest but the first: the state the folder was
// first found in is kept. Throws ProfileWriteError when the history cannot be
// written.
bool RecordState(platform::Host& host, const std::string& path, const ToolState& state);

// The description of a state for the list: style, the three bars, colour
// file, font face, size and weight ("MDI / ツール○ タブ× ティッカー○ /
// Blue.clr / Tahoma 9pt 太字"); "-" for a key the file lacked, "?" for one the
// state does not hold.
std::string DescribeState(const platform::Host& host, const ToolState& state, int pixelsPerInch);

}  // namespace qlm
