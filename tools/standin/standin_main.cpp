// standin_main.cpp: a small stand-in trading tool. Its main window takes its
// title from System\Sys.ini beside the executable, carries the inner windows
// the live link probes, obeys the bar and display-style menu commands, and
// re-reads its colour scheme or font on the reload notification. Each event
// and the state it leaves are appended to a state file (see README.md).
#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "standin_state.h"
#include "toollink/tool_messages.h"

namespace standin {
namespace {

// The names of the inner windows: those the live link looks for unless told
// otherwise, each replaced by --window-name=KEY=VALUE.
struct InnerNames {
#define QLM_WINDOW_NAME(id, plain) std::string id = plain;
#include "toollink/window_names.def"
#undef QLM_WINDOW_NAME

  // KEY is the identifier without its leading "k".
  explicit InnerNames(const std::map<std::string, std::string>& renamed) {
#define QLM_WINDOW_NAME(id, plain) \
  if (const auto found = renamed.find(&#id[1]); found != renamed.end()) id = found->second;
#include "toollink/window_names.def"
#undef QLM_WINDOW_NAME
  }
};

constexpr char kMainClass[] = "QlmStandInMain";
constexpr char kFrameClass[] = "QlmStandInFrame";
constexpr char kBarClass[] = "QlmStandInBar";
constexpr int kRow = 28;
constexpr COLORREF kDefaultBack = RGB(0xF0, 0xF0, 0xF0);
constexpr COLORREF kDefaultText = RGB(0x20, 0x20, 0x20);

struct FontDeleter {
  void operator()(HFONT font) const { DeleteObject(font); }
};
using FontHandle = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;

COLORREF FromRgb(unsigned rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

std::string ReadProfile(const std::string& file, const char* section, const char* key, const char* fallback) {
  char buffer[2048] = {};
  GetPrivateProfileStringA(section, key, fallback, buffer, sizeof buffer, file.c_str());
  return buffer;
}

// Bars and the multi-document marker draw their own title and nothing else.
LRESULT CALLBACK LabelWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_PAINT) return DefWindowProcA(window, message, wParam, lParam);
  PAINTSTRUCT paint;
  const HDC dc = BeginPaint(window, &paint);
  char title[64] = {};
  GetWindowTextA(window, title, sizeof title);
  RECT area;
  GetClientRect(window, &area);
  SetBkMode(dc, TRANSPARENT);
  DrawTextA(dc, title, -1, &area, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
  EndPaint(window, &paint);
  return 0;
}

class StandIn {
 public:
  StandIn(HINSTANCE instance, Options options, std::string executable)
      : instance_(instance),
        options_(std::move(options)),
        shape_(options_.shape.value_or(ShapeForExecutable(executable))),
        folder_(FolderOf(executable)),
        names_(options_.windowNames) {}

  bool Start();
  int Run();

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  void OnCommand(int id);
  void OnReload(WPARAM what, LPARAM tag);
  void OnPaint();
  void OnSize();
  void OnDestroy();

  std::string ConfigPath() const { return folder_ + "System\\Appcfg.ini"; }
  void ReadStartState();
  void ReadColour();
  void ReadFont();
  void CreateInnerWindows();
  void ShowState();
  void Record(const std::string& event) const;
  HWND Child(HWND parent, const char* className, const char* title) const;

  HINSTANCE instance_;
  Options options_;
  Shape shape_;
  std::string folder_;
  InnerNames names_;
  ToolState state_;
  COLORREF back_ = kDefaultBack;
  COLORREF text_ = kDefaultText;
  FontHandle font_;

  HWND main_ = nullptr;
  HWND container_ = nullptr;
  HWND toolBarFrame_ = nullptr;  // TradePro only
  HWND toolBar_ = nullptr;
  HWND tabBar_ = nullptr;
  HWND tickerFrame_ = nullptr;
  HWND tickerBar_ = nullptr;
  HWND marker_ = nullptr;  // exists only in multi-document display
};

bool StandIn::Start() {
  WNDCLASSA windowClass = {};
  windowClass.hInstance = instance_;
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.lpfnWndProc = WindowProc;
  windowClass.lpszClassName = kMainClass;
  if (!RegisterClassA(&windowClass)) return false;
  // Frames only hold bars: plain, without a label.
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNSHADOW);
  windowClass.lpszClassName = kFrameClass;
  RegisterClassA(&windowClass);
  windowClass.lpfnWndProc = LabelWindowProc;
  windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  windowClass.lpszClassName = kBarClass;
  RegisterClassA(&windowClass);
  windowClass.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
  windowClass.lpszClassName = names_.kMarkerClass.c_str();
  RegisterClassA(&windowClass);

  ReadStartState();
  const std::string title = ReadProfile(folder_ + "System\\Sys.ini", "INFO", "Title", "");
  main_ = CreateWindowExA(0, kMainClass, title.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                          CW_USEDEFAULT, 640, 420, nullptr, nullptr, instance_, this);
  if (!main_) return false;
  CreateInnerWindows();
  ShowState();
  if (options_.minimised) ShowWindow(main_, SW_SHOWMINNOACTIVE);
  else if (!options_.hidden) ShowWindow(main_, SW_SHOW);
  UpdateWindow(main_);
  Record("start");
  return true;
}

int StandIn::Run() {
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}

LRESULT CALLBACK StandIn::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<StandIn*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->main_ = window;
  }
  auto* self = reinterpret_cast<StandIn*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!self) return DefWindowProcA(window, message, wParam, lParam);
  return self->HandleMessage(message, wParam, lParam);
}

LRESULT StandIn::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam));
      return 0;
    case qlm::toolmsg::kReload:
      OnReload(wParam, lParam);
      return 0;
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_SIZE:
      OnSize();
      return 0;
    case WM_DESTROY:
      OnDestroy();
      return 0;
    default:
      return DefWindowProcA(main_, message, wParam, lParam);
  }
}

void StandIn::OnCommand(int id) {
  if (options_.hangOnCommand != 0 && id == options_.hangOnCommand) {
    // A tool that hangs: it never returns to its message loop.
    Record("hang:command:" + std::to_string(id));
    for (;;) Sleep(1000);
  }
  if (!ApplyCommand(shape_, id, state_)) {
    Record("ignored:command:" + std::to_string(id));
    return;
  }
  ShowState();
  Record("command:" + std::to_string(id));
}

void StandIn::OnReload(WPARAM what, LPARAM tag) {
  if (what == qlm::toolmsg::kColourChanged && tag == qlm::toolmsg::kColourTag) {
    ReadColour();
    InvalidateRect(main_, nullptr, TRUE);
    Record("reload:colour");
  } else if (what == qlm::toolmsg::kFontChanged) {
    ReadFont();
    InvalidateRect(main_, nullptr, TRUE);
    Record("reload:font");
  } else {
    Record("ignored:reload:" + std::to_string(what) + ":" + std::to_string(tag));
  }
}

// The state in words on the left, and a line in the font of FF0 below it.
void StandIn::OnPaint() {
  PAINTSTRUCT paint;
  const HDC dc = BeginPaint(main_, &paint);
  RECT area;
  GetClientRect(main_, &area);
  const HBRUSH back = CreateSolidBrush(back_);
  FillRect(dc, &area, back);
  DeleteObject(back);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, text_);

  std::string bars;
  if (state_.toolBar) bars += " tool";
  if (state_.tabBar) bars += " tab";
  if (state_.tickerBar) bars += " ticker";
  const std::string lines[] = {
      std::string("Display: ") + (state_.mdi ? "multi-document" : "single-document"),
      "Colour scheme: " + state_.colour,
      "Bars:" + (bars.empty() ? std::string(" none") : bars),
      std::string("Shape: ") + (shape_ == Shape::kTradePro ? "TradePro" : "other"),
  };
  int y = 2 * kRow + 8;
  for (const std::string& line : lines) {
    TextOutA(dc, 8, y, line.c_str(), static_cast<int>(line.size()));
    y += 20;
  }
  if (font_) {
    const HGDIOBJ old = SelectObject(dc, font_.get());
    const wchar_t sample[] = L"株価ボード 1234.5 ＡＢＣ abc";
    TextOutW(dc, 8, y + 8, sample, static_cast<int>(wcslen(sample)));
    SelectObject(dc, old);
  }
  EndPaint(main_, &paint);
}

void StandIn::OnSize() {
  RECT area;
  GetClientRect(main_, &area);
  const int width = area.right;
  const int height = area.bottom;
  auto place = [](HWND window, int x, int y, int w, int h) {
    if (window) MoveWindow(window, x, y, w, h, TRUE);
  };
  if (shape_ == Shape::kTradePro) {
    place(toolBarFrame_, 0, 0, width, kRow);
    place(toolBar_, 2, 2, width - 4, kRow - 4);
    place(container_, 0, kRow, width, kRow);
    place(tabBar_, 2, 2, width - 4, kRow - 4);
  } else {
    place(container_, 0, 0, width, 2 * kRow);
    place(toolBar_, 2, 2, width - 4, kRow - 4);
    place(tabBar_, 2, kRow + 2, width - 4, kRow - 4);
  }
  place(tickerFrame_, 0, height - kRow, width, kRow);
  place(tickerBar_, 2, 2, width - 4, kRow - 4);
  place(marker_, width / 2, 2 * kRow + 8, width / 2 - 8, height - 3 * kRow - 16);
}

void StandIn::OnDestroy() {
  Record("close");
  PostQuitMessage(0);
}

void StandIn::ReadStartState() {
  const std::string config = ConfigPath();
  state_.mdi = GetPrivateProfileIntA("GLOBAL", "IsMDI", 0, config.c_str()) != 0;
  state_.toolBar = GetPrivateProfileIntA("TOOLBAR", "DOCKING", 1, config.c_str()) != 0;
  state_.tabBar = GetPrivateProfileIntA("TRBAR", "DOCKING", 1, config.c_str()) != 0;
  state_.tickerBar = GetPrivateProfileIntA("TICKERBAR", "DOCKING", 1, config.c_str()) != 0;
  ReadColour();
  ReadFont();
}

// The scheme file's [COLOR] Background and Text, six hex digits each.
void StandIn::ReadColour() {
  state_.colour = ReadProfile(ConfigPath(), "GLOBAL", "COLOR", "");
  back_ = kDefaultBack;
  text_ = kDefaultText;
  if (state_.colour.empty()) return;
  const std::string scheme = folder_ + ColourFilePath(shape_, state_.colour);
  if (const auto rgb = ParseRgb(ReadProfile(scheme, "COLOR", "Background", ""))) back_ = FromRgb(*rgb);
  if (const auto rgb = ParseRgb(ReadProfile(scheme, "COLOR", "Text", ""))) text_ = FromRgb(*rgb);
}

void StandIn::ReadFont() {
  state_.font = ReadProfile(ConfigPath(), "FONT", "FF0", "");
  font_.reset();
  const auto record = ParseFontRecord(state_.font);
  if (!record) return;
  LOGFONTA font = {};
  const int* n = record->numbers;
  font.lfHeight = n[0];
  font.lfWidth = n[1];
  font.lfEscapement = n[2];
  font.lfOrientation = n[3];
  font.lfWeight = n[4];
  font.lfItalic = static_cast<BYTE>(n[5]);
  font.lfUnderline = static_cast<BYTE>(n[6]);
  font.lfStrikeOut = static_cast<BYTE>(n[7]);
  font.lfCharSet = static_cast<BYTE>(n[8]);
  font.lfOutPrecision = static_cast<BYTE>(n[9]);
  font.lfClipPrecision = static_cast<BYTE>(n[10]);
  font.lfQuality = static_cast<BYTE>(n[11]);
  font.lfPitchAndFamily = static_cast<BYTE>(n[12]);
  lstrcpynA(font.lfFaceName, record->face.c_str(), LF_FACESIZE);
  font_.reset(CreateFontIndirectA(&font));
}

HWND StandIn::Child(HWND parent, const char* className, const char* title) const {
  return CreateWindowExA(0, className, title, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 10, 10, parent,
                         nullptr, instance_, nullptr);
}

// TradePro: tool bar and ticker bar each in a frame of their own title, the
// tab bar in the container. The others: tool bar and tab bar in the
// container, the ticker bar in a frame of its own title.
void StandIn::CreateInnerWindows() {
  if (shape_ == Shape::kTradePro) {
    toolBarFrame_ = Child(main_, kFrameClass, names_.kToolBarTitleA.c_str());
    toolBar_ = Child(toolBarFrame_, kBarClass, names_.kToolBarTitleA.c_str());
    container_ = Child(main_, kFrameClass, names_.kContainerTitle.c_str());
    tabBar_ = Child(container_, kBarClass, names_.kTabBarTitle.c_str());
    tickerFrame_ = Child(main_, kFrameClass, names_.kTickerTitleA.c_str());
    tickerBar_ = Child(tickerFrame_, kBarClass, names_.kTickerTitleA.c_str());
  } else {
    container_ = Child(main_, kFrameClass, names_.kContainerTitle.c_str());
    toolBar_ = Child(container_, kBarClass, names_.kToolBarTitleB.c_str());
    tabBar_ = Child(container_, kBarClass, names_.kTabBarTitle.c_str());
    tickerFrame_ = Child(main_, kFrameClass, names_.kTickerTitleB.c_str());
    tickerBar_ = Child(tickerFrame_, kBarClass, names_.kTickerTitleB.c_str());
  }
}

// A hidden bar leaves its frame in place; the marker comes and goes with the
// multi-document display.
void StandIn::ShowState() {
  ShowWindow(toolBar_, state_.toolBar ? SW_SHOWNA : SW_HIDE);
  ShowWindow(tabBar_, state_.tabBar ? SW_SHOWNA : SW_HIDE);
  ShowWindow(tickerBar_, state_.tickerBar ? SW_SHOWNA : SW_HIDE);
  if (state_.mdi && !marker_) {
    marker_ = Child(main_, names_.kMarkerClass.c_str(), "multi-document display");
  } else if (!state_.mdi && marker_) {
    DestroyWindow(marker_);
    marker_ = nullptr;
  }
  OnSize();
  InvalidateRect(main_, nullptr, TRUE);
}

void StandIn::Record(const std::string& event) const {
  if (options_.stateFile.empty()) return;
  const std::string line = StateLine(event, shape_, state_);
  const HANDLE file = CreateFileA(options_.stateFile.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(file);
}

std::string ExecutablePath() {
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length < buffer.size()) return std::string(buffer.data(), length);
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace
}  // namespace standin

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  const std::vector<std::string> arguments(__argv + 1, __argv + __argc);
  standin::StandIn tool(instance, standin::ParseOptions(arguments), standin::ExecutablePath());
  if (!tool.Start()) return 1;
  return tool.Run();
}
