// The tool's inner window names: their values, written out here by hand so
// that a changed name fails, and that the library holds none of them plainly.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "toollink/window_names.h"

namespace qlm::toollink {
namespace {

struct Expected {
  WindowName name;
  const char* text;
};

constexpr Expected kNames[] = {
    {WindowName::kMarkerClass, "SimMdiDoc"},   {WindowName::kContainerTitle, "SimDock"},
    {WindowName::kToolBarTitleA, "SimTools"},  {WindowName::kToolBarTitleB, "SimToolBar"},
    {WindowName::kTabBarTitle, "SimTabs"},     {WindowName::kTickerTitleA, "SimTicker"},
    {WindowName::kTickerTitleB, "SimQuotes"},
};

TEST(WindowNames, EachRestoresToItsListedTextWithinTenBytes) {
  for (const auto& [name, text] : kNames) {
    const PlainName plain(name);
    EXPECT_STREQ(plain.c_str(), text);
    EXPECT_LE(std::strlen(plain.c_str()), 10u);
  }
}

// The library file is the part of the program that holds the names; it must
// hold them inverted and never as plain text.
TEST(WindowNames, TheLibraryHoldsThemOnlyInverted) {
  std::ifstream in(QLM_TOOLLINK_LIBRARY, std::ios::binary);
  ASSERT_TRUE(in) << QLM_TOOLLINK_LIBRARY;
  const std::string library{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  for (const auto& [name, text] : kNames) {
    std::string inverted(text);
    for (char& c : inverted) c = static_cast<char>(~c);
    EXPECT_EQ(library.find(text), std::string::npos) << text;
    EXPECT_NE(library.find(inverted), std::string::npos) << text;
  }
}

}  // namespace
}  // namespace qlm::toollink
