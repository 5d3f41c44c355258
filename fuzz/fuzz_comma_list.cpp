// fuzz_comma_list: the font record's comma list. Whatever was split joins
// into a text that splits into the same fields, and any list of fields
// survives a join and a split.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "settings/font_record.h"

namespace {

bool IsLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
bool IsTrail(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }

// Well-formed Shift-JIS: every lead byte has a second byte. A lone lead byte
// would take the following comma or quote with it, in any reader.
bool IsWellFormed(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (!IsLead(static_cast<unsigned char>(text[i]))) continue;
    if (i + 1 == text.size() || !IsTrail(static_cast<unsigned char>(text[i + 1]))) return false;
    ++i;
  }
  return true;
}

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  if (!IsWellFormed(input)) return 0;

  const std::vector<std::string> split = qlm::SplitCommaList(input);
  Check(qlm::SplitCommaList(qlm::JoinCommaList(split)) == split);

  // The input read as a list of fields separated by NUL bytes.
  std::vector<std::string> fields(1);
  for (const char c : input) {
    if (c == '\0') fields.emplace_back();
    else fields.back() += c;
  }
  Check(qlm::SplitCommaList(qlm::JoinCommaList(fields)) == fields);
  return 0;
}
