// bench_model.cpp: the window-free parts of the UI benchmark.
#include "bench_model.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <sstream>
#include <stdexcept>

#include "qlm_driver.h"
#include "settings/font_record.h"

namespace qlm::uibench {
namespace {

// Shift-JIS 日本語, 表示, ソフト, 設定, 株式 for the filler values, a few with
// 0x5C ("\") as their second byte.
const char* const kJapanese[] = {"\x93\xFA\x96\x7B\x8C\xEA", "\x95\x5C\x8E\xA6", "\x83\x5C\x83\x74\x83\x67",
                                 "\x90\xDD\x92\xE8", "\x8A\x94\x8E\xAE"};
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
        case 0: text += std::to_string(section * 1000 + e); break;
        case 1: text += std::string(kJapanese[(section + e) % std::size(kJapanese)]) + kJapanese[e % 3]; break;
        case 2: text += "C:\\Trade\\Board" + std::to_string(section) + "\\view" + std::to_string(e) + ".dat"; break;
        case 3: text += std::to_string(e % 2) + "," + std::to_string(section) + "," + std::to_string(e * 7); break;
        default: text += "\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E"; break;  // ＭＳ ゴシック
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
    char* end = nullptr;
    const long number = std::strtol(value.c_str(), &end, 10);
    if (option->path) {
      options.*option->path = value;
    } else if (value.empty() || *end != '\0' || number < 1 || number > 1000000) {
      error = argument.substr(0, equals) + " takes a whole number above zero, not \"" + value + "\"";
      return std::nullopt;
    } else {
      options.*option->count = static_cast<int>(number);
    }
  }
  for (const auto& each : known)
    if (each.path && (options.*each.path).empty()) {
      error = std::string("--") + each.name + " is missing";
      return std::nullopt;
    }
  return options;
}

std::string GenerateAppcfg(std::string_view sample, int lines) {
  std::vector<std::string> own;
  std::istringstream in{std::string(sample)};
  for (std::string line; std::getline(in, line);)
    if (const std::size_t first = line.find_first_not_of(" \t\r"); first != std::string::npos)
      own.push_back(line.substr(first, line.find_last_not_of(" \t\r") + 1 - first));
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
  for (int slot = 0; slot < kFontSlots; ++slot) slots[static_cast<std::size_t>(slot)] = section["FF" + std::to_string(slot)];
  return slots;
}

bool SlotsHaveSize(const FontSlots& slots, int size, int pixelsPerInch) {
  for (int slot = 0; slot < kFontSlots; ++slot) {
    const std::string& record = slots[static_cast<std::size_t>(slot)];
    if (record.substr(0, record.find(',')) != std::to_string(HeightForSize(size + font::kSizeOffsets[slot], pixelsPerInch)))
      return false;
  }
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
