// The files a legacy tool really reads, and the writes the system refuses,
// through the windows only. scripts/test runs this program as an ordinary
// user (scripts/wine-run-user): in a Wine prefix of that user's own, with
// user account control on, where only root may write Program Files and
// Program Files (x86), as for a standard user on Windows. Run otherwise
// (ctest by hand), the journeys that need a refused write skip and the rest
// run as the caller. (Which tools are virtualized, and how the copies are
// read and written, is tested natively in tool_files_test.) And QLM.exe
// started from inside a zip.
#include <memory>

#include "image_builder.h"
#include "qlm_driver.h"
#include "standin_session.h"
namespace qlm::e2e {
namespace {

using namespace ui;

constexpr char kPolicyKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\System";

// Sets the machine's EnableLUA to 1 while it lives and puts back what was
// there (a new Wine prefix has 0, where Windows has 1).
class UserAccountControlOn {
 public:
  UserAccountControlOn() {
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kPolicyKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_WOW64_64KEY,
                        nullptr, &key_, nullptr) != ERROR_SUCCESS)
      return;
    DWORD size = sizeof previous_;
    had_ = RegQueryValueExA(key_, "EnableLUA", nullptr, nullptr, reinterpret_cast<BYTE*>(&previous_), &size) ==
           ERROR_SUCCESS;
    const DWORD on = 1;
    set_ = RegSetValueExA(key_, "EnableLUA", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&on), sizeof on) ==
           ERROR_SUCCESS;
  }
  ~UserAccountControlOn() {
    if (!key_) return;
    if (had_)
      RegSetValueExA(key_, "EnableLUA", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&previous_), sizeof previous_);
    else
      RegDeleteValueA(key_, "EnableLUA");
    RegCloseKey(key_);
  }
  UserAccountControlOn(const UserAccountControlOn&) = delete;
  UserAccountControlOn& operator=(const UserAccountControlOn&) = delete;
  bool set() const { return set_; }

 private:
  HKEY key_ = nullptr;
  DWORD previous_ = 0;
  bool had_ = false;
  bool set_ = false;
};

const std::string kOriginal =
    "[GLOBAL]\r\nIsMDI=1\r\nCOLOR=Color\\Night.CLR\r\n[TOOLBAR]\r\nDOCKING=1\r\n[TRBAR]\r\nDOCKING=1\r\n"
    "[TICKERBAR]\r\nDOCKING=1\r\n";
const std::string kCopy =
    "[GLOBAL]\r\nIsMDI=0\r\nCOLOR=Color\\Store.CLR\r\n[TOOLBAR]\r\nDOCKING=1\r\n[TRBAR]\r\nDOCKING=0\r\n"
    "[TICKERBAR]\r\nDOCKING=1\r\n";

// Run as the ordinary user, whose writes to what an administrator installed
// the system refuses.
bool AsOrdinaryUser() { return !Environment("QLM_ORDINARY_USER").empty(); }
// The run before, which only lays out what an administrator installs, in
// the folder QLM_LAYOUT names (the script then moves it into place as root).
bool LayingOut() { return !Environment("QLM_LAYOUT").empty(); }
// Where a file of drive C that only an administrator may write is put now.
std::string LaidOut(const std::string& path) { return LayingOut() ? Environment("QLM_LAYOUT") + path.substr(2) : path; }
std::string TestName() { return ::testing::UnitTest::GetInstance()->current_test_info()->name(); }

// A tool an administrator installed in a folder under root (C:\Program
// Files (x86)\, say), named after the test, so that both runs of it find the
// same; its twin in the user's virtual store, empty until PutCopies() lays
// out a copy of Appcfg.ini and a colour file only there. The store is
// removed at the end, and so is the tool unless the script removes it.
class InstalledTool {
 public:
  InstalledTool(const std::string& root, const std::string& executable)
      : folder_(root + "Qlm" + TestName() + "\\"),
        store_(Environment("LOCALAPPDATA") + "\\VirtualStore\\" + folder_.substr(3)) {
    const std::string at = LaidOut(folder_);
    test::WriteBytes(at + "Takumi.exe", executable);
    test::WriteBytes(at + "System\\Appcfg.ini", kOriginal);
    test::WriteBytes(at + "System\\Sys.ini", "[INFO]\r\nTitle=" + Title() + "\r\n");
    for (const char* colour : {"Default.CLR", "Night.CLR", "Paper.CLR"}) test::WriteBytes(at + "Color\\" + colour, "");
    test::RemoveFile(store_);
  }
  ~InstalledTool() {
    test::RemoveFile(store_);
    if (!AsOrdinaryUser()) test::RemoveFile(folder_);
  }
  InstalledTool(const InstalledTool&) = delete;
  InstalledTool& operator=(const InstalledTool&) = delete;

  void PutCopies() const {
    test::WriteBytes(CopyPath(), kCopy);
    test::WriteBytes(store_ + "Color\\Store.CLR", "");
  }
  std::string Title() const { return S("旧ツール ") + TestName(); }
  const std::string& folder() const { return folder_; }
  std::string ConfigPath() const { return folder_ + "System\\Appcfg.ini"; }
  std::string Original() const { return test::ReadBytes(ConfigPath()); }
  std::string CopyPath() const { return store_ + "System\\Appcfg.ini"; }

 private:
  std::string folder_, store_;
};

// A folder the system names in an environment variable, with a backslash.
std::string KnownFolder(const char* variable) { return Environment(variable) + "\\"; }

class VirtualStoreTest : public DesktopTest {
 protected:
  void SetUp() override {
    DesktopTest::SetUp();
    if (IsSkipped()) return;
    ASSERT_FALSE(Environment("LOCALAPPDATA").empty());
    ASSERT_TRUE(uac_.set());
  }
  // The list of the tool's windows and files, written by the switch.
  static std::string FileList(const std::string& toolFolder) {
    Quillmate list(Quillmate::OwnIniFor(toolFolder));
    if (!list.Start("/list-tool-windows") || !list.WaitForExit()) return "<not listed>";
    std::string path = list.OwnIniPath();
    return test::ReadBytes(path.replace(path.size() - 7, 7, "QLM-ToolWindows.txt"));
  }

  UserAccountControlOn uac_;
};

// One test of the copies laid out by hand, so that no other test switches
// the policy back while it runs (the ordinary user's prefix has it on for
// good). The copy says SDI, no tab bar and Store.CLR (a colour file only
// the store has); the original MDI, a tab bar and Night.CLR.
TEST_F(VirtualStoreTest, AVirtualizedToolIsEditedInItsCopies) {
  InstalledTool tool(KnownFolder("ProgramFiles(x86)"), test::Image(test::kMachineI386));
  if (LayingOut()) return;
  tool.PutCopies();
  Quillmate qlm(Quillmate::OwnIniFor(tool.folder()));
  ASSERT_TRUE(qlm.Start());
  ASSERT_TRUE(qlm.WaitForMainWindow()) << qlm.Boxes();
  EXPECT_TRUE(qlm.Checked(kWindowStyleSdi));
  EXPECT_FALSE(qlm.Checked(kTabBar));
  EXPECT_EQ(qlm.SelectedText(kColourFiles), "Store.CLR");

  qlm.Click(kTabBar);
  qlm.ClickAsync(kOk);
  ASSERT_TRUE(qlm.WaitForExit()) << qlm.Boxes();
  EXPECT_EQ(ReadIni(tool.CopyPath())["TRBAR"]["DOCKING"], "1");
  EXPECT_EQ(ReadIni(tool.CopyPath())["GLOBAL"]["COLOR"], "Color\\Store.CLR");
  EXPECT_EQ(tool.Original(), kOriginal);

  const std::string list = FileList(tool.folder());
  for (const std::string& line : {S("ファイルの仮想化: あり(仮想ストアにコピーがあるファイルは、そちらを使います)"),
                                  S("ツールの設定ファイル: ") + tool.CopyPath(),
                                  S("ツールの情報ファイル: ") + tool.folder() + "System\\Sys.ini"})
    EXPECT_NE(list.find(line + "\r\n"), std::string::npos) << line << "\n" << list;
}

// The journeys of a standard user, whose writes under the folders an
// administrator installed into the system refuses.
class RefusedWriteTest : public DesktopTest {
 protected:
  void SetUp() override {
    DesktopTest::SetUp();
    if (!IsSkipped() && !AsOrdinaryUser()) GTEST_SKIP() << "needs the ordinary user of scripts/test";
  }
};

// QLM.exe under Program Files with a QLM.INI beside it, on a legacy tool
// without copies: the first OK makes the store's copy from the original
// and writes there, and Quillmate's own settings are made and kept in the
// user's own QLM.INI, a copy of the one beside the program.
TEST_F(RefusedWriteTest, TheFirstOkMakesTheStoreCopyAndOwnSettingsMoveToTheUsersFolder) {
  InstalledTool tool(KnownFolder("ProgramFiles(x86)"), test::Image(test::kMachineI386));
  const std::string program = KnownFolder("ProgramFiles") + "Qlm" + TestName() + "\\";
  const std::string besideIni = Quillmate::OwnIniFor(tool.folder(), "ShowHint=0\r\n");
  test::WriteBytes(LaidOut(program + "QLM.exe"), test::ReadBytes(test::BuiltProgram(QLM_EXE)));
  test::WriteBytes(LaidOut(program + "QLM.INI"), besideIni);
  if (LayingOut()) return;
  const std::string usersIni = Environment("APPDATA") + "\\Quillmate\\QLM.INI";
  test::RemoveFile(usersIni);
  Quillmate qlm("");
  ASSERT_TRUE(qlm.StartAt(program + "QLM.exe", program));
  ASSERT_TRUE(qlm.WaitForMainWindow()) << qlm.Boxes();
  EXPECT_TRUE(qlm.Checked(kTabBar));
  qlm.Click(kTabBar);
  qlm.ClickAsync(kOk);
  ASSERT_TRUE(qlm.WaitForExit()) << qlm.Boxes();

  IniFile copy = ReadIni(tool.CopyPath());
  EXPECT_EQ(copy["TRBAR"]["DOCKING"], "0");
  EXPECT_EQ(copy["GLOBAL"]["COLOR"], "Color\\Night.CLR") << "the copy starts as the original";
  EXPECT_EQ(tool.Original(), kOriginal);
  EXPECT_EQ(test::ReadBytes(program + "QLM.INI"), besideIni);
  IniFile own = ReadIni(usersIni);
  EXPECT_EQ(own["CONFIG"]["TTPath"], tool.folder());
  EXPECT_EQ(own["CONFIG"]["ShowHint"], "0");
  EXPECT_NE(own["CONFIG"]["PosTop"], "") << test::ReadBytes(usersIni);
  test::RemoveFile(usersIni);
}

// Real-time mode on the same kind of tool: each click writes the store's
// copy, never the original.
TEST_F(RefusedWriteTest, EachRealtimeClickWritesTheStoreCopy) {
  InstalledTool tool(KnownFolder("ProgramFiles(x86)"), test::Image(test::kMachineI386));
  if (LayingOut()) return;
  test::StandInSession standIn("Takumi.exe", tool.Title(), kOriginal);
  ASSERT_TRUE(standIn.Start());
  Quillmate qlm(Quillmate::OwnIniFor(tool.folder()));
  ASSERT_TRUE(qlm.Start());
  ASSERT_TRUE(qlm.WaitForMainWindow()) << qlm.Boxes();
  ASSERT_TRUE(qlm.EnterRealtime()) << qlm.Boxes();
  for (const auto& [id, section] : {std::pair{kTabBar, "TRBAR"}, {kToolBar, "TOOLBAR"}}) {
    qlm.Click(id);
    EXPECT_EQ(ReadIni(tool.CopyPath())[section]["DOCKING"], "0") << section;
    EXPECT_EQ(tool.Original(), kOriginal);
  }
}

// A 64-bit tool (never virtualized) where the user may not write: OK names
// the whole path, and the file, the choices and the folder stay as they
// were. Under Program Files no file can be made beside the tool's; under
// ProgramData one can (users may add files there, but not change an
// administrator's), so the working copy is made and its rename refused,
// which must end at once rather than be tried again as a busy file.
TEST_F(RefusedWriteTest, OkOnAToolTheUserMayNotWriteNamesItAndKeepsEverything) {
  std::vector<std::unique_ptr<InstalledTool>> tools;
  for (const char* root : {"ProgramFiles", "ProgramData"})
    tools.push_back(std::make_unique<InstalledTool>(KnownFolder(root), test::Image(test::kMachineAmd64)));
  if (LayingOut()) return;
  for (const auto& tool : tools) {
    SCOPED_TRACE(tool->folder());
    Quillmate qlm(Quillmate::OwnIniFor(tool->folder()));
    ASSERT_TRUE(qlm.Start());
    ASSERT_TRUE(qlm.WaitForMainWindow()) << qlm.Boxes();
    qlm.Click(kTabBar);
    qlm.ClickAsync(kOk);
    const HWND box = qlm.WaitForBox("Qlm");
    ASSERT_TRUE(box) << qlm.Boxes();
    EXPECT_EQ(MessageBoxText(box), tool->ConfigPath() + S(" に書き込めません."));
    ASSERT_TRUE(Press(box, IDOK));
    ASSERT_TRUE(qlm.WaitForBoxGone("Qlm"));
    EXPECT_TRUE(IsWindowVisible(qlm.MainWindow()));
    EXPECT_FALSE(qlm.Checked(kTabBar));
    EXPECT_EQ(tool->Original(), kOriginal);
    EXPECT_EQ(test::FileNames(tool->folder() + "System"), (std::vector<std::string>{"Appcfg.ini", "Sys.ini"}));
  }
}

// Started from a folder named like a zip file (where the system runs a
// program from inside a zip): one message, and nothing written.
using ZipTest = DesktopTest;

TEST_F(ZipTest, StartedFromInsideAZipItSaysSoAndWritesNothing) {
  if (LayingOut()) return;
  test::ScratchFolder folder;
  const std::string inside = folder / "Temp1_Quillmate-win64.zip\\Quillmate\\";
  test::MakeFolder(inside);
  ASSERT_TRUE(CopyFileA(test::BuiltProgram(QLM_EXE).c_str(), (inside + "QLM.exe").c_str(), FALSE));
  Quillmate qlm("");
  ASSERT_TRUE(qlm.StartAt(inside + "QLM.exe", inside));
  const HWND box = qlm.WaitForBox("QLM");
  ASSERT_TRUE(box) << qlm.Boxes();
  EXPECT_EQ(MessageBoxText(box).rfind(S("QLM.exe が zip ファイルの中から起動されました。"), 0), 0u) << MessageBoxText(box);
  Press(box, IDOK);
  EXPECT_TRUE(qlm.WaitForExit());
  qlm.Kill();
  EXPECT_EQ(test::FileNames(inside), std::vector<std::string>{"QLM.exe"});
}

}  // namespace
}  // namespace qlm::e2e
