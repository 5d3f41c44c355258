// The live link on the real desktop (under Wine), against the stand-in tool
// running in a process of its own: finding it, the status line, the bar
// probes of both shapes, its commands and reload notifications, that a
// closed tool's window gets nothing.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "support/scripted_host.h"
#include "platform/win32/window_link_win32.h"
#include "settings/messages.h"
#include "settings/tool_config.h"
#include "standin_session.h"
#include "test_support.h"
#include "toollink/tool_link.h"
#include "toollink/tool_messages.h"
#include "toollink/window_names.h"

namespace qlm {
namespace {

using platform::WindowHandle;
using test::StandInSession;

bool HaveDisplay() { return std::getenv("DISPLAY") != nullptr; }

// Tests run in parallel on one desktop: each tool gets a title of its own.
std::string UniqueTitle(const char* utf8) {
  static int count = 0;
  return test::Sjis(utf8) + " " + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++count);
}

WindowHandle Handle(HWND window) { return reinterpret_cast<WindowHandle>(window); }

// Every tool kind, by the first executable of its row.
std::vector<std::string> KindExecutables() {
  std::vector<std::string> executables;
  for (const ToolTraits& row : kToolKinds)
    if (row.kind != ToolKind::kNone) executables.emplace_back(row.executables[0]);
  return executables;
}

struct Bars {
  bool toolBar = true;
  bool tabBar = true;
  bool tickerBar = true;
};

std::string Appcfg(int mdi, Bars bars, const std::string& colour) {
  return "[GLOBAL]\r\nIsMDI=" + std::to_string(mdi) + "\r\nCOLOR=" + colour + "\r\n" +
         "[TOOLBAR]\r\nDOCKING=" + std::to_string(bars.toolBar) + "\r\n" +
         "[TRBAR]\r\nDOCKING=" + std::to_string(bars.tabBar) + "\r\n" +
         "[TICKERBAR]\r\nDOCKING=" + std::to_string(bars.tickerBar) + "\r\n" +
         "[FONT]\r\nFF0=" + test::Sjis("-12,0,0,0,400,0,0,0,128,3,2,1,50,ＭＳ Ｐゴシック") + "\r\n";
}

class StandInTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HaveDisplay()) GTEST_SKIP() << "needs a display";
  }

  // Installs the tool as executable under a title of its own and lets the
  // link look for it.
  StandInSession& Install(const std::string& executable, const std::string& appcfg) {
    return InstallTitled(executable, appcfg, UniqueTitle("株トレード"));
  }
  StandInSession& InstallTitled(const std::string& executable, const std::string& appcfg, const std::string& title) {
    title_ = title;
    link.SetTool(KindOfExecutable(executable), title_);
    sessions_.push_back(std::make_unique<StandInSession>(executable, title_, appcfg));
    return *sessions_.back();
  }

  std::string Status(int id) const { return title_ + host.Text(id); }

  platform::ScriptedHost host{"QLM.exe"};
  platform::Win32WindowLink windows;
  ToolLink link{windows, host};

 private:
  std::string title_;
  std::vector<std::unique_ptr<StandInSession>> sessions_;
};

// --- Finding the tool and the status line ----------------------------------

TEST_F(StandInTest, StatusLineForBothStylesAndANotRunningTool) {
  StandInSession& sdi = Install("Takumi.exe", Appcfg(0, {}, "Color\\Night.CLR"));
  EXPECT_EQ(link.RefreshToolStatus(), Status(msg::kToolNotRunning));
  EXPECT_EQ(link.toolWindow(), platform::kNoWindow);

  ASSERT_TRUE(sdi.Start());
  EXPECT_EQ(link.RefreshToolStatus(), Status(msg::kToolRunningSdi));
  EXPECT_EQ(link.toolWindow(), Handle(sdi.window()));
  sdi.Close();
  EXPECT_EQ(link.RefreshToolStatus(), Status(msg::kToolNotRunning));

  StandInSession& mdi = Install("HighSpeed.exe", Appcfg(1, {}, "Color\\Night.CLR"));
  ASSERT_TRUE(mdi.Start());
  EXPECT_EQ(link.RefreshToolStatus(), Status(msg::kToolRunningMdi));
  EXPECT_EQ(link.toolWindow(), Handle(mdi.window()));
}

TEST_F(StandInTest, AMinimisedToolIsFoundAndCanBeBroughtBack) {
  StandInSession& tool = Install("JoinvestExpress.exe", Appcfg(1, {}, "Color\\Night.CLR"));
  ASSERT_TRUE(tool.Start({"--minimized"}));
  ASSERT_TRUE(IsIconic(tool.window()));
  EXPECT_EQ(link.RefreshToolStatus(), Status(msg::kToolRunningMdi));
  EXPECT_TRUE(link.IsVisible(link.toolWindow()));

  link.BringToolForward();
  // The tool restores itself when it gets to the request: it is asked without
  // waiting, so that a hung tool cannot hold Quillmate.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (IsIconic(tool.window()) && std::chrono::steady_clock::now() < deadline) Sleep(10);
  EXPECT_FALSE(IsIconic(tool.window()));
  EXPECT_EQ(link.RefreshToolStatus(), Status(msg::kToolRunningMdi));
}

TEST_F(StandInTest, AHiddenMainWindowCountsAsSingleDocumentDisplay) {
  StandInSession& tool = Install("Takumi.exe", Appcfg(1, {}, "Color\\Night.CLR"));
  ASSERT_TRUE(tool.Start({"--hidden"}));
  const toollink::PlainName marker(toollink::WindowName::kMarkerClass);
  ASSERT_TRUE(FindWindowExA(tool.window(), nullptr, marker.c_str(), nullptr));
  EXPECT_EQ(link.RefreshToolStatus(), Status(msg::kToolRunningSdi));
  EXPECT_EQ(link.toolWindow(), Handle(tool.window()));
  EXPECT_FALSE(link.IsMdiDisplay());
}

// With no title in Sys.ini nothing tells the tool's window from any other
// untitled one: even the running tool is not taken for it.
TEST_F(StandInTest, AnEmptyTitleFindsNoToolAndShowsTheMessageAlone) {
  StandInSession& tool = InstallTitled("Takumi.exe", Appcfg(0, {}, "Color\\Night.CLR"), "");
  ASSERT_TRUE(tool.Start());
  ASSERT_EQ(GetWindowTextLengthA(tool.window()), 0);
  EXPECT_EQ(link.RefreshToolStatus(), host.Text(msg::kToolNotRunning));
  EXPECT_EQ(link.toolWindow(), platform::kNoWindow);
}

TEST_F(StandInTest, TheDesktopLinkReadsTitlesAndNeverSearchesTopLevelForAChild) {
  StandInSession& tool = InstallTitled("Takumi.exe", Appcfg(0, {}, "Color\\Night.CLR"), UniqueTitle("ソフト表示"));
  ASSERT_TRUE(tool.Start());
  const WindowHandle main = windows.FindTopLevel(link.toolTitle().c_str());
  EXPECT_EQ(main, Handle(tool.window()));
  EXPECT_EQ(windows.Title(main), link.toolTitle());
  EXPECT_EQ(windows.FindChildByTitle(platform::kNoWindow, link.toolTitle().c_str()), platform::kNoWindow);
  const toollink::PlainName container(toollink::WindowName::kContainerTitle);
  EXPECT_NE(windows.FindChildByTitle(main, container.c_str()), platform::kNoWindow);
  tool.Close();
  EXPECT_FALSE(windows.Exists(main));
  EXPECT_EQ(windows.Title(main), "");
}

// --- Bar probes --------------------------------------------------------------

class StandInBarTest : public StandInTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(StandInBarTest, EachBarProbeReadsTheToolsBar) {
  const std::string executable = GetParam();
  for (const Bars bars : {Bars{true, false, true}, Bars{false, true, false}}) {
    StandInSession& tool = Install(executable, Appcfg(1, bars, "Night"));
    ASSERT_TRUE(tool.Start());
    link.RefreshToolStatus();
    EXPECT_EQ(link.IsBarVisible(config::kToolBar), bars.toolBar) << executable;
    EXPECT_EQ(link.IsBarVisible(config::kTabBar), bars.tabBar) << executable;
    EXPECT_EQ(link.IsBarVisible(config::kTickerBar), bars.tickerBar) << executable;
    tool.Close();
  }
}

// Every bar command toggles its bar and no other, and the probe sees the new
// state as soon as the command returns; the display-style command switches
// the display.
TEST_P(StandInBarTest, EachCommandTogglesItsBarBeforeItReturns) {
  const std::string executable = GetParam();
  const ToolKind kind = KindOfExecutable(executable);
  StandInSession& tool = Install(executable, Appcfg(1, {}, "Night"));
  ASSERT_TRUE(tool.Start());
  link.RefreshToolStatus();

  // The stand-in's name of each bar in its state lines.
  const std::map<std::string, std::string> stateKey = {
      {config::kToolBar, "toolbar"}, {config::kTabBar, "tabbar"}, {config::kTickerBar, "ticker"}};
  std::size_t lines = 1;
  // The bars the kind commands (TradePro has no command for its tab bar).
  for (const config::KeyRow& row : config::kEditedKeys) {
    if (row.control != config::KeyControl::kBarCheckBox || !config::EditedBy(row, kind)) continue;
    const char* bar = row.section;
    const int id = BarCommand(kind, bar);
    link.SendToolCommand(id);
    EXPECT_FALSE(link.IsBarVisible(bar)) << bar;
    ASSERT_EQ(tool.Lines().size(), ++lines);
    test::StateLine last = tool.Last();
    EXPECT_EQ(last["event"], "command:" + std::to_string(id));
    for (const auto& [each, key] : stateKey)
      EXPECT_EQ(last[key], each == bar ? "0" : "1") << bar << " " << key;
    // Set it back for the next bar.
    link.SendToolCommand(id);
    EXPECT_TRUE(link.IsBarVisible(bar)) << bar;
    ++lines;
  }

  link.SendToolCommand(toolmsg::kSwitchDisplayStyle);
  EXPECT_FALSE(link.IsMdiDisplay());
  EXPECT_EQ(tool.Last()["display"], "sdi");
  EXPECT_EQ(link.RefreshToolStatus(), Status(msg::kToolRunningSdi));
  link.SendToolCommand(toolmsg::kSwitchDisplayStyle);
  EXPECT_TRUE(link.IsMdiDisplay());
}

INSTANTIATE_TEST_SUITE_P(EveryKind, StandInBarTest, ::testing::ValuesIn(KindExecutables()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           return info.param.substr(0, info.param.find('.'));
                         });

// --- Reload notifications ------------------------------------------------------

TEST_F(StandInTest, NotificationsMakeTheToolRereadColourAndFont) {
  for (const std::string& executable : KindExecutables()) {
    const bool bare = TraitsOf(KindOfExecutable(executable)).bareColourName;
    const std::string night = bare ? "Night" : "Color\\Night.CLR";
    const std::string paper = bare ? "Paper" : "Color\\Paper.CLR";
    StandInSession& tool = Install(executable, Appcfg(1, {}, night));
    ASSERT_TRUE(tool.Start());
    link.RefreshToolStatus();
    ASSERT_EQ(tool.Last()["colour"], night);

    // Both values change in the file; each notification reloads only its own.
    const ToolConfig config(host, tool.folder());
    config.WriteString("GLOBAL", "COLOR", paper);
    const std::string gothic = test::Sjis("-16,0,0,0,700,0,0,0,128,3,2,1,49,ＭＳ ゴシック");
    config.WriteString("FONT", "FF0", gothic);

    link.NotifyColourChanged();
    ASSERT_TRUE(tool.WaitForLines(2));
    test::StateLine last = tool.Last();
    EXPECT_EQ(last["event"], "reload:colour");
    EXPECT_EQ(last["colour"], paper);
    EXPECT_EQ(last["font"], test::Sjis("-12,0,0,0,400,0,0,0,128,3,2,1,50,ＭＳ Ｐゴシック"));

    link.NotifyFontChanged();
    ASSERT_TRUE(tool.WaitForLines(3));
    last = tool.Last();
    EXPECT_EQ(last["event"], "reload:font");
    EXPECT_EQ(last["font"], gothic);
    tool.Close();
  }
}

// --- A closed tool -------------------------------------------------------------

TEST_F(StandInTest, NothingReachesAToolThatClosedButItsSuccessorIsReached) {
  const std::string title = UniqueTitle("株トレード");
  StandInSession& first = InstallTitled("Takumi.exe", Appcfg(1, {}, "Color\\Night.CLR"), title);
  ASSERT_TRUE(first.Start());
  link.RefreshToolStatus();
  const WindowHandle closed = link.toolWindow();
  first.Close();
  const std::size_t firstLines = first.Lines().size();
  // The desktop reads messages to a window that has gone as such.
  EXPECT_EQ(windows.Send(closed, toolmsg::kNothing, 0, 0), platform::Delivery::kGone);
  EXPECT_EQ(windows.Post(closed, toolmsg::kNothing, 0, 0), platform::Delivery::kGone);

  // Started again under the same title: a new window, found by its title
  // without waiting for the status line's next look.
  StandInSession& second = InstallTitled("Takumi.exe", Appcfg(1, {}, "Color\\Night.CLR"), title);
  ASSERT_TRUE(second.Start());
  ASSERT_NE(Handle(second.window()), link.toolWindow());
  EXPECT_TRUE(link.SendToolCommand(toolmsg::kToggleToolBar));
  EXPECT_TRUE(link.NotifyColourChanged());
  EXPECT_TRUE(link.NotifyFontChanged());
  EXPECT_TRUE(second.WaitForLines(4));
  EXPECT_EQ(link.toolWindow(), Handle(second.window()));
  EXPECT_EQ(first.Lines().size(), firstLines);
  EXPECT_TRUE(host.notices().empty());
  // A program of this prefix runs with the same rights as this one.
  EXPECT_NE(windows.OwnerRights(Handle(second.window())), platform::Rights::kHigher);
  EXPECT_FALSE(link.RunsWithHigherRights());
}

}  // namespace
}  // namespace qlm
