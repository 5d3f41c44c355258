// filler.h: the filler sections of the benchmarks' generated settings files,
// in the form the platform's profile functions write (CRLF, nothing to trim).
#pragma once

#include <cstdio>
#include <iterator>
#include <string>

namespace qlm::bench {

// Appends `count` lines: sections named prefix001, prefix002... of up to 99
// entries each (never a section without an entry) with assorted values, some
// of them Shift-JIS with 0x5C ("\") as a second byte.
inline void AppendFiller(std::string& text, const char* prefix, int count) {
  // 日本語, 表示, ソフト, 設定, 株式
  const char* const japanese[] = {"\x93\xFA\x96\x7B\x8C\xEA", "\x95\x5C\x8E\xA6", "\x83\x5C\x83\x74\x83\x67",
                                  "\x90\xDD\x92\xE8", "\x8A\x94\x8E\xAE"};
  const char* const keys[] = {"Column", "Width", "Colour", "Path", "Title", "Visible",
                              "Order",  "Code",  "Mode",   "Sort", "Label", "Height"};
  for (int section = 1; count > 0; ++section) {
    int size = count <= 100 ? count : 100;
    if (count - size == 1) size = 50;  // leave no header alone at the end
    char header[64];
    std::snprintf(header, sizeof header, "[%s%03d]\r\n", prefix, section);
    text += header;
    for (int e = 1; e < size; ++e) {
      text += keys[e % std::size(keys)] + std::to_string(e) + "=";
      switch (e % 5) {
        case 0: text += std::to_string(section * 1000 + e); break;
        case 1: text += std::string(japanese[(section + e) % std::size(japanese)]) + japanese[e % 3]; break;
        case 2: text += "C:\\Trade\\Board" + std::to_string(section) + "\\view" + std::to_string(e) + ".dat"; break;
        case 3: text += std::to_string(e % 2) + "," + std::to_string(section) + "," + std::to_string(e * 7); break;
        default: text += "\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E"; break;  // ＭＳ ゴシック
      }
      text += "\r\n";
    }
    count -= size;
  }
}

}  // namespace qlm::bench
