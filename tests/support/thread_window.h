// thread_window.h: a thread's window found by its class, for the tests that
// wait for a program's or a dialog's window (Windows builds only).
#pragma once

#include <windows.h>

#include <string>

namespace qlm::test {

// The first top-level window of the thread with that class (and shown, where
// asked); nullptr when there is none.
inline HWND ThreadWindowOfClass(DWORD threadId, const std::string& className, bool shownOnly = false) {
  struct Wanted {
    const std::string& className;
    bool shownOnly;
    HWND found;
  } wanted{className, shownOnly, nullptr};
  EnumThreadWindows(
      threadId,
      [](HWND window, LPARAM data) {
        auto& w = *reinterpret_cast<Wanted*>(data);
        char name[64] = {};
        GetClassNameA(window, name, sizeof name);
        if (name != w.className || (w.shownOnly && !IsWindowVisible(window))) return TRUE;
        w.found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&wanted));
  return wanted.found;
}

}  // namespace qlm::test
