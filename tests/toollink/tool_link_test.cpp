// The live link against fake tool windows: finding the tool, the status line,
// the bar probes of both tool shapes, and what reaches the tool and when.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "settings/messages.h"
#include "settings/tool_config.h"
#include "support/fake_tool.h"
#include "support/scripted_host.h"
#include "support/scripted_windows.h"
#include "test_support.h"
#include "toollink/tool_link.h"
#include "toollink/tool_messages.h"
#include "toollink/window_names.h"

namespace qlm {
namespace {

using platform::kNoWindow;
using platform::ScriptedWindows;
using platform::WindowHandle;
using toollink::PlainName;
using toollink::WindowName;

std::string Name(WindowName name) { return PlainName(name).c_str(); }

using test::FakeTool;

class ToolLinkTest : public ::testing::Test {
 protected:
  ToolLinkTest() { link.SetTool(ToolKind::kOther, title); }

  std::string Status(int id) const { return host.Text(id); }

  const std::string title = test::Sjis("匠 テスト");
  platform::ScriptedHost host{"C:\\QLM\\QLM.exe"};
  ScriptedWindows windows;
  ToolLink link{windows, host};
};

// --- Finding the tool and the status line ----------------------------------

TEST_F(ToolLinkTest, StatusLineTellsWhetherTheToolRunsAndInWhichStyle) {
  const std::string notRunning = test::Sjis(" プログラムは起動してません。");
  const std::string sdi = test::Sjis(" 起動中。SDI表示。");
  const std::string mdi = test::Sjis(" 起動中。MDI表示。");

  EXPECT_EQ(link.RefreshToolStatus(), title + notRunning);
  EXPECT_EQ(link.toolWindow(), kNoWindow);

  FakeTool tool(windows, ToolKind::kOther, title);
  EXPECT_EQ(link.RefreshToolStatus(), title + sdi);
  EXPECT_EQ(link.toolWindow(), tool.main);

  tool.ShowDocumentsAsMdi(true);
  EXPECT_EQ(link.RefreshToolStatus(), title + mdi);

  // Minimising keeps the visible bit: still found, still MDI.
  windows.SetMinimised(tool.main, true);
  EXPECT_EQ(link.RefreshToolStatus(), title + mdi);

  // A hidden main window counts as SDI whatever its children.
  windows.SetVisible(tool.main, false);
  EXPECT_EQ(link.RefreshToolStatus(), title + sdi);
  EXPECT_EQ(link.toolWindow(), tool.main);

  windows.Destroy(tool.main);
  EXPECT_EQ(link.RefreshToolStatus(), title + notRunning);
  EXPECT_EQ(link.toolWindow(), kNoWindow);
}

TEST_F(ToolLinkTest, AnEmptyTitleFindsNoToolAndNothingIsDriven) {
  link.SetTool(ToolKind::kOther, "");
  windows.Create(kNoWindow, "Titled", "Something");
  const WindowHandle untitled = windows.Create(kNoWindow, "Untitled", "");
  windows.SetMinimised(untitled, true);
  EXPECT_EQ(link.RefreshToolStatus(), Status(msg::kToolNotRunning));
  EXPECT_EQ(link.toolWindow(), kNoWindow);
  EXPECT_FALSE(link.IsMdiDisplay());
  link.SendToolCommand(toolmsg::kToggleToolBar);
  link.NotifyFontChanged();
  link.BringToolForward();
  EXPECT_TRUE(windows.messages().empty());
  EXPECT_EQ(windows.restoreCount(), 0);
  EXPECT_EQ(windows.foreground(), kNoWindow);
}

TEST_F(ToolLinkTest, MdiProbeLooksAtTheToolRunningNowNotAtTheStoredWindow) {
  // Not running at the last refresh, started since.
  link.RefreshToolStatus();
  windows.Create(kNoWindow, Name(WindowName::kMarkerClass), "stray top-level window of the marker class");
  EXPECT_FALSE(link.IsMdiDisplay());
  FakeTool tool(windows, ToolKind::kOther, title);
  EXPECT_FALSE(link.IsMdiDisplay());
  tool.ShowDocumentsAsMdi(true);
  EXPECT_TRUE(link.IsMdiDisplay());

  // Closed and started again: the stored handle is stale, the answer is not.
  link.RefreshToolStatus();
  windows.Destroy(tool.main);
  FakeTool again(windows, ToolKind::kOther, title);
  again.ShowDocumentsAsMdi(true);
  EXPECT_TRUE(link.IsMdiDisplay());
}

TEST_F(ToolLinkTest, AToolThatDoesNotRespondIsGivenUpAndSaidSo) {
  FakeTool tool(windows, ToolKind::kOther, title);
  std::vector<std::string> told;
  link.statusChanged = [&told](const std::string& status) { told.push_back(status); };
  link.RefreshToolStatus();
  windows.SetHung(tool.main, true);
  link.SendToolCommand(toolmsg::kToggleToolBar);
  EXPECT_EQ(windows.unansweredMessages(), 1);
  // More commands of the same action wait only for a brief question each,
  // and none piles up in its queue.
  link.SendToolCommand(toolmsg::kToggleTabBar);
  link.SendToolCommand(toolmsg::kToggleTickerBar);
  EXPECT_EQ(windows.waitedMs(), platform::kSendPatienceMs + 2 * platform::kBriefPatienceMs);
  EXPECT_TRUE(windows.messages().empty());
  const std::string notResponding = title + test::Sjis(" 応答がありません。");
  EXPECT_EQ(told, std::vector<std::string>(3, notResponding));
  EXPECT_EQ(link.RefreshToolStatus(), notResponding);
  EXPECT_EQ(link.toolWindow(), tool.main);

  // Once it answers again, it is running as before.
  windows.SetHung(tool.main, false);
  EXPECT_EQ(link.RefreshToolStatus(), title + Status(msg::kToolRunningSdi));
  link.SendToolCommand(toolmsg::kToggleToolBar);
  EXPECT_EQ(windows.messages().back().wParam, static_cast<std::uintptr_t>(toolmsg::kToggleToolBar));
  EXPECT_EQ(told.size(), 3u);
}

TEST_F(ToolLinkTest, OnlyADirectChildOfTheMarkerClassMeansMdi) {
  FakeTool tool(windows, ToolKind::kOther, title);
  windows.Create(tool.container, Name(WindowName::kMarkerClass), "");
  windows.Create(tool.main, "Other", Name(WindowName::kMarkerClass));  // the name as a title
  EXPECT_FALSE(link.IsMdiDisplay());
}

// --- Bar probes --------------------------------------------------------------

struct BarCase {
  ToolKind kind;
  const char* bar;
};

void PrintTo(const BarCase& barCase, std::ostream* out) {
  *out << (barCase.kind == ToolKind::kTradePro ? "TradePro " : "other ") << barCase.bar;
}

class BarProbeTest : public ToolLinkTest, public ::testing::WithParamInterface<BarCase> {};

WindowHandle BarOf(const FakeTool& tool, const std::string& bar) {
  if (bar == config::kToolBar) return tool.toolBar;
  if (bar == config::kTabBar) return tool.tabBar;
  return tool.tickerBar;
}

// The child of the main window that holds the bar.
WindowHandle HolderOf(const FakeTool& tool, const std::string& bar) {
  if (bar == config::kTickerBar) return tool.tickerFrame;
  if (bar == config::kToolBar && tool.toolBarFrame != kNoWindow) return tool.toolBarFrame;
  return tool.container;
}

// Hiding one bar's window shows in its probe and in no other; the frames
// around the bars stay visible and do not count.
TEST_P(BarProbeTest, EachBarIsProbedInItsOwnWindow) {
  const auto [kind, bar] = GetParam();
  link.SetTool(kind, title);
  FakeTool tool(windows, kind, title);
  link.RefreshToolStatus();
  const char* bars[] = {config::kToolBar, config::kTabBar, config::kTickerBar};
  for (const char* each : bars) EXPECT_TRUE(link.IsBarVisible(each)) << each;

  windows.SetVisible(BarOf(tool, bar), false);
  for (const char* each : bars) EXPECT_EQ(link.IsBarVisible(each), std::string(each) != bar) << each;

  // A hidden frame with the bar still flagged visible: the bar's flag decides.
  windows.SetVisible(BarOf(tool, bar), true);
  windows.SetVisible(tool.container, false);
  if (tool.toolBarFrame != kNoWindow) windows.SetVisible(tool.toolBarFrame, false);
  windows.SetVisible(tool.tickerFrame, false);
  EXPECT_TRUE(link.IsBarVisible(bar));

  // Without the window that holds it, the bar is not there.
  windows.Destroy(HolderOf(tool, bar));
  EXPECT_FALSE(link.IsBarVisible(bar));
}

INSTANTIATE_TEST_SUITE_P(BothShapes, BarProbeTest,
                         ::testing::Values(BarCase{ToolKind::kTradePro, config::kToolBar},
                                           BarCase{ToolKind::kTradePro, config::kTabBar},
                                           BarCase{ToolKind::kTradePro, config::kTickerBar},
                                           BarCase{ToolKind::kOther, config::kToolBar},
                                           BarCase{ToolKind::kOther, config::kTabBar},
                                           BarCase{ToolKind::kOther, config::kTickerBar}),
                         [](const ::testing::TestParamInfo<BarCase>& info) {
                           return std::string(info.param.kind == ToolKind::kTradePro ? "TradePro_" : "Other_") +
                                  info.param.bar;
                         });

// Each kind looks only where its own bars are: the other shape's bars, shown,
// in the same tool change nothing while its own are hidden.
TEST_F(ToolLinkTest, EachKindIgnoresTheOtherShapesBars) {
  for (const ToolKind kind : {ToolKind::kTradePro, ToolKind::kOther}) {
    ScriptedWindows tree;
    ToolLink probe(tree, host);
    probe.SetTool(kind, title);
    FakeTool tool(tree, kind, title);
    tree.SetVisible(tool.toolBar, false);
    tree.SetVisible(tool.tickerBar, false);
    auto nested = [&](WindowName name) {
      tree.Create(tree.Create(tool.main, "Frame", Name(name)), "Bar", Name(name));
    };
    if (kind == ToolKind::kTradePro) {
      tree.Create(tool.container, "Bar", Name(WindowName::kToolBarTitleB));
      nested(WindowName::kTickerTitleB);
    } else {
      nested(WindowName::kToolBarTitleA);
      nested(WindowName::kTickerTitleA);
    }
    probe.RefreshToolStatus();
    EXPECT_FALSE(probe.IsBarVisible(config::kToolBar)) << static_cast<int>(kind);
    EXPECT_FALSE(probe.IsBarVisible(config::kTickerBar)) << static_cast<int>(kind);
  }
}

TEST_F(ToolLinkTest, UnknownBarsAndAToolNotRunningReadAsHidden) {
  FakeTool tool(windows, ToolKind::kOther, title);
  link.RefreshToolStatus();
  EXPECT_FALSE(link.IsBarVisible("DOCKING"));
  EXPECT_FALSE(link.IsBarVisible("toolbar"));
  EXPECT_FALSE(link.IsBarVisible(""));

  windows.Destroy(tool.main);
  EXPECT_FALSE(link.IsBarVisible(config::kToolBar));
  link.RefreshToolStatus();
  EXPECT_FALSE(link.IsBarVisible(config::kTabBar));
}

TEST_F(ToolLinkTest, BarCommandsDependOnTheKindOnlyForTheTickerBar) {
  EXPECT_EQ(BarCommand(ToolKind::kOther, "TOOLBAR"), 40600);
  EXPECT_EQ(BarCommand(ToolKind::kOther, "TRBAR"), 40601);
  EXPECT_EQ(BarCommand(ToolKind::kOther, "TICKERBAR"), 40602);
  EXPECT_EQ(BarCommand(ToolKind::kTradePro, "TOOLBAR"), 40600);
  EXPECT_EQ(BarCommand(ToolKind::kTradePro, "TRBAR"), 40601);
  EXPECT_EQ(BarCommand(ToolKind::kTradePro, "TICKERBAR"), 40601);
  EXPECT_EQ(BarCommand(ToolKind::kOther, "FONT"), 0);
  EXPECT_EQ(toolmsg::kSwitchDisplayStyle, 40603);
}

// --- Commands and notifications ---------------------------------------------

TEST_F(ToolLinkTest, CommandsAreSentAndHandledBeforeTheNextProbe) {
  FakeTool tool(windows, ToolKind::kOther, title);
  windows.OnMessage(tool.main, [&](const ScriptedWindows::Message& message) {
    if (message.message == 0x0111 && message.wParam == 40600)
      windows.SetVisible(tool.toolBar, !windows.HasVisibleStyle(tool.toolBar));
    if (message.message == 0x0111 && message.wParam == 40603) tool.ShowDocumentsAsMdi(tool.marker == kNoWindow);
  });
  link.RefreshToolStatus();

  link.SendToolCommand(BarCommand(ToolKind::kOther, config::kToolBar));
  EXPECT_FALSE(link.IsBarVisible(config::kToolBar));
  link.SendToolCommand(toolmsg::kSwitchDisplayStyle);
  EXPECT_TRUE(link.IsMdiDisplay());

  const std::vector<ScriptedWindows::Message> expected = {{tool.main, 0x0111, 40600, 0, true},
                                                          {tool.main, 0x0111, 40603, 0, true}};
  EXPECT_EQ(windows.messages(), expected);
}

TEST_F(ToolLinkTest, ReloadNotificationsArePosted) {
  FakeTool tool(windows, ToolKind::kTradePro, title);
  link.RefreshToolStatus();
  link.NotifyColourChanged();
  link.NotifyFontChanged();
  const std::vector<ScriptedWindows::Message> expected = {{tool.main, 1174, 101, 1234312, false},
                                                          {tool.main, 1174, 102, 0, false}};
  EXPECT_EQ(windows.messages(), expected);
}

// Everything aimed at the tool, each in a way a test can check it arrived.
struct Action {
  const char* name;
  std::function<bool(ToolLink&)> send;
  unsigned message;
};

const std::vector<Action>& Actions() {
  static const std::vector<Action> actions = {
      {"bar command", [](ToolLink& link) { return link.SendToolCommand(toolmsg::kToggleToolBar); }, toolmsg::kCommand},
      {"style command", [](ToolLink& link) { return link.SendToolCommand(toolmsg::kSwitchDisplayStyle); },
       toolmsg::kCommand},
      {"colour notice", [](ToolLink& link) { return link.NotifyColourChanged(); }, toolmsg::kReload},
      {"font notice", [](ToolLink& link) { return link.NotifyFontChanged(); }, toolmsg::kReload},
  };
  return actions;
}

// Everything aimed at the tool, tried while its stored window is not the tool.
void SendEverything(ToolLink& link) {
  for (const Action& action : Actions()) action.send(link);
  link.BringToolForward();
}

TEST_F(ToolLinkTest, TheToolIsFoundByItsTitleAndNothingIsSentAfterItClosed) {
  FakeTool tool(windows, ToolKind::kOther, title);
  SendEverything(link);  // no refresh yet: looked up by the title
  EXPECT_EQ(windows.messages().size(), 4u);
  EXPECT_EQ(windows.foreground(), tool.main);
  link.RefreshToolStatus();
  windows.Destroy(tool.main);
  const std::size_t before = windows.messages().size();
  SendEverything(link);
  EXPECT_EQ(windows.messages().size(), before);
  EXPECT_EQ(windows.lostMessages(), 0);
  EXPECT_TRUE(host.notices().empty());
}

TEST_F(ToolLinkTest, AWindowThatGotTheClosedToolsHandleGetsNothing) {
  FakeTool tool(windows, ToolKind::kOther, title);
  link.RefreshToolStatus();
  const WindowHandle handle = tool.main;
  windows.Destroy(handle);
  const WindowHandle stranger = windows.CreateWithHandle(handle, kNoWindow, "Editor", "Untitled - Editor");
  // Give the stranger children named like the tool's: still not the tool.
  const WindowHandle dock = windows.Create(stranger, "Frame", Name(WindowName::kContainerTitle));
  windows.Create(dock, "Bar", Name(WindowName::kToolBarTitleB));
  windows.Create(stranger, Name(WindowName::kMarkerClass), "");

  SendEverything(link);
  EXPECT_TRUE(windows.messages().empty());
  EXPECT_FALSE(link.IsBarVisible(config::kToolBar));
  EXPECT_FALSE(link.IsMdiDisplay());
  EXPECT_TRUE(host.notices().empty());
}

TEST_F(ToolLinkTest, NothingIsSentOnceTheMainWindowsTitleChanged) {
  FakeTool tool(windows, ToolKind::kOther, title);
  link.RefreshToolStatus();
  windows.SetTitle(tool.main, title + "x");
  SendEverything(link);
  EXPECT_TRUE(windows.messages().empty());

  // The same title again, under the same handle, is the tool.
  windows.SetTitle(tool.main, title);
  link.NotifyFontChanged();
  EXPECT_EQ(windows.messages().size(), 1u);
}

// --- The tool restarted, its shape unknown, messages that do not arrive -----

// Closed and started again: a new window under the same title gets what the
// old one would have, whether or not the status line looked in between.
TEST_F(ToolLinkTest, EachMessageReachesTheToolStartedAgain) {
  for (const bool refreshedBetween : {false, true}) {
    for (const Action& action : Actions()) {
      SCOPED_TRACE(std::string(action.name) + (refreshedBetween ? ", looked between" : ""));
      ScriptedWindows tree;
      ToolLink follower(tree, host);
      follower.SetTool(ToolKind::kOther, title);
      FakeTool first(tree, ToolKind::kOther, title);
      follower.RefreshToolStatus();
      tree.Destroy(first.main);
      if (refreshedBetween) { EXPECT_EQ(follower.ProbeToolStatus(), title + Status(msg::kToolNotRunning)); }
      FakeTool again(tree, ToolKind::kOther, title);
      std::vector<std::string> told;
      follower.statusChanged = [&told](const std::string& status) { told.push_back(status); };
      EXPECT_TRUE(action.send(follower));
      // The status line learns of the new run at once.
      EXPECT_EQ(told, std::vector<std::string>{title + Status(msg::kToolRunningSdi)});
      ASSERT_EQ(tree.messages().size(), 1u);
      EXPECT_EQ(tree.messages()[0].window, again.main);
      EXPECT_EQ(tree.messages()[0].message, action.message);
      EXPECT_EQ(follower.toolWindow(), again.main);
      EXPECT_EQ(tree.lostMessages(), 0);
    }
  }
}

// Which inner windows make the shape known. Without any of them no display-
// style or bar command is sent; the reload notifications still are.
TEST_F(ToolLinkTest, AToolWithoutKnownInnerWindowsGetsNoCommand) {
  struct Case {
    const char* name;
    std::function<void(ScriptedWindows&, WindowHandle)> build;
    bool known;
  };
  const std::vector<Case> cases = {
      {"no children", [](ScriptedWindows&, WindowHandle) {}, false},
      {"other names only",
       [](ScriptedWindows& tree, WindowHandle main) {
         const WindowHandle holder = tree.Create(main, "Frame", "Holder");
         tree.Create(holder, "Bar", "Buttons");
         tree.Create(main, "OtherDoc", "");
       },
       false},
      {"the marker's name as a title", [](ScriptedWindows& tree, WindowHandle main) {
         tree.Create(main, "Other", Name(WindowName::kMarkerClass));
       }, false},
      {"container", [](ScriptedWindows& tree, WindowHandle main) {
         tree.Create(main, "Frame", Name(WindowName::kContainerTitle));
       }, true},
      {"marker", [](ScriptedWindows& tree, WindowHandle main) {
         tree.Create(main, Name(WindowName::kMarkerClass), "");
       }, true},
      {"ticker bar alone",
       [](ScriptedWindows& tree, WindowHandle main) {
         const std::string ticker = Name(WindowName::kTickerTitleB);
         tree.Create(tree.Create(main, "Frame", ticker), "Bar", ticker);
       },
       true},
  };
  for (const Case& each : cases) {
    ScriptedWindows tree;
    ToolLink probe(tree, host);
    probe.SetTool(ToolKind::kOther, title);
    const WindowHandle main = tree.Create(kNoWindow, "ToolMainClass", title);
    each.build(tree, main);
    EXPECT_EQ(probe.RefreshToolStatus() == title + Status(msg::kToolShapeUnknown), !each.known) << each.name;
    EXPECT_EQ(probe.IsShapeKnown(), each.known) << each.name;
    for (const Action& action : Actions())
      EXPECT_EQ(action.send(probe), each.known || action.message != toolmsg::kCommand)
          << each.name << ", " << action.name;
    const auto commands = std::count_if(tree.messages().begin(), tree.messages().end(),
                                        [](const auto& sent) { return sent.message == toolmsg::kCommand; });
    EXPECT_EQ(commands, each.known ? 2 : 0) << each.name;
    EXPECT_EQ(tree.messages().size() - commands, 2u) << each.name;
  }
}

// A message the desktop drops (the tool runs with higher rights), a tool that
// hangs and a tool that closes while the message is on its way each fail in
// their own way, never as a success, and the status line says which.
TEST_F(ToolLinkTest, AMessageThatDoesNotArriveIsToldApartAndNeverCountsAsSent) {
  enum class Fault { kRefusing, kHung, kClosesOnMessage };
  struct Case {
    Fault fault;
    bool posted;
    bool delivered;
    int status;
  };
  const Case cases[] = {
      {Fault::kRefusing, false, false, msg::kToolRunsWithHigherRights},
      {Fault::kRefusing, true, false, msg::kToolRunsWithHigherRights},
      {Fault::kHung, false, false, msg::kToolNotResponding},
      {Fault::kHung, true, true, msg::kToolRunningSdi},  // queued; the tool reads it once it wakes
      {Fault::kClosesOnMessage, false, false, msg::kToolNotRunning},
  };
  for (const Case& each : cases) {
    const std::string name = std::to_string(static_cast<int>(each.fault)) + (each.posted ? " posted" : " sent");
    ScriptedWindows tree;
    ToolLink probe(tree, host);
    probe.SetTool(ToolKind::kOther, title);
    FakeTool tool(tree, ToolKind::kOther, title);
    std::vector<std::string> told;
    probe.statusChanged = [&told](const std::string& status) { told.push_back(status); };
    // Rights that cannot be found out beforehand: only the refusal tells.
    if (each.fault == Fault::kRefusing) tree.SetRefusing(tool.main, true, platform::Rights::kUnknown);
    if (each.fault == Fault::kHung) tree.SetHung(tool.main, true);
    if (each.fault == Fault::kClosesOnMessage)
      tree.OnMessage(tool.main, [&tree, &tool](const ScriptedWindows::Message&) { tree.Destroy(tool.main); });
    EXPECT_EQ(probe.RefreshToolStatus(), title + Status(msg::kToolRunningSdi)) << name;
    EXPECT_FALSE(probe.RunsWithHigherRights()) << name;

    const bool delivered = each.posted ? probe.NotifyFontChanged() : probe.SendToolCommand(toolmsg::kToggleToolBar);
    EXPECT_EQ(delivered, each.delivered) << name;
    EXPECT_EQ(told, each.delivered ? std::vector<std::string>{} : std::vector<std::string>{title + Status(each.status)})
        << name;
    // The periodic look asks nothing, not even of a tool that hangs.
    const int unanswered = tree.unansweredMessages();
    EXPECT_EQ(probe.ProbeToolStatus(), title + Status(each.status)) << name;
    EXPECT_EQ(tree.unansweredMessages(), unanswered) << name;
    EXPECT_EQ(probe.RunsWithHigherRights(), each.fault == Fault::kRefusing) << name;
  }
}

// The desktop's error codes and the facts about the tool's process, read as
// the link reads them.
TEST(WindowLinkRules, ErrorCodesAndRightsAreReadAsTheDesktopMeansThem) {
  using platform::Delivery;
  using platform::Rights;
  using platform::RightsFacts;
  const struct {
    unsigned long error;
    bool exists;
    Delivery expected;
  } deliveries[] = {
      {5, true, Delivery::kRefused},     {5, false, Delivery::kRefused},   {1460, true, Delivery::kNoAnswer},
      {1400, true, Delivery::kGone},     {1460, false, Delivery::kGone},   {0, false, Delivery::kGone},
      {0, true, Delivery::kNoAnswer},    {1816, true, Delivery::kNoAnswer},
  };
  for (const auto& each : deliveries)
    EXPECT_EQ(platform::DeliveryAfterFailure(each.error, each.exists), each.expected) << each.error << " " << each.exists;

  const struct {
    const char* name;
    RightsFacts facts;
    Rights expected;
  } rights[] = {
      {"process refused", {false, 5}, Rights::kHigher},
      {"process gone", {false, 87}, Rights::kUnknown},
      {"token refused", {true, 0, false, 5}, Rights::kHigher},
      {"token failed otherwise", {true, 0, false, 1}, Rights::kUnknown},
      {"levels unread", {true, 0, true, 0, false}, Rights::kUnknown},
      {"high over medium", {true, 0, true, 0, true, 0x3000, 0x2000}, Rights::kHigher},
      {"system over high", {true, 0, true, 0, true, 0x4000, 0x3000}, Rights::kHigher},
      {"same level", {true, 0, true, 0, true, 0x2000, 0x2000}, Rights::kNotHigher},
      {"lower level", {true, 0, true, 0, true, 0x1000, 0x2000}, Rights::kNotHigher},
  };
  for (const auto& each : rights) EXPECT_EQ(platform::JudgeRights(each.facts), each.expected) << each.name;
}

TEST_F(ToolLinkTest, BringingTheToolForwardRestoresItOnlyWhenMinimised) {
  FakeTool tool(windows, ToolKind::kOther, title);
  link.RefreshToolStatus();
  link.BringToolForward();
  EXPECT_EQ(windows.foreground(), tool.main);
  EXPECT_EQ(windows.restoreCount(), 0);

  windows.SetMinimised(tool.main, true);
  link.BringToolForward();
  EXPECT_EQ(windows.restoreCount(), 1);
  EXPECT_FALSE(windows.IsMinimised(tool.main));
}

}  // namespace
}  // namespace qlm
