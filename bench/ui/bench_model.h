// bench_model.h: the parts of the UI benchmark that need no window system:
// the generated tool installation, reading the font slots back from a
// settings file, the statistics, and the profile of an instrumented run.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qlm::uibench {

// The driver's command line (see README.md).
struct Options {
  std::string qlm, sameControls, minimal, minimalImports, minimalManifest, trace, standin, sample, work;
  int rounds = 3;  // of the measurement, each reported on its own
  int runs = 10;
  int clicks = 10;
  int lines = 10000;
  int colours = 300;
  std::string parts = "measure,profile,alternatives";

  // Whether --parts names this part.
  bool Wants(std::string_view part) const;
};

// Reads "--name=value" arguments over the defaults. Nothing, with the reason
// in error, for an unknown option, a count that is not a whole number above
// zero, a missing --qlm, --same-controls, --minimal, --standin, --sample or --work, or a
// --trace without both minimal variants.
std::optional<Options> ParseOptions(const std::vector<std::string>& arguments, std::string& error);

// The lines of a text, split at LF (a CR before it dropped), without their
// line ends; a last line without a line end counts, an empty end does not.
std::vector<std::string> SplitLines(std::string_view text);

// The tool's System\Appcfg.ini for the benchmark: the sample's own lines
// (trimmed, blank ones dropped) in the middle of filler sections of assorted
// values, some of them Shift-JIS, `lines` lines in all, each ending in CRLF.
// The text is already in the form the platform's profile functions write, so
// a write keeps every other line as it is. Throws std::invalid_argument when
// `lines` leaves no room for a filler section before and after the sample.
std::string GenerateAppcfg(std::string_view sample, int lines);

// The n-th generated colour-scheme file (n from 1) and its name,
// "Scheme001.CLR" and so on.
std::string ColourSchemeName(int n);
std::string ColourSchemeText(int n);

inline constexpr int kFontSlots = 6;
using FontSlotValues = std::array<std::optional<std::string>, kFontSlots>;

// [FONT] FF0 to FF5 of a settings file as the profile functions read them:
// the first section of that name (case ignored), the first entry of each key
// in it (case ignored), name and value trimmed of blanks. Lines that are
// neither a section nor hold "=" are skipped.
FontSlotValues ReadFontSlots(std::string_view ini);

// The heights of the six slots for a size in points, as the program writes
// them: the size plus each slot's offset, in pixels of the given density,
// negative (rounded as the platform's MulDiv, halves away from zero).
std::array<int, kFontSlots> SlotHeights(int size, int pixelsPerInch);

// Whether the stand-in's state lines hold one for this event: a line whose
// first field is exactly "event=<event>".
bool StateHasEvent(std::string_view lines, std::string_view event);

// The height of a font record: its text before the first comma.
std::string HeightField(std::string_view record);

// Whether every slot holds a record with the height given for it.
bool SlotsHaveHeights(const FontSlotValues& slots, const std::array<int, kFontSlots>& heights);

// The middle value (the upper of the two middle ones for an even count);
// 0 for none.
double Median(std::vector<double> values);

// Each subject value over the reference value of the same pair (the two
// measured next to each other); pairs with a reference of 0 are left out,
// as are values past the shorter list.
std::vector<double> PairedRatios(const std::vector<double>& subject, const std::vector<double>& reference);

// The smallest, middle (as Median) and largest of some values; all 0 for none.
struct Spread {
  double min = 0, median = 0, max = 0;
};
Spread SpreadOf(const std::vector<double>& values);
// "1.02/1.04/1.07" (min/median/max, two decimals).
std::string FormatSpread(const Spread& spread);

// --- The profile of the instrumented copy. ---

// One timed step of the instrumented program: its name and when it started
// and ended, in milliseconds of the performance counter (a mark has
// start == end).
struct TraceEvent {
  std::string name;
  double start = 0;
  double end = 0;
};

// The trace file: one event a line, "name<TAB>start<TAB>end". Lines that do
// not parse are skipped.
std::vector<TraceEvent> ParseTrace(std::string_view text);
std::string FormatTraceEvent(const TraceEvent& event);

// One line of a profile: the event's path from the outermost event ("a/b"),
// its depth, when it first started (relative to the profile's origin), its
// time and how often it ran.
struct ProfileRow {
  std::string path;
  int depth = 0;
  double at = 0;
  double ms = 0;
  int calls = 0;

  bool operator==(const ProfileRow&) const = default;
};

// The events as a tree, an event being inside another when it starts and
// ends within it (of two with the same start, the longer holds the other).
// Events with the same path are merged into one row (times added up, calls
// counted); rows come in the order of their first start, each after its
// parent. A row with children is followed, after them, by a "(rest)" row:
// its own time less its children's.
std::vector<ProfileRow> ProfileRows(std::vector<TraceEvent> events, double origin);

// The rows of several runs of the same program: the path's median time,
// start and call count over the runs (a run without the path counts as 0),
// in the order of the first run, then rows only later runs have.
std::vector<ProfileRow> MedianRows(const std::vector<std::vector<ProfileRow>>& runs);

// The events that lie inside the n-th event (from 0) named `name`, that one
// included; none when there is no such event.
std::vector<TraceEvent> EventsWithin(const std::vector<TraceEvent>& events, const std::string& name, int n);

// "startup: QLM 123.4 ms, minimal window 98.7 ms, ratio 1.25".
std::string RatioLine(const std::string& what, const std::string& subject, double subjectValue,
                      const std::string& reference, double referenceValue, const std::string& unit);

}  // namespace qlm::uibench
