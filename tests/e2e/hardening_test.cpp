// Cases from a review and a hostile try-out, through the windows only: a tool
// that stops answering, and a stored position that leaves the title bar out
// of reach.
#include "qlm_driver.h"
#include "standin_session.h"

#include <chrono>

namespace qlm::e2e {
namespace {

using namespace ui;
using test::StandInSession;

using HardeningTest = DesktopTest;

TEST_F(HardeningTest, AToolThatStopsAnsweringIsGivenUpAndTheStatusLineSaysSo) {
  const std::string title = UniqueTitle("固まるツール");
  StandInSession tool("Takumi.exe", title, kFullAppcfg);
  ASSERT_TRUE(tool.Start({"--hang-on-command=40600"}));
  Quillmate qlm(Quillmate::OwnIniFor(tool.folder()));
  ASSERT_TRUE(qlm.StartInRealtime()) << qlm.Boxes();

  const auto start = std::chrono::steady_clock::now();
  qlm.ClickAsync(kToolBar);  // the tool hangs on this command
  EXPECT_TRUE(WaitUntil([&] { return qlm.Text(kStatusBar) == title + S(" 応答がありません。"); }))
      << qlm.Text(kStatusBar);
  qlm.Settle();
  // About two seconds of waiting, not five.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
  EXPECT_EQ(tool.Last().at("event"), "hang:command:40600");
  EXPECT_EQ(ReadIni(tool.ConfigPath())["TOOLBAR"]["DOCKING"], "0");

  // The tool hangs on: a further command is given up after a brief question,
  // without the full wait again.
  Sleep(1000);
  const auto again = std::chrono::steady_clock::now();
  qlm.Click(kTickerBar);
  EXPECT_LT(std::chrono::steady_clock::now() - again, std::chrono::milliseconds(1500));
  EXPECT_EQ(ReadIni(tool.ConfigPath())["TICKERBAR"]["DOCKING"], "0");
  tool.Kill();
}

// A stored position that leaves the title bar out of reach, or only its
// buttons on the screen (three buttons and the frame are wider than 48
// pixels in the classic look and in newer Windows alike; their width comes
// from the system, which only the real desktop shows), is centred.
TEST_F(HardeningTest, APositionThatLeavesTheTitleBarOutOfReachIsCentred) {
  ToolInstallation tool({"Takumi.exe", UniqueTitle("画面外"), kFullAppcfg});
  for (const char* position : {"PosTop=-240\r\nPosLeft=-250\r\n", "PosTop=100\r\nPosLeft=-271\r\n"}) {
    Quillmate qlm(Quillmate::OwnIniFor(tool.folder(), position));
    ASSERT_TRUE(qlm.Start());
    ASSERT_TRUE(qlm.WaitForMainWindow()) << qlm.Boxes();
    const RECT frame = qlm.WindowRect();
    EXPECT_EQ(frame.left, (GetSystemMetrics(SM_CXSCREEN) - (frame.right - frame.left)) / 2) << position;
    EXPECT_EQ(frame.top, (GetSystemMetrics(SM_CYSCREEN) - (frame.bottom - frame.top)) / 2) << position;
  }
}

}  // namespace
}  // namespace qlm::e2e
