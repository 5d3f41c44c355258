// bench_model.cpp: the window-free parts of the UI benchmark.
#include "bench_model.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <map>
#include <stdexcept>

#include "settings/font_record.h"

namespace qlm::uibench {
namespace {

std::string_view Trim(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
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

std::string ColourSchemeName(int n) {
  char name[32];
  std::snprintf(name, sizeof name, "Scheme%03d.CLR", n);
  return name;
}

std::string ColourSchemeText(int n) {
  char text[256];
  const unsigned base = static_cast<unsigned>(n) * 2654435761u;
  std::snprintf(text, sizeof text,
                "[COLOR]\r\nName=Scheme %03d\r\nBackground=%06X\r\nText=%06X\r\nUp=%06X\r\nDown=%06X\r\nGrid=%06X\r\n",
                n, base & 0xFFFFFF, ~base & 0xFFFFFF, (base >> 3) & 0xFFFFFF, (base >> 5) & 0xFFFFFF,
                (base >> 7) & 0xFFFFFF);
  return text;
}

FontSlotValues ReadFontSlots(std::string_view ini) {
  FontSlotValues slots;
  enum { kBefore, kInside, kAfter } where = kBefore;
  for (const std::string& raw : SplitLines(ini)) {
    const std::string_view line = Trim(raw);
    if (!line.empty() && line.front() == '[') {
      const std::size_t close = line.find(']');
      const std::string_view name = Trim(line.substr(1, close == std::string_view::npos ? line.npos : close - 1));
      if (where == kInside)
        where = kAfter;
      else if (where == kBefore && SameIgnoringCase(name, "FONT"))
        where = kInside;
      continue;
    }
    if (where != kInside) continue;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    const std::string_view key = Trim(line.substr(0, equals));
    for (int slot = 0; slot < kFontSlots; ++slot)
      if (SameIgnoringCase(key, "FF" + std::to_string(slot)) && !slots[static_cast<std::size_t>(slot)])
        slots[static_cast<std::size_t>(slot)] = std::string(Trim(line.substr(equals + 1)));
  }
  return slots;
}

bool Options::Wants(std::string_view part) const {
  const std::string list = "," + parts + ",";
  return list.find("," + std::string(part) + ",") != std::string::npos;
}

std::optional<Options> ParseOptions(const std::vector<std::string>& arguments, std::string& error) {
  Options options;
  const struct {
    const char* name;
    std::string Options::*field;
  } paths[] = {{"qlm", &Options::qlm},
               {"same-controls", &Options::sameControls},
               {"minimal", &Options::minimal},
               {"minimal-imports", &Options::minimalImports},
               {"minimal-manifest", &Options::minimalManifest},
               {"trace", &Options::trace},
               {"standin", &Options::standin},
               {"sample", &Options::sample},
               {"work", &Options::work},
               {"parts", &Options::parts}};
  const struct {
    const char* name;
    int Options::*field;
  } counts[] = {{"rounds", &Options::rounds},
                {"runs", &Options::runs},
                {"clicks", &Options::clicks},
                {"lines", &Options::lines},
                {"colours", &Options::colours}};
  for (const std::string& argument : arguments) {
    const std::size_t equals = argument.find('=');
    const std::string name = argument.rfind("--", 0) == 0 ? argument.substr(2, equals - 2) : "";
    const std::string value = equals == std::string::npos ? "" : argument.substr(equals + 1);
    bool known = false;
    for (const auto& path : paths)
      if (equals != std::string::npos && name == path.name) {
        options.*path.field = value;
        known = true;
      }
    for (const auto& count : counts)
      if (equals != std::string::npos && name == count.name) {
        char* end = nullptr;
        const long number = std::strtol(value.c_str(), &end, 10);
        if (value.empty() || *end != '\0' || number < 1 || number > 1000000) {
          error = "--" + name + " takes a whole number above zero, not \"" + value + "\"";
          return std::nullopt;
        }
        options.*count.field = static_cast<int>(number);
        known = true;
      }
    if (!known) {
      error = "unknown option " + argument;
      return std::nullopt;
    }
  }
  for (const char* required : {"qlm", "same-controls", "minimal", "standin", "sample", "work"})
    for (const auto& path : paths)
      if (path.name == std::string(required) && (options.*path.field).empty()) {
        error = std::string("--") + required + " is missing";
        return std::nullopt;
      }
  if (!options.trace.empty() && (options.minimalImports.empty() || options.minimalManifest.empty())) {
    error = "--trace needs --minimal-imports and --minimal-manifest";
    return std::nullopt;
  }
  return options;
}

std::array<int, kFontSlots> SlotHeights(int size, int pixelsPerInch) {
  std::array<int, kFontSlots> heights;
  for (int slot = 0; slot < kFontSlots; ++slot) {
    const long long product = static_cast<long long>(size + font::kSizeOffsets[slot]) * pixelsPerInch;
    const long long rounded = (product >= 0 ? product + 36 : product - 36) / 72;
    heights[static_cast<std::size_t>(slot)] = -static_cast<int>(rounded);
  }
  return heights;
}

bool StateHasEvent(std::string_view lines, std::string_view event) {
  const std::string wanted = "event=" + std::string(event);
  for (const std::string& line : SplitLines(lines))
    if (line.substr(0, line.find('\t')) == wanted) return true;
  return false;
}

std::string HeightField(std::string_view record) { return std::string(record.substr(0, record.find(','))); }

bool SlotsHaveHeights(const FontSlotValues& slots, const std::array<int, kFontSlots>& heights) {
  for (std::size_t slot = 0; slot < slots.size(); ++slot)
    if (!slots[slot] || HeightField(*slots[slot]) != std::to_string(heights[slot])) return false;
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

Spread SpreadOf(const std::vector<double>& values) {
  if (values.empty()) return {};
  const auto [low, high] = std::minmax_element(values.begin(), values.end());
  return Spread{*low, Median(values), *high};
}

std::string FormatSpread(const Spread& spread) {
  char text[64];
  std::snprintf(text, sizeof text, "%.2f/%.2f/%.2f", spread.min, spread.median, spread.max);
  return text;
}

std::vector<TraceEvent> ParseTrace(std::string_view text) {
  std::vector<TraceEvent> events;
  for (const std::string& line : SplitLines(text)) {
    const std::size_t tab1 = line.find('\t');
    const std::size_t tab2 = tab1 == std::string::npos ? tab1 : line.find('\t', tab1 + 1);
    if (tab2 == std::string::npos || tab1 == 0) continue;
    const std::string start = line.substr(tab1 + 1, tab2 - tab1 - 1), end = line.substr(tab2 + 1);
    char* startEnd = nullptr;
    char* endEnd = nullptr;
    TraceEvent event{line.substr(0, tab1), std::strtod(start.c_str(), &startEnd), std::strtod(end.c_str(), &endEnd)};
    if (start.empty() || end.empty() || *startEnd != '\0' || *endEnd != '\0' || event.end < event.start) continue;
    events.push_back(std::move(event));
  }
  return events;
}

std::string FormatTraceEvent(const TraceEvent& event) {
  char times[96];
  std::snprintf(times, sizeof times, "\t%.4f\t%.4f\n", event.start, event.end);
  return event.name + times;
}

std::vector<ProfileRow> ProfileRows(std::vector<TraceEvent> events, double origin) {
  std::stable_sort(events.begin(), events.end(), [](const TraceEvent& a, const TraceEvent& b) {
    return a.start != b.start ? a.start < b.start : a.end > b.end;
  });
  struct Node {
    ProfileRow row;
    double childMs = 0;
    bool hasChildren = false;
    std::vector<std::string> children;  // paths, in order of first start
  };
  std::map<std::string, Node> nodes;
  std::vector<std::string> roots;
  struct Open {
    std::string path;
    double end;
  };
  std::vector<Open> open;
  for (const TraceEvent& event : events) {
    while (!open.empty() && event.end > open.back().end) open.pop_back();
    const std::string parent = open.empty() ? std::string() : open.back().path;
    const std::string path = parent.empty() ? event.name : parent + "/" + event.name;
    auto [it, added] = nodes.try_emplace(path);
    Node& node = it->second;
    if (added) {
      node.row = ProfileRow{path, static_cast<int>(open.size()), event.start - origin, 0, 0};
      if (parent.empty())
        roots.push_back(path);
      else
        nodes[parent].children.push_back(path);
    }
    node.row.ms += event.end - event.start;
    ++node.row.calls;
    if (!parent.empty()) {
      nodes[parent].childMs += event.end - event.start;
      nodes[parent].hasChildren = true;
    }
    open.push_back(Open{path, event.end});
  }
  std::vector<ProfileRow> rows;
  const auto emit = [&](const auto& self, const std::string& path) -> void {
    const Node& node = nodes[path];
    rows.push_back(node.row);
    for (const std::string& child : node.children) self(self, child);
    if (node.hasChildren)
      rows.push_back(ProfileRow{path + "/(rest)", node.row.depth + 1, node.row.at, node.row.ms - node.childMs, 0});
  };
  for (const std::string& root : roots) emit(emit, root);
  return rows;
}

std::vector<ProfileRow> MedianRows(const std::vector<std::vector<ProfileRow>>& runs) {
  std::vector<ProfileRow> order;
  for (const auto& run : runs)
    for (const ProfileRow& row : run)
      if (std::none_of(order.begin(), order.end(), [&](const ProfileRow& r) { return r.path == row.path; }))
        order.push_back(row);
  for (ProfileRow& row : order) {
    std::vector<double> ms, at, calls;
    for (const auto& run : runs) {
      const auto found = std::find_if(run.begin(), run.end(), [&](const ProfileRow& r) { return r.path == row.path; });
      ms.push_back(found == run.end() ? 0 : found->ms);
      at.push_back(found == run.end() ? 0 : found->at);
      calls.push_back(found == run.end() ? 0 : found->calls);
    }
    row.ms = Median(ms);
    row.at = Median(at);
    row.calls = static_cast<int>(Median(calls));
  }
  return order;
}

std::vector<TraceEvent> EventsWithin(const std::vector<TraceEvent>& events, const std::string& name, int n) {
  std::vector<const TraceEvent*> named;
  for (const TraceEvent& event : events)
    if (event.name == name) named.push_back(&event);
  std::stable_sort(named.begin(), named.end(),
                   [](const TraceEvent* a, const TraceEvent* b) { return a->start < b->start; });
  if (n < 0 || n >= static_cast<int>(named.size())) return {};
  const TraceEvent outer = *named[static_cast<std::size_t>(n)];
  std::vector<TraceEvent> inside;
  for (const TraceEvent& event : events)
    if (event.start >= outer.start && event.end <= outer.end) inside.push_back(event);
  return inside;
}

std::string RatioLine(const std::string& what, const std::string& subject, double subjectValue,
                      const std::string& reference, double referenceValue, const std::string& unit) {
  char line[256];
  if (referenceValue > 0)
    std::snprintf(line, sizeof line, "%s: %s %.1f %s, %s %.1f %s, ratio %.2f", what.c_str(), subject.c_str(),
                  subjectValue, unit.c_str(), reference.c_str(), referenceValue, unit.c_str(),
                  subjectValue / referenceValue);
  else
    std::snprintf(line, sizeof line, "%s: %s %.1f %s, %s %.1f %s, ratio -", what.c_str(), subject.c_str(), subjectValue,
                  unit.c_str(), reference.c_str(), referenceValue, unit.c_str());
  return line;
}

}  // namespace qlm::uibench
