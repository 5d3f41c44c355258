// messages.cpp: filling in message texts.
#include "settings/messages.h"

#include "platform/codepage.h"

namespace qlm {

std::string CutForMessage(std::string_view text) {
  if (text.size() <= kMessageArgumentLimit) return std::string(text);
  std::size_t end = 0;
  for (std::size_t next = 0; (next = platform::NextChar(text, end)) <= kMessageArgumentLimit;) end = next;
  return std::string(text.substr(0, end)) + platform::AnsiFromUtf8("…");
}

std::string Substitute(std::string_view format, std::string_view argument) {
  for (std::size_t i = 0; i + 1 < format.size(); i = platform::NextChar(format, i)) {
    if (format[i] == '%' && (format[i + 1] == 's' || format[i + 1] == 'd')) {
      std::string text(format.substr(0, i));
      text.append(CutForMessage(argument));
      text.append(format.substr(i + 2));
      return text;
    }
  }
  return std::string(format);
}

}  // namespace qlm
