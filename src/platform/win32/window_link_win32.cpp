// window_link_win32.cpp: window lookup, window state and messages on the real
// desktop (FindWindowA, FindWindowExA, SendMessageA, PostMessageA...).
#include <windows.h>

#include <vector>

#include "platform/win32/window_link_win32.h"

namespace qlm::platform {
namespace {

HWND Hwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }
WindowHandle Handle(HWND window) { return reinterpret_cast<WindowHandle>(window); }

// The integrity level of an opened token: the last sub-authority of its
// mandatory label.
bool ReadIntegrityLevel(HANDLE token, unsigned long& level) {
  DWORD size = 0;
  GetTokenInformation(token, TokenIntegrityLevel, nullptr, 0, &size);
  if (size == 0) return false;
  std::vector<unsigned char> buffer(size);
  if (!GetTokenInformation(token, TokenIntegrityLevel, buffer.data(), size, &size)) return false;
  const PSID sid = reinterpret_cast<const TOKEN_MANDATORY_LABEL*>(buffer.data())->Label.Sid;
  if (!IsValidSid(sid) || *GetSidSubAuthorityCount(sid) == 0) return false;
  level = *GetSidSubAuthority(sid, static_cast<DWORD>(*GetSidSubAuthorityCount(sid) - 1));
  return true;
}

}  // namespace

WindowHandle Win32WindowLink::FindTopLevel(const char* title) const {
  return Handle(FindWindowA(nullptr, title));
}

// FindWindowExA with no parent would search the top-level windows; a missing
// parent must find nothing instead.
WindowHandle Win32WindowLink::FindChildByClass(WindowHandle parent, const char* className) const {
  if (parent == kNoWindow) return kNoWindow;
  return Handle(FindWindowExA(Hwnd(parent), nullptr, className, nullptr));
}

WindowHandle Win32WindowLink::FindChildByTitle(WindowHandle parent, const char* title) const {
  if (parent == kNoWindow) return kNoWindow;
  return Handle(FindWindowExA(Hwnd(parent), nullptr, nullptr, title));
}

bool Win32WindowLink::Exists(WindowHandle window) const {
  return window != kNoWindow && IsWindow(Hwnd(window));
}

// GetWindowTextA reads another program's window title without sending it a
// message. A result that fills the buffer may be cut short: try a larger one.
std::string Win32WindowLink::Title(WindowHandle window) const {
  if (window == kNoWindow) return {};
  std::vector<char> buffer(256);
  for (;;) {
    const int length = GetWindowTextA(Hwnd(window), buffer.data(), static_cast<int>(buffer.size()));
    if (length < 0) return {};
    if (static_cast<std::size_t>(length) + 2 < buffer.size()) return std::string(buffer.data(), length);
    if (buffer.size() >= 65536) return std::string(buffer.data(), length);
    buffer.resize(buffer.size() * 4);
  }
}

bool Win32WindowLink::HasVisibleStyle(WindowHandle window) const {
  if (window == kNoWindow) return false;
  return (static_cast<DWORD>(GetWindowLongA(Hwnd(window), GWL_STYLE)) & WS_VISIBLE) != 0;
}

// A plain SendMessageA would wait for ever on a tool that hangs, and the
// program with it. Windows drops a message to a program of higher integrity
// (user interface privilege isolation) and leaves ERROR_ACCESS_DENIED; a time-
// out leaves ERROR_TIMEOUT or, as the function does not always set the error,
// nothing. Wine has no such isolation. With SMTO_ERRORONEXIT a tool that
// closes while it handles the message fails the call, and counts as gone.
// The patience is never 0: with SMTO_ABORTIFHUNG a time-out of 0 would wait
// for ever.
Delivery Win32WindowLink::Send(WindowHandle window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
                               unsigned patienceMs) {
  DWORD_PTR result = 0;
  SetLastError(ERROR_SUCCESS);
  const UINT patience = patienceMs > 0 ? patienceMs : 1;
  if (SendMessageTimeoutA(Hwnd(window), message, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam),
                          SMTO_NORMAL | SMTO_ABORTIFHUNG | SMTO_ERRORONEXIT, patience, &result) != 0)
    return Delivery::kDone;
  const DWORD error = GetLastError();
  return DeliveryAfterFailure(error, IsWindow(Hwnd(window)) != FALSE);
}

Delivery Win32WindowLink::Post(WindowHandle window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
  SetLastError(ERROR_SUCCESS);
  if (PostMessageA(Hwnd(window), message, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam)))
    return Delivery::kDone;
  const DWORD error = GetLastError();
  return DeliveryAfterFailure(error, IsWindow(Hwnd(window)) != FALSE);
}

// Windows lets a program query the limited information of any process, but
// not open the token of an elevated one (or of another user's program)
// without administrator rights: that refusal, or a higher integrity level in
// the token, tells that the tool's program runs with higher rights. Asks
// nothing of the tool's program. Under Wine every process runs alike.
Rights Win32WindowLink::OwnerRights(WindowHandle window) const {
  DWORD processId = 0;
  if (window == kNoWindow || !GetWindowThreadProcessId(Hwnd(window), &processId) || processId == 0)
    return Rights::kUnknown;
  RightsFacts facts;
  const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  facts.processOpened = process != nullptr;
  if (!process) {
    facts.processError = GetLastError();
    return JudgeRights(facts);
  }
  HANDLE token = nullptr;
  facts.tokenOpened = OpenProcessToken(process, TOKEN_QUERY, &token) != FALSE;
  if (!facts.tokenOpened) facts.tokenError = GetLastError();
  CloseHandle(process);
  if (facts.tokenOpened) {
    HANDLE own = nullptr;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &own)) {
      facts.levelsRead = ReadIntegrityLevel(token, facts.toolLevel) && ReadIntegrityLevel(own, facts.ownLevel);
      CloseHandle(own);
    }
    CloseHandle(token);
  }
  return JudgeRights(facts);
}

bool Win32WindowLink::IsMinimised(WindowHandle window) const {
  return window != kNoWindow && IsIconic(Hwnd(window));
}

// Queued for the window's program: ShowWindow would wait for a program that
// hangs, and the caller with it.
void Win32WindowLink::Restore(WindowHandle window) { ShowWindowAsync(Hwnd(window), SW_RESTORE); }

// The window is also put on top of its band by hand: Wine 8 activates another
// program's window without raising it above the others while this program
// has a topmost window. Queued, so that a program that hangs cannot hold the
// caller up.
void Win32WindowLink::BringToForeground(WindowHandle window) {
  SetForegroundWindow(Hwnd(window));
  SetWindowPos(Hwnd(window), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
}

// FindWindowExA steps through the children in the order its lookups use. A
// child that goes meanwhile ends the walk early; the cap ends it in any case.
std::vector<WindowHandle> Win32WindowLink::Children(WindowHandle parent) const {
  constexpr std::size_t kMostChildren = 10000;
  std::vector<WindowHandle> children;
  if (parent == kNoWindow) return children;
  HWND child = nullptr;
  while (children.size() < kMostChildren && (child = FindWindowExA(Hwnd(parent), child, nullptr, nullptr)))
    children.push_back(Handle(child));
  return children;
}

// Class names have at most 256 characters.
std::string Win32WindowLink::ClassName(WindowHandle window) const {
  if (window == kNoWindow) return {};
  char name[257] = {};
  const int length = GetClassNameA(Hwnd(window), name, sizeof name);
  return std::string(name, static_cast<std::size_t>(length > 0 ? length : 0));
}

}  // namespace qlm::platform
