// colour_catalogue.h: the tool's colour-scheme files (Color\*.CLR), which one
// it uses, and how each kind of tool stores that choice in [GLOBAL] COLOR.
#pragma once

#include <string>
#include <vector>

#include "platform/codepage.h"
#include "settings/tool_config.h"
#include "settings/tool_folder.h"

namespace qlm {
namespace platform { class Host; }
class ToolConfig;

namespace colour {
inline constexpr char kPattern[] = "*.CLR";
inline constexpr char kExtension[] = ".CLR";
inline constexpr char kDefaultFile[] = "Default.CLR";
}  // namespace colour

// The names the platform's search finds in the tool's Color folder, in its
// order; for a virtualized tool, in that folder and its twin in the virtual
// store (ToolFiles::FindFiles). Empty when it finds none.
std::vector<std::string> ListColourFiles(const ToolFiles& files);

// The colour file the tool's [GLOBAL] COLOR (among the edited keys) stands
// for, as a file name.
std::string StoredColourFile(const EditedValues& values, ToolKind kind);

// Whether Color\name exists (the tool's copy or the original); tells the
// user, naming the path, when it does not.
bool ConfirmColourFile(platform::Host& host, const ToolFiles& files, const std::string& name);

// The path of the colour file name that the tool reads: its copy in the
// virtual store where the tool is virtualized and there is one, else Color\name.
std::string ColourFilePath(const ToolFiles& files, const std::string& name);

// Matches a colour file's name as the file system does, ignoring case.
inline auto SameFileAs(const std::string& name) {
  return [&name](const std::string& item) { return platform::CompareIgnoringCase(item, name) == 0; };
}

// Writes name into [GLOBAL] COLOR in the form the tool kind stores: the
// bare name for TradePro, "Color\" and the file name for the others. False,
// after telling the user, when the file is gone.
bool SaveColourSetting(const ToolConfig& config, ToolKind kind, const std::string& name);

}  // namespace qlm
