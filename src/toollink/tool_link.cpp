// tool_link.cpp: the window probes, the status text, and the commands and
// notifications, all aimed at the tool's main window only while it is still
// the tool's.
#include "toollink/tool_link.h"

#include "platform/codepage.h"
#include "platform/host.h"
#include "settings/messages.h"
#include "settings/tool_config.h"
#include "toollink/tool_messages.h"
#include "toollink/window_names.h"

namespace qlm {
namespace {

using platform::kNoWindow;
using platform::WindowHandle;
using platform::WindowLink;
using toollink::PlainName;
using toollink::WindowName;
using toollink::WindowNames;

// The bars that sit inside a frame of the same title: the child of parent
// titled name, then that window's child titled name.
WindowHandle NestedBar(const WindowLink& windows, const WindowNames& names, WindowHandle parent, WindowName name) {
  const PlainName title(names, name);
  return windows.FindChildByTitle(windows.FindChildByTitle(parent, title.c_str()), title.c_str());
}

// The bars that sit in the container child of the main window.
WindowHandle ContainedBar(const WindowLink& windows, const WindowNames& names, WindowHandle mainWindow,
                          WindowName name) {
  WindowHandle container = kNoWindow;
  {
    const PlainName title(names, WindowName::kContainerTitle);
    container = windows.FindChildByTitle(mainWindow, title.c_str());
  }
  const PlainName title(names, name);
  return windows.FindChildByTitle(container, title.c_str());
}

}  // namespace

int BarCommand(ToolKind kind, std::string_view barKind) {
  if (barKind == config::kToolBar) return toolmsg::kToggleToolBar;
  if (barKind == config::kTabBar) return toolmsg::kToggleTabBar;
  if (barKind == config::kTickerBar)
    return kind == ToolKind::kTradePro ? toolmsg::kToggleTickerBarTradePro : toolmsg::kToggleTickerBar;
  return 0;
}

void ToolLink::SetTool(ToolKind kind, std::string title) {
  if (kind != kind_ || title != title_) toolWindow_ = kNoWindow;
  kind_ = kind;
  title_ = std::move(title);
}

// Without a title there is nothing to know the tool by: the desktop would
// give any untitled window of any program, which must never be driven.
WindowHandle ToolLink::FindToolWindow() const {
  return title_.empty() ? kNoWindow : windows_.FindTopLevel(title_.c_str());
}

bool ToolLink::IsVisible(WindowHandle window) const {
  return window != kNoWindow && windows_.HasVisibleStyle(window);
}

// The marker is looked for under the window just found rather than under the
// stored one: a stored handle may be none or stale by now, and neither may
// decide the answer.
bool ToolLink::IsMdiDisplay() const {
  const WindowHandle mainWindow = FindToolWindow();
  if (!IsVisible(mainWindow)) return false;
  const PlainName marker(names_, WindowName::kMarkerClass);
  return windows_.FindChildByClass(mainWindow, marker.c_str()) != kNoWindow;
}

WindowHandle ToolLink::BarWindow(std::string_view barKind) const {
  const WindowHandle mainWindow = LiveToolWindow();
  const bool tradePro = kind_ == ToolKind::kTradePro;
  if (barKind == config::kToolBar)
    return tradePro ? NestedBar(windows_, names_, mainWindow, WindowName::kToolBarTitleA)
                    : ContainedBar(windows_, names_, mainWindow, WindowName::kToolBarTitleB);
  if (barKind == config::kTabBar) return ContainedBar(windows_, names_, mainWindow, WindowName::kTabBarTitle);
  if (barKind == config::kTickerBar)
    return NestedBar(windows_, names_, mainWindow, tradePro ? WindowName::kTickerTitleA : WindowName::kTickerTitleB);
  return kNoWindow;
}

bool ToolLink::IsBarVisible(std::string_view barKind) const { return IsVisible(BarWindow(barKind)); }

// A tool marked as not responding is asked once more, with a message that
// does nothing: the desktop gives up at once on a program it knows hangs.
std::string ToolLink::RefreshToolStatus() {
  toolWindow_ = FindToolWindow();
  if (notResponding_ != kNoWindow &&
      (toolWindow_ != notResponding_ || windows_.Send(toolWindow_, toolmsg::kNothing, 0, 0)))
    notResponding_ = kNoWindow;
  if (toolWindow_ == kNoWindow) return title_ + host_.Text(msg::kToolNotRunning);
  if (toolWindow_ == notResponding_) return title_ + host_.Text(msg::kToolNotResponding);
  return title_ + host_.Text(IsMdiDisplay() ? msg::kToolRunningMdi : msg::kToolRunningSdi);
}

// The stored window is the tool's only while it exists and still carries the
// tool's title (compared as the lookup compares, ignoring case). Once the tool
// has closed, the desktop may give its handle to another program's window,
// which must not receive the tool's commands.
WindowHandle ToolLink::LiveToolWindow() const {
  if (toolWindow_ == kNoWindow || title_.empty() || !windows_.Exists(toolWindow_)) return kNoWindow;
  const std::string title = windows_.Title(toolWindow_);
  return title == title_ || platform::CompareIgnoringCase(title, title_) == 0 ? toolWindow_ : kNoWindow;
}

void ToolLink::SendToolCommand(int id) {
  const WindowHandle tool = LiveToolWindow();
  if (tool == kNoWindow) return;
  if (windows_.Send(tool, toolmsg::kCommand, static_cast<std::uintptr_t>(id), 0)) {
    notResponding_ = kNoWindow;
    return;
  }
  notResponding_ = tool;
  if (statusChanged) statusChanged(title_ + host_.Text(msg::kToolNotResponding));
}

void ToolLink::NotifyColourChanged() {
  const WindowHandle tool = LiveToolWindow();
  if (tool != kNoWindow) windows_.Post(tool, toolmsg::kReload, toolmsg::kColourChanged, toolmsg::kColourTag);
}

void ToolLink::NotifyFontChanged() {
  const WindowHandle tool = LiveToolWindow();
  if (tool != kNoWindow) windows_.Post(tool, toolmsg::kReload, toolmsg::kFontChanged, 0);
}

void ToolLink::BringToolForward() {
  const WindowHandle tool = LiveToolWindow();
  if (tool == kNoWindow) return;
  if (windows_.IsMinimised(tool)) windows_.Restore(tool);
  windows_.BringToForeground(tool);
}

}  // namespace qlm
