// bench_driver.h: what the UI benchmark's driver does to the programs it
// measures: the tool installation in a scratch folder, starting a program and
// timing its window, and the real-time session with the stand-in in which
// the size arrows are clicked.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench_model.h"

namespace qlm::uibench {

inline constexpr char kQlmClass[] = "QuillmateMainForm";
inline constexpr char kQlmCaption[] = "Quillmate";
inline constexpr char kMinimalClass[] = "QlmBenchMinimalWindow";
inline constexpr char kMinimalCaption[] = "Minimal";
inline constexpr DWORD kPatienceMs = 30000;

// What went wrong, for the driver to print before it stops.
struct Failure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The performance counter in milliseconds.
double NowMs();

// Files. ReadBytes gives false when the file cannot be read; the others
// throw Failure.
bool ReadBytes(const std::string& path, std::string& bytes);
std::string ReadOrFail(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
// Sets a file's last write time an hour back: the profile functions keep a
// file parsed between calls only when it is older than about two seconds.
void AgeFile(const std::string& path);

// [FONT] FF0 to FF5 of a settings file this benchmark wrote: the section is
// found by a plain search, quick enough to poll.
FontSlotValues FontSlotsOf(const std::string& ini);
std::array<std::string, kFontSlots> Values(const FontSlotValues& slots);
// The slots' heights for a size on this screen.
std::array<int, kFontSlots> HeightsFor(int size);

// The scratch folder: the tool installation and QLM.exe's folders.
struct Installation {
  std::string tool;  // the tool's folder, with a trailing backslash
  std::string appcfg;
  std::string appcfgText;  // as generated
  std::string title;       // the stand-in's window title
  std::string standin;     // Takumi.exe in the tool's folder
  std::string state;       // the stand-in's state file
  std::string qlmFolder, qlm;
  std::string traceFolder, trace;  // empty without an instrumented copy
  // QLM.exe's window and controls, no settings work: copied into a folder
  // of its own as QLM.exe is, and started from there.
  std::string sameFolder, sameControls;
  std::string minimal, minimalImports, minimalManifest;
  std::string work;
};

// Builds the installation from options.sample in options.work: the generated
// Appcfg.ini, the sample's Sys.ini and colour files and generated ones up to
// options.colours, the stand-in as Takumi.exe; QLM.exe (and the instrumented
// copy) each in a folder of its own beside a QLM.INI naming the tool's folder.
Installation Prepare(const Options& options);

// A program to start and the main window that shows it has started.
struct Target {
  std::string name;
  std::string exe;
  const char* className;
  const char* caption;
  std::string arguments;
};

// One start-up, in milliseconds from just before CreateProcess.
struct StartupSample {
  double origin = 0;   // the counter before CreateProcess
  double created = 0;  // CreateProcess returned
  double shown = 0;    // the window visible
  double idle = 0;     // WaitForInputIdle returned and a sent message answered
  double peakMb = 0;   // PeakWorkingSetSize once idle
  double privateMb = 0;
  std::vector<std::string> modules;  // when asked for
};

// Starts the program in folder, polls every millisecond until its window is
// visible, waits until it is idle (WaitForInputIdle, then a message sent to
// the window and answered), reads its memory and ends it with
// TerminateProcess, waiting until it has gone. Throws Failure when the window does not show or the program does
// not end.
// whileShown, when given, gets the window once it is idle, before the end.
// kClose ends the program as its title bar would, with WM_CLOSE, and waits
// (the instrumented copy writes its trace as it ends).
enum class Ending { kTerminate, kClose };
StartupSample StartOnce(const Target& target, const std::string& folder, bool listModules = false,
                        const std::function<void(HWND)>& whileShown = {}, Ending ending = Ending::kTerminate);
std::vector<double> Field(const std::vector<StartupSample>& samples, double StartupSample::*field);

// One click on a size arrow, in milliseconds from posting it.
struct ClickTiming {
  double origin = 0;    // the counter as the click was posted
  double onDisk = 0;    // all six slots seen on disk
  double notified = 0;  // the stand-in's reload:font line seen
};

struct Clicks {
  std::vector<ClickTiming> qlm;  // up, down, up, down...
  std::vector<double> bare;      // the reference's steps
};

// The reference: six WritePrivateProfileStringA of the slots' values; throws
// Failure when the file does not hold them afterwards.
double BareWrites(const std::string& ini, const std::array<std::string, kFontSlots>& values);

// Restores the settings file, starts the stand-in and QLM (qlmExe in
// qlmFolder), enters real-time mode and times `pairs` pairs of clicks (the
// size up, then down again) and, with the reference, as many pairs of bare
// writes (the raised values, then the lowered ones), the order swapped every
// pair. Closes both programs.
Clicks MeasureClicks(const Installation& setup, const std::string& qlmExe, const std::string& qlmFolder, int pairs,
                     bool withReference);

}  // namespace qlm::uibench
