// Stored integers: what reads as a number, and what falls back to the default.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "settings/profile.h"

namespace qlm {
namespace {

struct Case {
  std::string text;
  std::optional<std::int32_t> expected;
};

TEST(NumberRules, DecimalTexts) {
  const Case cases[] = {
      {"0", 0},          {"12", 12},         {"-0", 0},           {"+1", 1},
      {"  12", 12},      {"007", 7},         {"-100", -100},      {"2147483647", 2147483647},
      {"-2147483648", -2147483647 - 1},     {"00000000000000000042", 42},
      {"", std::nullopt},                  {" ", std::nullopt},   {"2147483648", std::nullopt},
      {"-2147483649", std::nullopt},       {"99999999999999999999", std::nullopt},
      {"12a", std::nullopt},               {"12 ", std::nullopt}, {"\t12", std::nullopt},
      {"- 5", std::nullopt},               {"+-5", std::nullopt}, {"-", std::nullopt},
      {"1.0", std::nullopt},               {"1,000", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseStoredInteger(c.text), c.expected) << "'" << c.text << "'";
}

TEST(NumberRules, HexadecimalTexts) {
  const Case cases[] = {
      {"$10", 16},           {"x10", 16},           {"X1f", 31},           {"0x10", 16},
      {"0X10", 16},          {"-$10", -16},         {"+$10", 16},          {" 0x10", 16},
      {"-0x10", -16},        {"$FFFFFFFF", -1},     {"-$FFFFFFFF", 1},     {"$80000000", -2147483647 - 1},
      {"$7fffffff", 2147483647},                    {"$00000001", 1},
      {"$", std::nullopt},   {"0x", std::nullopt},  {"x", std::nullopt},   {"$123456789", std::nullopt},
      {"$1G", std::nullopt}, {"$ 1", std::nullopt}, {"0x10 ", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseStoredInteger(c.text), c.expected) << "'" << c.text << "'";
}

TEST(NumberRules, OnlyAStoredTextLongerThanTwoHasItsLeadingZeroXReadAsDollar) {
  // "0x" alone is not replaced and then has no digits; "0x0x5" becomes "$0x5".
  EXPECT_EQ(ParseStoredInteger("0x"), std::nullopt);
  EXPECT_EQ(ParseStoredInteger("0x0x5"), std::nullopt);
  EXPECT_EQ(ParseStoredInteger("0xx5"), std::nullopt);
  EXPECT_EQ(ParseInteger("0x10"), 16);
}

}  // namespace
}  // namespace qlm
