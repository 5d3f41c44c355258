// window_link.h: the windows of another running program: finding them by title
// or class, reading their state, and sending or posting them messages.
//
// The Win32 link (win32/) talks to the real desktop; the scripted windows
// (portable/) are a tree of fake windows that a test builds and watches.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qlm::platform {

// A window of any program, as the desktop numbers it; kNoWindow is none.
using WindowHandle = std::uintptr_t;
inline constexpr WindowHandle kNoWindow = 0;

class WindowLink {
 public:
  virtual ~WindowLink() = default;

  // The first top-level window titled title, of any class, or kNoWindow.
  // The desktop compares titles ignoring case; an empty title finds a window
  // that has none.
  virtual WindowHandle FindTopLevel(const char* title) const = 0;

  // The first direct child of parent of the window class className (any
  // title), or titled title (any class); kNoWindow when there is none, and
  // always when parent is kNoWindow (never a search of the top-level windows).
  virtual WindowHandle FindChildByClass(WindowHandle parent, const char* className) const = 0;
  virtual WindowHandle FindChildByTitle(WindowHandle parent, const char* title) const = 0;

  // True while window is an existing window.
  virtual bool Exists(WindowHandle window) const = 0;
  // The window's title as stored, without asking its program (so a program that
  // hangs cannot hold the caller up); empty for none.
  virtual std::string Title(WindowHandle window) const = 0;
  // The visible bit of the window's style (a minimised window keeps it).
  virtual bool HasVisibleStyle(WindowHandle window) const = 0;

  // Sends message and waits until the window's program has handled it, but
  // gives up after a few seconds when that program does not respond (at once
  // when the desktop already knows it hangs). True when it was handled.
  virtual bool Send(WindowHandle window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam) = 0;
  // Queues message for the window's program and returns at once.
  virtual void Post(WindowHandle window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam) = 0;

  virtual bool IsMinimised(WindowHandle window) const = 0;
  // Restores a minimised window to its normal size and place, without
  // waiting for its program.
  virtual void Restore(WindowHandle window) = 0;
  virtual void BringToForeground(WindowHandle window) = 0;

  // The direct children of parent, in the order the child lookups above try
  // them; empty for kNoWindow or a window without children. Asks nothing of
  // the window's program.
  virtual std::vector<WindowHandle> Children(WindowHandle parent) const = 0;
  // The name of the window's class; empty for none.
  virtual std::string ClassName(WindowHandle window) const = 0;
};

}  // namespace qlm::platform
