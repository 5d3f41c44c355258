// working_copy_portable.cpp: working copies of profile files on Linux, put
// in place by rename(2), which replaces the file in one step.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "platform/portable/file_bytes.h"
#include "platform/portable/native_path.h"
#include "platform/profile_store.h"
#include "platform/working_copy_name.h"

namespace qlm::platform {
namespace {

bool FlushToDisk(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY);
  if (fd < 0) return false;
  const bool flushed = fsync(fd) == 0;
  close(fd);
  return flushed;
}

// Whether two names are the same name as the program's paths are resolved:
// ignoring ASCII case.
bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

bool ProcessRuns(pid_t id) { return kill(id, 0) == 0 || errno == EPERM; }

}  // namespace

std::optional<std::string> MakeWorkingCopy(const std::string& file) {
  const std::string copy = WorkingCopyName(file, static_cast<std::uint32_t>(getpid()));
  const std::string source = NativePath(file);
  const std::string target = NativePath(copy);
  struct stat status;
  if (stat(source.c_str(), &status) != 0) {
    if (errno != ENOENT) return std::nullopt;
    unlink(target.c_str());
    return copy;
  }
  if (!S_ISREG(status.st_mode)) return std::nullopt;
  const auto bytes = ReadWholeFile(source);
  if (!bytes) return std::nullopt;
  const int fd = open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC, status.st_mode & 07777);
  if (fd < 0) return std::nullopt;
  bool written = WriteAll(fd, *bytes);
  written = fchmod(fd, status.st_mode & 07777) == 0 && written;
  written = close(fd) == 0 && written;
  if (!written) {
    unlink(target.c_str());
    return std::nullopt;
  }
  return copy;
}

bool ReplaceWithWorkingCopy(const std::string& copy, const std::string& file) {
  const std::string from = NativePath(copy);
  std::string to = NativePath(file);
  const auto fresh = ReadWholeFile(from);
  if (!fresh) return false;
  if (const auto old = ReadWholeFile(to); old && *old == *fresh) {
    RemoveWorkingCopy(copy);
    return true;
  }
  if (!FlushToDisk(from)) return false;
  // A settings file reached through a link: the file it names is replaced.
  char real[PATH_MAX];
  if (realpath(to.c_str(), real)) to = real;
  return rename(from.c_str(), to.c_str()) == 0;
}

void RemoveWorkingCopy(const std::string& copy) { unlink(NativePath(copy).c_str()); }

void RemoveStaleWorkingCopies(const std::string& file) {
  // The mark keeps the last name as spelled, as the copies are named, where
  // the file's own name may resolve to a differently cased one on disk.
  const std::string marked = NativePath(file + std::string(kCopyMark));
  const std::size_t start = marked.rfind('/') + 1;
  const std::string folder = start == 0 ? "./" : marked.substr(0, start);
  const std::string fileName = marked.substr(start, marked.size() - start - kCopyMark.size());
  const std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
  if (!dir) return;
  const pid_t self = getpid();
  while (const dirent* entry = readdir(dir.get())) {
    const auto owner = WorkingCopyOwner(entry->d_name, fileName, SameName);
    // A copy under this process's own id is from an ended process that had
    // the same id: this one keeps no copy between its actions. An id beyond
    // any process id is no copy of ours.
    if (!owner || *owner > INT_MAX) continue;
    const auto id = static_cast<pid_t>(*owner);
    if (id == self || !ProcessRuns(id)) unlink((folder + entry->d_name).c_str());
  }
}

}  // namespace qlm::platform
