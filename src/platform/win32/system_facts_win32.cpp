// system_facts_win32.cpp: the executable's headers read from the file, the
// layers and the policy from the registry, the known folders from the
// environment every session sets (read without loading the shell, which
// most starts never need), the code page from the system.
#include <windows.h>

#include <algorithm>

#include "platform/executable_image.h"
#include "platform/system_facts.h"
#include "platform/win32/file_bytes.h"

namespace qlm::platform {
namespace {

constexpr char kLayersKey[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers";
constexpr char kPolicyKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";

// The string value name of key under root, in one registry view; "" when
// missing or no string.
std::string StringValue(HKEY root, const char* key, const std::string& name, REGSAM view) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(root, key, 0, KEY_QUERY_VALUE | view, &opened) != ERROR_SUCCESS) return {};
  char buffer[2048] = {};
  DWORD type = 0;
  DWORD size = sizeof buffer - 1;
  const LONG result = RegQueryValueExA(opened, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(opened);
  if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return {};
  return std::string(buffer, strnlen(buffer, size));
}

// A policy switch: on unless the value is there and 0.
bool PolicyOn(const char* name) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kPolicyKey, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &opened) != ERROR_SUCCESS)
    return true;
  DWORD value = 1;
  DWORD type = 0;
  DWORD size = sizeof value;
  const LONG result = RegQueryValueExA(opened, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(opened);
  return result != ERROR_SUCCESS || type != REG_DWORD || value != 0;
}

// Whether the layer list (names separated by blanks, "~" first when set by
// the program compatibility assistant) holds RUNASADMIN.
bool NamesRunAsAdministrator(const std::string& layers) {
  std::size_t pos = 0;
  while (pos < layers.size()) {
    const std::size_t end = std::min(layers.find(' ', pos), layers.size());
    if (end - pos == 10 && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, layers.data() + pos, 10, "RUNASADMIN", 10) ==
                               CSTR_EQUAL)
      return true;
    pos = end + 1;
  }
  return false;
}

std::string Environment(const char* name) {
  char buffer[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableA(name, buffer, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  std::string value(buffer, length);
  while (!value.empty() && value.back() == '\\') value.pop_back();
  return value;
}

}  // namespace

ExecutableFacts ReadExecutableFacts(const std::string& path) {
  const FileHandle file(OpenForReading(path));
  if (!file.valid()) return {};
  const ReadAt read = [&file](std::uint64_t offset, std::size_t size) {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    std::string bytes(size, '\0');
    DWORD got = 0;
    if (offset > 0x7FFFFFFFFFFFull || size > 0x7FFFFFFF || !SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN) ||
        !ReadFile(file.get(), bytes.data(), static_cast<DWORD>(size), &got, nullptr))
      return std::string();
    bytes.resize(got);
    return bytes;
  };
  return FactsOfExecutable(read, [&] { return ReadFileBytes(path + ".manifest"); });
}

// The machine's layers may sit in either registry view: both are asked.
bool HasRunAsAdministratorLayer(const std::string& path) {
  return NamesRunAsAdministrator(StringValue(HKEY_CURRENT_USER, kLayersKey, path, 0)) ||
         NamesRunAsAdministrator(StringValue(HKEY_LOCAL_MACHINE, kLayersKey, path, KEY_WOW64_64KEY)) ||
         NamesRunAsAdministrator(StringValue(HKEY_LOCAL_MACHINE, kLayersKey, path, KEY_WOW64_32KEY));
}

VirtualizationPolicy ReadVirtualizationPolicy() {
  return VirtualizationPolicy{PolicyOn("EnableLUA"), PolicyOn("EnableVirtualization")};
}

// A 64-bit process sees both program folders under their own names.
KnownFolders ReadKnownFolders() {
  KnownFolders folders;
  for (const char* name : {"ProgramFiles", "ProgramFiles(x86)", "ProgramW6432", "ProgramData"})
    if (std::string folder = Environment(name); !folder.empty()) folders.protectedRoots.push_back(std::move(folder));
  char windows[MAX_PATH] = {};
  const UINT length = GetSystemWindowsDirectoryA(windows, MAX_PATH);
  if (length > 0 && length < MAX_PATH) {
    std::string folder(windows, length);
    while (!folder.empty() && folder.back() == '\\') folder.pop_back();
    folders.protectedRoots.push_back(std::move(folder));
  }
  folders.localAppData = Environment("LOCALAPPDATA");
  return folders;
}

WriteAccess ProbeWriteAccess(const std::string& path) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    CloseHandle(file);
    return WriteAccess::kAllowed;
  }
  DWORD error = GetLastError();
  if (error == ERROR_FILE_NOT_FOUND) {
    // A new file in its folder, gone again when its handle is closed.
    const std::string probe = path + "." + std::to_string(GetCurrentProcessId()) + ".probe";
    const HANDLE created = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (created != INVALID_HANDLE_VALUE) {
      CloseHandle(created);
      return WriteAccess::kAllowed;
    }
    error = GetLastError();
  }
  return error == ERROR_ACCESS_DENIED ? WriteAccess::kDenied : WriteAccess::kFailed;
}

unsigned SystemCodePage() { return GetACP(); }

std::string ReadFileStart(const std::string& path, std::size_t size) {
  const FileHandle file(OpenForReading(path));
  if (!file.valid() || size > 0x7FFFFFFF) return {};
  std::string bytes(size, '\0');
  DWORD got = 0;
  if (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(size), &got, nullptr)) return {};
  bytes.resize(got);
  return bytes;
}

}  // namespace qlm::platform
