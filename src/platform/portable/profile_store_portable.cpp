// profile_store_portable.cpp: the profile store on the portable INI engine.
// Nothing is cached: every operation reads the file afresh, and a change is
// written at once.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <optional>

#include "platform/portable/file_bytes.h"
#include "platform/ini/ini_document.h"
#include "platform/portable/native_path.h"
#include "platform/profile_store.h"

namespace qlm::platform {
namespace {

mode_t CurrentUmask() {
  const mode_t mask = umask(0);
  umask(mask);
  return mask;
}

// Replaces the file's contents so that a failure leaves the old contents
// whole: the text goes to a new file beside it, which then takes its name.
bool ReplaceFile(const std::string& path, const std::string& text) {
  struct stat status;
  const bool existed = stat(path.c_str(), &status) == 0;
  if (existed && !S_ISREG(status.st_mode)) return false;
  std::string target = path;
  if (existed) {
    char real[PATH_MAX];
    if (realpath(path.c_str(), real)) target = real;
  }

  std::string temporary = target + ".qlm-XXXXXX";
  const int fd = mkstemp(temporary.data());
  if (fd < 0) {
    // A folder we may not create files in can still hold a file we may
    // write: write that file in place.
    if (!existed) return false;
    const int direct = open(target.c_str(), O_WRONLY | O_TRUNC);
    if (direct < 0) return false;
    const bool ok = WriteAll(direct, text);
    return close(direct) == 0 && ok;
  }
  bool ok = WriteAll(fd, text);
  ok = (existed ? fchmod(fd, status.st_mode & 07777) : fchmod(fd, 0666 & ~CurrentUmask())) == 0 && ok;
  ok = close(fd) == 0 && ok;
  if (ok && rename(temporary.c_str(), target.c_str()) == 0) return true;
  unlink(temporary.c_str());
  return false;
}

// Whether the last part of path is a name the platform accepts for a file.
bool IsValidFileName(const std::string& path) {
  const std::string name = path.substr(path.rfind('/') + 1);
  return !name.empty() && name.find_first_of("*?<>\"|") == std::string::npos;
}

// Whether path names nothing yet, in a folder that exists and under a valid
// name. The platform reads such a file as an empty one, but gives a read of a
// file it cannot open at all its fallback as it stands.
bool IsMissingFile(const std::string& path) {
  struct stat status;
  if (!IsValidFileName(path) || lstat(path.c_str(), &status) == 0 || errno != ENOENT) return false;
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  return stat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

}  // namespace

std::string ProfileRead(const std::string& file, const std::string& section, const std::string& key,
                        const std::string& fallback) {
  const std::string path = NativePath(file);
  if (const auto text = ReadWholeFile(path)) {
    const ini::Document document(*text);
    if (const auto value = document.Find(section, key)) return ini::ReadResult(*value);
  } else if (!IsMissingFile(path)) {
    return ini::UnopenedFallback(fallback);
  }
  return ini::ReadResult(ini::TrimFallback(ini::CArgument(fallback)));
}

bool ProfileWrite(const std::string& file, const std::string& section, const std::string& key,
                  const std::string& value) {
  const std::string path = NativePath(file);
  struct stat status;
  const bool existed = stat(path.c_str(), &status) == 0;
  if (existed ? !S_ISREG(status.st_mode) : !IsValidFileName(path)) return false;
  std::optional<std::string> text = existed ? ReadWholeFile(path) : std::string();
  if (!text) return false;
  ini::Document document(std::move(*text));
  if (!document.Set(section, key, value)) return true;
  return ReplaceFile(path, document.text());
}

bool ProfileDeleteKey(const std::string& file, const std::string& section, const std::string& key) {
  const std::string path = NativePath(file);
  struct stat status;
  if (stat(path.c_str(), &status) != 0) return IsMissingFile(path);
  if (!S_ISREG(status.st_mode)) return false;
  std::optional<std::string> text = ReadWholeFile(path);
  if (!text) return false;
  ini::Document document(std::move(*text));
  if (!document.Remove(section, key)) return true;
  document.RemoveBareSection(section);
  return ReplaceFile(path, document.text());
}

bool ProfileWriteKeys(const std::string& file, const std::string& section,
                      const std::vector<std::pair<std::string, std::string>>& values) {
  for (const auto& [key, value] : values)
    if (!ProfileWrite(file, section, key, value)) return false;
  return true;
}

bool WriteKeysOnCopy(WorkingCopy& copy, const std::string& section,
                     const std::vector<std::pair<std::string, std::string>>& values) {
  copy.content = WorkingCopy::Content::kUnknown;
  return ProfileWriteKeys(copy.path, section, values);
}

bool ProfileHasKeys(const std::string& file, const std::string& section) {
  const auto text = ReadWholeFile(NativePath(file));
  return text && ini::Document(*text).HasSection(section);
}

void ProfileFlush(const std::string&) {}

}  // namespace qlm::platform
