// qlm_drive.cpp: a console helper for scripts that show or photograph
// Quillmate. It waits for a window and prints where it is on the screen, as an
// X geometry WIDTHxHEIGHT+LEFT+TOP:
//   qlm_drive window CLASS   a shown top-level window of that class
//   qlm_drive click BUTTON   clicks a button of the shown main window that
//                            opens a box (about: the About box; realtime: the
//                            real-time check box and its question) and
//                            prints the box's place
//   qlm_drive answer yes|no  answers Quillmate's question box; prints nothing
//   qlm_drive close CLASS    asks the shown windows of that class to close and
//                            waits until they are gone; prints nothing
//   qlm_drive hold           keeps the desktop in use until it is ended;
//                            prints "ready" once the desktop window is up
// Exits 1 when the window does not appear (or go) within 20 seconds.
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

// Quillmate's main window and the box of its process captioned `caption`.
struct QuillmateBox {
  HWND main = nullptr;
  Search box;
};

QuillmateBox FindQuillmate(const char* caption) {
  QuillmateBox found;
  found.main = WaitFor({"QuillmateMainForm", "", 0});
  if (found.main) GetWindowThreadProcessId(found.main, &found.box.processId);
  found.box.className = "#32770";
  found.box.caption = qlm::platform::AnsiFromUtf8(caption);
  return found;
}

int Click(const std::string& button) {
  const bool about = button == "about";
  if (!about && button != "realtime") return 2;
  const QuillmateBox quillmate = FindQuillmate(about ? "バージョン情報" : "情報");
  if (!quillmate.main) return PrintGeometry(nullptr);
  // Posted: the box it opens is modal.
  PostMessageA(GetDlgItem(quillmate.main, about ? qlm::ui::kAbout : qlm::ui::kRealtime), BM_CLICK, 0, 0);
  return PrintGeometry(WaitFor(quillmate.box));
}

int Answer(const std::string& answer) {
  if (answer != "yes" && answer != "no") return 2;
  const QuillmateBox quillmate = FindQuillmate("情報");
  const HWND box = quillmate.main ? WaitFor(quillmate.box) : nullptr;
  if (!box) return PrintGeometry(nullptr);
  PostMessageA(GetDlgItem(box, answer == "yes" ? IDYES : IDNO), BM_CLICK, 0, 0);
  return 0;
}

int Close(const char* className) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (const HWND window = FindShown({className, "", 0})) {
    if (std::chrono::steady_clock::now() > deadline) return PrintGeometry(nullptr);
    PostMessageA(window, WM_CLOSE, 0, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return 0;
}

// Wine closes a desktop a second after the last program on it ends, and the
// next program to start opens a new one and starts its desktop window again,
// as a child that inherits the program's output. A test run keeps the
// desktop open with this command (scripts/test).
int Hold() {
  GetDesktopWindow();  // returns once the desktop window is up
  std::printf("ready\n");
  std::fflush(stdout);
  Sleep(INFINITE);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  int result = 2;
  if (argc == 3 && command == "window") result = PrintGeometry(WaitFor({argv[2], "", 0}));
  if (argc == 3 && command == "click") result = Click(argv[2]);
  if (argc == 3 && command == "answer") result = Answer(argv[2]);
  if (argc == 3 && command == "close") result = Close(argv[2]);
  if (argc == 2 && command == "hold") result = Hold();
  if (result == 2) {
    std::fprintf(stderr, "usage: qlm_drive window CLASS | click about|realtime | answer yes|no | close CLASS | hold\n");
  }
  return result;
}
