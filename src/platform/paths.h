// paths.h: splitting Windows paths held as system code page bytes.
#pragma once

#include <string>
#include <string_view>

namespace qlm {

// Index of the last backslash that is a character of its own (never the
// second byte of a double-byte character), or npos.
std::size_t LastBackslash(std::string_view path);

// Where the file name starts: just past the last backslash, or 0 for a path
// without one.
std::size_t FileNameStart(std::string_view path);

// The path without its last component and without a trailing backslash:
// "C:\Tools\QLM.exe" gives "C:\Tools".
std::string ParentFolder(std::string_view path);

// The folder of a chosen file, ending with a backslash: everything before the
// last backslash, then "\" (empty for a path without one). A backslash straight after a drive colon stays, so
// "C:\TradePro.exe" gives "C:\\" (two backslashes, which the platform accepts).
std::string FolderOfChosenFile(std::string_view path);

}  // namespace qlm
