// tool_history.h: the values the program edits in the tool's settings file,
// as they stood at one moment, and the history of such states kept beside
// QLM.INI, so that the user can put the tool's settings back.
#pragma once

#include <array>
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
// absent one is removed; no other key is touched. Use it on an Edit() copy,
// so that all of it lands on Commit() or nothing does. Throws
// ProfileWriteError.
void PutToolState(const ToolConfig& config, const ToolState& state);

// One state the history holds for a tool folder. A state whose entries are
// missing, cut, malformed or do not match their check is unreadable: it is
// shown, never applied.
struct RecordedState {
  bool readable = false;
  long number = 0;  // the order of recording; larger is newer
  ToolState state;
};

// The history file in use (OwnFilesFolder's).
std::string HistoryPath(const platform::Host& host);

// The states recorded for folder in the history at path, newest first; the
// unreadable ones last. A state recorded for another folder is left out.
std::vector<RecordedState> ReadHistory(platform::Host& host, const std::string& path, const std::string& folder);

// Adds state to the history at path in one crash-safe write, in place of the
// oldest (or an unreadable) one where its folder has history::kLimit.
// Throws ProfileWriteError when the history cannot be written.
void RecordState(platform::Host& host, const std::string& path, const ToolState& state);

// The short description of a state for the list: style, colour file, font
// face and size ("MDI / Blue.clr / Tahoma 9pt"); "-" for what it lacks.
std::string DescribeState(const ToolState& state, int pixelsPerInch);

}  // namespace qlm
