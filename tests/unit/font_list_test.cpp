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

// Only faces that the check made on saving finds are offered; a spelling
// it refuses does not hide a later one.
TEST(FontList, OnlyFacesTheCheckFinds) {
  const auto installed = [](const std::string& face) { return face != "Default" && face != "Ghost"; };
  EXPECT_EQ(BuildFontList({"Default", "Tahoma", "Ghost", "ghost"}, "", installed),
            (std::vector<std::string>{"ghost", "Tahoma"}));
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
