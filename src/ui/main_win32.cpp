// main_win32.cpp: the program's entry. Settles the tool folder, builds and
// loads the main window, shows it and runs the message loop; an error that
// escapes is shown in the error box. With the switch /list-tool-windows it
// only writes the list of the tool's windows and ends. Started from inside a
// zip it only says so and ends, having written nothing. A second start on the
// same settings file brings the running window forward and ends.
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <exception>
#include <optional>
#include <string>
#include <utility>

#include "platform/codepage.h"
#include "platform/win32/win32_host.h"
#include "platform/win32/window_link_win32.h"
#include "settings/messages.h"
#include "settings/own_settings.h"
#include "settings/profile.h"
#include "settings/start_checks.h"
#include "settings/start_context.h"
#include "settings/tool_folder.h"
#include "toollink/window_list.h"
#include "ui/win32/main_window.h"

namespace {

// One Quillmate per settings file: two windows on the same files would each
// write back what the other changed. Another copy of QLM.exe with a QLM.INI of
// its own runs beside this one. The running one is known by a small named
// memory block of the session that holds its main window; the block's name
// comes from the settings file's full path, made alike in case (names of
// kernel objects are compared case-sensitively, paths are not) and hashed,
// since a name may not hold backslashes. The block goes when its program
// ends, however it ends.
class SingleInstance {
 public:
  explicit SingleInstance(const std::string& settingsPath) {
    block_ = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(std::uint64_t),
                                BlockName(settingsPath).c_str());
    second_ = block_ && GetLastError() == ERROR_ALREADY_EXISTS;
    if (block_) view_ = static_cast<volatile std::uint64_t*>(
                    MapViewOfFile(block_, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, sizeof(std::uint64_t)));
  }
  ~SingleInstance() {
    if (view_) UnmapViewOfFile(const_cast<std::uint64_t*>(view_));
    if (block_) CloseHandle(block_);
  }
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // Whether another Quillmate runs on the same settings file.
  bool IsSecond() const { return second_; }

  // Tells later starts which window to bring forward.
  void Announce(HWND window) {
    if (view_) *view_ = reinterpret_cast<std::uintptr_t>(window);
  }

  // Brings the running Quillmate forward, with the box it may have open; it
  // may still be starting (asking for the tool), so its window is awaited a
  // little while.
  void BringFirstForward() const {
    HWND window = nullptr;
    for (int tries = 0; view_ && tries < 30; ++tries) {
      window = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(*view_));
      if (window && IsWindow(window)) break;
      window = nullptr;
      Sleep(100);
    }
    if (!window) return;
    if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
    // This program was started by the user, so it may give the foreground.
    SetForegroundWindow(GetLastActivePopup(window));
  }

 private:
  static std::string BlockName(const std::string& settingsPath) {
    std::string path = settingsPath;
    char full[4 * MAX_PATH];
    const DWORD length = GetFullPathNameA(settingsPath.c_str(), sizeof full, full, nullptr);
    if (length > 0 && length < sizeof full) path.assign(full, length);
    // A short (8.3) spelling of an existing path names the same file. The
    // short names the system makes differ from the long ones beyond case only
    // by a tilde and a number, so a path without one is spelled long already
    // (asking would look up each of its folders).
    if (path.find('~') != std::string::npos) {
      const DWORD longLength = GetLongPathNameA(path.c_str(), full, sizeof full);
      if (longLength > 0 && longLength < sizeof full) path.assign(full, longLength);
    }
    if (!path.empty()) CharUpperBuffA(path.data(), static_cast<DWORD>(path.size()));
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (const char c : path) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return "Local\\Quillmate." + qlm::platform::HexText(hash, 16, false);
  }

  HANDLE block_ = nullptr;
  volatile std::uint64_t* view_ = nullptr;
  bool second_ = false;
};

}  // namespace

// What the C++ runtime calls for an exception that nothing caught. Its own
// version prints the exception's type, demangled, to a console this program
// does not have, and then aborts; its demangler alone is about a seventh of
// QLM.exe. Every exception is caught at the entry and in the message loop,
// so this only ever has to end the program.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

namespace {

// A start that ends before the window: from inside a zip (before anything
// is written: the folder goes with the zip), or to list the tool's windows.
std::optional<int> EndedBeforeTheWindow(qlm::platform::Win32Host& host, LPSTR commandLine) {
  if (qlm::IsInsideZip(host.ExecutablePath())) {
    host.ShowNotice(host.Text(qlm::msg::kStartedFromZip));
    return 0;
  }
  if (qlm::IsListToolWindowsSwitch(commandLine)) {
    qlm::platform::Win32WindowLink windows;
    return qlm::ListToolWindows(host, windows);
  }
  return std::nullopt;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  using qlm::ui::MainWindow;
  try {
    qlm::platform::Win32Host host;
    if (const auto ended = EndedBeforeTheWindow(host, commandLine)) return *ended;
    // Settled once and handed down: every later use of QLM.INI goes to this
    // file, and the history lies beside it.
    qlm::StartContext start = qlm::StartContextOf(qlm::OwnSettingsPath(host));
    SingleInstance single(start.settingsPath);
    if (single.IsSecond()) {
      single.BringFirstForward();
      return 0;
    }
    qlm::ShowStartNotices(host, start.settingsPath);
    // The window is made only once the tool folder and the tool in it are
    // settled; the first load reads QLM.INI through the file that settled it.
    std::optional<MainWindow> window;
    {
      qlm::ProfileFile settings(host, start.settingsPath);
      auto folder = qlm::LocateToolFolder(host, settings, qlm::LocateMode::kInitial);
      if (!folder) return 0;
      qlm::SettleToolIn(start, std::move(*folder));
      window.emplace(instance, host, std::move(start));
      window->Create(settings);
    }
    single.Announce(window->handle());
    window->Show();
    window->RunMessageLoop();
  } catch (const std::exception& error) {
    MainWindow::ShowError(error.what());
  } catch (...) {
    MainWindow::ShowError("");
  }
  return 0;
}
