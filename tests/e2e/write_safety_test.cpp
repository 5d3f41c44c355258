// Working copies left over beside both places of QLM.INI. (A file held by
// another program or marked read-only is tested where it is written, under
// Wine too: tests/win32/working_copy_test.cpp and tests/unit/profile_test.cpp.)
#include "qlm_driver.h"

namespace qlm::e2e {
namespace {

using namespace ui;

class WriteSafetyTest : public DesktopTest {
 protected:
  ToolInstallation tool{{"Takumi.exe", UniqueTitle("残ったコピー"), kFullAppcfg}};
};

// Copies left by ended runs beside the QLM.INI that is not in use are
// removed at start too (those beside the one in use: main_form_test).
TEST_F(WriteSafetyTest, CopiesLeftBesideEitherPlaceOfTheOwnSettingsAreRemoved) {
  const std::string root = Environment("APPDATA");
  ASSERT_FALSE(root.empty());
  const std::string users = root + "\\Quillmate";
  CreateDirectoryA(users.c_str(), nullptr);
  const std::string usersCopy = users + "\\QLM.INI.qlm999999993.tmp";
  test::WriteBytes(usersCopy, "x");
  Quillmate qlm(Quillmate::OwnIniFor(tool.folder()));
  ASSERT_TRUE(qlm.Start());
  ASSERT_TRUE(qlm.WaitForMainWindow()) << qlm.Boxes();
  EXPECT_EQ(GetFileAttributesA(usersCopy.c_str()), INVALID_FILE_ATTRIBUTES);
  DeleteFileA(usersCopy.c_str());
}

}  // namespace
}  // namespace qlm::e2e
