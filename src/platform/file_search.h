// file_search.h: the platform's wildcard file search.
#pragma once

#include <string>
#include <vector>

namespace qlm::platform {

// The names (without folder) of the files and folders that match pattern, a
// folder path followed by a wildcard name such as "C:\Tool\Color\*.CLR", in
// the order the platform returns them. Empty when nothing matches.
std::vector<std::string> FindFiles(const std::string& pattern);

}  // namespace qlm::platform
