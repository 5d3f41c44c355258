// bench_model.cpp: the window-free parts of the UI benchmark.
#include "bench_model.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <stdexcept>

#include "qlm_driver.h"
#include "settings/font_record.h"

namespace qlm::uibench {
namespace {

std::string_view Trim(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

// Shift-JIS words for the filler values, a few with 0x5C ("\") as their
// second byte.
const char* const kJapanese[] = {
    "\x93\xFA\x96\x7B\x8C\xEA",  // 日本語
    "\x95\x5C\x8E\xA6",          // 表示
    "\x83\x5C\x83\x74\x83\x67",  // ソフト
    "\x90\xDD\x92\xE8",          // 設定
    "\x8A\x94\x8E\xAE",          // 株式
};
const char* const kKeyNames[] = {"Column", "Width", "Colour", "Path", "Title", "Visible",
                                 "Order",  "Code",  "Mode",   "Sort", "Label", "Height"};

// `count` filler lines: sections named prefix001, prefix002... of up to 99
// entries each, never a section without an entry.
void AppendFiller(std::string& text, const char* prefix, int count) {
  for (int section = 1; count > 0; ++section) {
    int size = count <= 100 ? count : 100;
    if (count - size == 1) size = 50;  // leave no header alone at the end
    char header[64];
    std::snprintf(header, sizeof header, "[%s%03d]\r\n", prefix, section);
    text += header;
    for (int e = 1; e < size; ++e) {
      text += kKeyNames[e % std::size(kKeyNames)] + std::to_string(e) + "=";
      switch (e % 5) {
        case 0:
          text += std::to_string(section * 1000 + e);
          break;
        case 1:
          text += std::string(kJapanese[(section + e) % std::size(kJapanese)]) + kJapanese[e % 3];
          break;
        case 2:
          text += "C:\\Trade\\Board" + std::to_string(section) + "\\view" + std::to_string(e) + ".dat";
          break;
        case 3:
          text += std::to_string(e % 2) + "," + std::to_string(section) + "," + std::to_string(e * 7);
          break;
        default:
          text += "\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E";
          break;  // ＭＳ ゴシック
      }
      text += "\r\n";
    }
    count -= size;
  }
}

}  // namespace

std::optional<Options> ParseOptions(const std::vector<std::string>& arguments, std::string& error) {
  Options options;
  const struct {
    const char* name;
    std::string Options::*path;
    int Options::*count;
  } known[] = {{"same-controls", &Options::sameControls, nullptr}, {"minimal", &Options::minimal, nullptr},
               {"sample", &Options::sample, nullptr},              {"work", &Options::work, nullptr},
               {"rounds", nullptr, &Options::rounds},              {"runs", nullptr, &Options::runs},
               {"clicks", nullptr, &Options::clicks},              {"lines", nullptr, &Options::lines},
               {"colours", nullptr, &Options::colours}};
  for (const std::string& argument : arguments) {
    const std::size_t equals = argument.find('=');
    const auto option = std::find_if(std::begin(known), std::end(known), [&](const auto& each) {
      return equals != std::string::npos && argument.substr(0, equals) == std::string("--") + each.name;
    });
    if (option == std::end(known)) {
      error = "unknown option " + argument;
      return std::nullopt;
    }
    const std::string value = argument.substr(equals + 1);
    if (option->path) {
      options.*option->path = value;
      continue;
    }
    char* end = nullptr;
    const long number = std::strtol(value.c_str(), &end, 10);
    if (value.empty() || *end != '\0' || number < 1 || number > 1000000) {
      error = argument.substr(0, equals) + " takes a whole number above zero, not \"" + value + "\"";
      return std::nullopt;
    }
    options.*option->count = static_cast<int>(number);
  }
  for (const auto& each : known)
    if (each.path && (options.*each.path).empty()) {
      error = std::string("--") + each.name + " is missing";
      return std::nullopt;
    }
  return options;
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

std::string GenerateAppcfg(std::string_view sample, int lines) {
  std::vector<std::string> own;
  for (const std::string& line : SplitLines(sample))
    if (const std::string_view trimmed = Trim(line); !trimmed.empty()) own.emplace_back(trimmed);
  const int room = lines - static_cast<int>(own.size());
  if (room < 4) throw std::invalid_argument("too few lines for the sample and the filler around it");
  std::string text;
  AppendFiller(text, "Board", room / 2);
  for (const std::string& line : own) text += line + "\r\n";
  AppendFiller(text, "Chart", room - room / 2);
  return text;
}

FontSlots FontSlotsOf(const std::string& ini) {
  const std::size_t begin = ini.find("[FONT]");
  FontSlots slots;
  if (begin == std::string::npos) return slots;
  auto section = e2e::ParseIni(ini.substr(begin, ini.find("\n[", begin) - begin))["FONT"];
  for (int slot = 0; slot < kFontSlots; ++slot)
    slots[static_cast<std::size_t>(slot)] = section["FF" + std::to_string(slot)];
  return slots;
}

std::array<int, kFontSlots> SlotHeights(int size, int pixelsPerInch) {
  std::array<int, kFontSlots> heights;
  for (int slot = 0; slot < kFontSlots; ++slot) {
    const long long product = static_cast<long long>(size + font::kSizeOffsets[slot]) * pixelsPerInch;
    heights[static_cast<std::size_t>(slot)] = -static_cast<int>((product >= 0 ? product + 36 : product - 36) / 72);
  }
  return heights;
}

bool SlotsHaveHeights(const FontSlots& slots, const std::array<int, kFontSlots>& heights) {
  for (std::size_t slot = 0; slot < slots.size(); ++slot)
    if (slots[slot].substr(0, slots[slot].find(',')) != std::to_string(heights[slot])) return false;
  return true;
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

std::vector<double> PairedRatios(const std::vector<double>& subject, const std::vector<double>& reference) {
  std::vector<double> ratios;
  for (std::size_t i = 0; i < subject.size() && i < reference.size(); ++i)
    if (reference[i] > 0) ratios.push_back(subject[i] / reference[i]);
  return ratios;
}

std::string FormatSpread(const std::vector<double>& values) {
  const auto [low, high] = std::minmax_element(values.begin(), values.end());
  char text[64];
  std::snprintf(text, sizeof text, "%.2f/%.2f/%.2f", values.empty() ? 0 : *low, Median(values),
                values.empty() ? 0 : *high);
  return text;
}

}  // namespace qlm::uibench
