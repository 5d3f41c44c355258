// The edited keys' states and their history beside QLM.INI.
#include <gtest/gtest.h>

#include <functional>

#include "settings/profile.h"
#include "settings/tool_config.h"
#include "settings/tool_history.h"
#include "scratch_program.h"

namespace qlm {
namespace {

class ToolHistoryTest : public test::ScratchProgramTest {
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
    for (const RecordedState& recorded : ReadHistory(path, toolFolder))
      times.push_back(recorded.state.time + (recorded.readable ? "" : " unreadable"));
    return times;
  }

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

TEST_F(ToolHistoryTest, KeepsTheFirstAndTheNewestStatesOfEachFolderNewestFirstWithoutRepeats) {
  const std::string other = folder / "Other\\";
  for (int i = 1; i <= 25; ++i) EXPECT_TRUE(RecordState(host, path, State(Tool(), i)));
  EXPECT_FALSE(RecordState(host, path, State(Tool(), 25))) << "the same state as the newest is not kept twice";
  RecordState(host, path, State(other, 1));
  const std::vector<RecordedState> states = ReadHistory(path, Tool());
  ASSERT_EQ(states.size(), 20u);
  EXPECT_EQ(states.front().state, State(Tool(), 25));
  EXPECT_EQ(states[18].state, State(Tool(), 7));
  EXPECT_EQ(states.back().state, State(Tool(), 1)) << "the state the folder was first found in stays";
  for (const RecordedState& recorded : states) EXPECT_TRUE(recorded.readable);
  EXPECT_EQ(Times(other), std::vector<std::string>{"2026/12/07 10:00:01"});
  EXPECT_TRUE(Times(folder / "None\\").empty());
}

TEST_F(ToolHistoryTest, ADamagedHistoryIsReadAsFarAsItIsSound) {
  RecordState(host, path, State(Tool(), 1));
  RecordState(host, path, State(Tool(), 2));
  const std::string sound = test::ReadBytes(path);
  // The second state's section, and a damage that writes a key there.
  const std::size_t secondAt = sound.rfind('[', sound.find("Time=2026/12/07 10:00:02"));
  const std::string second = sound.substr(secondAt + 1, sound.find(']', secondAt) - secondAt - 1);
  const auto write = [&](const char* key, const std::string& value) {
    return [&, key, value] { ProfileFile(host, path).WriteString(second, key, value); };
  };
  struct Case {
    const char* name;
    std::function<void()> damage;
    std::vector<std::string> times;
  } cases[] = {
      {"unknown keys are ignored", write("Note", "hand"), {"2026/12/07 10:00:02", "2026/12/07 10:00:01"}},
      {"a changed value fails its check", write("GLOBAL.IsMDI", "+0"),
       {"2026/12/07 10:00:02 unreadable", "2026/12/07 10:00:01"}},
      {"a value of 5,000 bytes", write("FONT.FF1", "+" + std::string(5000, 'x')),
       {"2026/12/07 10:00:02 unreadable", "2026/12/07 10:00:01"}},
      {"an order number too large to follow", write("Number", "9007199254740993"),
       {"2026/12/07 10:00:01", "2026/12/07 10:00:02 unreadable"}},
      {"a state of another folder under this folder's name is left out", write("Folder", "C:\\Else\\"),
       {"2026/12/07 10:00:01"}},
      {"a file cut in the middle of a line",
       [&] { test::WriteBytes(path, sound.substr(0, sound.find("FONT.FF0=+-12,0,0", secondAt) + 12)); },
       {"2026/12/07 10:00:02 unreadable", "2026/12/07 10:00:01"}},
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

// A state names its keys: one recorded before a key was edited leaves that
// key alone when put back; one recorded before states named their keys
// holds the eleven; a value that a profile read returns whole comes back.
TEST_F(ToolHistoryTest, AStateHoldsTheKeysItNames) {
  ToolState fewer = State(Tool(), 1);
  for (std::size_t i = 6; i < fewer.values.size(); ++i) fewer.unrecorded.set(i);
  ToolState longest = State(Tool(), 2);
  longest.values[6] = std::string(platform::kProfileBufferSize - 2, 'x');
  // Its key list goes below: it then holds the eleven keys of the first
  // states, as one recorded before the list.
  for (std::size_t i = 11; i < longest.values.size(); ++i) longest.unrecorded.set(i);
  RecordState(host, path, fewer);
  RecordState(host, path, longest);
  std::string bytes = test::ReadBytes(path);
  const std::size_t keys = bytes.rfind("Keys=");
  test::WriteBytes(path, bytes.erase(keys, bytes.find('\n', keys) + 1 - keys));
  const std::vector<RecordedState> states = ReadHistory(path, Tool());
  ASSERT_EQ(states.size(), 2u);
  EXPECT_TRUE(states[0].readable && states[1].readable);
  EXPECT_EQ(states[0].state, longest);
  EXPECT_EQ(states[1].state, fewer);

  test::WriteBytes(Tool() + "System\\Appcfg.ini", "[FONT]\r\nFF1=kept\r\n");
  const ToolConfig edit = ToolConfig(host, Tool()).Edit();
  PutToolState(edit, states[1].state);
  edit.Commit();
  EXPECT_EQ(edit.ReadString("FONT", "FF1", ""), "kept");
  EXPECT_EQ(edit.ReadString("FONT", "FF0", ""), *fewer.values[5]);
}

TEST_F(ToolHistoryTest, DescribesStyleBarsColourAndFont) {
  ToolState state = State(Tool(), 1);
  state.values[1] = "Blue.clr";
  state.values[2] = "1";
  state.values[3] = "0";
  state.unrecorded.set(4);
  state.values[5] = "-12,0,0,0,700,0,0,0,128,3,2,1,50,Face1";
  EXPECT_EQ(DescribeState(host, state, 96), test::Sjis("MDI / ツール○ タブ× ティッカー? / Blue.clr / Face1 9pt 太字"));
  EXPECT_EQ(DescribeState(host, ToolState{}, 96), test::Sjis("- / ツール- タブ- ティッカー- / - / -"));
}

}  // namespace
}  // namespace qlm
