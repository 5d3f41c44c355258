// bench.h: the UI benchmark's parts: its options, the generated settings
// file, the font slots and the statistics; and what it does to the programs it
// measures, through the end-to-end tests' driver: the tool installation, a
// timed start-up, and the timed clicks of the size arrows in real-time mode.
#pragma once

#include <windows.h>

#include <array>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "qlm_driver.h"
#include "standin_session.h"

namespace qlm::uibench {

// The driver's command line (see README.md).
struct Options {
  std::string sameControls, minimal, sample, work;
  int rounds = 3;   // of the measurement, each reported on its own
  int runs = 10;    // start-ups of each program per round
  int clicks = 10;  // click pairs per round
  int lines = 10000;
  int colours = 300;
  int folders = 100;  // tool folders in the generated history
  int entries = 5;    // pairs of entries into real-time mode per round
  std::string historyCache;  // where the generated history is kept between runs
};

// Reads "--name=value" arguments over the defaults. Nothing, with the reason
// in error, for an unknown option, a count that is not a whole number above
// zero, or a missing --same-controls, --minimal, --sample or --work.
std::optional<Options> ParseOptions(const std::vector<std::string>& arguments, std::string& error);

// The tool's System\Appcfg.ini for the benchmark: the sample's own lines
// (trimmed, blank ones dropped) between filler sections of assorted values,
// some of them Shift-JIS, `lines` lines in all, each ending in CRLF: the form
// the platform's profile functions write, so a write keeps every other line
// as it is. Throws std::invalid_argument when `lines` leaves no room for a
// filler section before and after the sample.
std::string GenerateAppcfg(std::string_view sample, int lines);

inline constexpr int kFontSlots = 6;
using FontSlots = std::array<std::string, kFontSlots>;

// [FONT] FF0 to FF5 of a settings file this benchmark wrote ("" for a
// missing one): the section is cut out by a plain search, quick enough to
// poll, and read by the end-to-end tests' INI reader.
FontSlots FontSlotsOf(const std::string& ini);
// Whether every slot holds a record with the height the program writes for
// a size in points at the given density (the size plus the slot's offset).
bool SlotsHaveSize(const FontSlots& slots, int size, int pixelsPerInch);

// The middle value (the upper of the two middle ones for an even count);
// 0 for none.
double Median(std::vector<double> values);
// Each subject value over the reference value of the same pair; pairs with
// a reference of 0 are left out, as are values past the shorter list.
std::vector<double> PairedRatios(const std::vector<double>& subject, const std::vector<double>& reference);
// "1.02/1.04/1.07": min/median/max, two decimals ("0.00/0.00/0.00" for none).
std::string FormatSpread(const std::vector<double>& values);

// What went wrong, for the driver to print before it stops.
struct Failure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Sets a file's last write time an hour back, as a user finds it: the
// profile functions keep a file parsed between calls only when it is older
// than about two seconds.
void AgeFile(const std::string& path);

// The stand-in installed as Takumi.exe with the generated System\Appcfg.ini,
// the sample's Sys.ini title and colour files, and copies of its first
// scheme up to options.colours, in a scratch folder (under the temporary
// folder).
struct Installation {
  explicit Installation(const Options& options);
  std::string appcfgText;  // as generated
  test::StandInSession tool;
};

// One start-up, in milliseconds from just before CreateProcess.
struct StartupSample {
  double shown = 0;   // the main window visible, polled every millisecond
  double idle = 0;    // then WaitForInputIdle returned and a sent message was answered
  double peakMb = 0;  // PeakWorkingSetSize once idle
};
// Starts the program, times it, and ends it with TerminateProcess (a clean
// exit under Wine idles about two seconds). Throws Failure when its main
// window does not show.
StartupSample StartOnce(e2e::Quillmate& program);

// The reference of the click: six WritePrivateProfileStringA of the slots,
// in milliseconds; throws Failure when the file does not hold them after.
double BareWrites(const std::string& ini, const FontSlots& values);

// Milliseconds from posting a click: until the six slots are on disk, and
// until also the stand-in's reload:font line is written; up, down, up,
// down... Then the reference's steps.
struct Clicks {
  std::vector<double> onDisk, done, bare;
};
// Restores the settings file, starts the stand-in and QLM.exe, enters
// real-time mode and times `pairs` pairs of clicks (the size up, then down)
// and as many pairs of bare writes (the raised values, then the lowered
// ones), the order swapped every pair. Ends both programs.
Clicks MeasureClicks(Installation& setup, int pairs);

// QLM-History.ini of `folders` tool folders, the installation's among them,
// each with as many states as the history keeps, the size changed from one
// to the next (about 1 MB for 100 folders). Recorded by the program's own
// RecordState, one folder to a file, and the files joined: a state is a
// section of its own, named after its folder. The other folders' states are
// kept in cache ("<cache>-<folders>.ini"; "" for none) and taken from there
// while it is newer than the driver.
std::string GenerateHistory(const Installation& setup, int folders, const std::string& cache);

// Milliseconds from Yes in real-time mode's question box until the
// stand-in has the colour notification, the last step of entering, with no
// history and with `history` beside QLM.INI (both files dated back, as a
// user finds them), the order swapped every pair; and in each run the first
// size click after entering and the one after it.
struct Entries {
  std::vector<double> none, history, firstClick, laterClick;
};
Entries MeasureEntering(Installation& setup, const std::string& history, int pairs);

}  // namespace qlm::uibench
