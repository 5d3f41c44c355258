// version_info.h: the file version an executable's version resource carries.
#pragma once

#include <string>

namespace qlm::ui {

// The FileVersion string of the first language and code page the version
// resource of path lists, or "-" when there is none.
std::string FileVersionOf(const std::string& path);

}  // namespace qlm::ui
