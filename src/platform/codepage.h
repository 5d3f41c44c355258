// codepage.h: the system code page (932, Shift-JIS, on the target systems),
// and the few text helpers that do not depend on it.
#pragma once

#include <cstddef>
#include <cstdint>
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

// The value of a hexadecimal digit of either case, or -1.
inline int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// value as exactly digits hexadecimal digits (its low ones), upper or lower
// case: what "%08X" or "%04x" would print, without the C library's printf.
inline std::string HexText(std::uint64_t value, int digits, bool upper = true) {
  const char* const set = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  std::string text(static_cast<std::size_t>(digits), '0');
  for (int i = digits - 1; i >= 0; --i, value >>= 4) text[static_cast<std::size_t>(i)] = set[value & 0xF];
  return text;
}

}  // namespace qlm::platform
