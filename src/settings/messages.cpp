// messages.cpp: filling in message texts.
#include "settings/messages.h"

#include "platform/codepage.h"

namespace qlm {

std::string Substitute(std::string_view format, std::string_view argument) {
  for (std::size_t i = 0; i + 1 < format.size(); i = platform::NextChar(format, i)) {
    if (format[i] == '%' && (format[i + 1] == 's' || format[i + 1] == 'd')) {
      std::string text(format.substr(0, i));
      text.append(argument);
      text.append(format.substr(i + 2));
      return text;
    }
  }
  return std::string(format);
}

}  // namespace qlm
