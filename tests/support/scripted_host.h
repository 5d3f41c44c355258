// scripted_host.h: a Host whose dialogs are answered from a script that a test
// sets up, and which records everything it was asked to show.
#pragma once

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/host.h"

namespace qlm::platform {

class ScriptedHost : public Host {
 public:
  explicit ScriptedHost(std::string executablePath) : executablePath_(std::move(executablePath)) {}

  std::string ExecutablePath() const override { return executablePath_; }
  std::string Text(int id) const override;
  void ShowNotice(const std::string& text) override { notices_.push_back(text); }
  std::optional<std::string> AskForFile(const FileDialogRequest& request) override;
  std::optional<FontFace> FindFontFace(const std::string& family) const override;
  int ScreenPixelsPerInch() const override { return 96; }
  std::string UserSettingsRoot() const override { return userSettingsRoot_; }
  // False for a path the script made unwritable, else as the file system says.
  bool CanWrite(const std::string& path) const override;

  void SetUserSettingsRoot(std::string root) { userSettingsRoot_ = std::move(root); }
  // Makes the file at path one the program may not write, as in a folder
  // where only administrators may write.
  void MakeUnwritable(const std::string& path) { unwritable_.push_back(path); }

  // Makes family an installed face; the enumeration then delivers face.
  void InstallFont(const std::string& family, const FontFace& face) { fonts_[family] = face; }

  // The answer to the next open-file dialog: a chosen path, or nothing for
  // Cancel. A dialog with no answer queued is cancelled.
  void AnswerFileDialog(std::optional<std::string> chosen) { fileAnswers_.push_back(std::move(chosen)); }

  const std::vector<std::string>& notices() const { return notices_; }
  const std::vector<FileDialogRequest>& fileDialogs() const { return fileDialogs_; }

 private:
  std::string executablePath_;
  std::vector<std::string> notices_;
  std::vector<FileDialogRequest> fileDialogs_;
  std::deque<std::optional<std::string>> fileAnswers_;
  std::map<std::string, FontFace> fonts_;
  std::string userSettingsRoot_;
  std::vector<std::string> unwritable_;
};

}  // namespace qlm::platform
