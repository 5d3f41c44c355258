// ui_bench.cpp: the UI benchmark's driver, a console program run under Wine
// by bench/ui-run: per round, QLM.exe's start-up, one real-time font click and
// peak memory against references measured in the same run, as paired ratios,
// then the spread of the rounds' medians (see README.md).
#include <algorithm>
#include <cstdio>
#include <tuple>

#include "bench.h"
#include "settings/tool_history.h"

namespace qlm::uibench {
namespace {

// Between one program's end and the next start: a start right after an end
// is slowed by the teardown still going on.
constexpr DWORD kPauseMs = 200;

struct Program {
  e2e::Quillmate placed;
  std::vector<double> shown, idle, peakMb;  // of this round's timed start-ups
};

// One round of the measurement: its paired ratios.
struct Round {
  std::vector<double> shown, idle, shownMinimal, idleMinimal, click, memory, entering, firstClick;
};

Round MeasureRound(Installation& setup, Program (&programs)[3], const Options& options, const std::string& history,
                   int number) {
  // The start-ups read the settings files as a user finds them.
  AgeFile(setup.tool.ConfigPath());
  AgeFile(programs[0].placed.OwnIniPath());
  // One of each first, untimed: files and Wine's caches warm for all. Then
  // in turns, the order rotated every run, so that drift hits all alike.
  for (Program& program : programs) {
    StartOnce(program.placed);
    program.shown.clear(), program.idle.clear(), program.peakMb.clear();
    Sleep(kPauseMs);
  }
  for (int run = 0; run < options.runs; ++run)
    for (int i = 0; i < 3; ++i) {
      Program& program = programs[(run + i) % 3];
      const StartupSample sample = StartOnce(program.placed);
      program.shown.push_back(sample.shown), program.idle.push_back(sample.idle);
      program.peakMb.push_back(sample.peakMb);
      Sleep(kPauseMs);
    }
  const Clicks clicks = MeasureClicks(setup, options.clicks);
  const Entries entries = MeasureEntering(setup, history, options.entries);

  const Program &qlm = programs[0], &same = programs[1], &minimal = programs[2];
  const Round round{PairedRatios(qlm.shown, same.shown),    PairedRatios(qlm.idle, same.idle),
                    PairedRatios(qlm.shown, minimal.shown), PairedRatios(qlm.idle, minimal.idle),
                    PairedRatios(clicks.done, clicks.bare), PairedRatios(qlm.peakMb, same.peakMb),
                    PairedRatios(entries.history, entries.none), PairedRatios(entries.firstClick, entries.laterClick)};
  std::printf("round %d: median ms (or MB) of %d start-ups each, %zu clicks; min/median/max of the paired ratios\n",
              number, options.runs, clicks.done.size());
  for (const auto& [what, field, toSame, toMinimal] :
       {std::tuple{"shown: ", &Program::shown, &round.shown, &round.shownMinimal},
        std::tuple{"idle:  ", &Program::idle, &round.idle, &round.idleMinimal}})
    std::printf("  %s QLM %6.1f, same controls %6.1f, minimal window %6.1f; ratio to same controls %s, to minimal %s\n",
                what, Median(qlm.*field), Median(same.*field), Median(minimal.*field), FormatSpread(*toSame).c_str(),
                FormatSpread(*toMinimal).c_str());
  std::printf("  click:  QLM %6.1f (slots on disk %.1f), six bare writes %6.1f; ratio %s\n", Median(clicks.done),
              Median(clicks.onDisk), Median(clicks.bare), FormatSpread(round.click).c_str());
  std::printf("  memory: QLM %6.1f, same controls %6.1f, minimal window %6.1f (peak MB); ratio to same controls %s\n",
              Median(qlm.peakMb), Median(same.peakMb), Median(minimal.peakMb), FormatSpread(round.memory).c_str());
  std::printf("  enter real-time mode: with the history %6.1f, without %6.1f; ratio %s\n", Median(entries.history),
              Median(entries.none), FormatSpread(round.entering).c_str());
  std::printf("  click after entering: first %6.1f, second %6.1f; ratio %s\n", Median(entries.firstClick),
              Median(entries.laterClick), FormatSpread(round.firstClick).c_str());
  std::fflush(stdout);
  return round;
}

int Run(const Options& options) {
  Installation setup(options);
  const std::string history = GenerateHistory(setup, options.folders, options.historyCache);
  std::printf(
      "ui_bench: System\\Appcfg.ini of %d lines (%zu bytes), %d colour files; %d rounds of %d start-ups of each "
      "program, %d click pairs and %d pairs of entries into real-time mode; %s of %d folders (%zu bytes)\n",
      options.lines, setup.appcfgText.size(), options.colours, options.rounds, options.runs, options.clicks,
      options.entries, history::kFileName, options.folders, history.size());
  std::fflush(stdout);
  // Each from a folder of its own, as QLM.exe is placed; only QLM.exe has a
  // QLM.INI.
  Program programs[3] = {{e2e::Quillmate(e2e::Quillmate::OwnIniFor(setup.tool.folder())), {}, {}, {}},
                         {e2e::Quillmate("", options.sameControls), {}, {}, {}},
                         {e2e::Quillmate("", options.minimal), {}, {}, {}}};
  std::vector<Round> rounds;
  for (int n = 1; n <= options.rounds; ++n) rounds.push_back(MeasureRound(setup, programs, options, history, n));

  // Over the rounds: each round's median paired ratio, then their spread.
  std::printf("\nratios over %d rounds (min/median/max of the rounds' median paired ratios):\n", options.rounds);
  const auto summary = [&](const char* what, std::vector<double> Round::*ratios, double aim) {
    std::vector<double> medians;
    for (const Round& round : rounds) medians.push_back(Median(round.*ratios));
    std::printf("%-42s %s", what, FormatSpread(medians).c_str());
    if (aim > 0)
      std::printf("  (within %.2f: %s)", aim,
                  *std::max_element(medians.begin(), medians.end()) <= aim ? "met"
                  : Median(medians) <= aim                                ? "median met"
                                                                          : "missed");
    std::printf("\n");
  };
  summary("startup shown, QLM / same controls:", &Round::shown, 1.10);
  summary("startup idle, QLM / same controls:", &Round::idle, 1.10);
  summary("startup shown, QLM / minimal window:", &Round::shownMinimal, 0);
  summary("startup idle, QLM / minimal window:", &Round::idleMinimal, 0);
  summary("font click, QLM / six bare writes:", &Round::click, 0.6);
  summary("peak memory, QLM / same controls:", &Round::memory, 1.05);
  summary("entering real-time, history / none:", &Round::entering, 1.2);
  summary("first click / second click:", &Round::firstClick, 1.5);
  return 0;
}

}  // namespace
}  // namespace qlm::uibench

int main(int argc, char** argv) {
  std::string error;
  const auto options = qlm::uibench::ParseOptions(std::vector<std::string>(argv + 1, argv + argc), error);
  if (!options) {
    std::fprintf(stderr,
                 "ui_bench: %s\nusage: ui_bench --same-controls=EXE --minimal=EXE --sample=DIR --work=DIR\n"
                 "                [--rounds=N] [--runs=N] [--clicks=N] [--lines=N] [--colours=N] [--folders=N]\n"
                 "                [--entries=N] [--history-cache=PATH]\n",
                 error.c_str());
    return 2;
  }
  try {
    // The scratch folders of the installation and the programs go under
    // --work (the temporary folder is asked for in TMP first).
    if ((!CreateDirectoryA(options->work.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) ||
        !SetEnvironmentVariableA("TMP", options->work.c_str()))
      throw qlm::uibench::Failure("cannot create the folder " + options->work);
    return qlm::uibench::Run(*options);
  } catch (const std::exception& failure) {
    std::fflush(stdout);
    std::fprintf(stderr, "ui_bench: %s\n", failure.what());
    return 1;
  }
}
