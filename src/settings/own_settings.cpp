// own_settings.cpp: reading and saving QLM.INI.
#include "settings/own_settings.h"

#include "platform/file_search.h"
#include "platform/host.h"
#include "platform/profile_store.h"
#include "settings/paths.h"
#include "settings/profile.h"

namespace qlm {

std::string OwnSettingsPath(const platform::Host& host) {
  const std::string beside = ParentFolder(host.ExecutablePath()) + "\\" + own::kFileName;
  if (host.CanWrite(beside)) return beside;
  const std::string root = host.UserSettingsRoot();
  if (root.empty()) return beside;
  const std::string folder = root + "\\" + own::kUserFolder;
  const std::string users = folder + "\\" + own::kFileName;
  // The copy keeps what was set up beside the executable (the user's
  // switches, a tool folder chosen for everyone).
  if (!platform::FileExists(users) && platform::MakeFolder(folder)) platform::CopyNewFile(beside, users);
  return users;
}

bool ReadRepeatMode(platform::Host& host) {
  ProfileFile file(host, OwnSettingsPath(host));
  return file.ReadInteger(own::kSection, own::kRepeat, 0) != 0;
}

OwnSettings ReadOwnSettings(platform::Host& host) {
  ProfileFile file(host, OwnSettingsPath(host));
  OwnSettings settings;
  settings.toolFolder = file.ReadString(own::kSection, own::kToolPath, "");
  settings.posTop = file.ReadInteger(own::kSection, own::kPosTop, own::kNoPosition);
  settings.posLeft = file.ReadInteger(own::kSection, own::kPosLeft, own::kNoPosition);
  settings.topMost = file.ReadInteger(own::kSection, own::kTopMost, 0) != 0;
  settings.showHint = file.ReadInteger(own::kSection, own::kShowHint, 1) != 0;
  return settings;
}

void SaveOwnSettings(platform::Host& host, const std::string& toolFolder, bool topMost,
                     std::int32_t posTop, std::int32_t posLeft) {
  ProfileFile file(host, OwnSettingsPath(host), ProfileFile::Writes::kTogether);
  file.WriteString(own::kSection, own::kToolPath, toolFolder);
  file.WriteInteger(own::kSection, own::kTopMost, topMost ? 1 : 0);
  file.WriteInteger(own::kSection, own::kPosTop, posTop);
  file.WriteInteger(own::kSection, own::kPosLeft, posLeft);
  file.Commit();
}

}  // namespace qlm
