// bench_driver.h: what the UI benchmark does to the programs it measures,
// through the end-to-end tests' driver: the tool installation, a timed
// start-up, and the timed clicks of the size arrows in real-time mode.
#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "bench_model.h"
#include "qlm_driver.h"
#include "standin_session.h"

namespace qlm::uibench {

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

}  // namespace qlm::uibench
