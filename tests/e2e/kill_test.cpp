// The tool's settings file when Quillmate is ended abruptly (a crash, a
// forced end, a power cut) while it writes: killed at random moments during
// real-time size clicks and during OK, the file must hold exactly its content
// before or after some click, with all of the tool's other settings, and the
// next start must leave no working copy behind.
#include <random>
#include <set>
#include <thread>

#include "platform/working_copy_name.h"
#include "qlm_driver.h"
#include "standin_session.h"

namespace qlm::e2e {
namespace {

using namespace ui;
using test::StandInSession;

constexpr int kClicks = 6;

// A tool file with some thousands of lines of the tool's other settings
// around the values Quillmate edits.
std::string LargeAppcfg() {
  std::string text = "[GLOBAL]\r\nIsMDI=1\r\nCOLOR=Color\\Night.CLR\r\nLastUser=trader\r\n";
  for (int section = 0; section < 60; ++section) {
    text += "[BOARD" + std::to_string(section) + "]\r\n";
    for (int key = 0; key < 50; ++key)
      text += "Column" + std::to_string(key) + "=" + std::to_string(section * 1000 + key) + ",120,1,0\r\n";
    if (section == 20) text += "[TOOLBAR]\r\nDOCKING=1\r\n[TRBAR]\r\nDOCKING=1\r\n[TICKERBAR]\r\nDOCKING=1\r\n";
  }
  return text + "[FONT]\r\nFF0=" + S("-12,0,0,0,400,0,0,0,128,3,2,1,50,ＭＳ Ｐゴシック") + "\r\n";
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

FILETIME WriteTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
  return data.ftLastWriteTime;
}

// How a kill is timed.
enum class Moment {
  kRandom,          // at a random moment of the burst
  kCopyAppears,     // as soon as the working copy exists
  kWhileCopying,    // a moment after that, while the copy is written
  kFileReplaced,    // as soon as the file itself has changed
};

class KillTest : public DesktopTest {
 protected:
  void SetUp() override {
    DesktopTest::SetUp();
    if (IsSkipped()) return;
    ASSERT_TRUE(tool.Start());
    // Real-time mode at its first entry writes the font slots and the colour
    // in Quillmate's form; a file already in that form is left unchanged by
    // entering, so every state below comes from clicks alone.
    {
      Quillmate qlm(Quillmate::OwnIniFor(tool.folder()));
      ASSERT_TRUE(qlm.StartInRealtime()) << qlm.Boxes();
    }
    states.push_back(test::ReadBytes(tool.ConfigPath()));
    Quillmate qlm(Quillmate::OwnIniFor(tool.folder()));
    ASSERT_TRUE(qlm.StartInRealtime()) << qlm.Boxes();
    ASSERT_EQ(test::ReadBytes(tool.ConfigPath()), states[0]) << "entering real-time mode changed the file";
    for (int i = 0; i < kClicks; ++i) {
      qlm.ClickArrow(true);
      qlm.Settle();
      states.push_back(test::ReadBytes(tool.ConfigPath()));
      ASSERT_NE(states.back(), states[states.size() - 2]) << "click " << i + 1 << " changed nothing";
    }
  }

  // Puts the file back as it was before the clicks, with no copy beside it.
  void Restore() const { test::WriteBytes(tool.ConfigPath(), states[0]); }

  // Waits for the moment, then kills the program.
  void KillAt(Moment moment, Quillmate& qlm, std::chrono::microseconds randomDelay) {
    const std::string copy = platform::WorkingCopyName(tool.ConfigPath(), qlm.processId());
    const FILETIME before = WriteTime(tool.ConfigPath());
    const auto start = std::chrono::steady_clock::now();
    const auto deadline = start + std::chrono::seconds(5);
    auto due = [&] {
      switch (moment) {
        case Moment::kRandom:
          return std::chrono::steady_clock::now() - start >= randomDelay;
        case Moment::kCopyAppears:
        case Moment::kWhileCopying:
          return Exists(copy);
        case Moment::kFileReplaced: {
          const FILETIME now = WriteTime(tool.ConfigPath());
          return CompareFileTime(&before, &now) != 0;
        }
      }
      return true;
    };
    while (!due() && std::chrono::steady_clock::now() < deadline) {
    }
    if (moment == Moment::kWhileCopying) {
      const auto until = std::chrono::steady_clock::now() + randomDelay / 50;
      while (std::chrono::steady_clock::now() < until) {
      }
    }
    qlm.Kill();
  }

  // The file holds one of the states the clicks pass through, whole.
  void ExpectWhole(const std::set<std::size_t>& allowed, const std::string& trial) const {
    const std::string now = test::ReadBytes(tool.ConfigPath());
    for (std::size_t index : allowed)
      if (now == states[index]) return;
    ADD_FAILURE() << trial << ": the file is damaged (" << now.size() << " bytes; whole states have "
                  << states[0].size() << " to " << states.back().size() << ")";
  }

  StandInSession tool{"Takumi.exe", UniqueTitle("壊れないツール"), LargeAppcfg()};
  // The file before the clicks, then after each of them.
  std::vector<std::string> states;
};

TEST_F(KillTest, KilledDuringRealtimeClicksOrOkTheFileIsWholeOldOrWholeNew) {
  std::random_device seed;
  const unsigned seedValue = seed();
  SCOPED_TRACE("seed " + std::to_string(seedValue));
  std::mt19937 random(seedValue);
  const Moment moments[] = {Moment::kRandom, Moment::kCopyAppears, Moment::kWhileCopying, Moment::kFileReplaced};
  std::set<std::size_t> anyState;
  for (std::size_t i = 0; i < states.size(); ++i) anyState.insert(i);

  // 44 kills during six queued real-time clicks, then 16 during OK with the
  // size one up, which writes what the first click writes in real time.
  for (int trial = 0; trial < 60; ++trial) {
    const bool realtime = trial < 44;
    Restore();
    Quillmate qlm(Quillmate::OwnIniFor(tool.folder()));
    ASSERT_TRUE(qlm.Start());
    ASSERT_TRUE(qlm.WaitForMainWindow()) << qlm.Boxes();
    if (realtime) {
      ASSERT_TRUE(qlm.EnterRealtime()) << qlm.Boxes();
      qlm.PostArrowClicks(true, kClicks);
    } else {
      qlm.ClickArrow(true);
      qlm.ClickAsync(kOk);
    }
    const Moment moment = moments[trial % 4];
    const int longest = realtime ? 150000 : 60000;
    KillAt(moment, qlm, std::chrono::microseconds(std::uniform_int_distribution<int>(0, longest)(random)));
    const std::string name = (realtime ? "real-time trial " : "OK trial ") + std::to_string(trial) + " (moment " +
                             std::to_string(static_cast<int>(moment)) + ")";
    ExpectWhole(realtime ? anyState : std::set<std::size_t>{0, 1}, name);
    EXPECT_EQ(ReadIni(qlm.OwnIniPath())["CONFIG"]["TTPath"], tool.folder()) << "QLM.INI in " << name;
  }

  // The next start removes what the killed runs left half written.
  Quillmate qlm(Quillmate::OwnIniFor(tool.folder()));
  ASSERT_TRUE(qlm.Start());
  ASSERT_TRUE(qlm.WaitForMainWindow()) << qlm.Boxes();
  EXPECT_EQ(test::FileNames(tool.folder() + "System"), (std::vector<std::string>{"Appcfg.ini", "Sys.ini"}));
}

}  // namespace
}  // namespace qlm::e2e
