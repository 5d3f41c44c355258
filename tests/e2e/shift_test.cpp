// Shift held at the keyboard: at start it makes the program ask for the tool
// even when the stored folder is valid; on Cancel it offers to go on with a
// fresh load. The key is read at the moment each decision is made, so a
// reload after Shift was let go does not ask for the tool again.
// The window as it opens is also walked round with Tab here, and a second
// start is seen to bring the first forward, since the focus and the
// foreground are lost to any window another test shows meanwhile.
// These tests hold a real key or watch the focus, and run alone (RUN_SERIAL).
#include <algorithm>
#include <vector>

#include "qlm_driver.h"

namespace qlm::e2e {
namespace {

using namespace ui;

constexpr int kYes = 6;
constexpr int kNo = 7;

std::string Appcfg(const std::string& colour, int toolBar) {
  return "[GLOBAL]\r\nIsMDI=1\r\nCOLOR=Color\\" + colour + "\r\n[TOOLBAR]\r\nDOCKING=" + std::to_string(toolBar) +
         "\r\n[TRBAR]\r\nDOCKING=1\r\n[TICKERBAR]\r\nDOCKING=1\r\n[FONT]\r\nFF0=" +
         S("-12,0,0,0,400,0,0,0,128,3,2,1,50,ＭＳ Ｐゴシック") + "\r\n";
}

class ShiftTest : public DesktopTest {};

TEST_F(ShiftTest, ShiftAtStartAsksForTheToolEvenWithAValidFolder) {
  ToolInstallation stored({"Takumi.exe", UniqueTitle("保存したツール"), Appcfg("Night.CLR", 1)});
  const std::string otherTitle = UniqueTitle("別のツール");
  ToolInstallation other({"Takumi.exe", otherTitle, Appcfg("Paper.CLR", 0)});
  Quillmate qlm(Quillmate::OwnIniFor(stored.folder()));

  ShiftHeld shift;
  ASSERT_TRUE(shift.held());
  ASSERT_TRUE(qlm.Start());
  ASSERT_TRUE(qlm.WaitForBox(kChooseToolTitle)) << qlm.Boxes();
  EXPECT_FALSE(IsWindowVisible(qlm.MainWindow())) << "the window shows before the tool is chosen";
  shift.Release();
  qlm.ChooseTool(other.folder() + "Takumi.exe");

  ASSERT_TRUE(qlm.WaitForMainWindow()) << qlm.Boxes();
  EXPECT_EQ(qlm.Text(kStatusBar), otherTitle + S(" プログラムは起動してません。"));
  EXPECT_EQ(qlm.SelectedText(kColourFiles), "Paper.CLR");
  EXPECT_FALSE(qlm.Checked(kToolBar));
  EXPECT_EQ(ReadIni(qlm.OwnIniPath())["CONFIG"]["TTPath"], other.folder());
}

TEST_F(ShiftTest, CancelWithShiftReloadsAndAFailedReloadLeadsToTheQuitQuestion) {
  ToolInstallation tool({"Takumi.exe", UniqueTitle("ツール"), Appcfg("Night.CLR", 1)});
  Quillmate qlm(Quillmate::OwnIniFor(tool.folder()));
  ASSERT_TRUE(qlm.Start());
  ASSERT_TRUE(qlm.WaitForMainWindow()) << qlm.Boxes();
  EXPECT_TRUE(qlm.Checked(kToolBar));
  EXPECT_EQ(qlm.SelectedText(kColourFiles), "Night.CLR");

  // Once round with Tab: never on the size box's arrows, and from the size
  // box on to 「QLMを最前面表示」.
  std::vector<int> order;
  for (int press = 0; press < 16; ++press) order.push_back(GetDlgCtrlID(qlm.PressKey(VK_TAB)));
  const auto size = std::find(order.begin(), order.begin() + 13, kFontSize);
  ASSERT_NE(size, order.begin() + 13) << ::testing::PrintToString(order);
  EXPECT_EQ(size[1], kTopMost);
  EXPECT_EQ(std::count(order.begin(), order.end(), kFontSizeArrows), 0);
  // The arrow keys step between the two style radios and no further.
  for (int press = 0; press < 16 && GetDlgCtrlID(qlm.PressKey(VK_TAB)) != kWindowStyleMdi; ++press) {}
  EXPECT_EQ(GetDlgCtrlID(qlm.PressKey(VK_DOWN)), kWindowStyleSdi);
  qlm.Settle();
  EXPECT_TRUE(qlm.Checked(kWindowStyleSdi) && !qlm.Checked(kWindowStyleMdi));

  // Without Shift (and without Repeat) Cancel only asks whether to quit.
  qlm.ClickAsync(kCancel);
  qlm.Answer(S("終了しますか？"), kNo);
  qlm.Settle();

  // The tool's file changes behind the program's back; Cancel with Shift
  // offers a fresh load. Shift is up again by the time the load starts, so
  // it does not ask for the tool.
  const std::string changed = Appcfg("Paper.CLR", 0);
  test::WriteBytes(tool.ConfigPath(), changed);
  {
    ShiftHeld shift;
    ASSERT_TRUE(shift.held());
    qlm.ClickAsync(kCancel);
    ASSERT_TRUE(qlm.WaitForBox(kQuestionCaption)) << qlm.Boxes();
  }
  qlm.Answer(S("継続しますか？"), kYes);
  qlm.Settle();
  EXPECT_EQ(qlm.Boxes(), "(no box open)");
  EXPECT_TRUE(IsWindowVisible(qlm.MainWindow()));
  EXPECT_FALSE(qlm.Checked(kToolBar));
  EXPECT_EQ(qlm.SelectedText(kColourFiles), "Paper.CLR");
  EXPECT_EQ(test::ReadBytes(tool.ConfigPath()), changed) << "a reload writes nothing";

  // The scheme in use vanishes: the reload fails with its notice, then the
  // quit question follows; Yes saves the program's own settings and ends.
  test::RemoveFile(tool.folder() + "Color\\Paper.CLR");
  const RECT frame = qlm.WindowRect();
  {
    ShiftHeld shift;
    ASSERT_TRUE(shift.held());
    qlm.ClickAsync(kCancel);
    ASSERT_TRUE(qlm.WaitForBox(kQuestionCaption)) << qlm.Boxes();
  }
  qlm.Answer(S("継続しますか？"), kYes);
  const HWND notice = qlm.WaitForBox("QLM");
  ASSERT_TRUE(notice) << qlm.Boxes();
  EXPECT_EQ(MessageBoxText(notice), S("CLRファイル\n[Paper.CLR]\nが存在しません。"));
  ASSERT_TRUE(Press(notice, IDOK));
  qlm.Answer(S("終了しますか？"), kYes);
  ASSERT_TRUE(qlm.WaitForExit()) << qlm.Boxes();
  EXPECT_EQ(ReadIni(qlm.OwnIniPath()), OwnSettingsAfterQuit(tool.folder(), frame));
  EXPECT_EQ(test::ReadBytes(tool.ConfigPath()), changed);
}

TEST_F(ShiftTest, ASecondStartBringsTheFirstForwardAndEndsWithoutWriting) {
  ToolInstallation tool({"Takumi.exe", UniqueTitle("ツール"), Appcfg("Night.CLR", 1)});
  Quillmate first(Quillmate::OwnIniFor(tool.folder()));
  Quillmate other(Quillmate::OwnIniFor(tool.folder()));
  ASSERT_TRUE(first.Start());
  const HWND main = first.WaitForMainWindow();
  ASSERT_TRUE(main) << first.Boxes();
  ASSERT_TRUE(other.Start());
  ASSERT_TRUE(other.WaitForMainWindow()) << "a copy with a settings file of its own runs beside it";
  const std::string own = test::ReadBytes(first.OwnIniPath());
  const std::string config = test::ReadBytes(tool.ConfigPath());

  Quillmate second("");
  ASSERT_TRUE(second.StartAt(first.ExePath(), ""));
  bool showedAWindow = false;
  const bool ended = WaitUntil([&] {
    const HWND window = second.MainWindow();
    showedAWindow = showedAWindow || (window && IsWindowVisible(window));
    return !second.Running();
  });
  EXPECT_TRUE(ended) << "the second start is still running";
  EXPECT_FALSE(showedAWindow);
  EXPECT_TRUE(first.Running());
  EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == main; })) << "the running window is not brought forward";
  EXPECT_EQ(test::ReadBytes(first.OwnIniPath()), own);
  EXPECT_EQ(test::ReadBytes(tool.ConfigPath()), config);
}

}  // namespace
}  // namespace qlm::e2e
