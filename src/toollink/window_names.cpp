// window_names.cpp: the inverted window names, the built-in ones made from
// window_names.def while compiling, their replacement from a setting, and
// their restoring.
#include "toollink/window_names.h"

#include <cstring>
#include <optional>
#include <stdexcept>

#include "platform/codepage.h"

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

constexpr std::array<Inverted, kWindowNameCount> kBuiltIn = {
#define QLM_WINDOW_NAME(id, plain) Invert(plain),
#include "toollink/window_names.def"
#undef QLM_WINDOW_NAME
};

// The key is the identifier without its leading "k".
constexpr const char* kKeys[] = {
#define QLM_WINDOW_NAME(id, plain) &#id[1],
#include "toollink/window_names.def"
#undef QLM_WINDOW_NAME
};

constexpr unsigned char kInvertedZero = 0xFF;
constexpr std::size_t kLongestName = kWindowNameBuffer - 1;

// "~" and hex pairs of inverted bytes, none of them an inverted zero.
NameProblem ParseInverted(std::string_view digits, Inverted& out) {
  if (digits.empty() || digits.size() % 2 != 0) return NameProblem::kMalformed;
  Inverted parsed;
  parsed.fill(kInvertedZero);
  for (std::size_t i = 0; i < digits.size(); i += 2) {
    const int high = platform::HexDigit(digits[i]);
    const int low = platform::HexDigit(digits[i + 1]);
    if (high < 0 || low < 0 || (high << 4 | low) == kInvertedZero) return NameProblem::kMalformed;
    if (i / 2 < kLongestName) parsed[i / 2] = static_cast<unsigned char>(high << 4 | low);
  }
  if (digits.size() / 2 > kLongestName) return NameProblem::kTooLong;
  out = parsed;
  return NameProblem::kNone;
}

NameProblem ParsePlain(std::string_view plain, Inverted& out) {
  if (plain.size() > kLongestName) return NameProblem::kTooLong;
  if (plain.find('\0') != std::string_view::npos) return NameProblem::kMalformed;
  out.fill(kInvertedZero);
  for (std::size_t i = 0; i < plain.size(); ++i)
    out[i] = static_cast<unsigned char>(~static_cast<unsigned char>(plain[i]));
  return NameProblem::kNone;
}

void WipeBytes(char* bytes, std::size_t size) {
  volatile char* target = bytes;
  for (std::size_t i = 0; i < size; ++i) target[i] = '\0';
}

}  // namespace

const char* SettingKey(WindowName name) { return kKeys[static_cast<std::size_t>(name)]; }

WindowNames::WindowNames() = default;

NameProblem WindowNames::Set(WindowName name, std::string_view value) {
  if (value.empty()) return NameProblem::kNone;
  const auto index = static_cast<std::size_t>(name);
  const NameProblem problem = value.front() == '~' ? ParseInverted(value.substr(1), replacements_[index])
                                                   : ParsePlain(value, replacements_[index]);
  if (problem == NameProblem::kNone) replaced_[index] = true;
  return problem;
}

// The built-in table is only ever indexed, never copied whole, so that it
// stays one block of data rather than being folded into the code.
const WindowNames::Inverted& WindowNames::InUse(WindowName name) const {
  const auto index = static_cast<std::size_t>(name);
  return replaced_[index] ? replacements_[index] : kBuiltIn[index];
}

PlainName::PlainName(WindowName name) : PlainName(WindowNames(), name) {}

PlainName::PlainName(const WindowNames& names, WindowName name) {
  const Inverted& inverted = names.InUse(name);
  for (std::size_t i = 0; i < kWindowNameBuffer; ++i) text_[i] = static_cast<char>(~inverted[i]);
  text_[kWindowNameBuffer - 1] = '\0';
}

// Written through a volatile pointer so that the compiler cannot drop the
// stores to a buffer that is about to go.
PlainName::~PlainName() { WipeBytes(text_, kWindowNameBuffer); }

void Wipe(std::string& text) { WipeBytes(text.data(), text.size()); }

}  // namespace qlm::toollink
