// standin_session.cpp: installing, starting, watching and closing the
// stand-in tool from a test.
#include "standin_session.h"

#include <chrono>
#include <sstream>
#include <thread>

#include "../support/thread_window.h"

namespace qlm::test {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPatience = std::chrono::seconds(20);

// Key, name, and the name as the section writes it.
struct OtherName {
  const char* key;
  std::string name;
  std::string written;
};

const std::vector<OtherName>& OtherNames() {
  static const std::vector<OtherName> names = {
      {"MarkerClass", "OtherDoc", "OtherDoc"},      {"ContainerTitle", "Holder", "Holder"},
      {"ToolBarTitleA", "ProTools", "ProTools"},    {"ToolBarTitleB", "Buttons", "Buttons"},
      {"TabBarTitle", Sjis("タブ列"), "~7CA17C8A680E"}, {"TickerTitleA", "ProTicker", "ProTicker"},
      {"TickerTitleB", "Quotes", "Quotes"},
  };
  return names;
}

}  // namespace

std::vector<std::string> OtherNameSwitches() {
  std::vector<std::string> switches;
  for (const auto& each : OtherNames())
    switches.push_back(std::string("\"--window-name=") + each.key + "=" + each.name + "\"");
  return switches;
}

std::string OtherNamesSection() {
  std::string lines = "[ToolWindows]\r\n";
  for (const auto& each : OtherNames())
    lines += std::string(each.key) + "=" + each.written + "\r\n";
  return lines;
}

StandInSession::StandInSession(const std::string& executable, const std::string& title, const std::string& appcfg)
    : executable_(folder_ / executable), statePath_(folder_ / "state.txt") {
  WriteBytes(folder_ / "System\\Sys.ini", "[INFO]\r\nTitle=" + title + "\r\n");
  WriteBytes(ConfigPath(), appcfg);
  WriteBytes(folder_ / "Color\\Night.CLR", "[COLOR]\r\nBackground=1E1E28\r\nText=E6E6E6\r\n");
  WriteBytes(folder_ / "Color\\Paper.CLR", "[COLOR]\r\nBackground=FFFFF0\r\nText=202020\r\n");
  CopyFileA(BuiltProgram(QLM_STANDIN_EXE).c_str(), executable_.c_str(), FALSE);
}

StandInSession::~StandInSession() {
  Close();
}

bool StandInSession::Start(const std::vector<std::string>& switches) {
  const std::size_t linesBefore = Lines().size();
  std::string commandLine = "\"" + executable_ + "\" \"--state=" + statePath_ + "\"";
  for (const std::string& each : switches) commandLine += " " + each;
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  if (!CreateProcessA(executable_.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder().c_str(), &startup, &process_))
    return false;
  // The start line is written once the window is fully set up and shown; a
  // tool started again adds its own to those of its earlier run.
  if (!WaitForLines(linesBefore + 1)) return false;
  window_ = ThreadWindowOfClass(process_.dwThreadId, "QlmStandInMain");
  return window_ != nullptr;
}

void StandInSession::Close() {
  if (!process_.hProcess) return;
  if (window_) PostMessageA(window_, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process_.hProcess, 20000) != WAIT_OBJECT_0) TerminateProcess(process_.hProcess, 1);
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
  process_ = {};
  window_ = nullptr;
}

void StandInSession::Kill() {
  if (!process_.hProcess) return;
  TerminateProcess(process_.hProcess, 1);
  window_ = nullptr;
  Close();
}

std::vector<StateLine> StandInSession::Lines() const {
  std::vector<StateLine> lines;
  std::string bytes = ReadBytes(statePath_);
  if (bytes == "<missing>") return lines;
  // A line still being written is not yet a line.
  bytes.erase(bytes.find_last_of('\n') == std::string::npos ? 0 : bytes.find_last_of('\n') + 1);
  std::istringstream text(bytes);
  std::string line;
  while (std::getline(text, line)) {
    StateLine fields;
    std::istringstream pairs(line);
    std::string pair;
    while (std::getline(pairs, pair, '\t')) {
      const std::size_t equals = pair.find('=');
      if (equals != std::string::npos) fields[pair.substr(0, equals)] = pair.substr(equals + 1);
    }
    lines.push_back(fields);
  }
  return lines;
}

bool StandInSession::WaitForLines(std::size_t count) const {
  const auto deadline = Clock::now() + kPatience;
  while (Lines().size() < count) {
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

StateLine StandInSession::Last() const {
  const auto lines = Lines();
  return lines.empty() ? StateLine{} : lines.back();
}

}  // namespace qlm::test
