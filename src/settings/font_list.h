// font_list.h: the list of faces the font drop-down offers.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qlm {

// The enumerated family names in their order, each skipped when it equals
// the name added just before it ignoring case, or when installed (the check
// that saving a face makes) does not find it: every face offered can be
// saved. Then the whole list is sorted ignoring case with the user locale's
// collation. Vertical-writing families (names starting with "@") are left
// out as if not enumerated: a tool set to one draws its text sideways. Only
// the one named exactly storedFace (the face the tool's file holds) stays,
// so that a file set to it still loads and shows it. Without installed,
// every name counts as found.
std::vector<std::string> BuildFontList(const std::vector<std::string>& enumerated, std::string_view storedFace = "",
                                       const std::function<bool(const std::string&)>& installed = {});

}  // namespace qlm
