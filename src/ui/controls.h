// controls.h: the state of the main window's drop-down lists and font size
// box, free of any window system. The form's logic reads and changes these;
// the window binds its real controls to them.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace qlm {

// Every model tells its view (the real control, when there is one) of each
// change through viewChanged. Changes made by the program never run the
// control's handlers, except where a model says so.

// A drop-down list without free text: its items and the selected one.
class ListModel {
 public:
  ListModel() = default;
  explicit ListModel(std::vector<std::string> items) : items_(std::move(items)) {}

  const std::vector<std::string>& items() const { return items_; }
  void SetItems(std::vector<std::string> items) {
    items_ = std::move(items);
    selected_ = -1;
    ++itemsVersion_;
    Changed();
  }
  // Counts the changes of the items, so that a view refills only then.
  unsigned itemsVersion() const { return itemsVersion_; }
  void Clear() { SetItems({}); }

  // The selected index, or -1 for none.
  int selected() const { return selected_; }
  // Selects index; an index outside the items selects nothing.
  void Select(int index) {
    selected_ = index >= 0 && index < static_cast<int>(items_.size()) ? index : -1;
    Changed();
  }
  // Selects the first item for which same(item) holds; false, leaving the
  // selection as it was, when there is none.
  template <typename Same>
  bool SelectFirst(Same same) {
    for (std::size_t i = 0; i < items_.size(); ++i)
      if (same(items_[i])) {
        Select(static_cast<int>(i));
        return true;
      }
    return false;
  }
  // The selected item's text, or "" with nothing selected.
  std::string text() const { return selected_ < 0 ? std::string() : items_[static_cast<std::size_t>(selected_)]; }

  std::function<void()> viewChanged;

 private:
  void Changed() {
    if (viewChanged) viewChanged();
  }

  std::vector<std::string> items_;
  int selected_ = -1;
  unsigned itemsVersion_ = 0;
};

// A control whose state, when it changes, runs onClick: from the program
// exactly as from the user.
template <typename State>
class ClickableModel {
 public:
  bool enabled() const { return enabled_; }
  // The view is told only of a change: every load enables what it shows.
  void SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    if (viewChanged) viewChanged();
  }

  std::function<void()> onClick;
  std::function<void()> viewChanged;

 protected:
  explicit ClickableModel(State initial) : state_(initial) {}
  void SetState(State state) {
    if (state == state_) return;
    state_ = state;
    if (viewChanged) viewChanged();
    if (onClick) onClick();
  }
  State state_;

 private:
  bool enabled_ = true;
};

// A check box.
class CheckModel : public ClickableModel<bool> {
 public:
  CheckModel() : ClickableModel(false) {}
  bool checked() const { return state_; }
  void SetChecked(bool checked) { SetState(checked); }
};

// A radio group: the selected item, -1 for none.
class RadioModel : public ClickableModel<int> {
 public:
  RadioModel() : ClickableModel(-1) {}
  int selected() const { return state_; }
  void Select(int index) { SetState(index); }
};

// The read-only font size box and its up-down arrows.
class SizeModel {
 public:
  static constexpr int kMinimum = 1;
  static constexpr int kMaximum = 99;

  const std::string& text() const { return text_; }
  int position() const { return position_; }

  // Shows size in the box, then gives it to the arrows as their position.
  void Show(int size) {
    text_ = std::to_string(size);
    position_ = size;
    if (viewChanged) viewChanged();
  }
  // The arrows keep their position within 1 to 99 once their window exists,
  // and write it into the box; the view is told only of a change.
  void KeepInRange() {
    const int kept = position_ < kMinimum ? kMinimum : position_ > kMaximum ? kMaximum : position_;
    std::string text = std::to_string(kept);
    if (kept == position_ && text == text_) return;
    position_ = kept;
    text_ = std::move(text);
    if (viewChanged) viewChanged();
  }
  // An arrow click: the position moves by step within range, and the box
  // shows it.
  void Step(int step) {
    position_ += step;
    KeepInRange();
  }

  std::function<void()> viewChanged;

 private:
  std::string text_ = "1";
  int position_ = 1;
};

// The font controls of the main window.
struct FontControls {
  ListModel face;   // FontNameALL: the installed faces
  ListModel style;  // FontStyleALL: two items, normal (0) and bold (1)
  SizeModel size;   // FontSizeALL and its arrows FontSizeALLUD
};

}  // namespace qlm
