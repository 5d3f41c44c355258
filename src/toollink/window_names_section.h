// window_names_section.h: the tool's window names as [ToolWindows] of QLM.INI
// gives them. The user writes this section by hand; the program never writes it.
#pragma once

#include <string>

#include "settings/own_settings.h"
#include "toollink/window_names.h"

namespace qlm {
namespace platform { class Host; }
class ProfileFile;

inline constexpr char kToolWindowsSection[] = "ToolWindows";

struct ToolWindowsSection {
  // The built-in names, each replaced by the section's value where it gives
  // a usable one.
  toollink::WindowNames names;
  // The message naming every key whose value was refused; empty when none was.
  std::string refusals;
};

// Reads every key of the section from file, the open QLM.INI; the form with
// a host opens it for these reads. Absent keys, empty values and a missing
// section or file leave the built-in names.
ToolWindowsSection ReadToolWindowsSection(platform::Host& host, const ProfileFile& file);
ToolWindowsSection ReadToolWindowsSection(platform::Host& host, OwnFileUse use = OwnFileUse::kReadAndWrite);

// The names to use: as ReadToolWindowsSection, after telling the user of any
// refused value.
toollink::WindowNames LoadToolWindowNames(platform::Host& host, const ProfileFile& file);

}  // namespace qlm
