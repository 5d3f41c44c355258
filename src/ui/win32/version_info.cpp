// version_info.cpp: reading an executable's version resource.
#include <windows.h>

#include <string>
#include <vector>

#include "ui/win32/version_info.h"

#include "platform/codepage.h"

namespace qlm::ui {

std::string FileVersionOf(const std::string& path) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
  if (size == 0) return "-";
  std::vector<char> data(size);
  if (!GetFileVersionInfoA(path.c_str(), 0, size, data.data())) return "-";

  struct Translation {
    WORD language;
    WORD codePage;
  };
  Translation* translations = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations), &length) ||
      length < sizeof(Translation))
    return "-";

  const std::string query = "\\StringFileInfo\\" + platform::HexText(translations[0].language, 4, false) +
                            platform::HexText(translations[0].codePage, 4, false) + "\\FileVersion";
  char* version = nullptr;
  if (!VerQueryValueA(data.data(), query.c_str(), reinterpret_cast<void**>(&version), &length) || !version)
    return "-";
  return version;
}

}  // namespace qlm::ui
