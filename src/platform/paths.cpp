// paths.cpp: splitting Windows paths held as system code page bytes.
#include "platform/paths.h"

#include "platform/codepage.h"

namespace qlm {

std::size_t LastBackslash(std::string_view path) {
  std::size_t last = std::string_view::npos;
  for (std::size_t i = 0; i < path.size(); i = platform::NextChar(path, i))
    if (path[i] == '\\') last = i;
  return last;
}

std::size_t FileNameStart(std::string_view path) {
  const std::size_t slash = LastBackslash(path);
  return slash == std::string_view::npos ? 0 : slash + 1;
}

std::string ParentFolder(std::string_view path) {
  const std::size_t slash = LastBackslash(path);
  return std::string(slash == std::string_view::npos ? std::string_view() : path.substr(0, slash));
}

std::string FolderOfChosenFile(std::string_view path) {
  const std::size_t slash = LastBackslash(path);
  if (slash == std::string_view::npos) return "";
  const bool afterDrive = slash > 0 && path[slash - 1] == ':';
  std::string folder(path.substr(0, afterDrive ? slash + 1 : slash));
  return folder + "\\";
}

}  // namespace qlm
