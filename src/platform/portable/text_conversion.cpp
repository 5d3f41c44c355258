// text_conversion.cpp: iconv, with the buffers managed.
#include "platform/portable/text_conversion.h"

#include <iconv.h>

namespace qlm::platform {

std::optional<std::string> ConvertText(std::string_view text, const char* to, const char* from) {
  const iconv_t converter = iconv_open(to, from);
  if (converter == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string input(text);
  // Every character of these encodings takes at most four bytes.
  std::string output(input.size() * 4 + 4, '\0');
  char* in = input.data();
  char* out = output.data();
  std::size_t inLeft = input.size();
  std::size_t outLeft = output.size();
  const std::size_t result = iconv(converter, &in, &inLeft, &out, &outLeft);
  iconv_close(converter);
  if (result == static_cast<std::size_t>(-1)) return std::nullopt;
  output.resize(output.size() - outLeft);
  return output;
}

}  // namespace qlm::platform
