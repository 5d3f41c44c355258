// ini_document.cpp: parsing, looking up and editing INI text in place.
#include "platform/ini/ini_document.h"

#include <algorithm>
#include <array>
#include <tuple>

namespace qlm::ini {
namespace {

bool IsLead932(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

constexpr bool IsBlank(unsigned char c) { return c == ' ' || (c >= 0x09 && c <= 0x0D) || c == 0x1A; }

constexpr bool IsLineBreak(char c) { return c == '\r' || c == '\n'; }

// Length of the Shift-JIS character at pos: a lead byte takes the next byte
// with it unless that byte is NUL or missing.
std::size_t CharLength932(std::string_view text, std::size_t pos) {
  if (IsLead932(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size() && text[pos + 1] != '\0')
    return 2;
  return 1;
}

// Length of the UTF-8 character at pos; a malformed sequence is one byte.
std::size_t CharLengthUtf8(std::string_view text, std::size_t pos) {
  const auto c = static_cast<unsigned char>(text[pos]);
  const std::size_t length = c >= 0xC2 && c <= 0xDF ? 2 : c >= 0xE0 && c <= 0xEF ? 3 : c >= 0xF0 && c <= 0xF4 ? 4 : 1;
  for (std::size_t k = 1; k < length; ++k)
    if (pos + k >= text.size() || (static_cast<unsigned char>(text[pos + k]) & 0xC0) != 0x80) return 1;
  return length;
}

// The length of the character at pos, asking charLength only for a byte of
// 0x80 or above: a byte below is one character in either code, and the most
// of a settings file.
template <typename CharLength>
std::size_t StepAt(std::string_view text, std::size_t pos, CharLength charLength) {
  return static_cast<unsigned char>(text[pos]) < 0x80 ? 1 : charLength(text, pos);
}

// Whether a byte needs no look of its own in a scan: below 0x80 (one
// character in either code), not blank, no line break, no "]" or "=". Runs
// of them, the most of a settings file, are stepped over at once.
constexpr auto kOrdinary = [] {
  std::array<bool, 256> ordinary{};
  for (int c = 0; c < 0x80; ++c) ordinary[c] = !IsBlank(static_cast<unsigned char>(c)) && c != ']' && c != '=';
  return ordinary;
}();

bool IsOrdinary(char c) { return kOrdinary[static_cast<unsigned char>(c)]; }

// The end of the run of ordinary bytes from pos, before end.
std::size_t OrdinaryRunEnd(std::string_view text, std::size_t pos, std::size_t end) {
  while (pos < end && IsOrdinary(text[pos])) ++pos;
  return pos;
}

// The range [begin, end) of text without blanks at either end; begin must
// start a character.
template <typename CharLength>
std::pair<std::size_t, std::size_t> TrimRange(std::string_view text, std::size_t begin, std::size_t end,
                                              CharLength charLength) {
  while (begin < end && IsBlank(static_cast<unsigned char>(text[begin]))) ++begin;
  std::size_t contentEnd = begin;
  for (std::size_t pos = begin; pos < end;) {
    if (IsOrdinary(text[pos])) {
      contentEnd = pos = OrdinaryRunEnd(text, pos, end);
      continue;
    }
    const std::size_t length = StepAt(text, pos, charLength);
    if (length > 1 || !IsBlank(static_cast<unsigned char>(text[pos]))) contentEnd = pos + length;
    pos += length;
  }
  return {begin, contentEnd};
}

// The end of [begin, end) cut at its first NUL byte.
std::size_t CutAtNul(std::string_view text, std::size_t begin, std::size_t end) {
  const auto nul = std::find(text.begin() + static_cast<std::ptrdiff_t>(begin),
                             text.begin() + static_cast<std::ptrdiff_t>(end), '\0');
  return static_cast<std::size_t>(nul - text.begin());
}

// Where the parts of a line are, found in one pass over its bytes.
struct LineScan {
  std::size_t contentBegin = std::string_view::npos;  // first non-blank byte
  std::size_t contentEnd = 0;                          // after the last non-blank character
  std::size_t lastBracket = std::string_view::npos;
  std::size_t firstEquals = std::string_view::npos;
  std::size_t breakBegin = 0, end = 0;  // the line break and the byte after it
};

template <typename CharLength>
LineScan ScanLine(std::string_view text, std::size_t pos, CharLength charLength) {
  LineScan scan;
  scan.contentEnd = pos;
  while (pos < text.size() && !IsLineBreak(text[pos])) {
    if (IsOrdinary(text[pos])) {
      if (scan.contentBegin == std::string_view::npos) scan.contentBegin = pos;
      scan.contentEnd = pos = OrdinaryRunEnd(text, pos, text.size());
      continue;
    }
    const std::size_t length = StepAt(text, pos, charLength);
    if (length > 1 || !IsBlank(static_cast<unsigned char>(text[pos]))) {
      if (scan.contentBegin == std::string_view::npos) scan.contentBegin = pos;
      scan.contentEnd = pos + length;
    }
    if (length == 1 && text[pos] == ']') scan.lastBracket = pos;
    if (length == 1 && text[pos] == '=' && scan.firstEquals == std::string_view::npos) scan.firstEquals = pos;
    pos += length;
  }
  scan.breakBegin = pos;
  while (pos < text.size() && IsLineBreak(text[pos])) ++pos;
  scan.end = pos;
  return scan;
}

// The range [begin, end) without blanks at either end and cut at a NUL: a
// name or a value as a reader finds it.
template <typename CharLength>
std::pair<std::size_t, std::size_t> StoredRange(std::string_view text, std::size_t begin, std::size_t end,
                                                CharLength charLength) {
  const auto [b, e] = TrimRange(text, begin, end, charLength);
  return {b, CutAtNul(text, b, e)};
}

// Where the section name of a header line is (a "[" first and a "]" after
// it); nothing for another line.
template <typename CharLength>
std::optional<std::pair<std::size_t, std::size_t>> HeaderName(std::string_view text, const LineScan& scan,
                                                                CharLength charLength) {
  if (scan.contentBegin == std::string_view::npos || text[scan.contentBegin] != '[' ||
      scan.lastBracket == std::string_view::npos || scan.lastBracket <= scan.contentBegin)
    return std::nullopt;
  return StoredRange(text, scan.contentBegin + 1, scan.lastBracket, charLength);
}

bool HasUtf8Mark(std::string_view text) { return text.substr(0, 3) == "\xEF\xBB\xBF"; }

// Whether the line at pos starts with "[" after its blanks, as a header does.
bool MayBeHeader(std::string_view text, std::size_t pos) {
  while (pos < text.size() && !IsLineBreak(text[pos]) && IsBlank(static_cast<unsigned char>(text[pos]))) ++pos;
  return pos < text.size() && text[pos] == '[';
}

// Whether a byte is one character of a line, whatever the code: below 0x80
// and no line break.
constexpr auto kInLine = [] {
  std::array<bool, 256> inLine{};
  for (int c = 0; c < 0x80; ++c) inLine[c] = !IsLineBreak(static_cast<char>(c));
  return inLine;
}();

// The start of the line after the one at pos, where ScanLine ends it, for a
// line whose parts are not wanted.
template <typename CharLength>
std::size_t NextLine(std::string_view text, std::size_t pos, CharLength charLength) {
  while (pos < text.size()) {
    while (pos < text.size() && kInLine[static_cast<unsigned char>(text[pos])]) ++pos;
    if (pos == text.size() || IsLineBreak(text[pos])) break;
    pos += charLength(text, pos);
  }
  while (pos < text.size() && IsLineBreak(text[pos])) ++pos;
  return pos;
}

template <typename CharLength, typename Each>
void ForEachHeaderFrom(std::string_view text, std::size_t pos, CharLength charLength, Each& each) {
  while (pos < text.size()) {
    if (!MayBeHeader(text, pos)) {
      pos = NextLine(text, pos, charLength);
      continue;
    }
    const LineScan scan = ScanLine(text, pos, charLength);
    if (const auto name = HeaderName(text, scan, charLength))
      each(pos, text.substr(name->first, name->second - name->first));
    pos = scan.end;
  }
}

// Calls each(begin, name) for the header lines of text in order, begin
// being the line's first byte, reading text as a Document does (UTF-8 after
// a byte-order mark, else Shift-JIS); the other lines are only stepped over.
template <typename Each>
void ForEachHeader(std::string_view text, Each each) {
  if (HasUtf8Mark(text))
    ForEachHeaderFrom(text, 3, [](std::string_view t, std::size_t at) { return CharLengthUtf8(t, at); }, each);
  else
    ForEachHeaderFrom(text, 0, [](std::string_view t, std::size_t at) { return CharLength932(t, at); }, each);
}

std::string_view TrimLeadingBlanks(std::string_view text) {
  std::size_t begin = 0;
  while (begin < text.size() && IsBlank(static_cast<unsigned char>(text[begin]))) ++begin;
  return text.substr(begin);
}

// Names match byte for byte, except that ASCII letters standing as
// characters of their own match in either case.
bool NamesEqual(std::string_view stored, std::string_view wanted) {
  if (stored.size() != wanted.size()) return false;
  for (std::size_t pos = 0; pos < stored.size();) {
    const std::size_t length = CharLength932(stored, pos);
    if (length == 2) {
      if (stored[pos] != wanted[pos] || stored[pos + 1] != wanted[pos + 1]) return false;
    } else {
      auto fold = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
      if (fold(stored[pos]) != fold(wanted[pos])) return false;
    }
    pos += length;
  }
  return true;
}

}  // namespace

std::string_view CArgument(std::string_view argument) {
  argument = argument.substr(0, argument.find('\0'));
  std::size_t last = 0;
  for (std::size_t pos = 0; pos < argument.size(); pos += CharLength932(argument, pos)) last = pos;
  if (!argument.empty() && last == argument.size() - 1 && IsLead932(static_cast<unsigned char>(argument[last])))
    argument.remove_suffix(1);
  return argument;
}

std::string ReadResult(std::string_view value) {
  std::vector<std::size_t> starts;
  for (std::size_t pos = 0; pos < value.size(); pos += CharLength932(value, pos)) starts.push_back(pos);
  starts.push_back(value.size());
  std::size_t first = 0;
  std::size_t count = starts.size() - 1;

  // The platform copies at most kReadLimit characters after dropping the
  // opening quote, and then drops the last character it copied when the
  // value fitted in its buffer; a value just one character too long thus
  // loses a character that is not the closing quote.
  const bool quoted = count >= 2 && (value[0] == '"' || value[0] == '\'') &&
                      starts[count] - starts[count - 1] == 1 && value.back() == value[0];
  if (quoted) {
    first = 1;
    --count;
  }
  std::size_t take = std::min(count, kReadLimit);
  if (quoted && count <= kReadLimit + 1) --take;

  // Then the characters are converted into kReadLimit bytes, never splitting
  // a double-byte character.
  std::size_t end = first;
  while (end < first + take && starts[end + 1] - starts[first] <= kReadLimit) ++end;
  return std::string(value.substr(starts[first], starts[end] - starts[first]));
}

std::string UnopenedFallback(std::string_view fallback) {
  fallback = TrimFallback(CArgument(fallback));
  std::size_t end = 0;
  while (end < fallback.size() && end + CharLength932(fallback, end) <= kReadLimit)
    end += CharLength932(fallback, end);
  return std::string(fallback.substr(0, end));
}

std::string_view TrimFallback(std::string_view fallback) {
  std::vector<std::size_t> starts;
  for (std::size_t pos = 0; pos < fallback.size(); pos += CharLength932(fallback, pos)) starts.push_back(pos);
  std::size_t count = starts.size();
  while (count > 1 && fallback[starts[count - 1]] == ' ' && CharLength932(fallback, starts[count - 1]) == 1)
    --count;
  return count == starts.size() ? fallback : fallback.substr(0, starts[count]);
}

Document::Document(std::string text) : text_(std::move(text)) { Parse(); }

std::size_t Document::CharLength(std::string_view text, std::size_t pos) const {
  return utf8_ ? CharLengthUtf8(text, pos) : CharLength932(text, pos);
}

namespace {

// A name without blanks at either end, in UTF-8 or Shift-JIS.
std::string_view Trimmed(std::string_view name, bool utf8) {
  const auto [begin, end] = utf8 ? TrimRange(name, 0, name.size(), CharLengthUtf8)
                                 : TrimRange(name, 0, name.size(), CharLength932);
  return name.substr(begin, end - begin);
}

// A name given to a lookup in text, as the lookup takes it.
std::string_view LookupName(std::string_view text, std::string_view name) {
  return Trimmed(CArgument(name), HasUtf8Mark(text));
}

}  // namespace

// Names given to a lookup are trimmed the way the text's own names are.
std::string_view Document::TrimName(std::string_view name) const { return Trimmed(name, utf8_); }

void Document::Parse() {
  // An edit can make the text start with a byte-order mark (a name starting
  // with its bytes, written first); the text is then read as the next reader
  // of the file will read it.
  utf8_ = text_.size() >= 3 && text_.compare(0, 3, "\xEF\xBB\xBF") == 0;
  bodyBegin_ = utf8_ ? 3 : 0;
  lines_.clear();
  lines_.reserve(static_cast<std::size_t>(std::count(text_.begin(), text_.end(), '\n')) + 1);
  headers_.clear();
  for (std::size_t pos = bodyBegin_; pos < text_.size(); pos = lines_.back().end) {
    lines_.push_back(ParseLine(pos));
    if (lines_.back().kind == Kind::kSection) headers_.push_back(lines_.size() - 1);
  }
}

// The line that starts at pos: a blank line, a section header (a "[" with a
// "]" after it) or an entry. Inline, into the parse's loop: a call a line
// costs a settings file's parse about a fifth of its time.
inline Document::Line Document::ParseLine(std::size_t pos) const {
  const std::string_view text = text_;
  const auto charLength = [this](std::string_view t, std::size_t at) { return CharLength(t, at); };
  const LineScan scan = ScanLine(text, pos, charLength);
  Line line;
  line.begin = pos;
  line.contentEnd = scan.contentEnd;
  line.breakBegin = scan.breakBegin;
  line.end = scan.end;
  if (scan.contentBegin == std::string_view::npos) return line;
  if (const auto name = HeaderName(text, scan, charLength)) {
    line.kind = Kind::kSection;
    std::tie(line.nameBegin, line.nameEnd) = *name;
    return line;
  }
  line.kind = Kind::kEntry;
  const bool hasValue = scan.firstEquals != std::string_view::npos;
  std::tie(line.nameBegin, line.nameEnd) =
      StoredRange(text, scan.contentBegin, hasValue ? scan.firstEquals : scan.contentEnd, charLength);
  if (hasValue) {
    line.hasValue = true;
    line.equalsEnd = scan.firstEquals + 1;
    std::tie(line.valueBegin, line.valueEnd) = StoredRange(text, line.equalsEnd, scan.contentEnd, charLength);
  }
  return line;
}

std::string_view Document::Name(const Line& line) const {
  return std::string_view(text_).substr(line.nameBegin, line.nameEnd - line.nameBegin);
}

std::string_view Document::Value(const Line& line) const {
  return std::string_view(text_).substr(line.valueBegin, line.valueEnd - line.valueBegin);
}

namespace {

// The first section of text named name, from its header line to the next
// header or the end, and whether more sections bear that name.
struct SectionsNamed {
  std::optional<std::pair<std::size_t, std::size_t>> first;
  bool more = false;
};

SectionsNamed FindSectionsNamed(std::string_view text, std::string_view name) {
  SectionsNamed found;
  bool ended = false;
  ForEachHeader(text, [&](std::size_t begin, std::string_view header) {
    if (found.first && !ended) {
      found.first->second = begin;
      ended = true;
    }
    if (!NamesEqual(header, name)) return;
    if (found.first) found.more = true;
    else found.first = std::pair{begin, text.size()};
  });
  return found;
}

}  // namespace

std::optional<std::pair<std::size_t, std::size_t>> Document::SectionSpan(std::string_view text,
                                                                         std::string_view section) {
  const std::string_view wanted = LookupName(text, section);
  if (wanted.empty()) return std::nullopt;
  return FindSectionsNamed(text, wanted).first;
}

Document Document::OfSections(std::string_view text, const std::vector<std::string>& names) {
  // A byte-order mark stays, so that the sections are read in the same code.
  std::string kept(text.substr(0, HasUtf8Mark(text) ? 3 : 0));
  std::vector<std::string_view> wanted;
  for (const std::string& name : names) wanted.push_back(LookupName(text, name));
  constexpr std::size_t kNone = std::string_view::npos;
  std::size_t from = kNone;  // the first byte of a wanted section being passed
  ForEachHeader(text, [&](std::size_t begin, std::string_view name) {
    if (from != kNone) kept.append(text.substr(from, begin - from));
    const bool isWanted =
        std::any_of(wanted.begin(), wanted.end(), [&](std::string_view each) { return NamesEqual(name, each); });
    from = isWanted ? begin : kNone;
  });
  if (from != kNone) kept.append(text.substr(from));
  return Document(std::move(kept));
}

std::optional<long> Document::FindSection(std::string_view section) const {
  // The nameless section before the first header always comes first.
  if (section.empty()) return -1;
  for (const std::size_t i : headers_)
    if (NamesEqual(Name(lines_[i]), section)) return static_cast<long>(i);
  return std::nullopt;
}

std::optional<std::size_t> Document::FindEntry(long header, std::string_view key) const {
  for (auto i = static_cast<std::size_t>(header + 1); i < lines_.size(); ++i) {
    if (lines_[i].kind == Kind::kSection) break;
    if (lines_[i].kind == Kind::kEntry && NamesEqual(Name(lines_[i]), key)) return i;
  }
  return std::nullopt;
}

std::optional<std::string_view> Document::Find(std::string_view section, std::string_view key) const {
  const auto at = Locate(section);
  return at ? Find(*at, key) : std::nullopt;
}

std::optional<Document::SectionAt> Document::Locate(std::string_view section) const {
  const auto header = FindSection(TrimName(CArgument(section)));
  if (!header) return std::nullopt;
  return SectionAt{*header};
}

std::optional<std::string_view> Document::Find(SectionAt section, std::string_view key) const {
  const auto entry = FindEntry(section.header, TrimName(CArgument(key)));
  if (!entry || !lines_[*entry].hasValue) return std::nullopt;
  return Value(lines_[*entry]);
}

std::string Document::LineBreak() const {
  for (const Line& line : lines_) {
    if (line.breakBegin == line.end) continue;
    if (text_[line.breakBegin] == '\r' && line.breakBegin + 1 < line.end && text_[line.breakBegin + 1] == '\n')
      return "\r\n";
    return std::string(1, text_[line.breakBegin]);
  }
  return "\r\n";
}

// The end of the line's own line break; the blank lines that follow it are
// counted with its break.
std::size_t Document::FirstBreakEnd(const Line& line) const {
  if (line.breakBegin == line.end) return line.end;
  const bool crlf = text_[line.breakBegin] == '\r' && line.breakBegin + 1 < line.end &&
                    text_[line.breakBegin + 1] == '\n';
  return line.breakBegin + (crlf ? 2 : 1);
}

// A lead byte left alone at the end of a cut-off text would take whatever is
// written after it as its second byte, joining it to the last line. Before
// anything is added at the end, the broken character becomes "・" (0x81
// 0x45), the character the platform reads it as. Returns the bytes added.
std::size_t Document::MendCutOffCharacter() {
  if (utf8_ || lines_.empty() || lines_.back().breakBegin != text_.size()) return 0;
  std::size_t last = lines_.back().begin;
  for (std::size_t pos = last; pos < text_.size(); pos += CharLength(text_, pos)) last = pos;
  if (last + 1 != text_.size() || !IsLead932(static_cast<unsigned char>(text_[last]))) return 0;
  text_.replace(last, 1, "\x81\x45");
  return 1;
}

// Inserts content as a line of its own at byte offset at, which is the start
// of a line or the end of the text.
void Document::InsertLine(std::size_t at, std::string_view content) {
  const std::string lineBreak = LineBreak();
  std::string inserted;
  if (at == text_.size() && !lines_.empty() && lines_.back().breakBegin == lines_.back().end) {
    at += MendCutOffCharacter();
    inserted = lineBreak;
  }
  inserted.append(content);
  inserted.append(lineBreak);
  text_.insert(at, inserted);
}

bool Document::Set(std::string_view section, std::string_view key, std::string_view value) {
  // Names are looked up without blanks at either end, but a new section or
  // entry is written as the platform writes it, with only its leading blanks
  // dropped: trailing ones stay, line breaks included.
  const std::string_view sectionArgument = TrimLeadingBlanks(CArgument(section));
  const std::string_view keyArgument = TrimLeadingBlanks(CArgument(key));
  value = TrimLeadingBlanks(CArgument(value));

  const auto header = FindSection(TrimName(sectionArgument));
  if (!header) {
    InsertLine(text_.size(), "[" + std::string(sectionArgument) + "]");
    Parse();
    InsertLine(text_.size(), std::string(keyArgument) + "=" + std::string(value));
  } else if (const auto entry = FindEntry(*header, TrimName(keyArgument))) {
    if (!ReplaceValue(lines_[*entry], value)) return false;
  } else {
    InsertLine(NewEntryAt(*header), std::string(keyArgument) + "=" + std::string(value));
  }
  Parse();
  return true;
}

// Writes value into the entry's line: after its "=", or with a "=" added to
// a bare name. False when the line already reads so.
bool Document::ReplaceValue(const Line& line, std::string_view value) {
  if (line.hasValue && Value(line) == value) return false;
  std::size_t from = line.contentEnd;
  std::string replacement = "=";
  if (!line.hasValue && from == text_.size()) from += MendCutOffCharacter();
  if (line.hasValue) {
    from = line.equalsEnd;
    while (from < line.breakBegin && IsBlank(static_cast<unsigned char>(text_[from]))) ++from;
    replacement.clear();
  }
  replacement.append(value);
  // A value written again with the same trailing blanks leaves the text as
  // it was, though the platform counts it as a change.
  if (text_.compare(from, line.breakBegin - from, replacement) == 0) return false;
  text_.replace(from, line.breakBegin - from, replacement);
  return true;
}

// Where a new entry of the section whose header is at header goes: after
// its last non-blank line, before any blank lines that follow it.
std::size_t Document::NewEntryAt(long header) const {
  std::size_t at = header < 0 ? bodyBegin_ : FirstBreakEnd(lines_[static_cast<std::size_t>(header)]);
  for (auto i = static_cast<std::size_t>(header + 1); i < lines_.size(); ++i) {
    if (lines_[i].kind == Kind::kSection) break;
    if (lines_[i].kind != Kind::kBlank) at = FirstBreakEnd(lines_[i]);
  }
  return at;
}

bool Document::Remove(std::string_view section, std::string_view key) {
  const auto header = FindSection(TrimName(TrimLeadingBlanks(CArgument(section))));
  if (!header) return false;
  const auto entry = FindEntry(*header, TrimName(TrimLeadingBlanks(CArgument(key))));
  if (!entry) return false;
  // Blank lines that follow stay.
  const Line& line = lines_[*entry];
  text_.erase(line.begin, FirstBreakEnd(line) - line.begin);
  Parse();
  return true;
}

bool Document::IsBareSection(std::string_view section) const {
  const std::string_view name = TrimName(TrimLeadingBlanks(CArgument(section)));
  const auto header = FindSection(name);
  if (!header || *header < 0) return false;
  bool inside = false;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (lines_[i].kind == Kind::kSection) {
      inside = i == static_cast<std::size_t>(*header);
      if (!inside && NamesEqual(Name(lines_[i]), name)) return false;
    } else if (inside && lines_[i].kind != Kind::kBlank) {
      return false;
    }
  }
  return true;
}

bool Document::RemoveBareSection(std::string_view section) {
  if (!IsBareSection(section)) return false;
  const Line& line = lines_[static_cast<std::size_t>(*FindSection(TrimName(TrimLeadingBlanks(CArgument(section)))))];
  text_.erase(line.begin, FirstBreakEnd(line) - line.begin);
  Parse();
  return true;
}

namespace {

// A name or value that the writes store exactly as given, and that a
// reader finds again as it is.
bool StoredAsGiven(std::string_view text, bool name) {
  if (text.empty()) return !name;
  if (IsBlank(static_cast<unsigned char>(text.front())) || IsBlank(static_cast<unsigned char>(text.back())))
    return false;
  if (text.find_first_of("\r\n") != std::string_view::npos) return false;
  // A single write takes it only up to a NUL and without a lead byte left
  // alone at its end.
  if (CArgument(text).size() != text.size()) return false;
  if (name) return text.find('=') == std::string_view::npos && text.front() != '[' && text.front() != ';';
  return text.front() != '"' && text.front() != '\'' && text.back() != '"' && text.back() != '\'';
}

// Whether every key and value of the writes is stored exactly as given.
bool WritesStoredAsGiven(std::string_view section, const KeyValues& values) {
  if (!StoredAsGiven(section, true)) return false;
  for (const auto& [key, value] : values)
    if (!StoredAsGiven(key, true) || !StoredAsGiven(value, false)) return false;
  return true;
}

// Sets each key of values in entries, a new one at the end; whether any
// value changed.
bool ApplyWrites(KeyValues& entries, const KeyValues& values) {
  bool changed = false;
  for (const auto& [key, value] : values) {
    const auto entry = std::find_if(entries.begin(), entries.end(),
                                    [&key = key](const auto& e) { return NamesEqual(e.first, key); });
    if (entry == entries.end()) {
      entries.emplace_back(key, value);
      changed = true;
    } else if (entry->second != value) {
      entry->second = value;
      changed = true;
    }
  }
  return changed;
}

// "name=value" each followed by a NUL.
std::string JoinEntries(const KeyValues& entries) {
  std::string text;
  for (const auto& [name, value] : entries) {
    text += name;
    text += '=';
    text += value;
    text += '\0';
  }
  return text;
}

}  // namespace

std::optional<std::string> Document::SectionAfterWrites(std::string_view text, std::string_view section,
                                                        const KeyValues& values) {
  if (HasUtf8Mark(text) || text.substr(0, 2) == "\xFF\xFE" || text.substr(0, 2) == "\xFE\xFF") return std::nullopt;
  if (!WritesStoredAsGiven(section, values)) return std::nullopt;
  const auto [span, more] = FindSectionsNamed(text, section);
  if (!span || more) return std::nullopt;
  // Lines are parsed each on its own: the section's lines, from its header
  // to the next, parse alone as they do in the whole text.
  auto entries = Document(std::string(text.substr(span->first, span->second - span->first))).PlainEntries();
  if (!entries) return std::nullopt;
  return ApplyWrites(*entries, values) ? JoinEntries(*entries) : std::string();
}

// The entries of a document that is one section's bytes, its header first
// (see SectionAfterWrites), in order; nothing when they are not plain.
std::optional<KeyValues> Document::PlainEntries() const {
  KeyValues entries;
  for (std::size_t i = 1; i < lines_.size(); ++i) {
    const Line& line = lines_[i];
    if (line.kind != Kind::kEntry || !line.hasValue || line.nameBegin != line.begin ||
        line.nameEnd + 1 != line.equalsEnd || line.valueBegin != line.equalsEnd || line.valueEnd != line.breakBegin ||
        std::string_view(text_).substr(line.breakBegin, line.end - line.breakBegin) != "\r\n")
      return std::nullopt;
    const std::string_view name = Name(line), value = Value(line);
    if (!StoredAsGiven(name, true) || !StoredAsGiven(value, false)) return std::nullopt;
    for (const auto& entry : entries)
      if (NamesEqual(entry.first, name)) return std::nullopt;
    entries.emplace_back(name, value);
  }
  return entries;
}

}  // namespace qlm::ini
