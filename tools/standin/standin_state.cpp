// standin_state.cpp: the stand-in's switches, commands, state lines and the
// parsing of what it reads from its settings files.
#include "standin_state.h"

#include <cstdlib>

#include "settings/tool_kinds.h"
#include "toollink/tool_messages.h"

namespace standin {
namespace {

std::optional<int> ParseInt(std::string_view text) {
  if (text.empty()) return std::nullopt;
  const std::string copy(text);
  char* end = nullptr;
  const long value = std::strtol(copy.c_str(), &end, 10);
  if (*end != '\0') return std::nullopt;
  return static_cast<int>(value);
}

// The path is in Shift-JIS: a second byte may be 0x5C, so the scan for the
// last backslash steps over double-byte characters whole.
std::size_t FileNameStart(std::string_view path) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const auto c = static_cast<unsigned char>(path[i]);
    if ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) ++i;
    else if (c == '\\' || c == '/') start = i + 1;
  }
  return start;
}

}  // namespace

Options ParseOptions(const std::vector<std::string>& arguments) {
  Options options;
  for (const std::string& argument : arguments) {
    if (argument == "--shape=tradepro") options.shape = Shape::kTradePro;
    else if (argument == "--shape=other") options.shape = Shape::kOther;
    else if (argument.rfind("--state=", 0) == 0) options.stateFile = argument.substr(8);
    else if (argument == "--minimized") options.minimised = true;
    else if (argument == "--hidden") options.hidden = true;
    else if (argument.rfind("--window-name=", 0) == 0 && argument.find('=', 14) != std::string::npos) {
      const std::size_t equals = argument.find('=', 14);
      options.windowNames[argument.substr(14, equals - 14)] = argument.substr(equals + 1);
    }
    else if (argument.rfind("--hang-on-command=", 0) == 0) options.hangOnCommand = std::atoi(argument.c_str() + 18);
    else options.unknown.push_back(argument);
  }
  return options;
}

std::string FolderOf(std::string_view path) { return std::string(path.substr(0, FileNameStart(path))); }

Shape ShapeForExecutable(std::string_view path) {
  const qlm::ToolKind kind = qlm::KindOfExecutable(path.substr(FileNameStart(path)));
  return qlm::TraitsOf(kind).nestedBars ? Shape::kTradePro : Shape::kOther;
}

// The row of the kind table a shape follows.
static const qlm::ToolTraits& TraitsOf(Shape shape) {
  return qlm::TraitsOf(shape == Shape::kTradePro ? qlm::ToolKind::kTradePro : qlm::ToolKind::kOther);
}

bool ApplyCommand(Shape shape, int id, ToolState& state) {
  const qlm::ToolTraits& traits = TraitsOf(shape);
  bool* toggled = nullptr;
  if (id == qlm::toolmsg::kToggleToolBar) toggled = &state.toolBar;
  else if (id == traits.tickerCommand) toggled = &state.tickerBar;
  else if (id == qlm::toolmsg::kToggleTabBar && traits.styleAndTabBar) toggled = &state.tabBar;
  else if (id == qlm::toolmsg::kSwitchDisplayStyle) toggled = &state.mdi;
  if (!toggled) return false;
  *toggled = !*toggled;
  return true;
}

std::string StateLine(std::string_view event, Shape shape, const ToolState& state) {
  std::string line = "event=";
  line += event;
  line += shape == Shape::kTradePro ? "\tshape=tradepro" : "\tshape=other";
  line += state.mdi ? "\tdisplay=mdi" : "\tdisplay=sdi";
  line += state.toolBar ? "\ttoolbar=1" : "\ttoolbar=0";
  line += state.tabBar ? "\ttabbar=1" : "\ttabbar=0";
  line += state.tickerBar ? "\tticker=1" : "\tticker=0";
  line += "\tcolour=" + state.colour;
  line += "\tfont=" + state.font;
  line += '\n';
  return line;
}

// Shift-JIS second bytes are 0x40 and above, never a comma: splitting at
// every comma byte is safe for a Japanese face name.
std::optional<FontRecord> ParseFontRecord(std::string_view text) {
  FontRecord record;
  for (int& number : record.numbers) {
    const std::size_t comma = text.find(',');
    if (comma == std::string_view::npos) return std::nullopt;
    const auto parsed = ParseInt(text.substr(0, comma));
    if (!parsed) return std::nullopt;
    number = *parsed;
    text.remove_prefix(comma + 1);
  }
  if (text.empty()) return std::nullopt;
  record.face = std::string(text);
  return record;
}

std::optional<unsigned> ParseRgb(std::string_view text) {
  if (text.size() != 6) return std::nullopt;
  unsigned value = 0;
  for (const char c : text) {
    value <<= 4;
    if (c >= '0' && c <= '9') value |= static_cast<unsigned>(c - '0');
    else if (c >= 'A' && c <= 'F') value |= static_cast<unsigned>(c - 'A' + 10);
    else if (c >= 'a' && c <= 'f') value |= static_cast<unsigned>(c - 'a' + 10);
    else return std::nullopt;
  }
  return value;
}

std::string ColourFilePath(Shape shape, const std::string& colour) {
  return TraitsOf(shape).bareColourName ? "Color\\" + colour + ".CLR" : colour;
}

}  // namespace standin
