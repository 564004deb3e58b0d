// Code page 932 conversions checked against the byte values of the code page's own table.
#include "platform/codepage/CodePage.h"

#include <gtest/gtest.h>

using codepage::AnsiCode;
using codepage::CharFromAnsiCode;
using codepage::FromAnsi;
using codepage::ToAnsi;
using codepage::ToAnsiExact;

TEST(CodePage, AsciiNulAndHalfWidthKatakanaAreSingleBytesBothWays) {
  const std::u16string text(u"Quillpst.dat \"1\";,\\~\r\n\0\uFF61\uFF71\uFF9F", 26);
  const std::string bytes("Quillpst.dat \"1\";,\\~\r\n\0\xA1\xB1\xDF", 26);
  EXPECT_EQ(ToAnsi(text), bytes);
  EXPECT_EQ(FromAnsi(bytes), text);
}

TEST(CodePage, KanjiAndKanaAreDoubleByte) {
  EXPECT_EQ(ToAnsi(u"日本語あ"), "\x93\xFA\x96\x7B\x8C\xEA\x82\xA0");
  EXPECT_EQ(FromAnsi("\x93\xFA\x96\x7B\x8C\xEA\x82\xA0"), u"日本語あ");
  // A trail byte may be 0x5C or 0x7C (a backslash, a bar); it stays part of its character.
  EXPECT_EQ(FromAnsi("\x83\x5C\x95\x5C\x83\x7C"), u"ソ表ポ");
  EXPECT_EQ(ToAnsiExact(u"ソ表ポ"), "\x83\x5C\x95\x5C\x83\x7C");
}

TEST(CodePage, MicrosoftVariantsMapTheCp932Way) {
  // Where plain Shift_JIS has U+301C, U+2016 and U+00AC, code page 932 decodes to these.
  EXPECT_EQ(FromAnsi("\x81\x60\x81\x61\x81\xCA"), u"\uFF5E\u2225\uFFE2");
  EXPECT_EQ(ToAnsiExact(u"\uFF5E\u2225\uFFE2"), "\x81\x60\x81\x61\x81\xCA");
  // The Shift_JIS characters reach those bytes only by best fit.
  EXPECT_EQ(ToAnsi(u"\u301C"), "\x81\x60");
  EXPECT_EQ(ToAnsiExact(u"\u301C"), std::nullopt);
}

TEST(CodePage, CharactersWithSeveralCodesTakeTheEncodersChoice) {
  // JIS row 2 before NEC row 13, NEC row 13 before the IBM rows, the IBM rows 0xFA-0xFC
  // before their NEC-selected copies in 0xED-0xEE; every copy still decodes.
  EXPECT_EQ(ToAnsiExact(u"\u2252\u2160\u2170\u7E8A"), "\x81\xE0\x87\x54\xFA\x40\xFA\x5C");
  EXPECT_EQ(FromAnsi("\x87\x90\xFA\x4A\xEE\xEF\xED\x40"), u"\u2252\u2160\u2170\u7E8A");
}

TEST(CodePage, BestFitCharactersAreNotExact) {
  EXPECT_EQ(ToAnsi(u"\u00A5\u203E\u2014"), "\x5C\x7E\x81\x5C");
  EXPECT_EQ(ToAnsiExact(u"\u00A5"), std::nullopt);
  EXPECT_EQ(ToAnsiExact(u"a\u203E"), std::nullopt);
  EXPECT_EQ(AnsiCode(u'\u00A5'), std::nullopt);
  EXPECT_EQ(AnsiCode(u'\u2014'), std::nullopt);
  EXPECT_EQ(AnsiCode(u'\\'), 0x5C);
}

TEST(CodePage, UnmappableCharactersBecomeQuestionMarks) {
  EXPECT_EQ(ToAnsi(u"é€"), "??");
  EXPECT_EQ(ToAnsi(u"a\U0001F600b"), "a??b");  // one "?" per code unit of the pair
  EXPECT_EQ(ToAnsi(std::u16string(1, char16_t(0xD800))), "?");
  EXPECT_EQ(ToAnsiExact(u"caf\u00E9"), std::nullopt);
  EXPECT_EQ(ToAnsiExact(u"?"), "?");
}

TEST(CodePage, LoneBytesDecodeAsThePlatformDoes) {
  const std::u16string chars = u"\u0080\uF8F0\uF8F1\uF8F2\uF8F3";
  EXPECT_EQ(FromAnsi("\x80\xA0\xFD\xFE\xFF"), chars);
  EXPECT_EQ(ToAnsiExact(chars), "\x80\xA0\xFD\xFE\xFF");
  EXPECT_EQ(AnsiCode(u'\uF8F0'), 0xA0);
  EXPECT_EQ(CharFromAnsiCode(0xFF), u'\uF8F3');
}

TEST(CodePage, UndefinedByteSequencesDecodeToMiddleDot) {
  EXPECT_EQ(FromAnsi("\x85\x40"), u"・");    // valid lead and trail, no character
  EXPECT_EQ(FromAnsi("\x81\"x"), u"・\"x");  // the quote is not swallowed
  EXPECT_EQ(FromAnsi("a\x81"), u"a・");      // lead byte at the end
  EXPECT_EQ(FromAnsi("\x81\x7F\r\n"), u"・\u007F\r\n");
}

TEST(CodePage, AnsiCodeOfSingleAndDoubleByteCharacters) {
  EXPECT_EQ(AnsiCode(u'A'), 65);
  EXPECT_EQ(AnsiCode(u'\0'), 0);
  EXPECT_EQ(AnsiCode(u'\uFF71'), 0xB1);
  EXPECT_EQ(AnsiCode(u'あ'), -32096);                            // 0x82A0 as a signed 16-bit code
  EXPECT_EQ(AnsiCode(u'\uE000'), static_cast<int16_t>(0xF040));  // user-defined area
  EXPECT_EQ(AnsiCode(u'é'), std::nullopt);
  EXPECT_EQ(AnsiCode(char16_t(0xDC00)), std::nullopt);
}

TEST(CodePage, CharFromAnsiCodeRejectsWhatIsNoCharacter) {
  EXPECT_EQ(CharFromAnsiCode(65), u'A');
  EXPECT_EQ(CharFromAnsiCode(0), u'\0');
  EXPECT_EQ(CharFromAnsiCode(-32096), u'あ');
  EXPECT_EQ(CharFromAnsiCode(0x81), std::nullopt);  // lead byte alone
  EXPECT_EQ(CharFromAnsiCode(0xFC), std::nullopt);  // lead byte alone
  EXPECT_EQ(CharFromAnsiCode(256), std::nullopt);
  EXPECT_EQ(CharFromAnsiCode(32767), std::nullopt);
  EXPECT_EQ(CharFromAnsiCode(static_cast<int16_t>(0x8540)), std::nullopt);  // undefined pair
  EXPECT_EQ(CharFromAnsiCode(static_cast<int16_t>(0x8131)), std::nullopt);  // not a trail byte
  EXPECT_EQ(CharFromAnsiCode(static_cast<int16_t>(0xA140)), std::nullopt);  // not a lead byte
  EXPECT_EQ(CharFromAnsiCode(-1), std::nullopt);
  EXPECT_EQ(CharFromAnsiCode(-40000), std::nullopt);
}

TEST(CodePage, EveryCodedCharacterComesBackFromItsCode) {
  int coded = 0;
  for (unsigned u = 0; u < 0x10000; ++u) {
    const char16_t ch = static_cast<char16_t>(u);
    const std::optional<int16_t> code = AnsiCode(ch);
    if (!code) continue;
    ++coded;
    ASSERT_EQ(CharFromAnsiCode(*code), ch) << "U+" << std::hex << u;
    ASSERT_EQ(FromAnsi(ToAnsi(std::u16string(1, ch))), std::u16string(1, ch)) << std::hex << u;
  }
  // ASCII and katakana (191 with the five lone bytes) plus the double-byte repertoire.
  EXPECT_GT(coded, 9000);
}
