// main_window.cpp: the main window's controls, their binding to MainForm's
// models, placement, the status bar and the error box.
#include "ui/win32/main_window.h"

#include <commctrl.h>

#include <algorithm>
#include <optional>

#include "platform/codepage.h"
#include "settings/errors.h"
#include "settings/messages.h"
#include "ui/form_rules.h"
#include "ui/resource_ids.h"
#include "ui/status_fit.h"
#include "ui/win32/dialogs.h"
#include "ui/win32/layout.h"

namespace qlm::ui {
namespace {

constexpr char kClassName[] = "QuillmateMainForm";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

// Pixel heights are fixed: the window is designed at 96 pixels per inch and
// is not scaled with the screen.
int PointsToPixels(int points) { return -MulDiv(points, 96, 72); }

HFONT MakeFont(const char* face, int points, bool bold, BYTE charSet) {
  return CreateFontA(PointsToPixels(points), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, 0, 0, 0, charSet,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
}

const ControlRow* Row(int id) {
  for (const ControlRow& row : kMainLayout)
    if (row.id == id) return &row;
  return nullptr;
}

// The control's bounds relative to the form: group boxes hold no windows of
// their own, so their children are placed on the form at the group's offset.
RECT FormBounds(const ControlRow& row) {
  int left = row.left, top = row.top;
  for (const ControlRow* parent = Row(row.parent); parent; parent = Row(parent->parent)) {
    left += parent->left;
    top += parent->top;
  }
  return RECT{left, top, left + row.width, top + row.height};
}

// The window class, style and height a layout row's control is made with.
struct WindowClass {
  const char* name = "BUTTON";
  DWORD style = WS_CHILD | WS_VISIBLE;
  int height;
};

WindowClass WindowClassOf(const ControlRow& row) {
  WindowClass made{.height = row.height};
  switch (row.kind) {
    case ControlKind::kGroup: made.style |= BS_GROUPBOX; break;
    case ControlKind::kRadio: made.style |= BS_AUTORADIOBUTTON | WS_TABSTOP; break;
    case ControlKind::kCheck: made.style |= BS_AUTOCHECKBOX | WS_TABSTOP; break;
    case ControlKind::kButton: made.style |= BS_PUSHBUTTON | WS_TABSTOP; break;
    case ControlKind::kIconButton: made.style |= BS_PUSHBUTTON | BS_ICON | WS_TABSTOP; break;
    case ControlKind::kDropDown:
      made.name = "COMBOBOX";
      made.style |= CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
      made.height = 240;  // the edit part is 21 high; the rest is the open list
      break;
    case ControlKind::kEdit:
      made.name = "EDIT";
      made.style |= ES_READONLY | ES_AUTOHSCROLL | WS_TABSTOP;
      break;
    case ControlKind::kUpDown:
      // No Tab stop of their own: the arrows show no focus, and the arrow
      // keys already step the size from the size box (UDS_ARROWKEYS).
      made.name = UPDOWN_CLASSA;
      made.style |= UDS_ARROWKEYS;
      break;
    case ControlKind::kLabel:
      made.name = "STATIC";
      made.style |= SS_CENTER | SS_NOTIFY;
      break;
  }
  return made;
}

std::string Ansi(const char* utf8) { return platform::AnsiFromUtf8(utf8 ? utf8 : ""); }

// The font families the system enumerates, every one or those of one name.
std::vector<std::string> EnumerateFamilies(const std::string& family) {
  std::vector<std::string> names;
  LOGFONTA wanted = {};
  wanted.lfCharSet = DEFAULT_CHARSET;
  family.copy(wanted.lfFaceName, LF_FACESIZE - 1);
  // A memory context made for the screen enumerates the screen's fonts
  // without a round trip to the window system.
  const HDC screen = CreateCompatibleDC(nullptr);
  EnumFontFamiliesExA(
      screen, &wanted,
      [](const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM found) -> int {
        reinterpret_cast<std::vector<std::string>*>(found)->emplace_back(font->lfFaceName);
        return 1;
      },
      reinterpret_cast<LPARAM>(&names), 0);
  DeleteDC(screen);
  return names;
}

// Messages a drop-down list answers the same with only its chosen item in
// it: drawing, placing, the mouse passing over, its text. Any other may
// show or use the items (opening, focus, keys, the wheel, a question from
// another program or an accessibility client), so the full lists go in
// first.
bool AnswersWithoutItems(UINT message) {
  switch (message) {
    case WM_PAINT: case WM_NCPAINT: case WM_ERASEBKGND: case WM_PRINTCLIENT:
    case WM_CTLCOLORLISTBOX: case WM_CTLCOLOREDIT: case WM_CTLCOLORSTATIC:
    case WM_WINDOWPOSCHANGING: case WM_WINDOWPOSCHANGED: case WM_MOVE: case WM_SIZE: case WM_NCCALCSIZE:
    case WM_SHOWWINDOW: case WM_ENABLE: case WM_SETFONT: case WM_GETFONT: case WM_STYLECHANGING: case WM_STYLECHANGED:
    case WM_NCHITTEST: case WM_SETCURSOR: case WM_MOUSEMOVE: case WM_NCMOUSEMOVE: case WM_MOUSELEAVE:
    case WM_MOUSEHOVER: case WM_GETTEXT: case WM_GETTEXTLENGTH: case WM_GETDLGCODE: case WM_UPDATEUISTATE:
    case WM_CHANGEUISTATE: case WM_QUERYUISTATE: case WM_TIMER: case WM_SETTINGCHANGE: case WM_THEMECHANGED:
    case WM_DESTROY: case WM_NCDESTROY:
      return true;
  }
  return false;
}

// The status bar as a tool of its tip; the tip watches its mouse itself.
TOOLINFOA StatusTool(HWND window) {
  TOOLINFOA tool = {};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = window;
  tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(window, kStatusBar));
  return tool;
}

// The width at the right end of the title bar that does not drag the window:
// the caption buttons and the frame beside them. The window has the close
// button and, with its minimise box, minimise and the greyed maximise; each
// is SM_CXSIZE wide, with a gap of two pixels before the close button.
// Where the system tells where it drew the buttons (WM_GETTITLEBARINFOEX;
// the desktop composition of newer Windows draws them wider than
// SM_CXSIZE), the wider of the two counts. Wine 8 does not answer that
// message and leaves the rectangles empty.
int CaptionButtonsWidth(HWND window) {
  RECT frame, client;
  GetWindowRect(window, &frame);
  GetClientRect(window, &client);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
  const bool minMax = (GetWindowLongA(window, GWL_STYLE) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) != 0;
  int width = (frame.right - client.right) + (minMax ? 3 * GetSystemMetrics(SM_CXSIZE) + 2 : GetSystemMetrics(SM_CXSIZE));
  TITLEBARINFOEX info = {};
  info.cbSize = sizeof info;
  SendMessageA(window, WM_GETTITLEBARINFOEX, 0, reinterpret_cast<LPARAM>(&info));
  for (int i = 2; i <= 5; ++i) {
    const RECT& button = info.rgrect[i];
    if ((info.rgstate[i] & STATE_SYSTEM_INVISIBLE) == 0 && button.right > button.left && button.left > frame.left)
      width = std::max(width, static_cast<int>(frame.right - button.left));
  }
  return width;
}

}  // namespace

// The thread handles no message while it waits, so nothing puts the cursor
// back before the answer comes.
platform::Delivery WaitingWindowLink::Send(platform::WindowHandle window, unsigned message, std::uintptr_t wParam,
                                           std::intptr_t lParam, unsigned patienceMs) {
  const HCURSOR before = SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32514)));  // the hourglass
  const platform::Delivery delivery = Win32WindowLink::Send(window, message, wParam, lParam, patienceMs);
  SetCursor(before);
  return delivery;
}

MainWindow::MainWindow(HINSTANCE instance, platform::Win32Host& host, StartContext start)
    : instance_(instance), host_(host), form_(host_, link_, *this, std::move(start)) {}

MainWindow::~MainWindow() {
  if (tooltip_) DestroyWindow(tooltip_);
  if (statusTip_) DestroyWindow(statusTip_);
  if (window_) DestroyWindow(window_);
  if (font_) DeleteObject(font_);
  if (sampleFont_) DeleteObject(sampleFont_);
  if (aboutIcon_) DestroyIcon(aboutIcon_);
}

void MainWindow::ShowError(const std::string& text) {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  // A quit request already queued (the main window destroyed while an error
  // left its construction) would end the box before it is seen: hold it back
  // until the box is answered.
  MSG quit;
  const bool quitting = PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
  MessageBoxA(GetActiveWindow(), ErrorBoxText(text).c_str(), ApplicationTitle(path).c_str(), MB_OK | MB_ICONSTOP);
  if (quitting) PostQuitMessage(static_cast<int>(quit.wParam));
}

void MainWindow::Create(ProfileFile& ownFile) {
  Build();
  if (!form_.LoadSettings(&ownFile)) PostQuitMessage(0);
  // The status line follows the tool while real-time mode is on.
  constexpr UINT_PTR kStatusTimer = 1;
  SetTimer(window_, kStatusTimer, MainForm::kStatusTimerMs, nullptr);
}

void MainWindow::Build() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_UPDOWN_CLASS};
  InitCommonControlsEx(&controls);

  WNDCLASSEXA windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = Procedure;
  windowClass.hInstance = instance_;
  windowClass.hIcon = LoadIconA(instance_, MAKEINTRESOURCEA(IDI_QLM));
  windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kClassName;
  RegisterClassExA(&windowClass);

  RECT frame{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
  window_ = CreateWindowExA(0, kClassName, "Quillmate", kStyle, 0, 0, frame.right - frame.left,
                            frame.bottom - frame.top, nullptr, nullptr, instance_, this);
  if (!window_) throw Error("");
  BuildControls();
  BindModels();
  WatchLists();
  AddSystemMenuCommands();
}

// The window menu's own commands are numbered from 0xF000 up, and the system
// uses the low four bits of a WM_SYSCOMMAND's wParam: added commands take
// numbers below 0xF000 that are multiples of 16.
namespace {
constexpr UINT kRestoreStartCommand = 0x0100;
constexpr UINT kRestoreEarlierCommand = 0x0110;
}  // namespace

void MainWindow::AddSystemMenuCommands() {
  const HMENU menu = GetSystemMenu(window_, FALSE);
  if (!menu) return;
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING | MF_GRAYED, kRestoreStartCommand, host_.Text(msg::kRestoreStartMenu).c_str());
  AppendMenuA(menu, MF_STRING, kRestoreEarlierCommand, host_.Text(msg::kRestoreEarlierMenu).c_str());
}

int MainWindow::ChooseState(const std::vector<std::string>& lines, int selected) {
  return ChooseFromList(instance_, window_, host_.Text(msg::kRestoreEarlierCaption),
                        host_.Text(msg::kRestoreEarlierPrompt), lines, selected, host_.Text(msg::kCancelButton));
}

// The lists are filled in full only when first needed: see ui/lazy_lists.h.
void MainWindow::WatchLists() {
  for (const int id : {kColourFiles, kFontName}) {
    SetWindowLongPtrA(Control(id), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    listProcedure_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(Control(id), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MainWindow::ListProcedure)));
  }
}

LRESULT CALLBACK MainWindow::ListProcedure(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrA(box, GWLP_USERDATA));
  if (!self->fillingList_ && !AnswersWithoutItems(message)) self->Guard([self] { self->form_.CompleteLists(); });
  return CallWindowProcA(self->listProcedure_, box, message, wParam, lParam);
}

void MainWindow::BuildControls() {
  font_ = MakeFont("Tahoma", 8, false, DEFAULT_CHARSET);
  // The style radios are a group of their own (one starts at the first radio
  // and again right after the last): the arrow keys step between the two and
  // no further.
  bool afterRadio = false;
  for (const ControlRow& row : kMainLayout) {
    const bool isRadio = row.kind == ControlKind::kRadio;
    CreateControl(row, isRadio != afterRadio);
    afterRadio = isRadio;
  }
  // The sample shows Japanese text from the start.
  sampleFont_ = MakeFont("Tahoma", 8, false, SHIFTJIS_CHARSET);
  SendMessageA(Control(kFontSample), WM_SETFONT, reinterpret_cast<WPARAM>(sampleFont_), FALSE);
  SendMessageA(Control(kFontSize), EM_LIMITTEXT, 2, 0);
  SendMessageA(Control(kFontSizeArrows), UDM_SETBUDDY, reinterpret_cast<WPARAM>(Control(kFontSize)), 0);
  SendMessageA(Control(kFontSizeArrows), UDM_SETRANGE32, 1, 99);
  SendMessageA(Control(kFontSizeArrows), UDM_SETPOS32, 0, 1);
  aboutIcon_ = static_cast<HICON>(LoadImageA(instance_, MAKEINTRESOURCEA(IDI_QLM), IMAGE_ICON, 16, 16, 0));
  SendMessageA(Control(kAbout), BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(aboutIcon_));
  CreateStatusBar();
  form_.font.style.SetItems({Ansi(kStyleItems[0]), Ansi(kStyleItems[1])});
}

void MainWindow::CreateControl(const ControlRow& row, bool startsGroup) {
  const RECT bounds = FormBounds(row);
  const WindowClass made = WindowClassOf(row);
  const HWND control =
      CreateWindowExA(row.kind == ControlKind::kEdit ? WS_EX_CLIENTEDGE : 0, made.name, Ansi(row.caption).c_str(),
                      made.style | (startsGroup ? WS_GROUP : 0), bounds.left, bounds.top, row.width, made.height,
                      window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)), instance_, nullptr);
  SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
}

void MainWindow::CreateStatusBar() {
  const HWND status = CreateWindowExA(0, STATUSCLASSNAMEA, nullptr, WS_CHILD | WS_VISIBLE, 0,
                                      kClientHeight - kStatusBarHeight, kClientWidth, kStatusBarHeight, window_,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kStatusBar)), instance_, nullptr);
  SendMessageA(status, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
}

void MainWindow::BindModels() {
  for (const ControlRow& row : kMainLayout)
    if (row.key != config::EditedKey::kCount) BindCheck(form_.box(row.key), row.id);
  BindCheck(form_.topMost, kTopMost);
  BindCheck(form_.realtime, kRealtime);

  form_.windowStyle.viewChanged = [this] {
    const int selected = form_.windowStyle.selected();
    SendMessageA(Control(kWindowStyleSdi), BM_SETCHECK, selected == 0 ? BST_CHECKED : BST_UNCHECKED, 0);
    SendMessageA(Control(kWindowStyleMdi), BM_SETCHECK, selected == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
    for (const int id : {kWindowStyleGroup, kWindowStyleSdi, kWindowStyleMdi})
      EnableWindow(Control(id), form_.windowStyle.enabled());
  };

  BindList(form_.colourFiles, kColourFiles);
  BindList(form_.font.face, kFontName);
  BindList(form_.font.style, kFontStyle);

  form_.font.size.viewChanged = [this] {
    SetWindowTextA(Control(kFontSize), form_.font.size.text().c_str());
    SendMessageA(Control(kFontSizeArrows), UDM_SETPOS32, 0, form_.font.size.position());
  };
}

void MainWindow::BindCheck(CheckModel& model, int id) {
  model.viewChanged = [this, &model, id] {
    SendMessageA(Control(id), BM_SETCHECK, model.checked() ? BST_CHECKED : BST_UNCHECKED, 0);
    EnableWindow(Control(id), model.enabled());
  };
  model.viewChanged();
}

void MainWindow::BindList(ListModel& model, int id) {
  // The view's items are refilled only when the model's items changed.
  auto shownVersion = std::make_shared<unsigned>(model.itemsVersion() + 1);
  model.viewChanged = [this, &model, id, shownVersion] {
    const HWND box = Control(id);
    fillingList_ = true;
    if (*shownVersion != model.itemsVersion()) {
      SendMessageA(box, WM_SETREDRAW, FALSE, 0);
      SendMessageA(box, CB_RESETCONTENT, 0, 0);
      for (const std::string& item : model.items())
        SendMessageA(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
      SendMessageA(box, WM_SETREDRAW, TRUE, 0);
      *shownVersion = model.itemsVersion();
    }
    SendMessageA(box, CB_SETCURSEL, static_cast<WPARAM>(model.selected()), 0);
    fillingList_ = false;
  };
  model.viewChanged();
}

void MainWindow::Show() {
  // The arrows hold their position within their range once they exist.
  form_.font.size.KeepInRange();

  RECT frame;
  GetWindowRect(window_, &frame);
  std::vector<Rect> workAreas;
  EnumDisplayMonitors(
      nullptr, nullptr,
      [](HMONITOR monitor, HDC, LPRECT, LPARAM areas) -> BOOL {
        MONITORINFO info{sizeof info, {}, {}, 0};
        if (GetMonitorInfoA(monitor, &info))
          reinterpret_cast<std::vector<Rect>*>(areas)->push_back(
              Rect{info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom});
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&workAreas));
  POINT client{0, 0};
  ClientToScreen(window_, &client);
  const Placement place = PlaceWindow(form_.posTop(), form_.posLeft(), frame.right - frame.left,
                                      frame.bottom - frame.top, client.y - frame.top, GetSystemMetrics(SM_CXSCREEN),
                                      GetSystemMetrics(SM_CYSCREEN), workAreas, CaptionButtonsWidth(window_));
  SetWindowPos(window_, nullptr, place.left, place.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(window_, SW_SHOW);
  // Showing sizes the window, which fits the panels; where the size came
  // before the status bar was made, they are fitted here.
  if (!statusFitted_) {
    RECT client;
    GetClientRect(window_, &client);
    FitStatusBar(client.right - client.left);
  }
  UpdateWindow(window_);
}

LRESULT CALLBACK MainWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    self->window_ = window;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  return self ? self->HandleMessage(message, wParam, lParam) : DefWindowProcA(window, message, wParam, lParam);
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_NOTIFY:
      if (const std::optional<LRESULT> answer = OnNotify(lParam)) return *answer;
      break;
    case WM_SIZE:
      FitStatusBar(LOWORD(lParam));
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) Guard([this] { form_.WindowActivated(); });
      break;
    case WM_TIMER:
      Guard([this] { form_.StatusTimer(); });
      return 0;
    case WM_INITMENUPOPUP:
      // The window menu: the first command only once something was written.
      if (HIWORD(lParam))
        EnableMenuItem(reinterpret_cast<HMENU>(wParam), kRestoreStartCommand,
                       MF_BYCOMMAND | (form_.CanRestoreStart() ? MF_ENABLED : MF_GRAYED));
      break;
    case WM_SYSCOMMAND:
      if (OnSystemCommand(wParam)) return 0;
      break;
    case WM_CLOSE:
      DestroyWindow(window_);
      return 0;
    case WM_DESTROY:
      window_ = nullptr;
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window_, message, wParam, lParam);
}

// The hints asking for a text, and the size arrows; nothing for any other
// notification.
std::optional<LRESULT> MainWindow::OnNotify(LPARAM lParam) {
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  if (tooltip_ && header->hwndFrom == tooltip_ && header->code == TTN_GETDISPINFOA) {
    reinterpret_cast<NMTTDISPINFOA*>(lParam)->lpszText = const_cast<char*>(KeptByToolText(header->idFrom));
    return 0;
  }
  if (header->idFrom == kFontSizeArrows && header->code == UDN_DELTAPOS) {
    // The model moves the position and shows it; the control itself
    // must not move as well.
    const int step = reinterpret_cast<const NMUPDOWN*>(lParam)->iDelta > 0 ? 1 : -1;
    Guard([this, step] { form_.FontSizeClick(step); });
    return 1;
  }
  return std::nullopt;
}

// Fits the status panels to the client width: the right one keeps its width.
void MainWindow::FitStatusBar(int clientWidth) {
  const std::vector<int> widths =
      FitStatusPanels(clientWidth, std::vector<int>(std::begin(kStatusPanelWidths), std::end(kStatusPanelWidths)));
  std::vector<int> edges;
  int right = 0;
  for (const int width : widths) edges.push_back(right += width);
  const HWND status = Control(kStatusBar);
  if (!status) return;
  SendMessageA(status, WM_SIZE, 0, 0);
  SendMessageA(status, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
  statusFitted_ = true;
  ShowStatusText();
}

// The two commands added to the window menu; false for the system's own.
bool MainWindow::OnSystemCommand(WPARAM command) {
  if ((command & 0xFFF0) == kRestoreStartCommand) {
    Guard([this] { form_.RestoreStartClick(); });
    return true;
  }
  if ((command & 0xFFF0) == kRestoreEarlierCommand) {
    Guard([this] { form_.RestoreEarlierClick(); });
    return true;
  }
  return false;
}

void MainWindow::OnCommand(int id, int code) {
  if ((id == kColourFiles || id == kFontName || id == kFontStyle) && (code == CBN_DROPDOWN || code == CBN_CLOSEUP)) {
    ListOpened(code == CBN_DROPDOWN);
    return;
  }
  auto checked = [this](int control) { return SendMessageA(Control(control), BM_GETCHECK, 0, 0) == BST_CHECKED; };
  switch (id) {
    case kWindowStyleSdi:
    case kWindowStyleMdi:
      if (code == BN_CLICKED) Guard([&] { form_.windowStyle.Select(id == kWindowStyleMdi ? 1 : 0); });
      break;
    case kTopMost: if (code == BN_CLICKED) Guard([&] { form_.topMost.SetChecked(checked(id)); }); break;
    case kRealtime: if (code == BN_CLICKED) Guard([&] { form_.realtime.SetChecked(checked(id)); }); break;
    case kColourFiles: if (code == CBN_SELCHANGE) Guard([&] { Choose(form_.colourFiles, id, &MainForm::ColourFileChange); }); break;
    case kFontName: if (code == CBN_SELCHANGE) Guard([&] { Choose(form_.font.face, id, &MainForm::FontNameChange); }); break;
    case kFontStyle: if (code == CBN_SELCHANGE) Guard([&] { Choose(form_.font.style, id, &MainForm::FontStyleChange); }); break;
    case kOk: if (code == BN_CLICKED) Guard([&] { form_.OkClick(); }); break;
    case kCancel: if (code == BN_CLICKED) Guard([&] { form_.CancelClick(); }); break;
    case kAbout: if (code == BN_CLICKED) Guard([&] { ShowAboutBox(instance_, window_, showHints_); }); break;
    default:
      // The check boxes of the edited keys.
      if (const ControlRow* row = Row(id); row && row->key != config::EditedKey::kCount && code == BN_CLICKED)
        Guard([&] { form_.box(row->key).SetChecked(checked(id)); });
  }
}

// The user's choice in a drop-down goes to its model, then to its handler.
void MainWindow::Choose(ListModel& model, int id, void (MainForm::*handler)()) {
  model.Select(static_cast<int>(SendMessageA(Control(id), CB_GETCURSEL, 0, 0)));
  (form_.*handler)();
}

void MainWindow::RunMessageLoop() {
  if (window_ && !tooltip_) CreateHints();
  if (window_ && !statusTip_) CreateStatusTip();
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    RelayToHints(message);
    if (window_ && IsDialogMessageA(window_, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

// The hints are made once the window has been shown and painted: it shows
// without waiting for them. The hints' window has no owner. Wine 8 does not
// put a window into the topmost band while it owns a topmost window, and
// hint windows are topmost: owned by the main window, they would leave
// "always on top" without effect. It is destroyed with the main window by
// hand.
void MainWindow::CreateHints() {
  tooltip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0,
                             nullptr, nullptr, instance_, nullptr);
  // A hint longer than the window wraps at its width.
  SendMessageA(tooltip_, TTM_SETMAXTIPWIDTH, 0, kClientWidth);
  for (const ControlRow& row : kMainLayout) {
    if (!row.hint) continue;
    const std::string hint = Ansi(row.hint);
    TOOLINFOA tool = {};
    tool.cbSize = sizeof tool;
    // Mouse messages reach the hints through RelayToHints from the message
    // loop rather than by subclassing each control, which costs a round
    // trip to the window server per message under Wine.
    tool.uFlags = TTF_IDISHWND;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(Control(row.id));
    tool.lpszText = const_cast<char*>(hint.c_str());
    SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  }
  // The controls a tool keeps itself are disabled, and the mouse over a
  // disabled control reaches the form: their hint is a part of the form's,
  // its text asked for when it shows (none while they can be edited).
  for (const int id : {kWindowStyleGroup, kTabBar}) {
    TOOLINFOA tool = {};
    tool.cbSize = sizeof tool;
    tool.hwnd = window_;
    tool.uId = static_cast<UINT_PTR>(id);
    tool.rect = FormBounds(*Row(id));
    tool.lpszText = LPSTR_TEXTCALLBACKA;
    SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
  }
  SendMessageA(tooltip_, TTM_ACTIVATE, showHints_ ? TRUE : FALSE, 0);
}

const char* MainWindow::KeptByToolText(UINT_PTR id) {
  const int hint = KeptByToolHint(form_.toolKind());
  const int control = id == kWindowStyleGroup ? kWindowStyleSdi : static_cast<int>(id);
  keptByToolText_ = hint != 0 && (id == kWindowStyleGroup || id == kTabBar) && !IsWindowEnabled(Control(control))
                        ? host_.Text(hint)
                        : std::string();
  return keptByToolText_.c_str();
}

// An open drop-down list shows no hint: it would cover the list's items.
void MainWindow::ListOpened(bool open) {
  listOpen_ = open;
  for (const HWND tip : {tooltip_, statusTip_}) {
    if (!tip) continue;
    if (open) SendMessageA(tip, TTM_POP, 0, 0);
    SendMessageA(tip, TTM_ACTIVATE, !open && (tip == statusTip_ || showHints_) ? TRUE : FALSE, 0);
  }
}

void MainWindow::RelayToHints(const MSG& message) {
  if (message.message < WM_MOUSEFIRST || message.message > WM_MOUSELAST) return;
  // The form's own messages too: the mouse over a disabled control.
  if (!tooltip_ || (message.hwnd != window_ && GetParent(message.hwnd) != window_)) return;
  MSG relayed = message;
  SendMessageA(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

void MainWindow::Guard(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const std::exception& error) {
    ShowError(error.what());
  } catch (...) {
    ShowError("");
  }
}

int MainWindow::AskYesNo(const std::string& text, int defaultAnswer) {
  return ui::AskYesNo(instance_, window_, text, defaultAnswer);
}

bool MainWindow::IsShiftDown() const { return (GetAsyncKeyState(VK_SHIFT) & 0x8000) != 0; }

std::vector<std::string> MainWindow::FontFamilies() const { return EnumerateFamilies(""); }

std::vector<std::string> MainWindow::FontFamiliesNamed(const std::string& family) const {
  // A name too long for the question would be cut, and others answer.
  if (family.empty() || family.size() >= LF_FACESIZE) return FormWindow::FontFamiliesNamed(family);
  return EnumerateFamilies(family);
}

// Only the band changes: activating this window would take the foreground
// back from the tool just brought forward.
void MainWindow::SetTopMost(bool topMost) {
  SetWindowPos(window_, topMost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void MainWindow::SetShowHints(bool show) {
  showHints_ = show;
  if (tooltip_) SendMessageA(tooltip_, TTM_ACTIVATE, show && !listOpen_ ? TRUE : FALSE, 0);
}

void MainWindow::SetFontSample(const std::string& face, int size, bool bold) {
  const HFONT font = CreateFontA(PointsToPixels(size), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, 0, 0, 0, SHIFTJIS_CHARSET,
                                 OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face.c_str());
  // Painted with the window's next paint, once the click's work is done,
  // rather than at once in the middle of it.
  SendMessageA(Control(kFontSample), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  InvalidateRect(Control(kFontSample), nullptr, TRUE);
  if (sampleFont_) DeleteObject(sampleFont_);
  sampleFont_ = font;
}

void MainWindow::SetStatusText(const std::string& text) {
  statusText_ = text;
  ShowStatusText();
}

// The status words stay whole: when the first panel is too narrow for the
// line, the tool's title at its start gives way. The whole line is the
// status bar's tip.
void MainWindow::ShowStatusText() {
  const HWND status = Control(kStatusBar);
  // Before the window is shown the line is only kept: fitting the panels
  // shows it, fitted to them.
  if (!status || !statusFitted_) return;
  std::string shown = statusText_;
  const std::string& title = link_.toolTitle();
  RECT panel{};
  if (!title.empty() && statusText_.compare(0, title.size(), title) == 0 &&
      SendMessageA(status, SB_GETRECT, 0, reinterpret_cast<LPARAM>(&panel))) {
    // Measured in a memory context made for the screen: the status bar's own
    // would cost a round trip to the window system.
    const HDC context = CreateCompatibleDC(nullptr);
    const HGDIOBJ old = SelectObject(context, reinterpret_cast<HGDIOBJ>(SendMessageA(status, WM_GETFONT, 0, 0)));
    const auto measure = [context](std::string_view text) {
      SIZE size{};
      GetTextExtentPoint32A(context, text.data(), static_cast<int>(text.size()), &size);
      return static_cast<int>(size.cx);
    };
    // The panel's edges and the inset of its text.
    constexpr int kTextMargin = 8;
    shown = FitStatusText(title, std::string_view(statusText_).substr(title.size()), Ansi("…"),
                          panel.right - panel.left - kTextMargin, measure);
    SelectObject(context, old);
    DeleteDC(context);
  }
  SendMessageA(status, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(shown.c_str()));
  if (statusTip_) {
    TOOLINFOA tool = StatusTool(window_);
    tool.lpszText = const_cast<char*>(statusText_.c_str());
    SendMessageA(statusTip_, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

// The status bar's tip shows whether hints are on or off: it is the only
// place the whole line can be read. It is a tip window of its own, since the
// status bar's own tips show only for text the panel cuts, and the fitted
// text is never cut. Like the hints' window it has no owner (see
// CreateHints) and goes with the main window by hand.
void MainWindow::CreateStatusTip() {
  statusTip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0,
                               0, 0, nullptr, nullptr, instance_, nullptr);
  TOOLINFOA tool = StatusTool(window_);
  tool.lpszText = const_cast<char*>(statusText_.c_str());
  SendMessageA(statusTip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

RECT MainWindow::Frame() const {
  RECT frame;
  GetWindowRect(window_, &frame);
  return frame;
}

int MainWindow::Top() const { return Frame().top; }

int MainWindow::Left() const { return Frame().left; }

void MainWindow::Close() { PostMessageA(window_, WM_CLOSE, 0, 0); }

}  // namespace qlm::ui
