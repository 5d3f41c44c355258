// form_rules.h: the main window's arithmetic and texts that need no window:
// status panel widths, placement, the application title and the error box text.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/tool_kinds.h"

namespace qlm::ui {

// Widths for status panels of the given design widths on a bar width pixels
// wide: the panels on the right keep their design widths, the leftmost panel
// that still fits takes what is left, and panels further left get 0.
std::vector<int> FitStatusPanels(int width, const std::vector<int>& designWidths);

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const Rect&) const = default;
};

// Where the window goes: the stored top and left, or for -100 the centre of
// the primary screen (truncating). When no monitor's work area holds a piece
// of the window's title bar (its top titleHeight pixels) that the mouse can
// take hold of, the window would be out of the user's reach, so it is centred
// instead. Only the title bar left of its buttons counts: buttonsWidth
// pixels at its right end (the caption buttons and the frame beside them)
// do not drag the window.
struct Placement {
  int left = 0, top = 0;
  bool operator==(const Placement&) const = default;
};
Placement PlaceWindow(int storedTop, int storedLeft, int windowWidth, int windowHeight, int titleHeight,
                      int screenWidth, int screenHeight, const std::vector<Rect>& workAreas, int buttonsWidth = 0);

// The application title: the executable's file name up to its first dot,
// every character after the first in lower case ("QLM.exe" gives "Qlm").
std::string ApplicationTitle(std::string_view executablePath);

// The text of the error box: a period is added when the text is not empty
// and its last character sorts after "." (so Japanese text gets one and a
// text ending in ")" does not).
std::string ErrorBoxText(std::string_view text);

// A tool that keeps its display style and tab bar itself: OK writes neither
// and real-time mode commands neither, so the window shows both as stored,
// disabled, with the hint KeptByToolHint (a message number; 0 for a tool
// whose display style and tab bar are edited here).
bool KeepsStyleAndTabBar(ToolKind kind);
int KeptByToolHint(ToolKind kind);

// The user's guide the About box opens: README-ja.html in the folder of the
// executable at executablePath, else README-ja.txt there; nothing when
// neither file is there.
std::optional<std::string> GuideBeside(std::string_view executablePath);

}  // namespace qlm::ui
