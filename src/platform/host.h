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

// What the font enumeration tells of one installed face: the fields of its
// logical-font description that the tool's font records take from the face.
struct FontFace {
  int height = 0;
  int weight = 0;
  int escapement = 0;
  int orientation = 0;
  int italic = 0;
  int underline = 0;
  int strikeOut = 0;
  int charSet = 0;
  int outPrecision = 0;
  int clipPrecision = 0;
  int quality = 0;
  int pitchAndFamily = 0;

  bool operator==(const FontFace&) const = default;
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

  // The installed face named family, as the last description the screen's
  // font enumeration delivers for it; nothing when it delivers none.
  virtual std::optional<FontFace> FindFontFace(const std::string& family) const = 0;

  // The screen's vertical logical pixels per inch (96 on a normal display).
  virtual int ScreenPixelsPerInch() const = 0;

  // The user's own folder for programs' settings (%APPDATA%), without a
  // trailing backslash; "" when the system names none.
  virtual std::string UserSettingsRoot() const = 0;
  // Whether the file at path can be written (file_search.h's CanWriteFile).
  virtual bool CanWrite(const std::string& path) const = 0;
};

}  // namespace qlm::platform
