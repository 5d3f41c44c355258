// Filling in message texts: texts read from files are cut, paths are kept
// whole or shortened in their middle, lists the program made are kept whole.
#include <gtest/gtest.h>

#include "settings/messages.h"
#include "test_support.h"

namespace qlm {
namespace {

using test::Sjis;

// A path of bytes bytes: the root, folders "取引ツール表" (表 is 0x95 0x5C,
// whose second byte is a backslash), then the file.
std::string LongPath(const std::string& root, std::size_t bytes, const std::string& file) {
  const std::string folder = Sjis("取引ツール表") + "\\";
  std::string path = root;
  while (path.size() + folder.size() + file.size() <= bytes) path += folder;
  path.insert(root.size(), std::string(bytes - path.size() - file.size(), 'a'));
  return path + file;
}

TEST(Messages, PathsStayWholeUpToTheLongestPathElseKeepRootAndFileName) {
  const struct {
    std::string root;
    std::size_t bytes;
    std::string file;
  } cases[] = {{"C:\\", 118, "System\\Appcfg.ini"}, {"C:\\", 260, "Night.CLR"}, {"C:\\", 400, "Appcfg.ini"},
               {"\\\\pc\\share\\", 700, "Night.CLR"}};
  for (const auto& [root, bytes, file] : cases) {
    const std::string path = LongPath(root, bytes, file);
    const std::string shown = ShortenPathForMessage(path);
    SCOPED_TRACE(path);
    EXPECT_EQ(SubstitutePath(Sjis("%s に書き込めません"), path), shown + Sjis(" に書き込めません"));
    if (bytes <= kMessagePathLimit) {
      EXPECT_EQ(shown, path);
      continue;
    }
    // As much as fits, cut between characters, then "…" and the file name.
    EXPECT_GT(shown.size(), kMessagePathLimit - 2);
    EXPECT_LE(shown.size(), kMessagePathLimit);
    const std::size_t cut = shown.find(Sjis("…") + "\\" + file);
    ASSERT_NE(cut, std::string::npos);
    EXPECT_EQ(shown.substr(0, cut), path.substr(0, cut));
    EXPECT_EQ(cut + 2 + 1 + file.size(), shown.size());
  }
}

TEST(Messages, TextsFromFilesAreCutAtWholeCharactersAndListsStayWhole) {
  const std::string face = std::string(99, 'A') + Sjis("表示");  // the limit falls inside a character
  EXPECT_EQ(Substitute("[%s]", face), "[" + std::string(99, 'A') + Sjis("…") + "]");
  EXPECT_EQ(Substitute("'%s'", std::string(100, 'x')), "'" + std::string(100, 'x') + "'");
  const std::string lines = std::string(90, 'k') + "\n" + std::string(90, 'l');
  EXPECT_EQ(SubstituteWhole("A\n%s", lines), "A\n" + lines);
}

}  // namespace
}  // namespace qlm
