// start_checks.h: what the program checks about where and how it runs, and
// about the files it would write, before it does anything that cannot be
// undone: started inside a zip, a system code page other than 932, settings
// files saved with a UTF-8 byte-order mark.
#pragma once

#include <string>
#include <string_view>

namespace qlm {
namespace platform { class Host; }

// The code page of the program's texts and of the tools' files.
inline constexpr unsigned kJapaneseCodePage = 932;

// True when the executable's path runs through a folder named like a zip
// file ("*.zip", any case): where the system's own zip support puts a
// program it runs from inside a zip (a temporary folder such as
// %TEMP%\Temp1_Quillmate.zip\...), which it may delete with everything
// written there.
bool IsInsideZip(std::string_view executablePath);

// True when the file at path begins with a UTF-8 byte-order mark, which
// the system's profile functions take as part of the first line: the first
// section cannot be read, and a write into it adds a second one.
bool StartsWithUtf8Mark(const std::string& path);

// When the file at path begins with a UTF-8 byte-order mark, tells the user
// (message id, with the path) and returns true.
bool TellIfUtf8Marked(platform::Host& host, const std::string& path, int id);

// The notices shown once at start: the system code page is not 932 (texts
// and file names will be misread; the program goes on), QLM.INI has a UTF-8
// byte-order mark (settingsPath).
void ShowStartNotices(platform::Host& host, const std::string& settingsPath);

}  // namespace qlm
