// main_win32.cpp: the program's entry. Settles the tool folder, builds and
// loads the main window, shows it and runs the message loop; an error that
// escapes is shown in the error box. With the switch /list-tool-windows it
// only writes the list of the tool's windows and ends. Started from inside a
// zip it only says so and ends, having written nothing.
#include <windows.h>

#include <exception>

#include "platform/win32/win32_host.h"
#include "platform/win32/window_link_win32.h"
#include "settings/messages.h"
#include "settings/start_checks.h"
#include "settings/tool_folder.h"
#include "toollink/window_list.h"
#include "ui/win32/main_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  using qlm::ui::MainWindow;
  try {
    qlm::platform::Win32Host host;
    // Before anything is written: the folder goes with the zip.
    if (qlm::IsInsideZip(host.ExecutablePath())) {
      host.ShowNotice(host.Text(qlm::msg::kStartedFromZip));
      return 0;
    }
    if (qlm::IsListToolWindowsSwitch(commandLine)) {
      qlm::platform::Win32WindowLink windows;
      return qlm::ListToolWindows(host, windows);
    }
    qlm::ShowStartNotices(host);
    if (!qlm::LocateToolFolder(host, qlm::LocateMode::kInitial)) return 0;

    MainWindow window(instance, host);
    window.Create();
    window.Show();
    window.RunMessageLoop();
  } catch (const std::exception& error) {
    MainWindow::ShowError(error.what());
  } catch (...) {
    MainWindow::ShowError("");
  }
  return 0;
}
