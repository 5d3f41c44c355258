// Settings files through the platform's profile store: typed reads, writes,
// and the write error.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <algorithm>
#include <array>
#include <functional>

#include "platform/file_search.h"
#include "platform/profile_store.h"
#include "settings/errors.h"
#include "platform/working_copy_name.h"
#include "settings/profile.h"
#include "scratch_program.h"

namespace qlm {
namespace {

using test::ReadBytes;
using test::Sjis;
using test::WriteBytes;

class ProfileTest : public test::ScratchProgramTest {};

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
    EXPECT_EQ(test::ErrorText<ProfileWriteError>([&] { profile.WriteInteger("CONFIG", "PosTop", 1); }),
              path + Sjis(" に書き込めません"));
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
  // The copy becomes something the platform cannot write: a folder, or,
  // where the copy is held open against removal (Windows), a file that
  // another program has open without letting anyone write it.
#ifdef _WIN32
  const HANDLE reader = CreateFileA(copy.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
#else
  test::RemoveFile(copy);
  test::MakeFolder(copy);
#endif
  // The action's writes are made on the copy together, when it lands.
  action.WriteString("FONT", "FF1", "new");
  EXPECT_EQ(test::ErrorText<ProfileWriteError>([&] { action.Commit(); }), file + Sjis(" に書き込めません"));
  EXPECT_EQ(ReadBytes(file), before);
#ifdef _WIN32
  CloseHandle(reader);
#endif
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
  // Another file of the same folder, whose copies the same search finds, in
  // both forms of a copy's name.
  WriteBytes(folder / "QLM-History.ini.qlm999999999.tmp", "x");
  WriteBytes(folder / "~999999999.qlm", "x");
  platform::RemoveStaleWorkingCopies({file, folder / "QLM-History.ini"});
  std::vector<std::string> expected = kept;
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(test::FileNames(folder.path()), expected);
}

// A file with many of the tool's other settings around the one an action
// writes: whatever happens to the action's copy, none of them may go.
std::string ManySections() {
  std::string text;
  for (int i = 0; i < 20; ++i) text += "[BOARD" + std::to_string(i) + "]\r\nColumn=" + std::to_string(i) + "\r\n";
  return text + "[FONT]\r\nFF0=old\r\n";
}

// What another program or another run may do between an action's writes:
// take its copy for left over, put another file in its place, write the
// file itself. The action lands with everything else kept, still taking
// the file's place in one step (not written in place): the file is never
// reduced to the action's keys.
TEST_F(ProfileTest, AnActionWhoseCopyOrFileChangesUnderItKeepsEveryOtherSetting) {
  struct Case {
    const char* name;
    std::function<void(const std::string& file, const std::string& copy)> meanwhile;
    std::vector<std::array<const char*, 3>> alsoKept;  // section, key, value
  };
  platform::ScriptedHost& scripted = host;
  const Case cases[] = {
      {"copy removed", [](const std::string&, const std::string& copy) { test::TryRemoveFile(copy); }, {}},
      {"copy replaced by a file of one key",
       [](const std::string&, const std::string& copy) { WriteBytes(copy, "[FONT]\r\nFF1=stray\r\n"); },
       {}},
      {"file written by another writer",
       [&scripted](const std::string& file, const std::string&) {
         ProfileFile(scripted, file).WriteString("WINDOW", "Left", "120");
       },
       {{"WINDOW", "Left", "120"}}},
      {"file rewritten in place by another writer",
       [](const std::string& file, const std::string&) {
         WriteBytes(file, ManySections() + "[WINDOW]\r\nTop=7\r\n");
       },
       {{"WINDOW", "Top", "7"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteBytes(file, ManySections());
    {
      ProfileFile action(host, file, ProfileFile::Writes::kTogether);
      action.WriteString("FONT", "FF0", "new");
      c.meanwhile(file, test::WorkingCopyOf(file));
      const std::uint64_t between = test::FileIdentity(file);
      action.WriteString("FONT", "FF2", "new");
      action.Commit();
      EXPECT_NE(test::FileIdentity(file), between) << "written in place, not replaced";
    }
    const ProfileFile written(host, file);
    for (int i = 0; i < 20; ++i)
      EXPECT_EQ(written.ReadString("BOARD" + std::to_string(i), "Column", ""), std::to_string(i));
    EXPECT_EQ(written.ReadString("FONT", "FF0", ""), "new");
    EXPECT_EQ(written.ReadString("FONT", "FF1", "none"), "none");
    EXPECT_EQ(written.ReadString("FONT", "FF2", ""), "new");
    for (const auto& [section, key, value] : c.alsoKept) EXPECT_EQ(written.ReadString(section, key, ""), value);
    EXPECT_EQ(test::FileNames(folder.path()), std::vector<std::string>{"QLM.INI"});
  }
}

// The action's copy gone and no fresh one to be made (the file became a
// folder meanwhile): the usual write error, and no copy left.
TEST_F(ProfileTest, AnActionThatCannotMakeAFreshCopyFailsWithTheWriteError) {
  WriteBytes(file, ManySections());
  ProfileFile action(host, file, ProfileFile::Writes::kTogether);
  action.WriteString("FONT", "FF0", "new");
  test::TryRemoveFile(test::WorkingCopyOf(file));
  test::RemoveFile(file);
  test::MakeFolder(file);
  EXPECT_THROW(action.Commit(), ProfileWriteError);
  EXPECT_EQ(test::FileNames(folder.path()), std::vector<std::string>{"QLM.INI"});
}

// A read-only file is never written nor replaced: the usual write error,
// the file's bytes and its mark unchanged, no copy left.
TEST_F(ProfileTest, AReadOnlyFileIsRefusedAndKeepsItsBytesAndItsMark) {
  const std::string before = "[FONT]\r\nFF0=old\r\n";
  const std::vector<std::pair<const char*, std::function<void()>>> writes = {
      {"single write", [&] { ProfileFile(host, file).WriteString("FONT", "FF0", "new"); }},
      {"action", [&] {
         ProfileFile action(host, file, ProfileFile::Writes::kTogether);
         action.WriteString("FONT", "FF0", "new");
         action.Commit();
       }},
      {"action made read-only before its commit", [&] {
         test::SetReadOnly(file, false);
         ProfileFile action(host, file, ProfileFile::Writes::kTogether);
         action.WriteString("FONT", "FF0", "new");
         test::SetReadOnly(file, true);
         action.Commit();
       }},
  };
  for (const auto& [name, write] : writes) {
    SCOPED_TRACE(name);
    WriteBytes(file, before);
    test::SetReadOnly(file, true);
    EXPECT_EQ(test::ErrorText<ProfileWriteError>(write), file + Sjis(" に書き込めません"));
    EXPECT_EQ(ReadBytes(file), before);
    EXPECT_TRUE(test::IsReadOnly(file));
    EXPECT_EQ(test::FileNames(folder.path()), std::vector<std::string>{"QLM.INI"});
    EXPECT_FALSE(platform::CanWriteFile(file));
    test::SetReadOnly(file, false);
  }
}

// Near the longest path the system takes, the copy gets a short name in the
// file's folder; where even that does not fit, the file is written in place.
// Either way the writes land and no copy stays.
TEST_F(ProfileTest, FilesNearTheLongestPathAreStillWritten) {
  for (const std::size_t length : {200u, 240u, 255u}) {
    SCOPED_TRACE(length);
    const std::size_t nameLength = std::string("Appcfg.ini").size();
    const std::string sub = std::string(length - folder.path().size() - 2 - nameLength, 'd');
    const std::string deep = folder / sub + "\\Appcfg.ini";
    ASSERT_EQ(deep.size(), length);
    WriteBytes(deep, ManySections());
    {
      ProfileFile action(host, deep, ProfileFile::Writes::kTogether);
      action.WriteString("FONT", "FF0", "new");
      action.Commit();
    }
    const ProfileFile written(host, deep);
    EXPECT_EQ(written.ReadString("FONT", "FF0", ""), "new");
    EXPECT_EQ(written.ReadString("BOARD19", "Column", ""), "19");
    // A file not there yet is made by its first write.
    const std::string fresh = folder / sub + "\\QLM.INI";
    ProfileFile(host, fresh).WriteString("CONFIG", "TTPath", "C:\\Tool\\");
    EXPECT_EQ(ProfileFile(host, fresh).ReadString("CONFIG", "TTPath", ""), "C:\\Tool\\");
    EXPECT_EQ(test::FileNames(folder / sub), (std::vector<std::string>{"Appcfg.ini", "QLM.INI"}));
    test::RemoveFile(folder / sub);
  }
}

TEST(WorkingCopyRulesTest, CopyNamesFitTheLongestPath) {
  const auto same = [](std::string_view a, std::string_view b) { return a == b; };
  struct Case {
    std::size_t folderLength;  // with its trailing backslash
    const char* expected;      // "usual", "short" or "none"
  };
  // "Appcfg.ini.qlm12345678.tmp" takes 26 characters, "~12345678.qlm" 13.
  const Case cases[] = {{20, "usual"}, {259 - 26, "usual"}, {259 - 25, "short"}, {259 - 13, "short"},
                        {259 - 12, "none"}};
  for (const Case& c : cases) {
    const std::string folder = "C:" + std::string(c.folderLength - 3, 'x') + "\\";
    const std::string file = folder + "Appcfg.ini";
    const auto name = platform::FittingCopyName(file, folder.size(), 12345678);
    const std::string got = !name ? "none" : *name == platform::WorkingCopyName(file, 12345678) ? "usual" : "short";
    EXPECT_EQ(got, c.expected) << c.folderLength;
    if (!name) continue;
    EXPECT_LE(name->size(), platform::kLongestPath);
    EXPECT_EQ(platform::WorkingCopyOwner(name->substr(folder.size()), "Appcfg.ini", same), 12345678u);
  }
  // What is and is not a copy of Appcfg.ini, and whose.
  const std::pair<const char*, std::optional<std::uint32_t>> names[] = {
      {"Appcfg.ini.qlm42.tmp", 42u}, {"~42.qlm", 42u},      {"~.qlm", std::nullopt},
      {"~4x2.qlm", std::nullopt},    {"Sys.ini.qlm42.tmp", std::nullopt}, {"~99999999999.qlm", std::nullopt},
      {"Appcfg.ini", std::nullopt},  {"~42.qlm.bak", std::nullopt}};
  for (const auto& [name, owner] : names) EXPECT_EQ(platform::WorkingCopyOwner(name, "Appcfg.ini", same), owner) << name;
}

// When a copy found beside a file may be removed: never while anyone holds
// it open or its owner may still run; on a network drive, where process
// ids may be another machine's, only when it is old.
TEST(WorkingCopyRulesTest, OnlyCopiesThatCannotBeLiveAreStale) {
  using platform::CopyOwner;
  struct Case {
    bool held, ownId, remote, old;
    CopyOwner owner;
    bool stale;
  };
  const Case cases[] = {
      {false, false, false, false, CopyOwner::kGone, true},
      {false, false, false, false, CopyOwner::kIdReused, true},
      {false, false, false, false, CopyOwner::kMayBeOwner, false},
      {false, false, false, true, CopyOwner::kMayBeOwner, false},
      {false, false, false, true, CopyOwner::kUnknown, false},
      {false, true, false, false, CopyOwner::kMayBeOwner, true},
      {true, false, false, true, CopyOwner::kGone, false},
      {true, true, false, true, CopyOwner::kGone, false},
      {false, false, true, false, CopyOwner::kGone, false},
      {false, true, true, false, CopyOwner::kGone, false},
      {false, false, true, true, CopyOwner::kMayBeOwner, true},
      {true, false, true, true, CopyOwner::kGone, false},
  };
  for (const Case& c : cases) {
    platform::FoundCopy found;
    found.held = c.held;
    found.ownId = c.ownId;
    found.remote = c.remote;
    found.oldEnough = c.old;
    found.owner = c.owner;
    EXPECT_EQ(platform::IsStaleCopy(found), c.stale)
        << c.held << c.ownId << c.remote << c.old << static_cast<int>(c.owner);
  }
}

// How long a file that another program holds is waited for: growing pauses,
// well under a second, and no waiting for anything but a busy file.
TEST(WorkingCopyRulesTest, ABusyFileIsTriedAgainWithGrowingPauses) {
  using platform::TryResult;
  struct Case {
    std::vector<TryResult> results;
    std::vector<int> pauses;
    TryResult outcome;
  };
  const std::vector<int> all(platform::kBusyPausesMs.begin(), platform::kBusyPausesMs.end());
  const Case cases[] = {
      {{TryResult::kDone}, {}, TryResult::kDone},
      {{TryResult::kFailed}, {}, TryResult::kFailed},
      {{TryResult::kBusy, TryResult::kDone}, {0}, TryResult::kDone},
      {{TryResult::kBusy, TryResult::kBusy, TryResult::kBusy, TryResult::kDone}, {0, 10, 20}, TryResult::kDone},
      {{TryResult::kBusy, TryResult::kFailed}, {0}, TryResult::kFailed},
      {std::vector<TryResult>(8, TryResult::kBusy), all, TryResult::kBusy},
  };
  for (const Case& c : cases) {
    std::size_t tries = 0;
    std::vector<int> pauses;
    const TryResult outcome = platform::RetryWhileBusy([&] { return c.results.at(tries++); },
                                                       [&](int ms) { pauses.push_back(ms); });
    EXPECT_EQ(outcome, c.outcome);
    EXPECT_EQ(pauses, c.pauses);
    EXPECT_EQ(tries, c.results.size());
  }
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
  // An action's working copy, which knows the file's bytes as copied; a
  // file of its own for each text (the platform may keep a file it wrote
  // parsed under its name).
  std::string action;
  for (const std::string& text : corpus) {
    action = folder / ("action" + std::to_string(&text - corpus.data()) + ".ini");
    WriteBytes(together, text);
    WriteBytes(oneByOne, text);
    WriteBytes(action, text);
    ASSERT_TRUE(platform::ProfileWriteKeys(together, "FONT", slots));
    for (const auto& [key, value] : slots) ASSERT_TRUE(platform::ProfileWrite(oneByOne, "FONT", key, value));
    ProfileFile(host, action, ProfileFile::Writes::kEach).WriteStrings("FONT", slots);
    platform::ProfileFlush(together);
    platform::ProfileFlush(oneByOne);
    EXPECT_EQ(ReadBytes(together), ReadBytes(oneByOne)) << "from:\n" << text;
    // (A file marked as UTF-8 is refused before any action writes it.)
    if (text.rfind("\xEF\xBB\xBF", 0) != 0) {
      EXPECT_EQ(ReadBytes(action), ReadBytes(oneByOne)) << "from:\n" << text;
    }
  }
  WriteBytes(together, unchanged);
  ASSERT_TRUE(platform::ProfileWriteKeys(together, "FONT", slots));
  EXPECT_EQ(ReadBytes(together), unchanged);
  // An action whose writes change nothing leaves the file itself in place.
  WriteBytes(action, unchanged);
  const std::uint64_t identity = test::FileIdentity(action);
  ProfileFile(host, action, ProfileFile::Writes::kEach).WriteStrings("FONT", slots);
  EXPECT_EQ(test::FileIdentity(action), identity);
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
