// The tool's window names from [ToolWindows] of QLM.INI, against the stand-in
// started under other names: real-time mode misreads it without the section
// and drives it correctly with it; and "QLM.exe /list-tool-windows" writes
// its window tree and ends without showing a window.
#include <cstring>

#include "qlm_driver.h"
#include "standin_session.h"

namespace qlm::e2e {
namespace {

using namespace ui;
using test::StandInSession;

std::vector<std::string> EventsAfterStart(const StandInSession& tool) {
  std::vector<std::string> events;
  const auto lines = tool.Lines();
  for (std::size_t i = 1; i < lines.size(); ++i) events.push_back(lines[i].at("event"));
  return events;
}

using ToolWindowsTest = DesktopTest;

// Without the section none of the tool's inner windows is found and its
// shape is unknown. With it, entering real-time mode finds the tool
// already matching and sends nothing but the reloads.
TEST_F(ToolWindowsTest, RealtimeDrivesARenamedToolOnlyOnceQlmIniNamesItsWindows) {
  for (const bool named : {false, true}) {
    const std::string title = UniqueTitle("株トレード");
    StandInSession tool("HighSpeed.exe", title, kFullAppcfg);
    ASSERT_TRUE(tool.Start(test::OtherNameSwitches()));
    Quillmate qlm(Quillmate::OwnIniFor(tool.folder(), named ? test::OtherNamesSection() : ""));
    ASSERT_TRUE(qlm.Start());
    ASSERT_TRUE(qlm.WaitForMainWindow()) << qlm.Boxes();
    EXPECT_EQ(qlm.Text(kStatusBar), title + S(named ? " 起動中。MDI表示。" : " 起動中。画面構成が不明です。"));

    if (!named) continue;
    ASSERT_TRUE(qlm.EnterRealtime()) << qlm.Boxes();
    EXPECT_TRUE(tool.WaitForLines(3)) << ::testing::PrintToString(EventsAfterStart(tool));
    EXPECT_EQ(EventsAfterStart(tool), (std::vector<std::string>{"reload:font", "reload:colour"}));
    qlm.Click(kTabBar);
    ASSERT_TRUE(tool.WaitForLines(4));
    EXPECT_EQ(tool.Last()["event"], "command:40601");
    EXPECT_EQ(tool.Last()["tabbar"], "0");
    EXPECT_EQ(tool.Last()["display"], "mdi");
  }
}

TEST_F(ToolWindowsTest, TheListSwitchWritesTheTreeAndEndsWithoutAWindow) {
  const std::string title = UniqueTitle("株トレード");
  StandInSession tool("HighSpeed.exe", title, kFullAppcfg);
  ASSERT_TRUE(tool.Start(test::OtherNameSwitches()));
  SendMessageA(tool.window(), WM_COMMAND, 40601, 0);  // hides the tab bar
  const std::string ownIni = Quillmate::OwnIniFor(tool.folder(), test::OtherNamesSection());
  Quillmate qlm(ownIni);
  ASSERT_TRUE(qlm.Start("/list-tool-windows"));
  bool shown = false;
  ASSERT_TRUE(WaitUntil([&] {
    shown = shown || qlm.ShowsAWindow();
    return !qlm.Running();
  })) << qlm.Boxes();
  EXPECT_FALSE(shown);
  EXPECT_EQ(qlm.ExitCode(), 0u);
  EXPECT_EQ(test::ReadBytes(qlm.OwnIniPath()), ownIni);

  std::string list = qlm.OwnIniPath();
  list = test::ReadBytes(list.replace(list.size() - std::strlen("QLM.INI"), std::string::npos, "QLM-ToolWindows.txt"));
  const std::string frame = "    class=\"QlmStandInFrame\" title=\"";
  const std::string bar = "        class=\"QlmStandInBar\" title=\"";
  for (const std::string& line : {
           title + S(" 起動中。MDI表示。"),
           "class=\"QlmStandInMain\" title=\"" + title + "\" visible",
           frame + "Holder\" visible <- ContainerTitle",
           bar + "Buttons\" visible <- ToolBarTitleB",
           bar + S("タブ列") + "\" hidden <- TabBarTitle",
           frame + "Quotes\" visible <- TickerTitleB",
           bar + "Quotes\" visible <- TickerTitleB",
           std::string("    class=\"OtherDoc\" title=\"multi-document display\" visible <- MarkerClass"),
       })
    EXPECT_NE(list.find(line + "\r\n"), std::string::npos) << line << "\n" << list;
}

}  // namespace
}  // namespace qlm::e2e
