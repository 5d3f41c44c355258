// fuzz_ini_document: arbitrary bytes as INI text, with names and values carved
// from the same input, through every entry point of the portable INI engine.
// It checks what must hold for any text:
//
// - a found value lies inside the text, holds no NUL, and no CR or LF except
//   as the second byte of a double-byte character, and starts with no blank;
// - CArgument, TrimFallback and ReadResult give what their contracts say
//   (checked against the small helpers below, not against the engine's code);
// - Set changes no byte outside the line it edits: the stretch of the old
//   text it replaces holds no line break (an insertion replaces nothing; a
//   CR or LF that is the second byte of a double-byte character is none);
// - a Set that reports no change leaves the text as it was, and a Set of the
//   same value again changes nothing;
// - after Set(s, k, v), Find(s, k) gives v as a read of it must: cut at its
//   first NUL, without a lone lead byte at its end, without blanks at either
//   end (the file's stepping decides what a trailing blank is), and a Set of
//   another name leaves the value of every other entry as it was. This holds
//   only when the write cannot change the structure of the file: the value
//   and the names as written (leading blanks dropped) hold no CR or LF, and
//   the key neither starts with "[" (the line could become a
//   section header) nor holds "=" (the line would split elsewhere);
// - a fresh parse of the edited text answers as the edited document does.
//
// Input layout (see README.md):
//   byte 0      flags: 1 section named from the text, 2 key named from the
//               text, 8 also set the fallback field, then the value again;
//               4 and 16+32 expand runs (below)
//   bytes 1-4   which header / entry line of the text names the section, the
//               key, and the other section and key whose value must survive
//   then        section, key, value and fallback, each ended by a 0xFF byte
//   the rest    the file text
// With flag 4, a 0x01 byte followed by b stands for 1023 copies of b (eight
// times at most in each field and in the text). With flags 16 and 32, the
// first two 0x02 bytes of the text followed by b stand for 2,000,000 copies
// of b; few mutations make that, so most inputs stay fast.
// A small input thus reaches the read limit or makes a multi-megabyte line.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ini/ini_document.h"

namespace {

using qlm::ini::Document;

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

void Check(bool condition, const char* what) {
  if (!condition) Fail(what);
}

// --- Small independent helpers: how bytes group into characters. ---

bool IsLeadByte(unsigned char c) { return (0x81 <= c && c <= 0x9F) || (0xE0 <= c && c <= 0xFC); }

bool IsBlankByte(unsigned char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == 0x1A;
}

// Where the Shift-JIS character after the one at i starts.
std::size_t SjisNext(std::string_view s, std::size_t i) {
  const bool pair = IsLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size() && s[i + 1] != '\0';
  return i + (pair ? 2 : 1);
}

// Where the last Shift-JIS character of a non-empty s starts.
std::size_t SjisLast(std::string_view s) {
  std::size_t last = 0;
  for (std::size_t i = 0; i < s.size(); i = SjisNext(s, i)) last = i;
  return last;
}

bool IsSjisBoundary(std::string_view s, std::size_t offset) {
  std::size_t i = 0;
  while (i < offset) i = SjisNext(s, i);
  return i == offset;
}

bool EndsInLoneLeadByte(std::string_view s) {
  return !s.empty() && SjisLast(s) == s.size() - 1 && IsLeadByte(static_cast<unsigned char>(s.back()));
}

// s up to its first NUL, without a lead byte that stands alone at its end.
std::string ExpectedArgument(std::string_view s) {
  std::string out(s.substr(0, s.find('\0')));
  if (EndsInLoneLeadByte(out)) out.pop_back();
  return out;
}

std::string DropLeadingBlanks(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && IsBlankByte(static_cast<unsigned char>(s[i]))) ++i;
  return std::string(s.substr(i));
}

// Without blanks at the end. A blank byte can be the second byte of a
// Shift-JIS pair; in a UTF-8 file it never belongs to a longer character.
std::string DropTrailingBlanks(std::string_view s, bool utf8) {
  if (utf8) {
    std::size_t end = s.size();
    while (end > 0 && IsBlankByte(static_cast<unsigned char>(s[end - 1]))) --end;
    return std::string(s.substr(0, end));
  }
  std::size_t keep = 0;
  for (std::size_t i = 0, next; i < s.size(); i = next) {
    next = SjisNext(s, i);
    if (next - i == 2 || !IsBlankByte(static_cast<unsigned char>(s[i]))) keep = next;
  }
  return std::string(s.substr(0, keep));
}

std::string Trimmed(std::string_view s) { return DropTrailingBlanks(DropLeadingBlanks(s), false); }

std::string AsciiUpper(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

// --- Contracts of the argument and result helpers. ---

void CheckCArgument(std::string_view argument) {
  Check(qlm::ini::CArgument(argument) == ExpectedArgument(argument), "CArgument cuts at NUL and drops a lone lead byte");
}

void CheckTrimFallback(std::string_view fallback) {
  const std::string_view trimmed = qlm::ini::TrimFallback(fallback);
  Check(trimmed.size() <= fallback.size() && fallback.substr(0, trimmed.size()) == trimmed,
        "TrimFallback gives a prefix");
  Check(fallback.substr(trimmed.size()).find_first_not_of(' ') == std::string_view::npos,
        "TrimFallback removes spaces only");
  Check(trimmed.empty() == fallback.empty(), "TrimFallback keeps a space of an all-space fallback");
  Check(IsSjisBoundary(fallback, trimmed.size()), "TrimFallback keeps double-byte characters whole");
  if (trimmed.size() < fallback.size() && trimmed != " ") {
    // What is left ends in a character that is not a lone space.
    const std::size_t last = SjisLast(trimmed);
    Check(!(trimmed.size() - last == 1 && trimmed[last] == ' '), "TrimFallback removes every trailing space");
  }
}

// ReadResult removes one pair of enclosing quotes (single-byte characters of
// the same kind, two characters at least) and cuts to the read limit without
// splitting a character. Up to the limit the result is exact; past it the
// platform may lose one more character.
void CheckReadResult(std::string_view value) {
  const std::string result = qlm::ini::ReadResult(value);
  const bool quoted = value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0] &&
                      SjisLast(value) == value.size() - 1;
  const std::string_view inner = quoted ? value.substr(1, value.size() - 2) : value;
  Check(result.size() <= qlm::ini::kReadLimit, "ReadResult fits the buffer");
  if (value.size() <= qlm::ini::kReadLimit) {
    Check(result == inner, "ReadResult of a value within the limit");
    return;
  }
  Check(inner.substr(0, result.size()) == result, "ReadResult gives the start of the value");
  Check(IsSjisBoundary(inner, result.size()), "ReadResult keeps double-byte characters whole");
  Check(result.size() + 1 >= std::min(inner.size(), qlm::ini::kReadLimit), "ReadResult cuts no more than a character");
}

// utf8: whether the document was read as UTF-8 (its text started with a
// byte-order mark when it was parsed).
void CheckFound(const std::string& text, bool utf8, std::optional<std::string_view> value) {
  if (!value) return;
  Check(value->data() >= text.data() && value->data() + value->size() <= text.data() + text.size(),
        "a found value lies inside the text");
  Check(value->find('\0') == std::string_view::npos, "a found value holds no NUL");
  // CR or LF only as the second byte of a double-byte character.
  if (utf8) {
    Check(!HasLineBreak(*value), "a found value holds no line break");
  } else {
    for (std::size_t i = 0; i < value->size(); i = SjisNext(*value, i))
      Check(!HasLineBreak(value->substr(i, 1)), "a found value holds no line break");
  }
  Check(value->empty() || !IsBlankByte(static_cast<unsigned char>(value->front())), "a found value has no leading blank");
  CheckReadResult(*value);
}

// --- Carving the input. ---

class Input {
 public:
  Input(const std::uint8_t* data, std::size_t size) : rest_(reinterpret_cast<const char*>(data), size) {}
  std::uint8_t Byte() {
    if (rest_.empty()) return 0;
    const auto b = static_cast<std::uint8_t>(rest_[0]);
    rest_.remove_prefix(1);
    return b;
  }
  std::string Field() {
    const std::size_t end = rest_.find('\xFF');
    std::string field(rest_.substr(0, end));
    rest_.remove_prefix(end == std::string_view::npos ? rest_.size() : end + 1);
    return field;
  }
  std::string Rest() { return std::string(rest_); }

 private:
  std::string_view rest_;
};

// Replaces up to limit occurrences of marker and a byte b with count copies
// of b.
std::string Expand(const std::string& s, std::string_view marker, std::size_t count, int limit) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (limit > 0 && s.compare(i, marker.size(), marker) == 0 && i + marker.size() < s.size()) {
      i += marker.size();
      out.append(count, s[i]);
      --limit;
    } else {
      out += s[i];
    }
  }
  return out;
}

// Names as they stand in the text, by a rough reading of it: enough to make
// most edits hit existing sections and keys. A name longer than 64 KiB is
// cut there: each check looks a name up several times, and multi-megabyte
// names would make a single input run for many seconds.
struct Names {
  std::vector<std::string> sections, keys;
};

constexpr std::size_t kNameLimit = 65536;

Names NamesIn(std::string_view text) {
  Names names;
  std::size_t pos = 0;
  while (pos < text.size() && names.sections.size() + names.keys.size() < 256) {
    const std::size_t end = std::min(text.find_first_of("\r\n", pos), text.size());
    const std::string_view line = text.substr(pos, end - pos);
    const std::size_t open = line.find_first_not_of(" \t");
    const std::size_t close = line.rfind(']');
    if (open != std::string_view::npos && line[open] == '[' && close != std::string_view::npos && close > open)
      names.sections.emplace_back(line.substr(open + 1, std::min<std::size_t>(close - open - 1, kNameLimit)));
    else if (const std::size_t equals = line.find('='); equals != std::string_view::npos)
      names.keys.emplace_back(line.substr(0, std::min(equals, kNameLimit)));
    pos = end + 1;
  }
  return names;
}

std::string Pick(const std::vector<std::string>& from, std::uint8_t choice, const std::string& otherwise) {
  return from.empty() ? otherwise : from[choice % from.size()];
}

// --- Editing. ---

struct Target {
  std::string section, key;
};

// True when a value set under these names must read back as written and
// leave every other entry alone.
bool WriteKeepsStructure(const Target& t, std::string_view value) {
  // Names are written with their leading blanks dropped, trailing ones kept.
  const std::string section = DropLeadingBlanks(ExpectedArgument(t.section));
  const std::string key = DropLeadingBlanks(ExpectedArgument(t.key));
  return !HasLineBreak(ExpectedArgument(value)) && !HasLineBreak(section) && !HasLineBreak(key) &&
         (key.empty() || key[0] != '[') && key.find('=') == std::string::npos;
}

bool SameEntry(const Target& a, const Target& b) {
  return AsciiUpper(Trimmed(ExpectedArgument(a.section))) == AsciiUpper(Trimmed(ExpectedArgument(b.section))) &&
         AsciiUpper(Trimmed(ExpectedArgument(a.key))) == AsciiUpper(Trimmed(ExpectedArgument(b.key)));
}

// True when an edit from before to after replaced a line break of before: one
// in the stretch left between the longest common prefix and the longest
// common suffix of the two. A CR or LF that is the second byte of a
// double-byte character is no line break (in a UTF-8 file every one is).
bool ReplacesLineBreak(std::string_view before, std::string_view after, bool utf8) {
  std::size_t prefix = 0;
  while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix]) ++prefix;
  std::size_t suffix = 0;
  while (suffix < before.size() - prefix && suffix < after.size() - prefix &&
         before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
    ++suffix;
  const std::size_t end = before.size() - suffix;
  if (utf8) return HasLineBreak(before.substr(prefix, end - prefix));
  for (std::size_t i = 0; i < end; i = SjisNext(before, i))
    if (i >= prefix && HasLineBreak(before.substr(i, 1))) return true;
  return false;
}

bool StartsWithBom(std::string_view text) { return text.substr(0, 3) == "\xEF\xBB\xBF"; }

// False when the edit left a document that later checks cannot rely on.
bool CheckSet(Document& document, const Target& target, const std::string& value, const Target& other) {
  const bool utf8 = StartsWithBom(document.text());
  // A key that starts with the bytes of a UTF-8 byte-order mark, written at
  // the very start of the text, makes the text read as UTF-8, as every later
  // reader of the file will read it; the key's name then loses those bytes.
  const bool makesMark = !utf8 && StartsWithBom(DropLeadingBlanks(ExpectedArgument(target.key)));
  // A lead byte cut off at the end of the text becomes "・" when something
  // is added after it, which it would otherwise take as its second byte.
  const bool cutsLead = !utf8 && EndsInLoneLeadByte(document.text());
  const auto otherBefore = document.Find(other.section, other.key);
  const std::optional<std::string> otherValue = otherBefore ? std::optional<std::string>(*otherBefore) : std::nullopt;

  const std::string before = document.text();
  const bool changed = document.Set(target.section, target.key, value);
  const std::string& after = document.text();
  if (!changed) Check(after == before, "a Set that reports no change leaves the text alone");
  Check(!ReplacesLineBreak(before, after, utf8), "a Set changes no byte outside the edited line");

  const std::string written = DropLeadingBlanks(ExpectedArgument(value));
  const std::string expected = DropTrailingBlanks(written, utf8);
  const bool exact = WriteKeepsStructure(target, value) && !makesMark;
  const auto found = document.Find(target.section, target.key);
  CheckFound(after, utf8, found);
  if (exact) {
    Check(found.has_value(), "a value just set is found");
    Check(*found == expected, "a value just set reads back as written");
    if (!SameEntry(target, other)) {
      const auto otherAfter = document.Find(other.section, other.key);
      const bool same = otherAfter.has_value() == otherValue.has_value() &&
                        (!otherAfter || *otherAfter == *otherValue ||
                         (cutsLead && *otherAfter == otherValue->substr(0, otherValue->size() - 1) + "\x81\x45"));
      Check(same, "a Set leaves other entries alone");
    }
  }

  // The same Set again.
  const std::string once = after;
  const bool again = document.Set(target.section, target.key, value);
  if (exact) {
    Check(document.text() == once, "setting the same value again changes nothing");
    if (written == expected) Check(!again, "setting the same value again reports no change");
  } else if (!again) {
    Check(document.text() == once, "a Set that reports no change leaves the text alone");
  }

  if (!utf8 && StartsWithBom(document.text())) return false;
  const Document fresh(document.text());
  Check(fresh.Find(target.section, target.key) == document.Find(target.section, target.key),
        "a fresh parse reads what the edited document reads");
  Check(fresh.Find(other.section, other.key) == document.Find(other.section, other.key),
        "a fresh parse reads what the edited document reads");
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Input input(data, size);
  const std::uint8_t flags = input.Byte();
  const std::uint8_t pickSection = input.Byte(), pickKey = input.Byte();
  const std::uint8_t pickOtherSection = input.Byte(), pickOtherKey = input.Byte();
  auto field = [&] { return flags & 4 ? Expand(input.Field(), "\x01", 1023, 8) : input.Field(); };
  std::string section = field(), key = field(), value = field(), fallback = field();
  std::string text = input.Rest();
  if ((flags & 48) == 48) text = Expand(text, "\x02\x02", 2000000, 1);
  if (flags & 4) text = Expand(text, "\x01", 1023, 8);

  const Names names = NamesIn(text);
  if (flags & 1) section = Pick(names.sections, pickSection, section);
  if (flags & 2) key = Pick(names.keys, pickKey, key);
  const Target target{section, key};
  const Target other{Pick(names.sections, pickOtherSection, ""), Pick(names.keys, pickOtherKey, "")};

  for (const std::string* s : {&section, &key, &value, &fallback}) CheckCArgument(*s);
  CheckTrimFallback(fallback);
  CheckReadResult(value);
  CheckReadResult(qlm::ini::TrimFallback(qlm::ini::CArgument(fallback)));

  Document document(text);
  Check(document.text() == text, "parsing leaves the text alone");
  const bool utf8 = StartsWithBom(text);
  CheckFound(document.text(), utf8, document.Find(section, key));
  CheckFound(document.text(), utf8, document.Find(other.section, other.key));

  // Writing a section's keys in one go plans what the writes one by one
  // leave: every entry of the plan reads back the same from the text those
  // writes make.
  const std::vector<std::pair<std::string, std::string>> writes = {{key, value}, {other.key, value + "1"}};
  if (const auto plan = Document::SectionAfterWrites(text, section, writes); plan && !plan->empty()) {
    Document oneByOne(text);
    for (const auto& [k, v] : writes) oneByOne.Set(section, k, v);
    for (std::size_t at = 0; at < plan->size();) {
      const std::size_t end = plan->find('\0', at);
      const std::string entry = plan->substr(at, end - at);
      const std::size_t equals = entry.find('=');
      Check(equals != std::string::npos, "a planned entry has a value");
      const auto found = oneByOne.Find(section, entry.substr(0, equals));
      Check(found && *found == entry.substr(equals + 1), "a planned entry is what the single writes leave");
      at = end + 1;
    }
  }

  // On a multi-megabyte text one round of edits is enough (each parses it
  // several times).
  const bool more = (flags & 8) && text.size() < 1000000;
  if (CheckSet(document, target, value, other) && more && CheckSet(document, target, fallback, other))
    CheckSet(document, target, value, other);
  return 0;
}
