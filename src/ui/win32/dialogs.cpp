// dialogs.cpp: the question box and the About box. Both are modal dialogs
// of the system's dialog manager whose controls are laid out in pixels when
// they open, like the main window.
#include "ui/win32/dialogs.h"

#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "platform/codepage.h"
#include "platform/win32/win32_host.h"
#include "settings/messages.h"
#include "ui/form_rules.h"
#include "ui/form_window.h"
#include "ui/resource_ids.h"
#include "ui/win32/version_info.h"

namespace qlm::ui {
namespace {

std::string Ansi(const char* utf8) { return platform::AnsiFromUtf8(utf8); }

HFONT Tahoma(bool bold = false, bool underline = false) {
  return CreateFontA(-MulDiv(8, 96, 72), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, 0, underline, 0, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Tahoma");
}

// The width in pixels of text drawn in font.
int TextWidth(HFONT font, const std::string& text) {
  const HDC screen = GetDC(nullptr);
  const HGDIOBJ old = SelectObject(screen, font);
  SIZE size{};
  GetTextExtentPoint32A(screen, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(screen, old);
  ReleaseDC(nullptr, screen);
  return size.cx;
}

// The height in pixels of text drawn in font, word-wrapped at width.
int WrappedHeight(HFONT font, const std::string& text, int width) {
  RECT box{0, 0, width, 0};
  const HDC screen = GetDC(nullptr);
  const HGDIOBJ old = SelectObject(screen, font);
  DrawTextA(screen, text.c_str(), -1, &box, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(screen, old);
  ReleaseDC(nullptr, screen);
  return box.bottom;
}

// A static control drawn as a link: blue on the dialog's face, with the hand
// cursor. Nothing for messages about other controls.
std::optional<INT_PTR> DrawAsLink(HWND link, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CTLCOLORSTATIC && reinterpret_cast<HWND>(lParam) == link) {
    SetTextColor(reinterpret_cast<HDC>(wParam), RGB(0, 0, 255));
    SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
    return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
  }
  if (message == WM_SETCURSOR && reinterpret_cast<HWND>(wParam) == link) {
    SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32649)));  // the hand
    return TRUE;
  }
  return std::nullopt;
}

// What one dialog does on opening and on a command; its fonts go with it.
struct DialogSpec {
  std::string caption;
  int clientWidth = 0;
  int clientHeight = 0;
  HWND centreOn = nullptr;  // nullptr: the screen
  std::function<void(HWND)> build;
  std::function<bool(HWND, int id, int code)> command;  // true: handled
  std::function<INT_PTR(HWND, UINT, WPARAM, LPARAM)> other;
  std::vector<HFONT> fonts;
};

HWND AddControl(HWND dialog, const char* className, const std::string& text, DWORD style, int id, int left, int top,
                int width, int height, HFONT font) {
  const HWND control = CreateWindowExA(0, className, text.c_str(), WS_CHILD | WS_VISIBLE | style, left, top, width,
                                       height, dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                       GetModuleHandleA(nullptr), nullptr);
  SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return control;
}

INT_PTR CALLBACK DialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrA(dialog, DWLP_USER, lParam);
    auto& spec = *reinterpret_cast<DialogSpec*>(lParam);
    SetWindowTextA(dialog, spec.caption.c_str());
    RECT frame{0, 0, spec.clientWidth, spec.clientHeight};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrA(dialog, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrA(dialog, GWL_EXSTYLE)));
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (spec.centreOn) GetWindowRect(spec.centreOn, &area);
    SetWindowPos(dialog, nullptr, area.left + (area.right - area.left - width) / 2,
                 area.top + (area.bottom - area.top - height) / 2, width, height, SWP_NOZORDER);
    spec.build(dialog);
    return TRUE;
  }
  auto* spec = reinterpret_cast<DialogSpec*>(GetWindowLongPtrA(dialog, DWLP_USER));
  if (!spec) return FALSE;
  if (message == WM_COMMAND && spec->command(dialog, LOWORD(wParam), HIWORD(wParam))) return TRUE;
  return spec->other ? spec->other(dialog, message, wParam, lParam) : FALSE;
}

// Runs the dialog modally; the result is what the dialog ended with.
INT_PTR RunDialog(HINSTANCE instance, HWND owner, DialogSpec& spec) {
  // An empty template: the controls are made when the dialog opens.
  struct {
    DLGTEMPLATE header;
    WORD menu, windowClass, title;
  } blank = {};
  blank.header.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFOREGROUND;
  const INT_PTR result = DialogBoxIndirectParamA(instance, &blank.header, owner, DialogProcedure,
                                                 reinterpret_cast<LPARAM>(&spec));
  for (const HFONT font : spec.fonts) DeleteObject(font);
  return result;
}

// The guide that ships beside QLM.exe, in the program the system opens it
// with; where there is none, where it comes from. The shell is loaded only
// for the link, which few starts follow.
void OpenGuide(HWND owner) {
  platform::Win32Host host;
  const std::optional<std::string> guide = GuideBeside(host.ExecutablePath());
  if (!guide) {
    host.ShowNotice(host.Text(msg::kGuideMissing));
    return;
  }
  const HMODULE shell = LoadLibraryA("shell32.dll");
  if (!shell) return;
  using ShellExecuteFunction = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
  if (const auto execute = reinterpret_cast<ShellExecuteFunction>(
          reinterpret_cast<void*>(GetProcAddress(shell, "ShellExecuteA"))))
    execute(owner, "open", guide->c_str(), nullptr, nullptr, SW_SHOWDEFAULT);
  FreeLibrary(shell);
}

// The link's hint, in a tip window of the box's, gone with it.
void AddLinkHint(HWND dialog, HWND link) {
  const HWND tip = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0, 0, 0,
                                   dialog, nullptr, GetModuleHandleA(nullptr), nullptr);
  const std::string text = platform::Win32Host().Text(msg::kGuideLinkHint);
  TOOLINFOA tool = {};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = dialog;
  tool.uId = reinterpret_cast<UINT_PTR>(link);
  tool.lpszText = const_cast<char*>(text.c_str());
  SendMessageA(tip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  // The hint is one line wider than the box: wrapped at its width.
  SendMessageA(tip, TTM_SETMAXTIPWIDTH, 0, 273);
}

// Two push buttons side by side at the bottom right of a dialog, the first
// starting a group: Yes and No, or OK and Cancel.
struct ButtonSpec {
  std::string caption;
  DWORD style;
  int id;
};

std::pair<HWND, HWND> AddButtonPair(HWND dialog, int clientWidth, int top, HFONT font, const ButtonSpec& first,
                                    const ButtonSpec& second) {
  const int right = clientWidth - 12;
  const HWND left = AddControl(dialog, "BUTTON", first.caption, first.style | WS_TABSTOP | WS_GROUP, first.id,
                               right - 2 * 75 - 8, top, 75, 25, font);
  return {left, AddControl(dialog, "BUTTON", second.caption, second.style | WS_TABSTOP, second.id, right - 75, top, 75,
                           25, font)};
}

// The question's buttons: Escape arrives as IDCANCEL and answers No, Enter
// as IDOK and gives the default answer; the close box is told apart through
// its system command (AnswerClose).
bool AnswerCommand(HWND dialog, int id, int defaultAnswer) {
  if (id == kYes || id == kNo || id == IDCANCEL) {
    EndDialog(dialog, id == IDCANCEL ? kNo : id);
    return true;
  }
  if (id == IDOK) {
    EndDialog(dialog, defaultAnswer);
    return true;
  }
  return false;
}

INT_PTR AnswerClose(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE) {
    EndDialog(dialog, kClosed);
    return TRUE;
  }
  return FALSE;
}

// Lays out the About box's controls; returns the link, which the box draws
// as one.
HWND BuildAboutBox(HWND dialog, HICON icon, HFONT font, HFONT bold, HFONT link, bool showHints, int linkId) {
  AddControl(dialog, "STATIC", "", SS_ETCHEDFRAME, -1, 0, 0, 273, 97, font);
  const HWND picture = AddControl(dialog, "STATIC", "", SS_ICON | SS_REALSIZECONTROL, -1, 10, 10, 34, 34, font);
  SendMessageA(picture, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
  // The short name in bold, then the full name one space further on, each
  // label as wide as its text: they read as two words in any font.
  const int shortWidth = TextWidth(bold, "QLM"), space = TextWidth(font, " ");
  AddControl(dialog, "STATIC", "QLM", SS_LEFT | SS_NOPREFIX, -1, 50, 10, shortWidth, 14, bold);
  AddControl(dialog, "STATIC", "Quillmate", SS_LEFT | SS_NOPREFIX, -1, 50 + shortWidth + space, 10, 120, 14, font);
  AddControl(dialog, "STATIC", "Version " + FileVersionOf(platform::Win32Host().ExecutablePath()), SS_LEFT, -1, 50, 29, 200, 14, font);
  AddControl(dialog, "STATIC", "Copyright (C) 2026 Quillmate", SS_LEFT, -1, 50, 48, 215, 14, font);
  const HWND linkControl =
      AddControl(dialog, "STATIC", "Quillmate Information", SS_LEFT | SS_NOTIFY, linkId, 50, 67, 120, 14, link);
  if (showHints) AddLinkHint(dialog, linkControl);
  AddControl(dialog, "BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK, 190, 65, 75, 25, font);
  return linkControl;
}

}  // namespace

int AskYesNo(HINSTANCE instance, HWND owner, const std::string& text, int defaultAnswer) {
  constexpr int kTextWidth = 280;
  DialogSpec spec;
  spec.caption = Ansi("情報");
  const HFONT font = Tahoma();
  spec.fonts.push_back(font);

  const int textHeight = std::max(WrappedHeight(font, text, kTextWidth), 32);
  spec.clientWidth = 20 + 32 + 12 + kTextWidth + 20;
  spec.clientHeight = 16 + textHeight + 16 + 25 + 12;

  spec.build = [&](HWND dialog) {
    const HWND icon = AddControl(dialog, "STATIC", "", SS_ICON, -1, 20, 16, 32, 32, font);
    SendMessageA(icon, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconA(nullptr, MAKEINTRESOURCEA(32516))), 0);
    AddControl(dialog, "STATIC", text, SS_LEFT | SS_NOPREFIX, -1, 64, 16, kTextWidth, textHeight, font);
    const auto style = [&](int answer) -> DWORD { return answer == defaultAnswer ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON; };
    const auto [yes, no] = AddButtonPair(dialog, spec.clientWidth, 16 + textHeight + 16, font,
                                         {Ansi("はい(&Y)"), style(kYes), kYes}, {Ansi("いいえ(&N)"), style(kNo), kNo});
    SendMessageA(dialog, DM_SETDEFID, defaultAnswer, 0);
    SetFocus(defaultAnswer == kNo ? no : yes);
  };
  spec.command = [&](HWND dialog, int id, int) { return AnswerCommand(dialog, id, defaultAnswer); };
  spec.other = AnswerClose;
  return static_cast<int>(RunDialog(instance, owner, spec));
}

int ChooseFromList(HINSTANCE instance, HWND owner, const std::string& caption, const std::string& prompt,
                   const std::vector<std::string>& lines, int selected, const std::string& cancel) {
  constexpr int kList = 100;
  constexpr int kWidth = 540, kListHeight = 180;
  DialogSpec spec;
  spec.caption = caption;
  spec.centreOn = owner;
  const HFONT font = Tahoma();
  spec.fonts.push_back(font);
  spec.clientWidth = 12 + kWidth + 12;
  spec.clientHeight = 12 + 16 + 4 + kListHeight + 12 + 25 + 12;
  int chosen = -1;
  spec.build = [&](HWND dialog) {
    AddControl(dialog, "STATIC", prompt, SS_LEFT | SS_NOPREFIX, -1, 12, 12, kWidth, 16, font);
    const HWND list = AddControl(dialog, "LISTBOX", "", WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                                 kList, 12, 32, kWidth, kListHeight, font);
    for (const std::string& line : lines) SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
    AddButtonPair(dialog, spec.clientWidth, 32 + kListHeight + 12, font, {"OK", BS_DEFPUSHBUTTON, IDOK},
                  {cancel, BS_PUSHBUTTON, IDCANCEL});
    SendMessageA(dialog, DM_SETDEFID, IDOK, 0);
    SetFocus(list);
  };
  spec.command = [&](HWND dialog, int id, int code) {
    const HWND list = GetDlgItem(dialog, kList);
    if (id == IDOK || (id == kList && code == LBN_DBLCLK)) {
      chosen = static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0));
      EndDialog(dialog, IDOK);
      return true;
    }
    if (id == IDCANCEL) {
      EndDialog(dialog, IDCANCEL);
      return true;
    }
    return false;
  };
  RunDialog(instance, owner, spec);
  return chosen;
}

void ShowAboutBox(HINSTANCE instance, HWND owner, bool showHints) {
  constexpr int kLink = 200;
  DialogSpec spec;
  spec.caption = Ansi("バージョン情報");
  spec.clientWidth = 273;
  spec.clientHeight = 98;
  spec.centreOn = owner;
  const HFONT font = Tahoma(), bold = Tahoma(true), link = Tahoma(false, true);
  spec.fonts = {font, bold, link};
  HICON icon = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_QLM), IMAGE_ICON, 32, 32, 0));
  HWND linkControl = nullptr;

  spec.build = [&](HWND dialog) { linkControl = BuildAboutBox(dialog, icon, font, bold, link, showHints, kLink); };
  spec.command = [&](HWND dialog, int id, int code) {
    if (id == IDOK || id == IDCANCEL) {
      EndDialog(dialog, id);
      return true;
    }
    if (id == kLink && code == STN_CLICKED) {
      OpenGuide(dialog);
      return true;
    }
    return false;
  };
  spec.other = [&](HWND, UINT message, WPARAM wParam, LPARAM lParam) -> INT_PTR {
    return DrawAsLink(linkControl, message, wParam, lParam).value_or(FALSE);
  };
  RunDialog(instance, owner, spec);
  DestroyIcon(icon);
}

}  // namespace qlm::ui
