// The main window as it opens: its frame and place, and the tool's settings
// shown in its controls (absent keys disabled, docking values, the colour
// scheme found ignoring case, the default and a stored font, the status line).
#include <algorithm>
#include <iterator>
#include <vector>

#include "qlm_driver.h"

#include <commctrl.h>

namespace qlm::e2e {
namespace {

using namespace ui;

class LoadingTest : public DesktopTest {};

std::vector<std::string> Sorted(std::vector<std::string> items) {
  std::sort(items.begin(), items.end());
  return items;
}

TEST_F(LoadingTest, ShowsTheToolsSettings) {
  const std::string title = UniqueTitle("匠トレード");
  // No [TRBAR] and no [FONT]; the scheme stored in other letters than on disk.
  ToolInstallation tool({"Takumi.exe", title,
                         "[GLOBAL]\r\nIsMDI=1\r\nCOLOR=Color\\NIGHT.clr\r\n[TOOLBAR]\r\nDOCKING=2\r\n"
                         "[TICKERBAR]\r\nDOCKING=0\r\n"});
  Quillmate qlm(Quillmate::OwnIniFor(tool.folder()));
  ASSERT_TRUE(qlm.Start());
  const HWND main = qlm.WaitForMainWindow();
  ASSERT_TRUE(main) << qlm.Boxes();

  char caption[64] = {};
  GetWindowTextA(main, caption, sizeof caption);
  EXPECT_STREQ(caption, "Quillmate");
  const RECT client = qlm.ClientRect();
  EXPECT_EQ(client.right - client.left, 313);
  EXPECT_EQ(client.bottom - client.top, 237);
  // No stored position: centred on the screen.
  const RECT frame = qlm.WindowRect();
  EXPECT_EQ(frame.left, (GetSystemMetrics(SM_CXSCREEN) - (frame.right - frame.left)) / 2);
  EXPECT_EQ(frame.top, (GetSystemMetrics(SM_CYSCREEN) - (frame.bottom - frame.top)) / 2);

  EXPECT_TRUE(qlm.Checked(kWindowStyleMdi));
  EXPECT_FALSE(qlm.Checked(kWindowStyleSdi));
  EXPECT_TRUE(qlm.Enabled(kWindowStyleMdi));
  EXPECT_TRUE(qlm.Checked(kToolBar)) << "DOCKING=2 is docked";
  EXPECT_TRUE(qlm.Enabled(kToolBar));
  EXPECT_FALSE(qlm.Enabled(kTabBar)) << "no [TRBAR]";
  EXPECT_FALSE(qlm.Checked(kTabBar));
  EXPECT_TRUE(qlm.Enabled(kTickerBar));
  EXPECT_FALSE(qlm.Checked(kTickerBar));

  EXPECT_EQ(Sorted(qlm.Items(kColourFiles)), (std::vector<std::string>{"Default.CLR", "Night.CLR", "Paper.CLR"}));
  EXPECT_EQ(qlm.SelectedText(kColourFiles), "Night.CLR");

  // The default font record at 96 pixels per inch.
  EXPECT_EQ(qlm.SelectedText(kFontName), S("ＭＳ Ｐゴシック"));
  EXPECT_EQ(qlm.Items(kFontStyle), (std::vector<std::string>{S("標準"), S("太字")}));
  EXPECT_EQ(qlm.SelectedText(kFontStyle), S("標準"));
  EXPECT_EQ(qlm.Text(kFontSize), "9");
  const std::vector<std::string> faces = qlm.Items(kFontName);
  EXPECT_EQ(std::find(faces.begin(), faces.end(), "Default"), faces.end()) << "no face the font check refuses";

  EXPECT_FALSE(qlm.Checked(kTopMost));
  EXPECT_FALSE(qlm.Checked(kRealtime));
  EXPECT_EQ(qlm.Text(kStatusBar), title + S(" プログラムは起動してません。"));
}

TEST_F(LoadingTest, ALongTitleGivesWayToTheStatusWords) {
  // The words must not be cut where they seem to say the opposite.
  const std::string title = UniqueTitle("Takumi 株式トレード (サンプル) ツール");
  const std::string words = S(" プログラムは起動してません。");
  ToolInstallation tool({"Takumi.exe", title, kFullAppcfg});
  Quillmate qlm(Quillmate::OwnIniFor(tool.folder()));
  ASSERT_TRUE(qlm.Start());
  ASSERT_TRUE(qlm.WaitForMainWindow()) << qlm.Boxes();

  const std::string shown = qlm.Text(kStatusBar);
  ASSERT_GT(shown.size(), words.size());
  EXPECT_EQ(shown.substr(shown.size() - words.size()), words) << shown;
  EXPECT_NE(shown.find(S("…")), std::string::npos) << shown;
  const int panel = qlm.ClientRect().right - kStatusPanelWidths[1];
  EXPECT_LE(TahomaWidth(shown), panel - 6) << shown;
}

TEST_F(LoadingTest, WindowStyleAndBarsFollowTheirKeys) {
  {
    ToolInstallation tool({"Takumi.exe", UniqueTitle("ツール"),
                           "[GLOBAL]\r\nIsMDI=0\r\nCOLOR=Color\\Paper.CLR\r\n[TOOLBAR]\r\nDOCKING=0\r\n"
                           "[TRBAR]\r\nDOCKING=1\r\n[TICKERBAR]\r\nDOCKING=1\r\n"});
    Quillmate qlm(Quillmate::OwnIniFor(tool.folder()));
    ASSERT_TRUE(qlm.Start());
    ASSERT_TRUE(qlm.WaitForMainWindow()) << qlm.Boxes();
    EXPECT_TRUE(qlm.Checked(kWindowStyleSdi));
    EXPECT_FALSE(qlm.Checked(kWindowStyleMdi));
    EXPECT_FALSE(qlm.Checked(kToolBar));
    EXPECT_TRUE(qlm.Checked(kTabBar));
    EXPECT_TRUE(qlm.Checked(kTickerBar));
    for (const int id : {kWindowStyleSdi, kWindowStyleMdi, kToolBar, kTabBar, kTickerBar})
      EXPECT_TRUE(qlm.Enabled(id)) << id;
    EXPECT_EQ(qlm.SelectedText(kColourFiles), "Paper.CLR");
  }
  {
    // No IsMDI; [TOOLBAR] without DOCKING; a docking value that is no number.
    ToolInstallation tool({"Takumi.exe", UniqueTitle("ツール"),
                           "[GLOBAL]\r\nCOLOR=Color\\Paper.CLR\r\n[TOOLBAR]\r\nFLOAT=1\r\n"
                           "[TRBAR]\r\nDOCKING=yes\r\n[TICKERBAR]\r\nDOCKING=1\r\n"});
    Quillmate qlm(Quillmate::OwnIniFor(tool.folder()));
    ASSERT_TRUE(qlm.Start());
    ASSERT_TRUE(qlm.WaitForMainWindow()) << qlm.Boxes();
    for (const int id : {kWindowStyleSdi, kWindowStyleMdi, kToolBar, kTabBar}) {
      EXPECT_FALSE(qlm.Enabled(id)) << id;
      EXPECT_FALSE(qlm.Checked(id)) << id;
    }
    EXPECT_TRUE(qlm.Enabled(kTickerBar));
    EXPECT_TRUE(qlm.Checked(kTickerBar));
  }
}

TEST_F(LoadingTest, TradeProWithStoredFontPlaceAndTopMost) {
  ToolInstallation tool({"TradePro.exe", UniqueTitle("プロ取引"),
                         "[GLOBAL]\r\nIsMDI=1\r\nCOLOR=Night\r\n[TOOLBAR]\r\nDOCKING=1\r\n[TRBAR]\r\nDOCKING=1\r\n"
                         "[TICKERBAR]\r\nDOCKING=1\r\n[FONT]\r\nFF0=" + S("-15,0,0,0,700,0,0,0,128,3,2,1,49,ＭＳ ゴシック") + "\r\n"});
  Quillmate qlm(Quillmate::OwnIniFor(tool.folder(), "PosTop=-100\r\nPosLeft=40\r\nTopMost=1\r\n"));
  ASSERT_TRUE(qlm.Start());
  const HWND main = qlm.WaitForMainWindow();
  ASSERT_TRUE(main) << qlm.Boxes();

  // Centred from top to bottom only.
  const RECT frame = qlm.WindowRect();
  EXPECT_EQ(frame.left, 40);
  EXPECT_EQ(frame.top, (GetSystemMetrics(SM_CYSCREEN) - (frame.bottom - frame.top)) / 2);
  EXPECT_TRUE(qlm.Checked(kTopMost));
  EXPECT_TRUE(GetWindowLongA(main, GWL_EXSTYLE) & WS_EX_TOPMOST);

  // TradePro stores the scheme's bare name.
  EXPECT_EQ(qlm.SelectedText(kColourFiles), "Night.CLR");
  // It keeps its display style and tab bar: shown as stored, disabled.
  EXPECT_TRUE(qlm.Checked(kWindowStyleMdi) && qlm.Checked(kTabBar));
  EXPECT_FALSE(qlm.Enabled(kWindowStyleSdi) || qlm.Enabled(kWindowStyleMdi) || qlm.Enabled(kTabBar));
  EXPECT_TRUE(qlm.Enabled(kToolBar) && qlm.Enabled(kTickerBar));
  EXPECT_EQ(qlm.SelectedText(kFontName), S("ＭＳ ゴシック"));
  EXPECT_EQ(qlm.SelectedText(kFontStyle), S("太字"));
  EXPECT_EQ(qlm.Text(kFontSize), "11");
}

// The tip windows of one process, each with how many tools it has.
std::vector<std::pair<HWND, LRESULT>> TipWindowsOf(DWORD processId) {
  struct Search {
    DWORD processId;
    std::vector<std::pair<HWND, LRESULT>> found;
  } search{processId, {}};
  EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        auto* search = reinterpret_cast<Search*>(param);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        char name[64] = {};
        GetClassNameA(window, name, sizeof name);
        if (owner == search->processId && lstrcmpiA(name, "tooltips_class32") == 0)
          search->found.emplace_back(window, SendMessageA(window, TTM_GETTOOLCOUNT, 0, 0));
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Each control with a hint has one, in the hints' window, and so have the
// parts of the form over the style and the tab bar (their hint shows while a
// tool keeps them); the status bar has a tip window of its own.
TEST_F(LoadingTest, EveryHintIsThere) {
  ToolInstallation tool({"Takumi.exe", UniqueTitle("ツール"),
                         "[GLOBAL]\r\nIsMDI=1\r\nCOLOR=Color\\Night.CLR\r\n"});
  Quillmate qlm(Quillmate::OwnIniFor(tool.folder()));
  ASSERT_TRUE(qlm.Start());
  ASSERT_TRUE(qlm.WaitForMainWindow()) << qlm.Boxes();
  qlm.Settle();
  const auto withHints = std::count_if(std::begin(kMainLayout), std::end(kMainLayout),
                                       [](const ControlRow& row) { return row.hint != nullptr; });
  std::vector<LRESULT> counts;
  for (const auto& [window, tools] : TipWindowsOf(qlm.processId())) counts.push_back(tools);
  std::sort(counts.begin(), counts.end());
  EXPECT_EQ(counts, (std::vector<LRESULT>{1, withHints + 2}));
}

}  // namespace
}  // namespace qlm::e2e
