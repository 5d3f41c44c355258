// working_copy_win32.cpp: working copies of profile files, put in place
// with MoveFileExA.
//
// MoveFileExA with MOVEFILE_REPLACE_EXISTING is one rename: the name always
// leads to the whole old or the whole new file. ReplaceFileA is not used:
// without a backup name it may fail after the old file is gone and before
// the copy took its name (ERROR_UNABLE_TO_MOVE_REPLACEMENT), and Wine's
// moves the old file aside before moving the copy in, leaving a moment with
// no file at all. The file's attributes are carried over to the copy, and
// its own permissions where it has any (entries of its own, or a list
// protected from its folder's); otherwise the copy's permissions are those
// a new file in the folder gets, as when the tool writes the file anew.
// MOVEFILE_WRITE_THROUGH returns only once the rename is on disk; the copy's
// content is flushed before.
//
// Between its uses the copy is held open without sharing writing or
// deletion: no other program can change or remove it, and another run's
// search for left-over copies sees it as live. The hold is let go while the
// profile functions work on the copy, as they open it for themselves alone.
#include <windows.h>
#include <aclapi.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/codepage.h"
#include "platform/paths.h"
#include "platform/profile_store.h"
#include "platform/win32/file_bytes.h"
#include "platform/working_copy_name.h"

namespace qlm::platform {
namespace {

bool WriteAll(HANDLE file, const std::string& bytes) {
  for (std::size_t done = 0; done < bytes.size();) {
    DWORD written = 0;
    if (!WriteFile(file, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &written, nullptr) ||
        written == 0)
      return false;
    done += written;
  }
  return true;
}

std::uint64_t Join(DWORD high, DWORD low) { return static_cast<std::uint64_t>(high) << 32 | low; }

FileStamp StampOf(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(file, &info)) return {};
  FileStamp stamp;
  stamp.exists = true;
  stamp.size = Join(info.nFileSizeHigh, info.nFileSizeLow);
  stamp.writeTime = Join(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime);
  stamp.volume = info.dwVolumeSerialNumber;
  stamp.index = Join(info.nFileIndexHigh, info.nFileIndexLow);
  return stamp;
}

// The state of the file at path, looked at without disturbing anyone.
FileStamp StampOf(const std::string& path) {
  const FileHandle file(CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  return file.valid() ? StampOf(file.get()) : FileStamp{};
}

bool SameFile(const FileStamp& a, const FileStamp& b) {
  return a.exists == b.exists && a.volume == b.volume && a.index == b.index;
}

// Errors of a file that another program holds for a moment.
bool IsBusy(DWORD error) {
  return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

// Whether the system refuses this user the change of the file, rather than
// another program holding it for a moment (both fail a rename over it with
// ERROR_ACCESS_DENIED): a refusal is not worth trying again. Windows then
// refuses opening it to delete or write as well, sharing everything with its
// holders. (Wine checks only the write: it lets any user open a file to
// delete it, and refuses the rename by the folder's Unix permissions.)
bool Refused(const std::string& file) {
  const FileHandle opened(CreateFileA(file.c_str(), GENERIC_WRITE | DELETE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  return !opened.valid() && GetLastError() == ERROR_ACCESS_DENIED;
}

struct Snapshot {
  std::string bytes;
  FileStamp stamp;
};

// The file's bytes and state from a reading that no writer was in the
// middle of. Windows' profile functions open a file for themselves alone
// while they write it, so a reading cannot start then (tried again while the
// file is busy); a writer that lets others read is caught by the file's
// state changing during the reading (read again). Whatever a writer does
// after the reading, the copy does not take the file's place unless the
// file is still as read. Nothing when it cannot be read or keeps changing;
// an empty snapshot when it does not exist.
std::optional<Snapshot> ReadSettled(const std::string& path) {
  Snapshot snapshot;
  bool missing = false;
  const TryResult read = RetryWhileBusy(
      [&] {
        const FileHandle file(OpenForReading(path));
        if (!file.valid()) {
          const DWORD error = GetLastError();
          missing = error == ERROR_FILE_NOT_FOUND;
          return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ? TryResult::kBusy
                                                                                    : TryResult::kFailed;
        }
        const FileStamp before = StampOf(file.get());
        auto bytes = ReadFileBytes(file.get());
        if (!bytes) return TryResult::kFailed;
        const FileStamp after = StampOf(file.get());
        if (before != after || bytes->size() != after.size) return TryResult::kBusy;
        snapshot = {std::move(*bytes), after};
        return TryResult::kDone;
      },
      PauseWhileBusy);
  if (read == TryResult::kDone) return snapshot;
  if (missing) return Snapshot{};
  return std::nullopt;
}

// Opens the hold on a copy: others may only read it meanwhile.
HANDLE OpenHold(const std::string& path) {
  return CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                     nullptr);
}

std::shared_ptr<void> Hold(HANDLE handle) {
  return std::shared_ptr<void>(handle, [](void* held) { CloseHandle(held); });
}

// Gives copy the permissions of file where file has its own: explicit
// entries or a list protected from its folder's. True when it has none (or
// its volume keeps none) or they were given; the owner is given too where
// this user may.
bool GiveOwnPermissions(const std::string& file, const std::string& copy) {
  const FileHandle source(CreateFileA(file.c_str(), READ_CONTROL,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!source.valid()) return false;
  DWORD volumeFlags = 0;
  if (GetVolumeInformationByHandleW(source.get(), nullptr, 0, nullptr, nullptr, &volumeFlags, nullptr, 0) &&
      !(volumeFlags & FS_PERSISTENT_ACLS))
    return true;
  PSID owner = nullptr;
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(source.get(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                      nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
    return false;
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  GetSecurityDescriptorControl(descriptor, &control, &revision);
  const bool isProtected = (control & SE_DACL_PROTECTED) != 0;
  // A missing list (everyone may do everything) is one of the file's own.
  bool own = isProtected || dacl == nullptr;
  for (DWORD i = 0; dacl && !own && i < dacl->AceCount; ++i) {
    void* ace = nullptr;
    if (GetAce(dacl, i, &ace) && !(static_cast<ACE_HEADER*>(ace)->AceFlags & INHERITED_ACE)) own = true;
  }
  bool given = true;
  if (own) {
    const SECURITY_INFORMATION list =
        DACL_SECURITY_INFORMATION |
        (isProtected ? PROTECTED_DACL_SECURITY_INFORMATION : UNPROTECTED_DACL_SECURITY_INFORMATION);
    std::string name = copy;
    given = SetNamedSecurityInfoA(name.data(), SE_FILE_OBJECT, list | OWNER_SECURITY_INFORMATION, owner, nullptr,
                                  dacl, nullptr) == ERROR_SUCCESS ||
            SetNamedSecurityInfoA(name.data(), SE_FILE_OBJECT, list, nullptr, nullptr, dacl, nullptr) ==
                ERROR_SUCCESS;
  }
  LocalFree(descriptor);
  return given;
}

// What the process with this id is now, against the time its copy was made.
CopyOwner OwnerOf(DWORD processId, const FILETIME& copyMade) {
  const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  if (!process) return GetLastError() == ERROR_ACCESS_DENIED ? CopyOwner::kUnknown : CopyOwner::kGone;
  CopyOwner owner = CopyOwner::kUnknown;
  DWORD exitCode = 0;
  FILETIME started, ended, kernel, user;
  if (GetExitCodeProcess(process, &exitCode) && exitCode != STILL_ACTIVE)
    owner = CopyOwner::kGone;
  else if (GetProcessTimes(process, &started, &ended, &kernel, &user))
    owner = CompareFileTime(&started, &copyMade) > 0 ? CopyOwner::kIdReused : CopyOwner::kMayBeOwner;
  CloseHandle(process);
  return owner;
}

// Whether path lies on a network drive, where process ids may be another
// machine's.
bool OnNetworkDrive(const std::string& path) {
  if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') return true;
  if (path.size() < 3 || path[1] != ':') return false;
  return GetDriveTypeA(path.substr(0, 3).c_str()) == DRIVE_REMOTE;
}

// Whether two names are the same name for the file system (ignoring case).
bool SameName(std::string_view a, std::string_view b) { return CompareIgnoringCase(a, b) == 0; }

}  // namespace

std::optional<WorkingCopy> MakeWorkingCopy(const std::string& file, const std::string& startFrom) {
  const auto name = FittingCopyName(file, FileNameStart(file), GetCurrentProcessId());
  if (!name) return std::nullopt;
  WorkingCopy copy;
  copy.path = *name;
  auto snapshot = ReadSettled(file);
  if (!snapshot) return std::nullopt;
  // The file as copied; a file that does not exist yet starts from startFrom.
  std::optional<Snapshot> start;
  if (snapshot->stamp.exists) {
    copy.source = snapshot->stamp;
    copy.sourceBytes = std::move(snapshot->bytes);
  } else if (!startFrom.empty()) {
    start = ReadSettled(startFrom);
    if (!start) return std::nullopt;
    if (!start->stamp.exists) start.reset();
  }
  if (!snapshot->stamp.exists && !start) {
    // A copy by this name is left from an ended process that had the same
    // id; the first write must start from nothing, as it would on file.
    DeleteFileA(copy.path.c_str());
    return copy;
  }
  {
    const FileHandle target(CreateFileA(copy.path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!target.valid()) return std::nullopt;
    // A name reused from an ended process keeps that copy's creation time:
    // the copy is dated now, so that others can tell it from a left-over one.
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    if (!WriteAll(target.get(), start ? start->bytes : copy.sourceBytes) ||
        !SetFileTime(target.get(), &now, nullptr, nullptr)) {
      DeleteFileA(copy.path.c_str());
      return std::nullopt;
    }
  }
  const HANDLE held = OpenHold(copy.path);
  if (held != INVALID_HANDLE_VALUE) copy.hold = Hold(held);
  copy.copy = held != INVALID_HANDLE_VALUE ? StampOf(held) : StampOf(copy.path);
  return copy;
}

bool UseWorkingCopy(WorkingCopy& copy) {
  const bool same = (copy.hold ? StampOf(copy.hold.get()) : StampOf(copy.path)) == copy.copy &&
                    SameFile(StampOf(copy.path), copy.copy);
  copy.hold.reset();
  return same;
}

// The profile functions have just closed the copy: what they left is
// noted. Its identity is not compared with the one before, since nothing
// promises that they rewrite a file in place rather than anew.
bool KeepWorkingCopy(WorkingCopy& copy, bool hold) {
  const HANDLE held = hold ? OpenHold(copy.path) : INVALID_HANDLE_VALUE;
  // Opened by another program just now (a scanner looking at it): checked
  // by its state alone until the next use.
  copy.copy = held != INVALID_HANDLE_VALUE ? StampOf(held) : StampOf(copy.path);
  if (held != INVALID_HANDLE_VALUE) copy.hold = Hold(held);
  return copy.copy.exists;
}

ReplaceResult ReplaceWithWorkingCopy(WorkingCopy& copy, const std::string& file) {
  copy.hold.reset();
  if (StampOf(copy.path) != copy.copy) return ReplaceResult::kCopyChanged;
  {
    // The file's time stamp may not move between two writes close together:
    // its bytes are compared too.
    const FileHandle now(OpenForReading(file));
    const auto bytes = now.valid() ? ReadFileBytes(now.get()) : std::optional<std::string>(std::string());
    const FileStamp stamp = now.valid() ? StampOf(now.get()) : FileStamp{};
    if (!bytes || stamp != copy.source || *bytes != copy.sourceBytes) return ReplaceResult::kFileChanged;
    // A copy of another size cannot equal the file: it is not read.
    if (stamp.exists && copy.copy.size == stamp.size) {
      const auto fresh = ReadFileBytes(copy.path);
      if (!fresh) return ReplaceResult::kCopyChanged;
      if (*bytes == *fresh) {
        RemoveWorkingCopy(copy);
        return ReplaceResult::kReplaced;
      }
    }
  }
  if (!FlushToDisk(copy.path)) return ReplaceResult::kNotReplaced;

  const DWORD attributes = GetFileAttributesA(file.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    SetFileAttributesA(copy.path.c_str(), attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                                        FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED));
    if (!GiveOwnPermissions(file, copy.path)) return ReplaceResult::kNotReplaced;
  }
  ReplaceResult result = ReplaceResult::kNotReplaced;
  const TryResult moved = RetryWhileBusy(
      [&] {
        // The program that held the file may have written it.
        if (StampOf(file) != copy.source) {
          result = ReplaceResult::kFileChanged;
          return TryResult::kFailed;
        }
        if (!SameFile(StampOf(copy.path), copy.copy)) {
          result = ReplaceResult::kCopyChanged;
          return TryResult::kFailed;
        }
        if (MoveFileExA(copy.path.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
          return TryResult::kDone;
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) result = ReplaceResult::kCopyChanged;
        return IsBusy(error) && !(error == ERROR_ACCESS_DENIED && Refused(file)) ? TryResult::kBusy
                                                                                  : TryResult::kFailed;
      },
      PauseWhileBusy);
  if (moved != TryResult::kDone) return result;
  ProfileFlush(copy.path);
  return ReplaceResult::kReplaced;
}

// The profile functions write each change to the file at once, but may keep
// the copy parsed under its name: they are told to let go of it once the
// name is free, when that costs no parse of the file.
void RemoveWorkingCopy(WorkingCopy& copy) {
  copy.hold.reset();
  DeleteFileA(copy.path.c_str());
  ProfileFlush(copy.path);
}

namespace {

// Removes the stale copies of the files named in folder (ending with a
// backslash), from one search of it.
void RemoveStaleCopiesIn(const std::string& folder, const std::vector<std::string>& names) {
  if (folder.empty()) return;
  const DWORD self = GetCurrentProcessId();
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const std::uint64_t nowTicks = Join(now.dwHighDateTime, now.dwLowDateTime);
  const std::uint64_t staleTicks = static_cast<std::uint64_t>(kStaleAfterMinutes) * 60 * 10000000;
  // Asked only once a copy is found: the drive's type costs a look.
  std::optional<bool> remote;
  // Both forms of a copy's name, "<file>.qlm<id>.tmp" and "~<id>.qlm".
  const std::string pattern = folder + "*" + std::string(kCopyMark) + "*";
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const auto owner = WorkingCopyOwnerAmong(found.cFileName, names, SameName);
    if (!owner) continue;
    if (!remote) remote = OnNetworkDrive(folder);
    FoundCopy facts;
    facts.ownId = *owner == self;
    facts.remote = *remote;
    const std::uint64_t written = Join(found.ftLastWriteTime.dwHighDateTime, found.ftLastWriteTime.dwLowDateTime);
    facts.oldEnough = nowTicks > written && nowTicks - written >= staleTicks;
    facts.owner = OwnerOf(*owner, found.ftCreationTime);
    if (!IsStaleCopy(facts)) continue;
    // Held open by anyone (a live owner holds its copy), it is not stale:
    // only a copy this process can open for itself alone is removed, and
    // through that opening, so that no file put there since is. (Under
    // Wine a program of another prefix has a server of its own, which does
    // not see this hold; its owner then finds the copy gone at its next
    // use and makes it again from the file.)
    const HANDLE alone = CreateFileA((folder + found.cFileName).c_str(), DELETE, 0, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (alone != INVALID_HANDLE_VALUE) CloseHandle(alone);
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

}  // namespace

void RemoveStaleWorkingCopies(const std::vector<std::string>& files) {
  ForEachFolderOf(files, FileNameStart, SameName, RemoveStaleCopiesIn);
}

}  // namespace qlm::platform
