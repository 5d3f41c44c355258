// window_names.h: the tool's inner window names (listed in window_names.def),
// held inverted and restored into a short-lived buffer for each lookup.
#pragma once

#include <cstddef>

namespace qlm::toollink {

enum class WindowName {
#define QLM_WINDOW_NAME(id, plain) id,
#include "toollink/window_names.def"
#undef QLM_WINDOW_NAME
};

// Room for the longest name and its terminating zero.
inline constexpr std::size_t kWindowNameBuffer = 11;

// One name in plain text, for as long as one lookup needs it; the buffer is
// wiped when the object goes.
class PlainName {
 public:
  explicit PlainName(WindowName name);
  ~PlainName();
  PlainName(const PlainName&) = delete;
  PlainName& operator=(const PlainName&) = delete;

  const char* c_str() const { return text_; }

 private:
  char text_[kWindowNameBuffer];
};

}  // namespace qlm::toollink
