// ini_document.h: the portable INI engine. It reads INI text the way the
// Windows profile functions read it, and edits it in place.
//
// What it reproduces, for Shift-JIS text (code page 932):
// - A double-byte character is a lead byte (0x81-0x9F, 0xE0-0xFC) and the
//   next byte, whatever it is, unless that byte is NUL or missing. So a second
//   byte is never taken for "[", "]", "=", a blank or a line break.
// - Lines end at CR or LF. Blanks (space, tab, VT, FF, CR, LF and ^Z) around a
//   line, around a name and around a value are not part of them.
// - "[name]" starts a section; the name runs to the last "]" of the line and
//   text after it is ignored. A "[" line without a closing "]" is an entry.
//   Entries before the first section belong to a section with an empty name.
// - An entry is "name=value" (split at the first "="), or a bare name, which
//   has no value and reads as missing. Comment lines are not special: ";x=1"
//   is the entry ";x".
// - Names match without regard to ASCII case. The first section of a name is
//   the only one searched, and the first entry of a name in it wins.
// - A NUL byte ends a name or a value.
// - Reading removes one pair of enclosing quotes (" or ') and cuts the value
//   to 2047 bytes without splitting a double-byte character.
// - Writing replaces a value on its line; a new entry goes after the last
//   non-blank line of the first section of its name, a new section at the
//   end. New names and all values are written without their leading blanks
//   but with their trailing ones, line breaks included (which thus start new
//   lines).
//
// Two differences from the platform are deliberate:
// - The platform rewrites the whole file on every change, trimming each line,
//   dropping blank lines (and with them a "[]" header, which moves that
//   section's entries into the one before it) and cutting lines at a NUL
//   (so "k \0x=1" becomes "k =1", which the name "k" then finds). This engine
//   changes only the line it sets, or inserts one, and keeps every other
//   byte as it was.
// - The platform passes the text through Unicode and back, which changes
//   bytes that are not valid Shift-JIS and converts files that start with a
//   UTF-8 byte-order mark. This engine returns and writes bytes as they
//   stand; a UTF-8 byte-order mark is kept and only steers how characters
//   are stepped over. UTF-16 files are taken as plain bytes. The one byte it
//   changes is a lead byte cut off at the very end of a file, which would
//   take anything written after it as its second byte: it becomes 0x81 0x45
//   ("・"), the character the platform reads it as.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qlm::ini {

// A read returns at most this many bytes.
inline constexpr std::size_t kReadLimit = 2047;

// An argument as the platform's C interface takes it: up to its first NUL,
// and without a lead byte left alone at its end.
std::string_view CArgument(std::string_view argument);

// What a read returns for a stored value or a fallback: one pair of enclosing
// quotes removed, cut to kReadLimit bytes.
std::string ReadResult(std::string_view value);

// The fallback of a read with its trailing spaces removed; a fallback of
// spaces only keeps one.
std::string_view TrimFallback(std::string_view fallback);

// What a read returns when the file cannot be opened at all (its folder is
// missing, a folder stands in its place, its name is not valid): the
// fallback as an argument, trimmed by TrimFallback and cut to kReadLimit
// bytes like a value, but with its quotes kept. A file that is only missing
// reads as an empty one instead.
std::string UnopenedFallback(std::string_view fallback);

// Entries as names and values, in order.
using KeyValues = std::vector<std::pair<std::string, std::string>>;

class Document {
 public:
  explicit Document(std::string text);

  // The stored value of key in section, or nothing when the section or key is
  // missing or the entry has no "=".
  std::optional<std::string_view> Find(std::string_view section, std::string_view key) const;

  // A section looked for once, for a reader of many of its keys.
  struct SectionAt {
    long header;
  };
  std::optional<SectionAt> Locate(std::string_view section) const;
  std::optional<std::string_view> Find(SectionAt section, std::string_view key) const;

  // Whether the text has a section of this name (its entries may all be
  // bare names, or none).
  bool HasSection(std::string_view section) const { return FindSection(TrimName(CArgument(section))).has_value(); }

  // Sets key in section to value (leading blanks dropped), adding the entry
  // at the end of the section or a new section at the end of the text as
  // needed; new names are written without their leading blanks only. False
  // when the stored value already equals value: the text is then untouched.
  bool Set(std::string_view section, std::string_view key, std::string_view value);

  // Removes the first entry named key in section, its line break included;
  // every other byte stays. False when there is no such entry: the text is
  // then untouched.
  bool Remove(std::string_view section, std::string_view key);
  // Whether section is the only one of its name and holds no line but blank
  // ones.
  bool IsBareSection(std::string_view section) const;
  // Removes the header line of such a section; false (nothing changed) for
  // any other.
  bool RemoveBareSection(std::string_view section);

  // The bytes of the first section of text named section, from its header
  // line to the next header or the end; nothing when there is no such
  // section (or for the nameless one). Only the header lines are parsed.
  static std::optional<std::pair<std::size_t, std::size_t>> SectionSpan(std::string_view text,
                                                                        std::string_view section);

  // The document of text's sections named one of names, in their order
  // (never the nameless one before the first header); the rest of text is
  // scanned for headers alone. Each line parses on its own, so lookups in
  // these sections find what they find in the whole text.
  static Document OfSections(std::string_view text, const std::vector<std::string>& names);

  const std::string& text() const { return text_; }

  // For several writes to one section in one go: the section's new entries
  // as one text, "name=value" each followed by a NUL, that leave exactly what
  // setting each key to its value one by one, in order, leaves, when the
  // section is plain (below); "" when no value would change. Nothing when
  // the section is not plain or a key or value is not one that the writes
  // store as given (blanks or quotes at its ends, line breaks, a NUL, a
  // lead byte alone at its end, "=" in a name, a name starting with "[" or
  // ";").
  //
  // A plain section is the only one of its name in a text without a
  // byte-order mark, whose every line, up to the next header, is an entry
  // "name=value" ending in CR LF, with no blanks around its name, its "=" or
  // its value, no quotes around its value, no NUL, a name that does not start
  // with "[" or ";", and no other entry of the same name. Writers agree on
  // such a section whether they edit its lines one by one or replace them
  // all: the keys already there keep their place and spelling, new ones
  // follow them in the order written.
  //
  // Only the section's own lines are parsed: the rest of the text is
  // scanned for headers alone.
  static std::optional<std::string> SectionAfterWrites(std::string_view text, std::string_view section,
                                                       const KeyValues& values);

 private:
  enum class Kind { kBlank, kSection, kEntry };
  struct Line {
    std::size_t begin = 0;        // first byte of the line
    std::size_t contentEnd = 0;   // end of the line without trailing blanks
    std::size_t breakBegin = 0;   // first byte of the line break, or end
    std::size_t end = 0;          // first byte after the line break
    Kind kind = Kind::kBlank;
    std::size_t nameBegin = 0, nameEnd = 0;  // section or entry name
    bool hasValue = false;
    std::size_t equalsEnd = 0;  // after the "=" of an entry with a value
    std::size_t valueBegin = 0, valueEnd = 0;
  };

  void Parse();
  Line ParseLine(std::size_t pos) const;
  std::size_t CharLength(std::string_view text, std::size_t pos) const;
  std::string_view TrimName(std::string_view name) const;
  std::string_view Name(const Line& line) const;
  std::string_view Value(const Line& line) const;
  // Index of the header of the first section named section (-1 for the
  // nameless one before any header), or nothing.
  std::optional<long> FindSection(std::string_view section) const;
  // Index of the first entry named key in the section whose header is at
  // header, or nothing.
  std::optional<std::size_t> FindEntry(long header, std::string_view key) const;
  std::string LineBreak() const;
  std::size_t FirstBreakEnd(const Line& line) const;
  void InsertLine(std::size_t at, std::string_view content);
  bool ReplaceValue(const Line& line, std::string_view value);
  std::size_t NewEntryAt(long header) const;
  std::size_t MendCutOffCharacter();
  std::optional<KeyValues> PlainEntries() const;

  std::string text_;
  bool utf8_ = false;
  std::size_t bodyBegin_ = 0;  // after a byte-order mark
  std::vector<Line> lines_;
  // The section headers among lines_, in order: a section is looked for
  // among them alone.
  std::vector<std::size_t> headers_;
};

}  // namespace qlm::ini
