// form_window.h: what the main window's logic asks of the window it lives
// in: questions, lists of states, fonts, and what only a window can show.
#pragma once

#include <string>
#include <vector>

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
  // defaultAnswer (kYes or kNo) is the button that Enter presses.
  virtual int AskYesNo(const std::string& text, int defaultAnswer) = 0;
  // The error box, as an error that ends a handler shows it.
  virtual void ShowErrorBox(const std::string& text) = 0;
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
  // The list of earlier states, one line each, the line at selected
  // selected: the index of the line chosen with OK, or -1 for Cancel.
  virtual int ChooseState(const std::vector<std::string>& lines, int selected) = 0;
};

}  // namespace qlm::ui
