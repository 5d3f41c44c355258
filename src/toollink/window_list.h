// window_list.h: "QLM.exe /list-tool-windows": the running tool's window tree
// written to a text file, so that an administrator can find the names
// [ToolWindows] of QLM.INI needs. It shows no window and writes no setting.
#pragma once

#include <string>
#include <string_view>

#include "platform/window_link.h"
#include "toollink/window_names.h"

namespace qlm {
namespace platform { class Host; }

inline constexpr char kListToolWindowsSwitch[] = "/list-tool-windows";
// Written in the folder of QLM.INI (beside QLM.exe), or in the user's own
// folder where QLM.exe's folder cannot be written.
inline constexpr char kToolWindowListFile[] = "QLM-ToolWindows.txt";

// The program's exit codes in this mode.
inline constexpr int kWindowsListed = 0;
inline constexpr int kToolNotListed = 1;    // no tool folder, or the tool is not running
inline constexpr int kListNotWritten = 2;   // the file could not be written (a notice says so)

// True when the command line (without the program's name) is the switch
// alone, in any case, with blanks around it or in quotes.
bool IsListToolWindowsSwitch(std::string_view commandLine);

// One line for window and one for every window under it, nested by four
// blanks a level, in the order the lookups try them:
//   class="<class>" title="<title>" visible|hidden[ <- <key>, ...]
// The keys are those of [ToolWindows] whose name in use equals the window's
// class (MarkerClass) or title (the others), ignoring case. Bytes below 0x20
// and 0x7F show as \xNN. Lines end with CR LF.
std::string DescribeWindowTree(const platform::WindowLink& windows, platform::WindowHandle window,
                               const toollink::WindowNames& names);

// Finds the tool as real-time mode does (TTPath and [ToolWindows] of QLM.INI,
// the tool's title from its Sys.ini) and writes the file: the status line,
// any refused [ToolWindows] value, then the tree under the tool's main
// window. Returns the exit code.
int ListToolWindows(platform::Host& host, platform::WindowLink& windows);

}  // namespace qlm
