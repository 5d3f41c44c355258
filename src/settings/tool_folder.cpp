// tool_folder.cpp: locating and recognising the trading tool.
#include "settings/tool_folder.h"

#include <utility>

#include "platform/codepage.h"
#include "platform/file_search.h"
#include "platform/host.h"
#include "platform/paths.h"
#include "platform/profile_store.h"
#include "settings/messages.h"
#include "settings/own_settings.h"
#include "settings/profile.h"
#include "settings/tool_files.h"

namespace qlm {
namespace {

// Where the dialog opens: beside the known tool's folder, in the nearest of
// its parents that still exists (a tool moved away leaves a stale folder; a
// 32-bit tool on 64-bit Windows lives under "Program Files (x86)"). With no
// known folder, the default folder of the message table.
std::string InitialFolder(const platform::Host& host, const std::string& known) {
  std::string folder = known;
  if (!folder.empty() && LastBackslash(folder) == folder.size() - 1) folder.pop_back();
  while (LastBackslash(folder) != std::string::npos) {
    folder = ParentFolder(folder);
    if (folder.empty()) break;
    if (folder.back() == ':') folder += '\\';
    const bool root = folder.back() == '\\';
    if (!platform::FindFiles(folder + (root ? "*" : "\\*")).empty()) return folder;
    if (root) break;
  }
  return host.Text(msg::kChooseToolFolder);
}

// The filter text holds a description and a pattern separated by "|".
platform::FileDialogRequest ToolExecutableRequest(const platform::Host& host, const std::string& knownFolder) {
  platform::FileDialogRequest request;
  request.title = host.Text(msg::kChooseToolTitle);
  request.initialFolder = InitialFolder(host, knownFolder);
  const std::string filter = host.Text(msg::kChooseToolFilter);
  std::size_t bar = std::string::npos;
  for (std::size_t i = 0; i < filter.size(); i = platform::NextChar(filter, i))
    if (filter[i] == '|') {
      bar = i;
      break;
    }
  if (bar == std::string::npos)
    request.filters.emplace_back(filter, filter);
  else
    request.filters.emplace_back(filter.substr(0, bar), filter.substr(bar + 1));
  request.hideReadOnly = true;
  request.resizable = true;
  return request;
}

}  // namespace

// An empty folder would make both paths relative to the current folder, which
// may happen to be a tool's (a shortcut starting there): it is never valid.
bool IsValidToolFolder(const std::string& folder) {
  return !folder.empty() && platform::FileExists(folder + tool::kConfigFile) &&
         platform::FileExists(folder + tool::kInfoFile);
}

std::optional<std::string> LocateToolFolder(platform::Host& host, ProfileFile& settings, LocateMode mode) {
  const std::string stored = settings.ReadString(own::kSection, own::kToolPath, "");
  std::string folder = stored;

  if (mode == LocateMode::kForced || !IsValidToolFolder(folder)) {
    const auto chosen = host.AskForFile(ToolExecutableRequest(host, stored));
    folder = chosen ? FolderOfChosenFile(*chosen) : std::string();
  }
  if (folder.empty()) {
    host.ShowNotice(host.Text(msg::kAborting));
    return std::nullopt;
  }
  if (!IsValidToolFolder(folder)) {
    host.ShowNotice(host.Text(msg::kToolNotInstalled));
    return std::nullopt;
  }
  // Stored back only when it changed: the same value again would leave the
  // file as it is, at the cost of a working copy made and compared.
  if (folder != stored) settings.WriteString(own::kSection, own::kToolPath, folder);
  return folder;
}

ToolKind DetectToolKind(const std::string& folder) {
  return KindOfExecutable(ToolExecutable(folder));
}

SettledTool SettleTool(const std::string& folder) {
  std::string executable = ToolExecutable(folder);
  const ToolKind kind = KindOfExecutable(executable);
  ToolFiles files = SettleToolFiles(folder, executable);
  return {std::move(executable), kind, std::move(files)};
}

std::string ToolExecutable(const std::string& folder) {
  if (folder.empty()) return {};
  for (const ToolTraits& row : kToolKinds)
    for (const std::string_view executable : row.executables)
      if (!executable.empty() && platform::FileExists(folder + std::string(executable))) return std::string(executable);
  return {};
}

std::string ReadToolTitle(platform::Host& host, const ToolFiles& files) {
  ProfileFile info(host, files.ForReading(tool::kInfoFile));
  return info.ReadString("INFO", "Title", "");
}

}  // namespace qlm
