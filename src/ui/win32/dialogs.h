// dialogs.h: the program's modal boxes beside the main window: the yes/no
// question and the About box.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace qlm::ui {

// The question box captioned "情報" with the information icon and the
// buttons "はい(&Y)" (6) and "いいえ(&N)" (also Escape, 7), the one of
// defaultAnswer being the default; closing it by its close box gives 2.
// Centred on the screen.
int AskYesNo(HINSTANCE instance, HWND owner, const std::string& text, int defaultAnswer);

// The list box of choices captioned caption, with prompt above it, the
// line at selected selected, and the buttons OK (the default) and cancel:
// the index of the line chosen (also by a double click), or -1.
int ChooseFromList(HINSTANCE instance, HWND owner, const std::string& caption, const std::string& prompt,
                   const std::vector<std::string>& lines, int selected, const std::string& cancel);

// The About box: the program's name, icon and version, and a link that
// opens the user's guide beside QLM.exe (its hint says so when showHints).
// Centred on owner.
void ShowAboutBox(HINSTANCE instance, HWND owner, bool showHints);

}  // namespace qlm::ui
