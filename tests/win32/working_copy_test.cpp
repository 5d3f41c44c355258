// Working copies on the Windows file system: what a replaced file keeps (its
// attributes and its own permissions), which copies found beside a file are
// left over, and a file another program locks for a moment.
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "platform/file_search.h"
#include "support/scripted_host.h"
#include "platform/profile_store.h"
#include "platform/working_copy_name.h"
#include "settings/profile.h"
#include "test_support.h"

namespace qlm {
namespace {

using platform::BusyPause;

// Opens path as a scanner or sync client does: reading, sharing reading and
// writing but not deletion, so that the file cannot be replaced meanwhile.
HANDLE HoldWithoutDeleteSharing(const std::string& path) {
  return CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The hold of HoldWithoutDeleteSharing that a test lets go of from the busy
// pause.
HANDLE heldFile = INVALID_HANDLE_VALUE;
void LetGo(int = 0) {
  if (heldFile != INVALID_HANDLE_VALUE) CloseHandle(heldFile);
  heldFile = INVALID_HANDLE_VALUE;
}

// The file's access list as text.
std::string PermissionsText(const std::string& path) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, nullptr,
                            nullptr, &descriptor) != ERROR_SUCCESS)
    return "<unreadable>";
  char* text = nullptr;
  ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text,
                                                       nullptr);
  std::string result = text ? text : "<none>";
  LocalFree(text);
  LocalFree(descriptor);
  return result;
}

class WorkingCopyTest : public ::testing::Test {
 protected:
  void TearDown() override {
    platform::SetBusyPause(nullptr);
    LetGo();
  }

  test::ScratchFolder folder;
  platform::ScriptedHost host{folder / "QLM.exe"};
  std::string file = folder / "Appcfg.ini";
  static std::vector<int> pauses;
};

std::vector<int> WorkingCopyTest::pauses;

// Held by another program without delete sharing: the rename is tried again
// while the file is busy, so a hold let go at the first pause is waited for
// and the file still replaced in one step; a hold that outlasts the tries
// gets the writes in place. Either way every key is kept and no copy stays.
TEST_F(WorkingCopyTest, AFileHeldOpenByAnotherProgramIsWaitedForOrWrittenInPlace) {
  const struct {
    const char* name;
    BusyPause pause;
    bool replaced;
  } cases[] = {{"let go at the first pause", LetGo, true}, {"held past the tries", [](int) {}, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::WriteBytes(file, "[GLOBAL]\r\nIsMDI=1\r\n[FONT]\r\nFF0=old\r\n");
    const std::uint64_t before = test::FileIdentity(file);
    heldFile = HoldWithoutDeleteSharing(file);
    ASSERT_NE(heldFile, INVALID_HANDLE_VALUE);
    platform::SetBusyPause(c.pause);
    {
      ProfileFile action(host, file, ProfileFile::Writes::kTogether);
      action.WriteString("FONT", "FF0", "new");
      action.WriteString("FONT", "FF1", "new");
      action.Commit();
    }
    LetGo();
    EXPECT_EQ(test::FileIdentity(file) != before, c.replaced);
    const ProfileFile written(host, file);
    EXPECT_EQ(written.ReadString("FONT", "FF0", ""), "new");
    EXPECT_EQ(written.ReadString("FONT", "FF1", ""), "new");
    EXPECT_EQ(written.ReadString("GLOBAL", "IsMDI", ""), "1");
    EXPECT_EQ(test::FileNames(folder.path()), std::vector<std::string>{"Appcfg.ini"});
  }
}

TEST_F(WorkingCopyTest, AReplacedFileKeepsItsAttributesAndItsOwnPermissions) {
  test::WriteBytes(file, "[GLOBAL]\r\nIsMDI=1\r\n[FONT]\r\nFF0=old\r\n");
  ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
  // An installer's own list: everyone may write the file, the folder's
  // entries not inherited.
  PSECURITY_DESCRIPTOR own = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;FA;;;WD)", SDDL_REVISION_1, &own, nullptr));
  BOOL present = FALSE, defaulted = FALSE;
  PACL ownList = nullptr;
  GetSecurityDescriptorDacl(own, &present, &ownList, &defaulted);
  ASSERT_EQ(SetNamedSecurityInfoA(file.data(), SE_FILE_OBJECT,
                                  DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                  ownList, nullptr),
            static_cast<DWORD>(ERROR_SUCCESS));
  LocalFree(own);
  const std::uint64_t before = test::FileIdentity(file);
  const std::string ownText = PermissionsText(file);
  if (ownText != "D:P(A;;FA;;;WD)")
    std::printf("This file system keeps no permissions of a file's own; it shows %s\n", ownText.c_str());
  {
    ProfileFile action(host, file, ProfileFile::Writes::kTogether);
    action.WriteString("FONT", "FF0", "new");
    action.WriteString("FONT", "FF1", "new");
    action.Commit();
  }
  EXPECT_NE(test::FileIdentity(file), before);
  EXPECT_TRUE(GetFileAttributesA(file.c_str()) & FILE_ATTRIBUTE_HIDDEN);
  const ProfileFile written(host, file);
  EXPECT_EQ(written.ReadString("FONT", "FF0", ""), "new");
  EXPECT_EQ(written.ReadString("FONT", "FF1", ""), "new");
  EXPECT_EQ(written.ReadString("GLOBAL", "IsMDI", ""), "1");
  EXPECT_EQ(test::FileNames(folder.path()), std::vector<std::string>{"Appcfg.ini"});
  // Wine keeps no list of a file's own and shows one made from the file's
  // mode: what it shows must stay the same too.
  EXPECT_EQ(PermissionsText(file), ownText);
}

// What only the Windows file system tells about copies beside a file (an
// ended run's copy and a running program's are checked on both platforms by
// the unit tests): one whose id now belongs to a program that started after
// it was made is left over; one held open by anyone, and the live copy of
// an action under way, are not.
TEST_F(WorkingCopyTest, OnlyCopiesNoLiveProcessCanOwnAreRemoved) {
  test::WriteBytes(file, "[GLOBAL]\r\nIsMDI=1\r\n");
  const std::string reused = folder / ("~" + std::to_string(test::OtherRunningProcessId()) + ".qlm");
  const std::string held = folder / "~999999992.qlm";
  for (const std::string& path : {reused, held}) test::WriteBytes(path, "x");
  // Made long before any running process started.
  const HANDLE old = CreateFileA(reused.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  const FILETIME y2000 = {0x3BD14000u, 0x01BF53EBu};
  ASSERT_TRUE(SetFileTime(old, &y2000, nullptr, &y2000));
  CloseHandle(old);
  const HANDLE holder = HoldWithoutDeleteSharing(held);

  ProfileFile action(host, file, ProfileFile::Writes::kTogether);
  action.WriteString("GLOBAL", "IsMDI", "0");
  platform::RemoveStaleWorkingCopies({file});
  CloseHandle(holder);
  std::vector<std::string> expected = {"Appcfg.ini", "~999999992.qlm",
                                       test::WorkingCopyOf(file).substr(folder.path().size() + 1)};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(test::FileNames(folder.path()), expected);
  action.Commit();
  EXPECT_EQ(ProfileFile(host, file).ReadString("GLOBAL", "IsMDI", ""), "0");
}

// A moment's sharing violation does not make QLM.INI's folder count as
// unwritable for the run.
TEST_F(WorkingCopyTest, AFileLockedForAMomentCanStillBeWritten) {
  const std::string own = folder / "QLM.INI";
  test::WriteBytes(own, "[CONFIG]\r\n");
  const HANDLE locked = CreateFileA(own.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(locked, INVALID_HANDLE_VALUE);
  pauses.clear();
  platform::SetBusyPause([](int ms) { pauses.push_back(ms); });
  EXPECT_FALSE(platform::CanWriteFile(own));
  EXPECT_EQ(pauses.size(), platform::kBusyPausesMs.size());
  heldFile = locked;  // let go at the first pause
  platform::SetBusyPause(LetGo);
  EXPECT_TRUE(platform::CanWriteFile(own));
}

}  // namespace
}  // namespace qlm
