// font_record.cpp: comma lists, sizes and the six font slots.
#include "settings/font_record.h"

#include <cstdlib>

#include "platform/codepage.h"
#include "platform/host.h"
#include "settings/errors.h"
#include "settings/messages.h"
#include "settings/profile.h"
#include "settings/tool_config.h"

namespace qlm {
namespace {

// The fields of one record; reading or replacing a field beyond its end
// raises the list index error.
class FontRecord {
 public:
  FontRecord(const platform::Host& host, std::string_view text) : host_(host), fields_(SplitCommaList(text)) {}

  const std::string& Field(int index) const {
    CheckIndex(index);
    return fields_[static_cast<std::size_t>(index)];
  }
  int Integer(int index) const {
    const std::string& text = Field(index);
    if (const auto value = ParseInteger(text)) return *value;
    throw ConversionError(Substitute(host_.Text(msg::kNotAnInteger), text));
  }
  void Set(int index, std::string value) {
    CheckIndex(index);
    fields_[static_cast<std::size_t>(index)] = std::move(value);
  }
  std::string Text() const { return JoinCommaList(fields_); }

 private:
  void CheckIndex(int index) const {
    if (index < 0 || index >= static_cast<int>(fields_.size()))
      throw ListIndexError(Substitute(host_.Text(msg::kListIndex), std::to_string(index)));
  }

  const platform::Host& host_;
  std::vector<std::string> fields_;
};

// The slot's key, from the table of the edited keys, whose font keys are
// the slots in order.
std::string SlotKey(int slot) { return config::kEditedKeys[config::IndexOf(config::EditedKey::kFont0) + slot].name; }
constexpr const char* kSlotSection = config::KeyOf(config::EditedKey::kFont0).section;
static_assert(config::IndexOf(config::EditedKey::kFont5) + 1 - config::IndexOf(config::EditedKey::kFont0) ==
              font::kSlotCount);

}  // namespace

std::vector<std::string> SplitCommaList(std::string_view text) {
  std::vector<std::string> fields;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::string field;
    if (text[pos] == '"') {
      ++pos;
      while (pos < text.size()) {
        if (text[pos] == '"') {
          if (pos + 1 < text.size() && text[pos + 1] == '"') {
            field += '"';
            pos += 2;
            continue;
          }
          ++pos;
          break;
        }
        const std::size_t next = platform::NextChar(text, pos);
        field.append(text.substr(pos, next - pos));
        pos = next;
      }
    } else {
      const std::size_t begin = pos;
      while (pos < text.size() && text[pos] != ',') pos = platform::NextChar(text, pos);
      field.assign(text.substr(begin, pos - begin));
    }
    fields.push_back(std::move(field));
    // After a field comes a comma, or the next field straight away (text
    // after a closing quote); a comma at the very end adds an empty field.
    if (pos < text.size() && text[pos] == ',') {
      ++pos;
      if (pos == text.size()) fields.emplace_back();
    }
  }
  return fields;
}

std::string JoinCommaList(const std::vector<std::string>& fields) {
  if (fields.size() == 1 && fields[0].empty()) return "\"\"";
  std::string text;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) text += ',';
    const std::string& field = fields[i];
    bool quote = false;
    for (std::size_t pos = 0; pos < field.size(); pos = platform::NextChar(field, pos))
      quote = quote || field[pos] == ',' || field[pos] == '"';
    if (!quote) {
      text += field;
      continue;
    }
    text += '"';
    for (std::size_t pos = 0; pos < field.size();) {
      const std::size_t next = platform::NextChar(field, pos);
      if (field[pos] == '"') text += '"';
      text.append(field, pos, next - pos);
      pos = next;
    }
    text += '"';
  }
  return text;
}

std::int32_t MulDiv(std::int32_t number, std::int32_t numerator, std::int32_t denominator) {
  if (denominator == 0) return -1;
  std::int64_t product = static_cast<std::int64_t>(number) * numerator;
  std::int64_t divisor = denominator;
  if (divisor < 0) {
    product = -product;
    divisor = -divisor;
  }
  const std::int64_t half = divisor / 2;
  const std::int64_t result = (product >= 0 ? product + half : product - half) / divisor;
  if (result > 2147483647 || result < -2147483647) return -1;
  return static_cast<std::int32_t>(result);
}

int HeightForSize(int size, int pixelsPerInch) { return -MulDiv(size, pixelsPerInch, 72); }

int SizeForHeight(int height, int pixelsPerInch) { return -MulDiv(height, 72, pixelsPerInch); }

std::string StoredRecord(const platform::Host& host, const EditedValues& values) {
  return values[config::IndexOf(config::EditedKey::kFont0)].value_or(host.Text(msg::kDefaultFontRecord));
}

std::string StoredFace(const platform::Host& host, const EditedValues& values) {
  const std::vector<std::string> fields = SplitCommaList(StoredRecord(host, values));
  return fields.size() > font::kFaceName ? fields[font::kFaceName] : std::string();
}

FontChoice FontChoiceOf(const platform::Host& host, const EditedValues& values, int pixelsPerInch) {
  const FontRecord record(host, StoredRecord(host, values));
  FontChoice choice;
  choice.size = SizeForHeight(record.Integer(font::kHeight), pixelsPerInch);
  choice.bold = record.Integer(font::kWeight) != font::kNormal;
  choice.face = record.Field(font::kFaceName);
  return choice;
}

std::optional<platform::FontFace> FindChosenFace(const platform::Host& host, const FontChoice& choice) {
  if (choice.face.empty()) return std::nullopt;
  return host.FindFontFace(choice.face);
}

std::string WriteFontSlots(const ToolConfig& config, int pixelsPerInch, const FontChoice& choice,
                           const platform::FontFace& face, const std::string& base) {
  FontRecord record(config.host(), base);
  record.Set(font::kWidth, "0");
  record.Set(font::kEscapement, std::to_string(face.escapement));
  record.Set(font::kOrientation, std::to_string(face.orientation));
  record.Set(font::kItalic, std::to_string(face.italic));
  record.Set(font::kUnderline, std::to_string(face.underline));
  record.Set(font::kStrikeOut, std::to_string(face.strikeOut));
  record.Set(font::kOutPrecision, std::to_string(face.outPrecision));
  record.Set(font::kClipPrecision, std::to_string(face.clipPrecision));
  record.Set(font::kQuality, std::to_string(face.quality));
  record.Set(font::kPitchAndFamily, std::to_string(face.pitchAndFamily));
  record.Set(font::kCharSet, font::kJapaneseCharSet);
  record.Set(font::kFaceName, choice.face);

  const int weight = choice.bold ? font::kBold : font::kNormal;
  std::vector<std::pair<std::string, std::string>> slots;
  for (int slot = 0; slot < font::kSlotCount; ++slot) {
    record.Set(font::kHeight, std::to_string(HeightForSize(choice.size + font::kSizeOffsets[slot], pixelsPerInch)));
    record.Set(font::kWeight, std::to_string(slot % 2 == 1 ? font::kBold : weight));
    slots.emplace_back(SlotKey(slot), record.Text());
  }
  config.WriteStrings(kSlotSection, slots);
  return slots.front().second;
}

}  // namespace qlm
