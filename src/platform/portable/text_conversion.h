// text_conversion.h: converting text between code pages on Linux (iconv).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qlm::platform {

// text converted from the encoding from to the encoding to (iconv names such
// as "CP932" and "UTF-8"); nothing when it does not convert whole.
std::optional<std::string> ConvertText(std::string_view text, const char* to, const char* from);

}  // namespace qlm::platform
