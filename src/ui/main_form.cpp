// main_form.cpp: loading the main window, OK and Cancel. Real-time writing
// is in main_form_realtime.cpp, the history in main_form_history.cpp.
#include "ui/main_form.h"

#include <algorithm>
#include <string_view>
#include <utility>

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
#include "toollink/window_names_section.h"

namespace qlm::ui {

MainForm::MainForm(platform::Host& host, ToolLink& link, FormWindow& window, StartContext start)
    : host_(host),
      link_(link),
      window_(window),
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

// The controls show the tool's file as a reload would, without their
// handlers writing the values back in their own spelling; QLM.INI's
// settings stay as this run has them.
bool MainForm::ReloadToolValues() {
  return Reload([&] {
    Load load = Load::kRefused;
    Quietly([&] { load = ShowToolValues(); });
    return load == Load::kLoaded;
  });
}

FontChoice MainForm::ChosenFont() const {
  return FontChoice{.face = font.face.text(), .bold = font.style.selected() != 0, .size = font.size.position()};
}

void MainForm::RememberFontInFile() { fontInFile_ = ChosenFont(); }

MainForm::Load MainForm::LoadEverything(bool askFolder, ProfileFile* handedFile) {
  // One opening of QLM.INI for everything read from it here (at start, the
  // one the program opened to settle the tool folder); a folder chosen now
  // is read back from it as it was stored.
  std::optional<ProfileFile> opened;
  ProfileFile& ownFile = handedFile ? *handedFile : opened.emplace(host_, start_.settingsPath);
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
  files.push_back(start_.historyPath);
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
    // A switch the file lacks is disabled (tool_config.h checks every row).
    const bool absent = stored == config::kAbsent;
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

void MainForm::UpdateFontSample() {
  if (font.face.selected() < 0) return;
  window_.SetFontSample(font.face.text(), font.size.position(), font.style.selected() == 1);
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

void MainForm::CancelClick() {
  if ((repeatMode_ || window_.IsShiftDown()) && window_.AskYesNo(host_.Text(msg::kContinue), kYes) == kYes &&
      LoadSettings())
    return;
  if (window_.AskYesNo(host_.Text(msg::kQuit), kYes) == kYes) SaveAndClose();
}

void MainForm::SaveAndClose() {
  SaveOwnSettings(host_, start_.settingsPath, toolFolder_, topMost.checked(), window_.Top(), window_.Left());
  window_.Close();
}

}  // namespace qlm::ui
