// working_copy_name.h: how a working copy of a profile file is named, one
// rule for every backend: "<file>.qlm<process id>.tmp".
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qlm::platform {

inline constexpr std::string_view kCopyMark = ".qlm";
inline constexpr std::string_view kCopyEnd = ".tmp";

// The working copy of file that the process with this id makes.
inline std::string WorkingCopyName(const std::string& file, std::uint32_t processId) {
  return file + std::string(kCopyMark) + std::to_string(processId) + std::string(kCopyEnd);
}

// The process id in name when it is the name of a working copy of a file
// named fileName; sameName compares two names as the file system does.
template <typename SameName>
std::optional<std::uint32_t> WorkingCopyOwner(std::string_view name, std::string_view fileName,
                                              SameName sameName) {
  const std::size_t markEnd = fileName.size() + kCopyMark.size();
  if (name.size() <= markEnd + kCopyEnd.size()) return std::nullopt;
  if (!sameName(name.substr(0, fileName.size()), fileName) ||
      !sameName(name.substr(fileName.size(), kCopyMark.size()), kCopyMark) ||
      !sameName(name.substr(name.size() - kCopyEnd.size()), kCopyEnd))
    return std::nullopt;
  const std::string_view digits = name.substr(markEnd, name.size() - markEnd - kCopyEnd.size());
  if (digits.size() > 10) return std::nullopt;
  std::uint64_t id = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    id = id * 10 + static_cast<std::uint64_t>(c - '0');
  }
  if (id > 0xFFFFFFFFu) return std::nullopt;
  return static_cast<std::uint32_t>(id);
}

}  // namespace qlm::platform
