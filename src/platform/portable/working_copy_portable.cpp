// working_copy_portable.cpp: working copies of profile files on Linux, put
// in place by rename(2), which replaces the file in one step. Linux has no
// sharing modes: a copy here is not held between its uses, and its state
// (device, inode, size, time) tells whether someone else touched it.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <optional>
#include <string>

#include "platform/codepage.h"
#include "platform/portable/file_bytes.h"
#include "platform/paths.h"
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

FileStamp StampOf(const struct stat& status) {
  FileStamp stamp;
  stamp.exists = true;
  stamp.size = static_cast<std::uint64_t>(status.st_size);
  stamp.writeTime = static_cast<std::uint64_t>(status.st_mtim.tv_sec) * 1000000000u +
                    static_cast<std::uint64_t>(status.st_mtim.tv_nsec);
  stamp.volume = static_cast<std::uint64_t>(status.st_dev);
  stamp.index = static_cast<std::uint64_t>(status.st_ino);
  return stamp;
}

// The state of the file at a native path; not existing when it cannot be
// looked at.
FileStamp StampOf(const std::string& native) {
  struct stat status;
  return stat(native.c_str(), &status) == 0 ? StampOf(status) : FileStamp{};
}

// The bytes of the regular file at a native path and its state as they were
// read; read again while it changes under the reading (a writer half way).
// Nothing when it cannot be read or keeps changing.
std::optional<std::pair<std::string, FileStamp>> ReadSettled(const std::string& native) {
  for (const int ms : kBusyPausesMs) {
    PauseWhileBusy(ms);
    struct stat before;
    if (stat(native.c_str(), &before) != 0 || !S_ISREG(before.st_mode)) return std::nullopt;
    auto bytes = ReadWholeFile(native);
    if (!bytes) return std::nullopt;
    const FileStamp stamp = StampOf(before);
    if (StampOf(native) == stamp && bytes->size() == stamp.size) return std::make_pair(std::move(*bytes), stamp);
  }
  return std::nullopt;
}

CopyOwner OwnerOf(pid_t id) {
  if (kill(id, 0) == 0 || errno == EPERM) return CopyOwner::kMayBeOwner;
  return CopyOwner::kGone;
}

// Writes the copy's bytes with the file's permissions (a new file's where
// none are given); nothing is left when that fails.
bool WriteCopy(const std::string& target, const std::string& bytes, std::optional<mode_t> mode) {
  const int fd = open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC, mode.value_or(0666));
  if (fd < 0) return false;
  bool written = WriteAll(fd, bytes);
  written = (!mode || fchmod(fd, *mode) == 0) && written;
  written = close(fd) == 0 && written;
  if (!written) unlink(target.c_str());
  return written;
}

// The copy of file and the file as copied; its first bytes are given, or
// the file's (startFrom's where file does not exist yet).
std::optional<WorkingCopy> MakeCopy(const std::string& file, const std::string& startFrom, const std::string* bytes) {
  const auto name = FittingCopyName(file, FileNameStart(file), static_cast<std::uint32_t>(getpid()));
  if (!name) return std::nullopt;
  WorkingCopy copy;
  copy.path = *name;
  std::string source = NativePath(file);
  const std::string target = NativePath(copy.path);
  struct stat status;
  // A file that does not exist yet starts from startFrom, where that exists.
  const bool missing = stat(source.c_str(), &status) != 0;
  if (missing && (errno != ENOENT || bytes || startFrom.empty() ||
                  stat((source = NativePath(startFrom)).c_str(), &status) != 0)) {
    if (errno != ENOENT) return std::nullopt;
    unlink(target.c_str());
    if (!bytes) return copy;
  }
  // A file written whole where there was none gets a new file's permissions.
  const bool fresh = missing && bytes;
  if (!fresh && !S_ISREG(status.st_mode)) return std::nullopt;
  std::optional<std::pair<std::string, FileStamp>> settled;
  if (!missing || !bytes) {
    settled = ReadSettled(source);
    if (!settled) return std::nullopt;
  }
  if (!missing) {
    copy.sourceBytes = settled->first;
    copy.source = settled->second;
  }
  const std::string& first = bytes ? *bytes : settled->first;
  copy.content = copy.ContentAtStart(missing && !bytes ? nullptr : &first);
  if (!WriteCopy(target, first, fresh ? std::nullopt : std::optional<mode_t>(status.st_mode & 07777)))
    return std::nullopt;
  copy.copy = StampOf(target);
  return copy;
}

}  // namespace

std::optional<WorkingCopy> MakeWorkingCopy(const std::string& file, const std::string& startFrom) {
  return MakeCopy(file, startFrom, nullptr);
}

std::optional<WorkingCopy> MakeWorkingCopyOf(const std::string& file, const std::string& bytes) {
  return MakeCopy(file, {}, &bytes);
}

bool UseWorkingCopy(WorkingCopy& copy) { return StampOf(NativePath(copy.path)) == copy.copy; }

bool KeepWorkingCopy(WorkingCopy& copy) {
  copy.copy = StampOf(NativePath(copy.path));
  return true;
}

ReplaceResult ReplaceWithWorkingCopy(WorkingCopy& copy, const std::string& file) {
  const std::string from = NativePath(copy.path);
  std::string to = NativePath(file);
  // Checked or written just before: what it holds now is noted.
  copy.copy = StampOf(from);
  if (!copy.copy.exists) return ReplaceResult::kCopyChanged;
  const auto now = ReadWholeFile(to);
  if (StampOf(to) != copy.source || (now ? *now : std::string()) != copy.sourceBytes)
    return ReplaceResult::kFileChanged;
  const auto known = copy.KnownToEqualSource();
  std::optional<std::string> fresh;
  if (!known && !(fresh = ReadWholeFile(from))) return ReplaceResult::kCopyChanged;
  const bool equal = known ? *known : now && *now == *fresh;
  if (equal) {
    RemoveWorkingCopy(copy);
    return ReplaceResult::kReplaced;
  }
  if (!FlushToDisk(from)) return ReplaceResult::kNotReplaced;
  // A settings file reached through a link: the file it names is replaced.
  char real[PATH_MAX];
  if (realpath(to.c_str(), real)) to = real;
  return rename(from.c_str(), to.c_str()) == 0 ? ReplaceResult::kReplaced : ReplaceResult::kNotReplaced;
}

void RemoveWorkingCopy(WorkingCopy& copy) { unlink(NativePath(copy.path).c_str()); }

void RemoveStaleWorkingCopies(const std::vector<std::string>& files) {
  // The mark keeps the last name as spelled, as the copies are named, where
  // the file's own name may resolve to a differently cased one on disk.
  std::vector<std::string> marked;
  for (const std::string& file : files) marked.push_back(NativePath(file + std::string(kCopyMark)));
  const auto folderEnd = [](const std::string& path) { return path.rfind('/') + 1; };
  const auto sameFolder = [](std::string_view a, std::string_view b) { return a == b; };
  ForEachFolderOf(marked, folderEnd, sameFolder, [](const std::string& folderPart, std::vector<std::string> names) {
    const std::string folder = folderPart.empty() ? "./" : folderPart;
    for (std::string& name : names) name.resize(name.size() - kCopyMark.size());
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
    if (!dir) return;
    const pid_t self = getpid();
    const auto now = static_cast<std::uint64_t>(std::time(nullptr));
    while (const dirent* entry = readdir(dir.get())) {
      const auto owner = WorkingCopyOwnerAmong(entry->d_name, names, SameName);
      // An id beyond any process id is no copy of ours.
      if (!owner || *owner > INT_MAX) continue;
      const std::string path = folder + entry->d_name;
      struct stat status;
      if (lstat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) continue;
      FoundCopy found;
      const auto id = static_cast<pid_t>(*owner);
      found.ownId = id == self;
      found.owner = OwnerOf(id);
      found.oldEnough = now - static_cast<std::uint64_t>(status.st_mtime) >= kStaleAfterMinutes * 60u;
      if (IsStaleCopy(found)) unlink(path.c_str());
    }
  });
}

}  // namespace qlm::platform
