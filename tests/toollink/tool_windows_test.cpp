// [ToolWindows] of QLM.INI (plain and inverted values, refused ones, an absent
// section) and the list of the tool's windows, against fake windows.
#include <gtest/gtest.h>

#include <string>

#include "support/scripted_host.h"
#include "support/scripted_windows.h"
#include "settings/messages.h"
#include "settings/profile.h"
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
  WindowNames Read(const std::string& ownIni, const std::string& refusals = "") {
    test::WriteBytes(folder / "QLM.INI", ownIni);
    const ToolWindowsSection section = ReadToolWindowsSection(host);
    EXPECT_EQ(section.refusals, refusals) << ownIni;
    return section.names;
  }
  std::string Refusal(int id, const char* key) const { return Substitute(host.Text(id), key); }

  test::ScratchFolder folder;
  platform::ScriptedHost host{folder / "QLM.exe"};
  const WindowNames builtIn;
};

// The keys, written out by hand: a renamed key breaks every user's section.
TEST_F(ToolWindowsTest, EachKeyReplacesItsOwnNameOnly) {
  const std::pair<WindowName, const char*> keys[] = {
      {WindowName::kMarkerClass, "MarkerClass"},     {WindowName::kContainerTitle, "ContainerTitle"},
      {WindowName::kToolBarTitleA, "ToolBarTitleA"}, {WindowName::kToolBarTitleB, "ToolBarTitleB"},
      {WindowName::kTabBarTitle, "TabBarTitle"},     {WindowName::kTickerTitleA, "TickerTitleA"},
      {WindowName::kTickerTitleB, "TickerTitleB"},
  };
  for (const auto& [name, key] : keys) {
    const WindowNames names = Read(std::string("[ToolWindows]\r\n") + key + "=Renamed\r\n");
    for (const auto& [other, otherKey] : keys)
      EXPECT_EQ(Name(names, other), other == name ? "Renamed" : Name(builtIn, other)) << key << " " << otherKey;
  }
}

// Ten bytes at most, Shift-JIS counted in bytes; "~" and the inverted bytes
// in hex of either case ("Dock" is 44 6F 63 6B). An empty value is no name:
// it would match every untitled window.
TEST_F(ToolWindowsTest, PlainAndInvertedValuesOfUpToTenBytes) {
  const WindowNames names = Read("[ToolWindows]\r\nContainerTitle=~BB909C94\r\nTabBarTitle=~bb909c94\r\n"
                                 "MarkerClass=TenBytes!!\r\nTickerTitleB=" + Sjis("株価ボード") +
                                 "\r\nTickerTitleA=~7CA17C8A680E\r\nToolBarTitleA= \r\n");
  EXPECT_EQ(Name(names, WindowName::kContainerTitle), "Dock");
  EXPECT_EQ(Name(names, WindowName::kTabBarTitle), "Dock");
  EXPECT_EQ(Name(names, WindowName::kMarkerClass), "TenBytes!!");
  EXPECT_EQ(Name(names, WindowName::kTickerTitleB), Sjis("株価ボード"));
  EXPECT_EQ(Name(names, WindowName::kTickerTitleA), Sjis("タブ列"));
  EXPECT_EQ(Name(names, WindowName::kToolBarTitleA), Name(builtIn, WindowName::kToolBarTitleA));
}

// A refused value keeps the built-in name; one notice names every refused key,
// however many there are.
TEST_F(ToolWindowsTest, TooLongOrMalformedValuesAreRefusedByKey) {
  const std::string ini = "[ToolWindows]\r\nMarkerClass=ElevenBytes\r\nContainerTitle=~" + std::string(22, 'A') +
                          "\r\nToolBarTitleA=~ABC\r\nToolBarTitleB=~GG\r\nTabBarTitle=~ABFF\r\nTickerTitleA=~\r\n"
                          "TickerTitleB=" + Sjis("株価ボード表") + "\r\n";
  std::string keys;
  for (const auto& [id, key] : {std::pair{msg::kToolWindowTooLong, "MarkerClass"},
                                {msg::kToolWindowTooLong, "ContainerTitle"},
                                {msg::kToolWindowMalformed, "ToolBarTitleA"},
                                {msg::kToolWindowMalformed, "ToolBarTitleB"},
                                {msg::kToolWindowMalformed, "TabBarTitle"},
                                {msg::kToolWindowMalformed, "TickerTitleA"},
                                {msg::kToolWindowTooLong, "TickerTitleB"}})
    keys += (keys.empty() ? "" : "\n") + Refusal(id, key);
  std::string refusals = host.Text(msg::kToolWindowsRefused);
  refusals.replace(refusals.find("%s"), 2, keys);
  Read(ini, refusals);

  const WindowNames names = LoadToolWindowNames(host, ProfileFile(host, OwnSettingsPath(host)));
  EXPECT_EQ(host.notices(), std::vector<std::string>{refusals});
  for (std::size_t i = 0; i < toollink::kWindowNameCount; ++i)
    EXPECT_EQ(Name(names, WindowName(i)), Name(builtIn, WindowName(i)));
}

// --- The list ----------------------------------------------------------------

TEST_F(ToolWindowsTest, TheTreeShowsNestingClassTitleVisibilityAndRoles) {
  platform::ScriptedWindows windows;
  WindowNames names;
  ASSERT_EQ(names.Set(WindowName::kTabBarTitle, "Tabs"), toollink::NameProblem::kNone);
  const std::string container = Name(names, WindowName::kContainerTitle);
  const std::string marker = Name(names, WindowName::kMarkerClass);
  const auto main = windows.Create(kNoWindow, "Main", "Tool");
  const auto dock = windows.Create(main, "Frame", container);
  windows.Create(dock, "Bar", "TABS", false);
  // 0x95 0x5C is one character; 0x0A a control byte.
  windows.Create(dock, "Bar", "\x95\x5C\n");
  windows.Create(main, marker, "doc");
  EXPECT_EQ(DescribeWindowTree(windows, main, names),
            "class=\"Main\" title=\"Tool\" visible\r\n"
            "    class=\"Frame\" title=\"" + container + "\" visible <- ContainerTitle\r\n"
            "        class=\"Bar\" title=\"TABS\" hidden <- TabBarTitle\r\n"
            "        class=\"Bar\" title=\"\x95\x5C\\x0A\" visible\r\n"
            "    class=\"" + marker + "\" title=\"doc\" visible <- MarkerClass\r\n");
}

// Without a tool folder the file says so; a file that cannot be written is
// reported, and QLM.INI is never written. Where QLM.exe's folder cannot be
// written, the list goes to the user's own folder, with no copy of QLM.INI.
TEST_F(ToolWindowsTest, TheListWithoutAToolOrWithoutAWritableFile) {
  platform::ScriptedWindows windows;
  const std::string list = folder / "QLM-ToolWindows.txt";
  test::WriteBytes(folder / "QLM.INI", "[CONFIG]\r\nTTPath=\r\n");
  EXPECT_EQ(ListToolWindows(host, windows), kToolNotListed);
  EXPECT_EQ(test::ReadBytes(list), host.Text(msg::kToolNotInstalled) + "\r\n");
  EXPECT_TRUE(host.notices().empty());

  test::RemoveFile(list);
  test::MakeFolder(list);
  EXPECT_EQ(ListToolWindows(host, windows), kListNotWritten);
  EXPECT_EQ(host.notices(), std::vector<std::string>{Substitute(host.Text(msg::kCannotWrite), list)});
  EXPECT_EQ(test::ReadBytes(folder / "QLM.INI"), "[CONFIG]\r\nTTPath=\r\n");

  host.MakeUnwritable(folder / "QLM.INI");
  test::MakeFolder(folder / "AppData");
  host.SetUserSettingsRoot(folder / "AppData");
  EXPECT_EQ(ListToolWindows(host, windows), kToolNotListed);
  EXPECT_EQ(test::ReadBytes(folder / "AppData\\Quillmate\\QLM-ToolWindows.txt"),
            host.Text(msg::kToolNotInstalled) + "\r\n");
  EXPECT_EQ(test::ReadBytes(folder / "AppData\\Quillmate\\QLM.INI"), "<missing>");
}

}  // namespace
}  // namespace qlm
