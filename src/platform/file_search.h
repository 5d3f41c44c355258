// file_search.h: the platform's wildcard file search, and the few other
// file-system operations the program's own settings need.
#pragma once

#include <string>
#include <vector>

namespace qlm::platform {

// The names (without folder) of the files and folders that match pattern, a
// folder path followed by a wildcard name such as "C:\Tool\Color\*.CLR", in
// the order the platform returns them. Empty when nothing matches.
std::vector<std::string> FindFiles(const std::string& pattern);

// True only when path names an existing file that is not a folder.
bool FileExists(const std::string& path);

// Whether the file at path is marked read-only (false for a folder or no
// file). The platform may still let a rename replace such a file, or its
// owner write it, so whoever must keep it unwritten asks first.
bool IsReadOnlyFile(const std::string& path);

// Whether the file at path can be written: an existing file opened for
// writing, and its folder letting a new file be made there (tried with one
// that does not stay). False for a folder standing at path.
bool CanWriteFile(const std::string& path);

// Makes the folder at path (its parent must exist); true when it exists
// afterwards.
bool MakeFolder(const std::string& path);

// Copies the file from to the new file to; false, copying nothing, when from
// is missing or to exists.
bool CopyNewFile(const std::string& from, const std::string& to);

}  // namespace qlm::platform
