// ui_bench.cpp: the UI benchmark's driver, a console program run under Wine
// (bench/ui-run starts it). It builds a tool installation from the sample
// (a 10,000-line System\Appcfg.ini, 300 colour files), then measures, each
// against a reference timed in the same run:
//
//   start-up     CreateProcess until the main window is visible (class
//                QuillmateMainForm, caption Quillmate), polled every
//                millisecond; reference: minimal_window.exe, timed the same
//                way. Median of --runs start-ups each, taken in turns.
//   font click   in real-time mode with the stand-in tool running: a mouse
//                click pair posted onto an arrow of the size box, until all
//                six font slots on disk hold the new size and the stand-in
//                has recorded the font notification; reference: six
//                WritePrivateProfileStringA calls from this process writing
//                the same values to the same file. Each timed step changes
//                all six slots (the size goes up and back down, on both
//                sides). Median of 2 x --clicks.
//   peak memory  PeakWorkingSetSize of QLM.exe and of the minimal program,
//                once shown and idle (GetProcessMemoryInfo on the handle
//                from CreateProcess). Median over the start-ups.
//
// With --trace=EXE (the instrumented copy, qlm_trace.exe) it then profiles
// the start-up and the click and times the alternatives its findings point
// to. Everything it prints is a ratio to a reference measured in the same
// run, or a breakdown; nothing is judged by absolute time.
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

std::string Format(const char* format, double a, double b = 0, double c = 0, double d = 0) {
  char text[512];
  std::snprintf(text, sizeof text, format, a, b, c, d);
  return text;
}

struct Startups {
  std::vector<StartupSample> qlm, minimal;
};

// The start-ups read the tool's settings file as a user finds it, not
// written in the last seconds (the profile functions keep a file parsed
// between calls only when it is older than about two seconds).
Startups MeasureStartups(const Installation& setup, int runs) {
  AgeFile(setup.appcfg);
  const Target qlm{"QLM.exe", setup.qlm, kQlmClass, kQlmCaption, ""};
  const Target minimal{"the minimal program", setup.minimal, kMinimalClass, kMinimalCaption, ""};
  // One of each first, untimed: files and Wine's caches warm for both.
  StartOnce(qlm, setup.qlmFolder);
  StartOnce(minimal, setup.work);
  Startups result;
  for (int run = 0; run < runs; ++run) {
    // In turns, the order swapped every run, so drift hits both alike.
    if (run % 2 == 0) {
      result.qlm.push_back(StartOnce(qlm, setup.qlmFolder));
      Sleep(50);
      result.minimal.push_back(StartOnce(minimal, setup.work));
    } else {
      result.minimal.push_back(StartOnce(minimal, setup.work));
      Sleep(50);
      result.qlm.push_back(StartOnce(qlm, setup.qlmFolder));
    }
    Sleep(50);
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
    runs.samples.push_back(StartOnce(target, folder, modules));
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
    StartOnce(traced, setup.traceFolder);
    std::vector<TraceEvent> tried;
    for (const TraceEvent& event : trace.Events())
      if (event.name.rfind("alternative: ", 0) == 0) tried.push_back(event);
    runs.push_back(ProfileRows(tried, 0));
  }
  SetEnvironmentVariableA("QLM_BENCH_ALTERNATIVES", nullptr);
  std::printf("  in QLM.exe's window, loaded and not yet shown, its colour list of %d items:\n", colours);
  for (const ProfileRow& row : MedianRows(runs)) std::printf("    %-70s %8.2f ms\n", row.path.c_str() + 13, row.ms);
}

void Measure(const Installation& setup, const Options& options) {
  const Startups startups = MeasureStartups(setup, options.runs);
  const Clicks clicks = MeasureClicks(setup, setup.qlm, setup.qlmFolder, options.clicks, true);

  std::vector<double> clickMs, onDiskMs;
  for (const ClickTiming& timing : clicks.qlm) {
    clickMs.push_back(std::max(timing.onDisk, timing.notified));
    onDiskMs.push_back(timing.onDisk);
  }
  const double qlmStart = Median(Field(startups.qlm, &StartupSample::shown));
  const double minimalStart = Median(Field(startups.minimal, &StartupSample::shown));
  const double click = Median(clickMs), bare = Median(clicks.bare);
  const double qlmPeak = Median(Field(startups.qlm, &StartupSample::peakMb));
  const double minimalPeak = Median(Field(startups.minimal, &StartupSample::peakMb));
  std::printf("%s\n", RatioLine("startup", "QLM", qlmStart, "minimal window", minimalStart, "ms").c_str());
  std::printf("%s\n", RatioLine("font click", "QLM", click, "six bare writes", bare, "ms").c_str());
  std::printf("%s\n", RatioLine("peak memory", "QLM", qlmPeak, "minimal", minimalPeak, "MB").c_str());

  const auto range = [](std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return Format("%.1f-%.1f", v.front(), v.back());
  };
  std::printf(
      "  startup until idle (WaitForInputIdle): QLM %.1f ms, minimal window %.1f ms; shown, range over the "
      "runs: QLM %s ms, minimal window %s ms\n",
      Median(Field(startups.qlm, &StartupSample::idle)), Median(Field(startups.minimal, &StartupSample::idle)),
      range(Field(startups.qlm, &StartupSample::shown)).c_str(),
      range(Field(startups.minimal, &StartupSample::shown)).c_str());
  std::printf(
      "  font click: six slots on disk after %.1f ms, the stand-in's reload:font line after %.1f ms (median of "
      "%zu); range %s ms, bare writes %s ms\n",
      Median(onDiskMs), click, clickMs.size(), range(clickMs).c_str(), range(clicks.bare).c_str());
  std::printf("  memory once idle: private bytes QLM %.1f MB, minimal %.1f MB\n",
              Median(Field(startups.qlm, &StartupSample::privateMb)),
              Median(Field(startups.minimal, &StartupSample::privateMb)));
  std::printf("  aims: startup within 1.25x: %s; font click within 1.5x: %s\n",
              qlmStart <= 1.25 * minimalStart ? "met" : "missed", click <= 1.5 * bare ? "met" : "missed");
}

int Run(const Options& options) {
  const Installation setup = Prepare(options);
  std::printf(
      "ui_bench: System\\Appcfg.ini of %d lines (%zu bytes), %d colour files; %d start-ups of each program, "
      "%d click pairs\n",
      options.lines, setup.appcfgText.size(), options.colours, options.runs, options.clicks);
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
        "usage: ui_bench --qlm=EXE --minimal=EXE --standin=EXE --sample=DIR --work=DIR\n"
        "                [--trace=EXE --minimal-imports=EXE --minimal-manifest=EXE]\n"
        "                [--runs=N] [--clicks=N] [--lines=N] [--colours=N] [--parts=measure,profile,alternatives]\n",
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
