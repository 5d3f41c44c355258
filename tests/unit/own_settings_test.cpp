// QLM.INI: where it is, what a missing or malformed key reads as, and what
// saving writes.
#include <gtest/gtest.h>

#include "platform/portable/scripted_host.h"
#include "settings/own_settings.h"
#include "test_support.h"

namespace qlm {
namespace {

using test::ReadBytes;
using test::WriteBytes;

class OwnSettingsTest : public ::testing::Test {
 protected:
  test::ScratchFolder folder;
  platform::ScriptedHost host{folder / "QLM.exe"};
  std::string file = folder / "QLM.INI";
};

TEST_F(OwnSettingsTest, LivesBesideTheExecutable) {
  EXPECT_EQ(OwnSettingsPath(host), file);
  EXPECT_EQ(OwnSettingsPath(platform::ScriptedHost("C:\\QLM.exe")), "C:\\QLM.INI");
  // 0x95 0x5C is one character whose second byte is a backslash.
  EXPECT_EQ(OwnSettingsPath(platform::ScriptedHost("C:\\\x95\x5C\\QLM.exe")), "C:\\\x95\x5C\\QLM.INI");
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
  SaveOwnSettings(host, "C:\\Tools\\", true, 10, -20);
  const std::string fresh = ReadBytes(file);
  EXPECT_EQ(fresh, "[CONFIG]\r\nTTPath=C:\\Tools\\\r\nTopMost=1\r\nPosTop=10\r\nPosLeft=-20\r\n");

  WriteBytes(file, "[CONFIG]\r\nRepeat=1\r\nShowHint=0\r\nPosTop=1\r\n");
  SaveOwnSettings(host, "D:\\T\\", false, -100, -100);
  const OwnSettings expected{"D:\\T\\", -100, -100, false, false};
  EXPECT_EQ(ReadOwnSettings(host), expected);
  EXPECT_TRUE(ReadRepeatMode(host));
}

}  // namespace
}  // namespace qlm
