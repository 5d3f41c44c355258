// A start that meets three faults of long texts and odd places at once: a
// tool folder whose path is over a hundred bytes, four refused [ToolWindows]
// values, and a stored position that leaves only the title bar's buttons on
// the screen. Driven through the windows only.
#include "qlm_driver.h"

namespace qlm::e2e {
namespace {

using namespace ui;

using ReviewTest = DesktopTest;

TEST_F(ReviewTest, LongPathsRefusedNamesAndAnUnreachablePlace) {
  // The tool installed deep under Japanese folder names.
  test::ScratchFolder scratch;
  std::string folder = scratch.path();
  for (const char* name : {"取引ツールの設定フォルダー", "株式トレード用の長い名前のフォルダー", "第二版"})
    folder += "\\" + S(name);
  folder += "\\";
  const std::string appcfg = folder + "System\\Appcfg.ini";
  ASSERT_GT(appcfg.size(), 110u);
  test::WriteBytes(folder + "Takumi.exe", "");
  test::WriteBytes(folder + "System\\Sys.ini", "[INFO]\r\nTitle=" + UniqueTitle("長いパス") + "\r\n");
  test::WriteBytes(appcfg, kFullAppcfg);
  test::WriteBytes(folder + "Color\\Night.CLR", "[COLOR]\r\nBackground=F0F0F0\r\n");

  // Pushed off to the left with only the caption buttons' width left on the
  // screen (three buttons and the frame are wider than 48 pixels in the
  // classic look and in newer Windows alike).
  Quillmate qlm(Quillmate::OwnIniFor(folder,
                                     "PosTop=100\r\nPosLeft=-271\r\n[ToolWindows]\r\nMarkerClass=ElevenBytes\r\n"
                                     "ContainerTitle=~GG\r\nTabBarTitle=~ABC\r\nTickerTitleB=" +
                                         S("株価ボード表示") + "\r\n"));
  ASSERT_TRUE(qlm.Start());

  const HWND notice = qlm.WaitForBox("QLM");
  ASSERT_TRUE(notice) << qlm.Boxes();
  const std::string text = MessageBoxText(notice);
  for (const char* key : {"MarkerClass", "ContainerTitle", "TabBarTitle", "TickerTitleB"})
    EXPECT_NE(text.find(key), std::string::npos) << key << " missing from: " << text;
  ASSERT_TRUE(Press(notice, IDOK));

  ASSERT_TRUE(qlm.WaitForMainWindow()) << qlm.Boxes();
  const RECT frame = qlm.WindowRect();
  EXPECT_EQ(frame.left, (GetSystemMetrics(SM_CXSCREEN) - (frame.right - frame.left)) / 2);
  EXPECT_EQ(frame.top, (GetSystemMetrics(SM_CYSCREEN) - (frame.bottom - frame.top)) / 2);

  // A folder where the file was: OK cannot write, and says where, whole.
  test::RemoveFile(appcfg);
  test::MakeFolder(appcfg);
  qlm.ClickAsync(kOk);
  EXPECT_EQ(qlm.AcknowledgeBox("Qlm"), appcfg + S(" に書き込めません.")) << qlm.Boxes();
  EXPECT_TRUE(qlm.Running());
}

}  // namespace
}  // namespace qlm::e2e
