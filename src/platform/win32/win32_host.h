// win32_host.h: the Host on the real desktop.
#pragma once

#include <string>

#include "platform/host.h"

namespace qlm::platform {

class Win32Host : public Host {
 public:
  std::string ExecutablePath() const override;
  std::string Text(int id) const override;
  void ShowNotice(const std::string& text) override;
  std::optional<std::string> AskForFile(const FileDialogRequest& request) override;
  std::optional<FontFace> FindFontFace(const std::string& family) const override;
  int ScreenPixelsPerInch() const override;
  std::string UserSettingsRoot() const override;
  bool CanWrite(const std::string& path) const override;
};

}  // namespace qlm::platform
