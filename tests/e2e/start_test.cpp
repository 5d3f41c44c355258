// Program start: how QLM.exe finds the tool's folder (or asks for the tool's
// executable), and the ways it ends before its window is of use: a cancelled
// choice, an unrecognised tool, a font or colour scheme that is not there, a
// broken font record.
#include "qlm_driver.h"

#include <dlgs.h>

namespace qlm::e2e {
namespace {

const std::string kDefaultFont = "FF0=" + S("-12,0,0,0,400,0,0,0,128,3,2,1,50,ＭＳ Ｐゴシック");

std::string Appcfg(const std::string& font = kDefaultFont) {
  return "[GLOBAL]\r\nIsMDI=1\r\nCOLOR=Color\\Night.CLR\r\n[TOOLBAR]\r\nDOCKING=1\r\n[TRBAR]\r\nDOCKING=1\r\n"
         "[TICKERBAR]\r\nDOCKING=1\r\n[FONT]\r\n" + font + "\r\n";
}

class StartTest : public DesktopTest {
 protected:
  // Starts QLM on a tool folder, expects an information box with text, and
  // that the program ends once it is answered without having shown its window.
  void ExpectNoticeAndEnd(Quillmate& qlm, const std::string& text) {
    ASSERT_TRUE(qlm.Start());
    const HWND box = qlm.WaitForBox("QLM");
    ASSERT_TRUE(box) << qlm.Boxes();
    EXPECT_EQ(MessageBoxText(box), text);
    const HWND main = qlm.MainWindow();
    EXPECT_FALSE(main && IsWindowVisible(main)) << "the main window is shown behind the box";
    ASSERT_TRUE(Press(box, IDOK));
    EXPECT_TRUE(qlm.WaitForExit()) << qlm.Boxes();
  }
};

TEST_F(StartTest, CancellingTheToolChoiceEndsWithoutWindow) {
  Quillmate qlm("");  // no QLM.INI: no tool folder known
  ASSERT_TRUE(qlm.Start());
  const HWND dialog = qlm.WaitForBox(kChooseToolTitle);
  ASSERT_TRUE(dialog) << qlm.Boxes();
  ASSERT_TRUE(Press(dialog, IDCANCEL));

  const HWND box = qlm.WaitForBox("QLM");
  ASSERT_TRUE(box) << qlm.Boxes();
  EXPECT_EQ(MessageBoxText(box), S("中止します。"));
  EXPECT_EQ(qlm.MainWindow(), nullptr);
  ASSERT_TRUE(Press(box, IDOK));
  EXPECT_TRUE(qlm.WaitForExit());
  EXPECT_EQ(test::ReadBytes(qlm.OwnIniPath()), "<missing>") << "nothing to remember after a cancelled choice";
}

TEST_F(StartTest, IncompleteFolderAsksForTheToolAndRemembersTheChoice) {
  const std::string title = UniqueTitle("選ばれたツール");
  ToolInstallation broken({"Takumi.exe", title, Appcfg(), {"Night.CLR"}});
  test::RemoveFile(broken.folder() + "System\\Sys.ini");
  ToolInstallation chosen({"Takumi.exe", title, Appcfg(), {"Night.CLR"}});

  Quillmate qlm(Quillmate::OwnIniFor(broken.folder()));
  ASSERT_TRUE(qlm.Start());
  const HWND dialog = qlm.WaitForBox(kChooseToolTitle);
  ASSERT_TRUE(dialog) << qlm.Boxes();
  EXPECT_EQ(qlm.MainWindow(), nullptr);

  // Typed into the file name box, as a user may.
  const std::string file = chosen.folder() + "Takumi.exe";
  HWND name = GetDlgItem(dialog, cmb13);
  if (!name) name = GetDlgItem(dialog, edt1);
  ASSERT_TRUE(name);
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(file.c_str()), SMTO_NORMAL, 10000, &ignored);
  ASSERT_TRUE(Press(dialog, IDOK));

  ASSERT_TRUE(qlm.WaitForMainWindow()) << qlm.Boxes();
  EXPECT_EQ(qlm.Text(ui::kStatusBar), title + S(" プログラムは起動してません。"));
  EXPECT_EQ(ReadIni(qlm.OwnIniPath())["CONFIG"]["TTPath"], chosen.folder());
}

TEST_F(StartTest, FolderWithoutSupportedExecutableEnds) {
  ToolInstallation tool({"", UniqueTitle("無名ツール"), Appcfg()});
  Quillmate qlm(Quillmate::OwnIniFor(tool.folder()));
  ExpectNoticeAndEnd(qlm, S("トレーディングツールがインストールされてません。"));
}

TEST_F(StartTest, FontThatIsNotInstalledEnds) {
  ToolInstallation tool(
      {"HighSpeed.exe", UniqueTitle("ツール"), Appcfg("FF0=" + S("-12,0,0,0,400,0,0,0,128,3,2,1,50,無いフォント体"))});
  Quillmate qlm(Quillmate::OwnIniFor(tool.folder()));
  ExpectNoticeAndEnd(qlm, S("フォント\n無いフォント体\nが存在しません。"));
}

TEST_F(StartTest, EmptyColourFolderEnds) {
  ToolInstallation tool({"JoinvestExpress.exe", UniqueTitle("ツール"), Appcfg(), {}});
  Quillmate qlm(Quillmate::OwnIniFor(tool.folder()));
  ExpectNoticeAndEnd(qlm, S("CLRファイル\n[Night.CLR]\nが存在しません。"));
}

TEST_F(StartTest, ShortFontRecordShowsErrorBoxAndEnds) {
  ToolInstallation tool({"Takumi.exe", UniqueTitle("ツール"), Appcfg("FF0=-12,0,0,0,400,0,0,0,128,3,2,1,50")});
  Quillmate qlm(Quillmate::OwnIniFor(tool.folder()));
  ASSERT_TRUE(qlm.Start());
  // Captioned with the program's title, taken from its file name.
  const HWND box = qlm.WaitForBox("Qlm");
  ASSERT_TRUE(box) << qlm.Boxes();
  // A text ending in ")" gets no period.
  EXPECT_EQ(MessageBoxText(box), S("リストのインデックスが範囲を超えています (13)"));
  EXPECT_EQ(qlm.MainWindow(), nullptr);
  ASSERT_TRUE(Press(box, IDOK));
  EXPECT_TRUE(qlm.WaitForExit());
}

}  // namespace
}  // namespace qlm::e2e
