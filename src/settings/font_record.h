// font_record.h: the tool's font records and its six font slots.
//
// A font record is one comma list of the 14 fields of a logical-font
// description, the face name last. The user picks one face, size and style;
// the six slots FF0 to FF5 hold that face at three sizes, each in the chosen
// weight and in bold.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/host.h"
#include "settings/tool_config.h"

namespace qlm {

namespace font {
enum Field {
  kHeight = 0,
  kWidth = 1,
  kEscapement = 2,
  kOrientation = 3,
  kWeight = 4,
  kItalic = 5,
  kUnderline = 6,
  kStrikeOut = 7,
  kCharSet = 8,
  kOutPrecision = 9,
  kClipPrecision = 10,
  kQuality = 11,
  kPitchAndFamily = 12,
  kFaceName = 13,
};
inline constexpr int kNormal = 400;
inline constexpr int kBold = 700;
inline constexpr char kJapaneseCharSet[] = "128";
inline constexpr int kSlotCount = 6;
// Points added to the chosen size for each slot; odd slots are always bold.
inline constexpr int kSizeOffsets[kSlotCount] = {0, 0, +1, +1, -1, -1};
}  // namespace font

// Splits a comma list: only commas separate, blanks belong to the fields; a
// field that starts with a double quote runs to the next single quote, each
// doubled quote standing for one. A comma at the end gives a last empty
// field; an empty text gives no fields. Double-byte characters are stepped
// over whole.
std::vector<std::string> SplitCommaList(std::string_view text);

// Joins fields with commas. A field holding a comma or a double quote is
// written in double quotes with its quotes doubled; so is a lone empty field,
// which would otherwise be lost.
std::string JoinCommaList(const std::vector<std::string>& fields);

// number * numerator / denominator with a 64-bit intermediate, rounded to the
// nearest integer with halves away from zero; -1 when denominator is zero or
// the result does not fit, as the platform's MulDiv.
std::int32_t MulDiv(std::int32_t number, std::int32_t numerator, std::int32_t denominator);

// Character height in pixels for a size in points, and back.
int HeightForSize(int size, int pixelsPerInch);
int SizeForHeight(int height, int pixelsPerInch);

// The font the user picks: one face, normal or bold, a size in points.
struct FontChoice {
  std::string face;
  bool bold = false;
  int size = 0;

  bool operator==(const FontChoice&) const = default;
};

// The face, weight and size of slot FF0 among the edited keys (the default
// record where the file has none). Throws ListIndexError for a record of too
// few fields and ConversionError for a height or weight that is not a number.
FontChoice FontChoiceOf(const platform::Host& host, const EditedValues& values, int pixelsPerInch);

// The face slot FF0 names, or "" where its record has no face field.
std::string StoredFace(const platform::Host& host, const EditedValues& values);

// Slot FF0's text among the edited keys: the default record where the file
// has none.
std::string StoredRecord(const platform::Host& host, const EditedValues& values);

// The chosen face as the platform describes it; nothing when no face is
// chosen (the platform would deliver some other family, and a record naming
// no face could never be loaded again) or it is not installed.
std::optional<platform::FontFace> FindChosenFace(const platform::Host& host, const FontChoice& choice);

// Writes the six slots for choice in face (FindChosenFace's), on the base of
// record, slot FF0's text as the file holds it (StoredRecord, or what the
// last write left): the text written to FF0. Throws ListIndexError, writing
// nothing, for a record of too few fields, and ProfileWriteError.
std::string WriteFontSlots(const ToolConfig& config, int pixelsPerInch, const FontChoice& choice,
                           const platform::FontFace& face, const std::string& record);

}  // namespace qlm
