// [ToolWindows] of QLM.INI (plain and inverted values, refused ones, an absent
// section) and the list of the tool's windows (/list-tool-windows), against
// fake windows.
#include <gtest/gtest.h>

#include <string>

#include "platform/portable/scripted_host.h"
#include "platform/portable/scripted_windows.h"
#include "settings/messages.h"
#include "test_support.h"
#include "toollink/window_list.h"
#include "toollink/window_names.h"
#include "toollink/window_names_section.h"

namespace qlm {
namespace {

using platform::kNoWindow;
using test::Sjis;
using toollink::PlainName;
using toollink::WindowName;
using toollink::WindowNames;

std::string Name(const WindowNames& names, WindowName name) { return PlainName(names, name).c_str(); }

class ToolWindowsTest : public ::testing::Test {
 protected:
  void WriteOwnIni(const std::string& text) { test::WriteBytes(folder / "QLM.INI", text); }
  std::string Refusal(int id, const char* key) const { return Substitute(host.Text(id), key); }

  test::ScratchFolder folder;
  platform::ScriptedHost host{folder / "QLM.exe"};
};

// The keys, written out by hand: a renamed key breaks every user's section.
TEST_F(ToolWindowsTest, EachKeyReplacesItsOwnNameOnly) {
  const std::pair<WindowName, const char*> keys[] = {
      {WindowName::kMarkerClass, "MarkerClass"},     {WindowName::kContainerTitle, "ContainerTitle"},
      {WindowName::kToolBarTitleA, "ToolBarTitleA"}, {WindowName::kToolBarTitleB, "ToolBarTitleB"},
      {WindowName::kTabBarTitle, "TabBarTitle"},     {WindowName::kTickerTitleA, "TickerTitleA"},
      {WindowName::kTickerTitleB, "TickerTitleB"},
  };
  const WindowNames builtIn;
  for (const auto& [name, key] : keys) {
    EXPECT_STREQ(toollink::SettingKey(name), key);
    WriteOwnIni(std::string("[ToolWindows]\r\n") + key + "=Renamed\r\n");
    const ToolWindowsSection section = ReadToolWindowsSection(host);
    EXPECT_EQ(section.refusals, "");
    for (const auto& [other, otherKey] : keys)
      EXPECT_EQ(Name(section.names, other), other == name ? "Renamed" : Name(builtIn, other)) << key << otherKey;
  }
}

TEST_F(ToolWindowsTest, AbsentFileSectionOrValueKeepsTheBuiltInNames) {
  const WindowNames builtIn;
  for (const char* ini : {"", "[CONFIG]\r\nTTPath=C:\\Tool\\\r\n", "[ToolWindows]\r\nTabBarTitle=\r\nMarkerClass=  \r\n"}) {
    if (*ini) WriteOwnIni(ini);
    const ToolWindowsSection section = ReadToolWindowsSection(host);
    EXPECT_EQ(section.refusals, "") << ini;
    for (std::size_t i = 0; i < toollink::kWindowNameCount; ++i) {
      const auto name = static_cast<WindowName>(i);
      EXPECT_EQ(Name(section.names, name), Name(builtIn, name)) << ini;
      EXPECT_EQ(Name(section.names, name), PlainName(name).c_str());
    }
  }
}

// Plain and inverted values of up to ten bytes, Shift-JIS counted in bytes.
TEST_F(ToolWindowsTest, PlainAndInvertedValuesUpToTenBytes) {
  // "Dock" inverted: 0x44 0x6F 0x63 0x6B -> BB 90 9C 94; lower-case hex too.
  WriteOwnIni("[ToolWindows]\r\nContainerTitle=~BB909C94\r\nTabBarTitle=~ab9e9d8c\r\n"
              "MarkerClass=TenBytes!!\r\nTickerTitleB=" + Sjis("株価ボード") + "\r\n");
  const ToolWindowsSection section = ReadToolWindowsSection(host);
  EXPECT_EQ(section.refusals, "");
  EXPECT_EQ(Name(section.names, WindowName::kContainerTitle), "Dock");
  EXPECT_EQ(Name(section.names, WindowName::kTabBarTitle), "Tabs");
  EXPECT_EQ(Name(section.names, WindowName::kMarkerClass), "TenBytes!!");
  EXPECT_EQ(Name(section.names, WindowName::kTickerTitleB), Sjis("株価ボード"));
  EXPECT_EQ(toollink::InvertedNotation("Dock"), "~BB909C94");
  WindowNames names;
  ASSERT_EQ(names.Set(WindowName::kToolBarTitleA, toollink::InvertedNotation(Sjis("株価ボード"))),
            toollink::NameProblem::kNone);
  EXPECT_EQ(Name(names, WindowName::kToolBarTitleA), Sjis("株価ボード"));
}

// A refused value keeps the built-in name; one notice names every refused key.
TEST_F(ToolWindowsTest, TooLongOrMalformedValuesAreRefusedByKey) {
  WriteOwnIni("[ToolWindows]\r\nMarkerClass=ElevenBytes\r\nContainerTitle=~" + std::string(22, 'A') +
              "\r\nToolBarTitleA=~ABC\r\nToolBarTitleB=~GG\r\nTabBarTitle=~ABFF\r\nTickerTitleA=~\r\n"
              "TickerTitleB=" + Sjis("株価ボード表") + "\r\n");
  const std::string refusals = Substitute(
      host.Text(msg::kToolWindowsRefused),
      Refusal(msg::kToolWindowTooLong, "MarkerClass") + "\n" + Refusal(msg::kToolWindowTooLong, "ContainerTitle") +
          "\n" + Refusal(msg::kToolWindowMalformed, "ToolBarTitleA") + "\n" +
          Refusal(msg::kToolWindowMalformed, "ToolBarTitleB") + "\n" +
          Refusal(msg::kToolWindowMalformed, "TabBarTitle") + "\n" +
          Refusal(msg::kToolWindowMalformed, "TickerTitleA") + "\n" +
          Refusal(msg::kToolWindowTooLong, "TickerTitleB"));
  EXPECT_EQ(ReadToolWindowsSection(host).refusals, refusals);

  const WindowNames names = LoadToolWindowNames(host);
  EXPECT_EQ(host.notices(), std::vector<std::string>{refusals});
  const WindowNames builtIn;
  for (std::size_t i = 0; i < toollink::kWindowNameCount; ++i)
    EXPECT_EQ(Name(names, static_cast<WindowName>(i)), Name(builtIn, static_cast<WindowName>(i)));
}

// --- The list ----------------------------------------------------------------

TEST_F(ToolWindowsTest, TheSwitchIsRecognisedAloneInAnyCase) {
  for (const char* line : {"/list-tool-windows", "  /LIST-Tool-Windows ", "\"/list-tool-windows\""})
    EXPECT_TRUE(IsListToolWindowsSwitch(line)) << line;
  for (const char* line : {"", "/list-tool-window", "/list-tool-windows x", "-list-tool-windows", "list-tool-windows"})
    EXPECT_FALSE(IsListToolWindowsSwitch(line)) << line;
}

TEST_F(ToolWindowsTest, TheTreeShowsNestingClassTitleVisibilityAndRoles) {
  platform::ScriptedWindows windows;
  WindowNames names;
  ASSERT_EQ(names.Set(WindowName::kTabBarTitle, "Tabs"), toollink::NameProblem::kNone);
  const auto main = windows.Create(kNoWindow, "Main", "Tool");
  const auto dock = windows.Create(main, "Frame", Name(names, WindowName::kContainerTitle));
  windows.Create(dock, "Bar", "TABS", false);
  // 0x95 0x5C is one character; 0x0A a control byte.
  windows.Create(dock, "Bar", "\x95\x5C\n\"");
  windows.Create(main, Name(names, WindowName::kMarkerClass), "doc");
  EXPECT_EQ(DescribeWindowTree(windows, main, names),
            "class=\"Main\" title=\"Tool\" visible\r\n"
            "    class=\"Frame\" title=\"" + Name(names, WindowName::kContainerTitle) +
                "\" visible <- ContainerTitle\r\n"
                "        class=\"Bar\" title=\"TABS\" hidden <- TabBarTitle\r\n"
                "        class=\"Bar\" title=\"\x95\x5C\\x0A\"\" visible\r\n"
                "    class=\"" + Name(names, WindowName::kMarkerClass) + "\" title=\"doc\" visible <- MarkerClass\r\n");
}

// The whole run: the file beside QLM.exe, its exit code, QLM.INI untouched.
TEST_F(ToolWindowsTest, TheListIsWrittenBesideTheProgramAndNothingElse) {
  platform::ScriptedWindows windows;
  const std::string list = folder / "QLM-ToolWindows.txt";
  WriteOwnIni("");
  EXPECT_EQ(ListToolWindows(host, windows), kToolNotListed);
  EXPECT_EQ(test::ReadBytes(list), host.Text(msg::kToolNotInstalled) + "\r\n");

  const std::string tool = folder / "Tool\\";
  test::WriteBytes(tool + "Takumi.exe", "");
  test::WriteBytes(tool + "System\\Appcfg.ini", "");
  test::WriteBytes(tool + "System\\Sys.ini", "[INFO]\r\nTitle=Trader\r\n");
  const std::string ini = "[CONFIG]\r\nTTPath=" + tool + "\r\n[ToolWindows]\r\nTabBarTitle=" +
                          std::string(11, 'x') + "\r\n";
  WriteOwnIni(ini);
  EXPECT_EQ(ListToolWindows(host, windows), kToolNotListed);
  const std::string refusal = Substitute(host.Text(msg::kToolWindowsRefused), Refusal(msg::kToolWindowTooLong, "TabBarTitle"));
  std::string refusalLines;
  for (const char c : refusal) refusalLines += c == '\n' ? std::string("\r\n") : std::string(1, c);
  EXPECT_EQ(test::ReadBytes(list), "Trader" + host.Text(msg::kToolNotRunning) + "\r\n" + refusalLines + "\r\n");

  const auto main = windows.Create(kNoWindow, "Main", "Trader");
  windows.Create(main, "Child", "x", false);
  EXPECT_EQ(ListToolWindows(host, windows), kWindowsListed);
  EXPECT_EQ(test::ReadBytes(list), "Trader" + host.Text(msg::kToolRunningSdi) + "\r\n" + refusalLines +
                                       "\r\nclass=\"Main\" title=\"Trader\" visible\r\n"
                                       "    class=\"Child\" title=\"x\" hidden\r\n");
  EXPECT_EQ(test::ReadBytes(folder / "QLM.INI"), ini);
  EXPECT_TRUE(host.notices().empty());

  // A folder where the file should be: the user is told, nothing else.
  test::RemoveFile(list);
  test::MakeFolder(list);
  EXPECT_EQ(ListToolWindows(host, windows), kListNotWritten);
  EXPECT_EQ(host.notices(), std::vector<std::string>{Substitute(host.Text(msg::kCannotWrite), list)});
}

}  // namespace
}  // namespace qlm
