// Real-time mode against the running stand-in tool: refused when the tool is
// not running, declined at the question, and once entered every change is
// written at once and reaches the tool as a menu command or a reload
// notification (seen in the stand-in's state file).
#include "qlm_driver.h"
#include "standin_session.h"

namespace qlm::e2e {
namespace {

using namespace ui;
using test::StandInSession;
using test::StateLine;

const std::string kFont = "FF0=" + S("-12,0,0,0,400,0,0,0,128,3,2,1,50,ＭＳ Ｐゴシック") + "\r\n";

std::string Appcfg(const std::string& global, int toolBar, int tabBar, int ticker) {
  std::string text = "[GLOBAL]\r\n" + global + "[TOOLBAR]\r\nDOCKING=" + std::to_string(toolBar) + "\r\n";
  if (tabBar >= 0) text += "[TRBAR]\r\nDOCKING=" + std::to_string(tabBar) + "\r\n";
  return text + "[TICKERBAR]\r\nDOCKING=" + std::to_string(ticker) + "\r\n[FONT]\r\n" + kFont;
}

// Field index of a comma-separated font record.
std::string Field(const std::string& record, int index) {
  std::size_t start = 0;
  for (int i = 0; i < index && start != std::string::npos; ++i) {
    start = record.find(',', start);
    if (start != std::string::npos) ++start;
  }
  if (start == std::string::npos) return "<none>";
  return record.substr(start, record.find(',', start) - start);
}

std::vector<std::string> Events(const std::vector<StateLine>& lines, std::size_t from = 0) {
  std::vector<std::string> events;
  for (std::size_t i = from; i < lines.size(); ++i) events.push_back(lines[i].at("event"));
  return events;
}

class RealtimeTest : public DesktopTest {
 protected:
  // Waits until the tool has recorded count lines.
  static void ExpectLines(const StandInSession& tool, std::size_t count) {
    EXPECT_TRUE(tool.WaitForLines(count)) << "lines so far: " << ::testing::PrintToString(Events(tool.Lines()));
  }

  // Starts the stand-in (given switches), then Quillmate on its folder, and
  // enters real-time mode. fileMeanwhile, when given, replaces Appcfg.ini
  // between the two starts, so that the file differs from the running tool.
  // The tool has then recorded at least its start and the two reloads.
  void StartInRealtime(StandInSession& tool, Quillmate& qlm, const std::string& fileMeanwhile = "",
                       const std::vector<std::string>& switches = {}) {
    ASSERT_TRUE(tool.Start(switches));
    if (!fileMeanwhile.empty()) test::WriteBytes(tool.ConfigPath(), fileMeanwhile);
    ASSERT_TRUE(qlm.StartInRealtime()) << qlm.Boxes();
    ExpectLines(tool, 3);
  }
};

TEST_F(RealtimeTest, RefusedWhileTheToolIsNotRunning) {
  const std::string appcfg = Appcfg("IsMDI=1\r\nCOLOR=Color\\Night.CLR\r\n", 1, 1, 1);
  ToolInstallation tool({"Takumi.exe", UniqueTitle("止まったツール"), appcfg});
  Quillmate qlm(Quillmate::OwnIniFor(tool.folder()));
  ASSERT_TRUE(qlm.Start());
  ASSERT_TRUE(qlm.WaitForMainWindow()) << qlm.Boxes();

  qlm.ExpectRealtimeRefused();
  EXPECT_EQ(test::ReadBytes(tool.ConfigPath()), appcfg);
}

TEST_F(RealtimeTest, DeclinedQuestionChangesNothing) {
  const std::string appcfg = Appcfg("IsMDI=1\r\nCOLOR=Color\\Night.CLR\r\n", 1, 1, 0);
  const std::string title = UniqueTitle("株トレード");
  StandInSession tool("Takumi.exe", title, appcfg);
  ASSERT_TRUE(tool.Start());
  Quillmate qlm(Quillmate::OwnIniFor(tool.folder()));
  ASSERT_TRUE(qlm.Start());
  ASSERT_TRUE(qlm.WaitForMainWindow()) << qlm.Boxes();
  EXPECT_EQ(qlm.Text(kStatusBar), title + S(" 起動中。MDI表示。"));

  EXPECT_FALSE(qlm.EnterRealtime(IDNO));
  EXPECT_EQ(test::ReadBytes(tool.ConfigPath()), appcfg);
  EXPECT_EQ(Events(tool.Lines()), std::vector<std::string>{"start"});
}

TEST_F(RealtimeTest, ChangesReachTheRunningTool) {
  const std::string title = UniqueTitle("株トレード");
  StandInSession tool("Takumi.exe", title, Appcfg("IsMDI=1\r\nCOLOR=Color\\Night.CLR\r\n", 1, 1, 1));
  Quillmate qlm(Quillmate::OwnIniFor(tool.folder()));
  // The file says the ticker bar is hidden while the running tool shows it.
  // Entering applies everything: only the ticker bar differs from the tool.
  ASSERT_NO_FATAL_FAILURE(
      StartInRealtime(tool, qlm, Appcfg("IsMDI=1\r\nCOLOR=Color\\Night.CLR\r\n", 1, 1, 0)));
  ExpectLines(tool, 4);
  auto lines = tool.Lines();
  EXPECT_EQ(Events(lines, 1), (std::vector<std::string>{"command:40602", "reload:font", "reload:colour"}));
  EXPECT_EQ(tool.Last()["ticker"], "0");
  EXPECT_EQ(tool.Last()["toolbar"], "1");
  EXPECT_EQ(tool.Last()["colour"], "Color\\Night.CLR");
  IniFile config = ReadIni(tool.ConfigPath());
  EXPECT_EQ(config["GLOBAL"]["IsMDI"], "1");
  EXPECT_EQ(config["TICKERBAR"]["DOCKING"], "0");
  EXPECT_EQ(config["FONT"].size(), 6u) << "all six font slots";
  EXPECT_EQ(tool.Last()["font"], config["FONT"]["FF0"]);

  qlm.Click(kToolBar);
  ExpectLines(tool, 5);
  EXPECT_EQ(tool.Last()["event"], "command:40600");
  EXPECT_EQ(tool.Last()["toolbar"], "0");
  EXPECT_EQ(ReadIni(tool.ConfigPath())["TOOLBAR"]["DOCKING"], "0");

  // Single-document display: the bars cannot be set there.
  qlm.Click(kWindowStyleSdi);
  ExpectLines(tool, 6);
  EXPECT_EQ(tool.Last()["event"], "command:40603");
  EXPECT_EQ(tool.Last()["display"], "sdi");
  EXPECT_EQ(ReadIni(tool.ConfigPath())["GLOBAL"]["IsMDI"], "0");
  EXPECT_EQ(qlm.Text(kStatusBar), title + S(" 起動中。SDI表示。"));
  for (const int id : {kToolBar, kTabBar, kTickerBar}) EXPECT_FALSE(qlm.Enabled(id)) << id;

  // And back: the bars are enabled and the tool keeps the bars as checked.
  qlm.Click(kWindowStyleMdi);
  ExpectLines(tool, 7);
  lines = tool.Lines();
  EXPECT_EQ(lines[6].at("event"), "command:40603");
  EXPECT_EQ(tool.Last()["display"], "mdi");
  EXPECT_EQ(tool.Last()["toolbar"], "0");
  EXPECT_EQ(tool.Last()["tabbar"], "1");
  EXPECT_EQ(tool.Last()["ticker"], "0");
  EXPECT_EQ(qlm.Text(kStatusBar), title + S(" 起動中。MDI表示。"));
  for (const int id : {kToolBar, kTabBar, kTickerBar}) EXPECT_TRUE(qlm.Enabled(id)) << id;

  const std::size_t before = tool.Lines().size();
  qlm.Choose(kColourFiles, "Paper.CLR");
  ExpectLines(tool, before + 1);
  EXPECT_EQ(tool.Last()["event"], "reload:colour");
  EXPECT_EQ(tool.Last()["colour"], "Color\\Paper.CLR");

  qlm.Choose(kFontStyle, S("太字"));
  ExpectLines(tool, before + 2);
  EXPECT_EQ(tool.Last()["event"], "reload:font");
  const std::string record = ReadIni(tool.ConfigPath())["FONT"]["FF0"];
  EXPECT_EQ(tool.Last()["font"], record);
  EXPECT_EQ(Field(record, 4), "700") << record;
}

TEST_F(RealtimeTest, SizeArrowRewritesTheSlotsAndReloadsTheToolsFont) {
  StandInSession tool("HighSpeed.exe", UniqueTitle("株トレード"),
                      Appcfg("IsMDI=0\r\nCOLOR=Color\\Paper.CLR\r\n", 1, 1, 1));
  Quillmate qlm(Quillmate::OwnIniFor(tool.folder()));
  ASSERT_NO_FATAL_FAILURE(StartInRealtime(tool, qlm));

  qlm.ClickArrow(true);
  EXPECT_EQ(qlm.Text(kFontSize), "10");
  ExpectLines(tool, 4);
  EXPECT_EQ(tool.Last()["event"], "reload:font");
  const IniFile config = ReadIni(tool.ConfigPath());
  const std::map<std::string, std::string>& slots = config.at("FONT");
  const char* heights[] = {"-13", "-13", "-15", "-15", "-12", "-12"};
  for (int i = 0; i < 6; ++i) {
    const std::string slot = slots.count("FF" + std::to_string(i)) ? slots.at("FF" + std::to_string(i)) : "";
    EXPECT_EQ(Field(slot, 0), heights[i]) << "FF" << i << "=" << slot;
  }
  EXPECT_EQ(tool.Last()["font"], slots.at("FF0"));

  // OK writes everything once more and tells the tool nothing.
  qlm.ClickAsync(kOk);
  ASSERT_TRUE(qlm.WaitForExit()) << qlm.Boxes();
  EXPECT_EQ(ReadIni(tool.ConfigPath()), config);
  EXPECT_EQ(tool.Lines().size(), 4u) << ::testing::PrintToString(Events(tool.Lines()));
}

TEST_F(RealtimeTest, TradeProTickerBarHasItsOwnCommand) {
  StandInSession tool("TradePro.exe", UniqueTitle("プロ取引"), Appcfg("IsMDI=1\r\nCOLOR=Night\r\n", 1, -1, 1));
  Quillmate qlm(Quillmate::OwnIniFor(tool.folder()));
  ASSERT_NO_FATAL_FAILURE(StartInRealtime(tool, qlm, Appcfg("IsMDI=1\r\nCOLOR=Night\r\n", 1, -1, 0)));
  ExpectLines(tool, 4);
  EXPECT_EQ(Events(tool.Lines(), 1), (std::vector<std::string>{"command:40601", "reload:font", "reload:colour"}));
  EXPECT_EQ(tool.Last()["ticker"], "0");
  EXPECT_EQ(tool.Last()["colour"], "Night");
  // Neither the display style nor the tab bar is touched for this tool.
  const IniFile config = ReadIni(tool.ConfigPath());
  EXPECT_EQ(config.count("TRBAR"), 0u);
  EXPECT_EQ(config.at("GLOBAL").at("COLOR"), "Night");
}

// A tool whose inner windows carry names Quillmate does not know (none set in
// [ToolWindows]): entering real-time mode and clicking a bar send it no
// command, only the reload notifications, and the status line says why.
TEST_F(RealtimeTest, AToolWithUnknownInnerWindowsGetsNoCommand) {
  const std::string title = UniqueTitle("株トレード");
  StandInSession tool("Takumi.exe", title, Appcfg("IsMDI=1\r\nCOLOR=Color\\Night.CLR\r\n", 1, 1, 1));
  Quillmate qlm(Quillmate::OwnIniFor(tool.folder()));
  // The file differs from the running tool in a bar.
  ASSERT_NO_FATAL_FAILURE(StartInRealtime(tool, qlm, Appcfg("IsMDI=1\r\nCOLOR=Color\\Night.CLR\r\n", 1, 0, 1),
                                          test::OtherNameSwitches()));
  EXPECT_EQ(qlm.Text(kStatusBar), title + S(" 起動中。画面構成が不明です。"));
  qlm.Click(kToolBar);
  EXPECT_EQ(ReadIni(tool.ConfigPath())["TOOLBAR"]["DOCKING"], "0");
  qlm.Choose(kFontStyle, S("太字"));
  ExpectLines(tool, 4);
  EXPECT_EQ(Events(tool.Lines(), 1), (std::vector<std::string>{"reload:font", "reload:colour", "reload:font"}));
  EXPECT_EQ(tool.Last()["display"], "mdi");
  EXPECT_EQ(tool.Last()["toolbar"], "1");
  EXPECT_EQ(tool.Last()["tabbar"], "1");
}

}  // namespace
}  // namespace qlm::e2e
