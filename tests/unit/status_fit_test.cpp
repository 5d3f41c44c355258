// Fitting the status line into its panel: the title gives way, the status
// words stay whole.
#include <gtest/gtest.h>

#include "platform/codepage.h"
#include "test_support.h"
#include "ui/status_fit.h"

namespace qlm::ui {
namespace {

using test::Sjis;

// A single-byte character is 5 pixels wide, a double-byte one 10.
int Measure(std::string_view text) {
  int width = 0;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t next = platform::NextChar(text, pos);
    width += next - pos == 2 ? 10 : 5;
    pos = next;
  }
  return width;
}

TEST(StatusFitTest, TheTitleIsShortenedAndTheWordsStayWhole) {
  const std::string words = Sjis(" プログラムは起動してません。");  // a space and 14 double-byte: 145
  const std::string ellipsis = Sjis("…");                          // 10
  struct Case {
    const char* what;
    std::string title;
    int width;
    std::string shown;
  } cases[] = {
      {"fits whole", "Takumi", 175, "Takumi" + words},
      {"one pixel short", "Takumi", 174, "Tak" + ellipsis + words},
      {"cut between double-byte characters", Sjis("Takumi 株式トレード"), 205,
       Sjis("Takumi 株") + ellipsis + words},
      {"a space before the cut is dropped", Sjis("Takumi 株式"), 190, "Takumi" + ellipsis + words},
      {"nothing of the title fits", "Takumi", 158, ellipsis + words},
      {"narrower than the words", "Takumi", 20, ellipsis + words},
      {"no title", "", 20, words},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string shown = FitStatusText(c.title, words, ellipsis, c.width, Measure);
    EXPECT_EQ(shown, c.shown);
    if (c.width >= Measure(ellipsis + words)) {
      EXPECT_LE(Measure(shown), c.width);
    }
  }
}

}  // namespace
}  // namespace qlm::ui
