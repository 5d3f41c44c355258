// start_context.cpp: settling the start context.
#include "settings/start_context.h"

#include <utility>

#include "settings/tool_history.h"

namespace qlm {

StartContext StartContextOf(std::string settingsPath) {
  StartContext context;
  context.historyPath = HistoryPath(settingsPath);
  context.settingsPath = std::move(settingsPath);
  return context;
}

void SettleToolIn(StartContext& context, std::string folder) {
  context.tool = SettleTool(folder);
  context.toolFolder = std::move(folder);
}

SettledTool TakeSettledTool(StartContext& context, const std::string& folder) {
  // Taken by the first load or by none: a later one may find the folder
  // changed.
  const bool handed = !folder.empty() && folder == context.toolFolder;
  context.toolFolder.clear();
  SettledTool tool = std::exchange(context.tool, SettledTool{});
  return handed ? tool : SettleTool(folder);
}

}  // namespace qlm
