// file_search_win32.cpp: the wildcard search on FindFirstFileA/FindNextFileA.
#include <windows.h>

#include "platform/file_search.h"

namespace qlm::platform {

std::vector<std::string> FindFiles(const std::string& pattern) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do names.emplace_back(found.cFileName);
  while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

}  // namespace qlm::platform
