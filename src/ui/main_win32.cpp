// main_win32.cpp: the program's entry. Settles the tool folder, builds and
// loads the main window, shows it and runs the message loop; an error that
// escapes is shown in the error box.
#include <windows.h>

#include <exception>

#include "platform/win32/win32_host.h"
#include "settings/tool_folder.h"
#include "ui/win32/main_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  using qlm::ui::MainWindow;
  try {
    qlm::platform::Win32Host host;
    if (!qlm::LocateToolFolder(host, qlm::LocateMode::kInitial)) return 0;

    MainWindow window(instance);
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
