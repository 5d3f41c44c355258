// The main window's arithmetic and texts.
#include <gtest/gtest.h>

#include "test_support.h"
#include "ui/form_rules.h"

namespace qlm::ui {
namespace {

using Widths = std::vector<int>;

TEST(FitStatusPanels, RightPanelsKeepTheirWidthsAndTheLeftmostFittingOneTakesTheRest) {
  EXPECT_EQ(FitStatusPanels(313, {200, 50}), (Widths{263, 50}));
  EXPECT_EQ(FitStatusPanels(250, {200, 50}), (Widths{200, 50}));
  EXPECT_EQ(FitStatusPanels(100, {200, 50}), (Widths{50, 50}));
  EXPECT_EQ(FitStatusPanels(40, {200, 50}), (Widths{0, 40}));  // narrower than the last panel
  EXPECT_EQ(FitStatusPanels(100, {10, 20, 50}), (Widths{30, 20, 50}));
  EXPECT_EQ(FitStatusPanels(60, {10, 20, 50}), (Widths{0, 10, 50}));
  EXPECT_EQ(FitStatusPanels(313, {200}), (Widths{313}));
  EXPECT_EQ(FitStatusPanels(313, {}), Widths{});
}

TEST(PlaceWindow, StoredOrCentredOnThePrimaryScreen) {
  const std::vector<Rect> screen{{0, 0, 1024, 738}};
  EXPECT_EQ(PlaceWindow(100, 40, 319, 266, 29, 1024, 768, screen), (Placement{40, 100}));
  EXPECT_EQ(PlaceWindow(-100, 40, 319, 266, 29, 1024, 768, screen), (Placement{40, 251}));
  EXPECT_EQ(PlaceWindow(-100, -100, 319, 266, 29, 1024, 768, screen), (Placement{352, 251}));
  EXPECT_EQ(PlaceWindow(5000, 40, 319, 266, 29, 1024, 768, screen), (Placement{352, 251}));
  const std::vector<Rect> two{{0, 0, 1024, 738}, {1024, 0, 2048, 768}};
  EXPECT_EQ(PlaceWindow(10, 1500, 319, 266, 29, 1024, 768, two), (Placement{1500, 10}));
}

TEST(PlaceWindow, AWindowWhoseTitleBarCannotBeTakenHoldOfIsCentred) {
  const std::vector<Rect> screen{{0, 0, 1024, 738}};
  // Only the bottom right corner on the screen, the title bar above it.
  EXPECT_EQ(PlaceWindow(-240, -250, 319, 262, 29, 1024, 768, screen), (Placement{352, 253}));
  EXPECT_EQ(PlaceWindow(-200, -300, 319, 266, 29, 1024, 768, screen), (Placement{352, 251}));
  // Under the task bar: in the screen, but not in the work area.
  EXPECT_EQ(PlaceWindow(735, 40, 319, 266, 29, 1024, 768, screen), (Placement{352, 251}));
  // Title bar partly out: reachable while a grip of it is left.
  EXPECT_EQ(PlaceWindow(-10, -250, 319, 266, 29, 1024, 768, screen), (Placement{-250, -10}));
  EXPECT_EQ(PlaceWindow(10, 1024 - 48, 319, 266, 29, 1024, 768, screen), (Placement{976, 10}));
  EXPECT_EQ(PlaceWindow(10, 1024 - 40, 319, 266, 29, 1024, 768, screen), (Placement{352, 251}));
  // Between two monitors, the title bar across both.
  const std::vector<Rect> two{{0, 0, 1024, 738}, {1024, 0, 2048, 768}};
  EXPECT_EQ(PlaceWindow(10, 1000, 319, 266, 29, 1024, 768, two), (Placement{1000, 10}));
  EXPECT_EQ(PlaceWindow(-25, 1500, 319, 266, 29, 1024, 768, two), (Placement{352, 251}));
}

// Pushed off to the left, the title bar shows its buttons first: they cannot
// drag the window. 57 is three 18-pixel buttons, the gap and the frame (the
// classic look); 146 three 46-pixel buttons and a wider frame.
TEST(PlaceWindow, TheTitleBarsButtonsAreNoGrip) {
  const std::vector<Rect> screen{{0, 0, 1024, 738}};
  const Placement centred{352, 251};
  const struct {
    int left, buttons;
    bool kept;
  } cases[] = {
      {-271, 57, false},  // the buttons alone on the screen
      {-250, 57, false},  // 12 pixels to drag by
      {-200, 57, true},   // 62
      {-200, 146, false},
      {-150, 146, false},  // 23
      {-120, 146, true},   // 53
      {1024 - 48, 146, true},  // the left end of the title bar on the screen
      {-271, 0, true},     // nothing known of the buttons
  };
  for (const auto& [left, buttons, kept] : cases)
    EXPECT_EQ(PlaceWindow(100, left, 319, 266, 29, 1024, 768, screen, buttons), (kept ? Placement{left, 100} : centred))
        << left << " " << buttons;
}

TEST(ApplicationTitle, FileNameUpToTheFirstDotCapitalisedOnce) {
  EXPECT_EQ(ApplicationTitle("C:\\Tools\\QLM.exe"), "Qlm");
  EXPECT_EQ(ApplicationTitle("C:\\Tools\\my.tool.EXE"), "my");
  EXPECT_EQ(ApplicationTitle("QLMX"), "Qlmx");
  // The folder 表 (0x95 0x5C) does not end the path early.
  EXPECT_EQ(ApplicationTitle("C:\\" + test::Sjis("表") + "\\AB.exe"), "Ab");
}

TEST(ErrorBoxText, APeriodFollowsTextsEndingAboveThePeriod) {
  EXPECT_EQ(ErrorBoxText(""), "");
  EXPECT_EQ(ErrorBoxText("C:\\x.ini " + test::Sjis("に書き込めません")),
            "C:\\x.ini " + test::Sjis("に書き込めません") + ".");
  EXPECT_EQ(ErrorBoxText("(13)"), "(13)");
  EXPECT_EQ(ErrorBoxText("done."), "done.");
  EXPECT_EQ(ErrorBoxText("a-"), "a-");
  EXPECT_EQ(ErrorBoxText("a/"), "a/.");
}

// The About box's link: the guide's web page, else its text, in a folder
// named in Japanese (表 ends in the byte of a backslash).
TEST(GuideBeside, TheWebPageElseTheTextElseNothing) {
  test::ScratchFolder scratch;
  const std::string folder = scratch / (test::Sjis("表") + "\\"), exe = folder + "QLM.exe";
  EXPECT_EQ(GuideBeside(exe), std::nullopt);
  for (const char* name : {"README-ja.txt", "README-ja.html"}) {
    test::WriteBytes(folder + name, "");
    EXPECT_EQ(GuideBeside(exe), folder + name);
  }
}

}  // namespace
}  // namespace qlm::ui
