// standin_state.h: what the stand-in tool shows (display style, bars, colour
// scheme, font), how its commands change it, its switches, and the line it
// appends to its state file after each event.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace standin {

// Where the tool keeps its bars: TradePro nests its tool bar and ticker bar in
// frames of the main window; the others keep the tool bar in the container.
enum class Shape { kTradePro, kOther };

struct ToolState {
  bool mdi = false;
  bool toolBar = true;
  bool tabBar = true;
  bool tickerBar = true;
  std::string colour;  // [GLOBAL] COLOR as stored
  std::string font;    // [FONT] FF0 as stored
};

struct Options {
  std::optional<Shape> shape;  // --shape=tradepro|other; else from the executable's name
  std::string stateFile;       // --state=PATH; no state file when empty
  bool minimised = false;      // --minimized
  bool hidden = false;         // --hidden
  // --window-name=KEY=VALUE: the inner window of role KEY (a key of
  // [ToolWindows], such as TabBarTitle) is named VALUE.
  std::map<std::string, std::string> windowNames;
  int hangOnCommand = 0;       // --hang-on-command=ID: stop answering on that command
  std::vector<std::string> unknown;
};

Options ParseOptions(const std::vector<std::string>& arguments);

// The folder of path, with its trailing backslash.
std::string FolderOf(std::string_view path);

// TradePro's shape for an executable whose kind nests its bars (any case of
// the name), else the others'.
Shape ShapeForExecutable(std::string_view path);

// Toggles what the menu command id toggles in shape; false for an id the
// shape has no command for.
bool ApplyCommand(Shape shape, int id, ToolState& state);

// One line of the state file: the event, then the whole state, as
// tab-separated key=value pairs, ending with a line feed.
std::string StateLine(std::string_view event, Shape shape, const ToolState& state);

// The 13 numbers and the face of a font record "h,w,esc,orient,weight,
// italic,underline,strike,charset,out,clip,quality,pitch,face"; nothing when
// it is malformed.
struct FontRecord {
  int numbers[13] = {};
  std::string face;
};
std::optional<FontRecord> ParseFontRecord(std::string_view text);

// A colour written as six hex digits RRGGBB; nothing when malformed.
std::optional<unsigned> ParseRgb(std::string_view text);

// The colour-scheme file a COLOR value names, relative to the tool's folder:
// TradePro stores the bare name, the others "Color\<name>.CLR".
std::string ColourFilePath(Shape shape, const std::string& colour);

}  // namespace standin
