// font_list.h: the list of faces the font drop-down offers.
#pragma once

#include <string>
#include <vector>

namespace qlm {

// "Default" first, then the enumerated family names in their order, each
// skipped only when it equals the name added just before it ignoring case;
// then the whole list, "Default" included, sorted ignoring case with the
// user locale's collation. Vertical faces ("@...") stay in.
std::vector<std::string> BuildFontList(const std::vector<std::string>& enumerated);

}  // namespace qlm
