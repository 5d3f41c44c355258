// The tool's settings file when other programs have it: a scanner or sync
// client holding it for a moment or for long during OK, a file marked
// read-only, and copies left over beside both places of QLM.INI.
#include "qlm_driver.h"

namespace qlm::e2e {
namespace {

using namespace ui;

class WriteSafetyTest : public DesktopTest {
 protected:
  // Starts Quillmate on the tool, unticks the tool bar and presses OK.
  void StartAndPressOk(Quillmate& qlm) {
    ASSERT_TRUE(qlm.Start());
    ASSERT_TRUE(qlm.WaitForMainWindow()) << qlm.Boxes();
    qlm.Click(kToolBar);
    qlm.ClickAsync(kOk);
  }

  ToolInstallation tool{{"Takumi.exe", UniqueTitle("掴まれたファイル"), kFullAppcfg + "[BOARD]\r\nColumns=12\r\n"}};
};

// Held for a moment without delete sharing (a scanner opening the file):
// OK waits, and the file is still replaced in one step. Held for seconds:
// written in place, no copy left. Both with every other setting kept.
TEST_F(WriteSafetyTest, AFileHeldDuringOkIsWaitedForOrWrittenInPlace) {
  for (const DWORD holdMs : {300u, 4000u}) {
    SCOPED_TRACE(holdMs);
    test::WriteBytes(tool.ConfigPath(), kFullAppcfg + "[BOARD]\r\nColumns=12\r\n");
    const std::uint64_t before = test::FileIdentity(tool.ConfigPath());
    const HANDLE held = CreateFileA(tool.ConfigPath().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    Quillmate qlm(Quillmate::OwnIniFor(tool.folder()));
    StartAndPressOk(qlm);
    Sleep(holdMs);
    CloseHandle(held);
    ASSERT_TRUE(qlm.WaitForExit()) << qlm.Boxes();
    const IniFile written = ReadIni(tool.ConfigPath());
    EXPECT_EQ(written.at("TOOLBAR").at("DOCKING"), "0");
    EXPECT_EQ(written.at("BOARD").at("Columns"), "12");
    EXPECT_EQ(written.at("GLOBAL").at("COLOR"), "Color\\Night.CLR");
    if (holdMs < 630)
      EXPECT_NE(test::FileIdentity(tool.ConfigPath()), before) << "written in place, not replaced";
    else
      EXPECT_EQ(test::FileIdentity(tool.ConfigPath()), before) << "replaced while held";
    EXPECT_EQ(test::FileNames(tool.folder() + "System"), (std::vector<std::string>{"Appcfg.ini", "Sys.ini"}));
  }
}

// Marked read-only: OK shows the write error and the file keeps its bytes
// and its mark, whatever the file system would let a rename do.
TEST_F(WriteSafetyTest, AReadOnlyFileShowsTheWriteErrorAndKeepsItsBytesAndMark) {
  const std::string before = test::ReadBytes(tool.ConfigPath());
  ASSERT_TRUE(SetFileAttributesA(tool.ConfigPath().c_str(), FILE_ATTRIBUTE_READONLY));
  Quillmate qlm(Quillmate::OwnIniFor(tool.folder()));
  StartAndPressOk(qlm);
  EXPECT_EQ(qlm.AcknowledgeBox("Qlm"), tool.ConfigPath() + S(" に書き込めません.")) << qlm.Boxes();
  EXPECT_TRUE(qlm.Running());
  EXPECT_EQ(test::ReadBytes(tool.ConfigPath()), before);
  EXPECT_EQ(GetFileAttributesA(tool.ConfigPath().c_str()) & FILE_ATTRIBUTE_READONLY,
            static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(test::FileNames(tool.folder() + "System"), (std::vector<std::string>{"Appcfg.ini", "Sys.ini"}));
  SetFileAttributesA(tool.ConfigPath().c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Copies left by ended runs beside the QLM.INI that is not in use are
// removed at start as well as those beside the one in use.
TEST_F(WriteSafetyTest, CopiesLeftBesideEitherPlaceOfTheOwnSettingsAreRemoved) {
  const std::string root = Environment("APPDATA");
  ASSERT_FALSE(root.empty());
  const std::string users = root + "\\Quillmate";
  CreateDirectoryA(users.c_str(), nullptr);
  const std::string usersCopy = users + "\\QLM.INI.qlm999999993.tmp";
  test::WriteBytes(usersCopy, "x");
  Quillmate qlm(Quillmate::OwnIniFor(tool.folder()));
  const std::string besideCopy = qlm.OwnIniPath() + ".qlm999999995.tmp";
  test::WriteBytes(besideCopy, "x");
  ASSERT_TRUE(qlm.Start());
  ASSERT_TRUE(qlm.WaitForMainWindow()) << qlm.Boxes();
  EXPECT_EQ(GetFileAttributesA(besideCopy.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetFileAttributesA(usersCopy.c_str()), INVALID_FILE_ATTRIBUTES);
  DeleteFileA(usersCopy.c_str());
}

}  // namespace
}  // namespace qlm::e2e
