// codepage_portable.cpp: the system code page of the portable backend, which
// is always 932 (Shift-JIS), the code page of the systems the program serves.
#include <iconv.h>

#include "platform/codepage.h"

namespace qlm::platform {

bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

std::string AnsiFromUtf8(std::string_view utf8) {
  iconv_t converter = iconv_open("CP932", "UTF-8");
  if (converter == reinterpret_cast<iconv_t>(-1)) return std::string(utf8);
  std::string input(utf8);
  std::string output(input.size() * 2 + 4, '\0');
  char* in = input.data();
  char* out = output.data();
  std::size_t inLeft = input.size();
  std::size_t outLeft = output.size();
  iconv(converter, &in, &inLeft, &out, &outLeft);
  iconv_close(converter);
  output.resize(output.size() - outLeft);
  return output;
}

}  // namespace qlm::platform
