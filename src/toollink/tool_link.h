// tool_link.h: the live link to the running tool: finding its main window by
// title, probing its display style and bars, the status line, and the
// commands and reload notifications it is sent.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/window_link.h"
#include "settings/tool_folder.h"
#include "toollink/window_names.h"

namespace qlm {
namespace platform { class Host; }

// The toggle command for a bar, named by its section ("TOOLBAR", "TRBAR",
// "TICKERBAR"), in the tool of kind; 0 for any other name.
int BarCommand(ToolKind kind, std::string_view barKind);

class ToolLink {
 public:
  ToolLink(platform::WindowLink& windows, const platform::Host& host) : windows_(windows), host_(host) {}

  // The tool as loading found it: its kind and its main window's title. The
  // window found for another tool is forgotten; a reload of the same tool
  // keeps it, so its commands still reach the tool.
  void SetTool(ToolKind kind, std::string title);
  ToolKind toolKind() const { return kind_; }
  const std::string& toolTitle() const { return title_; }
  // The names the probes look for (the built-in ones until set).
  void SetWindowNames(const toollink::WindowNames& names) { names_ = names; }
  const toollink::WindowNames& windowNames() const { return names_; }

  // The main window as last found (by RefreshToolStatus, ProbeToolStatus, or
  // a command or notification), or kNoWindow. Everything below that uses it
  // first checks that it is still a window titled toolTitle(); if not, the
  // tool is looked up again by its title, so that a tool closed and started
  // again is followed.
  platform::WindowHandle toolWindow() const { return toolWindow_; }

  // The top-level window titled toolTitle(), of any class, looked up now;
  // none while the title is empty.
  platform::WindowHandle FindToolWindow() const;
  // The visible bit of window's style; false for none.
  bool IsVisible(platform::WindowHandle window) const;
  // True when the tool's main window, looked up now, is visible and has its
  // multi-document child.
  bool IsMdiDisplay() const;
  // True when the bar named barKind is shown in the tool; false when the tool,
  // the bar's window or the name is unknown.
  bool IsBarVisible(std::string_view barKind) const;
  // True when the tool runs and at least one of its inner windows (the
  // container, a bar, the multi-document marker) is found under the names
  // in use. Otherwise its display style and bars cannot be told, and no
  // display-style or bar command is sent to it.
  bool IsShapeKnown() const;
  // True when the tool, as last found, runs with higher rights than this
  // program (found out beforehand, or from a message the desktop dropped).
  bool RunsWithHigherRights() const;

  // Looks the tool up and keeps its window as toolWindow(). Returns the text
  // of the status line: the tool's title followed by whether it runs and in
  // which display style. A tool marked as not responding is asked once more,
  // briefly, with a message that does nothing.
  std::string RefreshToolStatus();
  // The same, sending nothing to the tool (for the periodic check): a tool
  // marked as not responding stays so until a message gets through.
  std::string ProbeToolStatus();

  // WM_COMMAND id to the tool, waiting until it has handled it, but not
  // for ever: a tool that does not respond is given up after about two
  // seconds, marked as not responding until it answers again (asked briefly
  // before each later command). Nothing is sent to a tool whose shape is
  // unknown. False when the command did not reach the
  // tool; statusChanged is then told the status line that says why.
  bool SendToolCommand(int id);
  std::function<void(const std::string& status)> statusChanged;
  // The reload notifications, queued for the tool without waiting; false, as
  // for a command, when they could not be queued.
  bool NotifyColourChanged();
  bool NotifyFontChanged();
  // Restores the tool's main window when it is minimised and brings it to
  // the foreground.
  void BringToolForward();

 private:
  // The stored window while it is still the tool's, else the tool looked up
  // now; kept as toolWindow().
  platform::WindowHandle ReachToolWindow();
  // Keeps window as the tool's: what was marked of another window (not
  // responding, refusing) no longer holds. Returns window.
  platform::WindowHandle Keep(platform::WindowHandle window);
  platform::WindowHandle CurrentToolWindow() const;
  // Whether the tool in window runs with higher rights than this program, or
  // has refused a message as such a tool does.
  bool RunsHigher(platform::WindowHandle window) const;
  platform::WindowHandle BarWindow(platform::WindowHandle mainWindow, std::string_view barKind) const;
  bool HasKnownShape(platform::WindowHandle mainWindow) const;
  bool ShowsMdi(platform::WindowHandle mainWindow) const;
  void TellNotRunning();
  platform::WindowHandle ReachToolTelling();
  std::string StatusOf(platform::WindowHandle window) const;
  // Records what became of a message to tool; tells statusChanged when it
  // did not arrive.
  bool Delivered(platform::WindowHandle tool, platform::Delivery delivery);
  bool Notify(std::uintptr_t what, std::intptr_t tag);

  platform::WindowLink& windows_;
  const platform::Host& host_;
  ToolKind kind_ = ToolKind::kNone;
  std::string title_;
  platform::WindowHandle toolWindow_ = platform::kNoWindow;
  toollink::WindowNames names_;
  // The tool's window that last gave up a command, until it answers again.
  platform::WindowHandle notResponding_ = platform::kNoWindow;
  // The tool's window whose program the desktop last refused a message to.
  platform::WindowHandle refused_ = platform::kNoWindow;
};

}  // namespace qlm
