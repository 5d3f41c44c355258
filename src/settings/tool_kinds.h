// tool_kinds.h: the trading tools this program knows and how each one differs
// from the others, one row per kind. Every place that treats the kinds apart
// reads its row (the stand-in tool too), so a new kind is one more row.
#pragma once

#include <cstddef>
#include <iterator>
#include <string_view>

namespace qlm {

// The number of a kind is stored in the history of the edited keys: new
// kinds go before kCount, never between the others.
enum class ToolKind {
  kNone,      // no supported executable in the folder
  kTradePro,  // TradePro.exe
  kOther,     // HighSpeed.exe, Takumi.exe or JoinvestExpress.exe
  kCount
};

struct ToolTraits {
  ToolKind kind;
  // The executables that identify the kind. Kinds are tested in the order of
  // the rows and the first present decides, so TradePro wins over the others.
  std::string_view executables[3];
  // OK writes [GLOBAL] IsMDI and [TRBAR] DOCKING, and real-time mode commands
  // the display style and the tab bar; false where the tool has neither
  // command (its tab bar's command id toggles the ticker bar).
  bool styleAndTabBar;
  // [GLOBAL] COLOR holds the scheme's bare name; else "Color\" and its file name.
  bool bareColourName;
  // The menu command that toggles the ticker bar.
  int tickerCommand;
  // The tool bar and the ticker bar sit each in a frame of its own titled
  // with the first set of names; else the tool bar sits in the container and
  // both carry the second set.
  bool nestedBars;
};

// With no tool found the program behaves as with the others.
inline constexpr ToolTraits kToolKinds[] = {
    {ToolKind::kNone, {}, true, false, 40602, false},
    {ToolKind::kTradePro, {"TradePro.exe"}, false, true, 40601, true},
    {ToolKind::kOther, {"HighSpeed.exe", "Takumi.exe", "JoinvestExpress.exe"}, true, false, 40602, false},
};

constexpr bool RowsFollowKinds() {
  for (std::size_t i = 0; i < std::size(kToolKinds); ++i)
    if (static_cast<std::size_t>(kToolKinds[i].kind) != i) return false;
  return std::size(kToolKinds) == static_cast<std::size_t>(ToolKind::kCount);
}
static_assert(RowsFollowKinds(), "each tool kind has one row, in the order of the kinds");

constexpr const ToolTraits& TraitsOf(ToolKind kind) {
  const auto index = static_cast<std::size_t>(kind);
  return index < std::size(kToolKinds) ? kToolKinds[index] : kToolKinds[0];
}

// The kind an executable's file name (any case of ASCII letters) identifies;
// kNone for a name no kind has.
constexpr ToolKind KindOfExecutable(std::string_view name) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  for (const ToolTraits& row : kToolKinds)
    for (const std::string_view executable : row.executables) {
      if (executable.empty() || executable.size() != name.size()) continue;
      std::size_t i = 0;
      while (i < name.size() && lower(name[i]) == lower(executable[i])) ++i;
      if (i == name.size()) return row.kind;
    }
  return ToolKind::kNone;
}

}  // namespace qlm
