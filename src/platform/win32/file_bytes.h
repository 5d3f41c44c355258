// file_bytes.h: whole files as bytes, for the Win32 backend's own use.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace qlm::platform {

// Closes a file handle when it goes out of scope.
class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  ~FileHandle() {
    if (valid()) CloseHandle(handle_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

// Opens path for reading while other programs go on reading, writing or
// replacing it.
HANDLE OpenForReading(const std::string& path);

// The bytes of an open file, or of the file at path; nothing when it cannot
// be read.
std::optional<std::string> ReadFileBytes(HANDLE file);
std::optional<std::string> ReadFileBytes(const std::string& path);

// Writes what the system holds of the file at path to disk.
bool FlushToDisk(const std::string& path);

}  // namespace qlm::platform
