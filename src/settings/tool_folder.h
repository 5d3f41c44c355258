// tool_folder.h: the trading tool's installation folder, which tool it is, and
// the title of its main window.
#pragma once

#include <optional>
#include <string>

#include "settings/tool_files.h"
#include "settings/tool_kinds.h"

namespace qlm {
namespace platform { class Host; }
class ProfileFile;

namespace tool {
inline constexpr char kConfigFile[] = "System\\Appcfg.ini";
inline constexpr char kInfoFile[] = "System\\Sys.ini";
inline constexpr char kColourFolder[] = "Color\\";
}  // namespace tool

enum class LocateMode {
  kInitial,  // at program start: ask only when the stored folder is incomplete
  kForced,   // always ask
};

// True when folder (ending with a backslash) holds System\Appcfg.ini and
// System\Sys.ini; never for an empty folder.
bool IsValidToolFolder(const std::string& folder);

// Settles the tool folder: takes TTPath from settings (the open QLM.INI) or
// asks the user for the tool's executable, checks the folder and stores it as
// TTPath when it is not the one stored already. The folder settled; nothing,
// after telling the user why, when the user cancels or the folder holds no tool.
std::optional<std::string> LocateToolFolder(platform::Host& host, ProfileFile& settings, LocateMode mode);

// The tool in folder; kNone for an empty folder.
ToolKind DetectToolKind(const std::string& folder);

// The tool in folder as one load settles it, from one look for its
// executable: the executable's name (ToolExecutable's), the tool's kind and
// the files it reads.
struct SettledTool {
  std::string executable;
  ToolKind kind = ToolKind::kNone;
  ToolFiles files{std::string()};
};
SettledTool SettleTool(const std::string& folder);

// The name of the executable that identifies the tool in folder (the first
// of the kinds' executables present, in the order of their rows); "" for none or an empty folder.
std::string ToolExecutable(const std::string& folder);

// [INFO] Title of System\Sys.ini (the file the tool reads): the title of
// the tool's main window.
std::string ReadToolTitle(platform::Host& host, const ToolFiles& files);

}  // namespace qlm
