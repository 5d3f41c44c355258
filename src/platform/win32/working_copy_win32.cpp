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
// From the flush to the rename it is held by the flushing opening, which
// shares the renaming but not writing.
//
// A file's identity (its volume and index) is asked only where nothing else
// answers for it: under Wine each such question goes to a service in another
// process (some tenths of a millisecond), against a few microseconds for the
// size and time. Whether a name still leads to a held copy, the hold itself
// answers: an opening for writing is refused at once by the hold's sharing.
#include <windows.h>
#include <aclapi.h>

#include <cstdlib>
#include <cstring>
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

FileStamp StampOf(HANDLE file, DWORD* attributes = nullptr) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(file, &info)) return {};
  if (attributes) *attributes = info.dwFileAttributes;
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

// What can change of a file while it is open (its identity cannot): its size
// and last write time, as a stamp without the identity, which takes a look at
// the volume (under Wine a question to a service in another process, some
// tenths of a millisecond each time). None when they cannot be read.
FileStamp SizeAndTime(HANDLE file) {
  FILE_BASIC_INFO basic;
  FILE_STANDARD_INFO standard;
  if (!GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic) ||
      !GetFileInformationByHandleEx(file, FileStandardInfo, &standard, sizeof standard))
    return {};
  return {.exists = true,
          .size = static_cast<std::uint64_t>(standard.EndOfFile.QuadPart),
          .writeTime = static_cast<std::uint64_t>(basic.LastWriteTime.QuadPart)};
}

// Whether two stamps agree in all but the identity.
bool SameState(const FileStamp& a, const FileStamp& b) {
  return a.exists == b.exists && a.size == b.size && a.writeTime == b.writeTime;
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
// an empty snapshot when it does not exist. The file's identity is asked
// when it is compared before its replacement.
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
        const auto before = SizeAndTime(file.get());
        auto bytes = ReadFileBytes(file.get());
        const auto after = SizeAndTime(file.get());
        if (!bytes || !after.exists) return TryResult::kFailed;
        if (!SameState(before, after) || bytes->size() != after.size) return TryResult::kBusy;
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

// Whether path still leads to the copy this process holds without sharing
// writing (the hold, or the opening that flushes it): an opening for writing
// is then refused for sharing. A file put in its place, or none, is not
// refused so. Under Wine a program of another prefix has a server of its
// own, which does not see the hold: it may remove the copy and make another
// by that name, which this tells apart too.
bool LeadsToHeldCopy(const std::string& path) {
  const FileHandle probe(CreateFileA(path.c_str(), FILE_WRITE_DATA,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
  return !probe.valid() && GetLastError() == ERROR_SHARING_VIOLATION;
}

// The permissions of a file where it has its own (explicit entries, or a
// list protected from its folder's), to give its copy.
struct OwnPermissions {
  bool taken = false;  // false: they could not be read
  std::shared_ptr<void> descriptor;  // none: the file has none of its own
  PSID owner = nullptr;
  PACL dacl = nullptr;
  bool isProtected = false;
};

// Whether the volume of an open file keeps permissions (true when that
// cannot be told). Asked only where it decides something: the question
// looks at the volume.
bool KeepsPermissions(HANDLE file) {
  DWORD volumeFlags = 0;
  return !GetVolumeInformationByHandleW(file, nullptr, 0, nullptr, nullptr, &volumeFlags, nullptr, 0) ||
         (volumeFlags & FS_PERSISTENT_ACLS);
}

// Read through an opening of the file with READ_CONTROL. A volume that keeps
// no permissions has none to give.
OwnPermissions TakeOwnPermissions(HANDLE source) {
  OwnPermissions taken;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(source, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &taken.owner,
                      nullptr, &taken.dacl, nullptr, &descriptor) != ERROR_SUCCESS) {
    taken.taken = !KeepsPermissions(source);
    return taken;
  }
  taken.taken = true;
  std::shared_ptr<void> held(descriptor, [](void* d) { LocalFree(d); });
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  GetSecurityDescriptorControl(descriptor, &control, &revision);
  taken.isProtected = (control & SE_DACL_PROTECTED) != 0;
  // A missing list (everyone may do everything) is one of the file's own.
  bool own = taken.isProtected || taken.dacl == nullptr;
  for (DWORD i = 0; taken.dacl && !own && i < taken.dacl->AceCount; ++i) {
    void* ace = nullptr;
    if (GetAce(taken.dacl, i, &ace) && !(static_cast<ACE_HEADER*>(ace)->AceFlags & INHERITED_ACE)) own = true;
  }
  if (own) taken.descriptor = std::move(held);
  return taken;
}

bool SameAces(const ACL* a, const ACL* b) {
  if (!a || !b) return a == b;
  if (a->AceCount != b->AceCount) return false;
  for (DWORD i = 0; i < a->AceCount; ++i) {
    void* left = nullptr;
    void* right = nullptr;
    if (!GetAce(const_cast<ACL*>(a), i, &left) || !GetAce(const_cast<ACL*>(b), i, &right)) return false;
    const WORD size = static_cast<const ACE_HEADER*>(left)->AceSize;
    if (size != static_cast<const ACE_HEADER*>(right)->AceSize || std::memcmp(left, right, size) != 0) return false;
  }
  return true;
}

// Whether the copy, read through an opening with READ_CONTROL, has these
// permissions already: its owner, its list and whether the list is
// protected from its folder's.
bool HasPermissions(HANDLE copy, const OwnPermissions& permissions) {
  PSID owner = nullptr;
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(copy, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, nullptr,
                      &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
    return false;
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  GetSecurityDescriptorControl(descriptor, &control, &revision);
  const bool same = ((control & SE_DACL_PROTECTED) != 0) == permissions.isProtected && owner && permissions.owner &&
                    EqualSid(owner, permissions.owner) && SameAces(dacl, permissions.dacl);
  LocalFree(descriptor);
  return same;
}

// Gives the copy (held open with READ_CONTROL) the file's own permissions,
// where it has any and the copy has not got them already; the owner too
// where this user may.
bool GiveOwnPermissions(const OwnPermissions& permissions, HANDLE opened, const std::string& copy) {
  if (!permissions.taken) return false;
  if (!permissions.descriptor || HasPermissions(opened, permissions) || !KeepsPermissions(opened)) return true;
  const SECURITY_INFORMATION list =
      DACL_SECURITY_INFORMATION |
      (permissions.isProtected ? PROTECTED_DACL_SECURITY_INFORMATION : UNPROTECTED_DACL_SECURITY_INFORMATION);
  std::string name = copy;
  return SetNamedSecurityInfoA(name.data(), SE_FILE_OBJECT, list | OWNER_SECURITY_INFORMATION, permissions.owner,
                               nullptr, permissions.dacl, nullptr) == ERROR_SUCCESS ||
         SetNamedSecurityInfoA(name.data(), SE_FILE_OBJECT, list, nullptr, nullptr, permissions.dacl, nullptr) ==
             ERROR_SUCCESS;
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

// Whether a copy last written then is old enough to be left over.
bool OldEnough(const FILETIME& written) {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const std::uint64_t nowTicks = Join(now.dwHighDateTime, now.dwLowDateTime);
  const std::uint64_t writtenTicks = Join(written.dwHighDateTime, written.dwLowDateTime);
  return nowTicks > writtenTicks && nowTicks - writtenTicks >= std::uint64_t{kStaleAfterMinutes} * 60 * 10000000;
}

// Whether two names are the same name for the file system (ignoring case).
bool SameName(std::string_view a, std::string_view b) { return CompareIgnoringCase(a, b) == 0; }

// Writes the copy's first bytes, dated now: a name reused from an ended
// process keeps that copy's creation time, and others must tell this copy
// from a left-over one. Then holds it (an opening for reading: others may
// go on reading it).
bool StartCopy(WorkingCopy& copy, const std::string& bytes) {
  {
    const FileHandle target(CreateFileA(copy.path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!target.valid()) return false;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    if (!WriteAll(target.get(), bytes) || !SetFileTime(target.get(), &now, nullptr, nullptr)) {
      DeleteFileA(copy.path.c_str());
      return false;
    }
  }
  KeepWorkingCopy(copy);
  return true;
}

// The copy of file and the file as copied; its first bytes are given, or
// the file's (startFrom's where file does not exist yet).
std::optional<WorkingCopy> MakeCopy(const std::string& file, const std::string& startFrom, const std::string* bytes) {
  const auto name = FittingCopyName(file, FileNameStart(file), GetCurrentProcessId());
  if (!name) return std::nullopt;
  WorkingCopy copy;
  copy.path = *name;
  auto snapshot = ReadSettled(file);
  if (!snapshot) return std::nullopt;
  std::optional<Snapshot> start;
  if (snapshot->stamp.exists) {
    copy.source = snapshot->stamp;
    copy.sourceBytes = std::move(snapshot->bytes);
  } else if (!bytes && !startFrom.empty()) {
    start = ReadSettled(startFrom);
    if (!start) return std::nullopt;
    if (!start->stamp.exists) start.reset();
  }
  if (!bytes && !snapshot->stamp.exists && !start) {
    // A copy by this name is left from an ended process that had the same
    // id; the first write must start from nothing, as it would on file.
    DeleteFileA(copy.path.c_str());
    return copy;
  }
  const std::string& first = bytes ? *bytes : start ? start->bytes : copy.sourceBytes;
  if (!StartCopy(copy, first)) return std::nullopt;
  // A copy where there was no file differs from it, even when empty.
  copy.content = copy.ContentAtStart(start ? nullptr : &first);
  return copy;
}

}  // namespace

std::optional<WorkingCopy> MakeWorkingCopy(const std::string& file, const std::string& startFrom) {
  return MakeCopy(file, startFrom, nullptr);
}

std::optional<WorkingCopy> MakeWorkingCopyOf(const std::string& file, const std::string& bytes) {
  return MakeCopy(file, {}, &bytes);
}

bool UseWorkingCopy(WorkingCopy& copy) {
  // Held, the copy is asked through the hold what can change of it, and
  // its name whether it still leads to the held copy.
  const bool same = copy.hold ? SameState(SizeAndTime(copy.hold.get()), copy.copy) && LeadsToHeldCopy(copy.path)
                              : StampOf(copy.path) == copy.copy;
  copy.hold.reset();
  return same;
}

// The copy was just made, or the profile functions have just closed it: it
// is held and what it holds is noted. Its identity is not compared with the
// one before, since nothing promises that they rewrite a file in place rather
// than anew. Held, only its size and time are noted: the hold answers for its
// identity at the next use. Not held (another program opened it just now, a
// scanner looking at it), it is checked by its whole state, by name, until
// then.
bool KeepWorkingCopy(WorkingCopy& copy) {
  const HANDLE held = OpenHold(copy.path);
  if (held == INVALID_HANDLE_VALUE) {
    copy.copy = StampOf(copy.path);
  } else {
    copy.hold = std::shared_ptr<void>(held, [](void* handle) { CloseHandle(handle); });
    copy.copy = SizeAndTime(held);
  }
  return copy.copy.exists;
}

namespace {

// What the copy takes over from the file it replaces.
struct FileMarks {
  DWORD attributes = INVALID_FILE_ATTRIBUTES;  // none where there is no file
  OwnPermissions permissions;
};

// Whether the copy's bytes equal the file's, now that the file is known to
// be as copied; a copy of another size cannot, and is not read.
std::optional<bool> CopyEqualsFile(const WorkingCopy& copy, const FileStamp& file) {
  if (const auto known = copy.KnownToEqualSource()) return known;
  if (!file.exists || copy.copy.size != file.size) return false;
  const auto fresh = ReadFileBytes(copy.path);
  if (!fresh) return std::nullopt;
  return *fresh == copy.sourceBytes;
}

// The file compared with the bytes as copied (its time stamp may not move
// between two writes close together), through one opening that also reads
// what the copy is to take over from it. kReplaced when the copy equals the
// file (it is only to be removed), kNotReplaced when the copy may go on.
// The file holding those bytes now, whichever it is, is the one whose
// identity the rename checks.
ReplaceResult CompareWithFile(WorkingCopy& copy, const std::string& file, FileMarks& marks) {
  const FileHandle now(OpenForReading(file));
  const auto bytes = now.valid() ? ReadFileBytes(now.get()) : std::optional<std::string>(std::string());
  const FileStamp stamp = now.valid() ? StampOf(now.get(), &marks.attributes) : FileStamp{};
  if (!bytes || !SameState(stamp, copy.source) || *bytes != copy.sourceBytes) return ReplaceResult::kFileChanged;
  copy.source = stamp;
  const auto equal = CopyEqualsFile(copy, stamp);
  if (!equal) return ReplaceResult::kCopyChanged;
  if (*equal) return ReplaceResult::kReplaced;
  if (now.valid()) marks.permissions = TakeOwnPermissions(now.get());
  return ReplaceResult::kNotReplaced;
}

// Gives the copy the file's attributes (a new file has the archive mark
// alone: nothing to give then) and its own permissions.
bool GiveMarks(const FileMarks& marks, HANDLE opened, const std::string& copy) {
  if (marks.attributes == INVALID_FILE_ATTRIBUTES) return true;
  const DWORD given = marks.attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                          FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
  if (given != FILE_ATTRIBUTE_ARCHIVE) SetFileAttributesA(copy.c_str(), given);
  return GiveOwnPermissions(marks.permissions, opened, copy);
}

// The copy, held through its flushing opening, renamed over the file, tried
// again while another program holds the file for a moment; the file and the
// copy's name are checked just before.
ReplaceResult RenameOver(WorkingCopy& copy, const std::string& file) {
  ReplaceResult result = ReplaceResult::kNotReplaced;
  const TryResult moved = RetryWhileBusy(
      [&] {
        // The program that held the file may have written it.
        if (StampOf(file) != copy.source) {
          result = ReplaceResult::kFileChanged;
          return TryResult::kFailed;
        }
        if (!LeadsToHeldCopy(copy.path)) {
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
  return moved == TryResult::kDone ? ReplaceResult::kReplaced : result;
}

}  // namespace

ReplaceResult ReplaceWithWorkingCopy(WorkingCopy& copy, const std::string& file) {
  copy.hold.reset();
  ReplaceResult result;
  bool equal = false;
  {
    // Checked or written just before: what it holds now is noted, through
    // the opening that flushes it to disk once it is to take the file's
    // place, and holds it until it has: others may read it, and rename it
    // as the rename below does, but not write it nor open it for themselves
    // alone (another run's removal of left copies).
    const FileHandle opened(CreateFileA(copy.path.c_str(), GENERIC_WRITE | READ_CONTROL,
                                        FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    // Held by another program for a moment (a scanner), it is not replaced.
    if (!opened.valid())
      return GetLastError() == ERROR_FILE_NOT_FOUND ? ReplaceResult::kCopyChanged : ReplaceResult::kNotReplaced;
    copy.copy = SizeAndTime(opened.get());
    FileMarks marks;
    result = CompareWithFile(copy, file, marks);
    equal = result == ReplaceResult::kReplaced;
    if (result == ReplaceResult::kNotReplaced && FlushFileBuffers(opened.get()) &&
        GiveMarks(marks, opened.get(), copy.path))
      result = RenameOver(copy, file);
  }
  // A copy that equals the file is only removed, so the file keeps its time.
  if (equal)
    RemoveWorkingCopy(copy);
  else if (result == ReplaceResult::kReplaced)
    ProfileFlush(copy.path);
  return result;
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
    facts.oldEnough = OldEnough(found.ftLastWriteTime);
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
