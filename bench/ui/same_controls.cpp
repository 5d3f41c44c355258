// same_controls.cpp: the UI benchmark's start-up reference at the floor:
// QLM.exe's own main window built by the same code, with its resources and
// libraries and the same message loop, but no settings read or written.
#include <windows.h>

#include "ui/win32/main_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  qlm::platform::Win32Host host;
  // Nothing is loaded or saved: no QLM.INI is settled.
  qlm::ui::MainWindow window(instance, host, qlm::StartContext{});
  window.Build();
  window.Show();
  window.RunMessageLoop();
  return 0;
}
