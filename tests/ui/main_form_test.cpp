// The main window's behaviour without a window: loading, real-time mode, OK
// and Cancel, against a scripted desktop and fake tool windows.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <memory>

#include "platform/codepage.h"
#include "settings/errors.h"
#include "settings/messages.h"
#include "settings/own_settings.h"
#include "settings/profile.h"
#include "settings/tool_config.h"
#include "settings/tool_history.h"
#include "support/fake_tool.h"
#include "support/scripted_host.h"
#include "support/scripted_windows.h"
#include "test_support.h"
#include "toollink/tool_link.h"
#include "toollink/tool_messages.h"
#include "toollink/window_names.h"
#include "ui/main_form.h"
// Its rows are checked against the edited keys as it compiles.
#include "ui/win32/layout.h"

namespace qlm::ui {
namespace {

using platform::kNoWindow;
using platform::WindowHandle;
using test::Sjis;
using toollink::PlainName;
using toollink::WindowName;

class FakeFormWindow : public FormWindow {
 public:
  int AskYesNo(const std::string& text, int defaultAnswer) override {
    questions.push_back(text);
    defaults.push_back(defaultAnswer);
    if (answers.empty()) return kClosed;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  bool IsShiftDown() const override { return shift; }
  std::vector<std::string> FontFamilies() const override {
    ++enumerations;
    return families;
  }
  // Asked for one family alone: not counted as an enumeration of all.
  std::vector<std::string> FontFamiliesNamed(const std::string& family) const override {
    std::vector<std::string> named;
    for (const std::string& name : families)
      if (platform::CompareIgnoringCase(name, family) == 0) named.push_back(name);
    return named;
  }
  bool CompletesListsOnDemand() const override { return onDemand; }
  void SetTopMost(bool value) override { topMost.push_back(value); }
  void SetShowHints(bool show) override { hints = show; }
  void SetFontSample(const std::string& face, int size, bool bold) override {
    sample = face + "/" + std::to_string(size) + (bold ? "/bold" : "");
  }
  void SetStatusText(const std::string& text) override { status = text; }
  int Top() const override { return 30; }
  int Left() const override { return 40; }
  void Close() override { closed = true; }
  int ChooseState(const std::vector<std::string>& lines, int selected) override {
    listed = lines;
    shownSelected = selected;
    if (choices.empty()) return -1;
    const int choice = choices.front();
    choices.pop_front();
    return choice;
  }
  void ShowErrorBox(const std::string& text) override { errors.push_back(text); }

  std::deque<int> answers;
  std::vector<std::string> listed;
  int shownSelected = -1;
  // The lines chosen from the list, one for each time it is shown; then
  // Cancel.
  std::deque<int> choices;
  std::vector<std::string> questions;
  std::vector<int> defaults;
  std::vector<std::string> errors;
  bool shift = false;
  std::vector<std::string> families;
  mutable int enumerations = 0;
  bool onDemand = false;
  std::vector<bool> topMost;
  bool hints = false;
  std::string sample;
  std::string status;
  bool closed = false;
};

// A running tool of the other kinds in multi-document display, every bar
// shown; its commands toggle what they name.
struct RunningTool : test::FakeTool {
  RunningTool(platform::ScriptedWindows& windows, const std::string& title)
      : FakeTool(windows, ToolKind::kOther, title) {
    ShowDocumentsAsMdi(true);
    FollowCommands();
  }
};

class MainFormTest : public ::testing::Test {
 protected:
  MainFormTest() {
    for (const std::string& face : {std::string("Tahoma"), gothic}) host.InstallFont(face, platform::FontFace{});
    window.families = {"Tahoma", gothic};
    test::WriteBytes(tool + "System\\Sys.ini", "[INFO]\r\nTitle=Sample Tool\r\n");
    for (const char* name : {"Default.CLR", "Blue.clr"}) test::WriteBytes(tool + "Color\\" + name, "");
    ProfileFile(host, OwnSettingsPath(host)).WriteString("CONFIG", "TTPath", tool);
    form.font.style.SetItems({"normal", "bold"});
  }
  void Install(const char* executable, const std::string& config) {
    test::WriteBytes(tool + executable, "");
    test::WriteBytes(tool + "System\\Appcfg.ini", config);
  }
  // Installs the tool with config and loads it: true when it loaded.
  bool Load(const std::string& config) {
    Install("Takumi.exe", config);
    return form.LoadSettings();
  }
  // Loads config, which must fail: the notice that tells why.
  std::string WhyNotLoaded(const std::string& config) {
    EXPECT_FALSE(Load(config));
    return host.notices().empty() ? std::string() : host.notices().back();
  }
  std::string Stored(const char* section, const char* key) {
    return ProfileFile(host, tool + "System\\Appcfg.ini").ReadString(section, key, "<none>");
  }
  std::string Appcfg() const { return test::ReadBytes(tool + "System\\Appcfg.ini"); }
  // Cancel with Shift held, choosing the same tool again and continuing.
  void Reload(MainForm& reloaded) {
    window.shift = true;
    host.AnswerFileDialog(tool + "Takumi.exe");
    window.answers = {kYes};
    reloaded.CancelClick();
    window.shift = false;
  }
  // Checks Realtime and answers the caution with Yes.
  bool EnterRealtime() {
    window.answers = {kYes};
    form.realtime.SetChecked(true);
    return form.realtime.checked();
  }

  test::ScratchFolder folder;
  std::string tool = folder / "Tool\\";
  platform::ScriptedHost host{folder / "QLM.exe"};
  platform::ScriptedWindows windows;
  ToolLink link{windows, host};
  FakeFormWindow window;
  MainForm form{host, link, window, OwnSettingsPath(host)};
  const std::string gothic = Sjis("ＭＳ Ｐゴシック");
  const std::string fullConfig =
      "[GLOBAL]\r\nIsMDI=1\r\nCOLOR=Color\\BLUE.CLR\r\n[TOOLBAR]\r\nDOCKING=1\r\n[TRBAR]\r\nDOCKING=0\r\n"
      "[TICKERBAR]\r\nDOCKING=2\r\n";
};

TEST_F(MainFormTest, LoadingShowsEveryStoredValue) {
  Install("Takumi.exe", fullConfig);
  ProfileFile(host, OwnSettingsPath(host)).WriteString("CONFIG", "ShowHint", "0");
  ASSERT_TRUE(form.LoadSettings());
  EXPECT_EQ(form.toolKind(), ToolKind::kOther);
  EXPECT_EQ(form.windowStyle.selected(), 1);
  EXPECT_TRUE(form.toolBar.checked());
  EXPECT_FALSE(form.tabBar.checked());
  EXPECT_TRUE(form.tickerBar.checked());
  EXPECT_TRUE(form.toolBar.enabled() && form.tabBar.enabled() && form.windowStyle.enabled());
  EXPECT_EQ(form.colourFiles.text(), "Blue.clr");
  EXPECT_EQ(form.currentColourFile(), "BLUE.CLR");
  // Where the Japanese face sorts depends on the locale's collation.
  auto faces = form.font.face.items();
  std::sort(faces.begin(), faces.end());
  EXPECT_EQ(faces, (std::vector<std::string>{"Tahoma", gothic}));
  EXPECT_EQ(form.font.face.text(), gothic);
  EXPECT_EQ(form.font.size.text(), "9");
  EXPECT_EQ(window.sample, gothic + "/9");
  EXPECT_FALSE(window.hints);
  EXPECT_EQ(window.status, Sjis("Sample Tool プログラムは起動してません。"));
  EXPECT_EQ(form.posTop(), -100);
  EXPECT_TRUE(window.topMost.empty());
}

// Every load enables the controls whose keys its file holds and disables the
// others, whatever an earlier load found; real-time mode keeps the bars
// disabled in single-document display on top of it.
TEST_F(MainFormTest, EveryLoadEnablesWhatItsFileHolds) {
  const auto enabled = [this] {
    return std::vector<bool>{form.windowStyle.enabled(), form.toolBar.enabled(), form.tabBar.enabled(),
                             form.tickerBar.enabled()};
  };
  const std::string bare = "[GLOBAL]\r\nCOLOR=Color\\Blue.clr\r\n";
  std::string sdi = fullConfig;
  sdi.replace(sdi.find("IsMDI=1"), 7, "IsMDI=0");
  const std::pair<std::string, std::vector<bool>> loads[] = {
      {bare, {false, false, false, false}},
      {fullConfig, {true, true, true, true}},
      {bare + "[TRBAR]\r\nDOCKING=1\r\n", {false, false, true, false}},
      {sdi, {true, true, true, true}},
  };
  ASSERT_TRUE(Load(bare));
  for (const auto& [config, expected] : loads) {
    test::WriteBytes(tool + "System\\Appcfg.ini", config);
    Reload(form);
    EXPECT_EQ(enabled(), expected) << config;
  }

  RunningTool running(windows, "Sample Tool");
  running.ShowDocumentsAsMdi(false);
  ASSERT_TRUE(EnterRealtime());
  Reload(form);
  ASSERT_TRUE(form.realtime.checked());
  EXPECT_EQ(enabled(), (std::vector<bool>{true, false, false, false}));
}

TEST_F(MainFormTest, StylesOutOfRangeAreClamped) {
  ASSERT_TRUE(Load("[GLOBAL]\r\nIsMDI=5\r\n"));
  EXPECT_EQ(form.windowStyle.selected(), 1);
  Install("Takumi.exe", "[GLOBAL]\r\nIsMDI=-5\r\n");
  MainForm other(host, link, window, OwnSettingsPath(host));
  other.font.style.SetItems({"normal", "bold"});
  ASSERT_TRUE(other.LoadSettings());
  EXPECT_TRUE(other.windowStyle.enabled());
  EXPECT_EQ(other.windowStyle.selected(), -1);
  // No style chosen: OK leaves the stored one.
  other.OkClick();
  EXPECT_EQ(Stored("GLOBAL", "IsMDI"), "-5");
}

TEST_F(MainFormTest, LoadingFailsWithTheReasonShown) {
  test::WriteBytes(tool + "System\\Appcfg.ini", fullConfig);
  EXPECT_FALSE(form.LoadSettings());  // no supported executable
  EXPECT_EQ(host.notices().back(), Sjis("トレーディングツールがインストールされてません。"));

  EXPECT_EQ(WhyNotLoaded("[FONT]\r\nFF0=-12,0,0,0,400,0,0,0,128,3,2,1,50,Nowhere\r\n"),
            Sjis("フォント\nNowhere\nが存在しません。"));
  // The size (kept within range) and the style are shown all the same; faces
  // match exactly, case included.
  EXPECT_EQ(WhyNotLoaded("[FONT]\r\nFF0=-200,0,0,0,550,0,0,0,128,3,2,1,50,tahoma\r\n"),
            Sjis("フォント\ntahoma\nが存在しません。"));
  EXPECT_EQ(form.font.size.text(), "99");
  EXPECT_EQ(form.font.style.selected(), 1);

  EXPECT_EQ(WhyNotLoaded("[GLOBAL]\r\nCOLOR=Color\\Gone.CLR\r\n"), Sjis("CLRファイル\n[Gone.CLR]\nが存在しません。"));
  // An emptied colour folder leaves the list as the last load found it.
  for (const char* name : {"Default.CLR", "Blue.clr"}) test::RemoveFile(tool + "Color\\" + name);
  EXPECT_EQ(WhyNotLoaded("[GLOBAL]\r\nCOLOR=Color\\Night.CLR\r\n"), Sjis("CLRファイル\n[Night.CLR]\nが存在しません。"));
  EXPECT_EQ(form.colourFiles.items().size(), 2u);

  Install("Takumi.exe", "[FONT]\r\nFF0=-12,0,0,0,400,0,0,0,128,3,2,1,50\r\n");
  EXPECT_THROW(form.LoadSettings(), ListIndexError);
}

TEST_F(MainFormTest, RepeatModeOrShiftAsksForTheToolAgain) {
  Install("Takumi.exe", fullConfig);
  ProfileFile(host, OwnSettingsPath(host)).WriteString("CONFIG", "Repeat", "1");
  EXPECT_FALSE(form.LoadSettings());  // the dialog is cancelled
  EXPECT_EQ(host.fileDialogs().size(), 1u);
  EXPECT_TRUE(form.repeatMode());

  ProfileFile(host, OwnSettingsPath(host)).WriteString("CONFIG", "Repeat", "0");
  window.shift = true;
  host.AnswerFileDialog(tool + "Takumi.exe");
  EXPECT_TRUE(form.LoadSettings());
  EXPECT_EQ(host.fileDialogs().size(), 2u);
}

TEST_F(MainFormTest, StoredTopMostMakesTheWindowTopmostWhileLoading) {
  Install("Takumi.exe", fullConfig);
  ProfileFile(host, OwnSettingsPath(host)).WriteString("CONFIG", "TopMost", "1");
  ASSERT_TRUE(form.LoadSettings());
  EXPECT_EQ(window.topMost, std::vector<bool>{true});
}

// A reload that switches to another tool reads the stored TopMost before
// that tool's title: the tool it left must not be looked up, restored or
// brought forward, as at the first load no tool is.
TEST_F(MainFormTest, AReloadOfAnotherToolBringsNoOtherToolForward) {
  ASSERT_TRUE(Load(fullConfig));
  RunningTool left(windows, "Sample Tool");

  const std::string other = folder / "Other\\";
  test::WriteBytes(other + "Takumi.exe", "");
  test::WriteBytes(other + "System\\Appcfg.ini", fullConfig);
  test::WriteBytes(other + "System\\Sys.ini", "[INFO]\r\nTitle=Other Tool\r\n");
  test::WriteBytes(other + "Color\\Blue.clr", "");
  ProfileFile(host, OwnSettingsPath(host)).WriteString("CONFIG", "TopMost", "1");
  window.shift = true;
  host.AnswerFileDialog(other + "Takumi.exe");
  window.answers = {kYes};
  form.CancelClick();

  EXPECT_EQ(window.topMost, std::vector<bool>{true});
  EXPECT_EQ(windows.foreground(), kNoWindow);
  EXPECT_EQ(window.status, Sjis("Other Tool プログラムは起動してません。"));
}

TEST_F(MainFormTest, RealtimeNeedsARunningToolAndAYes) {
  ASSERT_TRUE(Load(fullConfig));
  form.realtime.SetChecked(true);
  EXPECT_FALSE(form.realtime.checked());
  EXPECT_EQ(host.notices().back(), Sjis("トレーディングツールが起動して無いので\nリアルタイム設定は出来ません。"));

  RunningTool running(windows, "Sample Tool");
  const std::string before = Appcfg();
  window.answers = {kNo, kClosed};
  form.realtime.SetChecked(true);
  EXPECT_FALSE(form.realtime.checked());
  form.realtime.SetChecked(true);  // the question closed by its close box
  EXPECT_FALSE(form.realtime.checked());
  EXPECT_EQ(window.questions.size(), 2u);
  EXPECT_EQ(Appcfg(), before);
  EXPECT_TRUE(running.Commands().empty());

  // A tool known to run with higher rights: refused without a question.
  windows.SetRefusing(running.main, true);
  form.realtime.SetChecked(true);
  EXPECT_FALSE(form.realtime.checked());
  EXPECT_EQ(window.questions.size(), 2u);
  EXPECT_EQ(host.notices().back(),
            Sjis("トレーディングツールが管理者として実行されているので\nリアルタイム設定は出来ません。\n"
                 "リアルタイム設定を使うときは、QLM.exe も管理者として実行してください。"));
  EXPECT_EQ(window.status, Sjis("Sample Tool 起動中。管理者として実行されています。"));
  EXPECT_EQ(Appcfg(), before);
}

TEST_F(MainFormTest, EnteringRealtimeAppliesEverythingAndTogglesOnlyWhatDiffers) {
  ASSERT_TRUE(Load(fullConfig));
  RunningTool running(windows, "Sample Tool");
  ASSERT_TRUE(EnterRealtime());
  // The tool shows every bar; the tab bar is unchecked here, so only it is
  // toggled, once.
  EXPECT_EQ(running.Commands(), std::vector<std::uintptr_t>{toolmsg::kToggleTabBar});
  EXPECT_EQ(Stored("GLOBAL", "IsMDI"), "1");
  EXPECT_EQ(Stored("TRBAR", "DOCKING"), "0");
  EXPECT_EQ(Stored("TICKERBAR", "DOCKING"), "1");
  EXPECT_EQ(Stored("FONT", "FF5"), "-11,0,0,0,700,0,0,0,128,0,0,0,0," + gothic);
  EXPECT_EQ(window.status, Sjis("Sample Tool 起動中。MDI表示。"));

  form.toolBar.SetChecked(false);
  EXPECT_EQ(Stored("TOOLBAR", "DOCKING"), "0");
  EXPECT_EQ(running.Commands().back(), toolmsg::kToggleToolBar);
  EXPECT_FALSE(windows.HasVisibleStyle(running.toolBar));

  // Single-document display: written, no command, bar boxes disabled.
  form.windowStyle.Select(0);
  EXPECT_EQ(running.Commands().back(), toolmsg::kSwitchDisplayStyle);
  EXPECT_FALSE(form.toolBar.enabled());
  const auto commands = running.Commands().size();
  form.toolBar.SetChecked(true);
  EXPECT_EQ(Stored("TOOLBAR", "DOCKING"), "1");
  EXPECT_EQ(running.Commands().size(), commands);

  // Back to multi-document display: the bars are applied again.
  form.windowStyle.Select(1);
  EXPECT_TRUE(form.toolBar.enabled());
  EXPECT_TRUE(windows.HasVisibleStyle(running.toolBar));
}

TEST_F(MainFormTest, OkWritesEverythingAndSavesTheOwnSettings) {
  ASSERT_TRUE(Load(fullConfig));
  form.FontSizeClick(+1);
  form.OkClick();
  EXPECT_TRUE(window.closed);
  EXPECT_EQ(Stored("GLOBAL", "COLOR"), "Color\\BLUE.CLR");
  EXPECT_EQ(Stored("FONT", "FF0"), "-13,0,0,0,400,0,0,0,128,0,0,0,0," + gothic);
  const OwnSettings own = ReadOwnSettings(host);
  EXPECT_EQ(own.posTop, 30);
  EXPECT_EQ(own.posLeft, 40);
  EXPECT_EQ(own.toolFolder, tool);
}

TEST_F(MainFormTest, LoadingRemovesCopiesThatAnEndedRunLeftHalfWritten) {
  Install("Takumi.exe", fullConfig);
  const std::string ownCopy = OwnSettingsPath(host) + ".qlm999999999.tmp";
  const std::string toolCopy = tool + "System\\Appcfg.ini.qlm999999999.tmp";
  test::WriteBytes(ownCopy, "[CONFIG]\r\nTTP");
  test::WriteBytes(toolCopy, "[GLOBAL]\r\nIsM");
  ASSERT_TRUE(form.LoadSettings());
  EXPECT_EQ(test::ReadBytes(ownCopy), "<missing>");
  EXPECT_EQ(test::ReadBytes(toolCopy), "<missing>");
  EXPECT_EQ(Appcfg(), fullConfig);
}

TEST_F(MainFormTest, OkRefusesBeforeWritingAnythingWhenTheFaceOrColourIsGone) {
  ASSERT_TRUE(Load(fullConfig));
  const std::string before = Appcfg();
  form.font.face.SetItems({"Gone", gothic});  // a face uninstalled since the list was made
  form.font.face.Select(0);
  form.OkClick();
  EXPECT_EQ(host.notices().back(), Sjis("フォント\nGone\nが存在しません。"));
  const auto& faces = form.font.face.items();
  form.font.face.Select(static_cast<int>(std::find(faces.begin(), faces.end(), gothic) - faces.begin()));
  ASSERT_TRUE(test::ReadBytes(tool + "Color\\Blue.clr") != "<missing>");
  test::RemoveFile(tool + "Color\\Blue.clr");
  form.OkClick();
  EXPECT_EQ(host.notices().back(), Sjis("CLRファイル\n[") + tool + Sjis("Color\\BLUE.CLR]\nが存在しません。"));
  EXPECT_EQ(Appcfg(), before);
  EXPECT_FALSE(window.closed);
}

// A tool file with a UTF-8 byte-order mark, whose first section the
// system's profile functions cannot read: the user is told at loading, and
// neither OK nor real-time mode writes into it.
TEST_F(MainFormTest, AFileWithAUtf8MarkIsToldOfAndNeverWritten) {
  const std::string marked = "\xEF\xBB\xBF" + fullConfig;
  Install("Takumi.exe", marked);
  const std::string notice = tool + Sjis("System\\Appcfg.ini\nは先頭にUTF-8のBOM(バイトオーダーマーク)が付いているため、"
                                         "Windowsでは最初のセクションを読めません。\nこのファイルには書き込みません。"
                                         "メモ帳で開き、[名前を付けて保存]で文字コードを「ANSI」にして保存し直してください。");
  ASSERT_TRUE(form.LoadSettings());
  EXPECT_EQ(host.notices(), std::vector<std::string>{notice});

  form.tabBar.SetChecked(true);
  form.OkClick();
  EXPECT_FALSE(window.closed);
  RunningTool running(windows, "Sample Tool");
  window.answers = {kYes};
  form.realtime.SetChecked(true);
  EXPECT_FALSE(form.realtime.checked());
  EXPECT_TRUE(window.questions.empty());
  EXPECT_TRUE(running.Commands().empty());
  EXPECT_EQ(host.notices(), std::vector<std::string>(3, notice));
  EXPECT_EQ(Appcfg(), marked);
}

// A window that completes its lists on demand: loading shows and tells
// exactly what it does with the full lists, which come once asked for.
class ListsOnDemandTest : public MainFormTest {
 protected:
  // What loading left, through a form of its own.
  struct Loaded {
    bool ok = false;
    std::vector<std::string> notices, faces, colours;
    std::string face, colour, current, thrown;
    int enumerations = 0;
  };
  Loaded Load(bool onDemand) {
    platform::ScriptedHost ownHost{folder / "QLM.exe"};
    for (const char* face : {"Tahoma", "TAHOMA", "Tahoma2"}) ownHost.InstallFont(face, platform::FontFace{});
    for (const std::string& face : {gothic, "@" + gothic}) ownHost.InstallFont(face, platform::FontFace{});
    platform::ScriptedWindows ownWindows;
    ToolLink ownLink{ownWindows, ownHost};
    FakeFormWindow ownWindow;
    ownWindow.families = window.families;
    ownWindow.onDemand = onDemand;
    MainForm loaded{ownHost, ownLink, ownWindow, OwnSettingsPath(ownHost)};
    loaded.font.style.SetItems({"normal", "bold"});
    Loaded result;
    try {
      result.ok = loaded.LoadSettings();
    } catch (const std::exception& error) {
      result.thrown = error.what();
    }
    result.enumerations = ownWindow.enumerations;
    result.face = loaded.font.face.text();
    result.colour = loaded.colourFiles.text();
    result.current = loaded.currentColourFile();
    loaded.CompleteLists();
    loaded.CompleteLists();  // once complete, nothing more
    result.notices = ownHost.notices();
    result.faces = loaded.font.face.items();
    result.colours = loaded.colourFiles.items();
    EXPECT_EQ(loaded.font.face.text(), result.face) << "the face shown changed as the list was completed";
    EXPECT_EQ(loaded.colourFiles.text(), result.colour) << "the colour file shown changed as the list was completed";
    EXPECT_LE(ownWindow.enumerations, 1);
    return result;
  }
  void ExpectSameAsFullLists(const std::string& colour, const std::string& font = "") {
    SCOPED_TRACE(colour + " " + font);
    Install("Takumi.exe", "[GLOBAL]\r\nIsMDI=1\r\nCOLOR=" + colour + "\r\n" + (font.empty() ? "" : "[FONT]\r\nFF0=" + font + "\r\n"));
    const Loaded full = Load(false), onDemand = Load(true);
    EXPECT_EQ(onDemand.ok, full.ok);
    EXPECT_EQ(onDemand.thrown, full.thrown);
    EXPECT_EQ(onDemand.notices, full.notices);
    EXPECT_EQ(onDemand.face, full.face);
    EXPECT_EQ(onDemand.colour, full.colour);
    EXPECT_EQ(onDemand.current, full.current);
    EXPECT_EQ(onDemand.faces, full.faces);
    EXPECT_EQ(onDemand.colours, full.colours);
  }
};

TEST_F(ListsOnDemandTest, OddStoredValuesLoadAsWithTheFullLists) {
  window.families = {"Tahoma", "TAHOMA", "Tahoma2", "@" + gothic, gothic};
  test::WriteBytes(tool + "Color\\Night.CLRX", "");
  test::WriteBytes(tool + "Color\\Night.CLR.bak", "");
  test::WriteBytes(tool + "Color\\Notes.txt", "");
  const std::string record = "-12,0,0,0,400,0,0,0,128,3,2,1,50,";
  ExpectSameAsFullLists("Color\\BLUE.CLR");
  ExpectSameAsFullLists("Color\\*.CLR");
  ExpectSameAsFullLists("Color\\Blu?.clr");
  ExpectSameAsFullLists("Color\\Blue");
  ExpectSameAsFullLists("Color\\Gone.CLR");
  ExpectSameAsFullLists("Color\\Night.CLRX");
  ExpectSameAsFullLists("Color\\Night.CLR");
  ExpectSameAsFullLists("Color\\Notes.txt");  // there, but no colour file
  ExpectSameAsFullLists("");
  ExpectSameAsFullLists("Color\\Blue.clr", record + "Default");
  ExpectSameAsFullLists("Color\\Blue.clr", record + "Tahoma");   // another family differs only in case
  ExpectSameAsFullLists("Color\\Blue.clr", record + "tahoma2");  // the family's own name differs
  ExpectSameAsFullLists("Color\\Blue.clr", record + "Nowhere");
  ExpectSameAsFullLists("Color\\Blue.clr", record + "@" + gothic);  // a vertical family: listed only so
  EXPECT_EQ(Load(true).face, "@" + gothic);
  ExpectSameAsFullLists("Color\\Blue.clr", record);
  ExpectSameAsFullLists("Color\\Blue.clr", "-12,0,0");
}

// After loading, the machine changes: a face installed (and a reload naming
// it), colour files removed. Completing the lists keeps what loading chose,
// as the full lists at load would have, and OK and real-time mode use it.
TEST_F(MainFormTest, ListsCompletedAfterTheMachineChangedKeepWhatLoadingChose) {
  const std::string meiryo = Sjis("メイリオ");
  const std::string record = "-12,0,0,0,400,0,0,0,128,3,2,1,50,";
  for (const bool onDemand : {false, true}) {
    SCOPED_TRACE(onDemand);
    MainForm loaded{host, link, window, OwnSettingsPath(host)};
    loaded.font.style.SetItems({"normal", "bold"});
    window.onDemand = onDemand;
    window.families = {"Tahoma", gothic};
    for (const char* name : {"Default.CLR", "Blue.clr"}) test::WriteBytes(tool + "Color\\" + name, "");
    Install("Takumi.exe", fullConfig + "[FONT]\r\nFF0=" + record + gothic + "\r\n");
    ASSERT_TRUE(loaded.LoadSettings());
    loaded.CompleteLists();

    window.families.push_back(meiryo);
    host.InstallFont(meiryo, platform::FontFace{});
    Install("Takumi.exe", fullConfig + "[FONT]\r\nFF0=" + record + meiryo + "\r\n");
    Reload(loaded);
    EXPECT_EQ(loaded.font.face.text(), meiryo);
    test::RemoveFile(tool + "Color\\Blue.clr");
    test::RemoveFile(tool + "Color\\Default.CLR");
    loaded.CompleteLists();
    EXPECT_EQ(loaded.font.face.text(), meiryo);
    EXPECT_EQ(loaded.colourFiles.text(), "Blue.clr");
    auto colours = loaded.colourFiles.items();
    std::sort(colours.begin(), colours.end());
    EXPECT_EQ(colours, (std::vector<std::string>{"Blue.clr", "Default.CLR"}));

    test::WriteBytes(tool + "Color\\Blue.clr", "");
    loaded.OkClick();
    EXPECT_EQ(Stored("FONT", "FF0"), "-12,0,0,0,400,0,0,0,128,0,0,0,0," + meiryo);
  }
}

TEST_F(MainFormTest, PickingAVanishedColourFileShowsTheCurrentOneAgain) {
  ASSERT_TRUE(Load(fullConfig));
  form.colourFiles.SetItems({"Blue.clr", "Default.CLR", "Gone.CLR"});
  form.colourFiles.Select(2);
  form.ColourFileChange();
  EXPECT_EQ(form.colourFiles.text(), "Blue.clr");
  EXPECT_EQ(form.currentColourFile(), "BLUE.CLR");
}

TEST_F(MainFormTest, CancelAsksToQuitAndWithShiftOffersAReload) {
  ASSERT_TRUE(Load(fullConfig));
  window.answers = {kNo};
  form.CancelClick();
  EXPECT_EQ(window.questions, std::vector<std::string>{Sjis("終了しますか？")});
  EXPECT_FALSE(window.closed);

  window.shift = true;
  window.questions.clear();
  host.AnswerFileDialog(tool + "Takumi.exe");
  window.answers = {kYes};
  form.CancelClick();
  EXPECT_EQ(window.questions, std::vector<std::string>{Sjis("継続しますか？")});

  // A reload that fails falls through to the quit question.
  test::WriteBytes(tool + "System\\Appcfg.ini", "[GLOBAL]\r\nCOLOR=Color\\Gone.CLR\r\n");
  window.questions.clear();
  host.AnswerFileDialog(tool + "Takumi.exe");
  window.answers = {kYes, kYes};
  form.CancelClick();
  EXPECT_EQ(window.questions, (std::vector<std::string>{Sjis("継続しますか？"), Sjis("終了しますか？")}));
  EXPECT_TRUE(window.closed);
  EXPECT_EQ(ReadOwnSettings(host).posTop, 30);
}

// The form keeps to the QLM.INI it was handed at start, for every read of a
// load and for the save at the end, whatever another look would settle now.
TEST_F(MainFormTest, TheSettingsFileHandedDownIsTheOneReadAndWritten) {
  Install("Takumi.exe", fullConfig);
  const std::string handed = folder / "Elsewhere\\QLM.INI";
  test::WriteBytes(handed, "[CONFIG]\r\nTTPath=" + tool + "\r\nShowHint=0\r\nTopMost=1\r\n"
                           "[ToolWindows]\r\nContainerTitle=" + std::string(300, 'x') + "\r\n");
  const std::string usual = test::ReadBytes(OwnSettingsPath(host));
  MainForm elsewhere(host, link, window, handed);
  ASSERT_TRUE(elsewhere.LoadSettings());
  EXPECT_TRUE(elsewhere.topMost.checked());
  EXPECT_FALSE(window.hints);
  EXPECT_EQ(host.notices().size(), 1u);  // the refused window name
  window.answers = {kYes};
  elsewhere.CancelClick();
  EXPECT_TRUE(window.closed);
  EXPECT_EQ(ProfileFile(host, handed).ReadString("CONFIG", "PosTop", "<none>"), "30");
  EXPECT_EQ(test::ReadBytes(OwnSettingsPath(host)), usual);
}

TEST_F(MainFormTest, AReloadShowsAndWritesTheSizeAsTheFirstShowDoes) {
  ASSERT_TRUE(Load(fullConfig + "[FONT]\r\nFF0=-200,0,0,0,400,0,0,0,128,3,2,1,50," + gothic + "\r\n"));
  form.font.size.KeepInRange();  // as the window's first show does
  EXPECT_EQ(form.font.size.text(), "99");
  window.shift = true;
  host.AnswerFileDialog(tool + "Takumi.exe");
  window.answers = {kYes};
  form.CancelClick();
  EXPECT_EQ(form.font.size.text(), "99");
  EXPECT_EQ(window.sample, gothic + "/99");
  form.OkClick();
  EXPECT_EQ(Stored("FONT", "FF0"), "-132,0,0,0,400,0,0,0,128,0,0,0,0," + gothic);
}

// A failed reload shows the file half loaded: real-time mode ends there, so
// nothing half loaded is written or sent, while the link still names the
// tool and the status line tells about it.
TEST_F(MainFormTest, AFailedReloadKeepsTheStatusAndTheLinkToTheTool) {
  ASSERT_TRUE(Load(fullConfig));
  RunningTool running(windows, "Sample Tool");
  ASSERT_TRUE(EnterRealtime());

  test::RemoveFile(tool + "Color\\Blue.clr");
  window.shift = true;
  host.AnswerFileDialog(tool + "Takumi.exe");
  window.answers = {kYes, kNo};  // continue, then do not quit
  form.CancelClick();
  ASSERT_FALSE(window.closed);
  EXPECT_EQ(window.status, Sjis("Sample Tool 起動中。MDI表示。"));
  EXPECT_FALSE(form.realtime.checked());
  EXPECT_EQ(link.toolWindow(), running.main);
  const auto commands = running.Commands();
  form.toolBar.SetChecked(false);
  EXPECT_EQ(Stored("TOOLBAR", "DOCKING"), "1");
  EXPECT_EQ(running.Commands(), commands);

  // The tool gone meanwhile: a failed reload says so.
  windows.Destroy(running.main);
  host.AnswerFileDialog(tool + "Takumi.exe");
  window.answers = {kYes, kNo};
  form.CancelClick();
  EXPECT_EQ(window.status, Sjis("Sample Tool プログラムは起動してません。"));

  // Started again: outside real-time mode the timer looks at nothing,
  // activation does, and following the tool sends it nothing.
  RunningTool again(windows, "Sample Tool");
  again.ShowDocumentsAsMdi(false);
  const std::size_t sent = windows.messages().size();
  form.StatusTimer();
  EXPECT_EQ(window.status, Sjis("Sample Tool プログラムは起動してません。"));
  form.WindowActivated();
  EXPECT_EQ(window.status, Sjis("Sample Tool 起動中。SDI表示。"));
  EXPECT_EQ(windows.messages().size(), sent);
  // In real-time mode the timer follows the tool as well.
  ASSERT_TRUE(EnterRealtime());
  windows.Destroy(again.main);
  form.StatusTimer();
  EXPECT_EQ(window.status, Sjis("Sample Tool プログラムは起動してません。"));
}

// --- Refused writes and reloads in real-time mode ---------------------------

// A form on windows of its own, for table rows that each start afresh.
struct OwnForm {
  OwnForm(platform::ScriptedHost& host, const FakeFormWindow& like)
      : link(tree, host), form(host, link, shell, OwnSettingsPath(host)) {
    shell.families = like.families;
    form.font.style.SetItems({"normal", "bold"});
  }
  platform::ScriptedWindows tree;
  ToolLink link;
  FakeFormWindow shell;
  MainForm form;
};

// The value a switch's control shows (1 for a checked box), and a change of
// it as the user makes it.
int Shown(const MainForm& form, const config::KeyRow& row) {
  return row.control == config::KeyControl::kStyleRadio ? form.windowStyle.selected() : form.box(row.key).checked();
}
bool Enabled(const MainForm& form, const config::KeyRow& row) {
  return row.control == config::KeyControl::kStyleRadio ? form.windowStyle.enabled() : form.box(row.key).enabled();
}
void Change(MainForm& form, const config::KeyRow& row, int value) {
  if (row.control == config::KeyControl::kStyleRadio) form.windowStyle.Select(value);
  else form.box(row.key).SetChecked(value != 0);
}

// Every key shown in the radio group or a check box, for every kind, stored
// alone (as 2, written back as 1): loading shows it, enabled only where the
// kind edits it (also after real-time mode), and disables the others;
// entering real-time mode, a change and OK write it only where the kind
// edits it (the others' boxes as they show, no style where none is chosen),
// and only then command the tool; a refused write shows the file's value
// again and stays in real-time mode; the first write records the state
// loading found.
TEST_F(MainFormTest, EverySwitchKeyFollowsItsRow) {
  for (const ToolTraits& kindRow : kToolKinds) {
    const ToolKind kind = kindRow.kind;
    if (kind == ToolKind::kNone) continue;
    const std::string executable(kindRow.executables[0]);
    for (const config::KeyRow& row : config::kEditedKeys) {
      if (!config::IsSwitch(row)) continue;
      const bool edited = config::EditedBy(row, kind);
      const std::string name = std::string(row.section) + "." + row.name + (edited ? "" : " kept by the tool");
      Install(executable.c_str(),
              TraitsOf(kind).bareColourName ? "[GLOBAL]\r\nCOLOR=Blue\r\n" : "[GLOBAL]\r\nCOLOR=Color\\Blue.clr\r\n");
      ProfileFile(host, tool + "System\\Appcfg.ini").WriteString(row.section, row.name, "2");
      OwnForm own(host, window);
      ASSERT_TRUE(own.form.LoadSettings()) << name;
      EXPECT_EQ(Shown(own.form, row), 1) << name;
      EXPECT_EQ(Enabled(own.form, row), edited) << name;
      for (const config::KeyRow& other : config::kEditedKeys)
        EXPECT_TRUE(!config::IsSwitch(other) || &other == &row || !Enabled(own.form, other)) << name << "/" << other.section;

      RunningTool running(own.tree, "Sample Tool");
      own.shell.answers = {kYes};
      own.form.realtime.SetChecked(true);
      ASSERT_TRUE(own.form.realtime.checked()) << name;
      EXPECT_EQ(Stored(row.section, row.name), edited ? "1" : "2") << name;
      const std::size_t commands = running.Commands().size();
      Change(own.form, row, 0);
      EXPECT_EQ(Stored(row.section, row.name), edited ? "0" : "2") << name;
      EXPECT_TRUE(edited || running.Commands().size() == commands) << name;
      EXPECT_EQ(ReadHistory(HistoryPath(OwnSettingsPath(host)), tool).at(0).state.values[config::IndexOf(row.key)], "2");
      if (edited) {
        test::RemoveFile(tool + "System\\Appcfg.ini");
        test::MakeFolder(tool + "System\\Appcfg.ini");
        EXPECT_THROW(Change(own.form, row, 1), ProfileWriteError) << name;
        EXPECT_EQ(Shown(own.form, row), 0) << name;
        EXPECT_TRUE(own.form.realtime.checked()) << name;
        test::RemoveFile(tool + "System\\Appcfg.ini");
      }
      own.form.realtime.SetChecked(false);
      EXPECT_EQ(Enabled(own.form, row), edited) << name;

      Change(own.form, row, 1);
      own.form.OkClick();
      EXPECT_EQ(Stored(row.section, row.name), edited ? "1" : "2") << name;
      for (const config::KeyRow& other : config::kEditedKeys) {
        if (!config::IsSwitch(other) || &other == &row) continue;
        const bool written = config::EditedBy(other, kind) && other.control != config::KeyControl::kStyleRadio;
        EXPECT_EQ(Stored(other.section, other.name), written ? "0" : "<none>") << name << "/" << other.section;
      }
    }
    test::TryRemoveFile(tool + executable);
  }
}

// After the tool's file refused a real-time write, each control shows what
// the file holds, which is what it showed before the change; the error goes
// on to the error box.
TEST_F(MainFormTest, ARefusedRealtimeWriteLeavesTheControlAsTheFileHoldsIt) {
  // Everything the controls show, as one text.
  const auto shown = [](const MainForm& f) {
    return std::to_string(f.toolBar.checked()) + std::to_string(f.windowStyle.selected()) + f.font.size.text() +
           std::to_string(f.font.style.selected()) + f.colourFiles.text() + "/" + f.currentColourFile();
  };
  struct Case {
    const char* name;
    std::function<void(MainForm&)> change;
  };
  const std::vector<Case> cases = {
      {"font size", [](MainForm& f) { f.FontSizeClick(+1); }},
      {"font style", [](MainForm& f) { f.font.style.Select(0), f.FontStyleChange(); }},
      {"colour", [](MainForm& f) { f.colourFiles.Select(f.colourFiles.items()[0] == "Blue.clr" ? 1 : 0), f.ColourFileChange(); }},
  };
  for (const Case& each : cases) {
    Install("Takumi.exe", fullConfig + "[FONT]\r\nFF0=-12,0,0,0,700,0,0,0,128,3,2,1,50," + gothic + "\r\n");
    OwnForm own(host, window);
    ASSERT_TRUE(own.form.LoadSettings()) << each.name;
    RunningTool running(own.tree, "Sample Tool");
    own.shell.answers = {kYes};
    own.form.realtime.SetChecked(true);
    ASSERT_TRUE(own.form.realtime.checked()) << each.name;
    const std::string shownBefore = shown(own.form);
    const std::size_t messages = own.tree.messages().size();

    // The file cannot be written any more.
    test::RemoveFile(tool + "System\\Appcfg.ini");
    test::MakeFolder(tool + "System\\Appcfg.ini");
    EXPECT_THROW(each.change(own.form), ProfileWriteError) << each.name;
    EXPECT_EQ(shown(own.form), shownBefore) << each.name;
    EXPECT_TRUE(own.form.realtime.checked()) << each.name;
    EXPECT_EQ(own.tree.messages().size(), messages) << each.name;
    test::RemoveFile(tool + "System\\Appcfg.ini");
  }
}

// A refused write while real-time mode is entered ends it; the controls keep
// what the user set, for OK.
TEST_F(MainFormTest, ARefusedWriteWhileEnteringRealtimeEndsIt) {
  ASSERT_TRUE(Load(fullConfig));
  RunningTool running(windows, "Sample Tool");
  form.tabBar.SetChecked(true);
  test::RemoveFile(tool + "System\\Appcfg.ini");
  test::MakeFolder(tool + "System\\Appcfg.ini");
  window.answers = {kYes};
  EXPECT_THROW(form.realtime.SetChecked(true), ProfileWriteError);
  EXPECT_FALSE(form.realtime.checked());
  EXPECT_TRUE(form.tabBar.checked());
  EXPECT_TRUE(running.Commands().empty());
  test::RemoveFile(tool + "System\\Appcfg.ini");
}

// After any reload, whether it loads, refuses or raises an error, real-time
// mode, the link and the status line agree with the tool whose file is shown.
TEST_F(MainFormTest, AfterAnyReloadRealtimeTheLinkAndTheStatusAgreeWithTheToolShown) {
  enum Outcome { kLoads, kRefuses, kRaises };
  const std::string record13 = "[FONT]\r\nFF0=-12,0,0,0,400,0,0,0,128,3,2,1,50\r\n";
  const struct {
    bool otherTool;
    std::string config;  // the file of the tool chosen
    const char* executable;
    Outcome outcome;
  } cases[] = {
      // A damaged record of the same tool, whose state entering real-time mode
      // recorded: the error box, then the offer of that state, not taken.
      {false, fullConfig, "Takumi.exe", kLoads}, {false, record13, "Takumi.exe", kRefuses},
      {true, fullConfig, "Takumi.exe", kLoads},  {true, fullConfig, "Notes.exe", kRefuses},
      {true, record13, "Takumi.exe", kRaises},
  };
  const std::string otherFolder = folder / "Other\\";
  for (const auto& [otherTool, config, executable, outcome] : cases) {
    SCOPED_TRACE(std::to_string(otherTool) + executable + std::to_string(outcome));
    Install("Takumi.exe", fullConfig);
    OwnForm own(host, window);
    ProfileFile(host, OwnSettingsPath(host)).WriteString("CONFIG", "TTPath", tool);
    ASSERT_TRUE(own.form.LoadSettings());
    RunningTool sample(own.tree, "Sample Tool"), other(own.tree, "Other Tool");
    own.shell.answers = {kYes};
    own.form.realtime.SetChecked(true);
    ASSERT_TRUE(own.form.realtime.checked());

    const std::string chosen = otherTool ? otherFolder : tool;
    test::WriteBytes(chosen + "System\\Appcfg.ini", config);
    if (otherTool) {
      test::WriteBytes(otherFolder + executable, "");
      test::WriteBytes(otherFolder + "System\\Sys.ini", "[INFO]\r\nTitle=Other Tool\r\n");
      test::WriteBytes(otherFolder + "Color\\Blue.clr", "");
    }
    // The dialog offers the tool's executable; the stored folder is what counts.
    ProfileFile(host, OwnSettingsPath(host)).WriteString("CONFIG", "TTPath", chosen);
    own.tree.OnMessage(sample.main, {});
    const std::size_t before = own.tree.messages().size();
    if (outcome == kRaises)
      EXPECT_ANY_THROW(own.form.LoadSettings());
    else
      EXPECT_EQ(own.form.LoadSettings(), outcome == kLoads);

    EXPECT_EQ(own.form.realtime.checked(), !otherTool && outcome == kLoads);
    const bool none = otherTool && outcome == kRefuses;
    const std::string title = none ? "" : otherTool ? "Other Tool" : "Sample Tool";
    if (!none) {
      EXPECT_EQ(own.link.toolTitle(), title);
    }
    EXPECT_EQ(own.link.toolWindow(), none ? kNoWindow : otherTool ? other.main : sample.main);
    EXPECT_EQ(own.shell.status, title + Sjis(none ? " プログラムは起動してません。" : " 起動中。MDI表示。"));
    // Nothing reached the tool that was left.
    for (std::size_t i = before; otherTool && i < own.tree.messages().size(); ++i)
      EXPECT_NE(own.tree.messages()[i].window, sample.main);
    test::RemoveFile(otherFolder + executable);
  }
}

// Putting the tool's settings back.
class RestoreTest : public MainFormTest {
 protected:
  // The edited keys of the tool's file now.
  ToolState Now() { return CaptureToolState(ToolConfig(host, tool), ToolKind::kOther, ""); }
  std::vector<RecordedState> History() { return ReadHistory(HistoryPath(OwnSettingsPath(host)), tool); }
  // Another run of the program, on the same windows.
  std::unique_ptr<MainForm> NextRun() {
    auto next = std::make_unique<MainForm>(host, link, window, OwnSettingsPath(host));
    next->font.style.SetItems({"normal", "bold"});
    return next;
  }
  // Stored values spelt otherwise than the program writes them, keys absent
  // (FF0 to FF5) and one present but empty ([TRBAR]), and a key never edited.
  const std::string start =
      "[GLOBAL]\r\nIsMDI=01\r\nCOLOR=Color\\BLUE.CLR\r\nOther=kept\r\n[TOOLBAR]\r\nDOCKING=1\r\n"
      "[TRBAR]\r\nDOCKING=\r\n[TICKERBAR]\r\nDOCKING=2\r\n";
};

TEST_F(RestoreTest, ARestoreThePlatformRefusesLeavesTheFileAsItWas) {
  Install("Takumi.exe", start);
  // Runs whose OK cannot write record nothing.
  test::SetReadOnly(tool + "System\\Appcfg.ini", true);
  for (int run = 0; run < 2; ++run) {
    const auto refused = NextRun();
    ASSERT_TRUE(refused->LoadSettings());
    EXPECT_THROW(refused->OkClick(), ProfileWriteError);
  }
  EXPECT_TRUE(History().empty());
  test::SetReadOnly(tool + "System\\Appcfg.ini", false);
  ASSERT_TRUE(form.LoadSettings());
  form.tabBar.SetChecked(true);
  form.OkClick();
  const std::string written = Appcfg();
  test::SetReadOnly(tool + "System\\Appcfg.ini", true);
  window.answers = {kNo};
  form.RestoreStartClick();  // No writes nothing
  window.answers = {kYes};
  EXPECT_THROW(form.RestoreStartClick(), ProfileWriteError);
  test::SetReadOnly(tool + "System\\Appcfg.ini", false);
  EXPECT_EQ(Appcfg(), written);
}

TEST_F(RestoreTest, AnEarlierStateIsChosenFromTheListNewestFirst) {
  ASSERT_TRUE(Load(start));
  const ToolState first = Now();
  form.OkClick();
  // A second run starts from what the first one saved.
  const auto second = NextRun();
  ASSERT_TRUE(second->LoadSettings());
  const ToolState saved = Now();
  second->tickerBar.SetChecked(false);
  second->OkClick();

  const auto third = NextRun();
  ASSERT_TRUE(third->LoadSettings());
  const ToolState found = Now();
  EXPECT_FALSE(third->CanRestoreStart());
  third->RestoreEarlierClick();
  ASSERT_EQ(window.listed.size(), 2u);
  EXPECT_NE(window.listed[0].find(" / Color\\BLUE.CLR / " + gothic + " 9pt"), std::string::npos);
  EXPECT_EQ(Now().values[4], std::optional<std::string>("0")) << "Cancel puts nothing back";
  window.choices = {1};
  window.answers = {kNo};
  third->RestoreEarlierClick();
  EXPECT_EQ(Now().values[4], std::optional<std::string>("0")) << "No puts nothing back";
  EXPECT_EQ(window.shownSelected, 1) << "No returns to the list, the line still chosen";
  EXPECT_EQ(window.defaults.back(), kNo);
  window.choices = {1};
  window.answers = {kYes};
  third->topMost.SetChecked(true);
  third->RestoreEarlierClick();
  EXPECT_EQ(Now().values, first.values);
  EXPECT_TRUE(third->tickerBar.checked());
  EXPECT_TRUE(third->topMost.checked()) << "a restore reloads the tool's file alone";
  // The state that the third run found was recorded before it wrote.
  const std::vector<RecordedState> history = History();
  ASSERT_EQ(history.size(), 3u);
  EXPECT_EQ(history[0].state.values, found.values);
  EXPECT_EQ(history[1].state.values, saved.values);
}

// After a failed load only a state that would load is offered, No by
// default; put back, it is the state the run starts from.
TEST_F(RestoreTest, AFailedLoadOffersTheNewestRecordedStateThatWouldLoad) {
  const std::string nowhere = "[FONT]\r\nFF0=-12,0,0,0,400,0,0,0,128,3,2,1,50,Nowhere\r\n";
  const auto record = [&](const char* time) {
    RecordState(host, HistoryPath(OwnSettingsPath(host)), CaptureToolState(ToolConfig(host, tool), ToolKind::kOther, time));
  };
  Install("Takumi.exe", start);
  const ToolState good = Now();
  record("2026/12/07 10:00:01");
  test::WriteBytes(tool + "System\\Appcfg.ini", nowhere);
  record("2026/12/07 10:00:02");  // newer, and naming a font that is not there
  struct Case {
    const char* name;
    std::string broken;
    int answer;
    bool damaged;
  } cases[] = {
      {"missing font, Yes", nowhere, kYes, false},
      {"missing colour file, Yes", "[GLOBAL]\r\nCOLOR=Color\\Gone.CLR\r\n", kYes, false},
      {"font record of 13 fields, Yes", "[FONT]\r\nFF0=-12,0,0,0,400,0,0,0,128,3,2,1,50\r\n", kYes, true},
      {"missing font, No", nowhere, kNo, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::WriteBytes(tool + "System\\Appcfg.ini", c.broken);
    window.questions.clear();
    window.errors.clear();
    window.answers = {c.answer};
    const auto run = NextRun();
    EXPECT_EQ(run->LoadSettings(), c.answer == kYes);
    ASSERT_EQ(window.questions.size(), 1u);
    EXPECT_NE(window.questions[0].find("10:00:01"), std::string::npos);
    EXPECT_EQ(window.defaults.back(), kNo);
    EXPECT_EQ(window.errors.size(), c.damaged ? 1u : 0u) << "the error box comes first";
    if (c.answer == kYes) {
      EXPECT_EQ(Now().values, good.values);
      EXPECT_EQ(run->startState().values, good.values) << "the repaired state is the one to go back to";
    } else {
      EXPECT_EQ(Appcfg(), c.broken);
    }
  }
  // No recorded state would load: nothing is offered or written.
  test::RemoveFile(tool + "Color\\Blue.clr");
  window.questions.clear();
  EXPECT_FALSE(NextRun()->LoadSettings());
  EXPECT_TRUE(window.questions.empty());
  EXPECT_EQ(Appcfg(), nowhere);
}

// A history that cannot be written, or that an editor saved as UTF-8, is
// told of once and stops no change; the start state is still known to the
// run. Working copies that ended runs left of it go at loading.
TEST_F(RestoreTest, AHistoryThatCannotBeWrittenIsToldOnceAndStopsNoChange) {
  const std::string history = HistoryPath(OwnSettingsPath(host));
  const std::string marked = "\xEF\xBB\xBF[T00000000-1]\r\nFolder=x\r\n";
  const struct {
    std::function<void()> make;
    std::string notice;
  } cases[] = {
      {[&] { test::WriteBytes(history, marked); }, SubstituteWhole(host.Text(msg::kConfigUtf8Mark), history)},
      {[&] { test::MakeFolder(history); }, host.Text(msg::kHistoryNotWritten)},
  };
  for (const auto& c : cases) {
    Install("Takumi.exe", start);
    c.make();
    test::WriteBytes(history + ".qlm999999999.tmp", "x");
    OwnForm own(host, window);
    RunningTool running(own.tree, "Sample Tool");
    ASSERT_TRUE(own.form.LoadSettings());
    EXPECT_FALSE(test::TryRemoveFile(history + ".qlm999999999.tmp"));
    own.shell.answers = {kYes};
    own.form.realtime.SetChecked(true);
    own.form.toolBar.SetChecked(false);
    own.form.tickerBar.SetChecked(false);
    EXPECT_EQ(Stored("TOOLBAR", "DOCKING"), "0");
    EXPECT_EQ(std::count(host.notices().begin(), host.notices().end(), c.notice), 1);
    own.shell.answers = {kYes};
    own.form.RestoreStartClick();
    EXPECT_EQ(Stored("TOOLBAR", "DOCKING"), "1");
    if (c.notice != host.Text(msg::kHistoryNotWritten)) {
      EXPECT_EQ(test::ReadBytes(history), marked);
    }
    test::TryRemoveFile(history);
  }
}

// A value longer than the platform reads whole (a hand-edited file) would
// come back cut: neither its start state nor its recorded one is applied.
TEST_F(RestoreTest, AValueTooLongToReadWholeIsNeverPutBack) {
  ASSERT_TRUE(Load(start + "[FONT]\r\nFF1=" + std::string(5000, 'x') + "\r\n"));
  form.tabBar.SetChecked(true);
  form.OkClick();
  const std::string written = Appcfg();
  window.answers = {kYes};
  form.RestoreStartClick();
  EXPECT_EQ(Appcfg(), written);
  EXPECT_EQ(host.notices().back(), host.Text(msg::kStateNotWhole));
  const std::vector<RecordedState> history = History();
  ASSERT_EQ(history.size(), 1u);
  EXPECT_FALSE(history[0].readable);
}

}  // namespace
}  // namespace qlm::ui
