// test_support.cpp: scratch folders in the build's own file system.
#include "test_support.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "platform/codepage.h"
#include "platform/working_copy_name.h"

#ifdef _WIN32
#include <windows.h>
#include <tlhelp32.h>
#else
#include <sys/stat.h>
#include <unistd.h>

#include "platform/portable/native_path.h"
#endif

namespace qlm::test {
namespace {

namespace fs = std::filesystem;

// The file system path for a Windows-style path of the program.
fs::path Native(const std::string& path) {
#ifdef _WIN32
  // Narrow paths are in the system code page; convert through UTF-16.
  const int units = MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(units), L'\0');
  MultiByteToWideChar(CP_ACP, 0, path.data(), static_cast<int>(path.size()), wide.data(), units);
  return fs::path(wide);
#else
  return fs::path(platform::NativePath(path));
#endif
}

std::string TempRoot() {
#ifdef _WIN32
  char buffer[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, buffer);
  std::string root = buffer;
  if (!root.empty() && root.back() == '\\') root.pop_back();
  return root;
#else
  return "Z:\\tmp";
#endif
}

}  // namespace

std::string Sjis(const char* utf8) { return platform::AnsiFromUtf8(utf8); }

std::string BuiltProgram(const std::string& built) {
  const char* staged = std::getenv("QLM_STAGED");
  if (!staged || !*staged) return built;
  return std::string(staged) + "\\" + built.substr(built.find_last_of("\\/") + 1);
}

ScratchFolder::ScratchFolder() {
  std::random_device seed;
  std::mt19937_64 random(seed());
  path_ = TempRoot() + "\\qlm-test-" + std::to_string(random() % 1000000000000ULL);
  fs::create_directories(Native(path_));
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  fs::remove_all(Native(path_), ignored);
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  const fs::path native = Native(path);
  fs::create_directories(native.parent_path());
  std::ofstream out(native, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(Native(path), std::ios::binary);
  if (!in) return "<missing>";
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void MakeFolder(const std::string& path) { fs::create_directories(Native(path)); }

void RemoveFile(const std::string& path) { fs::remove_all(Native(path)); }

bool TryRemoveFile(const std::string& path) {
  std::error_code error;
  return fs::remove(Native(path), error) && !error;
}

void SetReadOnly(const std::string& path, bool readOnly) {
  fs::permissions(Native(path), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  readOnly ? fs::perm_options::remove : fs::perm_options::add);
}

bool IsReadOnly(const std::string& path) {
  return (fs::status(Native(path)).permissions() & fs::perms::owner_write) == fs::perms::none;
}

std::uint64_t FileIdentity(const std::string& path) {
#ifdef _WIN32
  const HANDLE file = CreateFileW(Native(path).c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                                  nullptr);
  BY_HANDLE_FILE_INFORMATION info = {};
  GetFileInformationByHandle(file, &info);
  CloseHandle(file);
  return static_cast<std::uint64_t>(info.nFileIndexHigh) << 32 | info.nFileIndexLow;
#else
  struct stat info = {};
  if (stat(Native(path).c_str(), &info) != 0) return 0;
  return static_cast<std::uint64_t>(info.st_ino);
#endif
}

std::vector<std::string> FileNames(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(Native(folder))) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string WorkingCopyOf(const std::string& file) {
#ifdef _WIN32
  const unsigned long id = GetCurrentProcessId();
#else
  const unsigned long id = static_cast<unsigned long>(getpid());
#endif
  return platform::WorkingCopyName(file, static_cast<std::uint32_t>(id));
}

}  // namespace qlm::test

namespace qlm::test {

unsigned long OtherRunningProcessId() {
#ifdef _WIN32
  unsigned long other = 0;
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more && other == 0; more = Process32Next(snapshot, &entry))
    if (entry.th32ProcessID != 0 && entry.th32ProcessID != GetCurrentProcessId()) other = entry.th32ProcessID;
  CloseHandle(snapshot);
  return other;
#else
  return static_cast<unsigned long>(getppid());
#endif
}

CurrentFolder::CurrentFolder(const std::string& path) : previous_(fs::current_path().string()) {
  fs::current_path(Native(path));
}

CurrentFolder::~CurrentFolder() {
  std::error_code ignored;
  fs::current_path(fs::path(previous_), ignored);
}

}  // namespace qlm::test
