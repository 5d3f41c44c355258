// form_rules.cpp: the main window's arithmetic and texts.
#include "ui/form_rules.h"

#include <algorithm>

#include "platform/codepage.h"
#include "platform/file_search.h"
#include "platform/paths.h"
#include "settings/messages.h"

namespace qlm::ui {

std::vector<int> FitStatusPanels(int width, const std::vector<int>& designWidths) {
  const int n = static_cast<int>(designWidths.size());
  std::vector<int> widths(designWidths.size(), 0);
  if (n == 0) return widths;
  int k = n;
  int sum = 0;
  int j = 0;
  for (;;) {
    j = k - 1;
    sum += designWidths[static_cast<std::size_t>(j)];
    if (width < sum || k == 1) break;
    k = j;
  }
  for (int i = j + 1; i < n; ++i) widths[static_cast<std::size_t>(i)] = designWidths[static_cast<std::size_t>(i)];
  widths[static_cast<std::size_t>(j)] = width - (sum - designWidths[static_cast<std::size_t>(j)]);
  return widths;
}

Placement PlaceWindow(int storedTop, int storedLeft, int windowWidth, int windowHeight, int titleHeight,
                      int screenWidth, int screenHeight, const std::vector<Rect>& workAreas, int buttonsWidth) {
  constexpr int kCentre = -100;
  // The smallest piece of the title bar's draggable part to take hold of: a
  // good width and a few pixels high.
  constexpr int kGripWidth = 48, kGripHeight = 8;
  const Placement centred{(screenWidth - windowWidth) / 2, (screenHeight - windowHeight) / 2};
  Placement placement{storedLeft == kCentre ? centred.left : storedLeft,
                      storedTop == kCentre ? centred.top : storedTop};
  const int dragWidth = std::max(0, windowWidth - std::max(0, buttonsWidth));
  const Rect title{placement.left, placement.top, placement.left + dragWidth,
                   placement.top + std::min(titleHeight, windowHeight)};
  for (const Rect& area : workAreas) {
    const int width = std::min(title.right, area.right) - std::max(title.left, area.left);
    const int height = std::min(title.bottom, area.bottom) - std::max(title.top, area.top);
    if (width > 0 && width >= std::min(kGripWidth, dragWidth) &&
        height >= std::min(kGripHeight, title.bottom - title.top))
      return placement;
  }
  return centred;
}

std::string ApplicationTitle(std::string_view executablePath) {
  std::string name(executablePath.substr(FileNameStart(executablePath)));
  name = name.substr(0, name.find('.'));
  // After the first character, ASCII capitals become small letters; a
  // double-byte character has no case here and is stepped over whole.
  for (std::size_t pos = name.empty() ? 0 : platform::NextChar(name, 0); pos < name.size();
       pos = platform::NextChar(name, pos))
    if (name[pos] >= 'A' && name[pos] <= 'Z') name[pos] = static_cast<char>(name[pos] - 'A' + 'a');
  return name;
}

std::string ErrorBoxText(std::string_view text) {
  std::string result(text);
  if (text.empty()) return result;
  std::size_t last = 0;
  for (std::size_t pos = 0; pos < text.size(); pos = platform::NextChar(text, pos)) last = pos;
  // A double-byte character's code is its lead byte and more: always above ".".
  if (static_cast<unsigned char>(text[last]) > static_cast<unsigned char>('.')) result += '.';
  return result;
}

bool KeepsStyleAndTabBar(ToolKind kind) { return !TraitsOf(kind).styleAndTabBar; }

int KeptByToolHint(ToolKind kind) { return KeepsStyleAndTabBar(kind) ? msg::kKeptByTradePro : 0; }

std::optional<std::string> GuideBeside(std::string_view executablePath) {
  const std::string folder(executablePath.substr(0, FileNameStart(executablePath)));
  for (const char* name : {"README-ja.html", "README-ja.txt"})
    if (platform::FileExists(folder + name)) return folder + name;
  return std::nullopt;
}

}  // namespace qlm::ui
