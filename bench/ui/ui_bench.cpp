// ui_bench.cpp: the UI benchmark's driver, a console program run under Wine
// (bench/ui-run starts it, pinned to one CPU with the X server and the
// wineserver). It builds a tool installation from the sample (a 10,000-line
// System\Appcfg.ini, 300 colour files), then, in each of --rounds rounds,
// measures against references timed in the same round:
//
//   start-up     "shown": CreateProcess until the main window is visible
//                (polled every millisecond); "idle": until WaitForInputIdle
//                returns and a message sent to the window is answered.
//                References: same_controls.exe, QLM.exe's own window and
//                controls built by its own code with no settings work (the
//                floor), and minimal_window.exe, one bare window. The three
//                start in turns with a pause between starts, each ended by
//                TerminateProcess; each run's three samples form the pairs
//                of the ratios.
//   font click   in real-time mode with the stand-in tool running: a mouse
//                click pair posted onto an arrow of the size box, until all
//                six font slots on disk hold the new size and the stand-in
//                has recorded the font notification; reference: six
//                WritePrivateProfileStringA calls from this process writing
//                the same values to the same file. Each timed step changes
//                all six slots (the size goes up and back down, on both
//                sides); step n of each forms a pair.
//   peak memory  PeakWorkingSetSize of QLM.exe and of the same-controls
//                program, once shown and idle (GetProcessMemoryInfo on the
//                handle from CreateProcess).
//
// Each round prints min/median/max of its paired ratios; the end, the
// min/median/max over the rounds of their median ratios. With --trace=EXE
// (the instrumented copy, qlm_trace.exe) it then profiles the start-up and
// the click and times the alternatives its findings point to. Nothing is
// judged by absolute time.
#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench_driver.h"
#include "bench_model.h"

namespace qlm::uibench {
namespace {

struct Startups {
  std::vector<StartupSample> qlm, same, minimal;
};

// Between one program's end and the next start: a start right after an end
// is slowed by the teardown still going on.
constexpr DWORD kPauseMs = 200;

// The start-ups read the settings files as a user finds them, not written in
// the last seconds (the profile functions keep a file parsed between calls
// only when it is older than about two seconds).
Startups MeasureStartups(const Installation& setup, int runs) {
  AgeFile(setup.appcfg);
  AgeFile(setup.qlmFolder + "\\QLM.INI");
  const Target qlm{"QLM.exe", setup.qlm, kQlmClass, kQlmCaption, ""};
  const Target same{"the same-controls program", setup.sameControls, kQlmClass, kQlmCaption, ""};
  const Target minimal{"the minimal program", setup.minimal, kMinimalClass, kMinimalCaption, ""};
  struct Slot {
    const Target& target;
    const std::string& folder;
    std::vector<StartupSample> Startups::*samples;
  };
  const Slot slots[] = {{qlm, setup.qlmFolder, &Startups::qlm},
                        {same, setup.sameFolder, &Startups::same},
                        {minimal, setup.work, &Startups::minimal}};
  // One of each first, untimed: files and Wine's caches warm for all.
  for (const Slot& slot : slots) {
    StartOnce(slot.target, slot.folder);
    Sleep(kPauseMs);
  }
  Startups result;
  for (int run = 0; run < runs; ++run) {
    // In turns, the order rotated every run, so drift hits all alike; the
    // run's samples of the three form a pair for the ratios.
    for (int i = 0; i < 3; ++i) {
      const Slot& slot = slots[(run + i) % 3];
      (result.*slot.samples).push_back(StartOnce(slot.target, slot.folder));
      Sleep(kPauseMs);
    }
  }
  return result;
}

// --- The profile (with the instrumented copy). ---

void PrintRows(const std::vector<ProfileRow>& rows) {
  std::printf("  %8s %8s %6s  %s\n", "at", "ms", "calls", "step");
  for (const ProfileRow& row : rows) {
    const std::size_t slash = row.path.rfind('/');
    const std::string name = slash == std::string::npos ? row.path : row.path.substr(slash + 1);
    const std::string indent(static_cast<std::size_t>(row.depth) * 2, ' ');
    if (row.calls > 0)
      std::printf("  %8.1f %8.2f %6d  %s%s\n", row.at, row.ms, row.calls, indent.c_str(), name.c_str());
    else
      std::printf("  %8s %8.2f %6s  %s%s\n", "", row.ms, "", indent.c_str(), name.c_str());
  }
}

class TraceFile {
 public:
  explicit TraceFile(const Installation& setup) : path_(setup.work + "\\trace.txt") {
    SetEnvironmentVariableA("QLM_BENCH_TRACE", path_.c_str());
  }
  ~TraceFile() { SetEnvironmentVariableA("QLM_BENCH_TRACE", nullptr); }
  void Clear() const { DeleteFileA(path_.c_str()); }
  std::vector<TraceEvent> Events() const {
    std::string text;
    ReadBytes(path_, text);
    return ParseTrace(text);
  }

 private:
  std::string path_;
};

std::string JoinNames(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : " ") + name;
  return text.empty() ? "none" : text;
}

void ProfileStartup(const Installation& setup, int runs) {
  AgeFile(setup.appcfg);
  const TraceFile trace(setup);
  const Target traced{"the instrumented copy", setup.trace, kQlmClass, kQlmCaption, ""};
  const Target minimal{"the minimal program", setup.minimal, kMinimalClass, kMinimalCaption, ""};
  const Target imports{"the minimal program importing QLM's DLLs", setup.minimalImports, kMinimalClass, kMinimalCaption,
                       ""};
  const Target manifest{"the minimal program with QLM's DLLs and manifest", setup.minimalManifest, kMinimalClass,
                        kMinimalCaption, ""};
  // The DLLs QLM.exe imports beyond the minimal program's (the file dialog's
  // and the shell's it loads only when they are used), loaded at WinMain:
  // the common controls alone, then all of them in turn (a DLL loaded later
  // finds what it shares with the ones before).
  const Target comctl{"the minimal program loading comctl32.dll", setup.minimal, kMinimalClass, kMinimalCaption,
                      "--load=comctl32.dll"};
  const Target loading{"the minimal program loading QLM's DLLs", setup.minimal, kMinimalClass, kMinimalCaption,
                       "--load=comctl32.dll,version.dll"};
  struct Runs {
    std::vector<StartupSample> samples;
    std::vector<double> entry;  // WinMain's mark, from CreateProcess
    std::vector<std::vector<ProfileRow>> rows;
  } tracedRuns, minimalRuns, importsRuns, manifestRuns, comctlRuns, loadingRuns;
  auto runOnce = [&](const Target& target, const std::string& folder, Runs& runs, bool modules) {
    trace.Clear();
    runs.samples.push_back(StartOnce(target, folder, modules, {}, Ending::kClose));
    const StartupSample& sample = runs.samples.back();
    const std::vector<TraceEvent> events = trace.Events();
    for (const TraceEvent& event : events)
      if (event.name == "WinMain") runs.entry.push_back(event.start - sample.origin);
    runs.rows.push_back(ProfileRows(events, sample.origin));
  };
  StartOnce(traced, setup.traceFolder);
  StartOnce(imports, setup.work);
  StartOnce(manifest, setup.work);
  for (int run = 0; run < runs; ++run) {
    runOnce(traced, setup.traceFolder, tracedRuns, run == 0);
    runOnce(minimal, setup.work, minimalRuns, run == 0);
    runOnce(imports, setup.work, importsRuns, false);
    runOnce(manifest, setup.work, manifestRuns, false);
    runOnce(comctl, setup.work, comctlRuns, false);
    runOnce(loading, setup.work, loadingRuns, false);
  }

  std::printf("\nprofile of the start-up: the instrumented copy of QLM.exe, median of %d runs; ms from CreateProcess\n",
              runs);
  auto summary = [](const char* name, const Runs& r) {
    std::printf(
        "  %-38s CreateProcess returned %6.1f, WinMain entered %6.1f, window shown %6.1f, idle %6.1f; peak memory "
        "%.1f MB\n",
        name, Median(Field(r.samples, &StartupSample::created)), Median(r.entry),
        Median(Field(r.samples, &StartupSample::shown)), Median(Field(r.samples, &StartupSample::idle)),
        Median(Field(r.samples, &StartupSample::peakMb)));
  };
  summary("minimal program:", minimalRuns);
  summary("the same loading comctl32 at WinMain:", comctlRuns);
  summary("the same loading QLM's DLLs:", loadingRuns);
  summary("the same importing them:", importsRuns);
  summary("the same with QLM's manifest too:", manifestRuns);
  summary("instrumented QLM.exe:", tracedRuns);
  std::printf("  QLM's DLLs loaded at WinMain, in turn (each with what it brings):");
  for (const ProfileRow& row : MedianRows(loadingRuns.rows))
    if (row.path.rfind("LoadLibraryA(", 0) == 0)
      std::printf(" %s %.1f ms", row.path.substr(13, row.path.size() - 14).c_str(), row.ms);
  std::printf("\n");
  PrintRows(MedianRows(tracedRuns.rows));

  const std::vector<std::string>& qlmModules = tracedRuns.samples.front().modules;
  const std::vector<std::string>& minimalModules = minimalRuns.samples.front().modules;
  std::vector<std::string> extra;
  for (const std::string& name : qlmModules)
    if (std::none_of(minimalModules.begin(), minimalModules.end(),
                     [&](const std::string& other) { return lstrcmpiA(other.c_str(), name.c_str()) == 0; }))
      extra.push_back(name);
  std::printf("  modules loaded once idle: QLM.exe %zu, minimal program %zu; only in QLM.exe: %s\n", qlmModules.size(),
              minimalModules.size(), JoinNames(extra).c_str());
}

void ProfileClick(const Installation& setup, int pairs) {
  const TraceFile trace(setup);
  trace.Clear();
  const Clicks clicks = MeasureClicks(setup, setup.trace, setup.traceFolder, pairs, false);
  const std::vector<TraceEvent> events = trace.Events();
  std::vector<std::vector<ProfileRow>> rows;
  std::vector<double> handlerStart, handlerEnd, onDisk, notified;
  for (std::size_t n = 0; n < clicks.qlm.size(); ++n) {
    const std::vector<TraceEvent> inside = EventsWithin(events, "FontSizeClick", static_cast<int>(n));
    if (inside.empty()) continue;
    const ClickTiming& timing = clicks.qlm[n];
    rows.push_back(ProfileRows(inside, timing.origin));
    const auto outer =
        std::find_if(inside.begin(), inside.end(), [](const TraceEvent& e) { return e.name == "FontSizeClick"; });
    handlerStart.push_back(outer->start - timing.origin);
    handlerEnd.push_back(outer->end - timing.origin);
    onDisk.push_back(timing.onDisk);
    notified.push_back(timing.notified);
  }
  std::printf("\nprofile of the font click: the instrumented copy, median of %zu clicks; ms from the posted click\n",
              rows.size());
  std::printf(
      "  the handler starts at %.2f; six slots seen on disk at %.2f; the handler ends at %.2f; the stand-in's "
      "reload line seen at %.2f\n",
      Median(handlerStart), Median(onDisk), Median(handlerEnd), Median(notified));
  PrintRows(MedianRows(rows));
}

double TimedRead(const std::string& ini) {
  char buffer[1024];
  const double start = NowMs();
  GetPrivateProfileStringA("FONT", "FF0", "", buffer, sizeof buffer, ini.c_str());
  return NowMs() - start;
}

// What the findings of the profile point to, timed in this process on the
// same file: reads with and without the parsed file kept, the six writes
// against one write of the whole [FONT] section, and the drop-down list.
void Alternatives(const Installation& setup, int repeats, int colours) {
  const std::string& ini = setup.appcfg;
  WriteBytes(ini, setup.appcfgText);
  std::vector<double> fresh, afterFlush, cached;
  for (int i = 0; i < repeats; ++i) fresh.push_back(TimedRead(ini));
  AgeFile(ini);
  for (int i = 0; i < repeats; ++i) {
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, ini.c_str());
    afterFlush.push_back(TimedRead(ini));
    cached.push_back(TimedRead(ini));
  }

  // The six slots at two sizes, as QLM writes them: the FF0 record with its
  // height set per slot (weights stay as they are).
  const auto base = Values(FontSlotsOf(setup.appcfgText));
  std::array<std::array<std::string, kFontSlots>, 2> sizes;
  for (int which = 0; which < 2; ++which) {
    const auto heights = HeightsFor(20 + which);
    for (std::size_t slot = 0; slot < kFontSlots; ++slot)
      sizes[static_cast<std::size_t>(which)][slot] =
          std::to_string(heights[slot]) + base[slot].substr(base[slot].find(','));
  }
  std::vector<double> six, section;
  std::string afterSix, afterSection;
  for (int i = 0; i < repeats; ++i) {
    const auto& values = sizes[static_cast<std::size_t>(i % 2)];
    six.push_back(BareWrites(ini, values));
    afterSix = ReadOrFail(ini);
    // The same values the other way: back to the other size with six
    // writes, then this size as one section, read and written whole.
    BareWrites(ini, sizes[static_cast<std::size_t>(1 - i % 2)]);
    const double start = NowMs();
    std::vector<char> text(65536);
    const DWORD length = GetPrivateProfileSectionA("FONT", text.data(), static_cast<DWORD>(text.size()), ini.c_str());
    std::string rebuilt;
    for (const char* entry = text.data(); entry < text.data() + length && *entry; entry += std::strlen(entry) + 1) {
      std::string line = entry;
      const std::string key = line.substr(0, line.find('='));
      for (int slot = 0; slot < kFontSlots; ++slot)
        if (lstrcmpiA(key.c_str(), ("FF" + std::to_string(slot)).c_str()) == 0)
          line = key + "=" + values[static_cast<std::size_t>(slot)];
      rebuilt += line;
      rebuilt += '\0';
    }
    rebuilt += '\0';
    WritePrivateProfileSectionA("FONT", rebuilt.c_str(), ini.c_str());
    section.push_back(NowMs() - start);
    afterSection = ReadOrFail(ini);
  }
  WriteBytes(ini, setup.appcfgText);

  std::printf("\nalternatives, timed in the driver (median of %d):\n", repeats);
  std::printf(
      "  GetPrivateProfileStringA on the %d-line file: written under 2 s ago %.2f ms; older, after a flush "
      "%.2f ms; older, kept from the call before %.3f ms\n",
      static_cast<int>(SplitLines(setup.appcfgText).size()), Median(fresh), Median(afterFlush), Median(cached));
  std::printf(
      "  six WritePrivateProfileStringA: %.2f ms; [FONT] read with GetPrivateProfileSectionA and written "
      "once with WritePrivateProfileSectionA: %.2f ms (ratio %.2f); the file's bytes %s\n",
      Median(six), Median(section), Median(section) / Median(six), afterSix == afterSection ? "identical" : "DIFFER");

  // In QLM.exe's own window: the instrumented copy tries them on its colour
  // list between loading and showing.
  const TraceFile trace(setup);
  SetEnvironmentVariableA("QLM_BENCH_ALTERNATIVES", "1");
  const Target traced{"the instrumented copy", setup.trace, kQlmClass, kQlmCaption, ""};
  std::vector<std::vector<ProfileRow>> runs;
  for (int i = 0; i < repeats; ++i) {
    trace.Clear();
    StartOnce(traced, setup.traceFolder, false, {}, Ending::kClose);
    std::vector<TraceEvent> tried;
    for (const TraceEvent& event : trace.Events())
      if (event.name.rfind("alternative: ", 0) == 0) tried.push_back(event);
    runs.push_back(ProfileRows(tried, 0));
  }
  SetEnvironmentVariableA("QLM_BENCH_ALTERNATIVES", nullptr);
  std::printf("  in QLM.exe's window, loaded and not yet shown, its colour list of %d items:\n", colours);
  for (const ProfileRow& row : MedianRows(runs)) std::printf("    %-70s %8.2f ms\n", row.path.c_str() + 13, row.ms);
}

// One round of the measurement: its paired ratios, and what they are made of.
struct Round {
  std::vector<double> shown, idle, shownMinimal, idleMinimal, click, memory;
};

Round MeasureRound(const Installation& setup, const Options& options, int number) {
  const Startups startups = MeasureStartups(setup, options.runs);
  const Clicks clicks = MeasureClicks(setup, setup.qlm, setup.qlmFolder, options.clicks, true);

  std::vector<double> clickMs, onDiskMs;
  for (const ClickTiming& timing : clicks.qlm) {
    clickMs.push_back(std::max(timing.onDisk, timing.notified));
    onDiskMs.push_back(timing.onDisk);
  }
  const auto field = [](const std::vector<StartupSample>& samples, double StartupSample::*which) {
    return Field(samples, which);
  };
  Round round;
  round.shown = PairedRatios(field(startups.qlm, &StartupSample::shown), field(startups.same, &StartupSample::shown));
  round.idle = PairedRatios(field(startups.qlm, &StartupSample::idle), field(startups.same, &StartupSample::idle));
  round.shownMinimal =
      PairedRatios(field(startups.qlm, &StartupSample::shown), field(startups.minimal, &StartupSample::shown));
  round.idleMinimal =
      PairedRatios(field(startups.qlm, &StartupSample::idle), field(startups.minimal, &StartupSample::idle));
  round.click = PairedRatios(clickMs, clicks.bare);
  round.memory =
      PairedRatios(field(startups.qlm, &StartupSample::peakMb), field(startups.same, &StartupSample::peakMb));

  const auto median = [&](const std::vector<StartupSample>& samples, double StartupSample::*which) {
    return Median(field(samples, which));
  };
  std::printf("round %d: median ms (or MB) of %d start-ups each, %zu clicks; min/median/max of the paired ratios\n",
              number, options.runs, clickMs.size());
  std::printf("  shown:  QLM %6.1f, same controls %6.1f, minimal window %6.1f; ratio to same controls %s, to minimal %s\n",
              median(startups.qlm, &StartupSample::shown), median(startups.same, &StartupSample::shown),
              median(startups.minimal, &StartupSample::shown), FormatSpread(SpreadOf(round.shown)).c_str(),
              FormatSpread(SpreadOf(round.shownMinimal)).c_str());
  std::printf("  idle:   QLM %6.1f, same controls %6.1f, minimal window %6.1f; ratio to same controls %s, to minimal %s\n",
              median(startups.qlm, &StartupSample::idle), median(startups.same, &StartupSample::idle),
              median(startups.minimal, &StartupSample::idle), FormatSpread(SpreadOf(round.idle)).c_str(),
              FormatSpread(SpreadOf(round.idleMinimal)).c_str());
  std::printf("  click:  QLM %6.1f (slots on disk %.1f), six bare writes %6.1f; ratio %s\n", Median(clickMs),
              Median(onDiskMs), Median(clicks.bare), FormatSpread(SpreadOf(round.click)).c_str());
  std::printf("  memory: QLM %6.1f, same controls %6.1f, minimal window %6.1f (peak MB); ratio to same controls %s\n",
              median(startups.qlm, &StartupSample::peakMb), median(startups.same, &StartupSample::peakMb),
              median(startups.minimal, &StartupSample::peakMb), FormatSpread(SpreadOf(round.memory)).c_str());
  std::fflush(stdout);
  return round;
}

void Measure(const Installation& setup, const Options& options) {
  std::vector<Round> rounds;
  for (int n = 1; n <= options.rounds; ++n) rounds.push_back(MeasureRound(setup, options, n));

  // Over the rounds: each round's median paired ratio, then their spread.
  const auto summary = [&](const char* what, std::vector<double> Round::*ratios, double aim) {
    std::vector<double> medians;
    for (const Round& round : rounds) medians.push_back(Median(round.*ratios));
    const Spread spread = SpreadOf(medians);
    std::printf("%-42s %s", what, FormatSpread(spread).c_str());
    if (aim > 0) std::printf("  (within %.2f: %s)", aim, spread.max <= aim ? "met" : spread.median <= aim ? "median met" : "missed");
    std::printf("\n");
  };
  std::printf("\nratios over %d rounds (min/median/max of the rounds' median paired ratios):\n", options.rounds);
  summary("startup shown, QLM / same controls:", &Round::shown, 1.05);
  summary("startup idle, QLM / same controls:", &Round::idle, 1.05);
  summary("startup shown, QLM / minimal window:", &Round::shownMinimal, 0);
  summary("startup idle, QLM / minimal window:", &Round::idleMinimal, 0);
  summary("font click, QLM / six bare writes:", &Round::click, 1.2);
  summary("peak memory, QLM / same controls:", &Round::memory, 1.05);
}

int Run(const Options& options) {
  const Installation setup = Prepare(options);
  std::printf(
      "ui_bench: System\\Appcfg.ini of %d lines (%zu bytes), %d colour files; %d rounds of %d start-ups of each "
      "program and %d click pairs\n",
      options.lines, setup.appcfgText.size(), options.colours, options.rounds, options.runs, options.clicks);
  std::fflush(stdout);
  if (options.Wants("measure")) Measure(setup, options);
  std::fflush(stdout);
  if (setup.trace.empty()) return 0;
  if (options.Wants("profile")) {
    ProfileStartup(setup, options.runs);
    std::fflush(stdout);
    ProfileClick(setup, options.clicks);
    std::fflush(stdout);
  }
  if (options.Wants("alternatives")) Alternatives(setup, 2 * options.clicks, options.colours);
  return 0;
}

}  // namespace
}  // namespace qlm::uibench

int main(int argc, char** argv) {
  std::string error;
  const auto options = qlm::uibench::ParseOptions(std::vector<std::string>(argv + 1, argv + argc), error);
  if (!options) {
    std::fprintf(
        stderr,
        "ui_bench: %s\n"
        "usage: ui_bench --qlm=EXE --same-controls=EXE --minimal=EXE --standin=EXE --sample=DIR --work=DIR\n"
        "                [--trace=EXE --minimal-imports=EXE --minimal-manifest=EXE]\n"
        "                [--rounds=N] [--runs=N] [--clicks=N] [--lines=N] [--colours=N] [--parts=measure,profile,alternatives]\n",
        error.c_str());
    return 2;
  }
  try {
    return qlm::uibench::Run(*options);
  } catch (const std::exception& error) {
    std::fflush(stdout);
    std::fprintf(stderr, "ui_bench: %s\n", error.what());
    return 1;
  }
}
