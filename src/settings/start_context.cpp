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
  if (folder.empty() || folder != context.toolFolder) return SettleTool(folder);
  context.toolFolder.clear();
  return std::exchange(context.tool, SettledTool{});
}

}  // namespace qlm
