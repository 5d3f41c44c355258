// colour_catalogue.h: the tool's colour-scheme files (Color\*.CLR), which one
// it uses, and how each kind of tool stores that choice in [GLOBAL] COLOR.
#pragma once

#include <optional>
#include <string>

#include "settings/tool_folder.h"

namespace qlm {
namespace platform { class Host; }
class ListModel;
class ToolConfig;

namespace colour {
inline constexpr char kPattern[] = "*.CLR";
inline constexpr char kExtension[] = ".CLR";
inline constexpr char kDefaultFile[] = "Default.CLR";
}  // namespace colour

// Fills list with the names the platform's search finds in the tool's Color
// folder, in its order; for a virtualized tool, in that folder and its twin
// in the virtual store (ToolFiles::FindFiles). False, leaving list
// untouched, when it finds none.
bool ListColourFiles(const ToolFiles& files, ListModel& list);

// Selects the first item equal to name ignoring case. False, after telling
// the user, when the list then has no selection.
bool SelectColourFile(platform::Host& host, ListModel& list, const std::string& name);

// Makes name the current colour file when Color\name exists (the tool's
// copy or the original); otherwise tells the user and leaves current as it was.
bool SetCurrentColourFile(platform::Host& host, const ToolFiles& files, const std::string& name,
                          std::string& current);

// The path of the colour file name that the tool reads: its copy in the
// virtual store where the tool is virtualized and there is one, else Color\name.
std::string ColourFilePath(const ToolFiles& files, const std::string& name);

// Reads the tool's colour file from [GLOBAL] COLOR, selects it in list and
// makes it the current one.
bool LoadColourSetting(const ToolConfig& config, ToolKind kind, ListModel& list, std::string& current);

// The stored colour file as ListColourFiles would list it (its name as on
// disk), found by a search for that one name; nothing when that search
// cannot settle it (no such file, a name the list's pattern may not match),
// which leaves it to the full list.
std::optional<std::string> FindStoredColourFile(const ToolConfig& config, ToolKind kind);

// Writes current into [GLOBAL] COLOR in the form the tool kind stores: the
// bare name for TradePro, "Color\" and the file name for the others. False,
// after telling the user, when the file is gone.
bool SaveColourSetting(const ToolConfig& config, ToolKind kind, const std::string& current);

}  // namespace qlm
