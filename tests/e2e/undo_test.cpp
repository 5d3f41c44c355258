// Putting the tool's settings back through the window menu of the real
// QLM.exe: the start state after real-time changes, with the running
// stand-in following, and then a state recorded by an earlier run.
#include "qlm_driver.h"
#include "standin_session.h"

namespace qlm::e2e {
namespace {

using namespace ui;
using test::StandInSession;

// Values spelt otherwise than Quillmate writes them ([TICKERBAR] "01"), keys
// it edits but the file lacks ([TRBAR], FF1 to FF5) and keys it never edits.
const std::string kStart =
    "[GLOBAL]\r\nIsMDI=1\r\nCOLOR=Color\\Night.CLR\r\nKeep=this\r\n[TOOLBAR]\r\nDOCKING=1\r\n"
    "[TICKERBAR]\r\nDOCKING=01\r\n[FONT]\r\nFF0=" +
    S("-12,0,0,0,400,0,0,0,128,3,2,1,50,ＭＳ Ｐゴシック") + "\r\nFS=9\r\n";

// Opens the window menu as Alt+Space does and chooses the item with this
// access key.
void ChooseFromWindowMenu(const Quillmate& qlm, char key) {
  const HWND main = qlm.MainWindow();
  SetForegroundWindow(main);
  PostMessageA(main, WM_SYSCOMMAND, SC_KEYMENU, ' ');
  // The menu (a window of the system's menu class) is open before the key.
  const bool open = WaitUntil([] {
    const HWND menu = FindWindowA("#32768", nullptr);
    return menu && IsWindowVisible(menu);
  });
  EXPECT_TRUE(open) << "the window menu did not open";
  PostMessageA(main, WM_CHAR, static_cast<WPARAM>(key), 0);
}

// Answers the question that names the state's time with Yes.
void ConfirmRestore(const Quillmate& qlm) {
  const HWND box = qlm.WaitForBox(kQuestionCaption);
  ASSERT_TRUE(box) << qlm.Boxes();
  const std::vector<std::string> texts = StaticTexts(box);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_NE(texts[0].find(S(" の設定に戻しますか？")), std::string::npos) << texts[0];
  ASSERT_TRUE(Press(box, IDYES));
  ASSERT_TRUE(qlm.WaitForBoxGone(kQuestionCaption));
  qlm.Settle();
}

class UndoTest : public DesktopTest {};

// Both window-menu commands in one journey: the start state comes back after
// real-time changes, the running stand-in following; then, after that run's
// OK, the next run picks the state recorded before the first run's first
// write from the list.
TEST_F(UndoTest, TheStartStateAndAStateRecordedByAnEarlierRunComeBack) {
  StandInSession tool("Takumi.exe", UniqueTitle("株トレード"), kStart);
  ASSERT_TRUE(tool.Start());
  // Both runs keep their history beside the same QLM.INI.
  Quillmate qlm(Quillmate::OwnIniFor(tool.folder()));
  ASSERT_TRUE(qlm.StartInRealtime()) << qlm.Boxes();
  qlm.Click(kToolBar);
  qlm.Choose(kColourFiles, "Paper.CLR");
  qlm.ClickArrow(true);
  qlm.Click(kWindowStyleSdi);
  ASSERT_TRUE(WaitUntil([&] { return tool.Last()["colour"] == "Color\\Paper.CLR" && tool.Last()["display"] == "sdi"; }));
  ASSERT_NE(test::ReadBytes(tool.ConfigPath()), kStart);

  ChooseFromWindowMenu(qlm, 'u');
  ConfirmRestore(qlm);
  // The eleven keys as they were, absent ones absent, every other line kept.
  EXPECT_EQ(test::ReadBytes(tool.ConfigPath()), kStart);
  EXPECT_TRUE(qlm.Checked(kWindowStyleMdi));
  EXPECT_TRUE(qlm.Checked(kToolBar));
  EXPECT_EQ(qlm.SelectedText(kColourFiles), "Night.CLR");
  EXPECT_EQ(qlm.Text(kFontSize), "9");
  EXPECT_TRUE(qlm.Checked(kRealtime));
  // The stand-in shows its documents and the tool bar as before and has
  // reloaded font and colour.
  const std::string font = ReadIni(tool.ConfigPath())["FONT"]["FF0"];
  EXPECT_TRUE(WaitUntil([&] {
    auto last = tool.Last();
    return last["display"] == "mdi" && last["toolbar"] == "1" && last["colour"] == "Color\\Night.CLR" &&
           last["font"] == font;
  })) << ::testing::PrintToString(tool.Last());

  qlm.Click(kWindowStyleSdi);
  qlm.Click(kTabBar);
  qlm.Choose(kColourFiles, "Paper.CLR");
  qlm.ClickAsync(kOk);
  ASSERT_TRUE(qlm.WaitForExit()) << qlm.Boxes();
  ASSERT_NE(test::ReadBytes(tool.ConfigPath()), kStart);

  ASSERT_TRUE(qlm.Start());
  ASSERT_TRUE(qlm.WaitForMainWindow()) << qlm.Boxes();
  ChooseFromWindowMenu(qlm, 'h');
  const HWND list = qlm.WaitForBox(S("以前の設定に戻す"));
  ASSERT_TRUE(list) << qlm.Boxes();
  const HWND box = FindWindowExA(list, nullptr, "ListBox", nullptr);
  ASSERT_TRUE(box);
  EXPECT_EQ(SendMessageA(box, LB_GETCOUNT, 0, 0), 1);
  EXPECT_EQ(SendMessageA(box, LB_GETCURSEL, 0, 0), 0);
  ASSERT_TRUE(Press(list, IDOK));
  ConfirmRestore(qlm);
  EXPECT_EQ(test::ReadBytes(tool.ConfigPath()), kStart);
  EXPECT_TRUE(qlm.Checked(kWindowStyleMdi));
  EXPECT_FALSE(qlm.Enabled(kTabBar));
  EXPECT_EQ(qlm.SelectedText(kColourFiles), "Night.CLR");
  qlm.Kill();
}

}  // namespace
}  // namespace qlm::e2e
