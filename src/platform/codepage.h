// codepage.h: the system code page (932, Shift-JIS, on the target systems).
#pragma once

#include <string>
#include <string_view>

namespace qlm::platform {

// True when c starts a double-byte character in the system code page.
bool IsLeadByte(unsigned char c);

// The text converted from UTF-8 to the system code page.
std::string AnsiFromUtf8(std::string_view utf8);

// Compares two texts ignoring case with the user locale's collation: less
// than, equal to or greater than zero.
int CompareIgnoringCase(std::string_view a, std::string_view b);

// Index of the character after the one at pos, stepping over a double-byte
// character whole; a lead byte at the very end is a character of its own.
inline std::size_t NextChar(std::string_view text, std::size_t pos) {
  if (pos + 1 < text.size() && IsLeadByte(static_cast<unsigned char>(text[pos]))) return pos + 2;
  return pos + 1;
}

}  // namespace qlm::platform
