// qlm_driver.h: runs the real QLM.exe from a scratch folder against a tool
// installation and works its windows from outside, as a user would: finds its
// main window and boxes by class and caption among the windows of its process,
// reads the controls with messages that cross process boundaries, presses
// buttons, picks drop-down items and clicks the size arrows.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "test_support.h"
#include "ui/win32/layout.h"

namespace qlm::e2e {

// Base of the tests that start QLM.exe: skipped without a display to show
// its windows on.
class DesktopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (DISPLAY)";
  }
};

// Whether the tests run under Wine rather than on Windows.
bool RunningUnderWine();

// Shift-JIS bytes of a UTF-8 text: what the program shows and stores.
inline std::string S(const char* utf8) { return test::Sjis(utf8); }

// How long anything may take to appear, change or end.
inline constexpr auto kPatience = std::chrono::seconds(20);

// Polls ready() every `every` until it holds; false when patience runs out first.
bool WaitUntil(const std::function<bool()>& ready, std::chrono::milliseconds patience = kPatience,
               std::chrono::milliseconds every = std::chrono::milliseconds(25));

// An INI file as read back: section -> key -> value, all spelled as stored.
using IniFile = std::map<std::string, std::map<std::string, std::string>>;
IniFile ParseIni(const std::string& bytes);
IniFile ReadIni(const std::string& path);
// QLM.INI as the program leaves it when it quits: the tool's folder,
// always-on-top ("0" or "1"), the window's top and left from frame, and more
// keys of [CONFIG] that were there before.
IniFile OwnSettingsAfterQuit(const std::string& folder, const RECT& frame, const std::string& topMost = "0",
                             std::map<std::string, std::string> more = {});

// A tool file holding every value Quillmate edits: multi-document display,
// the Night scheme, every bar docked, the default font.
inline const std::string kFullAppcfg =
    "[GLOBAL]\r\nIsMDI=1\r\nCOLOR=Color\\Night.CLR\r\n[TOOLBAR]\r\nDOCKING=1\r\n[TRBAR]\r\nDOCKING=1\r\n"
    "[TICKERBAR]\r\nDOCKING=1\r\n[FONT]\r\nFF0=" + S("-12,0,0,0,400,0,0,0,128,3,2,1,50,ＭＳ Ｐゴシック") + "\r\n";

// A tool installation in a scratch folder of its own.
struct ToolSpec {
  std::string executable = "Takumi.exe";  // empty file under this name; "" for none
  std::string title;                      // [INFO] Title of System\Sys.ini (Shift-JIS)
  std::string appcfg;                     // bytes of System\Appcfg.ini
  std::vector<std::string> colours{"Default.CLR", "Night.CLR", "Paper.CLR"};
};

class ToolInstallation {
 public:
  explicit ToolInstallation(const ToolSpec& spec);
  // The folder, ending with a backslash, as QLM.INI stores it.
  std::string folder() const { return folder_.path() + "\\"; }
  std::string ConfigPath() const { return folder_ / "System\\Appcfg.ini"; }

 private:
  test::ScratchFolder folder_;
};

// The value of an environment variable of the test's, or "".
std::string Environment(const char* name);

// A title no other test running at the same time uses.
std::string UniqueTitle(const char* utf8);

// Texts of the visible dialogs of one process, for failure messages.
std::string DescribeBoxes(DWORD processId);

// The width in pixels of text in the program's 8-point Tahoma.
int TahomaWidth(const std::string& text, bool bold = false);

// QLM.exe copied into a scratch folder beside its own QLM.INI, started, and
// ended at the latest when this object goes.
class Quillmate {
 public:
  // ownIni: the bytes of QLM.INI ("" for no file).
  explicit Quillmate(const std::string& ownIni);
  // Another program in QLM.exe's place (a benchmark's reference).
  Quillmate(const std::string& ownIni, const std::string& exe);
  // A QLM.INI whose TTPath is toolFolder.
  static std::string OwnIniFor(const std::string& toolFolder, const std::string& more = "");
  ~Quillmate();
  Quillmate(const Quillmate&) = delete;
  Quillmate& operator=(const Quillmate&) = delete;

  // Starts the program; arguments, when given, follow its name on the
  // command line.
  bool Start(const std::string& arguments = "");
  // Starts exePath (a copy of the program elsewhere, or another object's
  // QLM.exe) in the folder given ("": this process's) instead of this
  // object's copy; this object then watches and ends that process.
  bool StartAt(const std::string& exePath, const std::string& folder, const std::string& arguments = "");
  // Waits for the program to end; false when it is still running.
  bool WaitForExit();
  // Ends the program at once, as a crash, a forced end or a power cut would.
  void Kill();
  bool Running() const;
  // The program's exit code once it has ended.
  DWORD ExitCode() const;
  // Whether any top-level window of the program is visible at this moment.
  bool ShowsAWindow() const;
  DWORD processId() const { return process_.dwProcessId; }
  HANDLE processHandle() const { return process_.hProcess; }
  std::string OwnIniPath() const { return folder_ / "QLM.INI"; }
  std::string ExePath() const { return folder_ / "QLM.exe"; }

  // The main window, shown or not; nullptr when there is none.
  HWND MainWindow() const;
  // Waits for the main window to be shown.
  HWND WaitForMainWindow() const;
  // A shown dialog (#32770) of the program with this caption, else nullptr.
  HWND Box(const std::string& caption) const;
  HWND WaitForBox(const std::string& caption) const;
  // Waits until no dialog with this caption is shown.
  bool WaitForBoxGone(const std::string& caption) const;
  // Waits for the box with this caption, presses its OK and waits until it
  // has gone: its text, or "" when no box came or it did not go.
  std::string AcknowledgeBox(const std::string& caption) const;
  std::string Boxes() const { return DescribeBoxes(processId()); }

  // The main window's controls, by the ids of ui/win32/layout.h.
  HWND Control(int id) const;
  bool Checked(int id) const;
  bool Enabled(int id) const;
  int Selection(int id) const;
  std::vector<std::string> Items(int id) const;
  std::string SelectedText(int id) const;
  // WM_GETTEXT: the size box's text, the status bar's first panel.
  std::string Text(int id) const;
  RECT ClientRect() const;
  RECT WindowRect() const;

  // Presses a button and returns once the program has handled it; fails the
  // test when that takes long (a box left open, say). The Async forms only
  // post and return at once, for actions that open a box.
  void Click(int id) const;
  void ClickAsync(int id) const;
  // Picks the item with this text in a drop-down list and notifies the main
  // window as a user's choice does.
  void Choose(int id, const std::string& item) const;
  // Clicks the size's up or down arrow.
  void ClickArrow(bool up) const;
  // Queues count clicks on an arrow and returns at once.
  void PostArrowClicks(bool up, int count) const;
  // Presses a key (Tab, an arrow) as the keyboard does and waits until the
  // focus has moved: the control that has it then. Tests that use it run
  // alone: a window another program shows takes the focus (nullptr here).
  HWND PressKey(int virtualKey) const;
  // Checks Realtime, checks the caution's text and answers it (IDYES or
  // IDNO); false when the program is not in real-time mode then.
  bool EnterRealtime(int answer = IDYES) const;
  // Starts the program, waits for its main window and enters real-time mode
  // as EnterRealtime does.
  bool StartInRealtime();
  // Checks Realtime while no tool can be driven: expects the refusal, closes
  // it and waits until the box is unchecked again.
  void ExpectRealtimeRefused() const;

  // Expects the question box ("情報") with text and answers it with Yes (6)
  // or No (7).
  void Answer(const std::string& text, int answer) const;
  // Expects the open-file dialog asking for the tool and picks executable.
  void ChooseTool(const std::string& executable) const;
  // Waits until the program has finished what it was doing: it answers a
  // sent message between handlers, inside a box, or while it sends the tool
  // a command.
  void Settle() const;

 private:
  bool SelectItem(int id, const std::string& item) const;

  test::ScratchFolder folder_;
  PROCESS_INFORMATION process_ = {};
};

// The caption of the yes/no questions and the title of the dialog asking
// for the tool's executable.
inline const std::string kQuestionCaption = S("情報");
inline const std::string kChooseToolTitle = S("トレーディングツール実行ファイル(.EXE)を選択してください。");

// Holds the Shift key down while it lives, as a user at the keyboard does;
// the test fails when the key could not be pressed. Tests that use it must
// not run beside others, which would see the key held as well.
class ShiftHeld {
 public:
  ShiftHeld();
  ~ShiftHeld() {
    if (held_) Release();
  }
  ShiftHeld(const ShiftHeld&) = delete;
  ShiftHeld& operator=(const ShiftHeld&) = delete;

  bool held() const { return held_; }
  // Lets the key go (and waits until the desktop sees it up).
  void Release();

 private:
  bool held_ = false;
};

// The text of a message box (its static control 0xFFFF).
std::string MessageBoxText(HWND box);
// The non-empty texts of a dialog's static controls, in creation order.
std::vector<std::string> StaticTexts(HWND dialog);
// Presses a dialog's button (posted, as the program may open its next box
// at once); false when the dialog has no such button.
bool Press(HWND dialog, int buttonId);
// Types a file's full path into an open-file dialog's name box, as a user
// may, and presses its OK button; false when the dialog has no name box.
bool ChooseFile(HWND dialog, const std::string& path);
std::string SentText(HWND window);

}  // namespace qlm::e2e
