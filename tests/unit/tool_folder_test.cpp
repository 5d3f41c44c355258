// Settling the tool folder at start and on demand, and recognising the tool.
#include <gtest/gtest.h>

#include <optional>
#include <utility>
#include <vector>

#include "platform/paths.h"
#include "settings/own_settings.h"
#include "settings/profile.h"
#include "settings/start_context.h"
#include "settings/tool_folder.h"
#include "scratch_program.h"

namespace qlm {
namespace {

using test::Sjis;
using test::WriteBytes;

class ToolFolderTest : public test::ScratchProgramTest {
 protected:
  // A tool installation at folder/name holding the given files; returns its
  // folder with a trailing backslash.
  std::string MakeTool(const std::string& name, std::initializer_list<const char*> files) {
    const std::string tool = folder / name + "\\";
    for (const char* file : files) WriteBytes(tool + file, std::string("[INFO]\r\nTitle=T ") + name + "\r\n");
    return tool;
  }
  std::string StoredToolPath() {
    return ProfileFile(host, OwnSettingsPath(host)).ReadString("CONFIG", "TTPath", "<none>");
  }
  void StoreToolPath(const std::string& value) {
    ProfileFile(host, OwnSettingsPath(host)).WriteString("CONFIG", "TTPath", value);
  }
  std::optional<std::string> Locate(LocateMode mode) {
    ProfileFile settings(host, OwnSettingsPath(host));
    return LocateToolFolder(host, settings, mode);
  }

  const std::string aborting = Sjis("中止します。");
  const std::string notInstalled = Sjis("トレーディングツールがインストールされてません。");
};

TEST_F(ToolFolderTest, AValidStoredFolderIsTakenAtStartWithoutAsking) {
  const std::string tool = MakeTool("Tool", {"System\\Appcfg.ini", "System\\Sys.ini", "Takumi.exe"});
  StoreToolPath(tool);
  EXPECT_EQ(Locate(LocateMode::kInitial), tool);
  EXPECT_TRUE(host.fileDialogs().empty());
  EXPECT_TRUE(host.notices().empty());
  EXPECT_EQ(StoredToolPath(), tool);
}

TEST_F(ToolFolderTest, TheStoredFolderTakenAsItIsLeavesTheFileUntouched) {
  // Read as the same folder, written it would come out as "TTPath=<tool>".
  const std::string tool = MakeTool("Tool", {"System\\Appcfg.ini", "System\\Sys.ini", "Takumi.exe"});
  const std::string own = "[CONFIG]\r\nTTPath = \"" + tool + "\"\r\n\r\nPosTop=5\r\n";
  WriteBytes(OwnSettingsPath(host), own);
  EXPECT_TRUE(Locate(LocateMode::kInitial));
  EXPECT_EQ(test::ReadBytes(OwnSettingsPath(host)), own);
}

TEST_F(ToolFolderTest, AnIncompleteOrEmptyStoredFolderAsksForTheExecutable) {
  const std::string broken = MakeTool("Broken", {"System\\Appcfg.ini"});
  const std::string tool = MakeTool("Tool", {"System\\Appcfg.ini", "System\\Sys.ini", "TradePro.exe"});
  StoreToolPath(broken);
  host.AnswerFileDialog(tool + "TradePro.exe");
  EXPECT_TRUE(Locate(LocateMode::kInitial));
  EXPECT_EQ(StoredToolPath(), tool);

  StoreToolPath("");
  host.AnswerFileDialog(std::nullopt);
  EXPECT_FALSE(Locate(LocateMode::kInitial));
  EXPECT_EQ(host.fileDialogs().size(), 2u);
  EXPECT_EQ(host.notices(), std::vector<std::string>{aborting});
}

TEST_F(ToolFolderTest, AnEmptyStoredFolderAsksEvenFromInsideAToolsFolder) {
  // Started from a shortcut whose start folder is the tool's: the relative
  // System\ files exist there, but an empty folder is no folder.
  const std::string tool = MakeTool("Tool", {"System\\Appcfg.ini", "System\\Sys.ini", "Takumi.exe"});
  const test::CurrentFolder inside(tool);
  EXPECT_FALSE(IsValidToolFolder(""));
  EXPECT_EQ(DetectToolKind(""), ToolKind::kNone);
  host.AnswerFileDialog(tool + "Takumi.exe");
  EXPECT_TRUE(Locate(LocateMode::kInitial));
  EXPECT_EQ(host.fileDialogs().size(), 1u);
  EXPECT_EQ(StoredToolPath(), tool);
}

TEST_F(ToolFolderTest, TheDialogAsksForAnExecutableFromProgramFiles) {
  host.AnswerFileDialog(std::nullopt);
  Locate(LocateMode::kInitial);
  ASSERT_EQ(host.fileDialogs().size(), 1u);
  const platform::FileDialogRequest& request = host.fileDialogs()[0];
  EXPECT_EQ(request.title, Sjis("トレーディングツール実行ファイル(.EXE)を選択してください。"));
  EXPECT_EQ(request.initialFolder, "C:\\Program Files");
  using Filter = std::pair<std::string, std::string>;
  const std::vector<Filter> filters{{Sjis("トレーディングツール実行ファイル(.EXE)"), "*.EXE"}};
  EXPECT_EQ(request.filters, filters);
  EXPECT_TRUE(request.hideReadOnly);
  EXPECT_TRUE(request.resizable);
}

TEST_F(ToolFolderTest, TheDialogStartsBesideTheKnownToolFolder) {
  // Switching tools, or a stored folder gone stale, opens the dialog in the
  // nearest existing parent of the known folder; with none known it opens
  // in Program Files.
  const std::string tool = MakeTool("x86\\Tool", {"System\\Appcfg.ini", "System\\Sys.ini", "Takumi.exe"});
  struct Case {
    const char* what;
    std::string stored;
    LocateMode mode;
    std::string initial;
  } cases[] = {
      {"first start", "", LocateMode::kInitial, "C:\\Program Files"},
      {"switching tools", tool, LocateMode::kForced, folder / "x86"},
      {"tool folder gone", folder / "x86\\Moved\\", LocateMode::kInitial, folder / "x86"},
      {"its parents gone too", folder / "gone\\deeper\\Tool\\", LocateMode::kInitial, folder.path()},
      {"no folder in the value", "Tool", LocateMode::kInitial, "C:\\Program Files"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    StoreToolPath(c.stored);
    host.AnswerFileDialog(std::nullopt);
    Locate(c.mode);
    ASSERT_FALSE(host.fileDialogs().empty());
    EXPECT_EQ(host.fileDialogs().back().initialFolder, c.initial);
  }
}

TEST_F(ToolFolderTest, ForcedModeAsksEvenForAValidFolderAndCancelAborts) {
  const std::string tool = MakeTool("Tool", {"System\\Appcfg.ini", "System\\Sys.ini", "Takumi.exe"});
  const std::string other = MakeTool("Other", {"System\\Appcfg.ini", "System\\Sys.ini", "HighSpeed.exe"});
  StoreToolPath(tool);
  host.AnswerFileDialog(std::nullopt);
  EXPECT_FALSE(Locate(LocateMode::kForced));
  EXPECT_EQ(host.notices(), std::vector<std::string>{aborting});
  EXPECT_EQ(StoredToolPath(), tool);

  host.AnswerFileDialog(other + "anything.exe");  // any file of a complete folder
  EXPECT_TRUE(Locate(LocateMode::kForced));
  EXPECT_EQ(StoredToolPath(), other);
}

TEST_F(ToolFolderTest, AFolderWithoutTheSystemFilesIsRefusedAndNothingIsWritten) {
  const std::string partial = MakeTool("Partial", {"System\\Sys.ini", "TradePro.exe"});
  host.AnswerFileDialog(partial + "TradePro.exe");
  EXPECT_FALSE(Locate(LocateMode::kInitial));
  EXPECT_EQ(host.notices(), std::vector<std::string>{notInstalled});
  EXPECT_EQ(test::ReadBytes(OwnSettingsPath(host)), "<missing>");

  const std::string tool = MakeTool("Tool", {"System\\Appcfg.ini", "System\\Sys.ini"});
  StoreToolPath(tool);
  host.AnswerFileDialog(partial + "TradePro.exe");
  EXPECT_FALSE(Locate(LocateMode::kForced));
  EXPECT_EQ(StoredToolPath(), tool);
}

TEST_F(ToolFolderTest, TheChosenFilesFolderKeepsDoubleByteNamesAndDriveRoots) {
  EXPECT_EQ(FolderOfChosenFile("C:\\TradePro.exe"), "C:\\\\");
  EXPECT_EQ(FolderOfChosenFile("C:\\Tools\\TradePro.exe"), "C:\\Tools\\");
  EXPECT_EQ(FolderOfChosenFile("C:\\\x95\x5C\\TradePro.exe"), "C:\\\x95\x5C\\");
  EXPECT_EQ(FolderOfChosenFile("C:\\\x83\x5C\x95\x5C"), "C:\\\\");
  EXPECT_EQ(FolderOfChosenFile("TradePro.exe"), "");
  // Where the file name starts, for the same paths.
  const std::pair<const char*, std::size_t> starts[] = {
      {"C:\\TradePro.exe", 3}, {"C:\\\x95\x5C\\TradePro.exe", 6}, {"C:\\\x83\x5C\x95\x5C", 3}, {"TradePro.exe", 0}};
  for (const auto& [path, start] : starts) EXPECT_EQ(FileNameStart(path), start) << path;

  // A real folder whose name ends in the second byte 0x5C.
  const std::string name = Sjis("表");
  const std::string tool = MakeTool(name, {"System\\Appcfg.ini", "System\\Sys.ini", "TradePro.exe"});
  host.AnswerFileDialog(tool + "TradePro.exe");
  EXPECT_TRUE(Locate(LocateMode::kInitial));
  EXPECT_EQ(StoredToolPath(), tool);
  EXPECT_EQ(ReadToolTitle(host, tool), "T " + name);
}

TEST_F(ToolFolderTest, TheFirstExecutablePresentDecidesTheKind) {
  EXPECT_EQ(DetectToolKind(MakeTool("A", {"Takumi.exe", "TradePro.exe"})), ToolKind::kTradePro);
  EXPECT_EQ(DetectToolKind(MakeTool("B", {"HighSpeed.exe"})), ToolKind::kOther);
  EXPECT_EQ(DetectToolKind(MakeTool("C", {"JoinvestExpress.exe"})), ToolKind::kOther);
  EXPECT_EQ(DetectToolKind(MakeTool("D", {"tradepro.EXE"})), ToolKind::kTradePro);
  EXPECT_EQ(DetectToolKind(MakeTool("E", {"Other.exe", "System\\Sys.ini"})), ToolKind::kNone);
  const std::string folderNamedLikeTool = MakeTool("F", {"System\\Sys.ini"});
  test::MakeFolder(folderNamedLikeTool + "TradePro.exe");
  EXPECT_EQ(DetectToolKind(folderNamedLikeTool), ToolKind::kNone);
}

// Start settles the tool once and hands it to the first load, when that
// load is of the same folder; any other load looks at its folder again.
TEST_F(ToolFolderTest, OnlyTheFirstLoadOfTheSettledFolderTakesTheToolStartSettled) {
  const std::string settled = MakeTool("A", {"Takumi.exe"});
  const std::string other = MakeTool("B", {"TradePro.exe"});
  const std::pair<std::vector<std::string>, std::vector<std::string>> cases[] = {
      {{settled}, {"(start)"}},
      {{settled, settled}, {"(start)", "Takumi.exe"}},
      {{other, settled}, {"TradePro.exe", "Takumi.exe"}},
      {{""}, {""}}};
  for (const auto& [loads, expected] : cases) {
    StartContext start = StartContextOf(folder / "QLM.INI");
    EXPECT_EQ(start.historyPath, folder / "QLM-History.ini");
    SettleToolIn(start, settled);
    EXPECT_EQ(start.tool.executable, "Takumi.exe");
    start.tool.executable = "(start)";  // told apart from a later look
    std::vector<std::string> found;
    for (const std::string& load : loads) found.push_back(TakeSettledTool(start, load).executable);
    EXPECT_EQ(found, expected) << loads.front();
  }
}

// Every executable the program knows names its kind in any case; nothing
// else names one.
TEST_F(ToolFolderTest, EachExecutableNamesItsKindInAnyCase) {
  const std::pair<const char*, ToolKind> cases[] = {
      {"TRADEPRO.EXE", ToolKind::kTradePro}, {"highspeed.exe", ToolKind::kOther},
      {"TAKUMI.EXE", ToolKind::kOther},      {"joinvestexpress.EXE", ToolKind::kOther},
      {"", ToolKind::kNone},                 {"TradePro", ToolKind::kNone},
      {"XTradePro.exe", ToolKind::kNone},    {"TradePro.exe ", ToolKind::kNone}};
  for (const auto& [executable, kind] : cases) EXPECT_EQ(KindOfExecutable(executable), kind) << executable;
}

TEST_F(ToolFolderTest, TheTitleComesFromSysIni) {
  EXPECT_EQ(ReadToolTitle(host, MakeTool("Tool", {"System\\Sys.ini"})), "T Tool");
  EXPECT_EQ(ReadToolTitle(host, MakeTool("NoInfo", {"System\\Appcfg.ini"})), "");
}

}  // namespace
}  // namespace qlm
