// A session at the window beyond single edits: TopMost bringing the tool
// forward (minimised or covered) and saved only on the way out, reloading
// through Cancel when QLM.INI asks for the tool at every load (and a reload
// that fails), real-time mode in single-document display, and the real-time
// question closed instead of answered.
#include "qlm_driver.h"
#include "standin_session.h"

namespace qlm::e2e {
namespace {

using namespace ui;
using test::StandInSession;
using test::StateLine;

constexpr int kYes = 6;
constexpr int kNo = 7;

const std::string kFont = "FF0=" + S("-12,0,0,0,400,0,0,0,128,3,2,1,50,ＭＳ Ｐゴシック") + "\r\n";

// A tool's configuration with all three bars and only the first font slot.
std::string Appcfg(const std::string& global, int toolBar, int tabBar, int ticker) {
  std::string text = "[GLOBAL]\r\n" + global + "[TOOLBAR]\r\nDOCKING=" + std::to_string(toolBar) + "\r\n";
  if (tabBar >= 0) text += "[TRBAR]\r\nDOCKING=" + std::to_string(tabBar) + "\r\n";
  return text + "[TICKERBAR]\r\nDOCKING=" + std::to_string(ticker) + "\r\n[FONT]\r\n" + kFont;
}

std::vector<std::string> Events(const std::vector<StateLine>& lines) {
  std::vector<std::string> events;
  for (const StateLine& line : lines) events.push_back(line.at("event"));
  return events;
}

// Whether upper lies above lower in the desktop's order of windows.
bool IsAbove(HWND upper, HWND lower) {
  for (HWND window = GetWindow(lower, GW_HWNDPREV); window; window = GetWindow(window, GW_HWNDPREV))
    if (window == upper) return true;
  return false;
}

bool IsTopMost(HWND window) { return (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

class SessionTest : public DesktopTest {
 protected:
  // Everything the tool has recorded once all that was posted to it before
  // has been handled: a command it ignores goes through its queue behind any
  // notification posted earlier. These marks are left out of the list.
  static std::vector<std::string> SettledEvents(const StandInSession& tool) {
    const std::string mark = "ignored:command:1";
    const std::size_t before = tool.Lines().size();
    PostMessageA(tool.window(), WM_COMMAND, 1, 0);
    EXPECT_TRUE(WaitUntil([&] {
      const auto lines = tool.Lines();
      return lines.size() > before && lines.back().at("event") == mark;
    })) << ::testing::PrintToString(Events(tool.Lines()));
    std::vector<std::string> events;
    for (const std::string& event : Events(tool.Lines()))
      if (event != mark) events.push_back(event);
    return events;
  }
};

TEST_F(SessionTest, TopMostRestoresTheMinimisedToolAndIsSavedOnlyOnTheWayOut) {
  const std::string appcfg = Appcfg("IsMDI=1\r\nCOLOR=Color\\Night.CLR\r\n", 1, 1, 1);
  StandInSession tool("Takumi.exe", UniqueTitle("株トレード"), appcfg);
  ASSERT_TRUE(tool.Start({"--minimized"}));
  ASSERT_TRUE(IsIconic(tool.window()));
  // Another program's window, shown after the tool and so above it.
  StandInSession other("Takumi.exe", UniqueTitle("別のツール"), appcfg);
  ASSERT_TRUE(other.Start());
  ASSERT_TRUE(IsAbove(other.window(), tool.window()));

  Quillmate qlm(Quillmate::OwnIniFor(tool.folder()));
  ASSERT_TRUE(qlm.Start());
  const HWND main = qlm.WaitForMainWindow();
  ASSERT_TRUE(main) << qlm.Boxes();
  const std::string ownIni = test::ReadBytes(qlm.OwnIniPath());

  qlm.Click(kTopMost);
  EXPECT_TRUE(WaitUntil([&] { return !IsIconic(tool.window()); })) << "the tool is still minimised";
  EXPECT_TRUE(IsWindowVisible(tool.window()));
  EXPECT_TRUE(WaitUntil([&] { return IsAbove(tool.window(), other.window()); }))
      << "the tool was not brought forward";
  // Then Quillmate goes into the topmost band, above the tool.
  EXPECT_TRUE(IsTopMost(main));
  EXPECT_TRUE(IsAbove(main, tool.window())) << "Quillmate is not in front of the tool";
  qlm.Click(kTopMost);
  EXPECT_FALSE(IsTopMost(main));
  qlm.Click(kTopMost);

  // The switch itself writes nothing and tells the tool nothing; neither does
  // a Cancel that is not confirmed.
  qlm.ClickAsync(kCancel);
  qlm.Answer(S("終了しますか？"), kNo);
  EXPECT_EQ(test::ReadBytes(qlm.OwnIniPath()), ownIni);
  EXPECT_EQ(test::ReadBytes(tool.ConfigPath()), appcfg);
  EXPECT_EQ(SettledEvents(tool), std::vector<std::string>{"start"});

  const RECT frame = qlm.WindowRect();
  qlm.ClickAsync(kOk);
  ASSERT_TRUE(qlm.WaitForExit()) << qlm.Boxes();
  EXPECT_EQ(ReadIni(qlm.OwnIniPath()), OwnSettingsAfterQuit(tool.folder(), frame, "1"));
}

TEST_F(SessionTest, TopMostBringsACoveredToolForward) {
  const std::string appcfg = Appcfg("IsMDI=1\r\nCOLOR=Color\\Night.CLR\r\n", 1, 1, 1);
  StandInSession tool("Takumi.exe", UniqueTitle("株トレード"), appcfg);
  ASSERT_TRUE(tool.Start());
  StandInSession other("Takumi.exe", UniqueTitle("別のツール"), appcfg);
  ASSERT_TRUE(other.Start());
  ASSERT_TRUE(IsAbove(other.window(), tool.window()));
  Quillmate qlm(Quillmate::OwnIniFor(tool.folder()));
  ASSERT_TRUE(qlm.Start());
  ASSERT_TRUE(qlm.WaitForMainWindow()) << qlm.Boxes();

  qlm.Click(kTopMost);
  EXPECT_TRUE(WaitUntil([&] { return IsAbove(tool.window(), other.window()); }))
      << "the tool was not brought forward";
}

TEST_F(SessionTest, RepeatModeAsksForTheToolAtEveryLoadAndCancelReloads) {
  const std::string title = UniqueTitle("ツール");
  ToolInstallation tool({"Takumi.exe", title, Appcfg("IsMDI=1\r\nCOLOR=Color\\Night.CLR\r\n", 1, 1, 1)});
  // The tool folder stored is valid: only Repeat makes the program ask.
  Quillmate qlm(Quillmate::OwnIniFor(tool.folder(), "Repeat=1\r\n"));
  ASSERT_TRUE(qlm.Start());
  qlm.ChooseTool(tool.folder() + "Takumi.exe");
  ASSERT_TRUE(qlm.WaitForMainWindow()) << qlm.Boxes();
  EXPECT_TRUE(qlm.Checked(kWindowStyleMdi));
  EXPECT_TRUE(qlm.Checked(kToolBar));
  EXPECT_EQ(qlm.SelectedText(kColourFiles), "Night.CLR");

  // The tool's files change behind the program's back.
  const std::string newTitle = UniqueTitle("新しいツール");
  const std::string changed = Appcfg("IsMDI=0\r\nCOLOR=Color\\Paper.CLR\r\n", 0, 1, 1);
  test::WriteBytes(tool.ConfigPath(), changed);
  test::WriteBytes(tool.folder() + "System\\Sys.ini", "[INFO]\r\nTitle=" + newTitle + "\r\n");

  qlm.ClickAsync(kCancel);
  qlm.Answer(S("継続しますか？"), kYes);
  qlm.ChooseTool(tool.folder() + "Takumi.exe");
  qlm.Settle();
  EXPECT_TRUE(qlm.Running());
  EXPECT_TRUE(IsWindowVisible(qlm.MainWindow()));
  EXPECT_EQ(qlm.Boxes(), "(no box open)");
  EXPECT_TRUE(qlm.Checked(kWindowStyleSdi));
  EXPECT_FALSE(qlm.Checked(kWindowStyleMdi));
  EXPECT_FALSE(qlm.Checked(kToolBar));
  EXPECT_TRUE(qlm.Checked(kTabBar));
  EXPECT_EQ(qlm.SelectedText(kColourFiles), "Paper.CLR");
  EXPECT_EQ(qlm.Text(kStatusBar), newTitle + S(" プログラムは起動してません。"));
  EXPECT_EQ(test::ReadBytes(tool.ConfigPath()), changed) << "a reload outside real-time mode writes nothing";

  // Declining to go on leads to the quit question; Yes saves and ends.
  const RECT frame = qlm.WindowRect();
  qlm.ClickAsync(kCancel);
  qlm.Answer(S("継続しますか？"), kNo);
  qlm.Answer(S("終了しますか？"), kYes);
  ASSERT_TRUE(qlm.WaitForExit()) << qlm.Boxes();
  EXPECT_EQ(ReadIni(qlm.OwnIniPath()), OwnSettingsAfterQuit(tool.folder(), frame, "0", {{"Repeat", "1"}}));
  EXPECT_EQ(test::ReadBytes(tool.ConfigPath()), changed);
}

TEST_F(SessionTest, FailedReloadAsksToQuitAndNoKeepsTheWindow) {
  const std::string appcfg = Appcfg("IsMDI=1\r\nCOLOR=Color\\Night.CLR\r\n", 1, 1, 1);
  ToolInstallation tool({"Takumi.exe", UniqueTitle("ツール"), appcfg});
  Quillmate qlm(Quillmate::OwnIniFor(tool.folder(), "Repeat=1\r\n"));
  ASSERT_TRUE(qlm.Start());
  qlm.ChooseTool(tool.folder() + "Takumi.exe");
  ASSERT_TRUE(qlm.WaitForMainWindow()) << qlm.Boxes();
  EXPECT_EQ(qlm.SelectedText(kColourFiles), "Night.CLR");

  // The scheme in use vanishes.
  test::RemoveFile(tool.folder() + "Color\\Night.CLR");
  qlm.ClickAsync(kCancel);
  qlm.Answer(S("継続しますか？"), kYes);
  qlm.ChooseTool(tool.folder() + "Takumi.exe");
  const HWND notice = qlm.WaitForBox("QLM");
  ASSERT_TRUE(notice) << qlm.Boxes();
  EXPECT_EQ(MessageBoxText(notice), S("CLRファイル\n[Night.CLR]\nが存在しません。"));
  ASSERT_TRUE(Press(notice, IDOK));
  qlm.Answer(S("終了しますか？"), kNo);
  qlm.Settle();
  EXPECT_TRUE(qlm.Running());
  EXPECT_TRUE(IsWindowVisible(qlm.MainWindow()));
  EXPECT_EQ(qlm.Boxes(), "(no box open)");
  EXPECT_EQ(test::ReadBytes(tool.ConfigPath()), appcfg);
  EXPECT_EQ(ReadIni(qlm.OwnIniPath()), (IniFile{{"CONFIG", {{"TTPath", tool.folder()}, {"Repeat", "1"}}}}));

  // The window is still of use: a scheme that exists can be chosen and saved.
  qlm.Choose(kColourFiles, "Paper.CLR");
  qlm.ClickAsync(kOk);
  ASSERT_TRUE(qlm.WaitForExit()) << qlm.Boxes();
  EXPECT_EQ(ReadIni(tool.ConfigPath())["GLOBAL"]["COLOR"], "Color\\Paper.CLR");
}

// Real-time mode in single-document display: bar values are written, but the
// tool gets no bar command.
TEST_F(SessionTest, SingleDocumentRealtimeWritesBarsWithoutCommands) {
  {
    SCOPED_TRACE("other kind");
    const std::string title = UniqueTitle("株トレード");
    StandInSession tool("Takumi.exe", title, Appcfg("IsMDI=0\r\nCOLOR=Color\\Night.CLR\r\n", 1, 1, 1));
    ASSERT_TRUE(tool.Start());
    test::WriteBytes(tool.ConfigPath(), Appcfg("IsMDI=0\r\nCOLOR=Color\\Night.CLR\r\n", 0, 1, 0));
    Quillmate qlm(Quillmate::OwnIniFor(tool.folder()));
    ASSERT_TRUE(qlm.Start());
    ASSERT_TRUE(qlm.WaitForMainWindow()) << qlm.Boxes();
    EXPECT_EQ(qlm.Text(kStatusBar), title + S(" 起動中。SDI表示。"));
    // The file now says every bar is shown, as the tool shows them, while the
    // boxes still hold what was loaded: entering writes the boxes' values.
    test::WriteBytes(tool.ConfigPath(), Appcfg("IsMDI=0\r\nCOLOR=Color\\Night.CLR\r\n", 1, 1, 1));

    ASSERT_TRUE(qlm.EnterRealtime()) << qlm.Boxes();
    qlm.Settle();
    EXPECT_EQ(SettledEvents(tool), (std::vector<std::string>{"start", "reload:font", "reload:colour"}));
    IniFile config = ReadIni(tool.ConfigPath());
    EXPECT_EQ(config["GLOBAL"]["IsMDI"], "0");
    EXPECT_EQ(config["TOOLBAR"]["DOCKING"], "0");
    EXPECT_EQ(config["TRBAR"]["DOCKING"], "1");
    EXPECT_EQ(config["TICKERBAR"]["DOCKING"], "0");
    EXPECT_EQ(tool.Last()["toolbar"], "1");
    EXPECT_EQ(tool.Last()["ticker"], "1");
    // There is nothing for the bar boxes to do in this display.
    for (const int id : {kToolBar, kTabBar, kTickerBar}) EXPECT_FALSE(qlm.Enabled(id)) << id;
    EXPECT_TRUE(qlm.Checked(kRealtime));
  }
  {
    // This kind's window style is never applied, so its bar boxes stay
    // enabled in single-document display and can be clicked.
    SCOPED_TRACE("TradePro");
    StandInSession tool("TradePro.exe", UniqueTitle("プロ取引"), Appcfg("IsMDI=0\r\nCOLOR=Night\r\n", 1, -1, 1));
    ASSERT_TRUE(tool.Start());
    Quillmate qlm(Quillmate::OwnIniFor(tool.folder()));
    ASSERT_TRUE(qlm.StartInRealtime()) << qlm.Boxes();
    qlm.Settle();
    EXPECT_EQ(SettledEvents(tool), (std::vector<std::string>{"start", "reload:font", "reload:colour"}));
    EXPECT_TRUE(qlm.Enabled(kToolBar));
    EXPECT_TRUE(qlm.Enabled(kTickerBar));

    qlm.Click(kToolBar);
    qlm.Click(kTickerBar);
    EXPECT_FALSE(qlm.Checked(kToolBar));
    const IniFile config = ReadIni(tool.ConfigPath());
    EXPECT_EQ(config.at("TOOLBAR").at("DOCKING"), "0");
    EXPECT_EQ(config.at("TICKERBAR").at("DOCKING"), "0");
    EXPECT_EQ(config.count("TRBAR"), 0u);
    EXPECT_EQ(SettledEvents(tool), (std::vector<std::string>{"start", "reload:font", "reload:colour"}));
    EXPECT_EQ(tool.Last()["toolbar"], "1");
  }
}

TEST_F(SessionTest, ClosingTheRealtimeQuestionDoesNotEnter) {
  // Entering would add the five missing font slots and reload the tool's font
  // and colours.
  const std::string appcfg = Appcfg("IsMDI=1\r\nCOLOR=Color\\Night.CLR\r\n", 1, 1, 0);
  StandInSession tool("Takumi.exe", UniqueTitle("株トレード"), appcfg);
  ASSERT_TRUE(tool.Start());
  Quillmate qlm(Quillmate::OwnIniFor(tool.folder()));
  ASSERT_TRUE(qlm.Start());
  ASSERT_TRUE(qlm.WaitForMainWindow()) << qlm.Boxes();

  // The close box (a system command), and a plain close request.
  const std::pair<const char*, std::pair<UINT, WPARAM>> closings[] = {
      {"close box", {WM_SYSCOMMAND, SC_CLOSE}}, {"WM_CLOSE", {WM_CLOSE, 0}}};
  for (const auto& [name, message] : closings) {
    SCOPED_TRACE(name);
    qlm.ClickAsync(kRealtime);
    const HWND box = qlm.WaitForBox(kQuestionCaption);
    ASSERT_TRUE(box) << qlm.Boxes();
    ASSERT_TRUE(PostMessageA(box, message.first, message.second, 0));
    ASSERT_TRUE(qlm.WaitForBoxGone(kQuestionCaption)) << qlm.Boxes();
    EXPECT_TRUE(WaitUntil([&] { return !qlm.Checked(kRealtime); }));
    qlm.Settle();
    EXPECT_EQ(test::ReadBytes(tool.ConfigPath()), appcfg);
    EXPECT_EQ(SettledEvents(tool), std::vector<std::string>{"start"});
    EXPECT_TRUE(qlm.Enabled(kToolBar));
  }
  EXPECT_TRUE(qlm.Running());
}

}  // namespace
}  // namespace qlm::e2e
