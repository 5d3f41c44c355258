// profile.cpp: the number rules and the ProfileFile on the platform's store.
#include "settings/profile.h"

#include "platform/codepage.h"
#include "platform/file_search.h"
#include "platform/host.h"
#include "platform/profile_store.h"
#include "settings/errors.h"
#include "settings/messages.h"

namespace qlm {

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
      const int d = platform::HexDigit(text[i]);
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

namespace {

// How many times one action's writes are made again on a fresh copy before
// they go to the file in place.
constexpr int kRedos = 3;

}  // namespace

ProfileFile::ProfileFile(platform::Host& host, std::string path, Writes writes, std::string startFrom)
    : host_(host), path_(std::move(path)), writes_(writes), startFrom_(std::move(startFrom)) {
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

const std::string& ProfileFile::Target() const { return copy_ ? copy_->path : path_; }

void ProfileFile::Begin() {
  copy_ = platform::MakeWorkingCopy(path_, startFrom_);
  // A file that cannot be copied beside itself (a folder that refuses new
  // files) is written in place, as the platform writes it, rather than not
  // at all; a crash half way may then cut it.
  inPlace_ = !copy_;
}

bool ProfileFile::Redo() const {
  if (copy_) platform::RemoveWorkingCopy(*copy_);
  copy_ = platform::MakeWorkingCopy(path_, startFrom_);
  if (!copy_) return false;
  reads_.clear();
  bool written = platform::UseWorkingCopy(*copy_);
  for (const Write& write : pending_)
    written = written && ApplyToCopy(write);
  made_ = pending_.size();
  if (written && platform::KeepWorkingCopy(*copy_)) return true;
  platform::RemoveWorkingCopy(*copy_);
  copy_.reset();
  return false;
}

template <typename Operation>
decltype(auto) ProfileFile::OnTarget(Operation&& operation) const {
  if (!copy_) return operation(path_);
  CheckCopy();
  struct KeepAfter {
    const ProfileFile& file;
    ~KeepAfter() {
      // Checked again before the next use or the commit.
      if (file.copy_) platform::KeepWorkingCopy(*file.copy_);
    }
  } keep{*this};
  MakeKept();
  return operation(copy_->path);
}

// A copy removed or replaced under this action (another run taking it for
// left over) must not take the file's place: written on, it would hold only
// this action's keys. Checked once for all the writes kept since the last
// use: they run back to back after it, with nothing in between that could
// take the copy.
void ProfileFile::CheckCopy() const {
  for (int attempt = 0; !platform::UseWorkingCopy(*copy_); ++attempt)
    if (attempt == kRedos || !Redo()) ThrowCannotWrite();
}

void ProfileFile::MakeKept() const {
  for (; made_ < pending_.size(); ++made_)
    if (!ApplyToCopy(pending_[made_])) ThrowCannotWrite();
}

std::string ProfileFile::ReadString(const std::string& section, const std::string& key,
                                    const std::string& fallback) const {
  std::string asked = section;
  asked.append(1, '\0').append(key).append(1, '\0').append(fallback);
  const auto known = reads_.find(asked);
  if (known != reads_.end()) return known->second;
  std::string value =
      OnTarget([&](const std::string& target) { return platform::ProfileRead(target, section, key, fallback); });
  reads_.emplace(std::move(asked), value);
  return value;
}

bool ProfileFile::HasKeys(const std::string& section) const {
  return OnTarget([&](const std::string& target) { return platform::ProfileHasKeys(target, section); });
}

std::int32_t ProfileFile::ReadInteger(const std::string& section, const std::string& key,
                                      std::int32_t fallback) const {
  return ParseStoredInteger(ReadString(section, key, "")).value_or(fallback);
}

void ProfileFile::ThrowCannotWrite() const {
  throw ProfileWriteError(SubstitutePath(host_.Text(msg::kCannotWrite), path_));
}

// A read-only file is never written nor replaced. It is asked here, before
// each step that would change the file (the first write, the rename, a write
// in place), and not left to the platform: some let a rename replace such a
// file and drop its mark, and some let their owner write it.
void ProfileFile::RefuseReadOnly() const {
  if (platform::IsReadOnlyFile(path_)) ThrowCannotWrite();
}

void ProfileFile::WriteString(const std::string& section, const std::string& key,
                              const std::string& value) {
  WriteStrings(section, {{key, value}});
}

bool ProfileFile::Apply(const std::string& target, const Write& write) {
  if (!write.remove) return platform::ProfileWriteKeys(target, write.section, write.values);
  for (const auto& value : write.values)
    if (!platform::ProfileDeleteKey(target, write.section, value.first)) return false;
  return true;
}

// The copy knows whether it still holds the file's bytes: a write of keys
// then need not read it again.
bool ProfileFile::ApplyToCopy(const Write& write) const {
  if (!write.remove) return platform::WriteKeysOnCopy(*copy_, write.section, write.values);
  copy_->content = platform::WorkingCopy::Content::kUnknown;
  return Apply(copy_->path, write);
}

void ProfileFile::WriteStrings(const std::string& section,
                               const std::vector<std::pair<std::string, std::string>>& values) {
  Make(Write{section, values});
}

void ProfileFile::DeleteKey(const std::string& section, const std::string& key) {
  Make(Write{section, {{key, std::string()}}, true});
}

void ProfileFile::Make(Write write) {
  reads_.clear();
  try {
    RefuseReadOnly();
    if (!copy_ && !inPlace_) Begin();
    if (copy_) {
      // Made on the copy with the action's other writes, before the next
      // read or the commit.
      pending_.push_back(std::move(write));
    } else {
      WriteInPlace({write});
    }
  } catch (const ProfileWriteError&) {
    Drop();
    throw;
  }
  if (writes_ == Writes::kEach) Commit();
}

void ProfileFile::Drop() {
  if (copy_) platform::RemoveWorkingCopy(*copy_);
  copy_.reset();
  pending_.clear();
  made_ = 0;
  inPlace_ = false;
}

void ProfileFile::WriteInteger(const std::string& section, const std::string& key,
                               std::int32_t value) {
  WriteString(section, key, std::to_string(value));
}

void ProfileFile::WriteInPlace(const std::vector<Write>& writes) {
  // A file to be started from another's bytes is never begun with the
  // writes alone: it would hold nothing else.
  if (!startFrom_.empty() && !platform::FileExists(path_)) ThrowCannotWrite();
  wroteInPlace_ = true;
  for (const Write& write : writes)
    if (!Apply(path_, write)) ThrowCannotWrite();
}

void ProfileFile::Commit() {
  inPlace_ = false;
  if (!copy_) return;
  if (pending_.empty()) {
    // Only read: nothing to put in place.
    platform::RemoveWorkingCopy(*copy_);
    copy_.reset();
    return;
  }
  // Whatever happens below, the copy and the writes go and the object starts
  // afresh; until then the writes are kept for Redo.
  struct DropAfter {
    ProfileFile& file;
    ~DropAfter() { file.Drop(); }
  } drop{*this};
  // One check of the copy for the whole action; then its writes, back to
  // back, and the copy in the file's place (which checks it again).
  CheckCopy();
  MakeKept();
  if (PutCopyInPlace()) return;
  // The file cannot be replaced (another program holds it open without
  // letting it be replaced past a short wait, or keeps changing it, or no
  // fresh copy could be made): the writes are made on it in place, as the
  // platform makes them, rather than lost. A crash half way may then cut it.
  const std::vector<Write> pending = std::move(pending_);
  Drop();
  RefuseReadOnly();
  WriteInPlace(pending);
}

bool ProfileFile::PutCopyInPlace() {
  for (int attempt = 0; attempt <= kRedos; ++attempt) {
    RefuseReadOnly();
    const platform::ReplaceResult result = platform::ReplaceWithWorkingCopy(*copy_, path_);
    if (result == platform::ReplaceResult::kReplaced) {
      copy_.reset();
      return true;
    }
    // Someone else wrote the file since it was copied (the tool saving its
    // settings, another run's real-time change), or the copy was taken
    // away: this action's writes are made again on the file as it is now.
    if (result != platform::ReplaceResult::kCopyChanged && result != platform::ReplaceResult::kFileChanged) break;
    if (attempt < kRedos && !Redo()) break;
  }
  return false;
}

}  // namespace qlm
