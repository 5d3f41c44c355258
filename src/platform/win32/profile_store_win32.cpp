// profile_store_win32.cpp: the profile store on the Windows private-profile
// functions.
#include <windows.h>

#include "platform/ini/ini_document.h"
#include "platform/profile_store.h"
#include "platform/win32/file_bytes.h"

namespace qlm::platform {

std::string ProfileRead(const std::string& file, const std::string& section,
                              const std::string& key, const std::string& fallback) {
  // The buffer starts zeroed: when the value does not fit, the platform may
  // leave the byte before the terminator unwritten rather than split a
  // double-byte character.
  char buffer[kProfileBufferSize] = {};
  GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback.c_str(), buffer,
                           static_cast<DWORD>(kProfileBufferSize), file.c_str());
  buffer[kProfileBufferSize - 1] = '\0';
  return buffer;
}

bool ProfileWrite(const std::string& file, const std::string& section,
                        const std::string& key, const std::string& value) {
  return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()) != 0;
}

bool ProfileDeleteKey(const std::string& file, const std::string& section, const std::string& key) {
  if (!WritePrivateProfileStringA(section.c_str(), key.c_str(), nullptr, file.c_str())) return false;
  // A section left with no line but blank ones goes as a whole.
  if (const auto bytes = ReadFileBytes(file))
    if (ini::Document(std::move(*bytes)).IsBareSection(section))
      return WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, file.c_str()) != 0;
  return true;
}

namespace {

bool WriteOneByOne(const std::string& file, const std::string& section,
                   const std::vector<std::pair<std::string, std::string>>& values) {
  for (const auto& [key, value] : values)
    if (!ProfileWrite(file, section, key, value)) return false;
  return true;
}

// Writes values into file, whose bytes are given where known. Every write
// that changes the file makes the platform rewrite it whole; for a plain
// section one write of the section's lines leaves the same bytes as the
// writes one by one. content tells what the file then holds against those
// bytes: as before (nothing changed), changed, or not known.
bool WriteKeys(const std::string& file, std::optional<std::string_view> bytes, const std::string& section,
               const std::vector<std::pair<std::string, std::string>>& values, WorkingCopy::Content& content) {
  if (bytes && values.size() > 1)
    if (const auto lines = ini::Document::SectionAfterWrites(*bytes, section, values)) {
      if (lines->empty()) return true;
      content = WorkingCopy::Content::kChanged;
      return WritePrivateProfileSectionA(section.c_str(), lines->c_str(), file.c_str()) != 0;
    }
  content = WorkingCopy::Content::kUnknown;
  return WriteOneByOne(file, section, values);
}

}  // namespace

bool ProfileWriteKeys(const std::string& file, const std::string& section,
                      const std::vector<std::pair<std::string, std::string>>& values) {
  const auto bytes = values.size() > 1 ? ReadFileBytes(file) : std::nullopt;
  WorkingCopy::Content unused{};
  return WriteKeys(file, bytes ? std::optional<std::string_view>(*bytes) : std::nullopt, section, values, unused);
}

bool WriteKeysOnCopy(WorkingCopy& copy, const std::string& section,
                     const std::vector<std::pair<std::string, std::string>>& values) {
  // A copy still as copied holds the file's bytes: they are looked at in
  // memory.
  if (copy.content == WorkingCopy::Content::kAsCopied)
    return WriteKeys(copy.path, copy.sourceBytes, section, values, copy.content);
  copy.content = WorkingCopy::Content::kUnknown;
  return ProfileWriteKeys(copy.path, section, values);
}

bool ProfileHasKeys(const std::string& file, const std::string& section) {
  char start[4] = {};
  return GetPrivateProfileSectionA(section.c_str(), start, sizeof start, file.c_str()) > 0;
}

void ProfileFlush(const std::string& file) {
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, file.c_str());
}

}  // namespace qlm::platform
