// same_controls.cpp: the UI benchmark's start-up reference at the floor. It
// builds QLM.exe's own main window through the same code (MainWindow::Build:
// the same classes, styles, bounds, captions, fonts and hint window, from the
// same layout table), with QLM.exe's resources (manifest, icon, version) and
// libraries, shows it where QLM.exe shows a window with no stored position
// and runs the same message loop, but reads and writes no settings: the
// lists stay empty and nothing is loaded. Whatever QLM.exe takes beyond this
// program is its own settings work.
#include <windows.h>

#include "ui/win32/main_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  qlm::platform::Win32Host host;
  // Nothing is loaded or saved: no QLM.INI is settled.
  qlm::ui::MainWindow window(instance, host, std::string());
  window.Build();
  window.Show();
  window.RunMessageLoop();
  return 0;
}
