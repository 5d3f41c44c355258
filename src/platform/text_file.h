// text_file.h: whole files as bytes: one the program makes for the user to
// read, and one it parses itself in one pass.
#pragma once

#include <optional>
#include <string>

namespace qlm::platform {

// Replaces the file at path (a Windows-style path in the system code page)
// with bytes, creating it; false when it cannot be written whole.
bool WriteWholeFile(const std::string& path, const std::string& bytes);

// The bytes of the file at path (a Windows-style path in the system code
// page), read while other programs go on using it; nothing when it cannot be
// read.
std::optional<std::string> ReadFileBytes(const std::string& path);

}  // namespace qlm::platform
