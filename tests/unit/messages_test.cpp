// Filling in message texts: texts read from files are cut, paths are kept
// whole or shortened in their middle, lists the program made are kept whole.
#include <gtest/gtest.h>

#include "settings/messages.h"
#include "test_support.h"

namespace qlm {
namespace {

using test::Sjis;

const std::string kEllipsis = Sjis("…");

// A Japanese path of bytes bytes: the drive, folders of "取引ツール表" (表 is
// 0x95 0x5C, whose second byte is a backslash), then the file.
std::string LongPath(std::size_t bytes, const std::string& file) {
  const std::string folder = Sjis("取引ツール表") + "\\";
  std::string path = "C:\\";
  while (path.size() + folder.size() + file.size() <= bytes) path += folder;
  path.insert(3, std::string(bytes - path.size() - file.size(), 'a'));
  return path + file;
}

TEST(Messages, PathsStayWholeUpToTheLongestPathAndKeepDriveAndFileBeyondIt) {
  const std::string format = Sjis("%s に書き込めません");
  const std::string tail = Sjis(" に書き込めません");
  for (const std::size_t length : {118u, 200u, 260u}) {
    const std::string path = LongPath(length, "System\\Appcfg.ini");
    EXPECT_EQ(SubstitutePath(format, path), path + tail) << length;
  }
  // UNC, and a colour file of 4101.
  const std::string share = "\\\\server\\share\\" + LongPath(120, "Color\\Night.CLR").substr(3);
  EXPECT_EQ(SubstitutePath(Sjis("CLRファイル\n[%s]\nが存在しません。"), share),
            Sjis("CLRファイル\n[") + share + Sjis("]\nが存在しません。"));

  for (const std::string& path : {LongPath(400, "Appcfg.ini"), "\\\\server\\share\\" + LongPath(700, "Night.CLR").substr(3)}) {
    const std::string shown = ShortenPathForMessage(path);
    SCOPED_TRACE(path);
    EXPECT_LE(shown.size(), kMessagePathLimit);
    EXPECT_GT(shown.size(), kMessagePathLimit - 2);  // as much as fits, whole characters only
    EXPECT_EQ(shown.substr(0, 3), path.substr(0, 3));
    const std::string name = path.substr(path.rfind('\\'));
    EXPECT_EQ(shown.substr(shown.size() - name.size()), name);
    const std::size_t cut = shown.find(kEllipsis + "\\");
    ASSERT_NE(cut, std::string::npos);
    EXPECT_EQ(path.substr(0, cut), shown.substr(0, cut)) << "the kept folders are the path's own, cut between characters";
  }
  EXPECT_EQ(ShortenPathForMessage("\\\\server\\share\\" + std::string(300, 'x')).substr(0, 15), "\\\\server\\share\\");
}

TEST(Messages, TextsFromFilesAreCutAtWholeCharactersAndListsStayWhole) {
  const std::string face = std::string(99, 'A') + Sjis("表示");  // the limit falls inside a character
  EXPECT_EQ(Substitute(Sjis("フォント\n%s\nが存在しません。"), face),
            Sjis("フォント\n") + std::string(99, 'A') + kEllipsis + Sjis("\nが存在しません。"));
  EXPECT_EQ(Substitute("'%s'", std::string(100, 'x')), "'" + std::string(100, 'x') + "'");
  EXPECT_EQ(Substitute("(%d)", "7"), "(7)");
  EXPECT_EQ(Substitute("none", "x"), "none");
  const std::string lines = std::string(90, 'k') + "\n" + std::string(90, 'l') + "\n" + std::string(90, 'm');
  EXPECT_EQ(SubstituteWhole("A\n%s", lines), "A\n" + lines);
}

}  // namespace
}  // namespace qlm
