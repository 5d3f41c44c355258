// standin_session.h: the stand-in tool installed in a scratch folder under one
// of the tool's executable names, started, watched through its state file and
// closed again.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "test_support.h"

namespace qlm::test {

// One line of the state file: event, shape, display, toolbar, tabbar,
// ticker, colour, font.
using StateLine = std::map<std::string, std::string>;

// Other names for the stand-in's seven inner windows: the switches that start
// it under them, and the [ToolWindows] section of QLM.INI that names them (the
// tab bar's in the inverted form).
std::vector<std::string> OtherNameSwitches();
std::string OtherNamesSection();

class StandInSession {
 public:
  // Installs the stand-in as folder\executable with System\Sys.ini holding
  // title and System\Appcfg.ini holding appcfg, and two colour schemes.
  StandInSession(const std::string& executable, const std::string& title, const std::string& appcfg);
  ~StandInSession();
  StandInSession(const StandInSession&) = delete;
  StandInSession& operator=(const StandInSession&) = delete;

  // Starts the tool with its state file and switches, and waits until its
  // window is up (also again, after Close). False when it did not come up in
  // time.
  bool Start(const std::vector<std::string>& switches = {});
  // Closes the tool's window and waits for the program to end.
  void Close();
  // Ends the program at once (one that hangs would not close).
  void Kill();

  // The tool's main window while it runs.
  HWND window() const { return window_; }
  std::string folder() const { return folder_.path() + "\\"; }
  std::string ConfigPath() const { return folder_ / "System\\Appcfg.ini"; }

  std::vector<StateLine> Lines() const;
  // Waits until the state file has count lines; false on time-out.
  bool WaitForLines(std::size_t count) const;
  StateLine Last() const;

 private:
  ScratchFolder folder_;
  std::string executable_;
  std::string statePath_;
  PROCESS_INFORMATION process_ = {};
  HWND window_ = nullptr;
};

}  // namespace qlm::test
