// The portable INI engine: how it reads, and that an edit changes only what
// it must.
#include <gtest/gtest.h>

#include <string>

#include "platform/ini/ini_document.h"

namespace qlm::ini {
namespace {

using namespace std::string_literals;

std::string Get(const std::string& text, const std::string& section, const std::string& key) {
  const Document document(text);
  const auto value = document.Find(section, key);
  return value ? std::string(*value) : "<none>";
}

// The text after each {section, key} in order is set to "v".
std::string AfterWrites(const std::string& text, std::initializer_list<std::pair<const char*, const char*>> keys) {
  Document document(text);
  for (const auto& [section, key] : keys) document.Set(section, key, "v");
  return document.text();
}

TEST(IniRead, NamesValuesAndBlanks) {
  const std::string text =
      "top=1\r\n[S]  ignored\r\n  k1  =  v1 \t\r\nK2=\"q\"\r\n;c=1\r\nbare\r\n[ T ]\na=1\rb=2\n"
      "[S]\r\nk1=second\r\nk9=only-here\r\n";
  EXPECT_EQ(Get(text, "", "top"), "1");
  EXPECT_EQ(Get(text, " s ", "\tK1 "), "v1");
  EXPECT_EQ(Get(text, "S", "k2"), "\"q\"");  // quotes go only when read out
  EXPECT_EQ(Get(text, "S", ";c"), "1");      // a comment line is an entry
  EXPECT_EQ(Get(text, "S", "bare"), "<none>");
  EXPECT_EQ(Get(text, "T", "b"), "2");
  EXPECT_EQ(Get(text, "S", "k9"), "<none>");  // only the first [S] counts
  EXPECT_EQ(Get(text, "ignored", "k1"), "<none>");
}

TEST(IniRead, DoubleByteCharactersAreSteppedOverWhole) {
  // 0x83 0x5D and 0x95 0x5C end in "]" and "\"; 0x82 0x0A swallows the LF.
  const std::string text =
      "[\x83\x5D]\r\nk=\x95\x5C\r\n[\x82]\r\nz=1\r\n[L]\r\nlead=x\x82\ny=1\r\nnul=a\0b\r\n"s;
  EXPECT_EQ(Get(text, "\x83\x5D", "k"), "\x95\x5C");
  EXPECT_EQ(Get(text, "\x82", "z"), "<none>");  // "[" + 0x82 0x5D: no closing bracket
  EXPECT_EQ(Get(text, "L", "lead"), "x\x82\ny=1");
  EXPECT_EQ(Get(text, "L", "y"), "<none>");
  EXPECT_EQ(Get(text, "L", "nul"), "a");
  // Full-width letters are not folded.
  EXPECT_EQ(Get("[\x82\x60]\r\nk=1\r\n", "\x82\x81", "k"), "<none>");
}

TEST(IniRead, ResultsLoseOnePairOfQuotesAndFitTheBuffer) {
  EXPECT_EQ(ReadResult("\"q\""), "q");
  EXPECT_EQ(ReadResult("'q'"), "q");
  EXPECT_EQ(ReadResult("\"\""), "");
  EXPECT_EQ(ReadResult("\""), "\"");
  EXPECT_EQ(ReadResult("'a\""), "'a\"");
  EXPECT_EQ(ReadResult("\"a\x82\""), "\"a\x82\"");  // the quote is a second byte here
  EXPECT_EQ(ReadResult(std::string(3000, 'a')).size(), 2047u);
  // A double-byte character straddling the 2047th byte is left out whole.
  std::string wide;
  for (int i = 0; i < 1024; ++i) wide += "\x82\xA0";
  EXPECT_EQ(ReadResult(wide).size(), 2046u);
  EXPECT_EQ(ReadResult("a" + wide).size(), 2047u);
  // Quoted values near the limit, as the platform cuts them.
  EXPECT_EQ(ReadResult("\"" + std::string(2046, 'a') + "\""), std::string(2046, 'a'));
  EXPECT_EQ(ReadResult("\"" + std::string(2047, 'a') + "\""), std::string(2046, 'a'));
  EXPECT_EQ(ReadResult("\"" + std::string(2048, 'a') + "\""), std::string(2047, 'a'));
}

TEST(IniRead, FallbacksLoseTrailingSpacesOnly) {
  EXPECT_EQ(TrimFallback("  d e  "), "  d e");
  EXPECT_EQ(TrimFallback("   "), " ");
  EXPECT_EQ(TrimFallback("x\t"), "x\t");
  EXPECT_EQ(TrimFallback("\x82 "), "\x82 ");  // one double-byte character
  EXPECT_EQ(CArgument("ab\x82"), "ab");
  EXPECT_EQ(CArgument("a\0b"s), "a");
}

TEST(IniWrite, ChangingAValueKeepsEveryOtherByte) {
  Document document("; note\r\n\r\n[A]\r\n  k = old  \r\n\r\nx=1\nbare   \r\n");
  EXPECT_TRUE(document.Set("a", "K", "  new"));
  EXPECT_EQ(document.text(), "; note\r\n\r\n[A]\r\n  k = new\r\n\r\nx=1\nbare   \r\n");
  EXPECT_TRUE(document.Set("A", "bare", "v"));
  EXPECT_EQ(document.text(), "; note\r\n\r\n[A]\r\n  k = new\r\n\r\nx=1\nbare=v\r\n");
  EXPECT_FALSE(document.Set("A", "k", "new"));
  EXPECT_TRUE(document.Set("A", "k", ""));
  EXPECT_EQ(Get(document.text(), "A", "k"), "");
}

TEST(IniWrite, NewEntriesGoToTheEndOfTheFirstSectionOfTheirName) {
  const std::string text = "[A]\r\na=1\r\n\r\n[B]\r\n[A]\r\nz=1\r\n";
  EXPECT_EQ(AfterWrites(text, {{"A", " k "}, {"", "top"}}), "top=v\r\n[A]\r\na=1\r\nk =v\r\n\r\n[B]\r\n[A]\r\nz=1\r\n");
  EXPECT_EQ(AfterWrites(text, {{" C ", " c "}}), text + "[C ]\r\nc =v\r\n");
}

TEST(IniWrite, KeepsTheFilesLineEndsAndByteOrderMark) {
  EXPECT_EQ(AfterWrites("[A]\nk=1", {{"A", "j"}, {"B", "x"}}), "[A]\nk=1\nj=v\n[B]\nx=v\n");
  EXPECT_EQ(AfterWrites("\xEF\xBB\xBF[A]\r\n", {{"", "k"}}), "\xEF\xBB\xBFk=v\r\n[A]\r\n");
  EXPECT_EQ(AfterWrites("", {{"A", "k"}}), "[A]\r\nk=v\r\n");
}

TEST(IniWrite, ValuesWithLineBreaksAreWrittenAsGiven) {
  Document document("[A]\r\n");
  document.Set("A", "k", "a\r\nb=c");
  EXPECT_EQ(Get(document.text(), "A", "k"), "a");
  EXPECT_EQ(Get(document.text(), "A", "b"), "c");
  document.Set("A", "m", "x\x82");  // a lone lead byte would swallow the line break
  EXPECT_EQ(Get(document.text(), "A", "m"), "x");
}

TEST(IniWrite, EditsNeverChangeHowTheRestOfTheTextReads) {
  // A lead byte cut off at the end would swallow the line break added after it.
  for (const char* text : {"[S]\nk=a\x81", "[S]\r\nk=a\x81"}) {
    Document document(text);
    document.Set("S", "n", "1");
    EXPECT_EQ(Get(document.text(), "S", "n"), "1") << text;
    EXPECT_EQ(Get(document.text(), "S", "k"), "a\x81\x45") << text;  // read as "・", as the platform does
    EXPECT_FALSE(document.Set("S", "n", "1"));
  }
  Document bare("[S]\r\nk\x95");
  bare.Set("S", "k", "1");
  EXPECT_EQ(Get(bare.text(), "S", "k"), "1");
  EXPECT_EQ(bare.text(), "[S]\r\nk\x81\x45\r\nk=1\r\n");
  // A first entry that starts with the bytes of a byte-order mark makes one.
  Document marked("[S]\r\nk=1\r\n");
  marked.Set("", "\xEF\xBB\xBFkey", "v");
  EXPECT_EQ(Get(marked.text(), "", "key"), "v");
  EXPECT_FALSE(marked.Set("", "key", "v"));
  // In a UTF-8 file, names given are trimmed as UTF-8 like the file's own.
  Document utf8("\xEF\xBB\xBF[S]\r\n");
  utf8.Set("S", "n\xE4\t", "v");
  EXPECT_FALSE(utf8.Set("S", "n\xE4\t", "v"));
  EXPECT_EQ(Get(utf8.text(), "S", "n\xE4\t"), "v");
}

// Several writes planned in one go for a plain section leave what the writes
// one by one leave; a write that would not store its name or value as given
// gets no plan.
TEST(IniWrite, APlanOfSeveralWritesLeavesWhatTheWritesOneByOneLeave) {
  const std::string plain = "[F]\r\nFF0=a\r\nFF1=b\r\n";
  const struct {
    std::string before, after;  // other lines around the section
    KeyValues writes;
    bool planned;
  } cases[] = {
      {"", "", {{"ff1", "c"}, {"FF2", "d"}}, true},
      {"", "", {{"FF0", "a"}, {"FF1", "b"}}, true},       // nothing to change: ""
      {"", "", {{"FF0", "x\x82"}, {"FF1", "c"}}, false},  // a lead byte alone at a value's end
      {"", "", {{"FF2\x82", "x"}, {"FF1", "c"}}, false},  // or at a name's
      {"", "", {{"FF0", "x\0y"s}, {"FF1", "c"}}, false},
      {"[A]\r\nk=\x82\n[F]\r\n", "[B]\r\n", {{"FF1", "c"}, {"FF2", "d"}}, true},  // "[F]" in a value
      {"[A]\r\n", "[B]\r\n[f]\r\n", {{"FF1", "c"}, {"FF2", "d"}}, false},  // a second section of the name
  };
  for (const auto& [before, after, writes, planned] : cases) {
    const std::string text = before + plain + after;
    const auto plan = Document::SectionAfterWrites(text, "F", writes);
    ASSERT_EQ(plan.has_value(), planned) << before << writes[0].first << "=" << writes[0].second;
    if (!plan) continue;
    Document oneByOne(text);
    for (const auto& [key, value] : writes) oneByOne.Set("F", key, value);
    std::string lines = plan->empty() ? plain : "[F]\r\n" + *plan;
    for (std::size_t nul; (nul = lines.find('\0')) != std::string::npos;) lines.replace(nul, 1, "\r\n");
    EXPECT_EQ(before + lines + after, oneByOne.text());
  }
}

// Sections read alone, and a section's bytes found by the scan for headers,
// hold what the whole text holds in them: the first section of a name, the
// lines stepped over as the text's own code steps them.
TEST(IniSections, ReadAloneTheyHoldWhatTheWholeTextHolds) {
  const std::string mark = "\xEF\xBB\xBF";
  const std::string texts[] = {
      "k=0\r\n[A]\r\nk=1\r\n[F]\r\nk=2\r\n[f]\r\nk=3\r\n",  // a second section of the name
      mark + "[A]\r\nk=\x82\n[F]\r\nk=2",  // a header after a Shift-JIS lead byte, in UTF-8
  };
  for (const std::string& text : texts) {
    const Document whole(text);
    const auto span = Document::SectionSpan(text, "F");
    ASSERT_TRUE(span) << text;
    const std::string bytes = (text.starts_with(mark) ? mark : "") + text.substr(span->first, span->second - span->first);
    EXPECT_EQ(Document(bytes).Find("F", "k"), whole.Find("F", "k")) << text;
    const Document alone = Document::OfSections(text, {"F", "a"});
    for (const char* section : {"F", "A"}) EXPECT_EQ(alone.Find(section, "k"), whole.Find(section, "k")) << text;
  }
}

// Removing a key takes out its line alone, and its section's header only
// where nothing but blank lines is left under it.
TEST(IniRemove, TakesOutTheLineAndABareSectionOnly) {
  struct Case {
    const char* name;
    std::string text, section, key, after;
  } cases[] = {
      {"first of two", "[S]\r\nk=1\r\nk=2\r\nm=3\r\n", "s", " K ", "[S]\r\nk=2\r\nm=3\r\n"},
      {"missing key", "[S]\r\nm=3\r\n", "S", "k", "[S]\r\nm=3\r\n"},
      {"bare section goes", "[A]\r\nx=1\r\n[S]\r\nk=1\r\n[B]\r\ny=2\r\n", "S", "k", "[A]\r\nx=1\r\n[B]\r\ny=2\r\n"},
      {"blank lines stay", "[S]\r\nk=1\r\n\r\n[B]\r\n", "S", "k", "\r\n[B]\r\n"},
      {"blank lines after the key stay", "[S]\r\nm=1\r\nk=1\r\n\r\n[B]\r\n", "S", "k", "[S]\r\nm=1\r\n\r\n[B]\r\n"},
      {"a comment keeps it", "[S]\r\n;note\r\nk=1\r\n", "S", "k", "[S]\r\n;note\r\n"},
      {"a second section of the name keeps it", "[S]\r\nk=1\r\n[S]\r\nj=2\r\n", "S", "k", "[S]\r\n[S]\r\nj=2\r\n"},
      {"last line without a break", "[S]\r\nm=1\r\nk=1", "S", "k", "[S]\r\nm=1\r\n"},
  };
  for (const Case& c : cases) {
    Document document(c.text);
    if (document.Remove(c.section, c.key)) document.RemoveBareSection(c.section);
    EXPECT_EQ(document.text(), c.after) << c.name;
  }
}

}  // namespace
}  // namespace qlm::ini
