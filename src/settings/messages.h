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
inline constexpr int kHistoryNotWritten = 6100;
inline constexpr int kAskRestore = 6101;
inline constexpr int kAskRestoreAfterLoadFailure = 6102;
inline constexpr int kNoRecordedStates = 6103;
inline constexpr int kUnreadableState = 6104;
inline constexpr int kRestoreStartMenu = 6105;
inline constexpr int kRestoreEarlierMenu = 6106;
inline constexpr int kRestoreEarlierCaption = 6107;
inline constexpr int kRestoreEarlierPrompt = 6108;
inline constexpr int kCancelButton = 6109;
// The words of a recorded state's line in the list.
inline constexpr int kToolBarShort = 6110;
inline constexpr int kTabBarShort = 6111;
inline constexpr int kTickerBarShort = 6112;
inline constexpr int kShownMark = 6113;
inline constexpr int kHiddenMark = 6114;
inline constexpr int kBoldShort = 6115;
inline constexpr int kStateNotWhole = 6116;
inline constexpr int kStateWouldNotLoad = 6117;
inline constexpr int kConfigUtf8Mark = 7000;
inline constexpr int kOwnSettingsUtf8Mark = 7001;
inline constexpr int kNotJapaneseCodePage = 7002;
inline constexpr int kStartedFromZip = 7003;
inline constexpr int kReportConfigFile = 7010;
inline constexpr int kReportInfoFile = 7011;
inline constexpr int kReportColourFolder = 7012;
inline constexpr int kReportVirtualized = 7013;
inline constexpr int kReportNotVirtualized = 7014;
inline constexpr int kReportVirtualizationUnknown = 7015;
inline constexpr int kKeptByTradePro = 8000;
inline constexpr int kGuideLinkHint = 8001;
inline constexpr int kGuideMissing = 8002;
inline constexpr int kCannotWrite = 9000;
inline constexpr int kListIndex = 9001;
inline constexpr int kNotAnInteger = 9002;
}  // namespace msg

// Texts put into a message are at most this many bytes (then "…"): a longer
// one, such as a face name of thousands of bytes, would make a box wider
// than the screen.
inline constexpr std::size_t kMessageArgumentLimit = 100;

// A path is shown whole up to this many bytes: every path the system's
// file functions take in single-byte characters (260 with the terminator),
// and Japanese ones of up to 130 characters. A longer one is shortened.
inline constexpr std::size_t kMessagePathLimit = 260;

// text when it fits the limit; else its first characters that do, double-byte
// characters kept whole, then "…".
std::string CutForMessage(std::string_view text);

// path when it fits kMessagePathLimit; else its root (the drive, or the
// server and share) and its last component whole, with as much of the
// folders between as fits replaced by "…", cut at whole characters.
std::string ShortenPathForMessage(std::string_view path);

// format with its one "%s" (or "%d") replaced by argument, the argument taken
// as it is: for texts the program made up from pieces already cut.
std::string SubstituteWhole(std::string_view format, std::string_view argument);

// As SubstituteWhole, for a text read from a file (a face name, the text of a
// number): cut to kMessageArgumentLimit.
std::string Substitute(std::string_view format, std::string_view argument);

// As SubstituteWhole, for a file's path: shortened by ShortenPathForMessage.
std::string SubstitutePath(std::string_view format, std::string_view path);

}  // namespace qlm
