// fake_tool.h: the window tree of a running tool on scripted windows, in the
// shape of its kind, every bar shown; shared by the main window's and the
// link's tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "settings/tool_folder.h"
#include "support/scripted_windows.h"
#include "toollink/tool_messages.h"
#include "toollink/window_names.h"

namespace qlm::test {

struct FakeTool {
  FakeTool(platform::ScriptedWindows& windows, ToolKind kind, const std::string& title) : windows(windows) {
    main = windows.Create(platform::kNoWindow, "ToolMainClass", title);
    container = windows.Create(main, "Frame", Name(toollink::WindowName::kContainerTitle));
    tabBar = windows.Create(container, "Bar", Name(toollink::WindowName::kTabBarTitle));
    const bool tradePro = kind == ToolKind::kTradePro;
    if (tradePro) {
      toolBarFrame = windows.Create(main, "Frame", Name(toollink::WindowName::kToolBarTitleA));
      toolBar = windows.Create(toolBarFrame, "Bar", Name(toollink::WindowName::kToolBarTitleA));
    } else {
      toolBar = windows.Create(container, "Bar", Name(toollink::WindowName::kToolBarTitleB));
    }
    const std::string ticker =
        Name(tradePro ? toollink::WindowName::kTickerTitleA : toollink::WindowName::kTickerTitleB);
    tickerFrame = windows.Create(main, "Frame", ticker);
    tickerBar = windows.Create(tickerFrame, "Bar", ticker);
  }

  static std::string Name(toollink::WindowName name) { return toollink::PlainName(name).c_str(); }

  void ShowDocumentsAsMdi(bool mdi) {
    if (mdi && marker == platform::kNoWindow)
      marker = windows.Create(main, Name(toollink::WindowName::kMarkerClass), "");
    if (!mdi && marker != platform::kNoWindow) {
      windows.Destroy(marker);
      marker = platform::kNoWindow;
    }
  }

  // From now on the tool follows its commands as the real one does: the
  // display style switches, a bar's command shows or hides it.
  void FollowCommands() {
    windows.OnMessage(main, [this](const platform::ScriptedWindows::Message& m) {
      if (m.message != toolmsg::kCommand) return;
      if (m.wParam == toolmsg::kSwitchDisplayStyle) ShowDocumentsAsMdi(marker == platform::kNoWindow);
      const platform::WindowHandle bar = m.wParam == toolmsg::kToggleToolBar      ? toolBar
                                         : m.wParam == toolmsg::kToggleTabBar     ? tabBar
                                         : m.wParam == toolmsg::kToggleTickerBar  ? tickerBar
                                                                                  : platform::kNoWindow;
      if (bar != platform::kNoWindow) windows.SetVisible(bar, !windows.HasVisibleStyle(bar));
    });
  }

  // The commands the tool received, in order.
  std::vector<std::uintptr_t> Commands() const {
    std::vector<std::uintptr_t> ids;
    for (const auto& m : windows.messages())
      if (m.message == toolmsg::kCommand) ids.push_back(m.wParam);
    return ids;
  }

  platform::ScriptedWindows& windows;
  platform::WindowHandle main = platform::kNoWindow, container = platform::kNoWindow,
                         toolBarFrame = platform::kNoWindow, toolBar = platform::kNoWindow,
                         tabBar = platform::kNoWindow, tickerFrame = platform::kNoWindow,
                         tickerBar = platform::kNoWindow, marker = platform::kNoWindow;
};

}  // namespace qlm::test
