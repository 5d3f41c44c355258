// The checks before the program starts its work: a zip folder, the code
// page and QLM.INI with a UTF-8 byte-order mark (the tool's file with one:
// tests/ui).
#include <gtest/gtest.h>

#include "support/scripted_host.h"
#include "settings/messages.h"
#include "settings/own_settings.h"
#include "settings/start_checks.h"
#include "test_support.h"

#ifndef _WIN32
#include "platform/portable/scripted_system.h"
#endif

namespace qlm {
namespace {

TEST(StartChecksTest, AFolderNamedLikeAZipFileIsInsideAZip) {
  const struct {
    const char* path;
    bool inside;
  } cases[] = {
      {"C:\\Users\\u\\AppData\\Local\\Temp\\Temp1_Quillmate-1.0-win64.zip\\Quillmate-1.0\\QLM.exe", true},
      {"C:\\Users\\u\\AppData\\Local\\Temp\\Temp2_q.ZIP\\QLM.exe", true},
      {"C:\\Users\\u\\Downloads\\Quillmate.zip\\QLM.exe", true},
      {"C:/Users/u/Downloads/Quillmate.Zip/QLM.exe", true},
      {"C:\\Tools\\Quillmate-1.0\\QLM.exe", false},
      {"C:\\Tools\\QLM.zip.exe", false},          // the program's own name
      {"C:\\Tools\\zip\\QLM.exe", false},         // no ".zip" ending
      {"C:\\Tools\\.zip\\QLM.exe", false},        // nothing before it
      {"C:\\Tools\\backup.zip.d\\QLM.exe", false},
      {"QLM.exe", false},
      {"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsInsideZip(c.path), c.inside) << c.path;
  // 0x83 0x5C is one double-byte character whose second byte is a backslash.
  EXPECT_FALSE(IsInsideZip("C:\\a.zi\x83\x5C" "b\\QLM.exe"));
}

// The code page comes from the script in the portable backend only.
#ifndef _WIN32
TEST(StartChecksTest, NoticesAtStartForAnotherCodePageAndAMarkedOwnFile) {
  test::ScratchFolder folder;
  const std::string own = folder / "QLM.INI";

  const struct {
    unsigned codePage;
    const char* ownIni;
    std::vector<int> notices;
  } cases[] = {
      {932, "[CONFIG]\r\n", {}},
      {1252, "[CONFIG]\r\n", {msg::kNotJapaneseCodePage}},
      {65001, "\xEF\xBB\xBF[CONFIG]\r\n", {msg::kNotJapaneseCodePage, msg::kOwnSettingsUtf8Mark}},
      {932, "\xEF\xBB\xBF[CONFIG]\r\n", {msg::kOwnSettingsUtf8Mark}},
  };
  for (const auto& c : cases) {
    platform::ScriptedSystem facts;
    facts.codePage = c.codePage;
    const platform::ScriptedSystemScope scope(facts);
    test::WriteBytes(own, c.ownIni);
    platform::ScriptedHost start{folder / "QLM.exe"};
    ShowStartNotices(start, OwnSettingsPath(start));
    std::vector<std::string> expected;
    for (const int id : c.notices)
      expected.push_back(id == msg::kNotJapaneseCodePage ? Substitute(start.Text(id), std::to_string(c.codePage))
                                                         : SubstituteWhole(start.Text(id), own));
    EXPECT_EQ(start.notices(), expected) << c.codePage;
    EXPECT_EQ(test::ReadBytes(own), c.ownIni);
  }
}
#endif

}  // namespace
}  // namespace qlm
