// Working copies on the Windows file system: a settings file that another
// program holds open, and what the file keeps when it is replaced.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/portable/scripted_host.h"
#include "settings/profile.h"
#include "test_support.h"

namespace qlm {
namespace {

class WorkingCopyTest : public ::testing::Test {
 protected:
  test::ScratchFolder folder;
  platform::ScriptedHost host{folder / "QLM.exe"};
  std::string file = folder / "Appcfg.ini";
};

TEST_F(WorkingCopyTest, AFileHeldOpenByAnotherProgramIsWrittenInPlace) {
  test::WriteBytes(file, "[FONT]\r\nFF0=old\r\n");
  // Shares reading and writing, as a program that keeps its file open may,
  // but not deletion, so the file cannot be replaced.
  const HANDLE held = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  {
    ProfileFile action(host, file, ProfileFile::Writes::kTogether);
    action.WriteString("FONT", "FF0", "new");
    action.WriteString("FONT", "FF1", "new");
    action.Commit();
  }
  CloseHandle(held);
  const ProfileFile written(host, file);
  EXPECT_EQ(written.ReadString("FONT", "FF0", ""), "new");
  EXPECT_EQ(written.ReadString("FONT", "FF1", ""), "new");
  EXPECT_EQ(test::FileNames(folder.path()), std::vector<std::string>{"Appcfg.ini"});
}

TEST_F(WorkingCopyTest, AReplacedFileKeepsItsAttributes) {
  test::WriteBytes(file, "[FONT]\r\nFF0=old\r\n");
  ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
  ProfileFile(host, file).WriteString("FONT", "FF0", "new");
  EXPECT_TRUE(GetFileAttributesA(file.c_str()) & FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(ProfileFile(host, file).ReadString("FONT", "FF0", ""), "new");
}

}  // namespace
}  // namespace qlm
