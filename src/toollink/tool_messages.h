// tool_messages.h: the messages the tool understands: its menu commands (as
// WM_COMMAND) and its private reload notification.
#pragma once

namespace qlm::toolmsg {

inline constexpr unsigned kNothing = 0x0000;  // WM_NULL: asks only whether the tool responds
inline constexpr unsigned kCommand = 0x0111;  // WM_COMMAND: id, 0

// Menu commands. Each toggles: sending one twice gives back the first state.
inline constexpr int kToggleToolBar = 40600;
inline constexpr int kToggleTabBar = 40601;
inline constexpr int kToggleTickerBarTradePro = 40601;  // TradePro has its ticker bar where the others have tabs
inline constexpr int kToggleTickerBar = 40602;
inline constexpr int kSwitchDisplayStyle = 40603;  // single- <-> multi-document display

// Reload notification (WM_USER + 150): re-read settings from System\Appcfg.ini.
inline constexpr unsigned kReload = 0x0400 + 150;
inline constexpr int kColourChanged = 101;         // [GLOBAL] COLOR; lParam kColourTag
inline constexpr int kColourTag = 1234312;
inline constexpr int kFontChanged = 102;           // [FONT]; lParam 0

}  // namespace qlm::toolmsg
