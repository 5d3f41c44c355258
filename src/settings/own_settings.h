// own_settings.h: the program's own settings, section [CONFIG] of QLM.INI
// beside its executable, or in the user's own folder where the executable's
// folder cannot be written.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qlm {
namespace platform { class Host; }
class ProfileFile;

namespace own {
inline constexpr char kFileName[] = "QLM.INI";
// The folder under the user's settings root for a QLM.INI of the user's own.
inline constexpr char kUserFolder[] = "Quillmate";
inline constexpr char kSection[] = "CONFIG";
inline constexpr char kRepeat[] = "Repeat";
inline constexpr char kToolPath[] = "TTPath";
inline constexpr char kPosTop[] = "PosTop";
inline constexpr char kPosLeft[] = "PosLeft";
inline constexpr char kTopMost[] = "TopMost";
inline constexpr char kShowHint[] = "ShowHint";
// A stored position of this value means "centre the window".
inline constexpr std::int32_t kNoPosition = -100;
}  // namespace own

// What the caller does with QLM.INI: a reader only never makes the user's
// own copy.
enum class OwnFileUse { kReadAndWrite, kReadOnly };

// Full path of QLM.INI, decided anew on every call (the program settles it
// once at start and hands it down): beside the executable
// (its folder, "\", "QLM.INI") wherever that file can be written. Where it
// cannot (a folder only administrators may write), the user's own
// <settings root>\Quillmate\QLM.INI, made on first use as a copy of the one
// beside the executable when there is one. Beside the executable all the same
// without a settings root, and when the user's copy does not exist and
// cannot be made (its folder or the copy refused): the file there can still
// be read, and a write tells which file it could not write. For kReadOnly,
// the user's file when it exists, else the one beside the executable.
std::string OwnSettingsPath(const platform::Host& host, OwnFileUse use = OwnFileUse::kReadAndWrite);

// The folder for files the program writes for the user beside its settings:
// the folder of QLM.INI, or where the executable's folder cannot be written,
// the user's own folder (made when missing, with nothing copied into it).
std::string OwnFilesFolder(const platform::Host& host);

// Both places QLM.INI may be kept: beside the executable and, where the
// system names a settings root, the user's own (the one in use may have been
// the other one in an earlier run, and left a working copy there).
std::vector<std::string> OwnSettingsPlaces(const platform::Host& host);

// Everything LoadSettings takes from QLM.INI after the tool folder is settled.
struct OwnSettings {
  std::string toolFolder;
  std::int32_t posTop = own::kNoPosition;
  std::int32_t posLeft = own::kNoPosition;
  bool topMost = false;
  bool showHint = true;

  bool operator==(const OwnSettings&) const = default;
};

// Repeat from the open QLM.INI: nonzero asks for the tool folder at every
// load. The form with a host opens the file for this one read.
bool ReadRepeatMode(const ProfileFile& file);
bool ReadRepeatMode(platform::Host& host);

// The other keys, in the order TTPath, PosTop, PosLeft, TopMost, ShowHint;
// each missing or malformed key gives its default. The form with a host opens
// the file for these reads.
OwnSettings ReadOwnSettings(const ProfileFile& file);
OwnSettings ReadOwnSettings(platform::Host& host, OwnFileUse use = OwnFileUse::kReadAndWrite);

// Writes TTPath, TopMost, PosTop and PosLeft, in this order, to the QLM.INI
// at settingsPath, together. Repeat and ShowHint belong to the user and are
// never written.
void SaveOwnSettings(platform::Host& host, const std::string& settingsPath, const std::string& toolFolder,
                     bool topMost, std::int32_t posTop, std::int32_t posLeft);

}  // namespace qlm
