// ini_bench: the portable INI engine on a generated 10,000-line settings file
// (Google Benchmark: get, set, parse), then the same gets and sets through the
// profile-driver of both builds, the Windows one under Wine, compared in the
// same run. Options besides Google Benchmark's: --qlm_batch=N (operations per
// batch, 200), --qlm_repeats=R (batches of each kind, 5),
// --qlm_windows_build=DIR (the Windows build tree), --qlm_no_comparison.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "filler.h"
#include "platform/ini/ini_document.h"
#include "platform/profile_store.h"

extern char** environ;

namespace {

// 100 sections of 99 entries; the entry the benchmarks read and write is in
// the last section, near its end.
constexpr int kLines = 10000;
const std::string kSection = "Profile100", kKey = "Width97";
const char* const kValues[2] = {"1234567", "7654321"};

struct Setup {
  std::string folder, path, text;
  std::string windowsPath;  // the same file as Z:\...
  std::string driverField;  // windowsPath as a profile-driver field (backslashes doubled)
};

Setup& TheSetup() {
  static Setup setup;
  return setup;
}

void WriteFile(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Restore() { WriteFile(TheSetup().path, TheSetup().text); }

void BM_Get(benchmark::State& state) {
  Restore();
  const Setup& setup = TheSetup();
  const std::string expected = qlm::ini::ReadResult(*qlm::ini::Document(setup.text).Find(kSection, kKey));
  for (auto _ : state) {
    std::string value = qlm::platform::ProfileRead(setup.windowsPath, kSection, kKey, "");
    benchmark::DoNotOptimize(value);
    if (value != expected) state.SkipWithError("wrong value read");
  }
}
BENCHMARK(BM_Get)->Name("get")->Unit(benchmark::kMicrosecond);

void BM_Set(benchmark::State& state) {
  Restore();
  const Setup& setup = TheSetup();
  std::size_t n = 0;
  for (auto _ : state) {
    if (!qlm::platform::ProfileWrite(setup.windowsPath, kSection, kKey, kValues[n++ % 2]))
      state.SkipWithError("write refused");
  }
  if (n > 0 && qlm::platform::ProfileRead(setup.windowsPath, kSection, kKey, "") != kValues[(n - 1) % 2])
    state.SkipWithError("the last value written does not read back");
}
BENCHMARK(BM_Set)->Name("set")->Unit(benchmark::kMicrosecond);

void BM_Parse(benchmark::State& state) {
  const std::string& text = TheSetup().text;
  for (auto _ : state) {
    qlm::ini::Document document(text);
    benchmark::DoNotOptimize(document);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_Parse)->Name("parse")->Unit(benchmark::kMicrosecond);

// --- The comparison through the two profile-drivers. ---

enum Kind { kEmpty, kGet, kSet };

struct Driver {
  std::string name;
  std::vector<std::string> argv;
  std::vector<double> times[3];  // by Kind
  std::string getLine;           // what a get printed
  bool failed = false;
};

// Runs the driver on a batch of count operations of one kind, the file
// restored first and the operations on standard input. Keeps the wall time
// when the driver ended well, printed one line for each operation (every
// get the same, every set "ok") and a set batch left its last value in the
// file.
void RunBatch(Driver& driver, Kind kind, int count) {
  Restore();
  const Setup& setup = TheSetup();
  const std::string inputPath = setup.folder + "/ops.txt", outputPath = setup.folder + "/out.txt";
  std::string ops;
  for (int i = 0; i < count && kind != kEmpty; ++i)
    ops += (kind == kGet ? "get\t" : "set\t") + setup.driverField + "\t" + kSection + "\t" + kKey + "\t" +
           (kind == kGet ? "" : kValues[i % 2]) + "\n";
  WriteFile(inputPath, ops);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, inputPath.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::vector<char*> args;
  for (const std::string& a : driver.argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  const auto start = std::chrono::steady_clock::now();
  pid_t pid;
  int status = -1;
  if (posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ) == 0) waitpid(pid, &status, 0);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  posix_spawn_file_actions_destroy(&actions);

  const std::string output = ReadFile(outputPath), first = output.substr(0, output.find('\n') + 1);
  std::string expected;
  for (int i = 0; i < count && kind != kEmpty; ++i) expected += kind == kGet ? first : "ok\n";
  if (kind == kGet) driver.getLine = first.substr(0, first.size() - 1);
  bool ok = WIFEXITED(status) && WEXITSTATUS(status) == 0 && output == expected && (kind != kGet || first.size() > 1);
  if (ok && kind == kSet) ok = qlm::ini::Document(ReadFile(setup.path)).Find(kSection, kKey) == kValues[(count - 1) % 2];
  if (!ok) {
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
      std::printf("%s: unexpected output for a batch of %d\n", driver.name.c_str(), count);
    driver.failed = true;
    return;
  }
  driver.times[kind].push_back(seconds);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

void Compare(int batch, int repeats, const std::string& givenBuild) {
  // Wine takes only an absolute prefix.
  const std::string windowsBuild = std::filesystem::absolute(givenBuild).string();
  std::printf("\ncomparison through profile-driver: %d-line file, batches of %d operations, "
              "median of %d batches, an empty batch subtracted\n",
              kLines, batch, repeats);
  const std::string windowsDriver = windowsBuild + "/tools/profile-driver.exe";
  const std::string prefix = windowsBuild + "/wineprefix";
  std::string missing;
  if (std::system("{ command -v wine && command -v wineserver; } >/dev/null 2>&1") != 0) missing = "wine is not installed";
  else if (access(QLM_WINE_RUN, X_OK) != 0) missing = std::string(QLM_WINE_RUN) + " is missing";
  else if (access(windowsDriver.c_str(), R_OK) != 0) missing = windowsDriver + " is not built";
  else if (access((prefix + "/.qlm-ready").c_str(), R_OK) != 0) missing = "the Wine prefix " + prefix + " is not prepared";
  if (!missing.empty()) {
    std::printf("comparison skipped: %s\n", missing.c_str());
    return;
  }

  // A wine server that stays a while after the last program ends: Wine
  // programs then start in milliseconds. One already running is kept.
  const std::string server = "WINEPREFIX='" + prefix + "' wineserver -p10 >/dev/null 2>&1";
  if (std::system(server.c_str()) == -1) std::printf("could not start wineserver\n");

  Driver drivers[2] = {{"native", {QLM_NATIVE_DRIVER}, {}, {}, false},
                       {"windows", {QLM_WINE_RUN, prefix, windowsDriver}, {}, {}, false}};
  // One run each first, so that neither pays for a cold start.
  for (Driver& d : drivers) {
    RunBatch(d, kGet, 2);
    d.times[kGet].clear();
  }
  for (int r = 0; r < repeats; ++r)
    for (Driver& d : drivers)
      for (const Kind kind : {kEmpty, kGet, kSet})
        if (!d.failed) RunBatch(d, kind, batch);
  Restore();

  double perOp[2][3] = {};
  for (int i = 0; i < 2; ++i) {
    const Driver& d = drivers[i];
    if (d.failed) {
      std::printf("%s profile-driver failed; comparison skipped\n", d.name.c_str());
      return;
    }
    for (const Kind kind : {kGet, kSet}) perOp[i][kind] = (Median(d.times[kind]) - Median(d.times[kEmpty])) / batch;
    std::printf("%s profile-driver%s: start %.2f ms, get %.3f ms, set %.3f ms\n", d.name.c_str(),
                i == 1 ? " under Wine" : "", Median(d.times[kEmpty]) * 1e3, perOp[i][kGet] * 1e3, perOp[i][kSet] * 1e3);
  }
  if (drivers[0].getLine != drivers[1].getLine)
    std::printf("note: the drivers read different values: native \"%s\", windows \"%s\"\n",
                drivers[0].getLine.c_str(), drivers[1].getLine.c_str());
  std::printf("ratio get windows/native: %.1f\n", perOp[1][kGet] / perOp[0][kGet]);
  std::printf("ratio set windows/native: %.1f\n", perOp[1][kSet] / perOp[0][kSet]);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  int batch = 200, repeats = 5;
  bool compare = true;
  std::string windowsBuild = QLM_WINDOWS_BUILD;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--qlm_batch=", 0) == 0) batch = std::max(1, std::atoi(arg.c_str() + 12));
    else if (arg.rfind("--qlm_repeats=", 0) == 0) repeats = std::max(1, std::atoi(arg.c_str() + 14));
    else if (arg.rfind("--qlm_windows_build=", 0) == 0) windowsBuild = arg.substr(20);
    else if (arg == "--qlm_no_comparison") compare = false;
    else {
      std::fprintf(stderr, "ini_bench: unknown option %s\n", arg.c_str());
      return 2;
    }
  }

  char folder[] = "/tmp/qlm-bench-XXXXXX";
  if (!mkdtemp(folder)) {
    std::perror("mkdtemp");
    return 1;
  }
  Setup& setup = TheSetup();
  setup.folder = folder;
  setup.path = setup.folder + "/settings.ini";
  setup.windowsPath = "Z:";
  for (const char c : setup.path) {
    setup.windowsPath += c == '/' ? "\\" : std::string(1, c);
    setup.driverField += c == '/' ? "\\\\" : std::string(1, c);
  }
  setup.driverField = "Z:" + setup.driverField;
  qlm::bench::AppendFiller(setup.text, "Profile", kLines);
  Restore();
  std::printf("settings file: %s, %zu bytes\n", setup.path.c_str(), setup.text.size());

  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (compare) Compare(batch, repeats, windowsBuild);
  std::filesystem::remove_all(folder);
  return 0;
}
