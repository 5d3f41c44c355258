// A stored position that leaves only the title bar's buttons on the screen:
// the buttons' width comes from the system, which only the real desktop
// shows. Driven through the windows only.
#include "qlm_driver.h"

namespace qlm::e2e {
namespace {

using namespace ui;

using ReviewTest = DesktopTest;

TEST_F(ReviewTest, APlaceWhereOnlyTheTitleBarsButtonsShowIsCentred) {
  ToolInstallation tool({"Takumi.exe", UniqueTitle("ボタン"), kFullAppcfg});
  // Pushed off to the left with only the caption buttons' width left on the
  // screen (three buttons and the frame are wider than 48 pixels in the
  // classic look and in newer Windows alike).
  Quillmate qlm(Quillmate::OwnIniFor(tool.folder(), "PosTop=100\r\nPosLeft=-271\r\n"));
  ASSERT_TRUE(qlm.Start());
  ASSERT_TRUE(qlm.WaitForMainWindow()) << qlm.Boxes();
  const RECT frame = qlm.WindowRect();
  EXPECT_EQ(frame.left, (GetSystemMetrics(SM_CXSCREEN) - (frame.right - frame.left)) / 2);
  EXPECT_EQ(frame.top, (GetSystemMetrics(SM_CYSCREEN) - (frame.bottom - frame.top)) / 2);
}

}  // namespace
}  // namespace qlm::e2e
