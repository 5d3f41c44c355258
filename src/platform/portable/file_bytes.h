// file_bytes.h: whole files as bytes, for the portable backend's own use.
#pragma once

#include <optional>
#include <string>

namespace qlm::platform {

// The bytes of the regular file at a native path; nothing when it cannot be
// read or is no regular file.
std::optional<std::string> ReadWholeFile(const std::string& path);

// Writes all of text to fd; false on any failure.
bool WriteAll(int fd, const std::string& text);

}  // namespace qlm::platform
