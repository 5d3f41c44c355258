// The display style and bars in the tool's configuration file.
#include <gtest/gtest.h>

#include "support/scripted_host.h"
#include "settings/errors.h"
#include "settings/tool_config.h"
#include "test_support.h"

namespace qlm {
namespace {

class ToolConfigTest : public ::testing::Test {
 protected:
  ToolConfigTest() { test::MakeFolder(folder / "System"); }
  test::ScratchFolder folder;
  platform::ScriptedHost host{folder / "QLM.exe"};
  ToolConfig config{host, folder.path() + "\\"};
};

TEST_F(ToolConfigTest, AbsentAndMalformedKeysReadAsAbsent) {
  EXPECT_EQ(WindowSettingsOf(ReadEditedValues(config)), WindowSettings{});
  test::WriteBytes(config.Path(),
                   "[GLOBAL]\r\nIsMDI=1\r\n[TOOLBAR]\r\nDOCKING=abc\r\n[TRBAR]\r\nX=1\r\n[TICKERBAR]\r\nDOCKING=2\r\n");
  const WindowSettings expected{1, config::kAbsent, config::kAbsent, 2};
  EXPECT_EQ(WindowSettingsOf(ReadEditedValues(config)), expected);
}

TEST_F(ToolConfigTest, OkWritesStyleAndTabBarThenToolAndTickerBars) {
  WriteWindowSettings(config, ToolKind::kOther, WindowChoice{1, true, false, true});
  EXPECT_EQ(test::ReadBytes(config.Path()),
            "[GLOBAL]\r\nIsMDI=1\r\n[TRBAR]\r\nDOCKING=0\r\n[TOOLBAR]\r\nDOCKING=1\r\n[TICKERBAR]\r\nDOCKING=1\r\n");
}

TEST_F(ToolConfigTest, TradeProNeverGetsStyleOrTabBar) {
  WriteWindowSettings(config, ToolKind::kTradePro, WindowChoice{0, false, true, false});
  EXPECT_EQ(test::ReadBytes(config.Path()), "[TOOLBAR]\r\nDOCKING=0\r\n[TICKERBAR]\r\nDOCKING=0\r\n");
}

TEST_F(ToolConfigTest, AStyleTheToolDoesNotStoreIsNotWritten) {
  test::WriteBytes(config.Path(), "[GLOBAL]\r\nIsMDI=-5\r\n");
  WriteWindowSettings(config, ToolKind::kOther, WindowChoice{-1, false, false, false});
  EXPECT_EQ(config.ReadInteger("GLOBAL", "IsMDI"), -5);
  EXPECT_EQ(config.ReadInteger("TRBAR", "DOCKING"), 0);
}

TEST_F(ToolConfigTest, AFolderThatCannotBeWrittenRaisesTheWriteError) {
  const ToolConfig missing(host, folder / "gone\\");
  EXPECT_THROW(WriteWindowSettings(missing, ToolKind::kOther, WindowChoice{}), ProfileWriteError);
  EXPECT_THROW(WriteWindowSettings(missing.Held(), ToolKind::kOther, WindowChoice{}), ProfileWriteError);
}

TEST_F(ToolConfigTest, AHeldFileStillWritesEachValueAtOnceAndReadsWhatChanged) {
  const ToolConfig held = config.Held();
  held.WriteInteger("TOOLBAR", "DOCKING", 1);
  EXPECT_EQ(test::ReadBytes(config.Path()), "[TOOLBAR]\r\nDOCKING=1\r\n") << "written before the file is released";
  // Another program changes the file while it is held.
  test::WriteBytes(config.Path(), "[TOOLBAR]\r\nDOCKING=0\r\n");
  EXPECT_EQ(held.ReadInteger("TOOLBAR", "DOCKING"), 0);
  EXPECT_EQ(config.ReadInteger("TOOLBAR", "DOCKING"), 0);
}

}  // namespace
}  // namespace qlm
