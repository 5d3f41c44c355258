// codepage_portable.cpp: the system code page of the portable backend, which
// is always 932 (Shift-JIS), the code page of the systems the program serves.

#include "platform/codepage.h"
#include "platform/portable/text_conversion.h"

namespace qlm::platform {

bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

namespace {

// The text with ASCII letters and the full-width Latin letters (0x82 0x81 to
// 0x82 0x9A) in upper case.
std::string FoldCase(std::string_view text) {
  std::string folded(text);
  for (std::size_t pos = 0; pos < folded.size(); pos = NextChar(folded, pos)) {
    auto& c = folded[pos];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    const auto second = pos + 1 < folded.size() ? static_cast<unsigned char>(folded[pos + 1]) : 0;
    if (static_cast<unsigned char>(c) == 0x82 && second >= 0x81 && second <= 0x9A)
      folded[pos + 1] = static_cast<char>(second - 0x81 + 0x60);
  }
  return folded;
}

}  // namespace

// Approximates the locale's collation: case is ignored for ASCII and
// full-width Latin letters, everything else is ordered by its bytes, where
// Windows orders kana and kanji by its own tables. Equality of names, which
// the program relies on, is exact for these letters.
int CompareIgnoringCase(std::string_view a, std::string_view b) {
  const int order = FoldCase(a).compare(FoldCase(b));
  return order < 0 ? -1 : order > 0 ? 1 : 0;
}

std::string AnsiFromUtf8(std::string_view utf8) {
  return ConvertText(utf8, "CP932", "UTF-8").value_or(std::string(utf8));
}

}  // namespace qlm::platform
