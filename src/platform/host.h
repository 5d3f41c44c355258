// host.h: what the program asks of the desktop it runs on: where its executable
// is, its message texts, and the dialogs the user answers.
//
// The Win32 host shows real dialogs; the scripted host (portable/) answers
// them from a script that a test sets up, and records what was shown.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qlm::platform {

// One open-file dialog as the program asks for it.
struct FileDialogRequest {
  std::string title;
  std::string initialFolder;
  // Pairs of description and wildcard pattern, in the order shown.
  std::vector<std::pair<std::string, std::string>> filters;
  bool hideReadOnly = false;
  bool resizable = false;

  bool operator==(const FileDialogRequest&) const = default;
};

class Host {
 public:
  virtual ~Host() = default;

  // Full path of the running executable.
  virtual std::string ExecutablePath() const = 0;

  // Message text number id, in the system code page.
  virtual std::string Text(int id) const = 0;

  // A modal information box captioned "QLM" with an OK button, above all windows.
  virtual void ShowNotice(const std::string& text) = 0;

  // The open-file dialog: the chosen file's full path, or nothing when the
  // user cancels.
  virtual std::optional<std::string> AskForFile(const FileDialogRequest& request) = 0;
};

}  // namespace qlm::platform
