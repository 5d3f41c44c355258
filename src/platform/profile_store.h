// profile_store.h: the platform's store of INI-format profile files.
//
// Every operation names its file by full path. Texts are bytes in the system
// code page; an argument is taken up to its first NUL byte, as the platform's
// C interface takes it. Nothing here is cached by the program: each call sees
// what the last write left.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qlm::platform {

// The platform reads a value into a buffer of this many bytes, so a value has
// at most kProfileBufferSize - 1 bytes.
inline constexpr std::size_t kProfileBufferSize = 2048;

// The value of key in section of file, as the platform's profile reader gives
// it: blanks around it removed, one pair of enclosing quotes removed, cut to
// fit the buffer. Missing file, section or key give fallback (itself trimmed
// of trailing blanks). Never fails.
std::string ProfileRead(const std::string& file, const std::string& section,
                              const std::string& key, const std::string& fallback);

// Sets key in section of file to value, creating the file, the section and
// the key as needed; an empty value writes "key=". False when the platform
// refuses the write; the file is then left as it was.
bool ProfileWrite(const std::string& file, const std::string& section,
                        const std::string& key, const std::string& value);

// Removes key from section of file (the platform's write of no value); a
// key that is not there leaves the file as it was. A section that this
// leaves with no line but blank ones is removed with it (its header line),
// so that a key written into a new section and removed again leaves the
// file as it was. False when the platform refuses the write.
bool ProfileDeleteKey(const std::string& file, const std::string& section, const std::string& key);

// Sets each key of section in file to its value, leaving exactly the bytes
// that the writes one by one, in this order, leave; where the platform can
// do that with one rewrite of the file, it does. False when the platform
// refuses a write: some of the values may then be written (use it on a
// working copy).
bool ProfileWriteKeys(const std::string& file, const std::string& section,
                      const std::vector<std::pair<std::string, std::string>>& values);

// Asks the platform to write any cached copy of file to disk.
void ProfileFlush(const std::string& file);

// False when file holds no key of section that a read could find (no such
// section, or the file is missing): one look instead of a read per key.
bool ProfileHasKeys(const std::string& file, const std::string& section);

// Working copies. The writes of one action go to a copy of the file made
// beside it, which then takes the file's place in one step: the file on disk
// only ever holds its whole old or its whole new content, even when the
// program is ended half way. A copy is named after its file and the process
// that made it (working_copy_name.h).

// A file's state at one moment, enough to tell whether it was written or
// replaced since: its size, last write time and identity on its volume.
struct FileStamp {
  bool exists = false;
  std::uint64_t size = 0;
  std::uint64_t writeTime = 0;
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  bool operator==(const FileStamp&) const = default;
};

// One action's working copy, and the file as it was copied.
struct WorkingCopy {
  std::string path;
  // The file when it was copied: its state and bytes (none when it did not
  // exist), to tell before the copy takes its place whether someone else
  // wrote it meanwhile.
  FileStamp source;
  std::string sourceBytes;
  // The copy as this process last left it.
  FileStamp copy;
  // What the copy holds against the file as copied: exactly its bytes (no
  // write made yet, or none that changed a byte), other bytes, or not known
  // (the platform's own writes, a copy started from another file).
  enum class Content { kAsCopied, kChanged, kUnknown };
  Content content = Content::kUnknown;
  // What a copy made to start as first holds (nothing for one started from
  // another file): source and sourceBytes already set.
  Content ContentAtStart(const std::string* first) const {
    if (!first) return Content::kUnknown;
    return source.exists && *first == sourceBytes ? Content::kAsCopied : Content::kChanged;
  }
  // Whether the copy's bytes equal the file's as copied, where its content
  // tells without reading it.
  std::optional<bool> KnownToEqualSource() const {
    if (content == Content::kUnknown) return std::nullopt;
    return content == Content::kAsCopied;
  }
  // The platform's hold on the copy between its uses: while held, no other
  // program can write, replace or remove it, and others see it as live.
  std::shared_ptr<void> hold;
};

// Makes the working copy of file for this process from a reading of the
// file that no writer was in the middle of (tried again while another
// program writes it). When file does not exist yet, the copy starts as the
// bytes of startFrom where that names a file (the original of a copy made
// on the first write), else no copy is made: the first write to the copy's
// path creates it. Nothing when the copy cannot be made (file unreadable,
// folder refusing new files, a name too long); the caller then writes to
// file in place.
std::optional<WorkingCopy> MakeWorkingCopy(const std::string& file, const std::string& startFrom = {});
// The same, the copy starting as bytes rather than as the file's (a file
// written whole): the file is still read, to tell at the replace whether
// someone else wrote it meanwhile.
std::optional<WorkingCopy> MakeWorkingCopyOf(const std::string& file, const std::string& bytes);

// ProfileWriteKeys on a working copy just checked with UseWorkingCopy: a
// copy still as copied is not read again (its bytes are the file's), and
// what the writes did to it is noted in copy.content.
bool WriteKeysOnCopy(WorkingCopy& copy, const std::string& section,
                     const std::vector<std::pair<std::string, std::string>>& values);

// Before the profile functions read or write copy: lets go of the hold.
// False when the copy is no longer as this process left it (removed,
// replaced or written by someone else); it must then be made again.
bool UseWorkingCopy(WorkingCopy& copy);
// After they did: holds the copy again and notes its state. False when the
// copy is not there.
bool KeepWorkingCopy(WorkingCopy& copy);

enum class ReplaceResult {
  kReplaced,      // the copy took the file's place, or equalled it and was removed
  kCopyChanged,   // the copy is not as this process left it: nothing done
  kFileChanged,   // someone else wrote or replaced the file since it was copied: nothing done
  kNotReplaced,   // the file could not be replaced (held by another program past
                  // the retries, refused, or its own permissions cannot be given
                  // to the copy): nothing done; it may be written in place
};

// Flushes the copy to disk and puts it in the place of file in one step
// (the copy checked with UseWorkingCopy or written just before: its state
// is noted here), giving it the file's attributes (and the file's own
// permissions where the file has any); a copy whose bytes equal the file's
// is only removed, so the file keeps its time stamp. Tried again for a moment while another
// program holds the file (kBusyPausesMs). On anything but kReplaced the copy
// stays for the caller to remove or use again.
ReplaceResult ReplaceWithWorkingCopy(WorkingCopy& copy, const std::string& file);

// Removes a working copy whose writes are not wanted.
void RemoveWorkingCopy(WorkingCopy& copy);

// Removes the working copies of files that processes of this program left
// when they ended half way (a crash, a forced end, a power cut), by
// IsStaleCopy of working_copy_name.h: never one that may be live. Each
// folder is searched once for the copies of all its files.
void RemoveStaleWorkingCopies(const std::vector<std::string>& files);

// The pause between tries of something another program blocks for a
// moment; tests put one in that does not sleep. Null restores sleeping.
using BusyPause = void (*)(int milliseconds);
void SetBusyPause(BusyPause pause);
// Pauses as set.
void PauseWhileBusy(int milliseconds);

}  // namespace qlm::platform
