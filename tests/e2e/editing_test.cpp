// Editing outside real-time mode and the ways out: OK writes every value (and
// only the ones its tool kind has) and remembers the window; Cancel asks
// first; a settings file that cannot be written leaves the window open; the
// About box.
#include <algorithm>
#include <vector>

#include "qlm_driver.h"

namespace qlm::e2e {
namespace {

using namespace ui;

const std::string kGothic = S("ＭＳ Ｐゴシック");

// The last description the system gives for a face: what the program copies
// into the records it writes.
LOGFONTA Describe(const std::string& face) {
  LOGFONTA found = {};
  const HDC screen = GetDC(nullptr);
  EnumFontFamiliesA(
      screen, face.c_str(),
      [](const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM last) -> int {
        *reinterpret_cast<LOGFONTA*>(last) = *font;
        return 1;
      },
      reinterpret_cast<LPARAM>(&found));
  ReleaseDC(nullptr, screen);
  return found;
}

std::string Record(int height, int weight, const std::string& face) {
  const LOGFONTA d = Describe(face);
  // LOGFONT's order; the character set is always Shift-JIS.
  const int fields[] = {height, 0, static_cast<int>(d.lfEscapement), static_cast<int>(d.lfOrientation), weight,
                        d.lfItalic, d.lfUnderline, d.lfStrikeOut, 128, d.lfOutPrecision, d.lfClipPrecision,
                        d.lfQuality, d.lfPitchAndFamily};
  std::string text;
  for (const int field : fields) text += std::to_string(field) + ",";
  return text + face;
}

// FF0..FF5 for a size and weight: sizes S, S, S+1, S+1, S-1, S-1; odd slots bold.
std::map<std::string, std::string> Slots(const int heights[6], int weight, const std::string& face) {
  std::map<std::string, std::string> slots;
  for (int i = 0; i < 6; ++i) slots["FF" + std::to_string(i)] = Record(heights[i], i % 2 ? 700 : weight, face);
  return slots;
}

std::string FontSection() {
  std::string text = "[FONT]\r\n";
  const char* heights[] = {"-12", "-12", "-13", "-13", "-11", "-11"};
  for (int i = 0; i < 6; ++i)
    text += "FF" + std::to_string(i) + "=" + heights[i] + (i % 2 ? ",0,0,0,700" : ",0,0,0,400") +
            ",0,0,0,128,3,2,1,50," + kGothic + "\r\n";
  return text;
}

class EditingTest : public DesktopTest {
 protected:
  void SetUp() override {
    DesktopTest::SetUp();
    if (IsSkipped()) return;
    const HDC screen = GetDC(nullptr);
    const int perInch = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    ASSERT_EQ(perInch, 96) << "the expected font heights are for 96 pixels per inch";
  }

  // Presses OK and waits for the program to end; returns where its window was.
  RECT PressOkAndWaitForExit(Quillmate& qlm) {
    const RECT frame = qlm.WindowRect();
    qlm.ClickAsync(kOk);
    EXPECT_TRUE(qlm.WaitForExit()) << qlm.Boxes();
    return frame;
  }
};

TEST_F(EditingTest, OkWritesEveryValue) {
  ToolInstallation tool({"Takumi.exe", UniqueTitle("ツール"),
                         "[GLOBAL]\r\nIsMDI=1\r\nCOLOR=Color\\Night.CLR\r\nAutoLogin=0\r\n[TOOLBAR]\r\nDOCKING=1\r\n"
                         "[TICKERBAR]\r\nDOCKING=0\r\n" + FontSection()});
  Quillmate qlm(Quillmate::OwnIniFor(tool.folder()));
  ASSERT_TRUE(qlm.Start());
  ASSERT_TRUE(qlm.WaitForMainWindow()) << qlm.Boxes();

  qlm.Click(kWindowStyleSdi);
  qlm.Click(kToolBar);
  qlm.Click(kTickerBar);
  qlm.Choose(kColourFiles, "Paper.CLR");
  qlm.Choose(kFontStyle, S("太字"));
  qlm.ClickArrow(true);
  EXPECT_EQ(qlm.Text(kFontSize), "10");
  // Nothing is written before OK.
  EXPECT_EQ(ReadIni(tool.ConfigPath())["GLOBAL"]["COLOR"], "Color\\Night.CLR");

  const RECT frame = PressOkAndWaitForExit(qlm);
  const int heights[] = {-13, -13, -15, -15, -12, -12};
  const IniFile expected = {
      {"GLOBAL", {{"IsMDI", "0"}, {"COLOR", "Color\\Paper.CLR"}, {"AutoLogin", "0"}}},
      {"TOOLBAR", {{"DOCKING", "0"}}},
      // The tab bar's key was absent: its (unchecked) box is written anyway.
      {"TRBAR", {{"DOCKING", "0"}}},
      {"TICKERBAR", {{"DOCKING", "1"}}},
      {"FONT", Slots(heights, 700, kGothic)},
  };
  EXPECT_EQ(ReadIni(tool.ConfigPath()), expected);
  EXPECT_EQ(ReadIni(qlm.OwnIniPath()), OwnSettingsAfterQuit(tool.folder(), frame));
}

TEST_F(EditingTest, OkForTradeProLeavesWindowStyleAndTabBarAlone) {
  ToolInstallation tool({"TradePro.exe", UniqueTitle("プロ"),
                         "[GLOBAL]\r\nCOLOR=Night\r\n[TOOLBAR]\r\nDOCKING=0\r\n[TICKERBAR]\r\nDOCKING=1\r\n" +
                             FontSection()});
  Quillmate qlm(Quillmate::OwnIniFor(tool.folder()));
  ASSERT_TRUE(qlm.Start());
  ASSERT_TRUE(qlm.WaitForMainWindow()) << qlm.Boxes();

  qlm.Click(kToolBar);
  qlm.Choose(kColourFiles, "Paper.CLR");
  qlm.ClickArrow(false);
  EXPECT_EQ(qlm.Text(kFontSize), "8");

  const RECT frame = PressOkAndWaitForExit(qlm);
  const int heights[] = {-11, -11, -12, -12, -9, -9};
  const IniFile expected = {
      {"GLOBAL", {{"COLOR", "Paper"}}},
      {"TOOLBAR", {{"DOCKING", "1"}}},
      {"TICKERBAR", {{"DOCKING", "1"}}},
      {"FONT", Slots(heights, 400, kGothic)},
  };
  EXPECT_EQ(ReadIni(tool.ConfigPath()), expected);
  EXPECT_EQ(ReadIni(qlm.OwnIniPath()), OwnSettingsAfterQuit(tool.folder(), frame));
}

TEST_F(EditingTest, CancelAsksAndOnlyYesQuits) {
  const std::string appcfg = "[GLOBAL]\r\nIsMDI=1\r\nCOLOR=Color\\Night.CLR\r\n[TOOLBAR]\r\nDOCKING=1\r\n"
                             "[TRBAR]\r\nDOCKING=1\r\n[TICKERBAR]\r\nDOCKING=1\r\n" + FontSection();
  ToolInstallation tool({"Takumi.exe", UniqueTitle("ツール"), appcfg});
  Quillmate qlm(Quillmate::OwnIniFor(tool.folder(), "ShowHint=1\r\n"));
  ASSERT_TRUE(qlm.Start());
  ASSERT_TRUE(qlm.WaitForMainWindow()) << qlm.Boxes();
  qlm.Click(kToolBar);
  qlm.Click(kTopMost);
  qlm.Choose(kColourFiles, "Paper.CLR");

  const std::string question = S("情報");
  qlm.ClickAsync(kCancel);
  HWND box = qlm.WaitForBox(question);
  ASSERT_TRUE(box) << qlm.Boxes();
  EXPECT_EQ(StaticTexts(box), std::vector<std::string>{S("終了しますか？")});
  EXPECT_EQ(SentText(GetDlgItem(box, 6)), S("はい(&Y)"));
  EXPECT_EQ(SentText(GetDlgItem(box, 7)), S("いいえ(&N)"));
  ASSERT_TRUE(Press(box, 7));
  ASSERT_TRUE(qlm.WaitForBoxGone(question));
  EXPECT_TRUE(qlm.Running());
  EXPECT_TRUE(IsWindowVisible(qlm.MainWindow()));

  const RECT frame = qlm.WindowRect();
  qlm.ClickAsync(kCancel);
  box = qlm.WaitForBox(question);
  ASSERT_TRUE(box) << qlm.Boxes();
  ASSERT_TRUE(Press(box, 6));
  ASSERT_TRUE(qlm.WaitForExit()) << qlm.Boxes();

  // The tool's file as it was; the program's own settings saved.
  EXPECT_EQ(test::ReadBytes(tool.ConfigPath()), appcfg);
  EXPECT_EQ(ReadIni(qlm.OwnIniPath()), OwnSettingsAfterQuit(tool.folder(), frame, "1", {{"ShowHint", "1"}}));
}

TEST_F(EditingTest, UnwritableSettingsFileShowsErrorAndKeepsWindow) {
  ToolInstallation tool({"Takumi.exe", UniqueTitle("ツール"),
                         "[GLOBAL]\r\nIsMDI=1\r\nCOLOR=Color\\Night.CLR\r\n[TOOLBAR]\r\nDOCKING=1\r\n"
                         "[TRBAR]\r\nDOCKING=1\r\n[TICKERBAR]\r\nDOCKING=1\r\n" + FontSection()});
  Quillmate qlm(Quillmate::OwnIniFor(tool.folder()));
  ASSERT_TRUE(qlm.Start());
  ASSERT_TRUE(qlm.WaitForMainWindow()) << qlm.Boxes();

  // A folder where the file was: no write can succeed, whoever runs the test
  // (a read-only file would not do: under Wine root writes it anyway).
  test::RemoveFile(tool.ConfigPath());
  test::MakeFolder(tool.ConfigPath());
  qlm.ClickAsync(kOk);
  const HWND box = qlm.WaitForBox("Qlm");
  ASSERT_TRUE(box) << qlm.Boxes();
  EXPECT_EQ(MessageBoxText(box), tool.ConfigPath() + S(" に書き込めません."));
  ASSERT_TRUE(Press(box, IDOK));
  ASSERT_TRUE(qlm.WaitForBoxGone("Qlm"));
  EXPECT_TRUE(qlm.Running());
  EXPECT_TRUE(IsWindowVisible(qlm.MainWindow()));
  EXPECT_EQ(ReadIni(qlm.OwnIniPath()), (IniFile{{"CONFIG", {{"TTPath", tool.folder()}}}}))
      << "nothing of the program's own is saved after a failed OK";
}

TEST_F(EditingTest, AboutBoxShowsTheVersionEveryTime) {
  ToolInstallation tool({"Takumi.exe", UniqueTitle("ツール"),
                         "[GLOBAL]\r\nIsMDI=1\r\nCOLOR=Color\\Night.CLR\r\n" + FontSection()});
  Quillmate qlm(Quillmate::OwnIniFor(tool.folder()));
  ASSERT_TRUE(qlm.Start());
  ASSERT_TRUE(qlm.WaitForMainWindow()) << qlm.Boxes();

  const std::string caption = S("バージョン情報");
  for (int showing = 1; showing <= 2; ++showing) {
    SCOPED_TRACE(showing);
    qlm.ClickAsync(kAbout);
    const HWND box = qlm.WaitForBox(caption);
    ASSERT_TRUE(box) << qlm.Boxes();
    const std::vector<std::string> texts = StaticTexts(box);
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Version 0.7.2.26"), texts.end()) << ::testing::PrintToString(texts);
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Quillmate"), texts.end());
    // Centred on the main window.
    RECT about = {}, main = qlm.WindowRect();
    GetWindowRect(box, &about);
    EXPECT_NEAR((about.left + about.right) / 2, (main.left + main.right) / 2, 1);
    EXPECT_NEAR((about.top + about.bottom) / 2, (main.top + main.bottom) / 2, 1);
    RECT client = {};
    GetClientRect(box, &client);
    EXPECT_EQ(client.right, 273);
    EXPECT_EQ(client.bottom, 98);
    // The bold short name ends at least a space before the full name.
    const HWND shortName = FindWindowExA(box, nullptr, "Static", "QLM");
    const HWND fullName = FindWindowExA(box, nullptr, "Static", "Quillmate");
    ASSERT_TRUE(shortName && fullName);
    RECT shortRect = {}, fullRect = {};
    GetWindowRect(shortName, &shortRect);
    GetWindowRect(fullName, &fullRect);
    EXPECT_GE(fullRect.left - (shortRect.left + TahomaWidth("QLM", true)), TahomaWidth(" ")) << "QLM and Quillmate run together";
    ASSERT_TRUE(Press(box, IDOK));
    ASSERT_TRUE(qlm.WaitForBoxGone(caption));
  }
  EXPECT_TRUE(qlm.Running());
}

}  // namespace
}  // namespace qlm::e2e
