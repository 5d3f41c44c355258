// ini_bench: the portable INI engine on a 10,000-line settings file, then the
// same reads and writes through the profile-driver of both builds, the
// Windows one under Wine, compared in the same run.
//
// The Google Benchmark part times, in this process:
//   Get    ProfileRead of a key near the end (file read, parse, find)
//   Set    ProfileWrite of that key, alternating two values so that every
//          write changes the file (read, parse, edit, atomic write)
//   Parse  parsing the text in memory alone
//
// The comparison then runs each profile-driver on batches of N gets and of N
// sets, and on an empty batch, and takes the median of several batches of
// each. Per operation: (batch - empty batch) / N, which leaves out process
// start-up (and Wine's). It prints plain lines such as
//   ratio get windows/native: 37.2
// and is skipped, with a line saying why, when Wine or the Windows driver is
// missing.
//
// Options besides Google Benchmark's:
//   --qlm_batch=N           operations per batch (default 200)
//   --qlm_repeats=R         batches of each kind per driver (default 5)
//   --qlm_windows_build=DIR the Windows build tree (default build/windows)
//   --qlm_no_comparison     only the Google Benchmark part
#include <filesystem>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/ini/ini_document.h"
#include "platform/profile_store.h"

extern char** environ;

namespace {

constexpr int kSections = 100;
constexpr int kEntriesPerSection = 99;  // with the header: 100 lines a section

// Shift-JIS text, some of it with 0x5C ("\") as a second byte.
const char* const kJapanese[] = {
    "\x93\xFA\x96\x7B\x8C\xEA",                          // 日本語
    "\x95\x5C\x8E\xA6",                                  // 表示
    "\x83\x5C\x83\x74\x83\x67",                          // ソフト
    "\x90\xDD\x92\xE8",                                  // 設定
    "\x94\x77\x8C\x69\x90\x46",                          // 背景色
};
const char* const kKeyNames[] = {"FontName", "FontSize", "Colour", "Path", "Title", "Width", "Height",
                                 "Enabled", "Mode", "Extension", "Command", "Comment"};

// The generated file, already in the form the platform writes (CRLF, no blank
// lines, nothing to trim), so that a write under Wine keeps its size.
std::string SettingsText() {
  std::string text;
  for (int s = 1; s <= kSections; ++s) {
    text += "[Profile" + std::to_string(s) + "]\r\n";
    for (int e = 1; e <= kEntriesPerSection; ++e) {
      text += kKeyNames[e % std::size(kKeyNames)] + std::to_string(e) + "=";
      switch (e % 6) {
        case 0: text += std::to_string(s * 1000 + e); break;
        case 1: text += std::string(kJapanese[(s + e) % std::size(kJapanese)]) + " " + kJapanese[e % 5]; break;
        case 2: text += "C:\\Tools\\Profile" + std::to_string(s) + "\\bin\\tool" + std::to_string(e) + ".exe"; break;
        case 3: text += "0x00" + std::to_string(100000 + s * e); break;
        case 4: text += "\"quoted value " + std::to_string(e) + "\""; break;
        default: text += "\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E"; break;  // ＭＳ ゴシック
      }
      text += "\r\n";
    }
  }
  return text;
}

// The entry the benchmarks read and write: in the last section, near its end.
const std::string kSection = "Profile" + std::to_string(kSections);
const std::string kKey = std::string(kKeyNames[(kEntriesPerSection - 2) % std::size(kKeyNames)]) +
                         std::to_string(kEntriesPerSection - 2);
const char* const kValues[2] = {"1234567", "7654321"};

struct Setup {
  std::string folder;       // native
  std::string path;         // native
  std::string windowsPath;  // the same file as Z:\...
  std::string text;
};

Setup& TheSetup() {
  static Setup setup;
  return setup;
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  if (!out.flush()) throw std::runtime_error("cannot write " + path);
}

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

// A driver field: backslashes and control bytes escaped.
std::string Field(const std::string& bytes) {
  std::string out;
  for (const char c : bytes) {
    if (c == '\\') out += "\\\\";
    else if (c == '\t') out += "\\t";
    else out += c;
  }
  return out;
}

enum class Kind { kEmpty, kGet, kSet };

std::string Operations(Kind kind, int count) {
  const Setup& setup = TheSetup();
  std::string ops;
  for (int i = 0; i < count && kind != Kind::kEmpty; ++i) {
    if (kind == Kind::kGet)
      ops += "get\t" + Field(setup.windowsPath) + "\t" + kSection + "\t" + kKey + "\t\n";
    else
      ops += "set\t" + Field(setup.windowsPath) + "\t" + kSection + "\t" + kKey + "\t" + kValues[i % 2] + "\n";
  }
  return ops;
}

struct Outcome {
  double seconds = 0;
  std::string output;
};

// Runs argv with the file input as standard input; gives the wall time and
// what it printed, or nothing when it could not run or failed.
std::optional<Outcome> RunTimed(const std::vector<std::string>& argv, const std::string& input) {
  const std::string inputPath = TheSetup().folder + "/ops.txt";
  const std::string outputPath = TheSetup().folder + "/out.txt";
  WriteFile(inputPath, input);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, inputPath.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  const auto start = std::chrono::steady_clock::now();
  pid_t pid;
  const int spawned = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return std::nullopt;
  int status = 0;
  waitpid(pid, &status, 0);
  const auto end = std::chrono::steady_clock::now();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
  return Outcome{std::chrono::duration<double>(end - start).count(), ReadFile(outputPath)};
}

struct Driver {
  std::string name;
  std::vector<std::string> argv;
  std::vector<double> times[3];  // by Kind
  std::string getLine;           // what a get printed
  bool failed = false;
};

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// One batch: the file restored first, the output checked.
void RunBatch(Driver& driver, Kind kind, int count) {
  Restore();
  const auto outcome = RunTimed(driver.argv, Operations(kind, count));
  if (!outcome) {
    driver.failed = true;
    return;
  }
  std::vector<std::string> lines;
  for (std::size_t pos = 0; pos < outcome->output.size();) {
    const std::size_t end = outcome->output.find('\n', pos);
    lines.push_back(outcome->output.substr(pos, end - pos));
    pos = end == std::string::npos ? outcome->output.size() : end + 1;
  }
  const int expected = kind == Kind::kEmpty ? 0 : count;
  bool ok = static_cast<int>(lines.size()) == expected;
  for (const std::string& line : lines) {
    if (kind == Kind::kSet) ok = ok && line == "ok";
    if (kind == Kind::kGet) ok = ok && !line.empty() && line == lines.front();
  }
  if (kind == Kind::kGet && !lines.empty()) driver.getLine = lines.front();
  if (kind == Kind::kSet && ok) {
    const qlm::ini::Document written(ReadFile(TheSetup().path));
    const auto value = written.Find(kSection, kKey);
    ok = value && *value == kValues[(count - 1) % 2];
  }
  if (!ok) {
    std::printf("%s: unexpected output for a batch of %d\n", driver.name.c_str(), count);
    driver.failed = true;
    return;
  }
  driver.times[static_cast<int>(kind)].push_back(outcome->seconds);
}

bool IsExecutable(const std::string& path) { return access(path.c_str(), X_OK) == 0; }

bool OnPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "";
  for (std::size_t pos = 0; pos <= dirs.size();) {
    const std::size_t end = std::min(dirs.find(':', pos), dirs.size());
    if (IsExecutable(dirs.substr(pos, end - pos) + "/" + program)) return true;
    pos = end + 1;
  }
  return false;
}

void Compare(int batch, int repeats, const std::string& givenBuild) {
  // Wine takes only an absolute prefix.
  const std::string windowsBuild = std::filesystem::absolute(givenBuild).string();
  std::printf("\ncomparison through profile-driver: %d-line file, batches of %d operations, "
              "median of %d batches, an empty batch subtracted\n",
              kSections * (kEntriesPerSection + 1), batch, repeats);
  const std::string windowsDriver = windowsBuild + "/tools/profile-driver.exe";
  const std::string prefix = windowsBuild + "/wineprefix";
  std::string missing;
  if (!OnPath("wine") || !OnPath("wineserver")) missing = "wine is not installed";
  else if (!IsExecutable(QLM_WINE_RUN)) missing = std::string(QLM_WINE_RUN) + " is missing";
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

  std::vector<Driver> drivers;
  drivers.push_back(Driver{"native", {QLM_NATIVE_DRIVER}, {}, {}, false});
  drivers.push_back(Driver{"windows", {QLM_WINE_RUN, prefix, windowsDriver}, {}, {}, false});

  // One run each first, so that neither pays for a cold start.
  for (Driver& d : drivers) {
    RunBatch(d, Kind::kGet, 2);
    for (auto& t : d.times) t.clear();
  }
  for (int r = 0; r < repeats; ++r)
    for (Driver& d : drivers)
      for (const Kind kind : {Kind::kEmpty, Kind::kGet, Kind::kSet})
        if (!d.failed) RunBatch(d, kind, batch);
  Restore();

  double perOp[2][2] = {};
  for (std::size_t i = 0; i < drivers.size(); ++i) {
    const Driver& d = drivers[i];
    if (d.failed) {
      std::printf("%s profile-driver failed; comparison skipped\n", d.name.c_str());
      return;
    }
    const double empty = Median(d.times[0]);
    perOp[i][0] = (Median(d.times[1]) - empty) / batch;
    perOp[i][1] = (Median(d.times[2]) - empty) / batch;
    std::printf("%s profile-driver%s: start %.2f ms, get %.3f ms, set %.3f ms\n", d.name.c_str(),
                i == 1 ? " under Wine" : "", empty * 1e3, perOp[i][0] * 1e3, perOp[i][1] * 1e3);
  }
  if (drivers[0].getLine != drivers[1].getLine)
    std::printf("note: the drivers read different values: native \"%s\", windows \"%s\"\n",
                drivers[0].getLine.c_str(), drivers[1].getLine.c_str());
  std::printf("ratio get windows/native: %.1f\n", perOp[1][0] / perOp[0][0]);
  std::printf("ratio set windows/native: %.1f\n", perOp[1][1] / perOp[0][1]);
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
  setup.windowsPath = "Z:" + setup.path;
  std::replace(setup.windowsPath.begin(), setup.windowsPath.end(), '/', '\\');
  setup.text = SettingsText();
  Restore();
  std::printf("settings file: %s, %zu bytes\n", setup.path.c_str(), setup.text.size());

  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  if (compare) Compare(batch, repeats, windowsBuild);

  for (const char* name : {"/settings.ini", "/ops.txt", "/out.txt"}) unlink((setup.folder + name).c_str());
  rmdir(folder);
  return 0;
}
