// file_search_win32.cpp: the wildcard search on FindFirstFileA/FindNextFileA,
// and writing, making folders and copying on the Windows API.
#include <windows.h>

#include <string>

#include "platform/codepage.h"
#include "platform/file_search.h"
#include "platform/paths.h"
#include "platform/profile_store.h"
#include "platform/win32/file_bytes.h"
#include "platform/working_copy_name.h"

namespace qlm::platform {

std::vector<std::string> FindFiles(const std::string& pattern) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do names.emplace_back(found.cFileName);
  while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

// A file that another program has open for a moment (a scanner, a sync
// client) is tried again for a short while, so that one such moment does
// not send the program's own settings elsewhere for a whole run. A
// read-only file cannot be written, whatever the file system would let pass.
bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsReadOnlyFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
         (attributes & FILE_ATTRIBUTE_READONLY);
}

bool CanWriteFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) return false;
    const TryResult opened = RetryWhileBusy(
        [&] {
          const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
          if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            return TryResult::kDone;
          }
          const DWORD error = GetLastError();
          return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ? TryResult::kBusy
                                                                                    : TryResult::kFailed;
        },
        PauseWhileBusy);
    if (opened != TryResult::kDone) return false;
  }
  // A new file beside it, gone again when its handle is closed; named to fit
  // the longest path the system takes, as the working copies are.
  const std::size_t folderEnd = FileNameStart(path);
  const std::string id = std::to_string(GetCurrentProcessId());
  std::string probe = path + "." + id + ".probe";
  if (probe.size() > kLongestPath) probe = path.substr(0, folderEnd) + "~" + id + ".qlp";
  const HANDLE file = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

bool MakeFolder(const std::string& path) {
  if (CreateDirectoryA(path.c_str(), nullptr)) return true;
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The copy is made under a working copy's name beside to, flushed to disk,
// and only then given to's name, which it never takes from an existing file:
// a program ended half way leaves to absent or whole, and its working copy
// is removed as any that an ended run left.
bool CopyNewFile(const std::string& from, const std::string& to) {
  const auto temporary = FittingCopyName(to, FileNameStart(to), GetCurrentProcessId());
  if (!temporary) return false;
  bool copied = CopyFileA(from.c_str(), temporary->c_str(), FALSE) != 0;
  // The copy is the user's own to write, whatever marks the original has.
  const DWORD attributes = GetFileAttributesA(temporary->c_str());
  if (copied && attributes != INVALID_FILE_ATTRIBUTES)
    SetFileAttributesA(temporary->c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  copied = copied && FlushToDisk(*temporary) && MoveFileExA(temporary->c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH);
  if (!copied) DeleteFileA(temporary->c_str());
  return copied;
}

}  // namespace qlm::platform
