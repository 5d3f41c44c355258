// main_form_realtime.cpp: real-time mode, where every change of a control
// is written to the tool's file at once and the running tool is told.
#include "ui/main_form.h"

#include <functional>
#include <string>

#include "platform/host.h"
#include "settings/colour_catalogue.h"
#include "settings/errors.h"
#include "settings/font_record.h"
#include "settings/messages.h"
#include "settings/start_checks.h"
#include "settings/tool_config.h"
#include "settings/tool_history.h"
#include "toollink/tool_link.h"
#include "toollink/tool_messages.h"

namespace qlm::ui {

void MainForm::LeaveRealtime() {
  if (realtime.checked()) realtime.SetChecked(false);
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

void MainForm::Quietly(const std::function<void()>& change) {
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

void MainForm::AfterWrite() {
  written_ = true;
  if (recorded_) return;
  // Tried once a run: a history that cannot be written never stops the
  // change, and the user hears of it once.
  recorded_ = true;
  if (HistoryMarked()) return;
  try {
    RecordState(host_, start_.historyPath, startState_);
  } catch (const ProfileWriteError&) {
    host_.ShowNotice(host_.Text(msg::kHistoryNotWritten));
  }
}

}  // namespace qlm::ui
