// The font drop-down's list.
#include <gtest/gtest.h>

#include "settings/font_list.h"
#include "test_support.h"

namespace qlm {
namespace {

TEST(FontList, DefaultFirstThenNeighboursDedupedThenAllSortedIgnoringCase) {
  const std::vector<std::string> enumerated{"Tahoma", "tahoma", "Arial", "@Gothic", "Arial", "Courier", "default"};
  const std::vector<std::string> expected{"@Gothic", "Arial", "Arial", "Courier", "Default", "default", "Tahoma"};
  EXPECT_EQ(BuildFontList(enumerated), expected);
  EXPECT_EQ(BuildFontList({}), std::vector<std::string>{"Default"});
  EXPECT_EQ(BuildFontList({"DEFAULT"}), std::vector<std::string>{"Default"});
}

TEST(FontList, JapaneseFacesStayWhole) {
  const std::string gothic = test::Sjis("ＭＳ Ｐゴシック");
  const auto faces = BuildFontList({gothic, "@" + gothic, gothic});
  EXPECT_EQ(faces.size(), 4u);  // Default, and the first and last gothic are not neighbours
  EXPECT_NE(std::find(faces.begin(), faces.end(), gothic), faces.end());
  EXPECT_NE(std::find(faces.begin(), faces.end(), "@" + gothic), faces.end());
}

}  // namespace
}  // namespace qlm
