// bench_driver_test.cpp: what the UI benchmark's driver does to the programs:
// the installation it builds, the reference writes, start-ups of the
// references, and one real-time click pair on QLM.exe with the stand-in
// running. Those that start programs need an X display and skip without one.
#include "bench_driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace qlm::uibench {
namespace {

Options TestOptions() {
  Options options;
  options.minimal = QLM_MINIMAL_EXE;
  options.sameControls = QLM_SAME_CONTROLS_EXE;
  options.sample = QLM_SAMPLE_DIR;
  options.lines = 500;
  options.colours = 20;
  return options;
}

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
