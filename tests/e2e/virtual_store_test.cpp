// The files a legacy tool really reads, through the windows only: a 32-bit
// tool under C:\Program Files (x86)\ with copies of its settings and of a
// colour file in the user's virtual store, with the system's user account
// control switched on for the test. (Which tools are virtualized, and how
// the copies are read and written, is tested natively in tool_files_test.)
// And QLM.exe started from inside a zip.
#include "image_builder.h"
#include "qlm_driver.h"

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

// A tool folder under C:\Program Files (x86)\ and its twin in the virtual
// store, with a copy of Appcfg.ini and a colour file only there; both
// removed at the end.
class LegacyTool {
 public:
  explicit LegacyTool(const std::string& executable) {
    const std::string name = "QlmLegacy" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++count_);
    folder_ = "C:\\Program Files (x86)\\" + name + "\\";
    store_ = Environment("LOCALAPPDATA") + "\\VirtualStore\\Program Files (x86)\\" + name + "\\";
    test::WriteBytes(folder_ + "Takumi.exe", executable);
    test::WriteBytes(folder_ + "System\\Appcfg.ini", kOriginal);
    test::WriteBytes(folder_ + "System\\Sys.ini", "[INFO]\r\nTitle=" + UniqueTitle("旧ツール") + "\r\n");
    for (const char* colour : {"Default.CLR", "Night.CLR", "Paper.CLR"}) test::WriteBytes(folder_ + "Color\\" + colour, "");
    test::WriteBytes(store_ + "System\\Appcfg.ini", kCopy);
    test::WriteBytes(store_ + "Color\\Store.CLR", "");
  }
  ~LegacyTool() {
    test::RemoveFile(folder_);
    test::RemoveFile(store_);
  }
  LegacyTool(const LegacyTool&) = delete;
  LegacyTool& operator=(const LegacyTool&) = delete;

  const std::string& folder() const { return folder_; }
  std::string Original() const { return test::ReadBytes(folder_ + "System\\Appcfg.ini"); }
  std::string CopyPath() const { return store_ + "System\\Appcfg.ini"; }

 private:
  static inline int count_ = 0;
  std::string folder_, store_;
};

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

// One test, so that no other test of this program switches the policy back
// while it runs. The copy says SDI, no tab bar and Store.CLR (a colour file
// only the store has); the original MDI, a tab bar and Night.CLR.
TEST_F(VirtualStoreTest, AVirtualizedToolIsEditedInItsCopies) {
  LegacyTool tool(test::Image(test::kMachineI386));
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

// Started from a folder named like a zip file (where the system runs a
// program from inside a zip): one message, and nothing written.
using ZipTest = DesktopTest;

TEST_F(ZipTest, StartedFromInsideAZipItSaysSoAndWritesNothing) {
  test::ScratchFolder folder;
  const std::string inside = folder / "Temp1_Quillmate-win64.zip\\Quillmate\\";
  test::MakeFolder(inside);
  ASSERT_TRUE(CopyFileA(QLM_EXE, (inside + "QLM.exe").c_str(), FALSE));
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
