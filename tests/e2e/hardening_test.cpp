// Cases from a review and a hostile try-out, through the windows only: always
// on top at start, a tool that has no title or stops answering, and a stored
// position that leaves the title bar out of reach.
#include "qlm_driver.h"
#include "standin_session.h"

#include <chrono>

namespace qlm::e2e {
namespace {

using namespace ui;
using test::StandInSession;

bool IsTopMost(HWND window) { return (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

using HardeningTest = DesktopTest;

TEST_F(HardeningTest, StoredTopMostPutsTheWindowAboveOthersAndTheBoxTakesItOut) {
  ToolInstallation tool({"Takumi.exe", UniqueTitle("最前面"), kFullAppcfg});
  Quillmate qlm(Quillmate::OwnIniFor(tool.folder(), "TopMost=1\r\n"));
  ASSERT_TRUE(qlm.Start());
  const HWND main = qlm.WaitForMainWindow();
  ASSERT_TRUE(main) << qlm.Boxes();
  EXPECT_TRUE(qlm.Checked(kTopMost));
  EXPECT_TRUE(IsTopMost(main));
  qlm.Click(kTopMost);
  EXPECT_FALSE(IsTopMost(main));
  qlm.Click(kTopMost);
  EXPECT_TRUE(IsTopMost(main));
}

TEST_F(HardeningTest, AToolWithoutATitleIsNeverTakenForRunningNorDriven) {
  StandInSession tool("Takumi.exe", "", kFullAppcfg);
  ASSERT_TRUE(tool.Start({"--minimized"}));
  Quillmate qlm(Quillmate::OwnIniFor(tool.folder(), "TopMost=1\r\n"));
  ASSERT_TRUE(qlm.Start());
  ASSERT_TRUE(qlm.WaitForMainWindow()) << qlm.Boxes();
  EXPECT_EQ(qlm.Text(kStatusBar), S(" プログラムは起動してません。"));
  EXPECT_TRUE(IsIconic(tool.window())) << "an untitled window was restored";

  qlm.ExpectRealtimeRefused();
  qlm.Settle();
  ASSERT_EQ(tool.Lines().size(), 1u) << "the tool got more than its start";
  EXPECT_EQ(test::ReadBytes(tool.ConfigPath()), kFullAppcfg);
}

TEST_F(HardeningTest, AToolThatStopsAnsweringIsGivenUpAndTheStatusLineSaysSo) {
  const std::string title = UniqueTitle("固まるツール");
  StandInSession tool("Takumi.exe", title, kFullAppcfg);
  ASSERT_TRUE(tool.Start({"--hang-on-command=40600"}));
  Quillmate qlm(Quillmate::OwnIniFor(tool.folder()));
  ASSERT_TRUE(qlm.Start());
  ASSERT_TRUE(qlm.WaitForMainWindow()) << qlm.Boxes();
  qlm.ClickAsync(kRealtime);
  const HWND question = qlm.WaitForBox(kQuestionCaption);
  ASSERT_TRUE(question) << qlm.Boxes();
  ASSERT_TRUE(Press(question, 6));
  ASSERT_TRUE(qlm.WaitForBoxGone(kQuestionCaption));
  qlm.Settle();

  const auto start = std::chrono::steady_clock::now();
  qlm.ClickAsync(kToolBar);  // the tool hangs on this command
  EXPECT_TRUE(WaitUntil([&] { return qlm.Text(kStatusBar) == title + S(" 応答がありません。"); }))
      << qlm.Text(kStatusBar);
  qlm.Settle();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(12));
  EXPECT_EQ(tool.Last().at("event"), "hang:command:40600");
  EXPECT_EQ(ReadIni(tool.ConfigPath())["TOOLBAR"]["DOCKING"], "0");

  // The tool hangs on, and the desktop knows it after five seconds without an
  // answer: a further command is given up at once.
  Sleep(1000);
  const auto again = std::chrono::steady_clock::now();
  qlm.Click(kTickerBar);
  EXPECT_LT(std::chrono::steady_clock::now() - again, std::chrono::seconds(3));
  EXPECT_EQ(ReadIni(tool.ConfigPath())["TICKERBAR"]["DOCKING"], "0");
  tool.Kill();
}

TEST_F(HardeningTest, APositionThatLeavesTheTitleBarOutOfReachIsCentred) {
  ToolInstallation tool({"Takumi.exe", UniqueTitle("画面外"), kFullAppcfg});
  Quillmate qlm(Quillmate::OwnIniFor(tool.folder(), "PosTop=-240\r\nPosLeft=-250\r\n"));
  ASSERT_TRUE(qlm.Start());
  ASSERT_TRUE(qlm.WaitForMainWindow()) << qlm.Boxes();
  const RECT frame = qlm.WindowRect();
  EXPECT_EQ(frame.left, (GetSystemMetrics(SM_CXSCREEN) - (frame.right - frame.left)) / 2);
  EXPECT_EQ(frame.top, (GetSystemMetrics(SM_CYSCREEN) - (frame.bottom - frame.top)) / 2);
}

}  // namespace
}  // namespace qlm::e2e
