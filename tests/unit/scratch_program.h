// scratch_program.h: the fixtures the settings tests start from: a scratch
// folder holding the program (QLM.exe, run by a scripted host) and its own
// settings file, and the same folder as a tool installation.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "settings/tool_config.h"
#include "support/scripted_host.h"
#include "test_support.h"

namespace qlm::test {

class ScratchProgramTest : public ::testing::Test {
 protected:
  ScratchFolder folder;
  platform::ScriptedHost host{folder / "QLM.exe"};
  // The program's own settings file, beside it.
  std::string file = folder / "QLM.INI";
};

// The folder is also the tool's (its System folder made); config reads and
// writes the tool's settings there.
class ScratchToolTest : public ScratchProgramTest {
 protected:
  ScratchToolTest() { MakeFolder(folder / "System"); }
  std::string tool = folder.path() + "\\";
  ToolConfig config{host, tool};
};

}  // namespace qlm::test
