// minimal_window.cpp: the start-up reference of the UI benchmark: the least a
// Win32 program does to show a window. It registers one class, opens one
// window of Quillmate's size, shows and paints it, and runs the message loop
// until the window is closed. Built like QLM.exe (same compiler, flags and
// static linking).
//
// Built with QLM_BENCH_QLM_IMPORTS (minimal_window_imports.exe) it also
// imports the DLLs QLM.exe imports beyond this program's, for the profile;
// it calls nothing from them.
//
// When the environment variable QLM_BENCH_TRACE names a file (profile runs
// only), the performance counter at WinMain's entry is appended to it as a
// "WinMain" mark (see bench_model.h); with --load=A.dll,B.dll on its command
// line it first loads those DLLs, one after the other, each one traced.
#include <windows.h>

#include <cstdio>
#include <cstring>

#ifdef QLM_BENCH_QLM_IMPORTS
#include <commctrl.h>
#endif

namespace {

constexpr char kClassName[] = "QlmBenchMinimalWindow";
constexpr char kCaption[] = "Minimal";

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

double NowMs() {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// Appends "name<TAB>start<TAB>end" to the trace file, if there is one.
void Trace(const char* name, double start, double end) {
  char path[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableA("QLM_BENCH_TRACE", path, sizeof path);
  if (length == 0 || length >= sizeof path) return;
  char line[160];
  const int size = std::snprintf(line, sizeof line, "%s\t%.4f\t%.4f\n", name, start, end);
  const HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, line, static_cast<DWORD>(size), &written, nullptr);
  CloseHandle(file);
}

// --load=A.dll,B.dll on the command line: loads those DLLs in that order
// before anything else and traces each (profile runs only).
void LoadAsked(const char* commandLine) {
  const char* list = std::strstr(commandLine, "--load=");
  if (!list) return;
  list += 7;
  while (*list && *list != ' ') {
    const char* end = list;
    while (*end && *end != ',' && *end != ' ') ++end;
    char name[MAX_PATH] = {};
    std::snprintf(name, sizeof name, "%.*s", static_cast<int>(end - list), list);
    const double start = NowMs();
    LoadLibraryA(name);
    char event[MAX_PATH + 16];
    std::snprintf(event, sizeof event, "LoadLibraryA(%s)", name);
    Trace(event, start, NowMs());
    list = *end == ',' ? end + 1 : end;
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  const double entry = NowMs();
  Trace("WinMain", entry, entry);
  LoadAsked(commandLine);
#ifdef QLM_BENCH_QLM_IMPORTS
  // Never true: the calls only make the imports.
  if (GetCurrentProcessId() == 0) {
    InitCommonControls();
    GetFileVersionInfoSizeA(nullptr, nullptr);
  }
#endif

  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = Procedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kClassName;
  if (!RegisterClassExA(&windowClass)) return 1;

  constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT frame{0, 0, 313, 237};  // Quillmate's client area
  AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
  const HWND window =
      CreateWindowExA(0, kClassName, kCaption, kStyle, CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                      frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);

  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
