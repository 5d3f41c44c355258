// working_copy_win32.cpp: working copies of profile files, put in place
// with MoveFileExA.
//
// MoveFileExA with MOVEFILE_REPLACE_EXISTING is one rename: the name always
// leads to the whole old or the whole new file. ReplaceFileA is not used:
// without a backup name it may fail after the old file is gone and before
// the copy took its name (ERROR_UNABLE_TO_MOVE_REPLACEMENT), and Wine's
// moves the old file aside before moving the copy in, leaving a moment with
// no file at all. The file's attributes are carried over to the copy; its
// permissions are those a new file in the folder gets, as when the tool
// writes the file anew. MOVEFILE_WRITE_THROUGH returns only once the rename
// is on disk; the copy's content is flushed before.
#include <windows.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "platform/codepage.h"
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

bool FlushToDisk(const std::string& path) {
  const FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  return file.valid() && FlushFileBuffers(file.get());
}

// Whether a process with this id runs. An id whose process cannot be opened
// for lack of rights belongs to a running process of someone else.
bool ProcessRuns(DWORD processId) {
  const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
  if (!process) return GetLastError() == ERROR_ACCESS_DENIED;
  const bool runs = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  CloseHandle(process);
  return runs;
}

// Whether two names are the same name for the file system (ignoring case).
bool SameName(std::string_view a, std::string_view b) { return CompareIgnoringCase(a, b) == 0; }

}  // namespace

std::optional<std::string> MakeWorkingCopy(const std::string& file) {
  const std::string copy = WorkingCopyName(file, GetCurrentProcessId());
  const FileHandle source(OpenForReading(file));
  if (!source.valid()) {
    if (GetLastError() != ERROR_FILE_NOT_FOUND) return std::nullopt;
    // A copy by this name is left from an ended process that had the same
    // id; the first write must start from nothing, as it would on file.
    DeleteFileA(copy.c_str());
    return copy;
  }
  const auto bytes = ReadFileBytes(source.get());
  if (!bytes) return std::nullopt;
  bool written = false;
  {
    const FileHandle target(CreateFileA(copy.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!target.valid()) return std::nullopt;
    written = WriteAll(target.get(), *bytes);
  }
  if (!written) {
    DeleteFileA(copy.c_str());
    return std::nullopt;
  }
  return copy;
}

// The profile functions write each change to the file at once, but may keep
// the copy parsed under its name: they are told to let go of it once the
// name is free, when that costs no parse of the file.
void RemoveWorkingCopy(const std::string& copy) {
  DeleteFileA(copy.c_str());
  ProfileFlush(copy);
}

bool ReplaceWithWorkingCopy(const std::string& copy, const std::string& file) {
  const auto fresh = ReadFileBytes(copy);
  if (!fresh) return false;
  if (const auto old = ReadFileBytes(file); old && *old == *fresh) {
    RemoveWorkingCopy(copy);
    return true;
  }
  if (!FlushToDisk(copy)) return false;

  const DWORD attributes = GetFileAttributesA(file.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES)
    SetFileAttributesA(copy.c_str(), attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                                   FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED));
  if (!MoveFileExA(copy.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return false;
  ProfileFlush(copy);
  return true;
}

void RemoveStaleWorkingCopies(const std::string& file) {
  // The last backslash, stepping over double-byte characters, whose second
  // byte may be a backslash's.
  std::size_t slash = std::string::npos;
  for (std::size_t i = 0; i < file.size(); i = NextChar(file, i))
    if (file[i] == '\\') slash = i;
  if (slash == std::string::npos) return;
  const std::string folder = file.substr(0, slash + 1);
  const std::string fileName = file.substr(slash + 1);
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA((file + std::string(kCopyMark) + "*" + std::string(kCopyEnd)).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  const DWORD self = GetCurrentProcessId();
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const auto owner = WorkingCopyOwner(found.cFileName, fileName, SameName);
    // A copy under this process's own id is from an ended process that had
    // the same id: this one keeps no copy between its actions.
    if (owner && (*owner == self || !ProcessRuns(*owner))) DeleteFileA((folder + found.cFileName).c_str());
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

}  // namespace qlm::platform
