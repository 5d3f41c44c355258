// profile.h: typed access to one INI-format settings file, on top of the
// platform's profile store.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/profile_store.h"

namespace qlm {
namespace platform { class Host; }

// The number rules for stored integers: optional blanks (0x20 only), an
// optional sign, then either decimal digits (any leading zeros, within the
// signed 32-bit range) or "$", "x", "X", "0x" or "0X" and one to eight hex
// digits taken as a 32-bit pattern. Nothing else may follow. Nothing on failure.
std::optional<std::int32_t> ParseInteger(std::string_view text);

// How a stored value is read as an integer: a text longer than two characters
// that starts with "0x" or "0X" has those two read as "$"; then ParseInteger.
std::optional<std::int32_t> ParseStoredInteger(std::string_view text);

// One settings file, opened for one routine. No write ever leaves the file
// half written: writes are made on a working copy beside the file, which then
// takes the file's place in one step. Each write does so on its own, or, for
// a file opened for the writes of one action, all of them together on
// Commit(). The destructor asks the platform to flush its cached copy when
// the file was written in place.
class ProfileFile {
 public:
  enum class Writes {
    kEach,      // every write lands at once
    kTogether,  // the writes land together on Commit(), or not at all
  };

  // startFrom: where path does not exist yet, the file whose bytes a first
  // write starts from (the original of a copy made on the first write).
  ProfileFile(platform::Host& host, std::string path, Writes writes = Writes::kEach, std::string startFrom = {});
  // Writes not committed are dropped: the file stays as it was.
  ~ProfileFile();
  ProfileFile(const ProfileFile&) = delete;
  ProfileFile& operator=(const ProfileFile&) = delete;

  const std::string& path() const { return path_; }

  // The stored value, or fallback when the file, section or key is missing.
  // Writes not yet committed are seen. A value read is read once for the
  // object's routine (each read of a large file costs the platform a look at
  // the file, or a parse of it), until the object writes.
  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& fallback) const;
  // False when no key of section can be read (no such section or no file).
  bool HasKeys(const std::string& section) const;
  // The stored value as an integer, or fallback when missing or not a number.
  std::int32_t ReadInteger(const std::string& section, const std::string& key,
                           std::int32_t fallback) const;

  // Both throw ProfileWriteError ("<path> に書き込めません") when the platform
  // refuses the write or the file is read-only; with kTogether the file then
  // stays as it was.
  void WriteString(const std::string& section, const std::string& key, const std::string& value);
  void WriteInteger(const std::string& section, const std::string& key, std::int32_t value);
  // Sets several keys of one section, as that many WriteString calls in this
  // order would, in as few rewrites of the file as the platform allows.
  void WriteStrings(const std::string& section, const std::vector<std::pair<std::string, std::string>>& values);
  // Removes key from section (nothing when it is not there); throws as the
  // writes do.
  void DeleteKey(const std::string& section, const std::string& key);

  // Puts the writes made so far in place; throws ProfileWriteError when the
  // file cannot be written. When someone else wrote the file since it was
  // copied, or the copy was taken away, the writes are made again on a
  // fresh copy, so that the other writer's keys stay; when the file cannot
  // be replaced (another program holds it past a short wait), they are made
  // on the file in place, never on a read-only file.
  void Commit();

 private:
  // The keys of one section written together.
  struct Write {
    std::string section;
    std::vector<std::pair<std::string, std::string>> values;
    // The keys of values are removed rather than set.
    bool remove = false;
  };
  // Makes write on the file at target as the platform makes it.
  static bool Apply(const std::string& target, const Write& write);
  // The same on the working copy, just checked.
  bool ApplyToCopy(const Write& write) const;
  void Make(Write write);

  // Where reads and writes go: the working copy while there is one.
  const std::string& Target() const;
  // Makes the working copy for the writes to come.
  void Begin();
  // Makes the working copy again from the file as it is now, with this
  // action's writes so far: when the copy was removed or replaced under it,
  // or the file was written by someone else meanwhile. False when no copy
  // can be made.
  bool Redo() const;
  // Checks the copy once before the profile functions use it (made again
  // where it changed); throws when no fresh one can be made.
  void CheckCopy() const;
  // Makes the writes kept for the copy on it; throws when one is refused.
  void MakeKept() const;
  // Runs operation on the target, the working copy checked to be as this
  // object left it before and held again after. The writes kept for the
  // copy are made first, back to back, after that one check.
  template <typename Operation>
  decltype(auto) OnTarget(Operation&& operation) const;
  // The writes on the file itself, as the platform makes them, when the copy
  // cannot take its place.
  void WriteInPlace(const std::vector<Write>& writes);
  // Puts the copy in the file's place, made again where the file or the
  // copy changed meanwhile; false when the file cannot be replaced.
  bool PutCopyInPlace();
  // Lets go of the copy and the action's writes.
  void Drop();
  void RefuseReadOnly() const;
  [[noreturn]] void ThrowCannotWrite() const;

  platform::Host& host_;
  std::string path_;
  Writes writes_;
  std::string startFrom_;
  mutable std::optional<platform::WorkingCopy> copy_;
  // No copy could be made: writes go to the file itself.
  bool inPlace_ = false;
  // The platform has written the file itself through this object.
  bool wroteInPlace_ = false;
  // The writes of the action: kept, and made on the copy together before
  // the next read or the commit (the first `made_` of them are made), so
  // that the profile functions touch the copy in one stretch, after one
  // check; made again on a fresh copy or on the file itself.
  std::vector<Write> pending_;
  mutable std::size_t made_ = 0;
  // What was read since the last write: section, key and fallback, joined
  // by NULs, to the value.
  mutable std::map<std::string, std::string> reads_;
};

}  // namespace qlm
