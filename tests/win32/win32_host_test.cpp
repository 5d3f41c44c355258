// The Win32 host: message texts from the string table, and the real message
// box and open-file dialog, answered from a second thread as a user would.
#include <windows.h>
#include <commdlg.h>
#include <dlgs.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

#include "platform/codepage.h"
#include "support/scripted_host.h"
#include "support/thread_window.h"
#include "platform/win32/win32_host.h"
#include "settings/font_record.h"
#include "settings/messages.h"
#include "settings/tool_config.h"
#include "test_support.h"
#include "ui/win32/version_info.h"

namespace qlm::platform {
namespace {

using test::ThreadWindowOfClass;

std::string WindowText(HWND window) {
  char buffer[1024] = {};
  GetWindowTextA(window, buffer, sizeof buffer);
  return buffer;
}

// Waits for a dialog of this thread, hands it to answer, and records whether
// one appeared.
class DialogAnswerer {
 public:
  explicit DialogAnswerer(std::function<void(HWND)> answer) {
    // Under Wine, the first window call of a process loads the display
    // driver, and a library loaded meanwhile by another thread (the open-file
    // dialog's, on its first use) can deadlock both threads on the loader's
    // lock. The dialogs' thread loads both before the answerer starts.
    DestroyWindow(CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr));
    LoadLibraryA("comdlg32.dll");
    worker_ = std::thread([this, threadId = GetCurrentThreadId(), answer] {
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
      while (std::chrono::steady_clock::now() < deadline) {
        if (const HWND dialog = ThreadWindowOfClass(threadId, "#32770", true)) {
          // Let the dialog finish initialising before reading it.
          std::this_thread::sleep_for(std::chrono::milliseconds(300));
          answer(dialog);
          found_ = true;
          return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
      }
    });
  }
  ~DialogAnswerer() { Finish(); }
  // Whether a dialog came and was answered. Waits for the answerer to finish:
  // the dialog may end, and its caller go on, while the answerer has yet to
  // return from the message that ended it.
  bool found() {
    Finish();
    return found_;
  }

 private:
  void Finish() {
    if (worker_.joinable()) worker_.join();
  }

  bool found_ = false;
  std::thread worker_;
};

bool HaveDisplay() { return std::getenv("DISPLAY") != nullptr; }

TEST(Win32Host, StringTableHoldsEveryMessageInTheSystemCodePage) {
  const Win32Host host;
  const ScriptedHost reference("QLM.exe");
  const int ids[] = {
#define QLM_MESSAGE(id, text) id,
#include "settings/messages.def"
#undef QLM_MESSAGE
  };
  for (const int id : ids) EXPECT_EQ(host.Text(id), reference.Text(id)) << id;
  EXPECT_NE(host.Text(msg::kRealtimeCaution).find('\n'), std::string::npos);
}

TEST(Win32Host, ExecutablePathIsTheRunningProgram) {
  const std::string path = Win32Host().ExecutablePath();
  EXPECT_EQ(path.substr(path.size() - 21), "\\win32_host_tests.exe");
  EXPECT_EQ(path[1], ':');
}

TEST(Win32Host, TheUsersSettingsRootAndWhereFilesCanBeWritten) {
  const std::string root = Win32Host().UserSettingsRoot();
  ASSERT_FALSE(root.empty());
  EXPECT_NE(root.back(), '\\');
  EXPECT_NE(GetFileAttributesA(root.c_str()), INVALID_FILE_ATTRIBUTES);

  test::ScratchFolder folder;
  EXPECT_TRUE(Win32Host().CanWrite(folder / "QLM.INI"));
  test::WriteBytes(folder / "QLM.INI", "[CONFIG]\r\n");
  EXPECT_TRUE(Win32Host().CanWrite(folder / "QLM.INI"));
  EXPECT_FALSE(Win32Host().CanWrite(folder / "Missing\\QLM.INI"));
  test::MakeFolder(folder / "Folder\\QLM.INI");
  EXPECT_FALSE(Win32Host().CanWrite(folder / "Folder\\QLM.INI"));
  // The tries leave nothing behind.
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA((folder / "*.probe").c_str(), &found);
  EXPECT_EQ(search, INVALID_HANDLE_VALUE);
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
  EXPECT_EQ(test::ReadBytes(folder / "QLM.INI"), "[CONFIG]\r\n");
}

TEST(Win32Host, NoticeIsAMessageBoxCaptionedQlm) {
  if (!HaveDisplay()) GTEST_SKIP() << "needs a display";
  std::string caption, text;
  DialogAnswerer answerer([&](HWND box) {
    caption = WindowText(box);
    text = WindowText(GetDlgItem(box, 0xFFFF));
    SendMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
  });
  Win32Host host;
  host.ShowNotice(host.Text(msg::kAborting));
  ASSERT_TRUE(answerer.found());
  EXPECT_EQ(caption, "QLM");
  EXPECT_EQ(text, host.Text(msg::kAborting));
  // Wine 8 does not give a message box the topmost style for MB_TOPMOST, so
  // that flag cannot be observed here.
}

TEST(Win32Host, FileDialogShowsTheRequestAndReturnsTheTypedFile) {
  if (!HaveDisplay()) GTEST_SKIP() << "needs a display";
  Win32Host host;
  FileDialogRequest request;
  request.title = host.Text(msg::kChooseToolTitle);
  request.initialFolder = "C:\\windows";
  request.filters = {{"Programs (.EXE)", "*.EXE"}, {"All", "*.*"}};
  request.hideReadOnly = true;
  request.resizable = true;

  std::string caption, firstFilter;
  char folder[MAX_PATH] = {};
  bool readOnlyShown = true;
  LONG_PTR style = 0;
  DialogAnswerer answerer([&](HWND dialog) {
    caption = WindowText(dialog);
    SendMessageA(dialog, CDM_GETFOLDERPATH, MAX_PATH, reinterpret_cast<LPARAM>(folder));
    char filter[256] = {};
    SendDlgItemMessageA(dialog, cmb1, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(filter));
    firstFilter = filter;
    const HWND readOnly = GetDlgItem(dialog, chx1);
    readOnlyShown = readOnly && IsWindowVisible(readOnly);
    style = GetWindowLongPtrA(dialog, GWL_STYLE);
    // A file that does not exist is accepted.
    SendMessageA(dialog, CDM_SETCONTROLTEXT, cmb13, reinterpret_cast<LPARAM>("C:\\Tools\\TradePro.exe"));
    SendMessageA(dialog, WM_COMMAND, IDOK, 0);
  });
  const auto chosen = host.AskForFile(request);
  ASSERT_TRUE(answerer.found());
  EXPECT_EQ(caption, request.title);
  EXPECT_STRCASEEQ(folder, "C:\\windows");
  EXPECT_EQ(firstFilter, "Programs (.EXE)");
  EXPECT_FALSE(readOnlyShown);
  EXPECT_TRUE(style & WS_THICKFRAME);
  EXPECT_EQ(chosen, std::optional<std::string>("C:\\Tools\\TradePro.exe"));
}

TEST(Win32Host, CancellingTheFileDialogChoosesNothing) {
  if (!HaveDisplay()) GTEST_SKIP() << "needs a display";
  DialogAnswerer answerer([](HWND dialog) { SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0); });
  Win32Host host;
  EXPECT_EQ(host.AskForFile(FileDialogRequest{"t", "C:\\", {{"All", "*.*"}}, true, true}), std::nullopt);
  EXPECT_TRUE(answerer.found());
}

TEST(Win32Host, FontSlotsUseTheInstalledGothicAndSkipTheDefaultEntry) {
  if (!HaveDisplay()) GTEST_SKIP() << "needs a display";
  Win32Host host;
  EXPECT_EQ(host.ScreenPixelsPerInch(), 96);
  const std::string gothic = test::Sjis("ＭＳ Ｐゴシック");
  const auto face = host.FindFontFace(gothic);
  ASSERT_TRUE(face);
  EXPECT_FALSE(host.FindFontFace("Default"));

  test::ScratchFolder folder;
  test::MakeFolder(folder / "System");
  const ToolConfig config(host, folder.path() + "\\");
  EXPECT_FALSE(FindChosenFace(host, {"Default", false, 9}));
  WriteFontSlots(config, 96, {gothic, false, 9}, *face, host.Text(msg::kDefaultFontRecord));
  const std::string expected = "-12,0," + std::to_string(face->escapement) + "," + std::to_string(face->orientation) +
                               ",400," + std::to_string(face->italic) + ",";
  EXPECT_EQ(config.ReadString("FONT", "FF0", "").substr(0, expected.size()), expected);
  EXPECT_EQ(SplitCommaList(config.ReadString("FONT", "FF5", "")).back(), gothic);
}

TEST(VersionInfo, TheProgramsOwnResourceGivesItsVersionAndNoResourceGivesADash) {
  const std::string self = Win32Host().ExecutablePath();
  EXPECT_EQ(ui::FileVersionOf(self), "0.7.2.26");
  EXPECT_EQ(ui::FileVersionOf(self), "0.7.2.26");
  EXPECT_EQ(ui::FileVersionOf(self.substr(0, self.rfind('\\')) + "\\..\\..\\tools\\profile-driver.exe"), "-");
  EXPECT_EQ(ui::FileVersionOf("C:\\no such file.exe"), "-");
}

TEST(Win32Host, LocaleComparisonIgnoresCase) {
  EXPECT_EQ(CompareIgnoringCase("Blue.clr", "BLUE.CLR"), 0);
  EXPECT_EQ(CompareIgnoringCase(test::Sjis("ａｂｃ"), test::Sjis("ＡＢＣ")), 0);
  EXPECT_LT(CompareIgnoringCase("a", "B"), 0);
  EXPECT_NE(CompareIgnoringCase("Blue.clr", "Blue.clr.bak"), 0);
}

}  // namespace
}  // namespace qlm::platform
