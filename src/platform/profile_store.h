// profile_store.h: the platform's store of INI-format profile files.
//
// Every operation names its file by full path. Texts are bytes in the system
// code page; an argument is taken up to its first NUL byte, as the platform's
// C interface takes it. Nothing here is cached by the program: each call sees
// what the last write left.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

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

// Sets each key of section in file to its value, leaving exactly the bytes
// that the writes one by one, in this order, leave; where the platform can
// do that with one rewrite of the file, it does. False when the platform
// refuses a write: some of the values may then be written (use it on a
// working copy).
bool ProfileWriteKeys(const std::string& file, const std::string& section,
                      const std::vector<std::pair<std::string, std::string>>& values);

// Asks the platform to write any cached copy of file to disk.
void ProfileFlush(const std::string& file);

// False when file holds no key of section that a read could find (no such
// section, or the file is missing): one look instead of a read per key.
bool ProfileHasKeys(const std::string& file, const std::string& section);

// True only when path names an existing file that is not a folder.
bool FileExists(const std::string& path);

// Working copies. The writes of one action go to a copy of the file made
// beside it, which then takes the file's place in one step: the file on disk
// only ever holds its whole old or its whole new content, even when the
// program is ended half way. A copy is named after its file and the process
// that made it: "<file>.qlm<process id>.tmp".

// Makes the working copy of file for this process, byte for byte, and
// returns its path. When file does not exist yet, no copy is made: the first
// write to the returned path creates it. Nothing when the copy cannot be
// made (file unreadable, folder refusing new files); the caller then writes
// to file in place.
std::optional<std::string> MakeWorkingCopy(const std::string& file);

// Flushes copy to disk and puts it in the place of file in one step,
// keeping the file's attributes; a copy whose bytes equal the file's is only
// removed, so the file keeps its time stamp. False when file cannot be
// replaced (held open by a program that does not share it, or refused); the
// copy and the file are then left as they were.
bool ReplaceWithWorkingCopy(const std::string& copy, const std::string& file);

// Removes a working copy whose writes are not wanted.
void RemoveWorkingCopy(const std::string& copy);

// Removes the working copies of file that processes of this program left
// when they ended half way (a crash, a forced end, a power cut): those
// named after file whose process no longer runs, and none other.
void RemoveStaleWorkingCopies(const std::string& file);

}  // namespace qlm::platform
