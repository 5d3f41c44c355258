// profile.cpp: the number rules and the ProfileFile on the platform's store.
#include "settings/profile.h"

#include "platform/host.h"
#include "platform/profile_store.h"
#include "settings/errors.h"
#include "settings/messages.h"

namespace qlm {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<std::int32_t> ParseInteger(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  if (i == text.size()) return std::nullopt;

  bool hex = false;
  if (text[i] == '$' || text[i] == 'x' || text[i] == 'X') {
    hex = true;
    ++i;
  } else if (text[i] == '0' && i + 1 < text.size() && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }

  if (hex) {
    const std::size_t digits = text.size() - i;
    if (digits < 1 || digits > 8) return std::nullopt;
    std::uint32_t pattern = 0;
    for (; i < text.size(); ++i) {
      const int d = HexDigit(text[i]);
      if (d < 0) return std::nullopt;
      pattern = pattern << 4 | static_cast<std::uint32_t>(d);
    }
    if (negative) pattern = 0u - pattern;
    return static_cast<std::int32_t>(pattern);
  }

  std::int64_t magnitude = 0;
  const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > limit) return std::nullopt;
  }
  return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

std::optional<std::int32_t> ParseStoredInteger(std::string_view text) {
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    std::string dollar = "$";
    dollar.append(text.substr(2));
    return ParseInteger(dollar);
  }
  return ParseInteger(text);
}

ProfileFile::ProfileFile(platform::Host& host, std::string path, Writes writes)
    : host_(host), path_(std::move(path)), writes_(writes) {
  // The action's reads go to the copy too, so the platform parses one file,
  // not the file and then its copy.
  if (writes_ == Writes::kTogether) Begin();
}

ProfileFile::~ProfileFile() {
  if (copy_) platform::RemoveWorkingCopy(*copy_);
  // Only a file the platform has written itself can have writes in a cached
  // copy to flush. Reads leave nothing to flush, and a flush would make the
  // platform drop its parsed copy, so that the next read parses the file
  // again; a file only ever replaced by a working copy has nothing either.
  if (wroteInPlace_) platform::ProfileFlush(path_);
}

const std::string& ProfileFile::Target() const { return copy_ ? *copy_ : path_; }

void ProfileFile::Begin() {
  copy_ = platform::MakeWorkingCopy(path_);
  // A file that cannot be copied beside itself (a folder that refuses new
  // files) is written in place, as the platform writes it, rather than not
  // at all; a crash half way may then cut it.
  inPlace_ = !copy_;
}

std::string ProfileFile::ReadString(const std::string& section, const std::string& key,
                                    const std::string& fallback) const {
  std::string asked = section;
  asked.append(1, '\0').append(key).append(1, '\0').append(fallback);
  const auto known = reads_.find(asked);
  if (known != reads_.end()) return known->second;
  std::string value = platform::ProfileRead(Target(), section, key, fallback);
  reads_.emplace(std::move(asked), value);
  return value;
}

bool ProfileFile::HasKeys(const std::string& section) const { return platform::ProfileHasKeys(Target(), section); }

std::int32_t ProfileFile::ReadInteger(const std::string& section, const std::string& key,
                                      std::int32_t fallback) const {
  return ParseStoredInteger(ReadString(section, key, "")).value_or(fallback);
}

void ProfileFile::ThrowCannotWrite() const {
  throw ProfileWriteError(SubstitutePath(host_.Text(msg::kCannotWrite), path_));
}

void ProfileFile::WriteString(const std::string& section, const std::string& key,
                              const std::string& value) {
  WriteStrings(section, {{key, value}});
}

void ProfileFile::WriteStrings(const std::string& section,
                               const std::vector<std::pair<std::string, std::string>>& values) {
  reads_.clear();
  if (!copy_ && !inPlace_) Begin();
  if (copy_)
    for (const auto& [key, value] : values) pending_.push_back({section, key, value});
  wroteInPlace_ = wroteInPlace_ || !copy_;
  if (!platform::ProfileWriteKeys(Target(), section, values)) {
    if (copy_) platform::RemoveWorkingCopy(*copy_);
    copy_.reset();
    pending_.clear();
    inPlace_ = false;
    ThrowCannotWrite();
  }
  if (writes_ == Writes::kEach) Commit();
}

void ProfileFile::WriteInteger(const std::string& section, const std::string& key,
                               std::int32_t value) {
  WriteString(section, key, std::to_string(value));
}

void ProfileFile::Commit() {
  inPlace_ = false;
  if (!copy_) return;
  const std::string copy = std::move(*copy_);
  copy_.reset();
  std::vector<Write> pending = std::move(pending_);
  pending_.clear();
  if (platform::ReplaceWithWorkingCopy(copy, path_)) return;
  // The file cannot be replaced (another program holds it open without
  // letting it be replaced): the writes are made on it in place, as the
  // platform makes them, rather than lost. A crash half way may then cut it.
  platform::RemoveWorkingCopy(copy);
  wroteInPlace_ = true;
  for (const Write& write : pending)
    if (!platform::ProfileWrite(path_, write.section, write.key, write.value)) ThrowCannotWrite();
}

}  // namespace qlm
