// start_context.h: what the program settles once when it starts and hands
// down to the main form: the QLM.INI in use, the history beside it, the tool
// folder and the tool in that folder.
#pragma once

#include <string>

#include "settings/tool_folder.h"

namespace qlm {
namespace platform { class Host; }

struct StartContext {
  // QLM.INI in use, and the history beside it: the two never disagree.
  std::string settingsPath;
  std::string historyPath;
  // The tool folder as start settled it (TTPath), and the tool in it; ""
  // and kNone until settled.
  std::string toolFolder;
  SettledTool tool;
};

// The context of the QLM.INI at settingsPath, its tool not settled yet.
StartContext StartContextOf(std::string settingsPath);

// Settles the tool in folder (its executable, kind and files, from one look)
// into context.
void SettleToolIn(StartContext& context, std::string folder);

// The tool in folder for one load: at the first load after start, the one
// context holds when it is for that very folder; else settled now (another
// folder chosen, or a later load: what the folder holds may have changed).
// Context holds no tool afterwards.
SettledTool TakeSettledTool(StartContext& context, const std::string& folder);

}  // namespace qlm
