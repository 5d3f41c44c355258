// colour_catalogue.cpp: listing, choosing and storing the colour scheme.
#include "settings/colour_catalogue.h"

#include "platform/codepage.h"
#include "platform/file_search.h"
#include "platform/host.h"
#include "settings/messages.h"
#include "settings/tool_config.h"

namespace qlm {
namespace {

void TellMissingPath(platform::Host& host, const std::string& path) {
  host.ShowNotice(SubstitutePath(host.Text(msg::kColourFileMissing), path));
}

// The part of a stored value after its last backslash or colon.
std::string FileNamePart(const std::string& value) {
  std::size_t begin = 0;
  for (std::size_t pos = 0; pos < value.size(); pos = platform::NextChar(value, pos))
    if (value[pos] == '\\' || value[pos] == ':') begin = pos + 1;
  return value.substr(begin);
}

// The name without its last extension (from its last dot on).
std::string WithoutExtension(const std::string& name) {
  std::size_t dot = std::string::npos;
  for (std::size_t pos = 0; pos < name.size(); pos = platform::NextChar(name, pos))
    if (name[pos] == '.') dot = pos;
  return name.substr(0, dot);
}

}  // namespace

std::string ColourFilePath(const ToolFiles& files, const std::string& name) {
  return files.ForReading(tool::kColourFolder + name);
}

// TradePro stores the bare name, so ".CLR" goes onto a stored value; an
// absent key means Default.CLR itself, not "Default.CLR.CLR".
std::string StoredColourFile(const EditedValues& values, ToolKind kind) {
  const std::optional<std::string>& stored = values[config::IndexOf(config::EditedKey::kColour)];
  if (!stored) return colour::kDefaultFile;
  std::string name = FileNamePart(*stored);
  if (TraitsOf(kind).bareColourName) name += colour::kExtension;
  return name;
}

std::vector<std::string> ListColourFiles(const ToolFiles& files) {
  return files.FindFiles(std::string(tool::kColourFolder) + colour::kPattern);
}

bool ConfirmColourFile(platform::Host& host, const ToolFiles& files, const std::string& name) {
  const std::string path = ColourFilePath(files, name);
  if (platform::FileExists(path)) return true;
  TellMissingPath(host, path);
  return false;
}

bool SaveColourSetting(const ToolConfig& config, ToolKind kind, const std::string& name) {
  if (!ConfirmColourFile(config.host(), config.files(), name)) return false;
  const std::string value = TraitsOf(kind).bareColourName ? WithoutExtension(name) : tool::kColourFolder + name;
  const config::KeyRow& key = config::KeyOf(config::EditedKey::kColour);
  config.WriteString(key.section, key.name, value);
  return true;
}

}  // namespace qlm
