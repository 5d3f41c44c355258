// bench.cpp: the UI benchmark's parts (see bench.h).
#include "bench.h"

// after windows.h
#include <psapi.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "../filler.h"
#include "platform/win32/win32_host.h"
#include "settings/font_record.h"
#include "settings/tool_history.h"

namespace qlm::uibench {
namespace {

using std::chrono::milliseconds;
constexpr DWORD kIdlePatienceMs = 30000;

// The performance counter in milliseconds.
double NowMs() {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// A file's size or last write time; 0 for a missing file.
ULONGLONG Stamp(const std::string& path, bool size) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return size ? (ULONGLONG(data.nFileSizeHigh) << 32) | data.nFileSizeLow
              : (ULONGLONG(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
}

// The file's bytes in one read ("" when it cannot be read): polled while
// QLM.exe works on the same CPU, so it must cost little (a stream's small
// reads of the settings file would take milliseconds from the program timed).
std::string ReadAtOnce(const std::string& path) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string bytes(static_cast<std::size_t>(GetFileSize(file, nullptr)), '\0');
  DWORD got = 0;
  if (!ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr)) got = 0;
  CloseHandle(file);
  bytes.resize(got);
  return bytes;
}

std::string SampleTitle(const std::string& sample) {
  const std::string title = e2e::ReadIni(sample + "\\System\\Sys.ini")["INFO"]["Title"];
  if (title.empty()) throw Failure("the sample's System\\Sys.ini has no [INFO] Title");
  return title;
}

// Whether the stand-in wrote a line for this event after its first `after`.
bool Recorded(const test::StandInSession& tool, std::size_t after, const std::string& event) {
  const std::vector<test::StateLine> lines = tool.Lines();
  return std::any_of(lines.begin() + static_cast<std::ptrdiff_t>(std::min(after, lines.size())), lines.end(),
                     [&](const test::StateLine& line) { return line.count("event") && line.at("event") == event; });
}

// One click on an arrow of QLM.exe's size box, timed until the six slots
// hold the new size and the stand-in has recorded the font notification.
void Click(const e2e::Quillmate& qlm, const Installation& setup, int step, Clicks& clicks) {
  const int target = std::atoi(qlm.Text(ui::kFontSize).c_str()) + step;
  const HDC screen = GetDC(nullptr);
  const int pixelsPerInch = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  const std::string ini = setup.tool.ConfigPath(), state = setup.tool.folder() + "state.txt";
  const std::size_t lines = setup.tool.Lines().size();
  const ULONGLONG stateSize = Stamp(state, true);
  ULONGLONG seen = Stamp(ini, false);
  double lastRead = 0, onDisk = 0, notified = 0;
  // Timed from the posts: the driver's look for the arrows before them is
  // not the click's (on the one CPU the program runs once the driver waits).
  qlm.PostArrowClicks(step > 0, 1);
  const double origin = NowMs();
  const bool done = e2e::WaitUntil([&] {
    const double now = NowMs();
    // The settings file is read when it changed, and at least every 5 ms
    // (its time stamp may not move between two writes close together).
    if (onDisk == 0 && (Stamp(ini, false) != seen || now - lastRead >= 5)) {
      seen = Stamp(ini, false);
      lastRead = now;
      if (SlotsHaveSize(FontSlotsOf(ReadAtOnce(ini)), target, pixelsPerInch)) onDisk = NowMs() - origin;
    }
    if (notified == 0 && Stamp(state, true) > stateSize && Recorded(setup.tool, lines, "reload:font"))
      notified = NowMs() - origin;
    return onDisk != 0 && notified != 0;
  }, e2e::kPatience, milliseconds(1));
  if (!done)
    throw Failure(std::string("the size click ") + (onDisk == 0 ? "did not write the six slots " : "") +
                  (notified == 0 ? "did not notify the stand-in" : "") + "; boxes: " + qlm.Boxes());
  qlm.Settle();
  if (std::atoi(qlm.Text(ui::kFontSize).c_str()) != target) throw Failure("the size box does not show the new size");
  clicks.onDisk.push_back(onDisk);
  clicks.done.push_back(std::max(onDisk, notified));
}

}  // namespace

std::optional<Options> ParseOptions(const std::vector<std::string>& arguments, std::string& error) {
  Options options;
  const struct {
    const char* name;
    std::string Options::*path;
    int Options::*count;
  } known[] = {{"same-controls", &Options::sameControls, nullptr}, {"minimal", &Options::minimal, nullptr},
               {"sample", &Options::sample, nullptr},              {"work", &Options::work, nullptr},
               {"rounds", nullptr, &Options::rounds},              {"runs", nullptr, &Options::runs},
               {"clicks", nullptr, &Options::clicks},              {"lines", nullptr, &Options::lines},
               {"colours", nullptr, &Options::colours},            {"folders", nullptr, &Options::folders},
               {"entries", nullptr, &Options::entries},            {"history-cache", &Options::historyCache, nullptr}};
  const auto refuse = [&](const std::string& why) {
    error = why;
    return std::optional<Options>();
  };
  for (const std::string& argument : arguments) {
    const std::size_t equals = argument.find('=');
    const auto option = std::find_if(std::begin(known), std::end(known), [&](const auto& each) {
      return equals != std::string::npos && argument.substr(0, equals) == std::string("--") + each.name;
    });
    if (option == std::end(known)) return refuse("unknown option " + argument);
    const std::string value = argument.substr(equals + 1);
    char* end = nullptr;
    const long number = std::strtol(value.c_str(), &end, 10);
    if (option->path) options.*option->path = value;
    else if (value.empty() || *end != '\0' || number < 1 || number > 1000000)
      return refuse(argument.substr(0, equals) + " takes a whole number above zero, not \"" + value + "\"");
    else options.*option->count = static_cast<int>(number);
  }
  for (const auto& each : known)
    if (each.path && each.path != &Options::historyCache && (options.*each.path).empty())
      return refuse(std::string("--") + each.name + " is missing");
  return std::optional<Options>(options);
}

std::string GenerateAppcfg(std::string_view sample, int lines) {
  std::vector<std::string> own;
  std::istringstream in{std::string(sample)};
  for (std::string line; std::getline(in, line);)
    if (const std::size_t first = line.find_first_not_of(" \t\r"); first != std::string::npos)
      own.push_back(line.substr(first, line.find_last_not_of(" \t\r") + 1 - first));
  const int room = lines - static_cast<int>(own.size());
  if (room < 4) throw std::invalid_argument("too few lines for the sample and the filler around it");
  std::string text;
  bench::AppendFiller(text, "Board", room / 2);
  for (const std::string& line : own) text += line + "\r\n";
  bench::AppendFiller(text, "Chart", room - room / 2);
  return text;
}

FontSlots FontSlotsOf(const std::string& ini) {
  const std::size_t begin = ini.find("[FONT]");
  FontSlots slots;
  if (begin == std::string::npos) return slots;
  auto section = e2e::ParseIni(ini.substr(begin, ini.find("\n[", begin) - begin))["FONT"];
  for (int slot = 0; slot < kFontSlots; ++slot) slots[static_cast<std::size_t>(slot)] = section["FF" + std::to_string(slot)];
  return slots;
}

bool SlotsHaveSize(const FontSlots& slots, int size, int pixelsPerInch) {
  for (int slot = 0; slot < kFontSlots; ++slot) {
    const std::string& record = slots[static_cast<std::size_t>(slot)];
    if (record.substr(0, record.find(',')) != std::to_string(HeightForSize(size + font::kSizeOffsets[slot], pixelsPerInch)))
      return false;
  }
  return true;
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

std::vector<double> PairedRatios(const std::vector<double>& subject, const std::vector<double>& reference) {
  std::vector<double> ratios;
  for (std::size_t i = 0; i < subject.size() && i < reference.size(); ++i)
    if (reference[i] > 0) ratios.push_back(subject[i] / reference[i]);
  return ratios;
}

std::string FormatSpread(const std::vector<double>& values) {
  const auto [low, high] = std::minmax_element(values.begin(), values.end());
  char text[64];
  std::snprintf(text, sizeof text, "%.2f/%.2f/%.2f", values.empty() ? 0 : *low, Median(values),
                values.empty() ? 0 : *high);
  return text;
}

void AgeFile(const std::string& path) {
  std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
}

Installation::Installation(const Options& options)
    : appcfgText(GenerateAppcfg(test::ReadBytes(options.sample + "\\System\\Appcfg.ini"), options.lines)),
      tool("Takumi.exe", SampleTitle(options.sample), appcfgText) {
  // The sample's schemes, then copies of its first under numbered names up
  // to the count.
  const std::string from = options.sample + "\\Color\\", to = tool.folder() + "Color\\";
  const std::vector<std::string> schemes = test::FileNames(from);
  if (schemes.empty()) throw Failure("the sample has no colour files");
  for (std::size_t n = 0; n < static_cast<std::size_t>(options.colours); ++n) {
    const std::size_t copied = n < schemes.size() ? n : 0;
    const std::string name = n < schemes.size() ? schemes[n] : "Scheme" + std::to_string(1000 + n).substr(1) + ".CLR";
    if (!CopyFileA((from + schemes[copied]).c_str(), (to + name).c_str(), FALSE))
      throw Failure("cannot copy " + from + schemes[copied]);
  }
}

StartupSample StartOnce(e2e::Quillmate& program) {
  StartupSample sample;
  const double origin = NowMs();
  if (!program.Start()) throw Failure("cannot start " + program.ExePath());
  HWND window = nullptr;
  if (!e2e::WaitUntil([&] { return ((window = program.MainWindow()) && IsWindowVisible(window)) || !program.Running(); },
                      e2e::kPatience, milliseconds(1)) ||
      !program.Running()) {
    const std::string boxes = program.Boxes();
    program.Kill();
    throw Failure(program.ExePath() + " showed no main window; its boxes: " + boxes);
  }
  sample.shown = NowMs() - origin;
  WaitForInputIdle(program.processHandle(), kIdlePatienceMs);
  program.Settle();
  sample.idle = NowMs() - origin;
  PROCESS_MEMORY_COUNTERS memory = {};
  if (GetProcessMemoryInfo(program.processHandle(), &memory, sizeof memory))
    sample.peakMb = static_cast<double>(memory.PeakWorkingSetSize) / (1024.0 * 1024.0);
  program.Kill();
  return sample;
}

double BareWrites(const std::string& ini, const FontSlots& values) {
  const double start = NowMs();
  for (int slot = 0; slot < kFontSlots; ++slot)
    WritePrivateProfileStringA("FONT", ("FF" + std::to_string(slot)).c_str(),
                               values[static_cast<std::size_t>(slot)].c_str(), ini.c_str());
  const double ms = NowMs() - start;
  if (FontSlotsOf(test::ReadBytes(ini)) != values) throw Failure("the bare writes did not store the six values");
  return ms;
}

Clicks MeasureClicks(Installation& setup, int pairs) {
  const std::string ini = setup.tool.ConfigPath();
  test::WriteBytes(ini, setup.appcfgText);
  // The state file of an earlier session would pass for the new start.
  test::RemoveFile(setup.tool.folder() + "state.txt");
  if (!setup.tool.Start()) throw Failure("the stand-in did not start");
  e2e::Quillmate qlm(e2e::Quillmate::OwnIniFor(setup.tool.folder()));
  if (!qlm.Start() || !qlm.WaitForMainWindow()) throw Failure("QLM.exe showed no main window; boxes: " + qlm.Boxes());
  WaitForInputIdle(qlm.processHandle(), kIdlePatienceMs);
  const std::size_t lines = setup.tool.Lines().size();
  if (!qlm.EnterRealtime() || !e2e::WaitUntil([&] {
        return Recorded(setup.tool, lines, "reload:font") && Recorded(setup.tool, lines, "reload:colour");
      }))
    throw Failure("QLM.exe did not enter real-time mode; boxes: " + qlm.Boxes());
  Sleep(200);

  Clicks clicks;
  const FontSlots low = FontSlotsOf(test::ReadBytes(ini));
  FontSlots high;
  for (int pair = 0; pair < pairs; ++pair) {
    // QLM raises the size and lowers it again; the reference writes the
    // raised values over the low ones and then the low ones back, so every
    // timed step changes all six slots. The order swaps every pair (the
    // first starts with QLM, which gives the raised values).
    for (int side = 0; side < 2; ++side) {
      if ((side + pair) % 2 == 0) {
        Click(qlm, setup, +1, clicks);
        high = FontSlotsOf(test::ReadBytes(ini));
        Click(qlm, setup, -1, clicks);
        if (FontSlotsOf(test::ReadBytes(ini)) != low) throw Failure("the down arrow did not restore the six slots");
      } else {
        clicks.bare.push_back(BareWrites(ini, high));
        clicks.bare.push_back(BareWrites(ini, low));
      }
    }
  }
  PostMessageA(qlm.MainWindow(), WM_CLOSE, 0, 0);
  qlm.WaitForExit();
  setup.tool.Close();
  return clicks;
}

std::string GenerateHistory(const Installation& setup, int folders, const std::string& cache) {
  platform::Win32Host host;
  const EditedValues sample = ReadEditedValues(ToolConfig(host, setup.tool.folder()));
  const test::ScratchFolder scratch;
  // The other folders' states, kept from an earlier run while the cache is
  // newer than this driver (which the history's code is linked into).
  char driver[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, driver, MAX_PATH);
  const std::string kept = cache.empty() ? "" : cache + "-" + std::to_string(folders) + ".ini";
  std::error_code error;
  const bool fresh = !kept.empty() && std::filesystem::exists(kept, error) &&
                     std::filesystem::last_write_time(kept, error) > std::filesystem::last_write_time(driver, error);
  std::string joined;
  std::size_t installation = 0;  // the length of the installation's states
  for (int folder = 0; folder < (fresh ? 1 : folders); ++folder) {
    const std::string path = scratch / ("history" + std::to_string(folder) + ".ini");
    ToolState state;
    state.folder = folder == 0 ? setup.tool.folder() : "C:\\Trading\\Tool" + std::to_string(folder) + "\\";
    state.kind = ToolKind::kOther;
    state.values = sample;
    for (int n = 0; n < history::kLimit; ++n) {
      state.time = "2026/01/" + std::to_string(10 + n) + " 09:00:00";
      // Each state another size, so that none repeats the one before.
      for (int slot = 0; slot < kFontSlots; ++slot) {
        auto& record = state.values[config::IndexOf(config::EditedKey::kFont0) + static_cast<std::size_t>(slot)];
        std::vector<std::string> fields = SplitCommaList(record.value_or(""));
        if (fields.empty()) fields = SplitCommaList("-12,0,0,0,400,0,0,0,128,3,2,1,50,Tahoma");
        fields[0] = std::to_string(-(10 + n + slot));
        record = JoinCommaList(fields);
      }
      RecordState(host, path, state);
      // Read from the profile functions' parsed copy by the next record,
      // not parsed again as a file written in the last two seconds is.
      AgeFile(path);
    }
    joined += test::ReadBytes(path);
    if (folder == 0) installation = joined.size();
  }
  if (fresh) return joined + test::ReadBytes(kept);
  if (!kept.empty()) test::WriteBytes(kept, joined.substr(installation));
  return joined;
}

Entries MeasureEntering(Installation& setup, const std::string& history, int pairs) {
  Entries entries;
  const std::string ini = setup.tool.ConfigPath(), state = setup.tool.folder() + "state.txt";
  for (int pair = 0; pair < pairs; ++pair)
    for (int side = 0; side < 2; ++side) {
      const bool withHistory = (side + pair) % 2 == 1;
      test::WriteBytes(ini, setup.appcfgText);
      AgeFile(ini);
      test::RemoveFile(state);
      if (!setup.tool.Start()) throw Failure("the stand-in did not start");
      e2e::Quillmate qlm(e2e::Quillmate::OwnIniFor(setup.tool.folder()));
      const std::string historyPath =
          std::filesystem::path(qlm.OwnIniPath()).parent_path().string() + "\\" + history::kFileName;
      if (withHistory) {
        test::WriteBytes(historyPath, history);
        AgeFile(historyPath);
      }
      if (!qlm.Start() || !qlm.WaitForMainWindow()) throw Failure("QLM.exe showed no main window; boxes: " + qlm.Boxes());
      WaitForInputIdle(qlm.processHandle(), kIdlePatienceMs);
      qlm.Settle();
      const std::size_t lines = setup.tool.Lines().size();
      const ULONGLONG stateSize = Stamp(state, true);
      qlm.ClickAsync(ui::kRealtime);
      const HWND box = qlm.WaitForBox(e2e::kQuestionCaption);
      const HWND yes = box ? GetDlgItem(box, IDYES) : nullptr;
      if (!yes) throw Failure("no question box on entering real-time mode; boxes: " + qlm.Boxes());
      const double origin = NowMs();
      PostMessageA(yes, BM_CLICK, 0, 0);
      if (!e2e::WaitUntil([&] { return Stamp(state, true) > stateSize && Recorded(setup.tool, lines, "reload:colour"); },
                          e2e::kPatience, milliseconds(1)))
        throw Failure("QLM.exe did not enter real-time mode; boxes: " + qlm.Boxes());
      (withHistory ? entries.history : entries.none).push_back(NowMs() - origin);
      qlm.Settle();
      Sleep(200);
      Clicks clicks;
      Click(qlm, setup, +1, clicks);
      Click(qlm, setup, -1, clicks);
      entries.firstClick.push_back(clicks.done[0]);
      entries.laterClick.push_back(clicks.done[1]);
      if (withHistory && test::ReadBytes(historyPath).size() < history.size() / 2)
        throw Failure("the history lost its states");
      PostMessageA(qlm.MainWindow(), WM_CLOSE, 0, 0);
      qlm.WaitForExit();
      setup.tool.Close();
    }
  return entries;
}

}  // namespace qlm::uibench
