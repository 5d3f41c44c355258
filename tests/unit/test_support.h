// test_support.h: scratch folders and file bytes for tests, named by the
// Windows-style paths the program uses.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qlm::test {

// Shift-JIS bytes of a UTF-8 text.
std::string Sjis(const char* utf8);

// What the Error that action raises says, or "no error".
template <typename Error, typename Action>
std::string ErrorText(Action action) {
  try {
    action();
  } catch (const Error& error) {
    return error.what();
  }
  return "no error";
}

// A program of the build (its path as built), or the copy beside the test
// program where the tests run as a user who cannot read the build tree
// (QLM_STAGED names that folder; scripts/wine-run-user sets it).
std::string BuiltProgram(const std::string& built);

// A new empty folder, removed with everything in it at the end of the test.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  // The folder's Windows-style path, without a trailing backslash.
  const std::string& path() const { return path_; }
  // path() + "\" + relative.
  std::string operator/(const std::string& relative) const { return path_ + "\\" + relative; }

 private:
  std::string path_;
};

// Writes bytes to the file at a Windows-style path, creating its folders.
void WriteBytes(const std::string& path, const std::string& bytes);
// The bytes of the file, or "<missing>".
std::string ReadBytes(const std::string& path);
void MakeFolder(const std::string& path);

// Makes path the process's current folder while it lives.
class CurrentFolder {
 public:
  explicit CurrentFolder(const std::string& path);
  ~CurrentFolder();
  CurrentFolder(const CurrentFolder&) = delete;
  CurrentFolder& operator=(const CurrentFolder&) = delete;

 private:
  std::string previous_;
};
void RemoveFile(const std::string& path);
// Removes the file if the file system lets it; false when it does not.
bool TryRemoveFile(const std::string& path);
// Sets or clears the file's read-only mark (the attribute on Windows, the
// write permissions elsewhere); whether it is set.
void SetReadOnly(const std::string& path, bool readOnly);
bool IsReadOnly(const std::string& path);
// What tells one file from another on its volume (the file index on Windows,
// the inode elsewhere): it stays while a file is written in place and
// changes when another file takes its place.
std::uint64_t FileIdentity(const std::string& path);
// The names of the files in folder, sorted.
std::vector<std::string> FileNames(const std::string& folder);

// The name under which this process keeps its working copy of file while the
// writes of one action are made.
std::string WorkingCopyOf(const std::string& file);
// The id of a running process other than this one.
unsigned long OtherRunningProcessId();

}  // namespace qlm::test
