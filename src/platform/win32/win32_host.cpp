// win32_host.cpp: executable path, string table, message box and open-file
// dialog of the real desktop.
#include <windows.h>
#include <commdlg.h>

#include <vector>

#include "platform/file_search.h"
#include "platform/win32/win32_host.h"

namespace qlm::platform {

std::string Win32Host::ExecutablePath() const {
  std::vector<char> buffer(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length < buffer.size()) return std::string(buffer.data(), length);
    buffer.resize(buffer.size() * 2);
  }
}

std::string Win32Host::Text(int id) const {
  // The string table is stored as UTF-16; LoadStringA converts to the system
  // code page. No message is longer than this buffer.
  char buffer[1024] = {};
  const int length = LoadStringA(GetModuleHandleA(nullptr), static_cast<UINT>(id), buffer, sizeof buffer);
  return std::string(buffer, static_cast<std::size_t>(length > 0 ? length : 0));
}

void Win32Host::ShowNotice(const std::string& text) {
  MessageBoxA(GetActiveWindow(), text.c_str(), "QLM", MB_ICONINFORMATION | MB_TOPMOST);
}

std::optional<std::string> Win32Host::AskForFile(const FileDialogRequest& request) {
  // The filter is a list of NUL-terminated descriptions and patterns, ended
  // by an empty one.
  std::string filter;
  for (const auto& [description, pattern] : request.filters) {
    filter += description;
    filter += '\0';
    filter += pattern;
    filter += '\0';
  }
  filter += '\0';

  std::vector<char> file(32768, '\0');
  OPENFILENAMEA dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = GetActiveWindow();
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrInitialDir = request.initialFolder.c_str();
  dialog.lpstrTitle = request.title.c_str();
  dialog.Flags = (request.hideReadOnly ? OFN_HIDEREADONLY : 0) |
                 (request.resizable ? OFN_ENABLESIZING : 0);
  // The dialog's library is loaded only when a dialog is needed: most starts
  // never ask, and loading it costs time and memory at every start.
  const HMODULE library = LoadLibraryA("comdlg32.dll");
  const auto open = library ? reinterpret_cast<BOOL(WINAPI*)(OPENFILENAMEA*)>(
                                  reinterpret_cast<void*>(GetProcAddress(library, "GetOpenFileNameA")))
                            : nullptr;
  const bool chosen = open && open(&dialog);
  if (library) FreeLibrary(library);
  if (!chosen) return std::nullopt;
  return std::string(file.data());
}

}  // namespace qlm::platform

namespace qlm::platform {

// The screen's fonts and density are asked of a memory context made for the
// screen: it has both as the screen's own context does, which the window
// system hands out only after a round trip to it (under Wine some tenths of
// a millisecond, against a few microseconds).
std::optional<FontFace> Win32Host::FindFontFace(const std::string& family) const {
  std::optional<FontFace> face;
  const HDC screen = CreateCompatibleDC(nullptr);
  EnumFontFamiliesA(
      screen, family.c_str(),
      [](const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM found) -> int {
        // Every description delivered replaces the one before: the last wins.
        FontFace& face = reinterpret_cast<std::optional<FontFace>*>(found)->emplace();
        face.height = font->lfHeight;
        face.weight = font->lfWeight;
        face.escapement = font->lfEscapement;
        face.orientation = font->lfOrientation;
        face.italic = font->lfItalic;
        face.underline = font->lfUnderline;
        face.strikeOut = font->lfStrikeOut;
        face.charSet = font->lfCharSet;
        face.outPrecision = font->lfOutPrecision;
        face.clipPrecision = font->lfClipPrecision;
        face.quality = font->lfQuality;
        face.pitchAndFamily = font->lfPitchAndFamily;
        return 1;
      },
      reinterpret_cast<LPARAM>(&face));
  DeleteDC(screen);
  return face;
}

// The variable every Windows session sets, read without loading the shell,
// which most starts never need.
std::string Win32Host::UserSettingsRoot() const {
  char buffer[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableA("APPDATA", buffer, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  std::string root(buffer, length);
  if (root.back() == '\\') root.pop_back();
  return root;
}

bool Win32Host::CanWrite(const std::string& path) const { return CanWriteFile(path); }

int Win32Host::ScreenPixelsPerInch() const {
  const HDC screen = CreateCompatibleDC(nullptr);
  const int pixels = GetDeviceCaps(screen, LOGPIXELSY);
  DeleteDC(screen);
  return pixels;
}

}  // namespace qlm::platform
