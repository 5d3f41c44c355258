// qlm_driver.cpp: starting QLM.exe in a scratch folder and driving its windows
// from another process.
#include "qlm_driver.h"

#include <dlgs.h>

#include <sstream>
#include <thread>
#include <utility>

namespace qlm::e2e {
namespace {

using Clock = std::chrono::steady_clock;

// A message the program must have handled within this time.
constexpr UINT kSendTimeoutMs = 10000;

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

DWORD ProcessOf(HWND window) {
  DWORD id = 0;
  GetWindowThreadProcessId(window, &id);
  return id;
}

std::vector<HWND> TopLevelWindows(DWORD processId) {
  struct Search {
    DWORD processId;
    std::vector<HWND> found;
  } search{processId, {}};
  EnumWindows(
      [](HWND window, LPARAM data) {
        auto& search = *reinterpret_cast<Search*>(data);
        if (ProcessOf(window) == search.processId) search.found.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> found;
  EnumChildWindows(
      parent,
      [](HWND window, LPARAM data) {
        reinterpret_cast<std::vector<HWND>*>(data)->push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

// SendMessage that gives up when the program does not answer in time.
LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool* answered = nullptr) {
  DWORD_PTR result = 0;
  const bool ok = SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, kSendTimeoutMs, &result) != 0;
  if (answered) *answered = ok;
  return static_cast<LRESULT>(result);
}

std::string AnsiFromWide(const std::wstring& wide) {
  const int size = static_cast<int>(wide.size());
  const int bytes = WideCharToMultiByte(CP_ACP, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.data(), size, text.data(), bytes, nullptr, nullptr);
  return text;
}

}  // namespace

bool WaitUntil(const std::function<bool()>& ready, std::chrono::milliseconds patience, std::chrono::milliseconds every) {
  const auto deadline = Clock::now() + patience;
  while (!ready()) {
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(every);
  }
  return true;
}

bool RunningUnderWine() {
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

IniFile ParseIni(const std::string& bytes) {
  IniFile file;
  std::istringstream lines(bytes);
  std::string line, section;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    if (line.front() == '[') {
      section = line.substr(1, line.find(']') - 1);
      file[section];
      continue;
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    file[section][line.substr(0, equals)] = line.substr(equals + 1);
  }
  return file;
}

IniFile ReadIni(const std::string& path) { return ParseIni(test::ReadBytes(path)); }

IniFile OwnSettingsAfterQuit(const std::string& folder, const RECT& frame, const std::string& topMost,
                             std::map<std::string, std::string> more) {
  more.insert({{"TTPath", folder},
               {"TopMost", topMost},
               {"PosTop", std::to_string(frame.top)},
               {"PosLeft", std::to_string(frame.left)}});
  return {{"CONFIG", more}};
}

ToolInstallation::ToolInstallation(const ToolSpec& spec) {
  test::WriteBytes(folder_ / "System\\Sys.ini", "[INFO]\r\nTitle=" + spec.title + "\r\n");
  test::WriteBytes(ConfigPath(), spec.appcfg);
  test::MakeFolder(folder_ / "Color");
  for (const std::string& colour : spec.colours)
    test::WriteBytes(folder_ / ("Color\\" + colour), "[COLOR]\r\nBackground=F0F0F0\r\nText=202020\r\n");
  if (!spec.executable.empty()) test::WriteBytes(folder_ / spec.executable, "");
}

std::string Environment(const char* name) {
  char buffer[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableA(name, buffer, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::string(buffer, length) : std::string();
}

std::string UniqueTitle(const char* utf8) {
  static int count = 0;
  return S(utf8) + " " + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++count);
}

std::string SentText(HWND window) {
  bool answered = false;
  const LRESULT length = Send(window, WM_GETTEXTLENGTH, 0, 0, &answered);
  if (!answered) return "<no answer>";
  // The length may count characters rather than bytes: room for both.
  std::string text(static_cast<std::size_t>(length) * 2 + 2, '\0');
  const LRESULT copied = Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(copied));
  return text;
}

std::string MessageBoxText(HWND box) { return SentText(GetDlgItem(box, 0xFFFF)); }

std::vector<std::string> StaticTexts(HWND dialog) {
  std::vector<std::string> texts;
  for (HWND child : Children(dialog)) {
    if (lstrcmpiA(ClassOf(child).c_str(), "Static") != 0) continue;
    std::string text = SentText(child);
    if (!text.empty()) texts.push_back(text);
  }
  return texts;
}

bool Press(HWND dialog, int buttonId) {
  const HWND button = GetDlgItem(dialog, buttonId);
  if (!button) return false;
  // Posted: the program may open its next box straight away.
  return PostMessageA(button, BM_CLICK, 0, 0) != 0;
}

bool ChooseFile(HWND dialog, const std::string& path) {
  // The name box is a combo box in the newer layout of the dialog, an edit
  // in the older one.
  HWND name = GetDlgItem(dialog, cmb13);
  if (!name) name = GetDlgItem(dialog, edt1);
  if (!name) return false;
  Send(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  return Press(dialog, IDOK);
}

int TahomaWidth(const std::string& text, bool bold) {
  const HFONT font = CreateFontA(-MulDiv(8, 96, 72), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET,
                                 OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Tahoma");
  const HDC screen = GetDC(nullptr);
  const HGDIOBJ old = SelectObject(screen, font);
  SIZE size = {};
  GetTextExtentPoint32A(screen, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(screen, old);
  ReleaseDC(nullptr, screen);
  DeleteObject(font);
  return size.cx;
}

std::string DescribeBoxes(DWORD processId) {
  std::string text;
  for (HWND window : TopLevelWindows(processId)) {
    if (ClassOf(window) != "#32770" || !IsWindowVisible(window)) continue;
    char caption[256] = {};
    GetWindowTextA(window, caption, sizeof caption);
    text += std::string("[") + caption + "]";
    for (const std::string& each : StaticTexts(window)) text += " " + each;
    text += "\n";
  }
  return text.empty() ? "(no box open)" : text;
}

Quillmate::Quillmate(const std::string& ownIni) : Quillmate(ownIni, test::BuiltProgram(QLM_EXE)) {}

Quillmate::Quillmate(const std::string& ownIni, const std::string& exe) {
  CopyFileA(exe.c_str(), ExePath().c_str(), FALSE);
  if (!ownIni.empty()) test::WriteBytes(OwnIniPath(), ownIni);
}

std::string Quillmate::OwnIniFor(const std::string& toolFolder, const std::string& more) {
  return "[CONFIG]\r\nTTPath=" + toolFolder + "\r\n" + more;
}

Quillmate::~Quillmate() {
  if (!process_.hProcess) return;
  if (WaitForSingleObject(process_.hProcess, 0) != WAIT_OBJECT_0) {
    TerminateProcess(process_.hProcess, 1);
    WaitForSingleObject(process_.hProcess, 10000);
  }
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
}

void Quillmate::Kill() {
  TerminateProcess(process_.hProcess, 1);
  WaitForSingleObject(process_.hProcess, 10000);
}

bool Quillmate::Start(const std::string& arguments) { return StartAt(ExePath(), folder_.path(), arguments); }

bool Quillmate::StartAt(const std::string& exePath, const std::string& folder, const std::string& arguments) {
  std::string commandLine = "\"" + exePath + "\"";
  if (!arguments.empty()) commandLine += " " + arguments;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  if (process_.hProcess) {  // started again: an earlier run's handles
    CloseHandle(process_.hThread);
    CloseHandle(std::exchange(process_.hProcess, nullptr));
  }
  return CreateProcessA(exePath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &process_) != 0;
}

bool Quillmate::WaitForExit() {
  return WaitForSingleObject(process_.hProcess, static_cast<DWORD>(kPatience / std::chrono::milliseconds(1))) ==
         WAIT_OBJECT_0;
}

bool Quillmate::Running() const { return WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }

DWORD Quillmate::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(process_.hProcess, &code);
  return code;
}

bool Quillmate::ShowsAWindow() const {
  for (HWND window : TopLevelWindows(processId()))
    if (IsWindowVisible(window)) return true;
  return false;
}

HWND Quillmate::MainWindow() const {
  for (HWND window : TopLevelWindows(processId()))
    if (ClassOf(window) == "QuillmateMainForm") return window;
  return nullptr;
}

HWND Quillmate::WaitForMainWindow() const {
  HWND window = nullptr;
  WaitUntil([&] {
    window = MainWindow();
    return window && IsWindowVisible(window);
  });
  return window && IsWindowVisible(window) ? window : nullptr;
}

HWND Quillmate::Box(const std::string& caption) const {
  for (HWND window : TopLevelWindows(processId())) {
    if (ClassOf(window) != "#32770" || !IsWindowVisible(window)) continue;
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    if (caption == text) return window;
  }
  return nullptr;
}

HWND Quillmate::WaitForBox(const std::string& caption) const {
  HWND box = nullptr;
  WaitUntil([&] { return (box = Box(caption)) != nullptr; });
  if (box) {
    // Let the box finish setting itself up before it is read or answered.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  return box;
}

bool Quillmate::WaitForBoxGone(const std::string& caption) const {
  return WaitUntil([&] { return Box(caption) == nullptr; });
}

std::string Quillmate::AcknowledgeBox(const std::string& caption) const {
  const HWND box = WaitForBox(caption);
  if (!box) return "";
  const std::string text = MessageBoxText(box);
  return Press(box, IDOK) && WaitForBoxGone(caption) ? text : "";
}

HWND Quillmate::Control(int id) const { return GetDlgItem(MainWindow(), id); }

bool Quillmate::Checked(int id) const { return Send(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

bool Quillmate::Enabled(int id) const { return IsWindowEnabled(Control(id)) != 0; }

int Quillmate::Selection(int id) const { return static_cast<int>(Send(Control(id), CB_GETCURSEL, 0, 0)); }

std::vector<std::string> Quillmate::Items(int id) const {
  // Asked for in UTF-16 and converted here: Wine hands an ANSI CB_GETLBTEXT
  // from another process the UTF-16 text unconverted. On Windows both ways
  // give the same bytes.
  const HWND box = Control(id);
  std::vector<std::string> items;
  const LRESULT count = Send(box, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    DWORD_PTR length = 0;
    SendMessageTimeoutW(box, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0, SMTO_NORMAL, kSendTimeoutMs, &length);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(box, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()),
                        SMTO_NORMAL, kSendTimeoutMs, &copied);
    text.resize(static_cast<LRESULT>(copied) < 0 ? 0 : static_cast<std::size_t>(copied));
    items.push_back(AnsiFromWide(text));
  }
  return items;
}

std::string Quillmate::SelectedText(int id) const {
  const int selected = Selection(id);
  const std::vector<std::string> items = Items(id);
  return selected >= 0 && selected < static_cast<int>(items.size()) ? items[static_cast<std::size_t>(selected)]
                                                                    : "<no selection>";
}

std::string Quillmate::Text(int id) const { return SentText(Control(id)); }

RECT Quillmate::ClientRect() const {
  RECT area = {};
  GetClientRect(MainWindow(), &area);
  return area;
}

RECT Quillmate::WindowRect() const {
  RECT frame = {};
  GetWindowRect(MainWindow(), &frame);
  return frame;
}

void Quillmate::Click(int id) const {
  bool answered = false;
  Send(Control(id), BM_CLICK, 0, 0, &answered);
  if (!answered) ADD_FAILURE() << "control " << id << " was not handled in time; open boxes: " << Boxes();
}

void Quillmate::ClickAsync(int id) const {
  if (!PostMessageA(Control(id), BM_CLICK, 0, 0)) ADD_FAILURE() << "could not post a click to control " << id;
}

bool Quillmate::SelectItem(int id, const std::string& item) const {
  const std::vector<std::string> items = Items(id);
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (items[i] != item) continue;
    Send(Control(id), CB_SETCURSEL, i, 0);
    return true;
  }
  ADD_FAILURE() << "no item \"" << item << "\" in drop-down " << id;
  return false;
}

void Quillmate::Choose(int id, const std::string& item) const {
  if (!SelectItem(id, item)) return;
  bool answered = false;
  Send(MainWindow(), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(Control(id)), &answered);
  if (!answered) ADD_FAILURE() << "the choice in " << id << " was not handled in time; open boxes: " << Boxes();
}

namespace {

// Where a click on the size's up or down arrow lands: the arrows share the
// control's height, the upper half raises the size.
LPARAM ArrowPoint(HWND arrows, bool up) {
  RECT area = {};
  GetClientRect(arrows, &area);
  return MAKELPARAM(area.right / 2, up ? area.bottom / 4 : area.bottom * 3 / 4);
}

}  // namespace

void Quillmate::PostArrowClicks(bool up, int count) const {
  const HWND arrows = Control(ui::kFontSizeArrows);
  const LPARAM point = ArrowPoint(arrows, up);
  for (int i = 0; i < count; ++i) {
    PostMessageA(arrows, WM_LBUTTONDOWN, MK_LBUTTON, point);
    PostMessageA(arrows, WM_LBUTTONUP, 0, point);
  }
}

bool Quillmate::EnterRealtime(int answer) const {
  ClickAsync(ui::kRealtime);
  const HWND box = WaitForBox(kQuestionCaption);
  if (!box) return false;
  EXPECT_EQ(StaticTexts(box),
            std::vector<std::string>{S("■ご注意■\n ・設定した値は即座にファイルへ書き込みます。\n ・トレーディングツール側の"
                                       "更新処理が重いので\n 　ウィンドウ数を少なめにした方が良いです。\n\n リアルタイム設定"
                                       "処理を行いますか？")});
  if (!Press(box, answer) || !WaitForBoxGone(kQuestionCaption)) return false;
  Settle();
  return Checked(ui::kRealtime);
}

bool Quillmate::StartInRealtime() { return Start() && WaitForMainWindow() && EnterRealtime(); }

void Quillmate::ExpectRealtimeRefused() const {
  ClickAsync(ui::kRealtime);
  const HWND box = WaitForBox("QLM");
  ASSERT_TRUE(box) << Boxes();
  EXPECT_EQ(MessageBoxText(box), S("トレーディングツールが起動して無いので\nリアルタイム設定は出来ません。"));
  ASSERT_TRUE(Press(box, IDOK));
  EXPECT_TRUE(WaitUntil([&] { return !Checked(ui::kRealtime); }));
}

void Quillmate::ClickArrow(bool up) const {
  const HWND arrows = Control(ui::kFontSizeArrows);
  const LPARAM point = ArrowPoint(arrows, up);
  bool answered = false;
  Send(arrows, WM_LBUTTONDOWN, MK_LBUTTON, point, &answered);
  Send(arrows, WM_LBUTTONUP, 0, point);
  if (!answered) ADD_FAILURE() << "the arrow click was not handled in time; open boxes: " << Boxes();
}

void Quillmate::Answer(const std::string& text, int answer) const {
  const HWND box = WaitForBox(kQuestionCaption);
  ASSERT_TRUE(box) << "expected " << text << "; open: " << Boxes();
  EXPECT_EQ(StaticTexts(box), std::vector<std::string>{text});
  ASSERT_TRUE(Press(box, answer));
  // This box: the next question may already be up under the same caption.
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); })) << Boxes();
}

void Quillmate::ChooseTool(const std::string& executable) const {
  const HWND dialog = WaitForBox(kChooseToolTitle);
  ASSERT_TRUE(dialog) << Boxes();
  ASSERT_TRUE(ChooseFile(dialog, executable));
  ASSERT_TRUE(WaitForBoxGone(kChooseToolTitle)) << Boxes();
}

// The key goes to the control with the focus, where the message loop's
// dialog navigation takes it.
HWND Quillmate::PressKey(int virtualKey) const {
  const auto focus = [this] {
    GUITHREADINFO info{sizeof info, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, {}};
    return GetGUIThreadInfo(process_.dwThreadId, &info) ? info.hwndFocus : nullptr;
  };
  const HWND before = focus();
  const LPARAM scanCode = static_cast<LPARAM>(MapVirtualKeyA(static_cast<UINT>(virtualKey), MAPVK_VK_TO_VSC));
  PostMessageA(before ? before : MainWindow(), WM_KEYDOWN, static_cast<WPARAM>(virtualKey), scanCode << 16 | 1);
  WaitUntil([&] { return focus() != before; }, std::chrono::seconds(5));
  return focus();
}

void Quillmate::Settle() const {
  DWORD_PTR ignored = 0;
  EXPECT_TRUE(SendMessageTimeoutA(MainWindow(), WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored));
}

namespace {

bool ShiftIsDown() { return (GetAsyncKeyState(VK_SHIFT) & 0x8000) != 0; }

// Wine takes the state of Shift from the X server: a Shift sent by SendInput
// is dropped again as soon as Wine compares its key state with the X
// display's (when one of its windows is activated, say). Under Wine the key
// is therefore pressed on the X display itself, by xdotool (XTEST), which
// Wine starts as it starts any Unix program (without a process handle to wait
// on). The X display hands the key to the window with the input focus, and
// Wine's desktop window has it only while a Wine window is active: a small
// window of the test's own is activated for the moment of the press, so that
// neither the press nor the release can miss Wine.
bool PressShiftOnDisplay(bool down) {
  const HWND focus = CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 1, 1, nullptr,
                                     nullptr, nullptr, nullptr);
  SetForegroundWindow(focus);
  const auto pump = [] {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  };
  pump();
  std::string command = std::string("Z:\\usr\\bin\\xdotool ") + (down ? "keydown" : "keyup") + " shift";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  bool pressed =
      CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
  if (pressed) {
    if (process.hThread) CloseHandle(process.hThread);
    if (process.hProcess) CloseHandle(process.hProcess);
    pressed = WaitUntil([&] {
      pump();
      return ShiftIsDown() == down;
    }, std::chrono::seconds(5));
  }
  DestroyWindow(focus);
  pump();
  return pressed;
}

bool PressShiftByInput(bool down) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = VK_SHIFT;
  input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
  return SendInput(1, &input, sizeof input) == 1 &&
         WaitUntil([&] { return ShiftIsDown() == down; }, std::chrono::seconds(5));
}

bool PressShift(bool down) { return RunningUnderWine() ? PressShiftOnDisplay(down) : PressShiftByInput(down); }

}  // namespace

ShiftHeld::ShiftHeld() {
  held_ = PressShift(true);
  if (held_) return;
  ADD_FAILURE() << (RunningUnderWine() ? "could not hold Shift on the X display (xdotool; scripts/setup installs it)"
                                       : "could not hold Shift");
  Release();
}

void ShiftHeld::Release() {
  // Also after a failed press: the key must not stay down for later tests.
  const bool wasHeld = held_;
  held_ = false;
  if (!PressShift(false) && wasHeld) ADD_FAILURE() << "could not let Shift go";
}

}  // namespace qlm::e2e
