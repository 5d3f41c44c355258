// window_names_section.cpp: reading [ToolWindows] of QLM.INI.
#include "toollink/window_names_section.h"

#include "platform/host.h"
#include "settings/messages.h"
#include "settings/own_settings.h"
#include "settings/profile.h"

namespace qlm {

using toollink::NameProblem;
using toollink::WindowName;

ToolWindowsSection ReadToolWindowsSection(platform::Host& host, OwnFileUse use) {
  return ReadToolWindowsSection(host, ProfileFile(host, OwnSettingsPath(host, use)));
}

ToolWindowsSection ReadToolWindowsSection(platform::Host& host, const ProfileFile& file) {
  ToolWindowsSection section;
  // Most files have no such section: one look rather than seven reads.
  if (!file.HasKeys(kToolWindowsSection)) return section;
  for (std::size_t i = 0; i < toollink::kWindowNameCount; ++i) {
    const auto name = static_cast<WindowName>(i);
    const char* key = toollink::SettingKey(name);
    // The value is plain text only until it is stored inverted.
    std::string value = file.ReadString(kToolWindowsSection, key, "");
    const NameProblem problem = section.names.Set(name, value);
    toollink::Wipe(value);
    if (problem == NameProblem::kNone) continue;
    if (!section.refusals.empty()) section.refusals += '\n';
    section.refusals += Substitute(
        host.Text(problem == NameProblem::kTooLong ? msg::kToolWindowTooLong : msg::kToolWindowMalformed), key);
  }
  // Each line is cut on its own; the list of them is shown whole, so that
  // every refused key is named.
  if (!section.refusals.empty())
    section.refusals = SubstituteWhole(host.Text(msg::kToolWindowsRefused), section.refusals);
  return section;
}

toollink::WindowNames LoadToolWindowNames(platform::Host& host, const ProfileFile& file) {
  ToolWindowsSection section = ReadToolWindowsSection(host, file);
  if (!section.refusals.empty()) host.ShowNotice(section.refusals);
  return section.names;
}

}  // namespace qlm
