// Font records: the comma list, sizes in points and pixels, and the six slots.
#include <gtest/gtest.h>

#include "settings/errors.h"
#include "settings/font_record.h"
#include "scratch_program.h"

namespace qlm {
namespace {

using test::Sjis;
using Fields = std::vector<std::string>;

TEST(CommaList, SplitsOnCommasOnly) {
  EXPECT_EQ(SplitCommaList(""), Fields{});
  EXPECT_EQ(SplitCommaList("a,b"), (Fields{"a", "b"}));
  EXPECT_EQ(SplitCommaList(" a , b "), (Fields{" a ", " b "}));
  EXPECT_EQ(SplitCommaList("a,,b"), (Fields{"a", "", "b"}));
  EXPECT_EQ(SplitCommaList("a,"), (Fields{"a", ""}));
  EXPECT_EQ(SplitCommaList(","), (Fields{"", ""}));
  EXPECT_EQ(SplitCommaList("\"a,b\",c"), (Fields{"a,b", "c"}));
  EXPECT_EQ(SplitCommaList("\"a\"\"b\""), (Fields{"a\"b"}));
  EXPECT_EQ(SplitCommaList("\"\","), (Fields{"", ""}));
  EXPECT_EQ(SplitCommaList("\"ab\"cd,e"), (Fields{"ab", "cd", "e"}));
  EXPECT_EQ(SplitCommaList("x\"y,z"), (Fields{"x\"y", "z"}));
  EXPECT_EQ(SplitCommaList("\"open,end"), (Fields{"open,end"}));
}

TEST(CommaList, StepsOverDoubleByteCharacters) {
  // ポ is 0x83 0x7C and 表 0x95 0x5C: second bytes that are "|" and "\".
  const std::string name = Sjis("ポ表 ＭＳ");
  EXPECT_EQ(SplitCommaList("1," + name + ",2"), (Fields{"1", name, "2"}));
  EXPECT_EQ(SplitCommaList("\"" + name + ",x\""), (Fields{name + ",x"}));
  EXPECT_EQ(JoinCommaList({name, name + ",x"}), name + ",\"" + name + ",x\"");
}

TEST(CommaList, JoinsQuotingOnlyWhatNeedsIt) {
  EXPECT_EQ(JoinCommaList({"a", "b,c", "d\"e", "", "M S"}), "a,\"b,c\",\"d\"\"e\",,M S");
  EXPECT_EQ(JoinCommaList({"a", ""}), "a,");
  EXPECT_EQ(JoinCommaList({}), "");
  EXPECT_EQ(JoinCommaList({""}), "\"\"");  // a lone empty field must survive
  for (const Fields& fields : {Fields{""}, Fields{"", ""}, Fields{"\"", ",", "a\"\"b"}, Fields{" x", "y "}})
    EXPECT_EQ(SplitCommaList(JoinCommaList(fields)), fields);
}

TEST(FontSize, RoundsLikeMulDiv) {
  const int heights[] = {-11, -12, -13, -15, -16};
  for (int size = 8; size <= 12; ++size) {
    EXPECT_EQ(HeightForSize(size, 96), heights[size - 8]) << size;
    EXPECT_EQ(SizeForHeight(heights[size - 8], 96), size) << size;
  }
  EXPECT_EQ(SizeForHeight(12, 96), -9);
  EXPECT_EQ(HeightForSize(0, 96), 0);
  EXPECT_EQ(HeightForSize(9, 120), -15);
  EXPECT_EQ(MulDiv(1, 1, 2), 1);
  EXPECT_EQ(MulDiv(-1, 1, 2), -1);
  EXPECT_EQ(MulDiv(3, 1, -2), -2);
  EXPECT_EQ(MulDiv(1, 1, 0), -1);
  EXPECT_EQ(MulDiv(2147483647, 2, 1), -1);
  EXPECT_EQ(MulDiv(2147483647, 2, 2), 2147483647);
}

class FontSlotsTest : public test::ScratchToolTest {
 protected:
  FontSlotsTest() {
    face.escapement = 1;
    face.orientation = 2;
    face.italic = 3;
    face.underline = 4;
    face.strikeOut = 5;
    face.outPrecision = 6;
    face.clipPrecision = 7;
    face.quality = 8;
    face.pitchAndFamily = 9;
    host.InstallFont(gothic, face);
    host.InstallFont("A,B", face);
  }
  void StoreFirstSlot(const std::string& record) {
    test::WriteBytes(config.Path(), "[FONT]\r\nFF0=" + record + "\r\n");
  }
  std::string Slot(int i) const { return config.ReadString("FONT", "FF" + std::to_string(i), "<none>"); }
  FontChoice Stored() const { return FontChoiceOf(host, ReadEditedValues(config), 96); }
  // As the form writes them: the face looked up, the base the file's FF0.
  bool WriteFontSlots(const FontChoice& choice) const {
    const auto found = FindChosenFace(host, choice);
    if (found) qlm::WriteFontSlots(config, 96, choice, *found, StoredRecord(host, ReadEditedValues(config)));
    return found.has_value();
  }

  platform::FontFace face;
  const std::string gothic = Sjis("ＭＳ Ｐゴシック");
};

// Slot FF0 as a choice: the size from the height, bold for any weight but
// normal, the face as stored (found or not: the form tells a missing one).
TEST_F(FontSlotsTest, ReadingGivesFaceWeightAndSize) {
  EXPECT_EQ(Stored(), (FontChoice{gothic, false, 9}));  // the default record
  StoreFirstSlot("-200,0,0,0,550,0,0,0,128,3,2,1,50,Missing Face");
  EXPECT_EQ(Stored(), (FontChoice{"Missing Face", true, 150}));
  StoreFirstSlot("-12,0,0,0,400,0,0,0,128,3,2,1,50,\"A,B\"");
  EXPECT_EQ(Stored(), (FontChoice{"A,B", false, 9}));
  EXPECT_TRUE(host.notices().empty());
}

TEST_F(FontSlotsTest, MalformedRecordsRaiseTheirErrors) {
  StoreFirstSlot("-12,0,0,0,400,0,0,0,128,3,2,1,50");
  EXPECT_EQ(StoredFace(host, ReadEditedValues(config)), "");  // the lists' tolerant read
  const auto stored = [this] { Stored(); };
  EXPECT_EQ(test::ErrorText<ListIndexError>(stored), Sjis("リストのインデックスが範囲を超えています (13)"));
  StoreFirstSlot("abc,0,0,0,400");
  EXPECT_EQ(test::ErrorText<ConversionError>(stored), Sjis("'abc' は整数ではありません"));
  StoreFirstSlot("-12,0,0,0,4OO,0,0,0,128,3,2,1,50,x");
  EXPECT_THROW(Stored(), ConversionError);
}

TEST_F(FontSlotsTest, TenPointBoldWritesThreeSizesAllBold) {
  StoreFirstSlot("-16,5,0,0,400,0,0,0,1,0,0,0,0," + gothic + ",extra");
  ASSERT_TRUE(WriteFontSlots({gothic, true, 10}));
  const char* heights[] = {"-13", "-13", "-15", "-15", "-12", "-12"};
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(Slot(i), std::string(heights[i]) + ",0,1,2,700,3,4,5,128,6,7,8,9," + gothic + ",extra") << i;
}

TEST_F(FontSlotsTest, NormalStyleMakesOddSlotsBoldAndSizeOneReachesZero) {
  ASSERT_TRUE(WriteFontSlots({gothic, false, 1}));
  const char* expected[] = {"-1,0,1,2,400", "-1,0,1,2,700", "-3,0,1,2,400",
                            "-3,0,1,2,700", "0,0,1,2,400",  "0,0,1,2,700"};
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(Slot(i), std::string(expected[i]) + ",3,4,5,128,6,7,8,9," + gothic) << i;
}

TEST_F(FontSlotsTest, AFaceWithACommaIsQuoted) {
  ASSERT_TRUE(WriteFontSlots({"A,B", false, 9}));
  EXPECT_EQ(Slot(0), "-12,0,1,2,400,3,4,5,128,6,7,8,9,\"A,B\"");
  EXPECT_EQ(Stored().face, "A,B");
}

TEST_F(FontSlotsTest, NothingIsWrittenForAFaceThatIsNotInstalledOrARecordTooShort) {
  StoreFirstSlot("-12,0,0,0,400,0,0,0,128,3,2,1,50," + gothic);
  const std::string before = test::ReadBytes(config.Path());
  EXPECT_FALSE(WriteFontSlots({"Default", false, 9}));
  EXPECT_FALSE(WriteFontSlots({"", false, 9}));
  EXPECT_TRUE(host.notices().empty());

  StoreFirstSlot("-12,0,0,0,400,0,0,0,128,3,2,1,50");
  const std::string shortRecord = test::ReadBytes(config.Path());
  EXPECT_THROW(WriteFontSlots({gothic, false, 9}), ListIndexError);
  EXPECT_EQ(test::ReadBytes(config.Path()), shortRecord);
  StoreFirstSlot("-12,0,0,0,400,0,0,0,128,3,2,1,50," + gothic);
  EXPECT_EQ(test::ReadBytes(config.Path()), before);
}

}  // namespace
}  // namespace qlm
