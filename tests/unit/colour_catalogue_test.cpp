// The colour-scheme files: listing, choosing, and the form each tool kind
// stores.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/scripted_host.h"
#include "settings/colour_catalogue.h"
#include "settings/controls.h"
#include "settings/tool_config.h"
#include "test_support.h"

namespace qlm {
namespace {

using test::Sjis;

class ColourTest : public ::testing::Test {
 protected:
  ColourTest() { test::MakeFolder(folder / "System"); }
  void AddColourFiles(std::initializer_list<const char*> names) {
    for (const char* name : names) test::WriteBytes(colours + name, "");
  }
  void StoreColour(const std::string& value) { config.WriteString("GLOBAL", "COLOR", value); }
  std::string StoredColour() const { return config.ReadString("GLOBAL", "COLOR", "<none>"); }
  std::string Missing(const std::string& name) const { return Sjis("CLRファイル\n[") + name + Sjis("]\nが存在しません。"); }

  test::ScratchFolder folder;
  platform::ScriptedHost host{folder / "QLM.exe"};
  std::string tool = folder.path() + "\\";
  std::string colours = tool + "Color\\";
  ToolConfig config{host, tool};
  ListModel list;
  std::string current;
};

TEST_F(ColourTest, ListsEveryMatchingNameFoldersIncluded) {
  AddColourFiles({"Blue.clr", "Default.CLR", "notes.txt"});
  test::MakeFolder(colours + "Folder.CLR");
  ASSERT_TRUE(ListColourFiles(tool, list));
  auto items = list.items();
  std::sort(items.begin(), items.end());
  EXPECT_EQ(items, (std::vector<std::string>{"Blue.clr", "Default.CLR", "Folder.CLR"}));
  EXPECT_EQ(list.selected(), -1);
}

TEST_F(ColourTest, AnEmptyFolderLeavesTheListAsItWasAndLoadingNamesTheFileLookedFor) {
  test::MakeFolder(colours);
  list.SetItems({"Old.CLR"});
  EXPECT_FALSE(ListColourFiles(tool, list));
  EXPECT_EQ(list.items(), std::vector<std::string>{"Old.CLR"});

  ListModel empty;
  EXPECT_FALSE(LoadColourSetting(config, ToolKind::kOther, empty, current));
  EXPECT_EQ(host.notices(), std::vector<std::string>{Missing("Default.CLR")});
  EXPECT_EQ(current, "");
}

TEST_F(ColourTest, OtherKindsStoreTheFolderAndKeepTheStoredSpelling) {
  AddColourFiles({"Blue.clr", "Default.CLR"});
  StoreColour("Color\\BLUE.CLR");
  ASSERT_TRUE(ListColourFiles(tool, list));
  ASSERT_TRUE(LoadColourSetting(config, ToolKind::kOther, list, current));
  EXPECT_EQ(list.text(), "Blue.clr");
  EXPECT_EQ(current, "BLUE.CLR");
  StoreColour("x");
  ASSERT_TRUE(SaveColourSetting(config, ToolKind::kOther, current));
  EXPECT_EQ(StoredColour(), "Color\\BLUE.CLR");
}

TEST_F(ColourTest, TradeProStoresTheBareName) {
  AddColourFiles({"Night.CLR", "Default.CLR", "Dark.Blue.CLR"});
  ASSERT_TRUE(ListColourFiles(tool, list));
  StoreColour("Night");
  ASSERT_TRUE(LoadColourSetting(config, ToolKind::kTradePro, list, current));
  EXPECT_EQ(current, "Night.CLR");
  StoreColour("x");
  ASSERT_TRUE(SaveColourSetting(config, ToolKind::kTradePro, current));
  EXPECT_EQ(StoredColour(), "Night");
  ASSERT_TRUE(SaveColourSetting(config, ToolKind::kTradePro, "Dark.Blue.CLR"));
  EXPECT_EQ(StoredColour(), "Dark.Blue");
}

TEST_F(ColourTest, AnAbsentKeyMeansDefaultClrForEveryKind) {
  AddColourFiles({"Default.CLR", "Other.CLR"});
  for (const ToolKind kind : {ToolKind::kOther, ToolKind::kTradePro}) {
    ListModel items;
    ASSERT_TRUE(ListColourFiles(tool, items));
    EXPECT_TRUE(LoadColourSetting(config, kind, items, current));
    EXPECT_EQ(items.text(), "Default.CLR");
    EXPECT_EQ(current, "Default.CLR");
  }
  EXPECT_TRUE(host.notices().empty());
  // A stored empty value is a stored value: TradePro looks for ".CLR".
  StoreColour("");
  EXPECT_FALSE(LoadColourSetting(config, ToolKind::kTradePro, list, current));
  EXPECT_EQ(host.notices(), std::vector<std::string>{Missing(".CLR")});
}

TEST_F(ColourTest, OnlyTheFileNamePartOfAStoredValueCounts) {
  AddColourFiles({"Night.CLR"});
  ASSERT_TRUE(ListColourFiles(tool, list));
  StoreColour("C:\\Elsewhere\\Night.CLR");
  EXPECT_TRUE(LoadColourSetting(config, ToolKind::kOther, list, current));
  StoreColour("C:Night.CLR");
  EXPECT_TRUE(LoadColourSetting(config, ToolKind::kOther, list, current));
  EXPECT_EQ(current, "Night.CLR");
}

TEST_F(ColourTest, AVanishedFileIsReportedWithItsPathAndChangesNothing) {
  AddColourFiles({"Blue.CLR", "Red.CLR"});
  ASSERT_TRUE(ListColourFiles(tool, list));
  ASSERT_TRUE(SetCurrentColourFile(host, tool, "Blue.CLR", current));
  EXPECT_FALSE(SetCurrentColourFile(host, tool, "Gone.CLR", current));
  EXPECT_EQ(current, "Blue.CLR");
  EXPECT_EQ(host.notices(), std::vector<std::string>{Missing(colours + "Gone.CLR")});

  StoreColour("Color\\Blue.CLR");
  EXPECT_FALSE(SaveColourSetting(config, ToolKind::kOther, "Gone.CLR"));
  EXPECT_EQ(StoredColour(), "Color\\Blue.CLR");

  // A selection that no item matches keeps the earlier one and succeeds.
  list.Select(1);
  EXPECT_TRUE(SelectColourFile(host, list, "Nothing.CLR"));
  EXPECT_EQ(list.text(), "Red.CLR");
}

}  // namespace
}  // namespace qlm
