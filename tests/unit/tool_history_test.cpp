// The edited keys' states and their history beside QLM.INI.
#include <gtest/gtest.h>

#include <functional>

#include "support/scripted_host.h"
#include "settings/profile.h"
#include "settings/tool_config.h"
#include "settings/tool_history.h"
#include "test_support.h"

namespace qlm {
namespace {

class ToolHistoryTest : public ::testing::Test {
 protected:
  ToolHistoryTest() { test::MakeFolder(folder / "Tool\\System"); }
  std::string Tool() const { return folder / "Tool\\"; }
  // A state of folder whose FF0 names its number.
  ToolState State(const std::string& toolFolder, int number) const {
    ToolState state;
    state.time = "2026/12/07 10:00:" + std::string(number < 10 ? "0" : "") + std::to_string(number);
    state.folder = toolFolder;
    state.kind = ToolKind::kOther;
    state.values[0] = "1";
    state.values[5] = "-12,0,0,0,400,0,0,0,128,3,2,1,50,Face" + std::to_string(number);
    return state;
  }
  std::vector<std::string> Times(const std::string& toolFolder) {
    std::vector<std::string> times;
    for (const RecordedState& recorded : ReadHistory(host, path, toolFolder))
      times.push_back(recorded.state.time + (recorded.readable ? "" : " unreadable"));
    return times;
  }

  test::ScratchFolder folder;
  platform::ScriptedHost host{folder / "QLM.exe"};
  std::string path = folder / "QLM-History.ini";
};

TEST_F(ToolHistoryTest, AStateTellsPresentEmptyAndAbsentKeysApartAndPutsThemBackAlone) {
  const std::string file = Tool() + "System\\Appcfg.ini";
  const std::string original =
      "[GLOBAL]\r\nIsMDI=01\r\nCOLOR=\r\nOther=x\r\n[TRBAR]\r\nDOCKING=1\r\n[FONT]\r\nFF0=a,b\r\n";
  test::WriteBytes(file, original);
  const ToolConfig config(host, Tool());
  const ToolState state = CaptureToolState(config, ToolKind::kOther, "T");
  EXPECT_EQ(state.values[0], std::optional<std::string>("01"));
  EXPECT_EQ(state.values[1], std::optional<std::string>("")) << "present with an empty value";
  EXPECT_EQ(state.values[2], std::nullopt) << "[TOOLBAR] is absent";
  EXPECT_EQ(state.values[3], std::optional<std::string>("1"));
  EXPECT_EQ(state.values[6], std::nullopt);

  // Changed meanwhile by Quillmate and by the tool.
  test::WriteBytes(file,
                   "[GLOBAL]\r\nIsMDI=0\r\nOther=y\r\n[TRBAR]\r\nDOCKING=0\r\n[FONT]\r\nFF0=c\r\nFF1=d\r\n"
                   "[TOOLBAR]\r\nDOCKING=1\r\n");
  const ToolConfig edit = config.Edit();
  PutToolState(edit, state);
  edit.Commit();
  EXPECT_EQ(test::ReadBytes(file),
            "[GLOBAL]\r\nIsMDI=01\r\nOther=y\r\nCOLOR=\r\n[TRBAR]\r\nDOCKING=1\r\n[FONT]\r\nFF0=a,b\r\n")
      << "the section that only the removed key made goes with it";
  EXPECT_EQ(CaptureToolState(config, ToolKind::kOther, "T"), state);
}

TEST_F(ToolHistoryTest, KeepsTheNewestTwentyStatesOfEachFolderNewestFirst) {
  const std::string other = folder / "Other\\";
  for (int i = 1; i <= 25; ++i) RecordState(host, path, State(Tool(), i));
  RecordState(host, path, State(other, 1));
  const std::vector<RecordedState> states = ReadHistory(host, path, Tool());
  ASSERT_EQ(states.size(), 20u);
  EXPECT_EQ(states.front().state, State(Tool(), 25));
  EXPECT_EQ(states.back().state, State(Tool(), 6));
  for (const RecordedState& recorded : states) EXPECT_TRUE(recorded.readable);
  EXPECT_EQ(Times(other), std::vector<std::string>{"2026/12/07 10:00:01"});
  EXPECT_TRUE(Times(folder / "None\\").empty());
}

TEST_F(ToolHistoryTest, ADamagedHistoryIsReadAsFarAsItIsSound) {
  RecordState(host, path, State(Tool(), 1));
  RecordState(host, path, State(Tool(), 2));
  const std::string sound = test::ReadBytes(path);
  const auto section = [&](int n) {
    const std::size_t at = sound.find("Time=2026/12/07 10:00:0" + std::to_string(n));
    return sound.substr(sound.rfind('[', at), sound.find(']', sound.rfind('[', at)) - sound.rfind('[', at) + 1);
  };
  const std::string second = section(2);
  struct Case {
    const char* name;
    std::function<void()> damage;
    std::vector<std::string> times;
  } cases[] = {
      {"unknown keys are ignored",
       [&] { ProfileFile(host, path).WriteString(second.substr(1, second.size() - 2), "Note", "hand"); },
       {"2026/12/07 10:00:02", "2026/12/07 10:00:01"}},
      {"a changed value fails its check",
       [&] { ProfileFile(host, path).WriteString(second.substr(1, second.size() - 2), "GLOBAL.IsMDI", "+0"); },
       {"2026/12/07 10:00:01", "2026/12/07 10:00:02 unreadable"}},
      {"a value of 5,000 bytes",
       [&] {
         ProfileFile(host, path).WriteString(second.substr(1, second.size() - 2), "FONT.FF1", "+" + std::string(5000, 'x'));
       },
       {"2026/12/07 10:00:01", "2026/12/07 10:00:02 unreadable"}},
      {"a state of another folder under this folder's name is left out",
       [&] { ProfileFile(host, path).WriteString(second.substr(1, second.size() - 2), "Folder", "C:\\Else\\"); },
       {"2026/12/07 10:00:01"}},
      {"a file cut in the middle of a line",
       [&] { test::WriteBytes(path, sound.substr(0, sound.find("FONT.FF0=+-12,0,0", sound.find(second)) + 12)); },
       {"2026/12/07 10:00:01", "2026/12/07 10:00:02 unreadable"}},
      {"bytes that are no history",
       [&] { test::WriteBytes(path, std::string("\0\xff[\x81", 4) + "\r\n=\r\n[T]\r\n"); },
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::WriteBytes(path, sound);
    c.damage();
    EXPECT_EQ(Times(Tool()), c.times);
    // A new state still lands, in place of an unreadable one first.
    RecordState(host, path, State(Tool(), 3));
    const std::vector<std::string> after = Times(Tool());
    ASSERT_FALSE(after.empty());
    EXPECT_EQ(after.front(), "2026/12/07 10:00:03");
  }
}

TEST_F(ToolHistoryTest, DescribesStyleColourAndFont) {
  ToolState state = State(Tool(), 1);
  state.values[1] = "Blue.clr";
  EXPECT_EQ(DescribeState(state, 96), "MDI / Blue.clr / Face1 9pt");
  EXPECT_EQ(DescribeState(ToolState{}, 96), "- / - / -");
}

}  // namespace
}  // namespace qlm
