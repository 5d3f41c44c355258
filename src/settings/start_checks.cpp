// start_checks.cpp: the checks before the program starts its work.
#include "settings/start_checks.h"

#include "platform/codepage.h"
#include "platform/host.h"
#include "platform/system_facts.h"
#include "settings/messages.h"

namespace qlm {

bool IsInsideZip(std::string_view executablePath) {
  static constexpr std::string_view kZip = ".zip";
  std::size_t start = 0;
  for (std::size_t i = 0; i < executablePath.size(); i = platform::NextChar(executablePath, i)) {
    const char c = executablePath[i];
    if (c != '\\' && c != '/') continue;
    const std::string_view name = executablePath.substr(start, i - start);
    if (name.size() > kZip.size()) {
      const std::string_view end = name.substr(name.size() - kZip.size());
      bool same = true;
      for (std::size_t k = 0; k < kZip.size(); ++k) {
        const char lower = end[k] >= 'A' && end[k] <= 'Z' ? static_cast<char>(end[k] - 'A' + 'a') : end[k];
        same = same && lower == kZip[k];
      }
      if (same) return true;
    }
    start = i + 1;
  }
  return false;
}

bool StartsWithUtf8Mark(const std::string& path) { return platform::ReadFileStart(path, 3) == "\xEF\xBB\xBF"; }

bool TellIfUtf8Marked(platform::Host& host, const std::string& path, int id) {
  if (!StartsWithUtf8Mark(path)) return false;
  // The whole path: its end names the file.
  host.ShowNotice(SubstituteWhole(host.Text(id), path));
  return true;
}

void ShowStartNotices(platform::Host& host, const std::string& settingsPath) {
  if (const unsigned codePage = platform::SystemCodePage(); codePage != kJapaneseCodePage)
    host.ShowNotice(Substitute(host.Text(msg::kNotJapaneseCodePage), std::to_string(codePage)));
  TellIfUtf8Marked(host, settingsPath, msg::kOwnSettingsUtf8Mark);
}

}  // namespace qlm
