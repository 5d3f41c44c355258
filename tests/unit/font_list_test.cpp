// The font drop-down's list.
#include <gtest/gtest.h>

#include <algorithm>

#include "settings/font_list.h"
#include "test_support.h"

namespace qlm {
namespace {

TEST(FontList, NeighboursDedupedThenAllSortedIgnoringCase) {
  const std::vector<std::string> enumerated{"Tahoma", "tahoma", "Arial", "Courier", "Arial", "Courier", "default"};
  const std::vector<std::string> expected{"Arial", "Arial", "Courier", "Courier", "default", "Tahoma"};
  EXPECT_EQ(BuildFontList(enumerated), expected);
  EXPECT_EQ(BuildFontList({}), std::vector<std::string>{});
}

// Only faces that the check made on saving finds are offered, whatever was
// enumerated; a name the check refuses does not hide a later spelling.
TEST(FontList, OnlyFacesTheCheckFinds) {
  const std::vector<std::string> enumerated{"Default", "Tahoma", "Ghost", "ghost", "Arial", "@Arial"};
  const struct {
    std::vector<std::string> installed;
    std::string stored;
    std::vector<std::string> expected;
  } cases[] = {
      {{"Tahoma", "Arial", "@Arial"}, "", {"Arial", "Tahoma"}},
      {{"Tahoma", "Arial", "@Arial"}, "@Arial", {"@Arial", "Arial", "Tahoma"}},
      {{"Tahoma", "Arial"}, "@Arial", {"Arial", "Tahoma"}},
      {{"ghost"}, "", {"ghost"}},
      {{}, "", {}},
  };
  for (const auto& each : cases) {
    const auto installed = [&](const std::string& face) {
      return std::find(each.installed.begin(), each.installed.end(), face) != each.installed.end();
    };
    EXPECT_EQ(BuildFontList(enumerated, each.stored, installed), each.expected) << each.stored;
  }
}

TEST(FontList, JapaneseFacesStayWhole) {
  const std::string gothic = test::Sjis("ＭＳ Ｐゴシック");
  const auto faces = BuildFontList({gothic, "Arial", gothic});
  EXPECT_EQ(faces.size(), 3u);  // the first and last gothic are not neighbours
  EXPECT_NE(std::find(faces.begin(), faces.end(), gothic), faces.end());
}

// Vertical-writing families are left out as if not enumerated, but for the
// one the tool's file names.
TEST(FontList, VerticalFamiliesOnlyWhereTheFileNamesOne) {
  const std::string gothic = test::Sjis("ＭＳ ゴシック");
  const std::vector<std::string> enumerated{"@" + gothic, gothic, "@Arial", "Arial", "@Arial", "arial"};
  const std::pair<std::string, std::vector<std::string>> cases[] = {
      {"", {"Arial", gothic}},
      {"@" + gothic, {"@" + gothic, "Arial", gothic}},
      {"@arial", {"Arial", gothic}},  // the file's name matched exactly, as loading selects it
  };
  for (const auto& [stored, expected] : cases) {
    auto faces = BuildFontList(enumerated, stored);
    std::sort(faces.begin(), faces.end());  // where Japanese sorts depends on the locale
    EXPECT_EQ(faces, expected) << stored;
  }
}

}  // namespace
}  // namespace qlm
