// window_names.cpp: the inverted window names, made from window_names.def
// while compiling, and their restoring.
#include "toollink/window_names.h"

#include <array>
#include <cstring>
#include <stdexcept>

namespace qlm::toollink {
namespace {

using Inverted = std::array<unsigned char, kWindowNameBuffer>;

// Evaluated only while compiling, so the plain text never reaches the program.
// A name too long for its buffer stops the build here.
template <std::size_t N>
consteval Inverted Invert(const char (&plain)[N]) {
  if (N > kWindowNameBuffer) throw std::length_error("a window name is longer than 10 bytes");
  Inverted inverted{};
  for (std::size_t i = 0; i < kWindowNameBuffer; ++i)
    inverted[i] = static_cast<unsigned char>(~static_cast<unsigned char>(i < N ? plain[i] : '\0'));
  return inverted;
}

constexpr Inverted kInverted[] = {
#define QLM_WINDOW_NAME(id, plain) Invert(plain),
#include "toollink/window_names.def"
#undef QLM_WINDOW_NAME
};

}  // namespace

PlainName::PlainName(WindowName name) {
  const Inverted& inverted = kInverted[static_cast<std::size_t>(name)];
  for (std::size_t i = 0; i < kWindowNameBuffer; ++i) text_[i] = static_cast<char>(~inverted[i]);
  text_[kWindowNameBuffer - 1] = '\0';
}

// Written through a volatile pointer so that the compiler cannot drop the
// stores to a buffer that is about to go.
PlainName::~PlainName() {
  volatile char* text = text_;
  for (std::size_t i = 0; i < kWindowNameBuffer; ++i) text[i] = '\0';
}

}  // namespace qlm::toollink
