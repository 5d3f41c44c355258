// window_link_win32.h: the WindowLink of the real desktop.
#pragma once

#include "platform/window_link.h"

namespace qlm::platform {

class Win32WindowLink : public WindowLink {
 public:
  WindowHandle FindTopLevel(const char* title) const override;
  WindowHandle FindChildByClass(WindowHandle parent, const char* className) const override;
  WindowHandle FindChildByTitle(WindowHandle parent, const char* title) const override;
  bool Exists(WindowHandle window) const override;
  std::string Title(WindowHandle window) const override;
  bool HasVisibleStyle(WindowHandle window) const override;
  Delivery Send(WindowHandle window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
                unsigned patienceMs = kSendPatienceMs) override;
  Delivery Post(WindowHandle window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override;
  Rights OwnerRights(WindowHandle window) const override;
  bool IsMinimised(WindowHandle window) const override;
  void Restore(WindowHandle window) override;
  void BringToForeground(WindowHandle window) override;
  std::vector<WindowHandle> Children(WindowHandle parent) const override;
  std::string ClassName(WindowHandle window) const override;
};

}  // namespace qlm::platform
