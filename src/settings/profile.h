// profile.h: typed access to one INI-format settings file, on top of the
// platform's profile store.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qlm {
namespace platform { class Host; }

// The number rules for stored integers: optional blanks (0x20 only), an
// optional sign, then either decimal digits (any leading zeros, within the
// signed 32-bit range) or "$", "x", "X", "0x" or "0X" and one to eight hex
// digits taken as a 32-bit pattern. Nothing else may follow. Nothing on failure.
std::optional<std::int32_t> ParseInteger(std::string_view text);

// How a stored value is read as an integer: a text longer than two characters
// that starts with "0x" or "0X" has those two read as "$"; then ParseInteger.
std::optional<std::int32_t> ParseStoredInteger(std::string_view text);

// One settings file, opened for one routine. Writes reach the file at once;
// the destructor asks the platform to flush its cached copy.
class ProfileFile {
 public:
  ProfileFile(platform::Host& host, std::string path);
  ~ProfileFile();
  ProfileFile(const ProfileFile&) = delete;
  ProfileFile& operator=(const ProfileFile&) = delete;

  const std::string& path() const { return path_; }

  // The stored value, or fallback when the file, section or key is missing.
  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& fallback) const;
  // The stored value as an integer, or fallback when missing or not a number.
  std::int32_t ReadInteger(const std::string& section, const std::string& key,
                           std::int32_t fallback) const;

  // Both throw ProfileWriteError ("<path> に書き込めません") when the platform
  // refuses the write.
  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  void WriteInteger(const std::string& section, const std::string& key, std::int32_t value);

 private:
  platform::Host& host_;
  std::string path_;
};

}  // namespace qlm
