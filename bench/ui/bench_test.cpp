// bench_test.cpp: the UI benchmark's window-free parts, and what its driver
// does to the programs: the installation it builds (whose generated settings
// file the platform's profile functions keep as it is around a write, else
// every timed write would also tidy the file), the reference writes,
// start-ups of the references, and real-time click pairs on QLM.exe with the
// stand-in running (those that start programs need an X display and skip
// without one).
#include "bench.h"

#include <gtest/gtest.h>

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

// The real programs and sample; 500 lines of Appcfg.ini, 20 colour files.
Options TestOptions() { return {QLM_SAME_CONTROLS_EXE, QLM_MINIMAL_EXE, QLM_SAMPLE_DIR, "", 3, 10, 10, 500, 20, 100, 5, ""}; }

// Whether an image carries debug information, which Wine reads in with it:
// MinGW names its sections (.debug_info and others) in the image's string
// table.
bool CarriesDebugInformation(const std::string& image) { return image.find(".debug_info") != std::string::npos; }

// The installation it builds, and the reference writes on its file.
TEST(Installation, HoldsTheGeneratedFileTheSchemesAndTheStandInAndTakesTheBareWrites) {
  const Installation setup(TestOptions());
  EXPECT_EQ(test::ReadBytes(setup.tool.ConfigPath()), setup.appcfgText);
  EXPECT_EQ(std::count(setup.appcfgText.begin(), setup.appcfgText.end(), '\n'), 500);
  const std::vector<std::string> colours = test::FileNames(setup.tool.folder() + "Color");
  EXPECT_EQ(colours.size(), 20u);
  EXPECT_NE(std::find(colours.begin(), colours.end(), "Night.CLR"), colours.end()) << "the sample's own schemes";
  EXPECT_EQ(test::ReadBytes(setup.tool.folder() + "Takumi.exe"), test::ReadBytes(QLM_STANDIN_EXE));
  EXPECT_NE(test::ReadBytes(setup.tool.folder() + "System\\Sys.ini").find("Title=Takumi"), std::string::npos);
  // The references are shipped as QLM.exe is, so that nothing but the
  // settings work sets them apart.
  for (const std::string exe : {QLM_EXE, QLM_SAME_CONTROLS_EXE, QLM_MINIMAL_EXE})
    EXPECT_FALSE(CarriesDebugInformation(test::ReadBytes(exe))) << exe;
  EXPECT_TRUE(CarriesDebugInformation(test::ReadBytes(QLM_SAME_CONTROLS_EXE ".debug"))) << "its symbol file does";

  // Dated an hour back, as a user finds it.
  AgeFile(setup.tool.ConfigPath());
  WIN32_FILE_ATTRIBUTE_DATA data;
  ASSERT_TRUE(GetFileAttributesExA(setup.tool.ConfigPath().c_str(), GetFileExInfoStandard, &data));
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const auto ticks = [](FILETIME time) { return (ULONGLONG(time.dwHighDateTime) << 32) | time.dwLowDateTime; };
  EXPECT_NEAR((ticks(now) - ticks(data.ftLastWriteTime)) / 1e7, 3600, 60) << "seconds back";

  // The bare writes change the six slots and nothing else.
  const FontSlots before = FontSlotsOf(setup.appcfgText);
  FontSlots values;
  std::string expected = setup.appcfgText;
  for (std::size_t slot = 0; slot < values.size(); ++slot) {
    values[slot] = std::to_string(-20 - static_cast<int>(slot)) + before[slot].substr(before[slot].find(','));
    const std::string key = "FF" + std::to_string(slot) + "=";
    expected.replace(expected.find(key + before[slot]), key.size() + before[slot].size(), key + values[slot]);
  }
  EXPECT_GT(BareWrites(setup.tool.ConfigPath(), values), 0);
  EXPECT_TRUE(test::ReadBytes(setup.tool.ConfigPath()) == expected) << "more changed than the six slots";
}

using StartOnceTest = e2e::DesktopTest;

// The floor of the start-up: QLM.exe's window with every control of its
// layout, and no settings loaded (no QLM.INI, no tool around it).
TEST_F(StartOnceTest, TimesTheReferencesUntilShownAndIdleAndEndsThem) {
  e2e::Quillmate minimal("", QLM_MINIMAL_EXE), same("", QLM_SAME_CONTROLS_EXE);
  for (e2e::Quillmate* program : {&minimal, &same}) {
    const StartupSample sample = StartOnce(*program);
    EXPECT_GT(sample.shown, 0);
    EXPECT_GE(sample.idle, sample.shown);
    EXPECT_GT(sample.peakMb, 1);
    EXPECT_FALSE(program->Running());
  }
  ASSERT_TRUE(same.Start());
  ASSERT_TRUE(same.WaitForMainWindow());
  for (const ui::ControlRow& row : ui::kMainLayout) EXPECT_TRUE(same.Control(row.id)) << row.id;
  EXPECT_TRUE(same.Control(ui::kStatusBar));
  EXPECT_TRUE(same.Items(ui::kColourFiles).empty()) << "the colour list was filled";
  // The driver without arguments prints its usage and ends, without a window.
  e2e::Quillmate windowless("", QLM_UI_BENCH_EXE);
  EXPECT_THROW(StartOnce(windowless), Failure);
}

using MeasureClicksTest = e2e::DesktopTest;

TEST_F(MeasureClicksTest, TimesAClickPairAndTheReferenceAndRestoresTheSizeRoundAfterRound) {
  Installation setup(TestOptions());
  for (int round = 0; round < 2; ++round) {
    const Clicks clicks = MeasureClicks(setup, 1);
    ASSERT_EQ(clicks.done.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) EXPECT_TRUE(clicks.onDisk[i] > 0 && clicks.done[i] >= clicks.onDisk[i]) << round;
    ASSERT_EQ(clicks.bare.size(), 2u);
    EXPECT_GT(clicks.bare[0], 0);
    // Up and down again, on both sides: the heights as at the start.
    const FontSlots start = FontSlotsOf(setup.appcfgText), now = FontSlotsOf(test::ReadBytes(setup.tool.ConfigPath()));
    for (std::size_t slot = 0; slot < start.size(); ++slot)
      EXPECT_EQ(now[slot].substr(0, now[slot].find(',')), start[slot].substr(0, start[slot].find(','))) << slot;
  }
  EXPECT_TRUE(DeleteFileA((setup.tool.folder() + "Takumi.exe").c_str())) << "the stand-in has ended";
}

}  // namespace
}  // namespace qlm::uibench
