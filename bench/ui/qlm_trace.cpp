// qlm_trace.cpp: an instrumented copy of QLM.exe for the UI benchmark's
// profile. It is linked from the same libraries as QLM.exe with this entry
// point instead of ui/main_win32.cpp (which it follows step by step), and
// with the linker's --wrap option around some functions of the settings
// core, the platform layer and the system (see CMakeLists.txt): each wrapped
// call is timed on the performance counter. When the environment variable
// QLM_BENCH_TRACE names a file, the events are appended to it as the program
// ends, one a line ("name<TAB>start ms<TAB>end ms", see bench_model.h).
//
// The sources of the program are not changed; what the wrappers cannot reach
// (calls inside one source file, virtual calls) shows as the "(rest)" of the
// step around it. With QLM_BENCH_ALTERNATIVES set it also tries alternatives
// on its own colour list between loading and showing (see TryAlternatives).
#include <windows.h>
// after windows.h
#include <commctrl.h>

#include <cstdio>
#include <exception>
#include <string>
#include <utility>
#include <vector>

#include "bench_driver.h"
#include "bench_model.h"
#include "platform/win32/win32_host.h"
#include "settings/controls.h"
#include "settings/own_settings.h"
#include "settings/tool_config.h"
#include "settings/tool_folder.h"
#include "toollink/tool_link.h"
#include "toollink/window_names_section.h"
#include "ui/main_form.h"
#include "ui/win32/layout.h"
#include "ui/win32/main_window.h"

namespace {

using qlm::uibench::TraceEvent;
using qlm::uibench::NowMs;

std::vector<TraceEvent>& Events() {
  static std::vector<TraceEvent> events = [] {
    std::vector<TraceEvent> reserved;
    reserved.reserve(4096);
    return reserved;
  }();
  return events;
}


// Times the scope it lives in.
class Scope {
 public:
  explicit Scope(std::string name) : name_(std::move(name)), start_(NowMs()) {}
  ~Scope() { Events().push_back(TraceEvent{std::move(name_), start_, NowMs()}); }
  Scope(const Scope&) = delete;
  Scope& operator=(const Scope&) = delete;

 private:
  std::string name_;
  double start_;
};

void Mark(const char* name) {
  const double now = NowMs();
  Events().push_back(TraceEvent{name, now, now});
}

void WriteTrace() {
  char path[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableA("QLM_BENCH_TRACE", path, sizeof path);
  if (length == 0 || length >= sizeof path) return;
  std::string text;
  for (const TraceEvent& event : Events()) text += qlm::uibench::FormatTraceEvent(event);
  const HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

}  // namespace

// --- Wrapped functions of the program's own libraries. ---
// Each __wrap_ symbol replaces the function for callers in other object
// files; __real_ is the function itself. The names are the functions'
// mangled names, listed again in CMakeLists.txt.
#define QLM_REAL(mangled) __asm__("__real_" mangled)
#define QLM_WRAP(mangled) __asm__("__wrap_" mangled)

namespace real {
std::string ProfileRead(const std::string&, const std::string&, const std::string&, const std::string&)
    QLM_REAL("_ZN3qlm8platform11ProfileReadERKNSt7__cxx1112basic_stringIcSt11char_traitsIcESaIcEEES8_S8_S8_");
bool ProfileWrite(const std::string&, const std::string&, const std::string&, const std::string&)
    QLM_REAL("_ZN3qlm8platform12ProfileWriteERKNSt7__cxx1112basic_stringIcSt11char_traitsIcESaIcEEES8_S8_S8_");
void ProfileFlush(const std::string&)
    QLM_REAL("_ZN3qlm8platform12ProfileFlushERKNSt7__cxx1112basic_stringIcSt11char_traitsIcESaIcEEE");
bool FileExists(const std::string&)
    QLM_REAL("_ZN3qlm8platform10FileExistsERKNSt7__cxx1112basic_stringIcSt11char_traitsIcESaIcEEE");
std::vector<std::string> FindFiles(const std::string&)
    QLM_REAL("_ZN3qlm8platform9FindFilesERKNSt7__cxx1112basic_stringIcSt11char_traitsIcESaIcEEE");
void RemoveStaleWorkingCopies(const std::string&)
    QLM_REAL("_ZN3qlm8platform24RemoveStaleWorkingCopiesERKNSt7__cxx1112basic_stringIcSt11char_traitsIcESaIcEEE");
bool CanWriteFile(const std::string&)
    QLM_REAL("_ZN3qlm8platform12CanWriteFileERKNSt7__cxx1112basic_stringIcSt11char_traitsIcESaIcEEE");
qlm::toollink::WindowNames LoadToolWindowNames(qlm::platform::Host&) QLM_REAL("_ZN3qlm19LoadToolWindowNamesERNS_8platform4HostE");
bool ReadRepeatMode(qlm::platform::Host&) QLM_REAL("_ZN3qlm14ReadRepeatModeERNS_8platform4HostE");
qlm::OwnSettings ReadOwnSettings(qlm::platform::Host&, qlm::OwnFileUse)
    QLM_REAL("_ZN3qlm15ReadOwnSettingsERNS_8platform4HostENS_10OwnFileUseE");
qlm::ToolKind DetectToolKind(const std::string&)
    QLM_REAL("_ZN3qlm14DetectToolKindERKNSt7__cxx1112basic_stringIcSt11char_traitsIcESaIcEEE");
std::string ReadToolTitle(qlm::platform::Host&, const std::string&)
    QLM_REAL("_ZN3qlm13ReadToolTitleERNS_8platform4HostERKNSt7__cxx1112basic_stringIcSt11char_traitsIcESaIcEEE");
std::vector<std::string> BuildFontList(const std::vector<std::string>&, std::string_view)
    QLM_REAL("_ZN3qlm13BuildFontListERKSt6vectorINSt7__cxx1112basic_stringIcSt11char_traitsIcESaIcEEESaIS6_EESt17basic_string_viewIcS4_E");
bool ListColourFiles(const std::string&, qlm::ListModel&)
    QLM_REAL("_ZN3qlm15ListColourFilesERKNSt7__cxx1112basic_stringIcSt11char_traitsIcESaIcEEERNS_9ListModelE");
qlm::WindowSettings ReadWindowSettings(const qlm::ToolConfig&)
    QLM_REAL("_ZN3qlm18ReadWindowSettingsERKNS_10ToolConfigE");
bool ReadFontSettings(const qlm::ToolConfig&, int, qlm::FontControls&)
    QLM_REAL("_ZN3qlm16ReadFontSettingsERKNS_10ToolConfigEiRNS_12FontControlsE");
bool LoadColourSetting(const qlm::ToolConfig&, qlm::ToolKind, qlm::ListModel&, std::string&) QLM_REAL(
    "_ZN3qlm17LoadColourSettingERKNS_10ToolConfigENS_8ToolKindERNS_9ListModelERNSt7__cxx1112basic_stringIcSt11char_"
    "traitsIcESaIcEEE");
bool WriteFontSlots(const qlm::ToolConfig&, int, const qlm::FontControls&)
    QLM_REAL("_ZN3qlm14WriteFontSlotsERKNS_10ToolConfigEiRKNS_12FontControlsE");
// Member functions, with the object as the first argument.
bool LoadSettings(qlm::ui::MainForm*) QLM_REAL("_ZN3qlm2ui8MainForm12LoadSettingsEv");
void FontSizeClick(qlm::ui::MainForm*, int) QLM_REAL("_ZN3qlm2ui8MainForm13FontSizeClickEi");
void NotifyFontChanged(qlm::ToolLink*) QLM_REAL("_ZN3qlm8ToolLink17NotifyFontChangedEv");
void NotifyColourChanged(qlm::ToolLink*) QLM_REAL("_ZN3qlm8ToolLink19NotifyColourChangedEv");
}  // namespace real

namespace wrap {
std::string ProfileRead(const std::string& file, const std::string& section, const std::string& key,
                        const std::string& fallback)
    QLM_WRAP("_ZN3qlm8platform11ProfileReadERKNSt7__cxx1112basic_stringIcSt11char_traitsIcESaIcEEES8_S8_S8_");
std::string ProfileRead(const std::string& file, const std::string& section, const std::string& key,
                        const std::string& fallback) {
  Scope scope("ProfileRead");
  return real::ProfileRead(file, section, key, fallback);
}
bool ProfileWrite(const std::string& file, const std::string& section, const std::string& key, const std::string& value)
    QLM_WRAP("_ZN3qlm8platform12ProfileWriteERKNSt7__cxx1112basic_stringIcSt11char_traitsIcESaIcEEES8_S8_S8_");
bool ProfileWrite(const std::string& file, const std::string& section, const std::string& key,
                  const std::string& value) {
  Scope scope("ProfileWrite");
  return real::ProfileWrite(file, section, key, value);
}
void ProfileFlush(const std::string& file)
    QLM_WRAP("_ZN3qlm8platform12ProfileFlushERKNSt7__cxx1112basic_stringIcSt11char_traitsIcESaIcEEE");
void ProfileFlush(const std::string& file) {
  Scope scope("ProfileFlush");
  real::ProfileFlush(file);
}
bool FileExists(const std::string& path)
    QLM_WRAP("_ZN3qlm8platform10FileExistsERKNSt7__cxx1112basic_stringIcSt11char_traitsIcESaIcEEE");
bool FileExists(const std::string& path) {
  Scope scope("FileExists");
  return real::FileExists(path);
}
std::vector<std::string> FindFiles(const std::string& pattern)
    QLM_WRAP("_ZN3qlm8platform9FindFilesERKNSt7__cxx1112basic_stringIcSt11char_traitsIcESaIcEEE");
std::vector<std::string> FindFiles(const std::string& pattern) {
  Scope scope("FindFiles");
  return real::FindFiles(pattern);
}
void RemoveStaleWorkingCopies(const std::string& path)
    QLM_WRAP("_ZN3qlm8platform24RemoveStaleWorkingCopiesERKNSt7__cxx1112basic_stringIcSt11char_traitsIcESaIcEEE");
void RemoveStaleWorkingCopies(const std::string& path) {
  Scope scope("RemoveStaleWorkingCopies");
  real::RemoveStaleWorkingCopies(path);
}
bool CanWriteFile(const std::string& path)
    QLM_WRAP("_ZN3qlm8platform12CanWriteFileERKNSt7__cxx1112basic_stringIcSt11char_traitsIcESaIcEEE");
bool CanWriteFile(const std::string& path) {
  Scope scope("CanWriteFile");
  return real::CanWriteFile(path);
}
qlm::toollink::WindowNames LoadToolWindowNames(qlm::platform::Host& host) QLM_WRAP("_ZN3qlm19LoadToolWindowNamesERNS_8platform4HostE");
qlm::toollink::WindowNames LoadToolWindowNames(qlm::platform::Host& host) {
  Scope scope("LoadToolWindowNames");
  return real::LoadToolWindowNames(host);
}
bool ReadRepeatMode(qlm::platform::Host& host) QLM_WRAP("_ZN3qlm14ReadRepeatModeERNS_8platform4HostE");
bool ReadRepeatMode(qlm::platform::Host& host) {
  Scope scope("ReadRepeatMode");
  return real::ReadRepeatMode(host);
}
qlm::OwnSettings ReadOwnSettings(qlm::platform::Host& host, qlm::OwnFileUse use)
    QLM_WRAP("_ZN3qlm15ReadOwnSettingsERNS_8platform4HostENS_10OwnFileUseE");
qlm::OwnSettings ReadOwnSettings(qlm::platform::Host& host, qlm::OwnFileUse use) {
  Scope scope("ReadOwnSettings");
  return real::ReadOwnSettings(host, use);
}
qlm::ToolKind DetectToolKind(const std::string& folder)
    QLM_WRAP("_ZN3qlm14DetectToolKindERKNSt7__cxx1112basic_stringIcSt11char_traitsIcESaIcEEE");
qlm::ToolKind DetectToolKind(const std::string& folder) {
  Scope scope("DetectToolKind");
  return real::DetectToolKind(folder);
}
std::string ReadToolTitle(qlm::platform::Host& host, const std::string& folder)
    QLM_WRAP("_ZN3qlm13ReadToolTitleERNS_8platform4HostERKNSt7__cxx1112basic_stringIcSt11char_traitsIcESaIcEEE");
std::string ReadToolTitle(qlm::platform::Host& host, const std::string& folder) {
  Scope scope("ReadToolTitle");
  return real::ReadToolTitle(host, folder);
}
std::vector<std::string> BuildFontList(const std::vector<std::string>& enumerated, std::string_view storedFace)
    QLM_WRAP("_ZN3qlm13BuildFontListERKSt6vectorINSt7__cxx1112basic_stringIcSt11char_traitsIcESaIcEEESaIS6_EESt17basic_string_viewIcS4_E");
std::vector<std::string> BuildFontList(const std::vector<std::string>& enumerated, std::string_view storedFace) {
  Scope scope("BuildFontList");
  return real::BuildFontList(enumerated, storedFace);
}
bool ListColourFiles(const std::string& folder, qlm::ListModel& list)
    QLM_WRAP("_ZN3qlm15ListColourFilesERKNSt7__cxx1112basic_stringIcSt11char_traitsIcESaIcEEERNS_9ListModelE");
bool ListColourFiles(const std::string& folder, qlm::ListModel& list) {
  Scope scope("ListColourFiles");
  return real::ListColourFiles(folder, list);
}
qlm::WindowSettings ReadWindowSettings(const qlm::ToolConfig& config)
    QLM_WRAP("_ZN3qlm18ReadWindowSettingsERKNS_10ToolConfigE");
qlm::WindowSettings ReadWindowSettings(const qlm::ToolConfig& config) {
  Scope scope("ReadWindowSettings");
  return real::ReadWindowSettings(config);
}
bool ReadFontSettings(const qlm::ToolConfig& config, int pixelsPerInch, qlm::FontControls& controls)
    QLM_WRAP("_ZN3qlm16ReadFontSettingsERKNS_10ToolConfigEiRNS_12FontControlsE");
bool ReadFontSettings(const qlm::ToolConfig& config, int pixelsPerInch, qlm::FontControls& controls) {
  Scope scope("ReadFontSettings");
  return real::ReadFontSettings(config, pixelsPerInch, controls);
}
bool LoadColourSetting(const qlm::ToolConfig& config, qlm::ToolKind kind, qlm::ListModel& list, std::string& current)
    QLM_WRAP(
        "_ZN3qlm17LoadColourSettingERKNS_10ToolConfigENS_8ToolKindERNS_9ListModelERNSt7__cxx1112basic_stringIcSt11char_"
        "traitsIcESaIcEEE");
bool LoadColourSetting(const qlm::ToolConfig& config, qlm::ToolKind kind, qlm::ListModel& list, std::string& current) {
  Scope scope("LoadColourSetting");
  return real::LoadColourSetting(config, kind, list, current);
}
bool WriteFontSlots(const qlm::ToolConfig& config, int pixelsPerInch, const qlm::FontControls& controls)
    QLM_WRAP("_ZN3qlm14WriteFontSlotsERKNS_10ToolConfigEiRKNS_12FontControlsE");
bool WriteFontSlots(const qlm::ToolConfig& config, int pixelsPerInch, const qlm::FontControls& controls) {
  Scope scope("WriteFontSlots");
  return real::WriteFontSlots(config, pixelsPerInch, controls);
}
bool LoadSettings(qlm::ui::MainForm* form) QLM_WRAP("_ZN3qlm2ui8MainForm12LoadSettingsEv");
bool LoadSettings(qlm::ui::MainForm* form) {
  Scope scope("LoadSettings");
  return real::LoadSettings(form);
}
void FontSizeClick(qlm::ui::MainForm* form, int step) QLM_WRAP("_ZN3qlm2ui8MainForm13FontSizeClickEi");
void FontSizeClick(qlm::ui::MainForm* form, int step) {
  Scope scope("FontSizeClick");
  real::FontSizeClick(form, step);
}
void NotifyFontChanged(qlm::ToolLink* link) QLM_WRAP("_ZN3qlm8ToolLink17NotifyFontChangedEv");
void NotifyFontChanged(qlm::ToolLink* link) {
  Scope scope("NotifyFontChanged");
  real::NotifyFontChanged(link);
}
void NotifyColourChanged(qlm::ToolLink* link) QLM_WRAP("_ZN3qlm8ToolLink19NotifyColourChangedEv");
void NotifyColourChanged(qlm::ToolLink* link) {
  Scope scope("NotifyColourChanged");
  real::NotifyColourChanged(link);
}
}  // namespace wrap

// --- Wrapped system functions. ---
// A call of an imported function goes through its pointer __imp_NAME; the
// wrapped pointer leads to the timed function, which calls through the real
// one.
#define QLM_TRACE_IMPORT(name, result, params, args) \
  extern "C" decltype(&name) __real___imp_##name;    \
  namespace {                                        \
  result WINAPI Traced##name params {                \
    Scope scope(#name);                              \
    return __real___imp_##name args;                 \
  }                                                  \
  }                                                  \
  extern "C" decltype(&name) __wrap___imp_##name;    \
  decltype(&name) __wrap___imp_##name = &Traced##name;

QLM_TRACE_IMPORT(EnumFontFamiliesExA, int, (HDC dc, LPLOGFONTA font, FONTENUMPROCA proc, LPARAM data, DWORD flags),
                 (dc, font, proc, data, flags))
QLM_TRACE_IMPORT(EnumFontFamiliesA, int, (HDC dc, LPCSTR family, FONTENUMPROCA proc, LPARAM data),
                 (dc, family, proc, data))
QLM_TRACE_IMPORT(InitCommonControlsEx, BOOL, (const INITCOMMONCONTROLSEX* controls), (controls))
QLM_TRACE_IMPORT(RegisterClassExA, ATOM, (const WNDCLASSEXA* windowClass), (windowClass))
QLM_TRACE_IMPORT(ShowWindow, BOOL, (HWND window, int show), (window, show))
QLM_TRACE_IMPORT(UpdateWindow, BOOL, (HWND window), (window))
QLM_TRACE_IMPORT(SetWindowPos, BOOL, (HWND window, HWND after, int x, int y, int cx, int cy, UINT flags),
                 (window, after, x, y, cx, cy, flags))
QLM_TRACE_IMPORT(CreateFontA, HFONT,
                 (int height, int width, int escapement, int orientation, int weight, DWORD italic, DWORD underline,
                  DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                  DWORD pitchAndFamily, LPCSTR face),
                 (height, width, escapement, orientation, weight, italic, underline, strikeOut, charSet, outPrecision,
                  clipPrecision, quality, pitchAndFamily, face))
QLM_TRACE_IMPORT(PostMessageA, BOOL, (HWND window, UINT message, WPARAM wParam, LPARAM lParam),
                 (window, message, wParam, lParam))
QLM_TRACE_IMPORT(FindWindowA, HWND, (LPCSTR className, LPCSTR title), (className, title))

// Window creation by class, and messages by name: the steps where the time
// goes are made of many of these.
extern "C" decltype(&CreateWindowExA) __real___imp_CreateWindowExA;
namespace {
HWND WINAPI TracedCreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y, int width,
                                  int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID parameter) {
  char name[96];
  if (IS_INTRESOURCE(className))
    std::snprintf(name, sizeof name, "CreateWindowExA(#%u)",
                  static_cast<unsigned>(reinterpret_cast<UINT_PTR>(className)));
  else
    std::snprintf(name, sizeof name, "CreateWindowExA(%.64s)", className);
  Scope scope(name);
  return __real___imp_CreateWindowExA(exStyle, className, title, style, x, y, width, height, parent, menu, instance,
                                      parameter);
}
}  // namespace
extern "C" decltype(&CreateWindowExA) __wrap___imp_CreateWindowExA;
decltype(&CreateWindowExA) __wrap___imp_CreateWindowExA = &TracedCreateWindowExA;

extern "C" decltype(&SendMessageA) __real___imp_SendMessageA;
namespace {
// Messages from WM_USER on mean different things to different classes:
// those are named with the window's class.
std::string MessageName(HWND window, UINT message) {
  switch (message) {
#define QLM_MESSAGE(name) \
  case name:              \
    return #name;
    QLM_MESSAGE(WM_SETFONT)
    QLM_MESSAGE(WM_SIZE)
    QLM_MESSAGE(WM_GETTEXT)
    QLM_MESSAGE(BM_SETCHECK)
    QLM_MESSAGE(BM_GETCHECK)
    QLM_MESSAGE(BM_SETIMAGE)
    QLM_MESSAGE(CB_ADDSTRING)
    QLM_MESSAGE(CB_GETCOUNT)
    QLM_MESSAGE(CB_GETLBTEXT)
    QLM_MESSAGE(CB_RESETCONTENT)
    QLM_MESSAGE(CB_SETCURSEL)
    QLM_MESSAGE(CB_GETCURSEL)
    QLM_MESSAGE(EM_LIMITTEXT)
#undef QLM_MESSAGE
  }
  char name[96];
  if (message < WM_USER) {
    std::snprintf(name, sizeof name, "0x%04X", message);
    return name;
  }
  char className[64] = {};
  GetClassNameA(window, className, sizeof className);
  const struct {
    const char* className;
    UINT message;
    const char* name;
  } known[] = {{TOOLTIPS_CLASSA, TTM_ACTIVATE, "TTM_ACTIVATE"}, {TOOLTIPS_CLASSA, TTM_ADDTOOLA, "TTM_ADDTOOLA"},
               {STATUSCLASSNAMEA, SB_SETTEXTA, "SB_SETTEXTA"},  {STATUSCLASSNAMEA, SB_SETPARTS, "SB_SETPARTS"},
               {UPDOWN_CLASSA, UDM_SETBUDDY, "UDM_SETBUDDY"},   {UPDOWN_CLASSA, UDM_SETRANGE32, "UDM_SETRANGE32"},
               {UPDOWN_CLASSA, UDM_SETPOS32, "UDM_SETPOS32"}};
  for (const auto& k : known)
    if (k.message == message && lstrcmpiA(k.className, className) == 0) return k.name;
  std::snprintf(name, sizeof name, "%s 0x%04X", className, message);
  return name;
}
LRESULT WINAPI TracedSendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Scope scope("SendMessageA(" + MessageName(window, message) + ")");
  return __real___imp_SendMessageA(window, message, wParam, lParam);
}
}  // namespace
extern "C" decltype(&SendMessageA) __wrap___imp_SendMessageA;
decltype(&SendMessageA) __wrap___imp_SendMessageA = &TracedSendMessageA;

// --- Alternatives tried on the real window (QLM_BENCH_ALTERNATIVES set). ---
// Between loading and showing, the colour list is read back and filled again
// as it is, first one item after the other, then with redrawing off; the
// selection is put back. The calls bypass the wrapped SendMessageA.
namespace {

LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  return __real___imp_SendMessageA(window, message, wParam, lParam);
}

void TryAlternatives(HWND main) {
  const HWND box = GetDlgItem(main, qlm::ui::kColourFiles);
  const LRESULT selected = Send(box, CB_GETCURSEL);
  std::vector<std::string> items;
  {
    Scope scope("alternative: CB_GETLBTEXT of every item");
    const LRESULT count = Send(box, CB_GETCOUNT);
    for (LRESULT i = 0; i < count; ++i) {
      char text[512] = {};
      Send(box, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
      items.emplace_back(text);
    }
  }
  {
    Scope scope("alternative: CB_RESETCONTENT and CB_ADDSTRING of every item");
    Send(box, CB_RESETCONTENT);
    for (const std::string& item : items) Send(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  }
  {
    Scope scope("alternative: the same with WM_SETREDRAW off");
    Send(box, WM_SETREDRAW, FALSE);
    Send(box, CB_RESETCONTENT);
    for (const std::string& item : items) Send(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    Send(box, WM_SETREDRAW, TRUE);
  }

  // The same on a list of the same kind without a hint: the hint's tool
  // subclasses its control (TTF_SUBCLASS), and every message to a subclassed
  // control passes the subclass first.
  RECT bounds;
  GetWindowRect(box, &bounds);
  MapWindowPoints(nullptr, main, reinterpret_cast<POINT*>(&bounds), 2);
  const HWND plain = __real___imp_CreateWindowExA(
      0, "COMBOBOX", "", static_cast<DWORD>(GetWindowLongPtrA(box, GWL_STYLE)), bounds.left, bounds.top,
      bounds.right - bounds.left, 240, main, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (plain) {
    Send(plain, WM_SETFONT, static_cast<WPARAM>(Send(box, WM_GETFONT)), FALSE);
    {
      Scope scope("alternative: CB_RESETCONTENT and CB_ADDSTRING of every item, a list without a hint");
      Send(plain, CB_RESETCONTENT);
      for (const std::string& item : items) Send(plain, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    }
    {
      Scope scope("alternative: CB_GETLBTEXT of every item, a list without a hint");
      for (std::size_t i = 0; i < items.size(); ++i) {
        char text[512] = {};
        Send(plain, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
      }
    }
    DestroyWindow(plain);
  }
  Send(box, CB_SETCURSEL, static_cast<WPARAM>(selected));
}

bool AlternativesAsked() { return GetEnvironmentVariableA("QLM_BENCH_ALTERNATIVES", nullptr, 0) > 0; }

}  // namespace

// --- The entry point: ui/main_win32.cpp's steps, timed. ---
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  Mark("WinMain");
  using qlm::ui::MainWindow;
  try {
    qlm::platform::Win32Host host;
    bool located;
    {
      Scope scope("LocateToolFolder");
      located = qlm::LocateToolFolder(host, qlm::LocateMode::kInitial);
    }
    if (!located) {
      WriteTrace();
      return 0;
    }

    MainWindow window(instance, host);
    {
      Scope scope("Create");
      window.Create();
    }
    if (AlternativesAsked()) TryAlternatives(window.handle());
    {
      Scope scope("Show");
      window.Show();
    }
    Mark("MessageLoop");
    window.RunMessageLoop();
  } catch (const std::exception& error) {
    MainWindow::ShowError(error.what());
  } catch (...) {
    MainWindow::ShowError("");
  }
  WriteTrace();
  return 0;
}
