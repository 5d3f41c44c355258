// font_list.h: the list of faces the font drop-down offers.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qlm {

// "Default" first, then the enumerated family names in their order, each
// skipped only when it equals the name added just before it ignoring case;
// then the whole list, "Default" included, sorted ignoring case with the
// user locale's collation. Vertical-writing families (names starting with
// "@") are left out as if not enumerated: a tool set to one draws its text
// sideways. Only the one named exactly storedFace (the face the tool's file
// holds) stays, so that a file set to it still loads and shows it.
std::vector<std::string> BuildFontList(const std::vector<std::string>& enumerated,
                                       std::string_view storedFace = "");

}  // namespace qlm
