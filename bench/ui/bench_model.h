// bench_model.h: the parts of the UI benchmark that need no window: its
// options, the generated settings file, the font slots and the statistics.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qlm::uibench {

// The driver's command line (see README.md).
struct Options {
  std::string sameControls, minimal, sample, work;
  int rounds = 3;   // of the measurement, each reported on its own
  int runs = 10;    // start-ups of each program per round
  int clicks = 10;  // click pairs per round
  int lines = 10000;
  int colours = 300;
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

}  // namespace qlm::uibench
