// QLM.INI: where it is, what a missing or malformed key reads as, and what
// saving writes.
#include <gtest/gtest.h>

#include "platform/profile_store.h"
#include "platform/working_copy_name.h"
#include "scratch_program.h"
#include "settings/own_settings.h"

namespace qlm {
namespace {

using test::ReadBytes;
using test::WriteBytes;

class OwnSettingsTest : public test::ScratchProgramTest {};

TEST_F(OwnSettingsTest, LivesBesideTheExecutable) {
  EXPECT_EQ(OwnSettingsPath(host), file);
  EXPECT_EQ(OwnSettingsPath(platform::ScriptedHost("C:\\QLM.exe")), "C:\\QLM.INI");
  // 0x95 0x5C is one character whose second byte is a backslash.
  EXPECT_EQ(OwnSettingsPath(platform::ScriptedHost("C:\\\x95\x5C\\QLM.exe")), "C:\\\x95\x5C\\QLM.INI");
}

TEST_F(OwnSettingsTest, AnUnwritableProgramFolderMovesThemToTheUsersFolder) {
  const std::string users = folder / "AppData\\Quillmate\\QLM.INI";
  test::MakeFolder(folder / "AppData");
  host.SetUserSettingsRoot(folder / "AppData");
  EXPECT_EQ(OwnSettingsPath(host), file);  // writable: beside the executable

  // Made by an administrator for everyone, and not to be written by users.
  const std::string shipped = "[CONFIG]\r\nShowHint=0\r\nTTPath=C:\\Tools\\\r\n";
  WriteBytes(file, shipped);
  host.MakeUnwritable(file);
  // A copy cut by a run that ended half way is only a working copy: the
  // user's file is made whole, and the cut one removed as any left over.
  test::MakeFolder(folder / "AppData\\Quillmate");
  WriteBytes(platform::WorkingCopyName(users, 4000000), "[CONFIG]\r\nShow");
  EXPECT_EQ(OwnSettingsPath(host), users);
  EXPECT_EQ(ReadBytes(users), shipped);
  platform::RemoveStaleWorkingCopies(OwnSettingsPlaces(host));
  EXPECT_EQ(test::FileNames(folder / "AppData\\Quillmate"), std::vector<std::string>{"QLM.INI"});
  SaveOwnSettings(host, OwnSettingsPath(host), "D:\\T\\", true, 10, 20);
  const OwnSettings expected{"D:\\T\\", 10, 20, true, false};
  EXPECT_EQ(ReadOwnSettings(host), expected);
  EXPECT_EQ(ReadBytes(file), shipped);

  // The user's file is the one read from now on, and is never copied over.
  WriteBytes(file, "[CONFIG]\r\nTTPath=E:\\\r\n");
  EXPECT_EQ(ReadOwnSettings(host), expected);

  // Without a settings root there is nowhere else to go.
  host.SetUserSettingsRoot("");
  EXPECT_EQ(OwnSettingsPath(host), file);
}

TEST_F(OwnSettingsTest, AFolderWhereTheFileShouldBeCannotBeWrittenEither) {
  test::MakeFolder(file);
  host.SetUserSettingsRoot(folder.path());
  EXPECT_EQ(OwnSettingsPath(host), folder / "Quillmate\\QLM.INI");
  EXPECT_EQ(ReadBytes(folder / "Quillmate\\QLM.INI"), "<missing>");  // nothing to copy
  SaveOwnSettings(host, OwnSettingsPath(host), "C:\\T\\", false, 1, 2);
  EXPECT_EQ(ReadOwnSettings(host).toolFolder, "C:\\T\\");
}

// Where the user's copy cannot be made (its folder refused) the file beside
// the executable is read, as before there was a copy; a reader only (the
// window list) never makes the copy, and reads the user's file once there is
// one.
TEST_F(OwnSettingsTest, WithoutAUsersCopyTheFileBesideTheExecutableIsRead) {
  const std::string shipped = "[CONFIG]\r\nTTPath=C:\\Tools\\\r\n";
  WriteBytes(file, shipped);
  host.MakeUnwritable(file);
  const std::string users = folder / "AppData\\Quillmate\\QLM.INI";
  const struct {
    std::string root;
    OwnFileUse use;
    std::string expected;
  } cases[] = {
      {folder / "Missing\\AppData", OwnFileUse::kReadAndWrite, file},  // the folder cannot be made
      {folder / "AppData", OwnFileUse::kReadOnly, file},
      {folder / "AppData", OwnFileUse::kReadAndWrite, users},
      {folder / "AppData", OwnFileUse::kReadOnly, users},  // made by the line before
  };
  test::MakeFolder(folder / "AppData");
  for (const auto& [root, use, expected] : cases) {
    host.SetUserSettingsRoot(root);
    EXPECT_EQ(OwnSettingsPath(host, use), expected) << root;
    EXPECT_EQ(ReadOwnSettings(host, use).toolFolder, "C:\\Tools\\");
    EXPECT_EQ(ReadBytes(users), expected == users ? shipped : "<missing>");
  }
  EXPECT_EQ(OwnFilesFolder(host), folder / "AppData\\Quillmate");
}

TEST_F(OwnSettingsTest, MissingOrMalformedKeysReadAsTheirDefaults) {
  EXPECT_FALSE(ReadRepeatMode(host));
  EXPECT_EQ(ReadOwnSettings(host), OwnSettings{});
  EXPECT_EQ(ReadOwnSettings(host).posTop, -100);
  EXPECT_TRUE(ReadOwnSettings(host).showHint);

  WriteBytes(file, "[CONFIG]\r\nRepeat=abc\r\nPosTop=-100\r\nPosLeft=x\r\nTopMost=junk\r\nShowHint=\r\n");
  EXPECT_FALSE(ReadRepeatMode(host));
  EXPECT_EQ(ReadOwnSettings(host), OwnSettings{});
}

TEST_F(OwnSettingsTest, StoredValuesAreReadAsGiven) {
  WriteBytes(file,
             "[CONFIG]\r\nRepeat=5\r\nTTPath=C:\\Tools\\\r\nPosTop=-3000\r\nPosLeft=40\r\n"
             "TopMost=2\r\nShowHint=0\r\n");
  EXPECT_TRUE(ReadRepeatMode(host));
  const OwnSettings expected{"C:\\Tools\\", -3000, 40, true, false};
  EXPECT_EQ(ReadOwnSettings(host), expected);
}

TEST_F(OwnSettingsTest, SavingWritesFourKeysInOrderAndLeavesTheUsersSwitches) {
  SaveOwnSettings(host, OwnSettingsPath(host), "C:\\Tools\\", true, 10, -20);
  const std::string fresh = ReadBytes(file);
  EXPECT_EQ(fresh, "[CONFIG]\r\nTTPath=C:\\Tools\\\r\nTopMost=1\r\nPosTop=10\r\nPosLeft=-20\r\n");

  WriteBytes(file, "[CONFIG]\r\nRepeat=1\r\nShowHint=0\r\nPosTop=1\r\n");
  SaveOwnSettings(host, OwnSettingsPath(host), "D:\\T\\", false, -100, -100);
  const OwnSettings expected{"D:\\T\\", -100, -100, false, false};
  EXPECT_EQ(ReadOwnSettings(host), expected);
  EXPECT_TRUE(ReadRepeatMode(host));
}

}  // namespace
}  // namespace qlm
