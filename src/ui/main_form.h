// main_form.h: the main window's state and behaviour, free of any window
// system: loading the settings into the controls, and every handler. The
// Win32 window (win32/) binds its real controls to the models here and asks
// FormWindow for what only a window can do.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ui/controls.h"
#include "settings/font_record.h"
#include "settings/tool_config.h"
#include "settings/tool_folder.h"
#include "settings/tool_history.h"
#include "ui/lazy_lists.h"

namespace qlm {
class ProfileFile;
class ToolConfig;
class ToolLink;
namespace platform { class Host; }
}  // namespace qlm

namespace qlm::ui {

// Answers of the yes/no question box.
inline constexpr int kYes = 6;
inline constexpr int kNo = 7;
inline constexpr int kClosed = 2;

// What the logic asks of the window it lives in.
class FormWindow {
 public:
  virtual ~FormWindow() = default;

  // The modal question box with Yes and No: kYes, kNo or kClosed.
  virtual int AskYesNo(const std::string& text) = 0;
  // Whether the Shift key is down at this moment.
  virtual bool IsShiftDown() const = 0;
  // The names of every installed font family, as the system enumerates them.
  virtual std::vector<std::string> FontFamilies() const = 0;
  // The names FontFamilies() holds for the family called family (matched
  // ignoring case), found by asking for that family alone where the window
  // can; by default taken from FontFamilies().
  virtual std::vector<std::string> FontFamiliesNamed(const std::string& family) const;
  // True when the window calls MainForm::CompleteLists before its font or
  // colour list can first be opened, used or read.
  virtual bool CompletesListsOnDemand() const { return false; }

  virtual void SetTopMost(bool topMost) = 0;
  virtual void SetShowHints(bool show) = 0;
  // The sample label's font: face, size in points, bold or not.
  virtual void SetFontSample(const std::string& face, int size, bool bold) = 0;
  virtual void SetStatusText(const std::string& text) = 0;
  // The window's outer top and left, as stored in the own settings.
  virtual int Top() const = 0;
  virtual int Left() const = 0;
  // Closes the window, which ends the program.
  virtual void Close() = 0;
  // The list of earlier states, one line each, the first selected: the
  // index of the line chosen with OK, or -1 for Cancel.
  virtual int ChooseState(const std::vector<std::string>& /*lines*/) { return -1; }
};

class MainForm {
 public:
  // settingsPath: QLM.INI, settled once at start (OwnSettingsPath).
  MainForm(platform::Host& host, ToolLink& link, FormWindow& window, std::string settingsPath);
  MainForm(const MainForm&) = delete;
  MainForm& operator=(const MainForm&) = delete;

  // Fills the controls with the current settings of the program and the
  // tool. False, after telling the user why, when the window cannot be used.
  // ownFile: QLM.INI as start-up opened it, read through rather than opened
  // again; by default the form opens it.
  bool LoadSettings(ProfileFile* ownFile = nullptr);

  // For a window that completes its lists on demand, loading puts into the
  // font and colour lists only the stored choice (see LazyLists); this puts
  // in the full lists, keeping the choice shown.
  void CompleteLists() { lists_.Complete(); }

  // The handlers of the controls.
  void FontNameChange() { ApplyFont(); }
  void FontStyleChange() { ApplyFont(); }
  // An arrow of the size box was clicked: step is +1 or -1.
  void FontSizeClick(int step);
  void ColourFileChange();
  void OkClick();
  void CancelClick();

  // The window's system menu: puts back the edited keys as loading found
  // them, or as a state the history recorded for this tool folder. Both ask
  // first; a refused write throws ProfileWriteError and leaves the file.
  void RestoreStartClick();
  void RestoreEarlierClick();
  // Whether anything was written to the tool's file in this run (the first
  // command is greyed until then).
  bool CanRestoreStart() const { return written_; }
  // The edited keys as loading found them.
  const ToolState& startState() const { return startState_; }

  // The status line follows the tool (closed, started again, switched to
  // another display style) without sending it anything: when the window is
  // activated, and every few seconds while real-time mode is on.
  void WindowActivated() { FollowTool(); }
  void StatusTimer() {
    if (realtime.checked()) FollowTool();
  }
  // How often the window calls StatusTimer.
  static constexpr unsigned kStatusTimerMs = 3000;

  // The controls.
  RadioModel windowStyle;  // 0 single-document, 1 multi-document display
  CheckModel toolBar;
  CheckModel tabBar;
  CheckModel tickerBar;
  ListModel colourFiles;
  FontControls font;
  CheckModel topMost;
  CheckModel realtime;

  // The state loading leaves.
  const std::string& toolFolder() const { return toolFolder_; }
  // The files the tool reads, settled at loading.
  const ToolFiles& toolFiles() const { return toolFiles_; }
  ToolKind toolKind() const { return toolKind_; }
  bool repeatMode() const { return repeatMode_; }
  std::int32_t posTop() const { return posTop_; }
  std::int32_t posLeft() const { return posLeft_; }
  const std::string& currentColourFile() const { return currentColourFile_; }
  int pixelsPerInch() const { return pixelsPerInch_; }

 private:
  // The steps of LoadSettings up to the status line; askFolder: the tool
  // folder is asked for where the user wants it asked. Refused: the folder
  // dialog was cancelled or no tool was found; file missing: the font or the
  // colour file the tool's file names is not there.
  enum class Load { kLoaded, kRefused, kFileMissing };
  Load LoadEverything(bool askFolder, ProfileFile* handedFile = nullptr);
  // Before a write to the tool's file: the first of the run records the
  // state loading found in the history.
  void BeforeWrite();
  // Asks (text naming the state's time, unless asked already) and puts
  // state back, then shows it as a reload would and, in real-time mode,
  // makes the tool follow. False when not put back.
  bool Restore(const ToolState& state, bool ask);
  bool PutBack(const ToolState& state);
  void ToolFollows(const ToolState& state);
  // After loading failed for a missing font or colour file: offers the
  // newest recorded state; true when it was put back.
  bool OfferRecordedState();
  void WindowStyleClick();
  void RealtimeClick();
  void EnterRealtime();
  // Unchecks Realtime as the user would.
  void LeaveRealtime();
  // What a reload leaves, whether it loaded, refused or raised: real-time
  // mode only for the same tool loaded whole, and the status line anew.
  void AfterReload(bool loaded, const std::string& folderBefore);
  void FollowTool();
  void ShowStatus(const std::string& text);
  // After the tool's file refused a real-time write: the control shows what
  // the file holds again (read back where it can be, else as before the
  // change), without running its handler.
  void ShowStoredBar(config::EditedKey docking, CheckModel& box);
  void ShowStoredStyle(int before);
  void ShowFontInFile();
  // The font as the controls show it.
  FontChoice ChosenFont() const;
  void RememberFontInFile();
  // Loading: show the file's font and colour file. False, after telling the
  // user, when the face is not installed or the colour file is missing.
  bool ShowStoredFont(const EditedValues& values);
  bool ShowStoredColour(const std::string& name);
  void ShowColourInFile(const std::string& current);
  // Runs write, a real-time write to the tool's file; when the file refuses
  // it, showFile puts the control back to what the file holds before the
  // error goes on, except while real-time mode is being entered (the
  // controls then keep what the user set, for OK).
  template <typename Write, typename ShowFile>
  void WriteOrShowFile(Write write, ShowFile showFile);
  template <typename Change>
  void Quietly(Change change);
  void TopMostClick();
  // docking: the bar's row in the table of edited keys.
  void ApplyBar(config::EditedKey docking, CheckModel& box);
  void ApplyWindowStyle();
  void ApplyFont();
  void ApplyColour();
  void UpdateFontSample();
  void RefreshToolStatus();
  // Enabling the bar check boxes leaves TradePro's tab bar as it is.
  void EnableBars(bool enabled);
  void SaveAndClose();

  platform::Host& host_;
  ToolLink& link_;
  FormWindow& window_;
  const std::string settingsPath_;
  // The history file, settled with the form.
  const std::string historyPath_;

  std::string toolFolder_;
  ToolFiles toolFiles_{std::string()};
  // The loaded tool's file, made again only when another tool is loaded.
  std::optional<ToolConfig> config_;
  std::int32_t posTop_ = -100;
  std::int32_t posLeft_ = -100;
  ToolKind toolKind_ = ToolKind::kNone;
  bool repeatMode_ = false;
  std::string currentColourFile_;
  int pixelsPerInch_;
  LazyLists lists_{window_, font.face, colourFiles};
  // Set while controls are put back without running their handlers.
  bool quiet_ = false;
  // Set while real-time mode is being entered: a refused write then ends it.
  bool entering_ = false;
  // The style the radio group showed before its last change.
  int styleShown_ = -1;
  // The font as last written to the tool's file in real-time mode.
  FontChoice fontInFile_;
  // Slot FF0's text as the tool's file holds it: as loaded, or as last written.
  std::string recordInFile_;
  std::string statusShown_;
  // The edited keys as loading found them in toolFolder_'s file.
  ToolState startState_;
  bool written_ = false;
  bool recorded_ = false;
};

}  // namespace qlm::ui
