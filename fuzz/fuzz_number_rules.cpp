// fuzz_number_rules: ParseInteger and ParseStoredInteger against a plain
// reading of the number rules for stored integers, written here from the
// rules alone:
//
//   [spaces] [sign] digits     decimal, leading zeros allowed, within int32
//   [spaces] [sign] P hex      P one of "$" "x" "X" "0x" "0X", 1-8 hex digits,
//                              a 32-bit pattern that "-" negates
//
// Spaces are 0x20 only and may only lead; nothing may follow. A stored value
// longer than two characters that starts with "0x" or "0X" has those two read
// as "$". The input is the text itself; its first four bytes also give a
// number that must survive printing in decimal and in hex.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "settings/profile.h"

namespace {

bool IsDecimal(char c) { return c >= '0' && c <= '9'; }

bool IsHex(char c) { return IsDecimal(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

std::optional<std::int32_t> Reference(std::string_view s) {
  s.remove_prefix(std::min(s.find_first_not_of(' '), s.size()));
  bool minus = false;
  if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
    minus = s[0] == '-';
    s.remove_prefix(1);
  }

  std::string_view hex;
  bool isHex = true;
  if (s.starts_with("0x") || s.starts_with("0X")) hex = s.substr(2);
  else if (s.starts_with("$") || s.starts_with("x") || s.starts_with("X")) hex = s.substr(1);
  else isHex = false;
  if (isHex) {
    if (hex.empty() || hex.size() > 8) return std::nullopt;
    std::uint32_t bits = 0;
    for (const char c : hex) {
      if (!IsHex(c)) return std::nullopt;
      bits = bits * 16 + static_cast<std::uint32_t>(std::strtoul(std::string(1, c).c_str(), nullptr, 16));
    }
    if (minus) bits = ~bits + 1;
    std::int32_t value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  }

  if (s.empty()) return std::nullopt;
  for (const char c : s)
    if (!IsDecimal(c)) return std::nullopt;
  s.remove_prefix(std::min(s.find_first_not_of('0'), s.size() - 1));  // keep one digit
  if (s.size() > 10) return std::nullopt;
  const long long magnitude = std::stoll(std::string(s));
  const long long value = minus ? -magnitude : magnitude;
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

std::optional<std::int32_t> StoredReference(std::string_view s) {
  if (s.size() > 2 && (s.starts_with("0x") || s.starts_with("0X"))) return Reference("$" + std::string(s.substr(2)));
  return Reference(s);
}

void Expect(std::optional<std::int32_t> got, std::optional<std::int32_t> want, const char* what, std::string_view text) {
  if (got == want) return;
  std::fprintf(stderr, "%s(\"%.*s\"): got %s%d, want %s%d\n", what, static_cast<int>(text.size()), text.data(),
               got ? "" : "nothing ", got.value_or(0), want ? "" : "nothing ", want.value_or(0));
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  Expect(qlm::ParseInteger(text), Reference(text), "ParseInteger", text);
  Expect(qlm::ParseStoredInteger(text), StoredReference(text), "ParseStoredInteger", text);

  if (size >= 4) {
    std::int32_t n;
    std::memcpy(&n, data, sizeof n);
    const std::string decimal = std::to_string(n);
    Expect(qlm::ParseStoredInteger(decimal), n, "ParseStoredInteger", decimal);
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%X", static_cast<unsigned>(n));
    Expect(qlm::ParseStoredInteger(hex), n, "ParseStoredInteger", hex);
    std::snprintf(hex, sizeof hex, "-$%x", 0u - static_cast<unsigned>(n));
    Expect(qlm::ParseInteger(hex), n, "ParseInteger", hex);
  }
  return 0;
}
