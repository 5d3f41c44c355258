// main_win32.cpp: the program's entry. Settles the tool folder, then
// recognises the tool; errors that escape are shown in the error box.
#include <windows.h>

#include "platform/win32/win32_host.h"
#include "settings/errors.h"
#include "settings/tool_folder.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  qlm::platform::Win32Host host;
  try {
    if (!qlm::LocateToolFolder(host, qlm::LocateMode::kInitial)) return 0;
  } catch (const qlm::Error& error) {
    MessageBoxA(nullptr, error.what(), "Qlm", MB_ICONERROR | MB_OK);
  }
  return 0;
}
