// status_fit.h: fitting the status line into its panel. The line is the
// tool's title followed by the status words (" 起動中。MDI表示。"); when the
// panel is too narrow, the title gives way and the words stay whole.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace qlm::ui {

// Measures a text (system code page bytes) in pixels, as the panel draws it.
using TextMeasure = std::function<int(std::string_view)>;

// title + words when they fit into width; otherwise the longest start of the
// title that fits with ellipsis and the words after it (cut between
// characters, never inside a double-byte one, trailing spaces dropped); when
// not even that fits, ellipsis and the words, which the panel then clips at
// its end rather than the words' start.
std::string FitStatusText(std::string_view title, std::string_view words, std::string_view ellipsis, int width,
                          const TextMeasure& measure);

}  // namespace qlm::ui
