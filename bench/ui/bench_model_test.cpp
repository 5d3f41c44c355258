// bench_model_test.cpp: the UI benchmark's window-free parts, and that the
// settings file it generates is one the platform's profile functions keep as
// it is around a write (else every timed write would also tidy the file).
#include "bench_model.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>
#include <set>
#include <stdexcept>
#include <string>

namespace qlm::uibench {
namespace {

// A sample installation's settings file, with the blanks, blank lines and
// line ends a hand-edited file may have.
const std::string kSample =
    "[GLOBAL]\r\nIsMDI=1\r\nCOLOR=Color\\Night.CLR\r\n\r\n[TOOLBAR]\r\nDOCKING=1\r\n  [FONT]  \r\n"
    "FF0=-12,0,0,0,400,0,0,0,128,3,2,1,50,\x82\x6C\x82\x72 \x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E\r\n"
    "FF1=-12,0,0,0,700,0,0,0,128,3,2,1,50,X\n";

TEST(SplitLines, SplitsAtLineFeedsAndDropsTheCarriageReturnBefore) {
  EXPECT_EQ(SplitLines("a\r\nb\nc"), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(SplitLines("a\r\n\r\nb\r\n"), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(SplitLines("a\rb\n"), (std::vector<std::string>{"a\rb"}));
  EXPECT_TRUE(SplitLines("").empty());
}

TEST(GenerateAppcfg, HasExactlyTheLinesAskedForEachEndingInCrLf) {
  for (const int lines : {12, 13, 101, 102, 10000}) {
    const std::string text = GenerateAppcfg(kSample, lines);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), lines) << lines;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), lines) << lines;
    EXPECT_NE(text.find("\r\n", text.size() - 2), std::string::npos);
    EXPECT_EQ(text.find("\n\r\n"), std::string::npos) << "a blank line";
    EXPECT_EQ(text.find("\r\n\r\n"), std::string::npos) << "a blank line";
  }
}

TEST(GenerateAppcfg, KeepsTheSampleTrimmedAndInOrderBetweenFillers) {
  const std::string text = GenerateAppcfg(kSample, 10000);
  const std::string own =
      "[GLOBAL]\r\nIsMDI=1\r\nCOLOR=Color\\Night.CLR\r\n[TOOLBAR]\r\nDOCKING=1\r\n[FONT]\r\nFF0=-12,";
  const std::size_t at = text.find(own);
  ASSERT_NE(at, std::string::npos);
  EXPECT_GT(at, 100000u) << "filler before the sample";
  EXPECT_LT(at, text.size() - 100000) << "filler after the sample";
  EXPECT_NE(text.find("FF1=-12,0,0,0,700,0,0,0,128,3,2,1,50,X\r\n"), std::string::npos);
}

TEST(GenerateAppcfg, HasNoBlanksAroundLinesAndNoSectionWithoutEntries) {
  // 210: the sample's 8 lines and 101 filler lines on each side, one more
  // than a full section.
  for (const int count : {12, 209, 210, 10000}) {
    const std::vector<std::string> lines = SplitLines(GenerateAppcfg(kSample, count));
    std::set<std::string> sections;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const std::string& line = lines[i];
      ASSERT_FALSE(line.empty()) << i;
      EXPECT_NE(line.front(), ' ') << i;
      EXPECT_NE(line.back(), ' ') << i;
      if (line.front() != '[') {
        EXPECT_NE(line.find('='), std::string::npos) << i;
        continue;
      }
      EXPECT_TRUE(sections.insert(line).second) << "section twice: " << line;
      ASSERT_LT(i + 1, lines.size()) << "a section header at the end";
      EXPECT_NE(lines[i + 1].front(), '[') << "a section without entries: " << line;
    }
    EXPECT_GE(sections.size(), count / 100u + 2) << count;
  }
}

TEST(GenerateAppcfg, HoldsShiftJisValuesAndTheSettingsQuillmateReads) {
  const std::string text = GenerateAppcfg(kSample, 10000);
  EXPECT_GT(std::count(text.begin(), text.end(), '\x82'), 1000);
  const FontSlotValues slots = ReadFontSlots(text);
  ASSERT_TRUE(slots[0]);
  EXPECT_EQ(HeightField(*slots[0]), "-12");
}

TEST(GenerateAppcfg, RefusesTooFewLinesForTheFillers) {
  EXPECT_THROW(GenerateAppcfg(kSample, 10), std::invalid_argument);
  EXPECT_NO_THROW(GenerateAppcfg(kSample, 12));
}

TEST(ColourScheme, NamesAreNumberedAndTextsHoldSixHexDigitColours) {
  EXPECT_EQ(ColourSchemeName(1), "Scheme001.CLR");
  EXPECT_EQ(ColourSchemeName(297), "Scheme297.CLR");
  for (const int n : {1, 2, 150, 297}) {
    const std::vector<std::string> lines = SplitLines(ColourSchemeText(n));
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0], "[COLOR]");
    for (std::size_t i = 2; i < lines.size(); ++i) {
      const std::string value = lines[i].substr(lines[i].find('=') + 1);
      EXPECT_EQ(value.size(), 6u) << lines[i];
      EXPECT_EQ(value.find_first_not_of("0123456789ABCDEF"), std::string::npos) << lines[i];
    }
  }
  EXPECT_NE(ColourSchemeText(1), ColourSchemeText(2));
}

TEST(ReadFontSlots, ReadsTheFirstFontSectionIgnoringCaseAndBlanks) {
  const FontSlotValues slots = ReadFontSlots(
      "[OTHER]\r\nFF0=wrong\r\n[font]\r\n ff0 = -16,a \r\nFF5=-15,b\r\nno equals sign\r\nFF0=second\r\n"
      "[FONT]\r\nFF1=later section\r\n");
  ASSERT_TRUE(slots[0]);
  EXPECT_EQ(*slots[0], "-16,a");
  EXPECT_EQ(*slots[5], "-15,b");
  EXPECT_FALSE(slots[1]) << "a later [FONT] section is not read";
  EXPECT_FALSE(slots[2]);
}

TEST(ReadFontSlots, FindsNothingWithoutTheSection) {
  const FontSlotValues slots = ReadFontSlots("[FONTS]\r\nFF0=x\r\n");
  for (const auto& slot : slots) EXPECT_FALSE(slot);
}

TEST(SlotsHaveHeights, ComparesEachSlotsHeightField) {
  FontSlotValues slots;
  for (int i = 0; i < kFontSlots; ++i) slots[static_cast<std::size_t>(i)] = std::to_string(-10 - i) + ",0,x";
  EXPECT_TRUE(SlotsHaveHeights(slots, {-10, -11, -12, -13, -14, -15}));
  EXPECT_FALSE(SlotsHaveHeights(slots, {-10, -11, -12, -13, -14, -16}));
  slots[3].reset();
  EXPECT_FALSE(SlotsHaveHeights(slots, {-10, -11, -12, -13, -14, -15}));
  EXPECT_EQ(HeightField("-16"), "-16");
  EXPECT_EQ(HeightField("-16,0"), "-16");
}

TEST(Median, TakesTheMiddleOfTheSortedValues) {
  EXPECT_EQ(Median({}), 0);
  EXPECT_EQ(Median({5}), 5);
  EXPECT_EQ(Median({9, 1, 5}), 5);
  EXPECT_EQ(Median({4, 1, 3, 2}), 3);
}

TEST(PairedRatios, DivideEachPairAndSpreadThem) {
  // A pair is the two values at the same place: a reference of 0 and values
  // past the shorter list form none.
  EXPECT_EQ(PairedRatios({110, 90, 50, 7}, {100, 100, 0}), (std::vector<double>{1.1, 0.9}));
  const Spread spread = SpreadOf(PairedRatios({12, 30, 21, 40}, {10, 20, 20, 40}));
  EXPECT_EQ(spread.min, 1.0);
  EXPECT_EQ(spread.median, 1.2);
  EXPECT_EQ(spread.max, 1.5);
  EXPECT_EQ(FormatSpread(spread), "1.00/1.20/1.50");
  EXPECT_EQ(FormatSpread(SpreadOf({})), "0.00/0.00/0.00");
}

TEST(Trace, ReadsBackWhatItWritesAndSkipsBrokenLines) {
  const TraceEvent event{"CreateWindowExA(BUTTON)", 1234.5, 1236.25};
  const std::string text = FormatTraceEvent(event) + "no tabs\n" + "\t1\t2\n" + "name\tx\t2\n" + "name\t3\t2\n" +
                           "name\t1\t\n" + FormatTraceEvent({"mark", 7, 7});
  const std::vector<TraceEvent> events = ParseTrace(text);
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].name, event.name);
  EXPECT_DOUBLE_EQ(events[0].start, 1234.5);
  EXPECT_DOUBLE_EQ(events[0].end, 1236.25);
  EXPECT_EQ(events[1].name, "mark");
}

TEST(ProfileRows, NestsEventsMergesRepeatsAndAddsTheRest) {
  const std::vector<ProfileRow> rows = ProfileRows(
      {
          {"Read", 12, 13},  // out of order on purpose
          {"Load", 10, 20},
          {"Read", 14, 16},
          {"WinMain", 5, 5},
          {"Parse", 14, 15},
          {"Show", 20, 30},
      },
      4);
  const std::vector<ProfileRow> expected = {
      {"WinMain", 0, 1, 0, 1},          {"Load", 0, 6, 10, 1},
      {"Load/Read", 1, 8, 3, 2},        {"Load/Read/Parse", 2, 10, 1, 1},
      {"Load/Read/(rest)", 2, 8, 2, 0}, {"Load/(rest)", 1, 6, 7, 0},
      {"Show", 0, 16, 10, 1},
  };
  EXPECT_EQ(rows, expected);
}

TEST(ProfileRows, TheLongerOfTwoEventsStartingTogetherHoldsTheOther) {
  const std::vector<ProfileRow> rows = ProfileRows({{"inner", 0, 1}, {"outer", 0, 3}, {"mark", 3, 3}}, 0);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0].path, "outer");
  EXPECT_EQ(rows[1].path, "outer/inner");
  EXPECT_EQ(rows[2].path, "outer/mark") << "a mark at the very end is still inside";
  EXPECT_EQ(rows[3].path, "outer/(rest)");
  EXPECT_DOUBLE_EQ(rows[3].ms, 2);
}

TEST(MedianRows, TakesEachPathsMedianCountingAMissingPathAsNothing) {
  const std::vector<std::vector<ProfileRow>> runs = {
      {{"a", 0, 1, 10, 1}, {"b", 0, 2, 4, 2}},
      {{"a", 0, 3, 30, 1}},
      {{"a", 0, 2, 20, 1}, {"b", 0, 2, 6, 2}, {"c", 0, 5, 1, 1}},
  };
  const std::vector<ProfileRow> rows = MedianRows(runs);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0], (ProfileRow{"a", 0, 2, 20, 1}));
  EXPECT_EQ(rows[1], (ProfileRow{"b", 0, 2, 4, 2}));
  EXPECT_EQ(rows[2], (ProfileRow{"c", 0, 0, 0, 0}));
}

TEST(EventsWithin, GivesTheNthNamedEventWithWhatLiesInsideIt) {
  const std::vector<TraceEvent> events = {
      {"Click", 10, 20}, {"Write", 11, 12}, {"Click", 0, 5}, {"Write", 1, 2}, {"Other", 4, 11},
  };
  const std::vector<TraceEvent> second = EventsWithin(events, "Click", 1);
  ASSERT_EQ(second.size(), 2u);
  EXPECT_EQ(second[0].start, 10);
  EXPECT_EQ(second[1].start, 11);
  EXPECT_EQ(EventsWithin(events, "Click", 0).size(), 2u);
  EXPECT_TRUE(EventsWithin(events, "Click", 2).empty());
  EXPECT_TRUE(EventsWithin(events, "None", 0).empty());
}

TEST(RatioLine, PrintsBothValuesAndTheirRatio) {
  EXPECT_EQ(RatioLine("startup", "QLM", 123.44, "minimal window", 98.7, "ms"),
            "startup: QLM 123.4 ms, minimal window 98.7 ms, ratio 1.25");
  EXPECT_EQ(RatioLine("peak memory", "QLM", 12, "minimal", 0, "MB"),
            "peak memory: QLM 12.0 MB, minimal 0.0 MB, ratio -");
}

TEST(SlotHeights, GiveTheSamplesHeightsForItsSize) {
  // The sample's slots hold -12, -12, -13, -13, -11, -11: size 9 at 96 pixels
  // per inch, with the sizes one up for FF2 and FF3 and one down for FF4 and FF5.
  EXPECT_EQ(SlotHeights(9, 96), (std::array<int, kFontSlots>{-12, -12, -13, -13, -11, -11}));
  EXPECT_EQ(SlotHeights(10, 96), (std::array<int, kFontSlots>{-13, -13, -15, -15, -12, -12}));
  // Halves round away from zero: 1 point at 108 pixels per inch is 1.5 pixels.
  EXPECT_EQ(SlotHeights(1, 108)[0], -2);
  EXPECT_EQ(SlotHeights(1, 108)[4], 0);
}

TEST(StateHasEvent, MatchesTheWholeEventField) {
  const std::string lines =
      "event=start\tshape=other\n"
      "event=ignored:reload:102:0\tshape=other\n"
      "event=reload:colour\tshape=other\tfont=reload:font\n";
  EXPECT_TRUE(StateHasEvent(lines, "start"));
  EXPECT_TRUE(StateHasEvent(lines, "reload:colour"));
  EXPECT_FALSE(StateHasEvent(lines, "reload:font")) << "only the event field counts";
  EXPECT_FALSE(StateHasEvent(lines, "reload"));
  EXPECT_FALSE(StateHasEvent("", "start"));
  EXPECT_TRUE(StateHasEvent("event=reload:font", "reload:font")) << "a last line without its line feed";
}

std::vector<std::string> Required() {
  return {"--qlm=Q", "--same-controls=C", "--minimal=M", "--standin=S", "--sample=D", "--work=W"};
}

TEST(ParseOptions, TakesPathsAndCountsOverTheDefaults) {
  std::vector<std::string> arguments = Required();
  arguments.insert(arguments.end(), {"--rounds=4", "--runs=20", "--clicks=3", "--parts=measure", "--trace=T", "--minimal-imports=I",
                                     "--minimal-manifest=F"});
  std::string error;
  const auto options = ParseOptions(arguments, error);
  ASSERT_TRUE(options) << error;
  EXPECT_EQ(options->qlm, "Q");
  EXPECT_EQ(options->work, "W");
  EXPECT_EQ(options->trace, "T");
  EXPECT_EQ(options->sameControls, "C");
  EXPECT_EQ(options->rounds, 4);
  EXPECT_EQ(options->runs, 20);
  EXPECT_EQ(options->clicks, 3);
  EXPECT_EQ(options->lines, 10000);
  EXPECT_EQ(options->colours, 300);
  EXPECT_TRUE(options->Wants("measure"));
  EXPECT_FALSE(options->Wants("profile"));
  EXPECT_FALSE(options->Wants("measur"));
  EXPECT_TRUE(Options().Wants("alternatives"));
}

TEST(ParseOptions, RefusesWhatItCannotUse) {
  const auto refused = [](std::vector<std::string> extra, std::vector<std::string> arguments = Required()) {
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    std::string error;
    const bool ok = ParseOptions(arguments, error).has_value();
    return !ok && !error.empty();
  };
  EXPECT_TRUE(refused({"--speed=2"}));
  EXPECT_TRUE(refused({"--runs"}));
  EXPECT_TRUE(refused({"--runs=0"}));
  EXPECT_TRUE(refused({"--runs=-3"}));
  EXPECT_TRUE(refused({"--runs=5x"}));
  EXPECT_TRUE(refused({"--clicks="}));
  EXPECT_TRUE(refused({"qlm=Q"}));
  EXPECT_TRUE(refused({"--trace=T", "--minimal-imports=I"}));
  EXPECT_TRUE(refused({"--rounds=0"}));
  EXPECT_TRUE(refused({}, {"--qlm=Q", "--same-controls=C", "--minimal=M", "--standin=S", "--sample=D"}));
  EXPECT_TRUE(refused({}, {"--qlm=Q", "--same-controls=C", "--minimal=M", "--sample=D", "--work=W"}));
  EXPECT_TRUE(refused({}, {"--qlm=Q", "--minimal=M", "--standin=S", "--sample=D", "--work=W"}));
  EXPECT_FALSE(refused({"--runs=1", "--lines=500"}));
}

// --- Against the platform's profile functions. ---

std::string TempFile() {
  char folder[MAX_PATH], path[MAX_PATH];
  GetTempPathA(sizeof folder, folder);
  GetTempFileNameA(folder, "qub", 0, path);
  return path;
}

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(GenerateAppcfgOnThePlatform, AWriteChangesOnlyTheLineItSets) {
  const std::string path = TempFile();
  const std::string text = GenerateAppcfg(kSample, 10000);
  std::ofstream(path, std::ios::binary) << text;
  const std::string before = "FF1=-12,0,0,0,700,0,0,0,128,3,2,1,50,X\r\n";
  const std::string after = "FF1=-13,0,0,0,700,0,0,0,128,3,2,1,50,X\r\n";
  ASSERT_TRUE(WritePrivateProfileStringA("FONT", "FF1", "-13,0,0,0,700,0,0,0,128,3,2,1,50,X", path.c_str()));
  std::string expected = text;
  expected.replace(expected.find(before), before.size(), after);
  EXPECT_TRUE(Read(path) == expected) << "the platform rewrote more than the line";
  const FontSlotValues slots = ReadFontSlots(Read(path));
  ASSERT_TRUE(slots[1]);
  EXPECT_EQ(HeightField(*slots[1]), "-13");
  DeleteFileA(path.c_str());
}

}  // namespace
}  // namespace qlm::uibench
