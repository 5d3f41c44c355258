// main_form.cpp: loading the main window and its handlers.
#include "ui/main_form.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "platform/codepage.h"
#include "platform/file_search.h"
#include "platform/host.h"
#include "platform/paths.h"
#include "platform/profile_store.h"
#include "settings/colour_catalogue.h"
#include "settings/errors.h"
#include "settings/font_record.h"
#include "settings/messages.h"
#include "settings/own_settings.h"
#include "settings/profile.h"
#include "settings/start_checks.h"
#include "settings/tool_config.h"
#include "toollink/tool_link.h"
#include "toollink/tool_messages.h"
#include "toollink/window_names_section.h"

namespace qlm::ui {

namespace {

// Matches a colour file's name as the file system does, ignoring case.
auto SameFileAs(const std::string& name) {
  return [&name](const std::string& item) { return platform::CompareIgnoringCase(item, name) == 0; };
}

}  // namespace

MainForm::MainForm(platform::Host& host, ToolLink& link, FormWindow& window, StartContext start)
    : host_(host),
      link_(link),
      window_(window),
      settingsPath_(start.settingsPath),
      historyPath_(start.historyPath),
      start_(std::move(start)),
      pixelsPerInch_(host.ScreenPixelsPerInch()) {
  config_.emplace(host_, toolFiles_);
  windowStyle.onClick = [this] { WindowStyleClick(); };
  for (const config::KeyRow& row : config::kEditedKeys)
    if (config::InCheckBox(row)) box(row.key).onClick = [this, &row] { ApplyCheck(row); };
  topMost.onClick = [this] { TopMostClick(); };
  realtime.onClick = [this] { RealtimeClick(); };
  link_.statusChanged = [this](const std::string& status) { ShowStatus(status); };
}

bool MainForm::LoadSettings(ProfileFile* ownFile) {
  return Reload([&] {
    Load load = Load::kRefused;
    std::optional<RecordedState> offer;
    try {
      load = LoadEverything(true, ownFile);
    } catch (const DamagedValueError& error) {
      // A damaged font record: after its error box, the same offer as for a
      // missing font, where a recorded state would load; else as before.
      offer = NewestLoadable();
      if (!offer) throw;
      window_.ShowErrorBox(error.what());
      load = Load::kFileMissing;
    }
    if (load == Load::kFileMissing && !offer) offer = NewestLoadable();
    if (offer && OfferRecordedState(*offer)) Quietly([&] { load = ShowToolValues(); });
    return load == Load::kLoaded;
  });
}

template <typename LoadStep>
bool MainForm::Reload(LoadStep load) {
  const std::string folderBefore = toolFolder_;
  bool loaded = false;
  try {
    loaded = load();
  } catch (...) {
    AfterReload(false, folderBefore);
    throw;
  }
  AfterReload(loaded, folderBefore);
  return loaded;
}

// Also after a failure or an error: a failed reload leaves the window in
// use, and its status line, link and real-time mode must agree with the tool
// whose file it shows. Real-time mode stays only where the same tool's file
// was loaded whole: controls filled half way must not be written or sent.
void MainForm::AfterReload(bool loaded, const std::string& folderBefore) {
  if (!loaded || toolFolder_ != folderBefore) LeaveRealtime();
  if (loaded) RememberFontInFile();
  RefreshToolStatus();
}

FontChoice MainForm::ChosenFont() const {
  return FontChoice{.face = font.face.text(), .bold = font.style.selected() != 0, .size = font.size.position()};
}

void MainForm::RememberFontInFile() { fontInFile_ = ChosenFont(); }

void MainForm::LeaveRealtime() {
  if (realtime.checked()) realtime.SetChecked(false);
}

MainForm::Load MainForm::LoadEverything(bool askFolder, ProfileFile* handedFile) {
  // One opening of QLM.INI for everything read from it here (at start, the
  // one the program opened to settle the tool folder); a folder chosen now
  // is read back from it as it was stored.
  std::optional<ProfileFile> opened;
  ProfileFile& ownFile = handedFile ? *handedFile : opened.emplace(host_, settingsPath_);
  Load load = LoadOwnSettings(askFolder, ownFile);
  if (load == Load::kLoaded) load = SettleTool(ownFile);
  if (load == Load::kLoaded) load = ShowToolValues();
  return load;
}

MainForm::Load MainForm::LoadOwnSettings(bool askFolder, ProfileFile& ownFile) {
  repeatMode_ = ReadRepeatMode(ownFile);
  if (askFolder && (repeatMode_ || window_.IsShiftDown()) && !LocateToolFolder(host_, ownFile, LocateMode::kForced))
    return Load::kRefused;
  const OwnSettings own = ReadOwnSettings(ownFile);
  // A reload that switched tools: the TopMost handler below must not find,
  // restore or bring forward the tool that was left. Until the new tool's
  // title is read, no tool is looked up, as at the first load.
  if (own.toolFolder != toolFolder_) {
    link_.SetTool(ToolKind::kNone, "");
    // Real-time mode was entered for the tool that was left: the new tool's
    // values must not be written back or sent while they are loaded.
    LeaveRealtime();
  }
  toolFolder_ = own.toolFolder;
  posTop_ = own.posTop;
  posLeft_ = own.posLeft;
  topMost.SetChecked(own.topMost);
  window_.SetShowHints(own.showHint);
  return Load::kLoaded;
}

MainForm::Load MainForm::SettleTool(ProfileFile& ownFile) {
  // The tool's kind and the files it really reads (its copies in the
  // virtual store), from one look at its folder: at the first load, the look
  // start took.
  SettledTool tool = TakeSettledTool(start_, toolFolder_);
  toolKind_ = tool.kind;
  toolFiles_ = std::move(tool.files);
  config_.emplace(host_, toolFiles_);
  if (toolKind_ == ToolKind::kNone) {
    host_.ShowNotice(host_.Text(msg::kToolNotInstalled));
    return Load::kRefused;
  }
  // Working copies left by a run that was ended in the middle of a write,
  // beside both places of QLM.INI, the history and the tool's file: each
  // folder searched once.
  std::vector<std::string> files = OwnSettingsPlaces(host_);
  files.push_back(historyPath_);
  for (std::string& place : toolFiles_.Places(tool::kConfigFile)) files.push_back(std::move(place));
  platform::RemoveStaleWorkingCopies(files);
  link_.SetTool(toolKind_, ReadToolTitle(host_, toolFiles_));
  link_.SetWindowNames(LoadToolWindowNames(host_, ownFile));
  return Load::kLoaded;
}

MainForm::Load MainForm::ShowToolValues() {
  // One reading of the tool's file, for the controls and the state to go
  // back to; what the platform parsed is let go before the window
  // allocates more.
  ToolState found;
  {
    const ToolConfig config = config_->Held();
    found = CaptureToolState(config, toolKind_, LocalTimeNow());
    config.ReleaseParsedCopy();
  }
  const EditedValues& values = found.values;
  recordInFile_ = StoredRecord(host_, values);
  TellIfUtf8Marked(host_, config_->Path(), msg::kConfigUtf8Mark);
  const std::string colourFile = StoredColourFile(values, toolKind_);
  lists_.FillForLoading(StoredFace(host_, values), colourFile, toolFiles_);
  // Every load enables what the file holds and disables what it lacks: a
  // reload into another tool's file must not keep the last one's gaps. A key
  // the tool's kind keeps itself is shown as stored but never enabled: OK
  // would not write it.
  for (const config::KeyRow& row : config::kEditedKeys) {
    if (!config::IsSwitch(row)) continue;
    const std::int32_t stored = StoredSwitch(values, row.key);
    const bool absent = stored == config::kAbsent && row.absent == config::WhenAbsent::kDisables;
    EnableSwitch(row, !absent && config::EditedBy(row, toolKind_));
    if (!absent) ShowSwitch(row, stored);
  }
  // Real-time mode keeps the bars disabled in single-document display.
  if (realtime.checked() && windowStyle.selected() == 0) EnableBars(false);

  if (!ShowStoredFont(values) || !ShowStoredColour(colourFile)) return Load::kFileMissing;
  // The state to go back to: as this tool's file was first loaded whole, or
  // loaded again before anything was written to it. A state that did not
  // load is never one to go back to.
  if (!written_ || startState_.folder != toolFolder_) {
    startState_ = std::move(found);
    written_ = recorded_ = false;
  }
  return Load::kLoaded;
}

bool MainForm::ShowStoredFont(const EditedValues& values) {
  const FontChoice stored = FontChoiceOf(host_, values, pixelsPerInch_);
  font.size.Show(stored.size);
  // The arrows keep their position within 1 to 99 and show it: on a reload
  // as once the window is first shown, also when the face is not found.
  font.size.KeepInRange();
  font.style.Select(stored.bold ? 1 : 0);
  // Faces are matched exactly, case included; a face not listed keeps the
  // choice shown before.
  font.face.SelectFirst([&](const std::string& face) { return face == stored.face; });
  if (font.face.selected() < 0) {
    host_.ShowNotice(Substitute(host_.Text(msg::kFontMissing), stored.face));
    return false;
  }
  UpdateFontSample();
  return true;
}

bool MainForm::ShowStoredColour(const std::string& name) {
  colourFiles.SelectFirst(SameFileAs(name));
  if (colourFiles.selected() < 0) {
    host_.ShowNotice(Substitute(host_.Text(msg::kColourFileMissing), name));
    return false;
  }
  if (!ConfirmColourFile(host_, toolFiles_, name)) return false;
  currentColourFile_ = name;
  return true;
}

void MainForm::RefreshToolStatus() { ShowStatus(link_.RefreshToolStatus()); }

void MainForm::FollowTool() { ShowStatus(link_.ProbeToolStatus()); }

// The periodic check would otherwise redraw the status line every time.
void MainForm::ShowStatus(const std::string& text) {
  if (text == statusShown_) return;
  statusShown_ = text;
  window_.SetStatusText(text);
}

template <typename Write, typename ShowFile>
void MainForm::WriteOrShowFile(Write write, ShowFile showFile) {
  try {
    write();
  } catch (const ProfileWriteError&) {
    if (!entering_) showFile();
    throw;
  }
}

template <typename Change>
void MainForm::Quietly(Change change) {
  const bool was = quiet_;
  quiet_ = true;
  try {
    change();
  } catch (...) {
    quiet_ = was;
    throw;
  }
  quiet_ = was;
}

void MainForm::ShowStoredSwitch(const config::KeyRow& row, int before) {
  const std::int32_t stored = config_->ReadInteger(row.key);
  Quietly([&] { ShowSwitch(row, stored == config::kAbsent ? before : stored); });
}

void MainForm::ShowSwitch(const config::KeyRow& row, std::int32_t value) {
  if (row.control == config::KeyControl::kStyleRadio) windowStyle.Select(std::clamp(value, -1, 1));
  else box(row.key).SetChecked(value != 0);
}

int MainForm::SwitchShown(const config::KeyRow& row) const {
  if (row.control == config::KeyControl::kStyleRadio) return windowStyle.selected();
  return box(row.key).checked() ? 1 : 0;
}

void MainForm::EnableSwitch(const config::KeyRow& row, bool enabled) {
  if (row.control == config::KeyControl::kStyleRadio) windowStyle.SetEnabled(enabled);
  else box(row.key).SetEnabled(enabled);
}

void MainForm::ShowFontInFile() {
  if (fontInFile_.face.empty()) return;
  font.face.SelectFirst([this](const std::string& face) { return face == fontInFile_.face; });
  font.style.Select(fontInFile_.bold ? 1 : 0);
  font.size.Show(fontInFile_.size);
  UpdateFontSample();
}

void MainForm::ShowColourInFile(const std::string& current) {
  currentColourFile_ = current;
  if (!colourFiles.SelectFirst(SameFileAs(currentColourFile_))) colourFiles.Select(-1);
}

void MainForm::UpdateFontSample() {
  if (font.face.selected() < 0) return;
  window_.SetFontSample(font.face.text(), font.size.position(), font.style.selected() == 1);
}

void MainForm::EnableBars(bool enabled) {
  for (const config::KeyRow& row : config::kEditedKeys)
    if (row.control == config::KeyControl::kBarCheckBox && (!enabled || config::EditedBy(row, toolKind_)))
      box(row.key).SetEnabled(enabled);
}

void MainForm::ApplyCheck(const config::KeyRow& row) {
  if (!realtime.checked() || quiet_) return;
  // Where OK does not store a key it is not commanded either.
  if (!config::EditedBy(row, toolKind_)) return;
  const CheckModel& shown = box(row.key);
  WriteOrShowFile([&] { config_->WriteInteger(row.key, shown.checked() ? 1 : 0); },
                  [&] { ShowStoredSwitch(row, shown.checked() ? 0 : 1); });
  AfterWrite();
  if (row.control != config::KeyControl::kBarCheckBox || windowStyle.selected() == 0) return;
  // The bar is named by its section.
  if (shown.checked() != link_.IsBarVisible(row.section)) link_.SendToolCommand(BarCommand(toolKind_, row.section));
}

void MainForm::WindowStyleClick() {
  const int before = styleShown_;
  styleShown_ = windowStyle.selected();
  if (quiet_) return;
  WriteOrShowFile([&] { ApplyWindowStyle(); },
                  [&] {
                    if (windowStyle.selected() == styleShown_)
                      ShowStoredSwitch(config::KeyOf(config::EditedKey::kIsMdi), before);
                  });
}

void MainForm::ApplyWindowStyle() {
  if (!realtime.checked()) return;
  const int style = windowStyle.selected();
  // With no style chosen (the tool stores none) there is nothing to write and
  // no display style to switch to; a tool that keeps its style itself is
  // neither written nor commanded.
  if (style != -1 && config::EditedBy(config::KeyOf(config::EditedKey::kIsMdi), toolKind_)) {
    config_->WriteInteger(config::EditedKey::kIsMdi, style);
    AfterWrite();
    if ((link_.IsMdiDisplay() ? 1 : 0) != style) link_.SendToolCommand(toolmsg::kSwitchDisplayStyle);
  }
  RefreshToolStatus();
  if (style != 0) {
    EnableBars(true);
    for (const config::KeyRow& row : config::kEditedKeys)
      if (row.control == config::KeyControl::kBarCheckBox) box(row.key).onClick();
  } else {
    EnableBars(false);
  }
}

void MainForm::ApplyFont() {
  if (realtime.checked()) {
    const FontChoice choice = ChosenFont();
    // Asked once, before the working copy is made: a face that is not
    // installed writes nothing.
    if (const auto face = FindChosenFace(host_, choice)) {
      const ToolConfig edit = config_->Edit();
      WriteOrShowFile(
          [&] {
            const std::string written = WriteFontSlots(edit, pixelsPerInch_, choice, *face, recordInFile_);
            edit.Commit();
            recordInFile_ = written;
          },
          [&] { ShowFontInFile(); });
      AfterWrite();
      RememberFontInFile();
      link_.NotifyFontChanged();
    }
  }
  UpdateFontSample();
}

void MainForm::ApplyColour() {
  if (!realtime.checked()) return;
  if (!SaveColourSetting(*config_, toolKind_, currentColourFile_)) return;
  AfterWrite();
  link_.NotifyColourChanged();
}

void MainForm::FontSizeClick(int step) {
  font.size.Step(step);
  ApplyFont();
}

void MainForm::ColourFileChange() {
  const std::string before = currentColourFile_;
  if (!ConfirmColourFile(host_, toolFiles_, colourFiles.text())) {
    // The chosen file has gone: show the one still in force, which is what
    // OK will save.
    ShowColourInFile(before);
    return;
  }
  currentColourFile_ = colourFiles.text();
  WriteOrShowFile([&] { ApplyColour(); }, [&] { ShowColourInFile(before); });
}

void MainForm::RealtimeClick() {
  if (!realtime.checked()) {
    EnableBars(true);
    return;
  }
  if (!MayEnterRealtime()) {
    realtime.SetChecked(false);
    return;
  }
  // A refused write (or any error) leaves real-time mode: the controls keep
  // what the user set, for OK, and the tool is not driven from values its
  // file lacks.
  entering_ = true;
  try {
    EnterRealtime();
  } catch (...) {
    entering_ = false;
    LeaveRealtime();
    throw;
  }
  entering_ = false;
}

bool MainForm::MayEnterRealtime() {
  RefreshToolStatus();
  if (link_.toolWindow() == platform::kNoWindow) {
    host_.ShowNotice(host_.Text(msg::kRealtimeNeedsTool));
    return false;
  }
  // A file the system reads otherwise than Quillmate is not written.
  if (TellIfUtf8Marked(host_, config_->Path(), msg::kConfigUtf8Mark)) return false;
  // The desktop would drop every command and notification to a tool that
  // runs with higher rights; this program never asks for them itself.
  if (link_.RunsWithHigherRights()) {
    host_.ShowNotice(host_.Text(msg::kRealtimeNeedsSameRights));
    return false;
  }
  // Only a Yes enters real-time mode: closing the question writes nothing.
  return window_.AskYesNo(host_.Text(msg::kRealtimeCaution), kYes) == kYes;
}

void MainForm::EnterRealtime() {
  config::ForEachSwitch(toolKind_, [&](const config::KeyRow& row) {
    if (row.control == config::KeyControl::kStyleRadio) ApplyWindowStyle();
    else box(row.key).onClick();
  });
  ApplyFont();
  ApplyColour();
}

void MainForm::TopMostClick() {
  if (topMost.checked()) {
    RefreshToolStatus();
    link_.BringToolForward();
    window_.SetTopMost(true);
  } else {
    window_.SetTopMost(false);
  }
}

void MainForm::OkClick() {
  // Everything that can refuse is checked before anything is written, so a
  // refusal leaves the tool's file as it was.
  const FontChoice chosen = ChosenFont();
  const auto face = FindChosenFace(host_, chosen);
  if (!face) {
    host_.ShowNotice(Substitute(host_.Text(msg::kFontMissing), chosen.face));
    return;
  }
  const std::string colourPath = ColourFilePath(toolFiles_, currentColourFile_);
  if (!platform::FileExists(colourPath)) {
    host_.ShowNotice(SubstitutePath(host_.Text(msg::kColourFileMissing), colourPath));
    return;
  }
  if (TellIfUtf8Marked(host_, config_->Path(), msg::kConfigUtf8Mark)) return;
  // Everything lands in the tool's file together, or nothing does.
  const ToolConfig edit = config_->Edit();
  WriteFontSlots(edit, pixelsPerInch_, chosen, *face, recordInFile_);
  if (!SaveColourSetting(edit, toolKind_, currentColourFile_)) return;
  // A disabled control is written as it shows; no style chosen (the tool
  // stores none) is not written.
  config::ForEachSwitch(toolKind_, [&](const config::KeyRow& row) {
    if (const int value = SwitchShown(row); value != -1) edit.WriteInteger(row.key, value);
  });
  edit.Commit();
  AfterWrite();
  SaveAndClose();
}

void MainForm::AfterWrite() {
  written_ = true;
  if (recorded_) return;
  // Tried once a run: a history that cannot be written never stops the
  // change, and the user hears of it once.
  recorded_ = true;
  if (HistoryMarked()) return;
  try {
    RecordState(host_, historyPath_, startState_);
  } catch (const ProfileWriteError&) {
    host_.ShowNotice(host_.Text(msg::kHistoryNotWritten));
  }
}

// An editor that saved the history as UTF-8 marked it so; the profile
// functions would write the program's own code page after the mark.
bool MainForm::HistoryMarked() {
  if (!historyMarked_) historyMarked_ = TellIfUtf8Marked(host_, historyPath_, msg::kConfigUtf8Mark);
  return *historyMarked_;
}

std::optional<std::string> MainForm::WhyNotLoadable(const EditedValues& values) {
  std::string face;
  try {
    face = FontChoiceOf(host_, values, pixelsPerInch_).face;
  } catch (const DamagedValueError& error) {
    return error.what();
  }
  // Found as loading finds it, and as OK needs it.
  if (!lists_.Lists(face) || !host_.FindFontFace(face)) return Substitute(host_.Text(msg::kFontMissing), face);
  const std::string colour = StoredColourFile(values, toolKind_);
  const std::vector<std::string> listed = ListColourFiles(toolFiles_);
  if (std::none_of(listed.begin(), listed.end(), SameFileAs(colour)) ||
      !platform::FileExists(ColourFilePath(toolFiles_, colour)))
    return Substitute(host_.Text(msg::kColourFileMissing), colour);
  return std::nullopt;
}

std::optional<std::string> MainForm::WhyNotRestorable(const ToolState& state) {
  // A value that may have been cut is never put back, nor any of its state.
  if (!IsWhole(state)) return host_.Text(msg::kStateNotWhole);
  EditedValues values = state.values;
  if (state.unrecorded.any()) {
    const EditedValues now = ReadEditedValues(config_->Held());
    for (std::size_t i = 0; i < values.size(); ++i)
      if (state.unrecorded[i]) values[i] = now[i];
  }
  const auto why = WhyNotLoadable(values);
  if (why) return SubstituteWhole(host_.Text(msg::kStateWouldNotLoad), *why);
  return std::nullopt;
}

bool MainForm::Restorable(const ToolState& state) {
  const auto why = WhyNotRestorable(state);
  if (why) host_.ShowNotice(*why);
  return !why;
}

bool MainForm::ConfirmRestore(const ToolState& state) {
  return window_.AskYesNo(Substitute(host_.Text(msg::kAskRestore), state.time), kNo) == kYes;
}

bool MainForm::PutBack(const ToolState& state) {
  if (TellIfUtf8Marked(host_, config_->Path(), msg::kConfigUtf8Mark)) return false;
  // One action: every key lands together, or the file stays as it was.
  const ToolConfig edit = config_->Edit();
  PutToolState(edit, state);
  edit.Commit();
  AfterWrite();
  return true;
}

bool MainForm::Restore(const ToolState& state) {
  if (!PutBack(state)) return false;
  // The controls show the tool's file as a reload would, without their
  // handlers writing the values back in their own spelling; QLM.INI's
  // settings stay as this run has them.
  const bool loaded = Reload([&] {
    Load load = Load::kRefused;
    Quietly([&] { load = ShowToolValues(); });
    return load == Load::kLoaded;
  });
  if (loaded && realtime.checked()) ToolFollows(state);
  return loaded;
}

// The display style and bars by their commands where the tool shows
// otherwise; the font and colour by their notifications. The tab bar and
// display style only where the tool's kind has their commands.
void MainForm::ToolFollows(const ToolState& state) {
  const auto stored = [&](config::EditedKey key) -> std::optional<std::int32_t> {
    const std::size_t row = config::IndexOf(key);
    const auto& value = state.values[row];
    return value && !state.unrecorded[row] ? ParseStoredInteger(*value) : std::nullopt;
  };
  const auto style = stored(config::EditedKey::kIsMdi);
  bool mdi = link_.IsMdiDisplay();
  if (config::EditedBy(config::KeyOf(config::EditedKey::kIsMdi), toolKind_) && style && (*style == 0 || *style == 1) &&
      mdi != (*style == 1)) {
    link_.SendToolCommand(toolmsg::kSwitchDisplayStyle);
    mdi = *style == 1;
  }
  if (mdi) {
    for (const config::KeyRow& row : config::kEditedKeys) {
      if (row.control != config::KeyControl::kBarCheckBox || !config::EditedBy(row, toolKind_)) continue;
      const auto docked = stored(row.key);
      if (docked && (*docked != 0) != link_.IsBarVisible(row.section))
        link_.SendToolCommand(BarCommand(toolKind_, row.section));
    }
  }
  link_.NotifyFontChanged();
  link_.NotifyColourChanged();
  RefreshToolStatus();
}

void MainForm::RestoreStartClick() {
  if (!CanRestoreStart() || !Restorable(startState_) || !ConfirmRestore(startState_)) return;
  Restore(startState_);
}

void MainForm::RestoreEarlierClick() {
  HistoryMarked();
  const std::vector<RecordedState> states = ReadHistory(historyPath_, toolFolder_);
  if (states.empty()) {
    host_.ShowNotice(host_.Text(msg::kNoRecordedStates));
    return;
  }
  std::vector<std::string> lines;
  for (const RecordedState& recorded : states)
    lines.push_back(recorded.state.time + "  " +
                    (recorded.readable ? DescribeState(host_, recorded.state, pixelsPerInch_)
                                       : host_.Text(msg::kUnreadableState)));
  // A state that cannot be put back, or a No, returns to the list.
  for (int chosen = 0;;) {
    chosen = window_.ChooseState(lines, chosen);
    if (chosen < 0 || chosen >= static_cast<int>(states.size())) return;
    const RecordedState& recorded = states[static_cast<std::size_t>(chosen)];
    // An unreadable state is never applied, not even in part.
    if (!recorded.readable) {
      host_.ShowNotice(host_.Text(msg::kStateNotWhole));
      continue;
    }
    if (!Restorable(recorded.state) || !ConfirmRestore(recorded.state)) continue;
    Restore(recorded.state);
    return;
  }
}

std::optional<RecordedState> MainForm::NewestLoadable() {
  if (HistoryMarked()) return std::nullopt;
  for (RecordedState& recorded : ReadHistory(historyPath_, toolFolder_))
    if (recorded.readable && !WhyNotRestorable(recorded.state)) return std::move(recorded);
  return std::nullopt;
}

bool MainForm::OfferRecordedState(const RecordedState& offer) {
  if (window_.AskYesNo(Substitute(host_.Text(msg::kAskRestoreAfterLoadFailure), offer.state.time), kNo) != kYes)
    return false;
  // The state that failed to load is not recorded: put back, it would only
  // fail again, and as the newest it would be the one offered next time.
  recorded_ = true;
  try {
    if (!PutBack(offer.state)) return false;
  } catch (const ProfileWriteError& error) {
    host_.ShowNotice(error.what());
    return false;
  }
  // The state put back is the one this run starts from: the reload takes it
  // as its start state, and the first write of the run records it.
  written_ = recorded_ = false;
  return true;
}

void MainForm::CancelClick() {
  if ((repeatMode_ || window_.IsShiftDown()) && window_.AskYesNo(host_.Text(msg::kContinue), kYes) == kYes &&
      LoadSettings())
    return;
  if (window_.AskYesNo(host_.Text(msg::kQuit), kYes) == kYes) SaveAndClose();
}

void MainForm::SaveAndClose() {
  SaveOwnSettings(host_, settingsPath_, toolFolder_, topMost.checked(), window_.Top(), window_.Left());
  window_.Close();
}

}  // namespace qlm::ui
