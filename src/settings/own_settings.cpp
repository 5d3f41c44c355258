// own_settings.cpp: reading and saving QLM.INI.
#include "settings/own_settings.h"

#include "platform/file_search.h"
#include "platform/host.h"
#include "platform/paths.h"
#include "settings/profile.h"

namespace qlm {

namespace {

std::string BesideExecutable(const platform::Host& host) {
  return ParentFolder(host.ExecutablePath()) + "\\" + own::kFileName;
}

// The user's own folder when QLM.INI cannot live beside the executable; ""
// when it can, or when the system names no settings root.
std::string UsersFolder(const platform::Host& host) {
  if (host.CanWrite(BesideExecutable(host))) return "";
  const std::string root = host.UserSettingsRoot();
  return root.empty() ? "" : root + "\\" + own::kUserFolder;
}

}  // namespace

std::vector<std::string> OwnSettingsPlaces(const platform::Host& host) {
  std::vector<std::string> places{BesideExecutable(host)};
  const std::string root = host.UserSettingsRoot();
  if (!root.empty()) places.push_back(root + "\\" + own::kUserFolder + "\\" + own::kFileName);
  return places;
}

std::string OwnSettingsPath(const platform::Host& host, OwnFileUse use) {
  const std::string beside = BesideExecutable(host);
  const std::string folder = UsersFolder(host);
  if (folder.empty()) return beside;
  const std::string users = folder + "\\" + own::kFileName;
  if (platform::FileExists(users)) return users;
  if (use == OwnFileUse::kReadOnly || !platform::MakeFolder(folder)) return beside;
  // The copy keeps what was set up beside the executable (the user's
  // switches, a tool folder chosen for everyone).
  if (platform::FileExists(beside) && !platform::CopyNewFile(beside, users) && !platform::FileExists(users))
    return beside;
  return users;
}

std::string OwnFilesFolder(const platform::Host& host) {
  const std::string folder = UsersFolder(host);
  if (!folder.empty() && platform::MakeFolder(folder)) return folder;
  return ParentFolder(BesideExecutable(host));
}

bool ReadRepeatMode(const ProfileFile& file) { return file.ReadInteger(own::kSection, own::kRepeat, 0) != 0; }

bool ReadRepeatMode(platform::Host& host) { return ReadRepeatMode(ProfileFile(host, OwnSettingsPath(host))); }

OwnSettings ReadOwnSettings(platform::Host& host, OwnFileUse use) {
  return ReadOwnSettings(ProfileFile(host, OwnSettingsPath(host, use)));
}

OwnSettings ReadOwnSettings(const ProfileFile& file) {
  OwnSettings settings;
  settings.toolFolder = file.ReadString(own::kSection, own::kToolPath, "");
  settings.posTop = file.ReadInteger(own::kSection, own::kPosTop, own::kNoPosition);
  settings.posLeft = file.ReadInteger(own::kSection, own::kPosLeft, own::kNoPosition);
  settings.topMost = file.ReadInteger(own::kSection, own::kTopMost, 0) != 0;
  settings.showHint = file.ReadInteger(own::kSection, own::kShowHint, 1) != 0;
  return settings;
}

void SaveOwnSettings(platform::Host& host, const std::string& settingsPath, const std::string& toolFolder,
                     bool topMost, std::int32_t posTop, std::int32_t posLeft) {
  ProfileFile file(host, settingsPath, ProfileFile::Writes::kTogether);
  file.WriteString(own::kSection, own::kToolPath, toolFolder);
  file.WriteInteger(own::kSection, own::kTopMost, topMost ? 1 : 0);
  file.WriteInteger(own::kSection, own::kPosTop, posTop);
  file.WriteInteger(own::kSection, own::kPosLeft, posLeft);
  file.Commit();
}

}  // namespace qlm
