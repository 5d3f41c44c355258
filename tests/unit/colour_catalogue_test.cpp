// The colour-scheme files: listing, and the form each tool kind stores.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

#include "settings/colour_catalogue.h"
#include "scratch_program.h"

namespace qlm {
namespace {

using test::Sjis;

class ColourTest : public test::ScratchToolTest {
 protected:
  void AddColourFiles(std::initializer_list<const char*> names) {
    for (const char* name : names) test::WriteBytes(colours + name, "");
  }
  void StoreColour(const std::string& value) { config.WriteString("GLOBAL", "COLOR", value); }
  std::string StoredColour() const { return config.ReadString("GLOBAL", "COLOR", "<none>"); }
  std::string Missing(const std::string& name) const { return Sjis("CLRファイル\n[") + name + Sjis("]\nが存在しません。"); }

  std::string colours = tool + "Color\\";
};

TEST_F(ColourTest, ListsEveryMatchingNameFoldersIncluded) {
  AddColourFiles({"Blue.clr", "Default.CLR", "notes.txt"});
  test::MakeFolder(colours + "Folder.CLR");
  auto items = ListColourFiles(tool);
  std::sort(items.begin(), items.end());
  EXPECT_EQ(items, (std::vector<std::string>{"Blue.clr", "Default.CLR", "Folder.CLR"}));
  test::MakeFolder(folder.path() + "\\Empty\\Color");
  EXPECT_TRUE(ListColourFiles(folder.path() + "\\Empty\\").empty());
}

// The file [GLOBAL] COLOR stands for: TradePro stores the bare name, the
// others "Color\" and the name; only the part after the last backslash or
// colon counts; an absent key means Default.CLR for every kind, while a
// stored empty value is a stored value.
TEST_F(ColourTest, TheStoredValueNamesAFile) {
  const struct {
    std::optional<std::string> stored;
    ToolKind kind;
    std::string file;
  } rows[] = {
      {"Color\\BLUE.CLR", ToolKind::kOther, "BLUE.CLR"},
      {"Night", ToolKind::kTradePro, "Night.CLR"},
      {std::nullopt, ToolKind::kOther, "Default.CLR"},
      {std::nullopt, ToolKind::kTradePro, "Default.CLR"},
      {"", ToolKind::kTradePro, ".CLR"},
      {"C:\\Elsewhere\\Night.CLR", ToolKind::kOther, "Night.CLR"},
      {"C:Night.CLR", ToolKind::kOther, "Night.CLR"},
  };
  for (const auto& row : rows) {
    if (row.stored)
      StoreColour(*row.stored);
    else
      config.DeleteKey("GLOBAL", "COLOR");
    EXPECT_EQ(StoredColourFile(ReadEditedValues(config), row.kind), row.file) << row.stored.value_or("(absent)");
  }
}

TEST_F(ColourTest, SavingWritesEachKindsFormAndRefusesAVanishedFileByItsPath) {
  AddColourFiles({"Blue.clr", "Night.CLR", "Dark.Blue.CLR"});
  const struct {
    ToolKind kind;
    std::string file;
    std::string stored;
  } rows[] = {
      {ToolKind::kOther, "BLUE.CLR", "Color\\BLUE.CLR"},
      {ToolKind::kTradePro, "Night.CLR", "Night"},
      {ToolKind::kTradePro, "Dark.Blue.CLR", "Dark.Blue"},
  };
  for (const auto& row : rows) {
    StoreColour("x");
    ASSERT_TRUE(SaveColourSetting(config, row.kind, row.file)) << row.file;
    EXPECT_EQ(StoredColour(), row.stored);
  }
  EXPECT_TRUE(host.notices().empty());

  EXPECT_FALSE(SaveColourSetting(config, ToolKind::kOther, "Gone.CLR"));
  EXPECT_EQ(StoredColour(), "Dark.Blue");
  EXPECT_TRUE(ConfirmColourFile(host, tool, "Blue.clr"));
  EXPECT_FALSE(ConfirmColourFile(host, tool, "Gone2.CLR"));
  EXPECT_EQ(host.notices(), (std::vector<std::string>{Missing(colours + "Gone.CLR"), Missing(colours + "Gone2.CLR")}));
}

}  // namespace
}  // namespace qlm
