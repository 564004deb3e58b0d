// The settings file's layout both ways: the bytes the writer makes, the rules the reader
// follows, and each against the other.
#include "settings/SettingsFormat.h"

#include <gtest/gtest.h>

#include "settings/ScrambleText.h"

using namespace std::string_literals;

namespace {

const std::string kLine =
    "\"ftp.example.jp\",\"user\",\"a\"\"b\x11,c\",\"\",\"/home/\x93\xFA\x96\x7B.txt\","
    "\"NowDateMode\"\r\n";
const SettingsRecord kRecord{u"ftp.example.jp", u"user",       u"a\"b\x11,c", u"",
                             u"/home/日本.txt", u"NowDateMode"};

void expectRecord(const std::optional<SettingsRecord>& r, const SettingsRecord& expected) {
  ASSERT_TRUE(r.has_value());
  for (std::u16string SettingsRecord::*field : kSettingsFields) {
    EXPECT_EQ((*r).*field, expected.*field);
  }
}

}  // namespace

TEST(SettingsFormat, WriterMakesTheQuotedLineTwiceInCp932) {
  const SettingsText text = MakeSettingsText(kRecord);
  ASSERT_TRUE(text.ok);
  EXPECT_EQ(text.bytes, kLine + kLine);
}

TEST(SettingsFormat, HardValuesAndScrambledPasswordsComeBackUnchanged) {
  // Scrambled, these passwords hold a quote (from "1"), a comma (from ";"), 0x11 (from a
  // blank), CR LF (from 0x1C 0x19) and double-byte characters.
  for (const std::u16string password :
       {u"1", u";", u" ", u"*", u"p1; *\"~", u"秘密ｶﾅ", u"\x1C\x19"}) {
    const ScrambleResult scrambled = ScrambleText(u"set", password);
    ASSERT_TRUE(scrambled.ok);
    const SettingsRecord record{u" \"ftp\" ", u"山田,太郎", scrambled.text,
                                u"",          u"\t\"\"",    u"報告\r\n.txt"};
    const SettingsText text = MakeSettingsText(record);
    ASSERT_TRUE(text.ok);
    const std::optional<SettingsRecord> read = ParseSettingsText(text.bytes);
    expectRecord(read, record);
    EXPECT_EQ(ScrambleText(u"reset", read->ScrambledPassword).text, password);
  }
}

TEST(SettingsFormat, ReaderTakesTheSixValuesWhateverFollowsThem) {
  for (const std::string& text : {kLine, kLine + "\"other\",\"x\"\r\n", kLine + "\"never closed",
                                  kLine.substr(0, kLine.size() - 2)}) {
    SCOPED_TRACE(text.substr(kLine.size() - 2));
    expectRecord(ParseSettingsText(text), kRecord);
  }
}

TEST(SettingsFormat, FewerThanSixFieldsOrAnUnclosedQuoteEndsEarly) {
  for (std::string text :
       {"", "\"a\",\"b\",\"c\",\"d\",\"e\"\r\n", "\"a\",\"b\",\"c\",\"d\",\"e\",",
        "\"a\",\"b\",\"c\",\"d\",\"e\",   ", "  \r\n\r\n\r\n\r\n\r\n",
        "\"a\",\"b\",\"c\",\"d\",\"e\",\"f", "\"a,b,c,d,e,f\r\n"}) {
    EXPECT_FALSE(ParseSettingsText(text).has_value()) << text;
  }
}

TEST(SettingsFormat, ReaderFollowsTheLineInputRules) {
  const struct {
    std::string text;
    SettingsRecord expected;
  } kCases[] = {
      // Quoted fields keep commas, blanks, line ends and doubled quotes.
      {"\" a, b \",\"x\r\ny\",\"\"\"\",\"\"\"\"\"\",\"\",\"\tz\"",
       {u" a, b ", u"x\r\ny", u"\"", u"\"\"", u"", u"\tz"}},
      // Unquoted fields are trimmed, keep their quotes and end at a comma or a line end.
      {"  host , user\tname ,p\"w,\r\ndir\rfile\nlast  ",
       {u"host", u"user\tname", u"p\"w", u"", u"dir", u"file"}},
      // Blanks before a quote are skipped; text after the closing quote is ignored.
      {"  \"a\" ,\t\"b\"junk,\"c\" \"d\",\"e\"\r\n\"f\",\"g\"xx",
       {u"a", u"b", u"c", u"e", u"f", u"g"}},
      // Line ends separate fields across lines.
      {"\"a\"\r\n\"b\"\n\"c\"\r\"d\",\"e\"\r\n\"f\"\r\n", {u"a", u"b", u"c", u"d", u"e", u"f"}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.text);
    expectRecord(ParseSettingsText(c.text), c.expected);
  }
}

TEST(SettingsFormat, BytesThatAreNoCharacterDecodeWithoutLosingDelimiters) {
  // A lead byte right before the closing quote must not swallow it.
  expectRecord(ParseSettingsText("\"\x81\",\"\0\",\"\xFF\",\"\x85\x40\",e,f"s),
               {u"・", u"\0"s, u"\uF8F3", u"・", u"e", u"f"});
  EXPECT_FALSE(ParseSettingsText("\0\xFF\x81\x80\x1A"s).has_value());
}
