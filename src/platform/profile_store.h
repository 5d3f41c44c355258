// profile_store.h: the platform's store of INI-format profile files.
//
// Every operation names its file by full path. Texts are bytes in the system
// code page; an argument is taken up to its first NUL byte, as the platform's
// C interface takes it. Nothing here is cached by the program: each call sees
// what the last write left.
#pragma once

#include <cstddef>
#include <string>

namespace qlm::platform {

// The platform reads a value into a buffer of this many bytes, so a value has
// at most kProfileBufferSize - 1 bytes.
inline constexpr std::size_t kProfileBufferSize = 2048;

// The value of key in section of file, as the platform's profile reader gives
// it: blanks around it removed, one pair of enclosing quotes removed, cut to
// fit the buffer. Missing file, section or key give fallback (itself trimmed
// of trailing blanks). Never fails.
std::string ProfileRead(const std::string& file, const std::string& section,
                              const std::string& key, const std::string& fallback);

// Sets key in section of file to value, creating the file, the section and
// the key as needed; an empty value writes "key=". False when the platform
// refuses the write; the file is then left as it was.
bool ProfileWrite(const std::string& file, const std::string& section,
                        const std::string& key, const std::string& value);

// Asks the platform to write any cached copy of file to disk.
void ProfileFlush(const std::string& file);

// True only when path names an existing file that is not a folder.
bool FileExists(const std::string& path);

}  // namespace qlm::platform
