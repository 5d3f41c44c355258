// messages.h: numbers of the program's message texts (texts in messages.def).
#pragma once

#include <string>
#include <string_view>

namespace qlm {

namespace msg {
inline constexpr int kAborting = 1000;
inline constexpr int kContinue = 1001;
inline constexpr int kQuit = 1002;
inline constexpr int kToolNotInstalled = 1003;
inline constexpr int kChooseToolTitle = 1004;
inline constexpr int kChooseToolFolder = 1005;
inline constexpr int kChooseToolFilter = 1006;
inline constexpr int kRealtimeNeedsTool = 2000;
inline constexpr int kRealtimeCaution = 2001;
inline constexpr int kRealtimeNeedsSameRights = 2010;
inline constexpr int kToolNotRunning = 2100;
inline constexpr int kToolRunningSdi = 2101;
inline constexpr int kToolRunningMdi = 2102;
inline constexpr int kToolNotResponding = 2103;
inline constexpr int kToolShapeUnknown = 2104;
inline constexpr int kToolRunsWithHigherRights = 2105;
inline constexpr int kFontMissing = 3000;
inline constexpr int kDefaultFontRecord = 3001;
inline constexpr int kColourFileMissing = 4101;
inline constexpr int kToolWindowsRefused = 5100;
inline constexpr int kToolWindowTooLong = 5101;
inline constexpr int kToolWindowMalformed = 5102;
inline constexpr int kCannotWrite = 9000;
inline constexpr int kListIndex = 9001;
inline constexpr int kNotAnInteger = 9002;
}  // namespace msg

// Texts put into a message are at most this many bytes (then "…"): a longer
// one, such as a face name of thousands of bytes, would make a box wider
// than the screen.
inline constexpr std::size_t kMessageArgumentLimit = 100;

// text when it fits the limit; else its first characters that do, double-byte
// characters kept whole, then "…".
std::string CutForMessage(std::string_view text);

// format with its one "%s" (or "%d") replaced by argument, cut to the limit.
std::string Substitute(std::string_view format, std::string_view argument);

}  // namespace qlm
