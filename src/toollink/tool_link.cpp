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

static_assert(TraitsOf(ToolKind::kTradePro).tickerCommand == toolmsg::kToggleTickerBarTradePro &&
              TraitsOf(ToolKind::kOther).tickerCommand == toolmsg::kToggleTickerBar);

}  // namespace

int BarCommand(ToolKind kind, std::string_view barKind) {
  if (barKind == config::kToolBar) return toolmsg::kToggleToolBar;
  if (barKind == config::kTabBar) return toolmsg::kToggleTabBar;
  if (barKind == config::kTickerBar)
    return TraitsOf(kind).tickerCommand;
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
bool ToolLink::IsMdiDisplay() const { return ShowsMdi(FindToolWindow()); }

bool ToolLink::ShowsMdi(WindowHandle mainWindow) const {
  if (!IsVisible(mainWindow)) return false;
  const PlainName marker(names_, WindowName::kMarkerClass);
  return windows_.FindChildByClass(mainWindow, marker.c_str()) != kNoWindow;
}

WindowHandle ToolLink::BarWindow(WindowHandle mainWindow, std::string_view barKind) const {
  const bool nested = TraitsOf(kind_).nestedBars;
  if (barKind == config::kToolBar)
    return nested ? NestedBar(windows_, names_, mainWindow, WindowName::kToolBarTitleA)
                    : ContainedBar(windows_, names_, mainWindow, WindowName::kToolBarTitleB);
  if (barKind == config::kTabBar) return ContainedBar(windows_, names_, mainWindow, WindowName::kTabBarTitle);
  if (barKind == config::kTickerBar)
    return NestedBar(windows_, names_, mainWindow, nested ? WindowName::kTickerTitleA : WindowName::kTickerTitleB);
  return kNoWindow;
}

bool ToolLink::IsBarVisible(std::string_view barKind) const {
  return IsVisible(BarWindow(CurrentToolWindow(), barKind));
}

// A tool whose inner windows carry other names than the ones in use (a tool
// whose names were never set in [ToolWindows]) would read as single-document
// display without bars: any command sent on that reading could switch it
// away from what it shows.
bool ToolLink::HasKnownShape(WindowHandle mainWindow) const {
  if (mainWindow == kNoWindow) return false;
  const PlainName marker(names_, WindowName::kMarkerClass);
  const PlainName container(names_, WindowName::kContainerTitle);
  if (windows_.FindChildByClass(mainWindow, marker.c_str()) != kNoWindow ||
      windows_.FindChildByTitle(mainWindow, container.c_str()) != kNoWindow)
    return true;
  for (const char* bar : {config::kToolBar, config::kTabBar, config::kTickerBar})
    if (BarWindow(mainWindow, bar) != kNoWindow) return true;
  return false;
}

bool ToolLink::IsShapeKnown() const { return HasKnownShape(CurrentToolWindow()); }

bool ToolLink::RunsWithHigherRights() const {
  const WindowHandle tool = CurrentToolWindow();
  return tool != kNoWindow && RunsHigher(tool);
}

bool ToolLink::RunsHigher(WindowHandle window) const {
  return window == refused_ || windows_.OwnerRights(window) == platform::Rights::kHigher;
}

std::string ToolLink::StatusOf(WindowHandle window) const {
  if (window == kNoWindow) return title_ + host_.Text(msg::kToolNotRunning);
  if (RunsHigher(window)) return title_ + host_.Text(msg::kToolRunsWithHigherRights);
  if (window == notResponding_) return title_ + host_.Text(msg::kToolNotResponding);
  if (!HasKnownShape(window)) return title_ + host_.Text(msg::kToolShapeUnknown);
  return title_ + host_.Text(ShowsMdi(window) ? msg::kToolRunningMdi : msg::kToolRunningSdi);
}

// A tool marked as not responding is asked once more, with a message that
// does nothing: the desktop gives up at once on a program it knows hangs.
std::string ToolLink::RefreshToolStatus() {
  const WindowHandle window = FindToolWindow();
  if (window != kNoWindow && window == notResponding_ &&
      windows_.Send(window, toolmsg::kNothing, 0, 0, platform::kBriefPatienceMs) == platform::Delivery::kDone)
    notResponding_ = kNoWindow;
  return StatusOf(Keep(window));
}

std::string ToolLink::ProbeToolStatus() { return StatusOf(Keep(FindToolWindow())); }

// The stored window is the tool's only while it exists and still carries the
// tool's title (compared as the lookup compares, ignoring case). Once the tool
// has closed, the desktop may give its handle to another program's window,
// which must not receive the tool's commands; the tool started again has a
// window of its own, found by its title.
WindowHandle ToolLink::CurrentToolWindow() const {
  if (toolWindow_ != kNoWindow && !title_.empty() && windows_.Exists(toolWindow_)) {
    const std::string title = windows_.Title(toolWindow_);
    if (title == title_ || platform::CompareIgnoringCase(title, title_) == 0) return toolWindow_;
  }
  return FindToolWindow();
}

WindowHandle ToolLink::ReachToolWindow() { return Keep(CurrentToolWindow()); }

WindowHandle ToolLink::Keep(WindowHandle window) {
  toolWindow_ = window;
  if (notResponding_ != window) notResponding_ = kNoWindow;
  if (refused_ != window) refused_ = kNoWindow;
  return window;
}

// A tool that closed while the message was on its way is looked up again: it
// may have been started anew meanwhile; if not, it is not running.
bool ToolLink::Delivered(WindowHandle tool, platform::Delivery delivery) {
  switch (delivery) {
    case platform::Delivery::kDone:
      if (notResponding_ == tool) notResponding_ = kNoWindow;
      if (refused_ == tool) refused_ = kNoWindow;
      // Handled, and closed on it.
      if (!windows_.Exists(tool) && statusChanged) statusChanged(StatusOf(ReachToolWindow()));
      return true;
    case platform::Delivery::kNoAnswer:
      notResponding_ = tool;
      break;
    case platform::Delivery::kRefused:
      refused_ = tool;
      break;
    case platform::Delivery::kGone:
      ReachToolWindow();
      break;
  }
  if (statusChanged) statusChanged(StatusOf(toolWindow_));
  return false;
}

void ToolLink::TellNotRunning() {
  if (statusChanged) statusChanged(StatusOf(kNoWindow));
}

// The tool found anew (started again since the status line last looked)
// shows in the status line at once.
WindowHandle ToolLink::ReachToolTelling() {
  const WindowHandle held = toolWindow_;
  const WindowHandle tool = ReachToolWindow();
  if (tool == kNoWindow)
    TellNotRunning();
  else if (tool != held && statusChanged)
    statusChanged(StatusOf(tool));
  return tool;
}

bool ToolLink::SendToolCommand(int id) {
  const WindowHandle tool = ReachToolTelling();
  if (tool == kNoWindow) return false;
  if (!HasKnownShape(tool)) return false;
  // A tool marked as not responding is first asked briefly whether it
  // answers again: until it does, no command goes to it, so that one action
  // waits for it once, and commands do not pile up in its queue, to run
  // when it wakes, against bars they were not meant for.
  if (tool == notResponding_) {
    const platform::Delivery answer = windows_.Send(tool, toolmsg::kNothing, 0, 0, platform::kBriefPatienceMs);
    if (answer != platform::Delivery::kDone) return Delivered(tool, answer);
    notResponding_ = kNoWindow;
  }
  return Delivered(tool, windows_.Send(tool, toolmsg::kCommand, static_cast<std::uintptr_t>(id), 0));
}

bool ToolLink::Notify(std::uintptr_t what, std::intptr_t tag) {
  const WindowHandle tool = ReachToolTelling();
  if (tool == kNoWindow) return false;
  return Delivered(tool, windows_.Post(tool, toolmsg::kReload, what, tag));
}

bool ToolLink::NotifyColourChanged() { return Notify(toolmsg::kColourChanged, toolmsg::kColourTag); }

bool ToolLink::NotifyFontChanged() { return Notify(toolmsg::kFontChanged, 0); }

void ToolLink::BringToolForward() {
  const WindowHandle tool = ReachToolWindow();
  if (tool == kNoWindow) return;
  if (windows_.IsMinimised(tool)) windows_.Restore(tool);
  windows_.BringToForeground(tool);
}

}  // namespace qlm
