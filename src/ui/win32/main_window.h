// main_window.h: the main window on the Win32 desktop: it builds the
// controls of the layout, binds them to the models of MainForm, and turns
// the user's actions into MainForm's handlers.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32/win32_host.h"
#include "platform/win32/window_link_win32.h"
#include "toollink/tool_link.h"
#include "ui/main_form.h"

namespace qlm::ui {

struct ControlRow;

// The desktop's windows, showing the wait cursor while a message sent to the
// tool is waited for: the window answers nothing meanwhile.
class WaitingWindowLink : public platform::Win32WindowLink {
 public:
  platform::Delivery Send(platform::WindowHandle window, unsigned message, std::uintptr_t wParam,
                          std::intptr_t lParam, unsigned patienceMs = platform::kSendPatienceMs) override;
};

class MainWindow : public FormWindow {
 public:
  // host is the one the program settled the tool folder with: what it has
  // learned of the file system (where QLM.INI can be written) holds here too.
  // start: QLM.INI, the history, the tool folder and the tool as the program
  // settled them at start.
  MainWindow(HINSTANCE instance, platform::Win32Host& host, StartContext start);
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Builds the window and loads the settings into it, reading QLM.INI
  // through ownFile, as start-up opened it; a failed load asks the message
  // loop to end. Errors of loading propagate to the caller.
  void Create(ProfileFile& ownFile);
  // The window and its controls bound to the models, nothing loaded: the
  // first part of Create(), and all the UI benchmark's same-controls
  // reference does.
  void Build();
  // The two commands added to the window's system menu.
  void AddSystemMenuCommands();
  // Places and shows the window, then fits the status bar.
  void Show();
  HWND handle() const { return window_; }
  // Makes the hints (the window is shown by now), then runs the program's
  // message loop until the program ends: keyboard navigation between the
  // controls, and mouse messages relayed to the hints.
  void RunMessageLoop();

  // FormWindow.
  int AskYesNo(const std::string& text, int defaultAnswer) override;
  void ShowErrorBox(const std::string& text) override { ShowError(text); }
  bool IsShiftDown() const override;
  std::vector<std::string> FontFamilies() const override;
  std::vector<std::string> FontFamiliesNamed(const std::string& family) const override;
  bool CompletesListsOnDemand() const override { return true; }
  void SetTopMost(bool topMost) override;
  void SetShowHints(bool show) override;
  void SetFontSample(const std::string& face, int size, bool bold) override;
  void SetStatusText(const std::string& text) override;
  int Top() const override;
  int Left() const override;
  void Close() override;
  int ChooseState(const std::vector<std::string>& lines, int selected) override;

  // Shows an error in the error box, captioned with the application title.
  static void ShowError(const std::string& text);

 private:
  // Hands a mouse message meant for one of the controls to the hints.
  void RelayToHints(const MSG& message);
  void CreateHints();
  // The hint of the part of the form over a control the tool keeps itself
  // (the tip's id): its text while the control is disabled for that reason,
  // else empty.
  const char* KeptByToolText(UINT_PTR id);
  // A drop-down list opened or closed: the hints wait while it is open.
  void ListOpened(bool open);
  // The status line fitted into its panel, and its tip.
  void ShowStatusText();
  void CreateStatusTip();
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // What WM_NOTIFY answers, where the window answers it itself.
  std::optional<LRESULT> OnNotify(LPARAM lParam);
  void FitStatusBar(int clientWidth);
  // True where the command was one of the window menu's added commands.
  bool OnSystemCommand(WPARAM command);
  // The controls of the layout, the status bar and what they start with.
  void BuildControls();
  void CreateControl(const ControlRow& row, bool startsGroup);
  void CreateStatusBar();
  void BindModels();
  // The control's view follows its model.
  void BindCheck(CheckModel& model, int id);
  void BindList(ListModel& model, int id);
  // Subclasses the font and colour lists, to complete them when first needed.
  void WatchLists();
  static LRESULT CALLBACK ListProcedure(HWND box, UINT message, WPARAM wParam, LPARAM lParam);
  void OnCommand(int id, int code);
  void Choose(ListModel& model, int id, void (MainForm::*handler)());
  RECT Frame() const;
  // Runs a handler; an error that escapes it is shown, and the program goes on.
  void Guard(const std::function<void()>& handler);
  HWND Control(int id) const { return GetDlgItem(window_, id); }

  HINSTANCE instance_;
  HWND window_ = nullptr;
  HWND tooltip_ = nullptr;  // the hints, once made
  bool showHints_ = true;
  bool listOpen_ = false;            // a drop-down list is open
  std::string keptByToolText_;       // the text KeptByToolText gave out
  WNDPROC listProcedure_ = nullptr;  // the drop-down lists' own
  bool fillingList_ = false;         // a model's change is being shown
  HFONT font_ = nullptr;
  HFONT sampleFont_ = nullptr;
  HICON aboutIcon_ = nullptr;
  std::string statusText_;    // the whole status line, as the form set it
  bool statusFitted_ = false;  // the status panels fitted: the line is shown from then on
  HWND statusTip_ = nullptr;  // the status bar's tip, once made
  platform::Win32Host& host_;
  WaitingWindowLink windows_;
  ToolLink link_{windows_, host_};
  MainForm form_;
};

}  // namespace qlm::ui
