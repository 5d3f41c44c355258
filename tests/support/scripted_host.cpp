// scripted_host.cpp: message texts from the program's own table, dialogs from
// the script.
#include "support/scripted_host.h"

#include <map>

#include "platform/codepage.h"
#include "platform/file_search.h"

namespace qlm::platform {
namespace {

const std::map<int, std::string>& TextTable() {
  static const std::map<int, std::string> table = [] {
    std::map<int, std::string> texts;
#define QLM_MESSAGE(id, text) texts.emplace(id, AnsiFromUtf8(text));
#include "settings/messages.def"
#undef QLM_MESSAGE
    return texts;
  }();
  return table;
}

}  // namespace

std::string ScriptedHost::Text(int id) const {
  const auto found = TextTable().find(id);
  return found == TextTable().end() ? std::string() : found->second;
}

std::optional<FontFace> ScriptedHost::FindFontFace(const std::string& family) const {
  for (const auto& [name, face] : fonts_)
    if (!family.empty() && CompareIgnoringCase(name, family) == 0) return face;
  return std::nullopt;
}

bool ScriptedHost::CanWrite(const std::string& path) const {
  for (const std::string& unwritable : unwritable_)
    if (CompareIgnoringCase(unwritable, path) == 0) return false;
  return CanWriteFile(path);
}

std::optional<std::string> ScriptedHost::AskForFile(const FileDialogRequest& request) {
  fileDialogs_.push_back(request);
  if (fileAnswers_.empty()) return std::nullopt;
  auto answer = std::move(fileAnswers_.front());
  fileAnswers_.pop_front();
  return answer;
}

}  // namespace qlm::platform
