// bench_driver_test.cpp: what the UI benchmark's driver does to the programs:
// the installation it builds, the reference writes, a start-up of the
// minimal program, and one real-time click pair on QLM.exe with the stand-in
// running. The last two need an X display and skip without one.
#include "bench_driver.h"

#include "ui/win32/layout.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace qlm::uibench {
namespace {

// A scratch folder under the system's temporary folder, removed with what
// the test put in it (two levels deep, as Prepare makes them).
class ScratchFolder {
 public:
  ScratchFolder() {
    char folder[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    path_ = std::string(folder) + "qlm-ui-bench-test-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(GetTickCount64());
  }
  ~ScratchFolder() { Remove(path_); }
  const std::string& path() const { return path_; }

 private:
  static void Remove(const std::string& folder) {
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
          Remove(folder + "\\" + name);
        else
          DeleteFileA((folder + "\\" + name).c_str());
      } while (FindNextFileA(search, &found));
      FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
  }

  std::string path_;
};

Options TestOptions(const std::string& work) {
  Options options;
  options.qlm = QLM_EXE;
  options.minimal = QLM_MINIMAL_EXE;
  options.sameControls = QLM_SAME_CONTROLS_EXE;
  options.standin = QLM_STANDIN_EXE;
  options.sample = QLM_SAMPLE_DIR;
  options.work = work;
  options.lines = 500;
  options.colours = 20;
  return options;
}

int CountFiles(const std::string& pattern) {
  int count = 0;
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  do ++count;
  while (FindNextFileA(search, &found));
  FindClose(search);
  return count;
}

// Whether an image carries debug information, which Wine reads in with it:
// MinGW names its sections (.debug_info and others) in the image's string
// table.
bool CarriesDebugInformation(const std::string& image) { return image.find(".debug_info") != std::string::npos; }

bool HasDisplay() { return std::getenv("DISPLAY") != nullptr; }

TEST(Prepare, BuildsTheInstallationAndQuillmatesFolder) {
  const ScratchFolder work;
  const Installation setup = Prepare(TestOptions(work.path()));

  EXPECT_EQ(setup.tool, work.path() + "\\Takumi\\");
  EXPECT_EQ(SplitLines(ReadOrFail(setup.appcfg)).size(), 500u);
  EXPECT_EQ(ReadOrFail(setup.appcfg), setup.appcfgText);
  EXPECT_EQ(CountFiles(setup.tool + "Color\\*.CLR"), 20);
  EXPECT_EQ(CountFiles(setup.tool + "Color\\Night.CLR"), 1) << "the sample's own schemes are there";
  EXPECT_EQ(ReadOrFail(setup.standin), ReadOrFail(QLM_STANDIN_EXE));
  EXPECT_EQ(ReadOrFail(setup.qlm), ReadOrFail(QLM_EXE));
  EXPECT_EQ(ReadOrFail(setup.qlmFolder + "\\QLM.INI"), "[CONFIG]\r\nTTPath=" + setup.tool + "\r\n");
  EXPECT_FALSE(setup.title.empty()) << "the stand-in's title from Sys.ini";
  EXPECT_TRUE(setup.trace.empty());
  // The floor is started as QLM.exe is: from a folder of its own, shipped
  // the same way, so that nothing but the settings work sets them apart.
  EXPECT_EQ(ReadOrFail(setup.sameControls), ReadOrFail(QLM_SAME_CONTROLS_EXE));
  EXPECT_EQ(setup.sameControls.rfind(setup.sameFolder + "\\", 0), 0u);
  for (const std::string& exe : {setup.qlm, setup.sameControls, std::string(QLM_MINIMAL_EXE)})
    EXPECT_FALSE(CarriesDebugInformation(ReadOrFail(exe))) << exe;
  EXPECT_TRUE(CarriesDebugInformation(ReadOrFail(QLM_SAME_CONTROLS_EXE ".debug"))) << "its symbol file does";
}

TEST(Prepare, PlacesTheInstrumentedCopyAsQlmExeOfItsOwn) {
  const ScratchFolder work;
  Options options = TestOptions(work.path());
  options.trace = QLM_MINIMAL_EXE;  // any program: it is only copied
  const Installation setup = Prepare(options);
  EXPECT_EQ(setup.trace, setup.traceFolder + "\\QLM.exe");
  EXPECT_EQ(ReadOrFail(setup.trace), ReadOrFail(QLM_MINIMAL_EXE));
  EXPECT_EQ(ReadOrFail(setup.traceFolder + "\\QLM.INI"), ReadOrFail(setup.qlmFolder + "\\QLM.INI"));
}

TEST(BareWrites, WriteTheSixSlotsAndNothingElse) {
  const ScratchFolder work;
  const Installation setup = Prepare(TestOptions(work.path()));
  std::array<std::string, kFontSlots> values;
  std::string expected = setup.appcfgText;
  const auto before = Values(FontSlotsOf(setup.appcfgText));
  for (std::size_t slot = 0; slot < values.size(); ++slot) {
    values[slot] = std::to_string(-20 - static_cast<int>(slot)) + before[slot].substr(before[slot].find(','));
    const std::string key = "FF" + std::to_string(slot) + "=";
    expected.replace(expected.find(key + before[slot]), key.size() + before[slot].size(), key + values[slot]);
  }
  EXPECT_GT(BareWrites(setup.appcfg, values), 0);
  EXPECT_TRUE(ReadOrFail(setup.appcfg) == expected) << "more changed than the six slots";
  EXPECT_EQ(Values(FontSlotsOf(ReadOrFail(setup.appcfg))), values);
}

TEST(FontSlotsOf, ReadsOnlyTheFontSection) {
  const FontSlotValues slots = FontSlotsOf("[A]\r\nFF0=a\r\n[FONT]\r\nFF0=b\r\n[B]\r\nFF1=c\r\n");
  ASSERT_TRUE(slots[0]);
  EXPECT_EQ(*slots[0], "b");
  EXPECT_FALSE(slots[1]);
  EXPECT_FALSE(FontSlotsOf("[A]\r\nFF0=a\r\n")[0]);
}

TEST(StartOnce, TimesTheMinimalProgramUntilItsWindowShowsAndClosesIt) {
  if (!HasDisplay()) GTEST_SKIP() << "needs an X display (DISPLAY)";
  const ScratchFolder work;
  CreateDirectoryA(work.path().c_str(), nullptr);
  const StartupSample sample =
      StartOnce(Target{"the minimal program", QLM_MINIMAL_EXE, kMinimalClass, kMinimalCaption, ""}, work.path(), true);
  EXPECT_GT(sample.created, 0);
  EXPECT_GT(sample.shown, sample.created);
  EXPECT_GE(sample.idle, sample.shown);
  EXPECT_GT(sample.peakMb, 1);
  EXPECT_FALSE(sample.modules.empty());
  EXPECT_EQ(FindWindowA(kMinimalClass, kMinimalCaption), nullptr) << "the program is still there";
}

// The floor of the start-up: QLM.exe's window with every control of its
// layout, and no settings loaded (no QLM.INI, no tool around it).
TEST(StartOnce, TheSameControlsProgramShowsQuillmatesWindowEmpty) {
  if (!HasDisplay()) GTEST_SKIP() << "needs an X display (DISPLAY)";
  const ScratchFolder work;
  CreateDirectoryA(work.path().c_str(), nullptr);
  const Target target{"the same-controls program", QLM_SAME_CONTROLS_EXE, kQlmClass, kQlmCaption, ""};
  std::vector<int> missing;
  int colourItems = -1;
  const auto look = [&](HWND window) {
    for (const ui::ControlRow& row : ui::kMainLayout)
      if (!GetDlgItem(window, row.id)) missing.push_back(row.id);
    if (!GetDlgItem(window, ui::kStatusBar)) missing.push_back(ui::kStatusBar);
    colourItems = static_cast<int>(SendMessageA(GetDlgItem(window, ui::kColourFiles), CB_GETCOUNT, 0, 0));
  };
  const StartupSample sample = StartOnce(target, work.path(), false, look);
  EXPECT_GE(sample.idle, sample.shown);
  EXPECT_TRUE(missing.empty()) << "controls missing, the first " << (missing.empty() ? 0 : missing.front());
  EXPECT_EQ(colourItems, 0) << "the colour list was filled";
}

TEST(StartOnce, FailsWhenTheProgramEndsWithoutItsWindow) {
  const ScratchFolder work;
  CreateDirectoryA(work.path().c_str(), nullptr);
  // The driver without arguments prints its usage and ends.
  EXPECT_THROW(StartOnce(Target{"ui_bench", QLM_UI_BENCH_EXE, kMinimalClass, kMinimalCaption, ""}, work.path()),
               Failure);
}

TEST(MeasureClicks, TimesAClickPairAndTheReferenceAndRestoresTheSize) {
  if (!HasDisplay()) GTEST_SKIP() << "needs an X display (DISPLAY)";
  const ScratchFolder work;
  const Installation setup = Prepare(TestOptions(work.path()));
  const Clicks clicks = MeasureClicks(setup, setup.qlm, setup.qlmFolder, 1, true);
  ASSERT_EQ(clicks.qlm.size(), 2u);
  for (const ClickTiming& click : clicks.qlm) {
    EXPECT_GT(click.onDisk, 0);
    EXPECT_GT(click.notified, 0);
  }
  ASSERT_EQ(clicks.bare.size(), 2u);
  EXPECT_GT(clicks.bare[0], 0);
  // Up and down again: the sample's size 9 as at the start.
  EXPECT_TRUE(SlotsHaveHeights(FontSlotsOf(ReadOrFail(setup.appcfg)), HeightsFor(9)));
  // Both programs have ended: their files can go.
  EXPECT_TRUE(DeleteFileA(setup.qlm.c_str()));
  EXPECT_TRUE(DeleteFileA(setup.standin.c_str()));
}

}  // namespace
}  // namespace qlm::uibench
