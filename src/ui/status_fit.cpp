// status_fit.cpp: fitting the status line into its panel.
#include "ui/status_fit.h"

#include <vector>

#include "platform/codepage.h"

namespace qlm::ui {

std::string FitStatusText(std::string_view title, std::string_view words, std::string_view ellipsis, int width,
                          const TextMeasure& measure) {
  std::string whole = std::string(title) + std::string(words);
  if (title.empty() || measure(whole) <= width) return whole;

  // Where each character of the title ends; the longest start that fits is
  // searched for among those ends, the text only growing narrower as it
  // gets shorter.
  std::vector<std::size_t> ends;
  for (std::size_t pos = 0; pos < title.size();) ends.push_back(pos = platform::NextChar(title, pos));
  auto shortened = [&](std::size_t length) {
    std::string_view start = title.substr(0, length);
    while (!start.empty() && start.back() == ' ') start.remove_suffix(1);
    return std::string(start) + std::string(ellipsis) + std::string(words);
  };
  std::size_t low = 0, high = ends.size();  // starts of ends[0..low) fit; ends[high..) do not
  while (low < high) {
    const std::size_t middle = (low + high) / 2;
    if (measure(shortened(ends[middle])) <= width)
      low = middle + 1;
    else
      high = middle;
  }
  return shortened(low == 0 ? 0 : ends[low - 1]);
}

}  // namespace qlm::ui
