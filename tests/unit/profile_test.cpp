// Settings files through the platform's profile store: typed reads, writes,
// and the write error.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/portable/scripted_host.h"
#include "platform/profile_store.h"
#include "settings/errors.h"
#include "settings/profile.h"
#include "test_support.h"

namespace qlm {
namespace {

using test::ReadBytes;
using test::Sjis;
using test::WriteBytes;

class ProfileTest : public ::testing::Test {
 protected:
  test::ScratchFolder folder;
  platform::ScriptedHost host{folder / "QLM.exe"};
  std::string file = folder / "QLM.INI";
};

TEST_F(ProfileTest, IntegersFollowTheNumberRulesWithTheDefaultForAnythingElse) {
  WriteBytes(file,
             "[CONFIG]\r\nPosTop=0x10\r\nPosLeft= 12\r\nBad=12a\r\nEmpty=\r\nRepeat=-0\r\nIsMDI=+1\r\n"
             "Quoted=\" 7\"\r\nTab='\t7'\r\n");
  const ProfileFile profile(host, file);
  EXPECT_EQ(profile.ReadInteger("CONFIG", "PosTop", -100), 16);
  EXPECT_EQ(profile.ReadInteger("CONFIG", "PosLeft", -100), 12);
  EXPECT_EQ(profile.ReadInteger("CONFIG", "Bad", -100), -100);
  EXPECT_EQ(profile.ReadInteger("CONFIG", "Empty", -100), -100);
  EXPECT_EQ(profile.ReadInteger("CONFIG", "Missing", -100), -100);
  EXPECT_EQ(profile.ReadInteger("CONFIG", "Repeat", 5), 0);
  EXPECT_EQ(profile.ReadInteger("CONFIG", "IsMDI", -1), 1);
  EXPECT_EQ(profile.ReadInteger("CONFIG", "Quoted", -1), 7);  // a leading blank inside quotes
  EXPECT_EQ(profile.ReadInteger("CONFIG", "Tab", -1), -1);
  EXPECT_EQ(ProfileFile(host, folder / "none.ini").ReadInteger("CONFIG", "PosTop", -100), -100);
}

TEST_F(ProfileTest, WrittenValuesReadBackAsWritten) {
  const std::string face = Sjis("ＭＳ Ｐゴシック");
  {
    ProfileFile profile(host, file);
    profile.WriteInteger("CONFIG", "PosTop", -100);
    profile.WriteInteger("CONFIG", "PosLeft", 2147483647);
    profile.WriteString("FONT", "FF0", "-12,0,0,0,400,0,0,0,128,3,2,1,50," + face);
    profile.WriteString("CONFIG", "TTPath", "");
  }
  const ProfileFile profile(host, file);
  EXPECT_NE(ReadBytes(file).find("PosTop=-100"), std::string::npos);
  EXPECT_EQ(profile.ReadInteger("CONFIG", "PosLeft", 0), 2147483647);
  EXPECT_EQ(profile.ReadString("FONT", "FF0", ""), "-12,0,0,0,400,0,0,0,128,3,2,1,50," + face);
  // An empty value writes the key; it does not remove it.
  EXPECT_EQ(profile.ReadString("CONFIG", "TTPath", "fallback"), "");
}

TEST_F(ProfileTest, ARefusedWriteRaisesTheErrorWithTheFullPathAndChangesNothing) {
  const std::string missing = folder / "no such folder\\QLM.INI";
  const std::string blocked = folder / "blocked.ini";
  test::MakeFolder(blocked);
  ProfileFile written(host, file);
  written.WriteString("CONFIG", "TTPath", "kept");

  for (const std::string& path : {missing, blocked}) {
    ProfileFile profile(host, path);
    try {
      profile.WriteInteger("CONFIG", "PosTop", 1);
      ADD_FAILURE() << "no error for " << path;
    } catch (const ProfileWriteError& error) {
      EXPECT_EQ(std::string(error.what()), path + Sjis(" に書き込めません"));
    }
  }
  EXPECT_FALSE(platform::FileExists(missing));
  EXPECT_FALSE(platform::FileExists(blocked));
  EXPECT_EQ(written.ReadString("CONFIG", "TTPath", ""), "kept");  // nothing is rolled back
}

TEST_F(ProfileTest, TheWritesOfOneActionLandTogetherOrNotAtAll) {
  const std::string before = "[CONFIG]\r\n; the user's own note\r\nRepeat=1\r\nTTPath=C:\\Old\\\r\n";
  const std::string reference = folder / "reference.ini";
  WriteBytes(file, before);
  WriteBytes(reference, before);
  {
    ProfileFile oneByOne(host, reference);
    oneByOne.WriteString("CONFIG", "TTPath", "C:\\New\\");
    oneByOne.WriteInteger("CONFIG", "PosTop", 5);
  }
  {
    ProfileFile action(host, file, ProfileFile::Writes::kTogether);
    EXPECT_EQ(action.ReadInteger("CONFIG", "PosTop", 0), 0);
    action.WriteString("CONFIG", "TTPath", "C:\\New\\");
    action.WriteInteger("CONFIG", "PosTop", 5);
    EXPECT_EQ(action.ReadInteger("CONFIG", "PosTop", 0), 5);
    EXPECT_EQ(ReadBytes(file), before);
    action.Commit();
  }
  // Byte for byte what the writes made one by one leave, and no copy left.
  EXPECT_EQ(ReadBytes(file), ReadBytes(reference));
  EXPECT_EQ(test::FileNames(folder.path()), (std::vector<std::string>{"QLM.INI", "reference.ini"}));

  const std::string after = ReadBytes(file);
  {
    ProfileFile unfinished(host, file, ProfileFile::Writes::kTogether);
    unfinished.WriteInteger("CONFIG", "PosTop", 6);
  }
  EXPECT_EQ(ReadBytes(file), after);
  EXPECT_EQ(test::FileNames(folder.path()).size(), 2u);
}

TEST_F(ProfileTest, AWriteRefusedHalfWayLeavesTheFileAsItWasAndNamesIt) {
  const std::string before = "[FONT]\r\nFF0=old\r\nFF1=old\r\n";
  WriteBytes(file, before);
  const std::string copy = test::WorkingCopyOf(file);
  ProfileFile action(host, file, ProfileFile::Writes::kTogether);
  action.WriteString("FONT", "FF0", "new");
  // The copy becomes something the platform cannot write.
  test::RemoveFile(copy);
  test::MakeFolder(copy);
  try {
    action.WriteString("FONT", "FF1", "new");
    ADD_FAILURE() << "no error";
  } catch (const ProfileWriteError& error) {
    EXPECT_EQ(std::string(error.what()), file + Sjis(" に書き込めません"));
  }
  EXPECT_EQ(ReadBytes(file), before);
  test::RemoveFile(copy);
}

TEST_F(ProfileTest, OnlyCopiesLeftByEndedRunsAreRemoved) {
  WriteBytes(file, "[CONFIG]\r\n");
  const std::string live = "QLM.INI.qlm" + std::to_string(test::OtherRunningProcessId()) + ".tmp";
  const std::vector<std::string> kept = {"Other.ini.qlm999999999.tmp", "QLM.INI", "QLM.INI.bak",
                                         "QLM.INI.qlm.tmp", "QLM.INI.qlm12x.tmp", live};
  for (const std::string& name : kept) WriteBytes(folder / name, "x");
  // Left by ended processes: one that no longer runs, one that had this
  // process's id before it.
  WriteBytes(folder / "qlm.ini.qlm999999999.tmp", "x");
  WriteBytes(test::WorkingCopyOf(file), "x");
  platform::RemoveStaleWorkingCopies(file);
  std::vector<std::string> expected = kept;
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(test::FileNames(folder.path()), expected);
}

// Writing the six font slots in one go must leave what six single writes
// leave, whatever shape the tool's [FONT] section has.
TEST_F(ProfileTest, SeveralKeysAtOnceLeaveWhatTheWritesOneByOneLeave) {
  const std::string gothic = Sjis("ＭＳ Ｐゴシック");
  std::vector<std::pair<std::string, std::string>> slots;
  for (int i = 0; i < 6; ++i)
    slots.emplace_back("FF" + std::to_string(i), "-1" + std::to_string(i) + ",0,0,0,700,0,0,0,128,3,2,1,50," + gothic);
  const std::string plain = "[FONT]\r\nFF0=a\r\nFF1=a\r\nFF2=a\r\nFF3=a\r\nFF4=a\r\nFF5=a\r\n";
  std::string unchanged = "[A]\r\n\r\n k = 1 \r\n[FONT]\r\n";
  for (const auto& [key, value] : slots) unchanged += key + "=" + value + "\r\n";
  const std::vector<std::string> corpus = {
      "[GLOBAL]\r\nIsMDI=1\r\n" + plain + "[TOOLBAR]\r\nDOCKING=1\r\n",
      "[FONT]\r\nFF3=a\r\nSample=" + Sjis("表示") + "\r\nff0=a\r\nFF5=a\r\n[X]\r\nk=1\r\n",
      plain + "FF6=keep",
      "[FONT]\r\nFF0=a\r\n\r\nFF1=a\r\n;note\r\nbare\r\n[X]\r\n",
      "[FONT]\r\nFF0=a\r\nFF0=b\r\n[X]\r\nk=1\r\n[font]\r\nFF1=b\r\n",
      "[FONT]\r\nFF0 = a\r\n FF1=\"a\"\r\n",
      "[FONT]\nFF0=a\nFF1=a\n",
      "[GLOBAL]\r\nIsMDI=1\r\n",
      "[FONT]\r\n[X]\r\nk=1\r\n",
      unchanged,
      "\xEF\xBB\xBF" + plain,
      ""};
  const std::string together = folder / "together.ini";
  const std::string oneByOne = folder / "one-by-one.ini";
  for (const std::string& text : corpus) {
    WriteBytes(together, text);
    WriteBytes(oneByOne, text);
    ASSERT_TRUE(platform::ProfileWriteKeys(together, "FONT", slots));
    for (const auto& [key, value] : slots) ASSERT_TRUE(platform::ProfileWrite(oneByOne, "FONT", key, value));
    platform::ProfileFlush(together);
    platform::ProfileFlush(oneByOne);
    EXPECT_EQ(ReadBytes(together), ReadBytes(oneByOne)) << "from:\n" << text;
  }
  WriteBytes(together, unchanged);
  ASSERT_TRUE(platform::ProfileWriteKeys(together, "FONT", slots));
  EXPECT_EQ(ReadBytes(together), unchanged);
}

TEST_F(ProfileTest, FileExistsOnlyForFiles) {
  WriteBytes(file, "");
  test::MakeFolder(folder / "Sub");
  EXPECT_TRUE(platform::FileExists(file));
  EXPECT_TRUE(platform::FileExists(folder / "qlm.ini"));  // file names ignore case
  EXPECT_FALSE(platform::FileExists(folder / "Sub"));
  EXPECT_FALSE(platform::FileExists(folder / "none.ini"));
  EXPECT_FALSE(platform::FileExists(""));
}

}  // namespace
}  // namespace qlm
