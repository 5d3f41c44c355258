// native_path.cpp: mapping Windows paths onto the Linux file system.
#include "platform/portable/native_path.h"
#include "platform/portable/text_conversion.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace qlm::platform {
namespace {

std::string Utf8FromCp932(const std::string& text) {
  if (std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
    return text;
  return ConvertText(text, "UTF-8", "CP932").value_or(text);
}

bool Exists(const std::string& path) {
  struct stat status;
  return lstat(path.c_str(), &status) == 0;
}

bool EqualIgnoringAsciiCase(const std::string& a, const char* b) {
  const std::string other = b;
  return a.size() == other.size() &&
         std::equal(a.begin(), a.end(), other.begin(), [](char x, char y) {
           auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
           return lower(x) == lower(y);
         });
}

// The entry of folder spelled like name apart from ASCII case, or name.
std::string FindEntry(const std::string& folder, const std::string& name) {
  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.empty() ? "." : folder.c_str()), closedir);
  if (!dir) return name;
  while (const dirent* entry = readdir(dir.get()))
    if (EqualIgnoringAsciiCase(name, entry->d_name)) return entry->d_name;
  return name;
}

}  // namespace

// The path as Windows reads it: "." and ".." taken by their text, trailing
// dots dropped from every name and trailing blanks from the last one.
std::string Normalise(const std::string& path) {
  const bool absolute = !path.empty() && path[0] == '/';
  std::vector<std::string> names;
  std::size_t pos = absolute ? 1 : 0;
  while (pos <= path.size()) {
    const std::size_t slash = std::min(path.find('/', pos), path.size());
    std::string name = path.substr(pos, slash - pos);
    const bool last = slash == path.size();
    while (!name.empty() && (name.back() == '.' || (last && name.back() == ' ')) && name != "." && name != "..")
      name.pop_back();
    if (name == "..") {
      if (!names.empty() && names.back() != "..") names.pop_back();
      else if (!absolute) names.push_back(name);
    } else if (name != "." && !(name.empty() && !last)) {
      names.push_back(name);
    }
    pos = slash + 1;
  }
  std::string normal = absolute ? "/" : "";
  for (std::size_t i = 0; i < names.size(); ++i) normal += (i ? "/" : "") + names[i];
  return normal;
}

std::string NativePath(const std::string& path) {
  std::string native = Utf8FromCp932(path);
  if (native.rfind("\\\\?\\", 0) == 0) native.erase(0, 4);
  if (native.size() >= 2 && (native[0] == 'Z' || native[0] == 'z') && native[1] == ':') native.erase(0, 2);
  std::replace(native.begin(), native.end(), '\\', '/');
  if (!native.empty()) native = Normalise(native);
  if (native.empty() || Exists(native)) return native;

  // Rebuild the path one component at a time, matching names without regard
  // to case where the spelling given does not exist.
  std::string resolved = native[0] == '/' ? "/" : "";
  std::size_t pos = native[0] == '/' ? 1 : 0;
  while (pos <= native.size()) {
    const std::size_t slash = std::min(native.find('/', pos), native.size());
    const std::string name = native.substr(pos, slash - pos);
    if (!name.empty()) {
      const std::string folder = resolved.empty() ? "" : resolved;
      const std::string exact = resolved + name;
      resolved += Exists(exact) ? name : FindEntry(folder, name);
    }
    if (slash < native.size()) resolved += '/';
    pos = slash + 1;
  }
  return resolved;
}

}  // namespace qlm::platform
