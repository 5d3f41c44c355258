// text_file_win32.cpp: a whole file written with CreateFileA and WriteFile.
#include <windows.h>

#include "platform/text_file.h"

namespace qlm::platform {

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
  const HANDLE file =
      CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool whole = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                     written == bytes.size();
  return CloseHandle(file) && whole;
}

}  // namespace qlm::platform
