// tool_config.cpp: reading and writing the tool's configuration values.
#include "settings/tool_config.h"

#include "platform/profile_store.h"
#include "settings/profile.h"

namespace qlm {

std::string ToolConfig::Path() const { return held_ ? held_->path() : files_.ForReading(tool::kConfigFile); }

ToolConfig ToolConfig::Held() const {
  ToolConfig held = *this;
  if (!held.held_) held.held_ = std::make_shared<ProfileFile>(host_, Path());
  return held;
}

ToolConfig ToolConfig::Edit() const {
  ToolConfig edit = *this;
  const ToolFiles::WriteTarget target = files_.ForWriting(tool::kConfigFile);
  edit.held_ = std::make_shared<ProfileFile>(host_, target.path, ProfileFile::Writes::kTogether, target.startFrom);
  return edit;
}

void ToolConfig::Commit() const {
  if (held_) held_->Commit();
}

template <typename Operation>
decltype(auto) ToolConfig::OnFile(Operation&& operation) const {
  if (held_) return operation(*held_);
  ProfileFile file(host_, Path());
  return operation(file);
}

template <typename Operation>
void ToolConfig::OnFileForWriting(Operation&& operation) const {
  if (held_) return operation(*held_);
  const ToolFiles::WriteTarget target = files_.ForWriting(tool::kConfigFile);
  ProfileFile file(host_, target.path, ProfileFile::Writes::kEach, target.startFrom);
  operation(file);
}

void ToolConfig::ReleaseParsedCopy() const { platform::ProfileFlush(Path()); }

std::int32_t ToolConfig::ReadInteger(const std::string& section, const std::string& key) const {
  return OnFile([&](const ProfileFile& file) { return file.ReadInteger(section, key, config::kAbsent); });
}

std::string ToolConfig::ReadString(const std::string& section, const std::string& key,
                                   const std::string& fallback) const {
  return OnFile([&](const ProfileFile& file) { return file.ReadString(section, key, fallback); });
}

void ToolConfig::WriteInteger(const std::string& section, const std::string& key, std::int32_t value) const {
  OnFileForWriting([&](ProfileFile& file) { file.WriteInteger(section, key, value); });
}

void ToolConfig::WriteString(const std::string& section, const std::string& key, const std::string& value) const {
  OnFileForWriting([&](ProfileFile& file) { file.WriteString(section, key, value); });
}

void ToolConfig::WriteStrings(const std::string& section,
                              const std::vector<std::pair<std::string, std::string>>& values) const {
  OnFileForWriting([&](ProfileFile& file) { file.WriteStrings(section, values); });
}

void ToolConfig::DeleteKey(const std::string& section, const std::string& key) const {
  OnFileForWriting([&](ProfileFile& file) { file.DeleteKey(section, key); });
}

EditedValues ReadEditedValues(const ToolConfig& config) {
  const ToolConfig file = config.Held();
  EditedValues values;
  // A key the file lacks gives each read its own fallback; a stored one
  // gives both reads its text.
  for (std::size_t i = 0; i < config::kKeyCount; ++i) {
    const config::KeyRow& key = config::kEditedKeys[i];
    const std::string first = file.ReadString(key.section, key.name, "\x01");
    if (first != "\x01" || file.ReadString(key.section, key.name, "\x02") == first) values[i] = first;
  }
  return values;
}

std::int32_t StoredSwitch(const EditedValues& values, config::EditedKey key) {
  return ParseStoredInteger(values[config::IndexOf(key)].value_or("")).value_or(config::kAbsent);
}

}  // namespace qlm
