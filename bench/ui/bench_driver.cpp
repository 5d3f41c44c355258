// bench_driver.cpp: the tool installation, start-ups and the real-time
// session of the UI benchmark (see bench_driver.h).
#include "bench_driver.h"

// after windows.h
#include <psapi.h>

#include <algorithm>
#include <cstdlib>
#include <functional>

#include "ui/win32/layout.h"

namespace qlm::uibench {

namespace {

constexpr char kDialogClass[] = "#32770";
constexpr char kQuestionCaption[] = "\x8F\xEE\x95\xF1";  // 情報 (Shift-JIS)
constexpr int kYesButton = 6;

}  // namespace

double NowMs() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) * 1000.0 / frequency;
}

// --- Files. ---

bool ReadBytes(const std::string& path, std::string& bytes) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bytes.clear();
  char buffer[65536];
  DWORD got = 0;
  bool ok = true;
  while ((ok = ReadFile(file, buffer, sizeof buffer, &got, nullptr) != 0) && got > 0) bytes.append(buffer, got);
  CloseHandle(file);
  return ok;
}

std::string ReadOrFail(const std::string& path) {
  std::string bytes;
  if (!ReadBytes(path, bytes)) throw Failure("cannot read " + path);
  return bytes;
}

namespace {

// The bytes of a file from offset on; empty when it cannot be read.
std::string ReadFrom(const std::string& path, LONGLONG offset) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  LARGE_INTEGER position;
  position.QuadPart = offset;
  std::string bytes;
  if (SetFilePointerEx(file, position, nullptr, FILE_BEGIN)) {
    char buffer[16384];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  }
  CloseHandle(file);
  return bytes;
}

}  // namespace

void WriteBytes(const std::string& path, const std::string& bytes) {
  const HANDLE file =
      CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) throw Failure("cannot create " + path);
  DWORD written = 0;
  const bool ok =
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
  CloseHandle(file);
  if (!ok) throw Failure("cannot write " + path);
}

namespace {

// Size and last write time, as one comparable value; 0 when missing.
struct Stamp {
  ULONGLONG size = 0, time = 0;
  bool operator==(const Stamp&) const = default;
};
Stamp StampOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return {};
  return Stamp{(ULONGLONG(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
               (ULONGLONG(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime};
}

void MakeFolder(const std::string& path) {
  if (!CreateDirectoryA(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
    throw Failure("cannot create the folder " + path);
}

void Copy(const std::string& from, const std::string& to) {
  if (!CopyFileA(from.c_str(), to.c_str(), FALSE)) throw Failure("cannot copy " + from + " to " + to);
}

}  // namespace

// Sets a file's last write time an hour back: the profile functions keep a
// file parsed between calls only when it is older than about two seconds.
void AgeFile(const std::string& path) {
  const HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) throw Failure("cannot open " + path);
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER time;
  time.LowPart = now.dwLowDateTime;
  time.HighPart = now.dwHighDateTime;
  time.QuadPart -= 3600ULL * 10000000ULL;
  const FILETIME past{time.LowPart, time.HighPart};
  SetFileTime(file, nullptr, nullptr, &past);
  CloseHandle(file);
}

// The [FONT] section alone, found by a plain search: enough for files this
// benchmark writes, and quick enough to poll.
FontSlotValues FontSlotsOf(const std::string& ini) {
  std::size_t begin = ini.find("[FONT]");
  if (begin == std::string::npos) return {};
  std::size_t end = ini.find("\n[", begin + 1);
  return ReadFontSlots(std::string_view(ini).substr(begin, end == std::string::npos ? ini.npos : end - begin));
}

namespace {

// --- Processes and windows. ---

class Process {
 public:
  Process() = default;
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  ~Process() { Kill(); }

  void Start(const std::string& exe, const std::string& arguments, const std::string& folder) {
    std::string commandLine = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &info_))
      throw Failure("cannot start " + exe + " (error " + std::to_string(GetLastError()) + ")");
    CloseHandle(info_.hThread);
    info_.hThread = nullptr;
  }
  bool Running() const { return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }
  bool WaitForExit(DWORD ms) const {
    return !info_.hProcess || WaitForSingleObject(info_.hProcess, ms) == WAIT_OBJECT_0;
  }
  void Kill() {
    if (!info_.hProcess) return;
    if (Running()) {
      TerminateProcess(info_.hProcess, 1);
      WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hProcess);
    info_.hProcess = nullptr;
  }
  HANDLE handle() const { return info_.hProcess; }
  DWORD id() const { return info_.dwProcessId; }

 private:
  PROCESS_INFORMATION info_ = {};
};

// A top-level window of the process with this class and caption (either may
// be null for any), visible or not as asked; null when there is none.
HWND FindWindowOf(DWORD processId, const char* className, const char* caption, bool visible) {
  HWND window = nullptr;
  while ((window = FindWindowExA(nullptr, window, className, caption))) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == processId && (!visible || IsWindowVisible(window))) return window;
  }
  return nullptr;
}

// The shown windows of a process with their texts, for a failure message.
std::string DescribeWindows(DWORD processId) {
  struct Context {
    DWORD processId;
    std::string text;
  } context{processId, {}};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto& context = *reinterpret_cast<Context*>(data);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != context.processId || !IsWindowVisible(window)) return TRUE;
        char className[64] = {}, caption[256] = {};
        GetClassNameA(window, className, sizeof className);
        GetWindowTextA(window, caption, sizeof caption);
        context.text += std::string(" [") + className + " \"" + caption + "\"";
        for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
          char childClass[64] = {}, text[512] = {};
          GetClassNameA(child, childClass, sizeof childClass);
          SendMessageTimeoutA(child, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 1000,
                              nullptr);
          if (text[0] && lstrcmpiA(childClass, "Static") == 0) context.text += std::string(" \"") + text + "\"";
        }
        context.text += "]";
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&context));
  return context.text.empty() ? " (no window shown)" : context.text;
}

// Polls ready() about every millisecond until it holds; false on timeout.
bool PollUntil(const std::function<bool()>& ready, DWORD patienceMs = kPatienceMs) {
  const double start = NowMs();
  while (!ready()) {
    if (NowMs() - start > patienceMs) return false;
    Sleep(1);
  }
  return true;
}

// Returns once the window's thread has handled what was sent before.
void Settle(HWND window) {
  DWORD_PTR result = 0;
  if (window) SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, kPatienceMs, &result);
}

// Closes a program by its main window (as from its title bar) and waits.
void Close(Process& process, HWND window, const std::string& name) {
  PostMessageA(window, WM_CLOSE, 0, 0);
  if (!process.WaitForExit(kPatienceMs)) {
    const std::string windows = DescribeWindows(process.id());
    process.Kill();
    throw Failure(name + " did not end after WM_CLOSE; its windows:" + windows);
  }
  process.Kill();
}

std::string WindowText(HWND window) {
  char text[256] = {};
  SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, kPatienceMs,
                      nullptr);
  return text;
}

// --- The tool installation and the programs' folders. ---

// A folder holding QLM.exe (a copy of exe) and its QLM.INI.
void PlaceQuillmate(const std::string& exe, const std::string& folder, const Installation& setup) {
  MakeFolder(folder);
  Copy(exe, folder + "\\QLM.exe");
  WriteBytes(folder + "\\QLM.INI", "[CONFIG]\r\nTTPath=" + setup.tool + "\r\n");
}

}  // namespace

Installation Prepare(const Options& options) {
  Installation setup;
  setup.work = options.work;
  MakeFolder(setup.work);
  setup.tool = setup.work + "\\Takumi\\";
  MakeFolder(setup.tool);
  MakeFolder(setup.tool + "System");
  MakeFolder(setup.tool + "Color");

  Copy(options.sample + "\\System\\Sys.ini", setup.tool + "System\\Sys.ini");
  setup.appcfg = setup.tool + "System\\Appcfg.ini";
  setup.appcfgText = GenerateAppcfg(ReadOrFail(options.sample + "\\System\\Appcfg.ini"), options.lines);
  WriteBytes(setup.appcfg, setup.appcfgText);

  // The sample's schemes, then generated ones up to the count.
  int colours = 0;
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA((options.sample + "\\Color\\*.CLR").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      Copy(options.sample + "\\Color\\" + found.cFileName, setup.tool + "Color\\" + found.cFileName);
      ++colours;
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  for (int n = 1; colours < options.colours; ++n, ++colours)
    WriteBytes(setup.tool + "Color\\" + ColourSchemeName(n), ColourSchemeText(n));

  char title[512] = {};
  GetPrivateProfileStringA("INFO", "Title", "", title, sizeof title, (setup.tool + "System\\Sys.ini").c_str());
  setup.title = title;
  if (setup.title.empty()) throw Failure("the sample's System\\Sys.ini has no [INFO] Title");
  setup.standin = setup.tool + "Takumi.exe";
  Copy(options.standin, setup.standin);
  setup.state = setup.work + "\\standin-state.txt";

  setup.qlmFolder = setup.work + "\\qlm";
  PlaceQuillmate(options.qlm, setup.qlmFolder, setup);
  setup.qlm = setup.qlmFolder + "\\QLM.exe";
  if (!options.trace.empty()) {
    setup.traceFolder = setup.work + "\\trace";
    PlaceQuillmate(options.trace, setup.traceFolder, setup);
    setup.trace = setup.traceFolder + "\\QLM.exe";
  }
  setup.sameFolder = setup.work + "\\same";
  MakeFolder(setup.sameFolder);
  setup.sameControls = setup.sameFolder + "\\same_controls.exe";
  Copy(options.sameControls, setup.sameControls);
  setup.minimal = options.minimal;
  setup.minimalImports = options.minimalImports;
  setup.minimalManifest = options.minimalManifest;
  return setup;
}

// --- Start-up. ---

namespace {

std::vector<std::string> ModulesOf(HANDLE process) {
  HMODULE modules[512];
  DWORD needed = 0;
  std::vector<std::string> names;
  if (!EnumProcessModules(process, modules, sizeof modules, &needed)) return names;
  for (DWORD i = 0; i < needed / sizeof(HMODULE) && i < 512; ++i) {
    char name[MAX_PATH] = {};
    if (GetModuleBaseNameA(process, modules[i], name, sizeof name)) names.emplace_back(name);
  }
  return names;
}

}  // namespace

StartupSample StartOnce(const Target& target, const std::string& folder, bool listModules,
                        const std::function<void(HWND)>& whileShown, Ending ending) {
  StartupSample sample;
  Process process;
  sample.origin = NowMs();
  process.Start(target.exe, target.arguments, folder);
  sample.created = NowMs() - sample.origin;
  HWND window = nullptr;
  const bool shown = PollUntil([&] {
    window = FindWindowOf(process.id(), target.className, target.caption, true);
    return window || !process.Running();
  });
  if (!shown || !window)
    throw Failure(target.name + (process.Running()
                                     ? " showed no main window in time; its windows:" + DescribeWindows(process.id())
                                     : " ended before its main window showed"));
  sample.shown = NowMs() - sample.origin;
  WaitForInputIdle(process.handle(), kPatienceMs);
  Settle(window);
  sample.idle = NowMs() - sample.origin;
  PROCESS_MEMORY_COUNTERS_EX memory = {};
  memory.cb = sizeof memory;
  if (GetProcessMemoryInfo(process.handle(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory)) {
    sample.peakMb = static_cast<double>(memory.PeakWorkingSetSize) / (1024.0 * 1024.0);
    // Wine leaves PrivateUsage at 0; PagefileUsage is the same figure on Windows.
    sample.privateMb = static_cast<double>(memory.PagefileUsage) / (1024.0 * 1024.0);
  }
  if (listModules) sample.modules = ModulesOf(process.handle());
  if (whileShown) whileShown(window);
  // Ended at once: a clean exit under Wine idles for about two seconds, and
  // a teardown still going on would slow the next start.
  if (ending == Ending::kClose)
    Close(process, window, target.name);
  else
    process.Kill();
  return sample;
}

std::vector<double> Field(const std::vector<StartupSample>& samples, double StartupSample::*field) {
  std::vector<double> values;
  for (const StartupSample& s : samples) values.push_back(s.*field);
  return values;
}

// --- The real-time session with the stand-in. ---

std::array<int, kFontSlots> HeightsFor(int size) {
  const HDC screen = GetDC(nullptr);
  const int pixelsPerInch = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return SlotHeights(size, pixelsPerInch);
}

std::array<std::string, kFontSlots> Values(const FontSlotValues& slots) {
  std::array<std::string, kFontSlots> values;
  for (std::size_t i = 0; i < slots.size(); ++i) values[i] = slots[i].value_or("");
  return values;
}

namespace {

class RealtimeSession {
 public:
  RealtimeSession(const Installation& setup, const std::string& qlmExe, const std::string& qlmFolder) : setup_(setup) {
    WriteBytes(setup.appcfg, setup.appcfgText);
    DeleteFileA(setup.state.c_str());
    standin_.Start(setup.standin, "--state=\"" + setup.state + "\"", setup.tool);
    if (!PollUntil([&] {
          standinWindow_ = FindWindowOf(standin_.id(), nullptr, setup.title.c_str(), true);
          std::string state;
          return standinWindow_ && ReadBytes(setup.state, state) && StateHasEvent(state, "start");
        }))
      throw Failure("the stand-in did not start; its windows:" + DescribeWindows(standin_.id()));

    qlm_.Start(qlmExe, "", qlmFolder);
    if (!PollUntil([&] { return (main_ = FindWindowOf(qlm_.id(), kQlmClass, kQlmCaption, true)) != nullptr; }))
      throw Failure("QLM.exe showed no main window; its windows:" + DescribeWindows(qlm_.id()));
    WaitForInputIdle(qlm_.handle(), kPatienceMs);
    Settle(main_);

    // Real-time mode: the check box, then Yes in the question box.
    const std::size_t stateBefore = StateSize();
    PostMessageA(GetDlgItem(main_, ui::kRealtime), BM_CLICK, 0, 0);
    HWND question = nullptr;
    if (!PollUntil(
            [&] { return (question = FindWindowOf(qlm_.id(), kDialogClass, kQuestionCaption, true)) != nullptr; }))
      throw Failure("no question box after the real-time check box; QLM's windows:" + DescribeWindows(qlm_.id()));
    PostMessageA(GetDlgItem(question, kYesButton), BM_CLICK, 0, 0);
    if (!PollUntil([&] {
          const std::string added = ReadFrom(setup.state, static_cast<LONGLONG>(stateBefore));
          return StateHasEvent(added, "reload:font") && StateHasEvent(added, "reload:colour");
        }))
      throw Failure("entering real-time mode sent the stand-in no reloads; QLM's windows:" +
                    DescribeWindows(qlm_.id()));
    Settle(main_);
    if (SendMessageA(GetDlgItem(main_, ui::kRealtime), BM_GETCHECK, 0, 0) != BST_CHECKED)
      throw Failure("real-time mode is not on");
    Settle(standinWindow_);
    Sleep(200);
  }

  ~RealtimeSession() {
    // Ends both whatever happened; a failure here must not hide an earlier one.
    if (main_ && qlm_.Running()) {
      PostMessageA(main_, WM_CLOSE, 0, 0);
      qlm_.WaitForExit(10000);
    }
    if (standinWindow_ && standin_.Running()) {
      PostMessageA(standinWindow_, WM_CLOSE, 0, 0);
      standin_.WaitForExit(10000);
    }
  }

  int Size() const { return std::atoi(WindowText(GetDlgItem(main_, ui::kFontSize)).c_str()); }

  // One click on an arrow of the size box, timed until the six slots hold
  // the new size and the stand-in has recorded the font notification.
  ClickTiming Click(int step) {
    const int target = Size() + step;
    const auto heights = HeightsFor(target);
    const HWND arrows = GetDlgItem(main_, ui::kFontSizeArrows);
    RECT area;
    GetClientRect(arrows, &area);
    const LPARAM point = MAKELPARAM(area.right / 2, step > 0 ? area.bottom / 4 : area.bottom * 3 / 4);
    const std::size_t stateBefore = StateSize();
    Stamp seen = StampOf(setup_.appcfg);
    double lastRead = 0;

    ClickTiming timing;
    timing.origin = NowMs();
    PostMessageA(arrows, WM_LBUTTONDOWN, MK_LBUTTON, point);
    PostMessageA(arrows, WM_LBUTTONUP, 0, point);
    auto slotsWritten = [&] {
      std::string ini;
      return ReadBytes(setup_.appcfg, ini) && SlotsHaveHeights(FontSlotsOf(ini), heights);
    };
    const bool done = PollUntil([&] {
      const double now = NowMs();
      // The settings file: read when it changed, and at least every 5 ms (its
      // time stamp may not move between two writes close together).
      if (timing.onDisk == 0) {
        const Stamp stamp = StampOf(setup_.appcfg);
        if (!(stamp == seen) || now - lastRead >= 5) {
          seen = stamp;
          lastRead = now;
          if (slotsWritten()) timing.onDisk = NowMs() - timing.origin;
        }
      }
      if (timing.notified == 0 && StateSize() > stateBefore &&
          StateHasEvent(ReadFrom(setup_.state, static_cast<LONGLONG>(stateBefore)), "reload:font"))
        timing.notified = NowMs() - timing.origin;
      if (timing.notified != 0 && timing.onDisk == 0 && slotsWritten()) timing.onDisk = NowMs() - timing.origin;
      return timing.notified != 0 && timing.onDisk != 0;
    });
    if (!done)
      throw Failure(std::string("the size click ") + (timing.onDisk == 0 ? "did not write the six slots" : "") +
                    (timing.onDisk == 0 && timing.notified == 0 ? " and " : "") +
                    (timing.notified == 0 ? "did not notify the stand-in" : "") +
                    "; QLM's windows:" + DescribeWindows(qlm_.id()));
    Settle(main_);
    Settle(standinWindow_);
    if (Size() != target) throw Failure("the size box does not show the new size");
    return timing;
  }

  // The six slots as on disk now.
  std::array<std::string, kFontSlots> Slots() const { return Values(FontSlotsOf(ReadOrFail(setup_.appcfg))); }

  void CloseQuillmate() {
    Close(qlm_, main_, "QLM.exe");
    main_ = nullptr;
  }

 private:
  std::size_t StateSize() const { return static_cast<std::size_t>(StampOf(setup_.state).size); }

  const Installation& setup_;
  Process standin_, qlm_;
  HWND standinWindow_ = nullptr;
  HWND main_ = nullptr;
};

}  // namespace

// The reference: six bare writes of the slots' values.
double BareWrites(const std::string& ini, const std::array<std::string, kFontSlots>& values) {
  const double start = NowMs();
  for (int slot = 0; slot < kFontSlots; ++slot)
    WritePrivateProfileStringA("FONT", ("FF" + std::to_string(slot)).c_str(),
                               values[static_cast<std::size_t>(slot)].c_str(), ini.c_str());
  const double ms = NowMs() - start;
  if (Values(FontSlotsOf(ReadOrFail(ini))) != values) throw Failure("the bare writes did not store the six values");
  return ms;
}

Clicks MeasureClicks(const Installation& setup, const std::string& qlmExe, const std::string& qlmFolder, int pairs,
                     bool withReference) {
  RealtimeSession session(setup, qlmExe, qlmFolder);
  Clicks clicks;
  const auto low = session.Slots();
  std::array<std::string, kFontSlots> high;
  for (int pair = 0; pair < pairs; ++pair) {
    // QLM raises the size and lowers it again; the reference writes the
    // raised values over the low ones and then the low ones back. Every
    // timed step changes all six slots. The order swaps every pair (the
    // first pair starts with QLM, which gives the raised values).
    auto quillmate = [&] {
      clicks.qlm.push_back(session.Click(+1));
      high = session.Slots();
      clicks.qlm.push_back(session.Click(-1));
      if (session.Slots() != low) throw Failure("the size's down arrow did not restore the six slots");
    };
    auto reference = [&] {
      if (!withReference) return;
      clicks.bare.push_back(BareWrites(setup.appcfg, high));
      clicks.bare.push_back(BareWrites(setup.appcfg, low));
    };
    if (pair % 2 == 0) {
      quillmate();
      reference();
    } else {
      reference();
      quillmate();
    }
  }
  session.CloseQuillmate();
  return clicks;
}

}  // namespace qlm::uibench
