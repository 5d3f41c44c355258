// qlm_drive.cpp: a console helper for scripts that photograph Quillmate. It
// waits for a window and prints where it is on the screen, as an X geometry
// WIDTHxHEIGHT+LEFT+TOP:
//   qlm_drive window CLASS   a shown top-level window of that class
//   qlm_drive about          opens the About box of the shown main window
// Exits 1 when the window does not appear within 20 seconds.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "platform/codepage.h"
#include "ui/win32/layout.h"

namespace {

struct Search {
  std::string className;
  std::string caption;  // empty: any
  DWORD processId = 0;  // 0: any
  HWND found = nullptr;
};

HWND FindShown(Search search) {
  EnumWindows(
      [](HWND window, LPARAM data) {
        auto& search = *reinterpret_cast<Search*>(data);
        char name[64] = {}, caption[256] = {};
        GetClassNameA(window, name, sizeof name);
        GetWindowTextA(window, caption, sizeof caption);
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        if (search.className != name || !IsWindowVisible(window)) return TRUE;
        if (!search.caption.empty() && search.caption != caption) return TRUE;
        if (search.processId && search.processId != processId) return TRUE;
        search.found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitFor(const Search& search) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::chrono::steady_clock::now() < deadline) {
    if (const HWND window = FindShown(search)) {
      // Give it time to paint.
      std::this_thread::sleep_for(std::chrono::milliseconds(500));
      return window;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return nullptr;
}

int PrintGeometry(HWND window) {
  if (!window) {
    std::fprintf(stderr, "qlm_drive: the window did not appear\n");
    return 1;
  }
  RECT frame;
  GetWindowRect(window, &frame);
  std::printf("%ldx%ld+%ld+%ld\n", frame.right - frame.left, frame.bottom - frame.top, frame.left, frame.top);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "window" && argc == 3) return PrintGeometry(WaitFor({argv[2], "", 0}));
  if (command == "about" && argc == 2) {
    const HWND main = WaitFor({"QuillmateMainForm", "", 0});
    if (!main) return PrintGeometry(nullptr);
    DWORD processId = 0;
    GetWindowThreadProcessId(main, &processId);
    // Posted: the box is modal.
    PostMessageA(GetDlgItem(main, qlm::ui::kAbout), BM_CLICK, 0, 0);
    return PrintGeometry(WaitFor({"#32770", qlm::platform::AnsiFromUtf8("バージョン情報"), processId}));
  }
  std::fprintf(stderr, "usage: qlm_drive window CLASS | qlm_drive about\n");
  return 2;
}
