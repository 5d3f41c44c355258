// system_facts_portable.cpp: executables read from the file system, the rest
// from the scripted answers.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>

#include "platform/codepage.h"
#include "platform/executable_image.h"
#include "platform/portable/file_bytes.h"
#include "platform/portable/native_path.h"
#include "platform/portable/scripted_system.h"

namespace qlm::platform {
namespace {

bool Listed(const std::vector<std::string>& paths, const std::string& path) {
  return std::any_of(paths.begin(), paths.end(),
                     [&](const std::string& listed) { return CompareIgnoringCase(listed, path) == 0; });
}

}  // namespace

ScriptedSystem& ScriptedSystemFacts() {
  static ScriptedSystem facts;
  return facts;
}

ExecutableFacts ReadExecutableFacts(const std::string& path) {
  std::ifstream file(NativePath(path), std::ios::binary);
  const ReadAt read = [&file](std::uint64_t offset, std::size_t size) {
    std::string bytes(size, '\0');
    file.clear();
    if (!file.seekg(static_cast<std::streamoff>(offset))) return std::string();
    file.read(bytes.data(), static_cast<std::streamsize>(size));
    bytes.resize(static_cast<std::size_t>(file.gcount()));
    return bytes;
  };
  return FactsOfExecutable(read, [&] { return ReadWholeFile(NativePath(path + ".manifest")); });
}

bool HasRunAsAdministratorLayer(const std::string& path) {
  return Listed(ScriptedSystemFacts().runAsAdministrator, path);
}

VirtualizationPolicy ReadVirtualizationPolicy() { return ScriptedSystemFacts().policy; }

KnownFolders ReadKnownFolders() { return ScriptedSystemFacts().folders; }

WriteAccess ProbeWriteAccess(const std::string& path) {
  if (Listed(ScriptedSystemFacts().deniedWrites, path)) return WriteAccess::kDenied;
  const std::string native = NativePath(path);
  struct stat status;
  if (stat(native.c_str(), &status) == 0) {
    if (!S_ISREG(status.st_mode)) return WriteAccess::kFailed;
    return access(native.c_str(), W_OK) == 0 ? WriteAccess::kAllowed : WriteAccess::kDenied;
  }
  const std::size_t slash = native.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : native.substr(0, slash + 1);
  if (stat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) return WriteAccess::kFailed;
  return access(folder.c_str(), W_OK) == 0 ? WriteAccess::kAllowed : WriteAccess::kDenied;
}

unsigned SystemCodePage() { return ScriptedSystemFacts().codePage; }

std::string ReadFileStart(const std::string& path, std::size_t size) {
  std::ifstream file(NativePath(path), std::ios::binary);
  std::string bytes(size, '\0');
  file.read(bytes.data(), static_cast<std::streamsize>(size));
  bytes.resize(static_cast<std::size_t>(file.gcount()));
  return bytes;
}

}  // namespace qlm::platform
