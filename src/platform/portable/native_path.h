// native_path.h: Windows paths of the program mapped onto the Linux file
// system, the way Wine maps them.
#pragma once

#include <string>

namespace qlm::platform {

// The Linux path for a Windows-style path in code page 932: the drive "Z:"
// is the root "/", backslashes are slashes, names are converted to UTF-8,
// "." and ".." are resolved by their text, trailing dots (and, on the last
// name, trailing blanks) are dropped as Windows drops them, and
// each component that does not exist as spelled is looked up ignoring ASCII
// case, as Windows file names are. Other paths stay relative to the current
// folder.
std::string NativePath(const std::string& path);

}  // namespace qlm::platform
