// bench_model_test.cpp: the UI benchmark's window-free parts, and that the
// settings file it generates is one the platform's profile functions keep as
// it is around a write (else every timed write would also tidy the file).
#include "bench_model.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>

#include "test_support.h"

namespace qlm::uibench {
namespace {

// A sample installation's settings file, with the blanks, blank lines and
// line ends a hand-edited file may have.
const std::string kSample =
    "[GLOBAL]\r\nIsMDI=1\r\nCOLOR=Color\\Night.CLR\r\n\r\n[TOOLBAR]\r\nDOCKING=1\r\n  [FONT]  \r\n"
    "FF0=-12,0,0,0,400,0,0,0,128,3,2,1,50,\x82\x6C\x82\x72 \x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E\r\n"
    "FF1=-12,0,0,0,700,0,0,0,128,3,2,1,50,X\n";

// Exactly the lines asked for, each ending in CRLF, none blank or with blanks
// around it, no section twice or without entries; 210 is the sample's 8 lines
// and 101 filler lines on each side, one more than a full section.
TEST(GenerateAppcfg, HasTheLinesAskedForInTheFormTheProfileFunctionsWrite) {
  for (const int count : {12, 13, 101, 209, 210, 10000}) {
    const std::string text = GenerateAppcfg(kSample, count);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), count) << count;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), count) << count;
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line.substr(0, line.find('\r')));
    std::set<std::string> sections;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const std::string& line = lines[i];
      ASSERT_FALSE(line.empty()) << count << ": line " << i;
      EXPECT_TRUE(line.front() != ' ' && line.back() != ' ') << count << ": line " << i;
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
  EXPECT_THROW(GenerateAppcfg(kSample, 10), std::invalid_argument) << "no room for the fillers";
}

TEST(GenerateAppcfg, KeepsTheSampleTrimmedAndInOrderBetweenShiftJisFillers) {
  const std::string text = GenerateAppcfg(kSample, 10000);
  const std::size_t at =
      text.find("[GLOBAL]\r\nIsMDI=1\r\nCOLOR=Color\\Night.CLR\r\n[TOOLBAR]\r\nDOCKING=1\r\n[FONT]\r\nFF0=-12,");
  ASSERT_NE(at, std::string::npos);
  EXPECT_GT(at, 100000u) << "filler before the sample";
  EXPECT_LT(at, text.size() - 100000) << "filler after the sample";
  EXPECT_NE(text.find("FF1=-12,0,0,0,700,0,0,0,128,3,2,1,50,X\r\n"), std::string::npos);
  EXPECT_GT(std::count(text.begin(), text.end(), '\x82'), 1000);
  EXPECT_EQ(FontSlotsOf(text)[1], "-12,0,0,0,700,0,0,0,128,3,2,1,50,X");
}

// The slots are read from [FONT] alone and checked by their heights for a
// size: the sample's -12, -12, -13, -13, -11, -11 are size 9 at 96 pixels
// per inch, one size up for FF2 and FF3 and one down for FF4 and FF5.
TEST(FontSlots, AreReadFromTheFontSectionAndCheckedByTheHeightsOfASize) {
  EXPECT_EQ(FontSlotsOf("[A]\r\nFF0=a\r\n[FONT]\r\nFF0=-10,0,x\r\nFF2=-12\r\n[B]\r\nFF1=c\r\n"),
            (FontSlots{"-10,0,x", "", "-12", "", "", ""}));
  EXPECT_EQ(FontSlotsOf("[A]\r\nFF0=a\r\n"), FontSlots{});
  const struct {
    FontSlots slots;
    int size, pixelsPerInch;
    bool has;
  } rows[] = {
      {{"-12,0,x", "-12,7", "-13", "-13,0", "-11,0", "-11,0"}, 9, 96, true},
      {{"-13,0", "-13,0", "-15,0", "-15,0", "-12,0", "-12,0"}, 10, 96, true},
      {{"-12,0", "-12,0", "-13,0", "-13,0", "-11,0", "-12,0"}, 9, 96, false},  // one slot off
      {{"-12,0", "-12,0", "-13,0", "", "-11,0", "-11,0"}, 9, 96, false},       // one slot missing
      {{"-2,0", "-2,0", "-3,0", "-3,0", "0,0", "0,0"}, 1, 108, true},          // 1.5 pixels rounds away from zero
  };
  for (const auto& row : rows)
    EXPECT_EQ(SlotsHaveSize(row.slots, row.size, row.pixelsPerInch), row.has) << row.size << " " << row.slots[5];
}

TEST(Statistics, MedianPairedRatiosAndTheirSpread) {
  EXPECT_EQ(Median({}), 0);
  EXPECT_EQ(Median({9, 1, 5}), 5);
  EXPECT_EQ(Median({4, 1, 3, 2}), 3) << "the upper of the two middle ones";
  // A pair is the two values at the same place: a reference of 0 and values
  // past the shorter list form none.
  EXPECT_EQ(PairedRatios({110, 90, 50, 7}, {100, 100, 0}), (std::vector<double>{1.1, 0.9}));
  EXPECT_EQ(FormatSpread(PairedRatios({12, 30, 21, 40}, {10, 20, 20, 40})), "1.00/1.20/1.50");
  EXPECT_EQ(FormatSpread({}), "0.00/0.00/0.00");
}

TEST(ParseOptions, TakesPathsAndCountsOverTheDefaultsAndRefusesWhatItCannotUse) {
  const std::vector<std::string> required = {"--same-controls=C", "--minimal=M", "--sample=D", "--work=W"};
  std::string error;
  auto arguments = required;
  arguments.insert(arguments.end(), {"--rounds=4", "--runs=20", "--clicks=3"});
  const auto options = ParseOptions(arguments, error);
  ASSERT_TRUE(options) << error;
  EXPECT_EQ(options->sameControls + options->minimal + options->sample + options->work, "CMDW");
  EXPECT_EQ(std::vector<int>({options->rounds, options->runs, options->clicks, options->lines, options->colours}),
            std::vector<int>({4, 20, 3, 10000, 300}));
  // Refused: an unknown option, a bad count, or a required path left out.
  std::vector<std::vector<std::string>> refused;
  for (const std::string extra : {"--speed=2", "--runs", "--runs=0", "--runs=-3", "--runs=5x", "--clicks=", "work=W"}) {
    refused.push_back(required);
    refused.back().push_back(extra);
  }
  for (std::size_t missing = 0; missing < required.size(); ++missing) {
    refused.push_back(required);
    refused.back().erase(refused.back().begin() + static_cast<std::ptrdiff_t>(missing));
  }
  for (const auto& each : refused) {
    error.clear();
    EXPECT_FALSE(ParseOptions(each, error)) << ::testing::PrintToString(each);
    EXPECT_FALSE(error.empty()) << ::testing::PrintToString(each);
  }
}

TEST(GenerateAppcfgOnThePlatform, AWriteChangesOnlyTheLineItSets) {
  const test::ScratchFolder folder;
  const std::string path = folder / "Appcfg.ini";
  const std::string text = GenerateAppcfg(kSample, 10000);
  test::WriteBytes(path, text);
  ASSERT_TRUE(WritePrivateProfileStringA("FONT", "FF1", "-13,0,0,0,700,0,0,0,128,3,2,1,50,X", path.c_str()));
  const std::string before = "FF1=-12,0,0,0,700,0,0,0,128,3,2,1,50,X\r\n";
  std::string expected = text;
  expected.replace(expected.find(before), before.size(), "FF1=-13,0,0,0,700,0,0,0,128,3,2,1,50,X\r\n");
  EXPECT_TRUE(test::ReadBytes(path) == expected) << "the platform rewrote more than the line";
}

}  // namespace
}  // namespace qlm::uibench
