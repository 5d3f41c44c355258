// main_form.h: the main window's state and behaviour, free of any window
// system: loading the settings into the controls, and every handler. The
// Win32 window (win32/) binds its real controls to the models here and asks
// FormWindow for what only a window can do. Defined in three files: loading,
// OK and Cancel (main_form.cpp), real-time writing (main_form_realtime.cpp),
// the history and restoring (main_form_history.cpp).
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ui/controls.h"
#include "settings/font_record.h"
#include "settings/start_context.h"
#include "settings/tool_config.h"
#include "settings/tool_folder.h"
#include "settings/tool_history.h"
#include "ui/form_window.h"
#include "ui/lazy_lists.h"

namespace qlm {
class ProfileFile;
class ToolConfig;
class ToolLink;
namespace platform { class Host; }
}  // namespace qlm

namespace qlm::ui {

class MainForm {
 public:
  // start: what the program settled at start, the tool taken by the first
  // load of the same folder.
  MainForm(platform::Host& host, ToolLink& link, FormWindow& window, StartContext start);
  // settingsPath: QLM.INI, settled once at start (OwnSettingsPath); the tool
  // is settled by the first load.
  MainForm(platform::Host& host, ToolLink& link, FormWindow& window, std::string settingsPath)
      : MainForm(host, link, window, StartContextOf(std::move(settingsPath))) {}
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
  // them, or as a state the history recorded for this tool folder. Both
  // check first that the state would load, and put back nothing that would
  // not; then ask, No by default; a refused write throws ProfileWriteError
  // and leaves the file.
  void RestoreStartClick();
  void RestoreEarlierClick();
  // Whether anything was written to the loaded tool's file in this run (the
  // first command is greyed until then).
  bool CanRestoreStart() const { return written_ && startState_.folder == toolFolder_; }
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

 private:
  // Before the names of its boxes below.
  std::array<CheckModel, config::kKeyCount> boxes_;

 public:
  // The controls.
  RadioModel windowStyle;  // 0 single-document, 1 multi-document display
  // The check box of each edited key shown in one, by the key's row.
  CheckModel& box(config::EditedKey key) { return boxes_[config::IndexOf(key)]; }
  const CheckModel& box(config::EditedKey key) const { return boxes_[config::IndexOf(key)]; }
  CheckModel& toolBar = box(config::EditedKey::kToolBar);
  CheckModel& tabBar = box(config::EditedKey::kTabBar);
  CheckModel& tickerBar = box(config::EditedKey::kTickerBar);
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
  // The steps of LoadSettings up to the status line. Refused: the folder
  // dialog was cancelled or no tool was found; file missing: the font or the
  // colour file the tool's file names is not there.
  enum class Load { kLoaded, kRefused, kFileMissing };
  // All of them; askFolder: the tool folder is asked for where the user
  // wants it asked.
  Load LoadEverything(bool askFolder, ProfileFile* handedFile);
  // QLM.INI's part: Repeat, the tool folder and the own settings.
  Load LoadOwnSettings(bool askFolder, ProfileFile& ownFile);
  // The tool in the folder: its kind, its files and its windows' names.
  Load SettleTool(ProfileFile& ownFile);
  // The tool's file into the controls and the lists; what a restore reloads.
  Load ShowToolValues();
  // Runs load, a (re)load of the window, and leaves what AfterReload leaves;
  // true when it loaded.
  template <typename LoadStep>
  bool Reload(LoadStep load);
  // Shows the tool's file again as loading does, without the controls'
  // handlers writing it back: what a restore leaves.
  bool ReloadToolValues();
  // After a successful write to the tool's file: the first of the run
  // records the state loading found in the history.
  void AfterWrite();
  // Whether the history file is marked as UTF-8 (told once a run): it is
  // then neither written nor trusted.
  bool HistoryMarked();
  // Why state, put back, would not load (the message loading would show),
  // or nothing when it would; keys the state does not hold count as the
  // file holds them now.
  std::optional<std::string> WhyNotRestorable(const ToolState& state);
  std::optional<std::string> WhyNotLoadable(const EditedValues& values);
  // Tells why when state would not load.
  bool Restorable(const ToolState& state);
  // The question before a restore, No by default.
  bool ConfirmRestore(const ToolState& state);
  // Puts state back, then shows the tool's file as a reload would and, in
  // real-time mode, makes the tool follow. False when not loaded.
  bool Restore(const ToolState& state);
  bool PutBack(const ToolState& state);
  void ToolFollows(const ToolState& state);
  // After loading failed for a missing font or colour file, or a damaged
  // font record: offers offer, the newest recorded state that would load
  // (NewestLoadable); true when it was put back, which is then the state
  // this run starts from.
  bool OfferRecordedState(const RecordedState& offer);
  std::optional<RecordedState> NewestLoadable();
  void WindowStyleClick();
  void RealtimeClick();
  // The checks and the question before real-time mode: false, after telling
  // the user why, when it is not entered.
  bool MayEnterRealtime();
  void EnterRealtime();
  // Unchecks Realtime as the user would.
  void LeaveRealtime();
  // What a reload leaves, whether it loaded, refused or raised: real-time
  // mode only for the same tool loaded whole, and the status line anew.
  void AfterReload(bool loaded, const std::string& folderBefore);
  void FollowTool();
  void ShowStatus(const std::string& text);
  // After the tool's file refused a real-time write: the switch shows what
  // the file holds again (read back where it can be, else before: as before
  // the change), without running its handler.
  void ShowStoredSwitch(const config::KeyRow& row, int before);
  // Shows a stored switch value in its control, running its handler when
  // the state changes.
  void ShowSwitch(const config::KeyRow& row, std::int32_t value);
  // The value a switch's control shows, as OK writes it.
  int SwitchShown(const config::KeyRow& row) const;
  void EnableSwitch(const config::KeyRow& row, bool enabled);
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
  // Runs change, which puts controls back without their handlers writing.
  void Quietly(const std::function<void()>& change);
  void TopMostClick();
  // A check box's handler: in real-time mode its key is written and a bar
  // commanded.
  void ApplyCheck(const config::KeyRow& row);
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
  // What start settled: QLM.INI and the history beside it; its tool goes
  // to the first load.
  StartContext start_;
  // Whether the history is marked as UTF-8, once asked.
  std::optional<bool> historyMarked_;

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
  LazyLists lists_{window_, host_, font.face, colourFiles};
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
