// window_names.h: the tool's inner window names (listed in window_names.def),
// each replaceable through [ToolWindows] of QLM.INI, all held inverted and
// restored into a short-lived buffer for each lookup.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace qlm::toollink {

enum class WindowName {
#define QLM_WINDOW_NAME(id, plain) id,
#include "toollink/window_names.def"
#undef QLM_WINDOW_NAME
};

inline constexpr std::size_t kWindowNameCount = 0
#define QLM_WINDOW_NAME(id, plain) +1
#include "toollink/window_names.def"
#undef QLM_WINDOW_NAME
    ;

// Room for the longest name and its terminating zero.
inline constexpr std::size_t kWindowNameBuffer = 11;

// The key that names name in [ToolWindows] of QLM.INI ("MarkerClass"...).
const char* SettingKey(WindowName name);

// What is wrong with a value given for a name.
enum class NameProblem {
  kNone,
  kTooLong,    // more than 10 bytes
  kMalformed,  // "~" not followed by pairs of hex digits of bytes other than FF
};

// The seven names in use, each held with every byte inverted.
class WindowNames {
 public:
  // The built-in names.
  WindowNames();

  // Replaces name by value: written plainly, or as "~" followed by two hex
  // digits for each inverted byte. An empty value leaves the name as it is
  // (kNone); a faulty one too, returning what is wrong.
  NameProblem Set(WindowName name, std::string_view value);

 private:
  friend class PlainName;
  using Inverted = std::array<unsigned char, kWindowNameBuffer>;
  // The name in use: the replacement when there is one, else the built-in.
  const Inverted& InUse(WindowName name) const;

  std::array<Inverted, kWindowNameCount> replacements_{};
  std::array<bool, kWindowNameCount> replaced_{};
};

// One name in plain text, for as long as one lookup needs it; the buffer is
// wiped when the object goes.
class PlainName {
 public:
  // The built-in name.
  explicit PlainName(WindowName name);
  PlainName(const WindowNames& names, WindowName name);
  ~PlainName();
  PlainName(const PlainName&) = delete;
  PlainName& operator=(const PlainName&) = delete;

  const char* c_str() const { return text_; }

 private:
  char text_[kWindowNameBuffer];
};

// Overwrites text with zeros in a way the compiler keeps.
void Wipe(std::string& text);

}  // namespace qlm::toollink
