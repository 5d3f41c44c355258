// The display style and bars in the tool's configuration file.
#include <gtest/gtest.h>

#include "scratch_program.h"
#include "settings/errors.h"
#include "settings/tool_config.h"

namespace qlm {
namespace {

class ToolConfigTest : public test::ScratchToolTest {};

TEST_F(ToolConfigTest, AbsentAndMalformedKeysReadAsAbsent) {
  const auto stored = [&](config::EditedKey key) { return StoredSwitch(ReadEditedValues(config), key); };
  for (const config::KeyRow& row : config::kEditedKeys)
    EXPECT_TRUE(!config::IsSwitch(row) || stored(row.key) == config::kAbsent) << row.section;
  test::WriteBytes(config.Path(),
                   "[GLOBAL]\r\nIsMDI=1\r\n[TOOLBAR]\r\nDOCKING=abc\r\n[TRBAR]\r\nX=1\r\n[TICKERBAR]\r\nDOCKING=2\r\n");
  EXPECT_EQ(stored(config::EditedKey::kIsMdi), 1);
  EXPECT_EQ(stored(config::EditedKey::kToolBar), config::kAbsent);
  EXPECT_EQ(stored(config::EditedKey::kTabBar), config::kAbsent);
  EXPECT_EQ(stored(config::EditedKey::kTickerBar), 2);
}

// OK writes them, and entering real-time mode applies them, in this order
// (a later key after these).
TEST_F(ToolConfigTest, SwitchesGoStyleAndTabBarFirstWhereTheKindEditsThem) {
  const auto order = [](ToolKind kind) {
    std::string keys;
    config::ForEachSwitch(kind, [&](const config::KeyRow& row) { keys += std::string(row.section) + " "; });
    return keys;
  };
  EXPECT_EQ(order(ToolKind::kOther).rfind("GLOBAL TRBAR TOOLBAR TICKERBAR ", 0), 0u);
  EXPECT_EQ(order(ToolKind::kTradePro).rfind("TOOLBAR TICKERBAR ", 0), 0u);
}

TEST_F(ToolConfigTest, AFolderThatCannotBeWrittenRaisesTheWriteError) {
  const ToolConfig missing(host, folder / "gone\\");
  EXPECT_THROW(missing.WriteInteger(config::EditedKey::kToolBar, 1), ProfileWriteError);
  EXPECT_THROW(missing.Held().WriteInteger(config::EditedKey::kToolBar, 1), ProfileWriteError);
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
