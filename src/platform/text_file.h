// text_file.h: writing a whole file that the program makes for the user to
// read (not a settings file).
#pragma once

#include <string>

namespace qlm::platform {

// Replaces the file at path (a Windows-style path in the system code page)
// with bytes, creating it; false when it cannot be written whole.
bool WriteWholeFile(const std::string& path, const std::string& bytes);

}  // namespace qlm::platform
