// tool_files.cpp: the virtual store rule and the files it settles.
#include "settings/tool_files.h"

#include <algorithm>

#include "platform/codepage.h"
#include "platform/file_search.h"
#include "platform/paths.h"
#include "platform/profile_store.h"

namespace qlm {
namespace {

constexpr char kVirtualStore[] = "\\VirtualStore\\";

bool HasDrive(const std::string& path) {
  return path.size() >= 3 && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
         path[1] == ':' && path[2] == '\\';
}

// Whether path lies in folder (a path without a trailing backslash) or is it.
bool LiesUnder(const std::string& path, const std::string& folder) {
  if (folder.empty() || path.size() < folder.size()) return false;
  if (platform::CompareIgnoringCase(std::string_view(path).substr(0, folder.size()), folder) != 0) return false;
  return path.size() == folder.size() || path[folder.size()] == '\\';
}

// Makes every missing folder of path (a folder path with a drive).
bool MakeFolders(const std::string& path) {
  for (std::size_t i = 3; i <= path.size(); i = platform::NextChar(path, i)) {
    if (i < path.size() && path[i] != '\\') continue;
    const std::string folder = path.substr(0, i);
    if (folder.size() > 3 && !platform::MakeFolder(folder)) return false;
    if (i == path.size()) break;
  }
  return true;
}

}  // namespace

Virtualization DecideVirtualization(const std::string& toolFolder, const VirtualizationFacts& facts) {
  if (facts.executable.machine == platform::ImageMachine::kUnreadable) return Virtualization::kUnknown;
  const auto& roots = facts.folders.protectedRoots;
  const bool protectedFolder = HasDrive(toolFolder) && std::any_of(roots.begin(), roots.end(), [&](const std::string& root) {
                                 return LiesUnder(toolFolder, root);
                               });
  const bool on = protectedFolder && facts.executable.machine == platform::ImageMachine::kI386 &&
                  !facts.executable.namesExecutionLevel && !facts.runAsAdministratorLayer &&
                  facts.policy.userAccountControl && facts.policy.virtualization &&
                  !facts.folders.localAppData.empty();
  return on ? Virtualization::kOn : Virtualization::kOff;
}

std::string VirtualStoreTwin(const std::string& folder, const std::string& localAppData) {
  if (!HasDrive(folder) || localAppData.empty()) return {};
  return localAppData + kVirtualStore + folder.substr(3);
}

std::string ToolFiles::ForReading(const std::string& relative) const {
  if (!store_.empty() && platform::FileExists(store_ + relative)) return store_ + relative;
  return Original(relative);
}

ToolFiles::WriteTarget ToolFiles::ForWriting(const std::string& relative) const {
  const std::string original = Original(relative);
  if (store_.empty()) return {original, {}};
  const std::string copy = store_ + relative;
  if (platform::FileExists(copy)) return {copy, {}};
  if (platform::ProbeWriteAccess(original) != platform::WriteAccess::kDenied) return {original, {}};
  // As the system does for the tool: the copy starts as the original.
  if (!MakeFolders(ParentFolder(copy))) return {original, {}};
  return {copy, platform::FileExists(original) ? original : std::string()};
}

std::vector<std::string> ToolFiles::Places(const std::string& relative) const {
  if (store_.empty()) return {Original(relative)};
  return {Original(relative), store_ + relative};
}

std::vector<std::string> ToolFiles::FindFiles(const std::string& relativePattern) const {
  std::vector<std::string> names = platform::FindFiles(Original(relativePattern));
  if (store_.empty()) return names;
  std::vector<std::string> merged = platform::FindFiles(store_ + relativePattern);
  for (std::string& name : names) {
    const bool copied = std::any_of(merged.begin(), merged.end(), [&](const std::string& copy) {
      return platform::CompareIgnoringCase(copy, name) == 0;
    });
    if (!copied) merged.push_back(std::move(name));
  }
  std::stable_sort(merged.begin(), merged.end(), [](const std::string& a, const std::string& b) {
    return platform::CompareIgnoringCase(a, b) < 0;
  });
  return merged;
}

VirtualizationFacts GatherVirtualizationFacts(const std::string& toolFolder, const std::string& executable) {
  VirtualizationFacts facts;
  if (executable.empty()) return facts;
  const std::string path = toolFolder + executable;
  facts.executable = platform::ReadExecutableFacts(path);
  if (facts.executable.machine != platform::ImageMachine::kI386) return facts;
  // Only a 32-bit image can be virtualized: the rest is asked only for one.
  facts.runAsAdministratorLayer = platform::HasRunAsAdministratorLayer(path);
  facts.policy = platform::ReadVirtualizationPolicy();
  facts.folders = platform::ReadKnownFolders();
  return facts;
}

ToolFiles SettleToolFiles(const std::string& toolFolder, const std::string& executable) {
  const VirtualizationFacts facts = GatherVirtualizationFacts(toolFolder, executable);
  const Virtualization virtualization = DecideVirtualization(toolFolder, facts);
  if (virtualization != Virtualization::kOn) return ToolFiles(toolFolder, virtualization, "");
  return ToolFiles(toolFolder, virtualization, VirtualStoreTwin(toolFolder, facts.folders.localAppData));
}

}  // namespace qlm
