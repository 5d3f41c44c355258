// window_list.cpp: listing the tool's window tree.
#include "toollink/window_list.h"

#include "platform/codepage.h"
#include "platform/host.h"
#include "platform/text_file.h"
#include "settings/messages.h"
#include "settings/own_settings.h"
#include "settings/profile.h"
#include "settings/tool_files.h"
#include "settings/tool_folder.h"
#include "toollink/tool_link.h"
#include "toollink/window_names_section.h"

namespace qlm {
namespace {

using platform::WindowHandle;
using toollink::PlainName;
using toollink::WindowName;

// Bounds that keep a broken or hostile window tree from running on.
constexpr int kDeepest = 32;
constexpr std::size_t kMostWindows = 10000;

std::string Escaped(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string shown;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t next = platform::NextChar(text, i);
    const auto c = static_cast<unsigned char>(text[i]);
    if (next == i + 1 && (c < 0x20 || c == 0x7F)) {
      shown += "\\x";
      shown += kHex[c >> 4];
      shown += kHex[c & 0x0F];
    } else {
      shown.append(text.substr(i, next - i));
    }
    i = next;
  }
  return shown;
}

std::string WithCrLf(std::string_view text) {
  std::string lines;
  for (const char c : text) {
    if (c == '\n') lines += '\r';
    lines += c;
  }
  return lines + "\r\n";
}

// The lines naming the files the tool reads: whether its files are
// virtualized, its settings and information files, and its colour
// folder (both, for a virtualized tool).
std::string FilesInUse(const platform::Host& host, const ToolFiles& files) {
  const int state = files.virtualization() == Virtualization::kOn    ? msg::kReportVirtualized
                    : files.virtualization() == Virtualization::kOff ? msg::kReportNotVirtualized
                                                                      : msg::kReportVirtualizationUnknown;
  std::string lines = WithCrLf(host.Text(state));
  lines += WithCrLf(SubstituteWhole(host.Text(msg::kReportConfigFile), files.ForReading(tool::kConfigFile)));
  lines += WithCrLf(SubstituteWhole(host.Text(msg::kReportInfoFile), files.ForReading(tool::kInfoFile)));
  lines += WithCrLf(SubstituteWhole(host.Text(msg::kReportColourFolder), files.Original(tool::kColourFolder)));
  if (!files.store().empty())
    lines += WithCrLf(SubstituteWhole(host.Text(msg::kReportColourFolder), files.store() + tool::kColourFolder));
  return lines;
}

bool SameName(const std::string& a, const char* b) { return platform::CompareIgnoringCase(a, b) == 0; }

// The [ToolWindows] keys whose name in use is this window's.
std::string Roles(const std::string& className, const std::string& title, const toollink::WindowNames& names) {
  std::string roles;
  for (std::size_t i = 0; i < toollink::kWindowNameCount; ++i) {
    const auto role = static_cast<WindowName>(i);
    const PlainName name(names, role);
    if (!SameName(role == WindowName::kMarkerClass ? className : title, name.c_str())) continue;
    roles += roles.empty() ? " <- " : ", ";
    roles += toollink::SettingKey(role);
  }
  return roles;
}

class TreeWriter {
 public:
  TreeWriter(const platform::WindowLink& windows, const toollink::WindowNames& names)
      : windows_(windows), names_(names) {}

  void Write(WindowHandle window, int depth) {
    if (count_ == kMostWindows) {
      if (!cut_) text_ += "...\r\n";
      cut_ = true;
      return;
    }
    ++count_;
    const std::string className = windows_.ClassName(window);
    const std::string title = windows_.Title(window);
    text_ += std::string(4 * static_cast<std::size_t>(depth), ' ') + "class=\"" + Escaped(className) +
             "\" title=\"" + Escaped(title) + "\" " + (windows_.HasVisibleStyle(window) ? "visible" : "hidden") +
             Roles(className, title, names_) + "\r\n";
    if (depth == kDeepest) return;
    for (const WindowHandle child : windows_.Children(window)) Write(child, depth + 1);
  }

  const std::string& text() const { return text_; }

 private:
  const platform::WindowLink& windows_;
  const toollink::WindowNames& names_;
  std::string text_;
  std::size_t count_ = 0;
  bool cut_ = false;
};

}  // namespace

bool IsListToolWindowsSwitch(std::string_view commandLine) {
  const std::size_t first = commandLine.find_first_not_of(" \t");
  if (first == std::string_view::npos) return false;
  std::string_view word = commandLine.substr(first, commandLine.find_last_not_of(" \t") - first + 1);
  if (word.size() >= 2 && word.front() == '"' && word.back() == '"') word = word.substr(1, word.size() - 2);
  if (word.size() != std::string_view(kListToolWindowsSwitch).size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    const char c = word[i] >= 'A' && word[i] <= 'Z' ? static_cast<char>(word[i] - 'A' + 'a') : word[i];
    if (c != kListToolWindowsSwitch[i]) return false;
  }
  return true;
}

std::string DescribeWindowTree(const platform::WindowLink& windows, WindowHandle window,
                               const toollink::WindowNames& names) {
  TreeWriter writer(windows, names);
  writer.Write(window, 0);
  return writer.text();
}

int ListToolWindows(platform::Host& host, platform::WindowLink& windows) {
  // Only read: the user's own copy of QLM.INI is not made for this.
  const ProfileFile own(host, OwnSettingsPath(host, OwnFileUse::kReadOnly));
  const std::string folder = ReadOwnSettings(own).toolFolder;
  const SettledTool tool = !folder.empty() && IsValidToolFolder(folder) ? SettleTool(folder) : SettledTool{};
  const ToolKind kind = tool.kind;
  std::string text;
  int result = kToolNotListed;
  if (kind == ToolKind::kNone) {
    text = WithCrLf(host.Text(msg::kToolNotInstalled));
  } else {
    const ToolWindowsSection section = ReadToolWindowsSection(host, own);
    const ToolFiles& files = tool.files;
    ToolLink link(windows, host);
    link.SetTool(kind, ReadToolTitle(host, files));
    link.SetWindowNames(section.names);
    text = WithCrLf(link.RefreshToolStatus());
    if (!section.refusals.empty()) text += WithCrLf(section.refusals);
    text += FilesInUse(host, files);
    if (link.toolWindow() != platform::kNoWindow) {
      text += DescribeWindowTree(windows, link.toolWindow(), section.names);
      result = kWindowsListed;
    }
  }
  const std::string path = OwnFilesFolder(host) + "\\" + kToolWindowListFile;
  if (!platform::WriteWholeFile(path, text)) {
    host.ShowNotice(SubstitutePath(host.Text(msg::kCannotWrite), path));
    return kListNotWritten;
  }
  return result;
}

}  // namespace qlm
