// font_list.cpp: building the font drop-down's list.
#include "settings/font_list.h"

#include <algorithm>

#include "platform/codepage.h"

namespace qlm {

std::vector<std::string> BuildFontList(const std::vector<std::string>& enumerated, std::string_view storedFace,
                                       const std::function<bool(const std::string&)>& installed) {
  std::vector<std::string> faces;
  for (const std::string& name : enumerated) {
    if (name.starts_with('@') && name != storedFace) continue;
    if (!faces.empty() && platform::CompareIgnoringCase(faces.back(), name) == 0) continue;
    if (installed && !installed(name)) continue;
    faces.push_back(name);
  }
  std::stable_sort(faces.begin(), faces.end(), [](const std::string& a, const std::string& b) {
    return platform::CompareIgnoringCase(a, b) < 0;
  });
  return faces;
}

}  // namespace qlm
