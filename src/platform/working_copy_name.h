// working_copy_name.h: the rules every backend shares for working copies of
// profile files: how a copy is named, when a copy found beside a file is
// stale, and how long a replace that another program blocks is retried.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qlm::platform {

inline constexpr std::string_view kCopyMark = ".qlm";
inline constexpr std::string_view kCopyEnd = ".tmp";
// The short form, for a file whose copy's usual name would be too long:
// "<folder>\~<process id>.qlm".
inline constexpr std::string_view kShortCopyStart = "~";
inline constexpr std::string_view kShortCopyEnd = ".qlm";
// The longest path the system's ANSI file functions take (MAX_PATH less the
// terminating NUL).
inline constexpr std::size_t kLongestPath = 259;

// The working copy of file that the process with this id makes, in its
// usual form "<file>.qlm<process id>.tmp".
inline std::string WorkingCopyName(const std::string& file, std::uint32_t processId) {
  return file + std::string(kCopyMark) + std::to_string(processId) + std::string(kCopyEnd);
}

// The name the copy is made under: the usual form when it fits the longest
// path, else the short form in the file's folder (folderEnd: the index just
// past the file's last backslash), else nothing (no copy can be made; the
// file is then written in place).
inline std::optional<std::string> FittingCopyName(const std::string& file, std::size_t folderEnd,
                                                  std::uint32_t processId) {
  std::string usual = WorkingCopyName(file, processId);
  if (usual.size() <= kLongestPath) return usual;
  std::string shortName = file.substr(0, folderEnd) + std::string(kShortCopyStart) + std::to_string(processId) +
                          std::string(kShortCopyEnd);
  if (shortName.size() <= kLongestPath) return shortName;
  return std::nullopt;
}

namespace detail {
inline std::optional<std::uint32_t> ProcessIdIn(std::string_view digits) {
  if (digits.empty() || digits.size() > 10) return std::nullopt;
  std::uint64_t id = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    id = id * 10 + static_cast<std::uint64_t>(c - '0');
  }
  if (id > 0xFFFFFFFFu) return std::nullopt;
  return static_cast<std::uint32_t>(id);
}
}  // namespace detail

// The process id in name when it is the name (without folder) of a working
// copy of a file named fileName, in either form; sameName compares two names
// as the file system does. A short-form copy names no file: it belongs to
// whichever file of its folder its process was writing, and counts as a
// copy of each of them.
template <typename SameName>
std::optional<std::uint32_t> WorkingCopyOwner(std::string_view name, std::string_view fileName,
                                              SameName sameName) {
  if (name.size() > kShortCopyStart.size() + kShortCopyEnd.size() &&
      sameName(name.substr(0, kShortCopyStart.size()), kShortCopyStart) &&
      sameName(name.substr(name.size() - kShortCopyEnd.size()), kShortCopyEnd))
    return detail::ProcessIdIn(name.substr(kShortCopyStart.size(),
                                           name.size() - kShortCopyStart.size() - kShortCopyEnd.size()));
  const std::size_t markEnd = fileName.size() + kCopyMark.size();
  if (name.size() <= markEnd + kCopyEnd.size()) return std::nullopt;
  if (!sameName(name.substr(0, fileName.size()), fileName) ||
      !sameName(name.substr(fileName.size(), kCopyMark.size()), kCopyMark) ||
      !sameName(name.substr(name.size() - kCopyEnd.size()), kCopyEnd))
    return std::nullopt;
  return detail::ProcessIdIn(name.substr(markEnd, name.size() - markEnd - kCopyEnd.size()));
}

// The process id in name when it is a working copy of one of names (the
// names of files in one folder), as WorkingCopyOwner tells it.
template <typename SameName>
std::optional<std::uint32_t> WorkingCopyOwnerAmong(std::string_view name, const std::vector<std::string>& names,
                                                   SameName sameName) {
  for (const std::string& fileName : names)
    if (const auto owner = WorkingCopyOwner(name, fileName, sameName)) return owner;
  return std::nullopt;
}

// Calls search(folder, names) once for each folder among files, with the
// names of its files: a folder is searched once for the copies of all of
// them (both forms of a copy's name hold kCopyMark). folderEnd gives the
// index just past a path's last separator; sameName compares two folders.
template <typename FolderEnd, typename SameName, typename Search>
void ForEachFolderOf(const std::vector<std::string>& files, FolderEnd folderEnd, SameName sameName,
                     Search search) {
  std::vector<bool> taken(files.size());
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (taken[i]) continue;
    const std::size_t end = folderEnd(files[i]);
    const std::string folder = files[i].substr(0, end);
    std::vector<std::string> names;
    for (std::size_t j = i; j < files.size(); ++j) {
      if (taken[j] || folderEnd(files[j]) != end || !sameName(std::string_view(files[j]).substr(0, end), folder))
        continue;
      taken[j] = true;
      names.push_back(files[j].substr(end));
    }
    search(folder, names);
  }
}

// What the process with a copy's id is now, on this machine.
enum class CopyOwner {
  kGone,          // no such process runs
  kMayBeOwner,    // it runs and started before the copy was made
  kIdReused,      // it runs but started after the copy was made: not the owner
  kUnknown,       // it runs and cannot be asked when it started
};

// What is known of a copy found beside a file.
struct FoundCopy {
  bool held = false;         // some program has it open (the owner holds its live copy open)
  bool ownId = false;        // named after this process's id
  bool remote = false;       // on a network drive: its id may be another machine's
  bool oldEnough = false;    // not written for kStaleAfterMinutes
  CopyOwner owner = CopyOwner::kUnknown;
};

// A copy on a network drive untouched this long is taken for left over.
inline constexpr int kStaleAfterMinutes = 10;

// Whether a copy is left over by a run that ended half way and may be
// removed. A copy that any program holds open is never stale: a live owner
// keeps its copy open between its writes. This process keeps no copy
// between its actions, so one under its own id was left by an ended process
// that had the same id. On a network drive a process id may be another
// machine's, so only age tells.
inline bool IsStaleCopy(const FoundCopy& copy) {
  if (copy.held) return false;
  if (copy.remote) return copy.oldEnough;
  if (copy.ownId) return true;
  return copy.owner == CopyOwner::kGone || copy.owner == CopyOwner::kIdReused;
}

// How a try to replace a file (or to open it for writing) ended.
enum class TryResult {
  kDone,
  kBusy,      // another program holds the file for a moment (access denied, sharing or lock violation)
  kFailed,    // anything else: not worth trying again
};

// The pauses before each further try of something another program blocks
// for a moment (a scanner, the search indexer or a sync client opening a
// freshly written file): well under a second in all.
inline constexpr std::array<int, 7> kBusyPausesMs = {0, 10, 20, 40, 80, 160, 320};

// Tries tryOnce until it is done or fails outright, pausing (pause(ms))
// before each further try while it finds the file busy; kBusy when it is
// still busy after the last pause.
template <typename Try, typename Pause>
TryResult RetryWhileBusy(Try&& tryOnce, Pause&& pause) {
  TryResult result = tryOnce();
  for (const int ms : kBusyPausesMs) {
    if (result != TryResult::kBusy) return result;
    pause(ms);
    result = tryOnce();
  }
  return result;
}

}  // namespace qlm::platform
