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

// What became of a message sent or posted to another program's window.
enum class Delivery {
  kDone,      // handled (sent) or queued (posted)
  kNoAnswer,  // the program did not handle it in time, or its queue is full
  kRefused,   // the desktop dropped it: the program runs with higher rights
  kGone,      // the window no longer exists
};

// The error codes a failed SendMessageTimeout or PostMessage leaves, read as
// a Delivery. Access denied is what the desktop gives when it drops a message
// to a program that runs with higher rights; any other failure counts as gone
// when the window has gone, else as no answer.
inline constexpr unsigned long kErrorAccessDenied = 5;
inline constexpr unsigned long kErrorInvalidWindowHandle = 1400;
inline constexpr unsigned long kErrorTimeout = 1460;
inline Delivery DeliveryAfterFailure(unsigned long lastError, bool windowExists) {
  if (lastError == kErrorAccessDenied) return Delivery::kRefused;
  if (lastError == kErrorInvalidWindowHandle || !windowExists) return Delivery::kGone;
  return Delivery::kNoAnswer;
}

// How long Send waits for the answer to a message: a program that answers
// at all answers a command well within it, and a window that cannot repaint
// meanwhile must not seem frozen for long.
inline constexpr unsigned kSendPatienceMs = 2000;
// How long a program already found not answering is asked, whether it
// answers again, before anything else is sent to it.
inline constexpr unsigned kBriefPatienceMs = 100;

// How the rights of the program owning a window compare with this program's.
enum class Rights { kNotHigher, kHigher, kUnknown };

// What the desktop said when asked about a program's rights: whether its
// process and its access token could be opened for querying (and the error
// when not), and the integrity levels (the mandatory label's relative id) of
// its token and of this program's, where read.
struct RightsFacts {
  bool processOpened = false;
  unsigned long processError = 0;
  bool tokenOpened = false;
  unsigned long tokenError = 0;
  bool levelsRead = false;
  unsigned long toolLevel = 0;
  unsigned long ownLevel = 0;
};

// A process or token that this program may not even query belongs to a
// program with higher rights (an elevated one, or another user's); one whose
// token can be read is higher only with a higher integrity level. Anything
// else tells nothing.
inline Rights JudgeRights(const RightsFacts& facts) {
  if (!facts.processOpened) return facts.processError == kErrorAccessDenied ? Rights::kHigher : Rights::kUnknown;
  if (!facts.tokenOpened) return facts.tokenError == kErrorAccessDenied ? Rights::kHigher : Rights::kUnknown;
  if (!facts.levelsRead) return Rights::kUnknown;
  return facts.toolLevel > facts.ownLevel ? Rights::kHigher : Rights::kNotHigher;
}

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
  // gives up after patienceMs when that program does not respond (at once
  // when the desktop already knows it hangs): kDone when it was handled. A
  // message given up may still be handled later, when the program wakes.
  virtual Delivery Send(WindowHandle window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
                        unsigned patienceMs = kSendPatienceMs) = 0;
  // Queues message for the window's program and returns at once: kDone when
  // it was queued.
  virtual Delivery Post(WindowHandle window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam) = 0;
  // Whether the program that owns window runs with higher rights than this
  // one, so that the desktop drops the messages sent to it. Sends nothing.
  virtual Rights OwnerRights(WindowHandle window) const = 0;

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
