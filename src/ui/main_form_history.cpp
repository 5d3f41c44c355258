// main_form_history.cpp: the states recorded before the first write of a
// run, and putting one back: from the window menu, or offered when the
// tool's file does not load.
#include "ui/main_form.h"

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/file_search.h"
#include "platform/host.h"
#include "settings/colour_catalogue.h"
#include "settings/errors.h"
#include "settings/font_record.h"
#include "settings/messages.h"
#include "settings/profile.h"
#include "settings/start_checks.h"
#include "settings/tool_config.h"
#include "settings/tool_history.h"
#include "toollink/tool_link.h"
#include "toollink/tool_messages.h"

namespace qlm::ui {

// An editor that saved the history as UTF-8 marked it so; the profile
// functions would write the program's own code page after the mark.
bool MainForm::HistoryMarked() {
  if (!historyMarked_) historyMarked_ = TellIfUtf8Marked(host_, start_.historyPath, msg::kConfigUtf8Mark);
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
  const bool loaded = ReloadToolValues();
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
  const std::vector<RecordedState> states = ReadHistory(start_.historyPath, toolFolder_);
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
  for (RecordedState& recorded : ReadHistory(start_.historyPath, toolFolder_))
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

}  // namespace qlm::ui
