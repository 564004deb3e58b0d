// MduCsv: the quoted CSV line and the replacement scan it relies on.
#include "settings/MduCsv.h"

#include <gtest/gtest.h>

using MduCsv::MakeCsvLine;
using MduCsv::ReplaceString;
using MduCsv::TextArray;

namespace {

TextArray array(int32_t lowerBound, std::vector<std::u16string> items) {
  return TextArray{lowerBound, std::move(items)};
}

}  // namespace

TEST(MakeCsvLine, QuotesEveryValueAndSeparatesOnlyBetweenThem) {
  const std::u16string line = MakeCsvLine(array(1, {u"a", u"b", u"c"}), u",", u"\"");
  EXPECT_EQ(line, u"\"a\",\"b\",\"c\"");
  EXPECT_EQ(line.size(), 11u);
  EXPECT_EQ(MakeCsvLine(array(1, {u"only"}), u",", u"\""), u"\"only\"");
  const std::u16string empties = MakeCsvLine(array(1, std::vector<std::u16string>(6)), u",", u"\"");
  EXPECT_EQ(empties, u"\"\",\"\",\"\",\"\",\"\",\"\"");
  EXPECT_EQ(empties.size(), 17u);
}

TEST(MakeCsvLine, DoublesQuotesAndKeepsEverythingElse) {
  EXPECT_EQ(MakeCsvLine(array(1, {u"\""}), u",", u"\""), u"\"\"\"\"");
  EXPECT_EQ(MakeCsvLine(array(1, {u"a\"b", u"x,y\x11\r\n"}), u",", u"\""),
            u"\"a\"\"b\",\"x,y\x11\r\n\"");
  // Other quote and separator texts work the same way.
  EXPECT_EQ(MakeCsvLine(array(1, {u"it's", u""}), u"; ", u"'"), u"'it''s'; ''");
}

TEST(MakeCsvLine, AnyLowerBoundWritesElementsInIndexOrder) {
  EXPECT_EQ(MakeCsvLine(array(0, {u"a", u"b", u"c"}), u",", u"\""),
            MakeCsvLine(array(1, {u"a", u"b", u"c"}), u",", u"\""));
  EXPECT_EQ(MakeCsvLine(array(-5, {u"x", u"y"}), u",", u"\""), u"\"x\",\"y\"");
}

TEST(MakeCsvLine, ArrayNeverSizedOrWithoutElementsGivesEmptyLine) {
  EXPECT_EQ(MakeCsvLine(TextArray{1, std::nullopt}, u",", u"\""), u"");
  EXPECT_EQ(MakeCsvLine(array(1, {}), u",", u"\""), u"");
}

TEST(ReplaceString, ReplacesLeftToRightWithoutRescanningInsertions) {
  EXPECT_EQ(ReplaceString(u"a\"b\"\"c", u"\"", u"\"\""), u"a\"\"b\"\"\"\"c");
  EXPECT_EQ(ReplaceString(u"aXa", u"a", u"aa"), u"aaXaa");  // replacement holds the search
  EXPECT_EQ(ReplaceString(u"aaa", u"aa", u"b"), u"ba");     // occurrences do not overlap
  EXPECT_EQ(ReplaceString(u"abcabc", u"bc", u""), u"aa");
  EXPECT_EQ(ReplaceString(u"abc", u"abc", u"日本"), u"日本");
  EXPECT_EQ(ReplaceString(u"Abc", u"a", u"x"), u"Abc");  // case-sensitive
  EXPECT_EQ(ReplaceString(u"abc", u"", u"x"), u"abc");
  EXPECT_EQ(ReplaceString(u"", u"a", u"x"), u"");
}
