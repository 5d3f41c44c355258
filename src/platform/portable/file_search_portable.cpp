// file_search_portable.cpp: the wildcard search over a Linux folder, as
// Windows answers it for the program's patterns; writing, making folders and
// copying.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <memory>

#include "platform/codepage.h"
#include "platform/file_search.h"
#include "platform/paths.h"
#include "platform/portable/file_bytes.h"
#include "platform/portable/native_path.h"
#include "platform/portable/text_conversion.h"
#include "platform/working_copy_name.h"

namespace qlm::platform {
namespace {

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Windows wildcards: "*" any run of characters, "?" one character; ASCII
// letters match in either case.
bool Matches(std::string_view mask, std::string_view name) {
  if (mask.empty()) return name.empty();
  if (mask[0] == '*') {
    for (std::size_t skip = 0;; skip = NextChar(name, skip)) {
      if (Matches(mask.substr(1), name.substr(skip))) return true;
      if (skip >= name.size()) return false;
    }
  }
  if (name.empty()) return false;
  const std::size_t nameChar = NextChar(name, 0);
  if (mask[0] == '?') return Matches(mask.substr(1), name.substr(nameChar));
  const std::size_t maskChar = NextChar(mask, 0);
  if (maskChar != nameChar) return false;
  for (std::size_t i = 0; i < maskChar; ++i)
    if (Upper(mask[i]) != Upper(name[i])) return false;
  return Matches(mask.substr(maskChar), name.substr(nameChar));
}

// A name Windows can use as its own short 8.3 name.
bool IsShortName(std::string_view name) {
  const std::size_t dot = name.find('.');
  const std::string_view base = name.substr(0, dot);
  const std::string_view extension = dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
  return !base.empty() && base.size() <= 8 && extension.size() <= 3 &&
         extension.find('.') == std::string_view::npos && name.find(' ') == std::string_view::npos &&
         (dot == std::string_view::npos || !extension.empty());
}

// An approximation of the generated short name of a long name: its base is
// never what a "*" mask tests; its extension is the first three characters
// after the last dot, in upper case.
std::string ShortName(std::string_view name) {
  while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.remove_suffix(1);
  const std::size_t dot = name.rfind('.');
  std::string shortName = "X~1";
  if (dot != std::string_view::npos && dot + 1 < name.size()) {
    shortName += '.';
    for (const char c : name.substr(dot + 1, 3)) shortName += Upper(c);
  }
  return shortName;
}

std::string Cp932FromUtf8(const std::string& text) { return ConvertText(text, "CP932", "UTF-8").value_or(text); }

}  // namespace

// Names come back sorted ignoring case, the order of the platform's own file
// systems. Besides the long name, a long name's generated short name is
// matched too, so "*.CLR" also finds "Night.CLRX", as Windows does where it
// keeps short names.
std::vector<std::string> FindFiles(const std::string& pattern) {
  const std::size_t slash = LastBackslash(pattern);
  const std::string folder = slash == std::string::npos ? "." : pattern.substr(0, slash + 1);
  const std::string mask = slash == std::string::npos ? pattern : pattern.substr(slash + 1);

  std::vector<std::string> names;
  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(NativePath(folder).c_str()), closedir);
  if (!dir) return names;
  while (const dirent* entry = readdir(dir.get())) {
    const std::string name = Cp932FromUtf8(entry->d_name);
    if (Matches(mask, name) || (!IsShortName(name) && Matches(mask, ShortName(name)))) names.push_back(name);
  }
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return CompareIgnoringCase(a, b) < 0;
  });
  return names;
}

bool FileExists(const std::string& path) {
  struct stat status;
  return !path.empty() && stat(NativePath(path).c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

// A file no one may write (no write bit at all), whatever the user's rights
// would let pass (root's do).
bool IsReadOnlyFile(const std::string& path) {
  struct stat status;
  return stat(NativePath(path).c_str(), &status) == 0 && S_ISREG(status.st_mode) && (status.st_mode & 0222) == 0;
}

bool CanWriteFile(const std::string& path) {
  const std::string native = NativePath(path);
  struct stat status;
  if (stat(native.c_str(), &status) == 0 &&
      (!S_ISREG(status.st_mode) || IsReadOnlyFile(path) || access(native.c_str(), W_OK) != 0))
    return false;
  const std::size_t slash = native.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : native.substr(0, slash + 1);
  return stat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode) && access(folder.c_str(), W_OK) == 0;
}

bool MakeFolder(const std::string& path) {
  const std::string native = NativePath(path);
  struct stat status;
  return mkdir(native.c_str(), 0777) == 0 || (stat(native.c_str(), &status) == 0 && S_ISDIR(status.st_mode));
}

// The copy is made under a working copy's name beside to, flushed to disk,
// and only then linked under to's name, which never replaces an existing
// file: a program ended half way leaves to absent or whole, and its working
// copy is removed as any that an ended run left.
bool CopyNewFile(const std::string& from, const std::string& to) {
  const std::string source = NativePath(from);
  struct stat status;
  if (stat(source.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return false;
  const auto bytes = ReadWholeFile(source);
  const auto name = FittingCopyName(to, FileNameStart(to), static_cast<std::uint32_t>(getpid()));
  if (!bytes || !name) return false;
  const std::string temporary = NativePath(*name);
  const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, (status.st_mode & 07777) | S_IWUSR);
  if (fd < 0) return false;
  bool copied = WriteAll(fd, *bytes) && fsync(fd) == 0;
  copied = close(fd) == 0 && copied;
  copied = copied && link(temporary.c_str(), NativePath(to).c_str()) == 0;
  unlink(temporary.c_str());
  return copied;
}

}  // namespace qlm::platform
