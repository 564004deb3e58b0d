// Code page 932 conversions checked against the byte values of the code page's own table.
#include "platform/codepage/CodePage.h"

#include <gtest/gtest.h>

using codepage::AnsiCode;
using codepage::CharFromAnsiCode;
using codepage::FromAnsi;
using codepage::ToAnsi;
using codepage::ToAnsiExact;
using namespace std::string_literals;

TEST(CodePage, TextsConvertAsCodePage932DoesBothWays) {
  // ASCII with NUL, half-width katakana, kanji with the trail bytes 0x5C and 0x7C, and the
  // Microsoft forms where plain Shift_JIS has U+301C, U+2016 and U+00AC.
  const std::u16string text = u"Qu\"1\";,\\~\r\n\0\uFF61\uFF9F日本ソ表ポ\uFF5E\u2225\uFFE2"s;
  const std::string bytes =
      "Qu\"1\";,\\~\r\n\0\xA1\xDF\x93\xFA\x96\x7B\x83\x5C\x95\x5C\x83\x7C"
      "\x81\x60\x81\x61\x81\xCA"s;
  EXPECT_EQ(ToAnsi(text), bytes);
  EXPECT_EQ(ToAnsiExact(text), bytes);
  EXPECT_EQ(FromAnsi(bytes), text);
  // The lone bytes glibc rejects decode as the platform does.
  EXPECT_EQ(FromAnsi("\x80\xA0\xFD\xFE\xFF"), u"\u0080\uF8F0\uF8F1\uF8F2\uF8F3");
  EXPECT_EQ(ToAnsiExact(u"\u0080\uF8F0\uF8F1\uF8F2\uF8F3"), "\x80\xA0\xFD\xFE\xFF");
}

TEST(CodePage, CharactersWithSeveralCodesTakeTheEncodersChoice) {
  // JIS row 2 before NEC row 13, NEC row 13 before the IBM rows, the IBM rows 0xFA-0xFC
  // before their NEC-selected copies in 0xED-0xEE; every copy still decodes.
  EXPECT_EQ(ToAnsiExact(u"\u2252\u2160\u2170\u7E8A"), "\x81\xE0\x87\x54\xFA\x40\xFA\x5C");
  EXPECT_EQ(FromAnsi("\x87\x90\xFA\x4A\xEE\xEF\xED\x40"), u"\u2252\u2160\u2170\u7E8A");
}

TEST(CodePage, BestFitIsNotExactAndWhatCannotBeMappedIsAQuestionMarkPerCodeUnit) {
  EXPECT_EQ(ToAnsi(u"\u00A5\u203E\u2014\u301C"), "\x5C\x7E\x81\x5C\x81\x60");
  for (const char16_t* inexact : {u"\u00A5", u"a\u203E", u"\u301C", u"caf\u00E9"}) {
    EXPECT_EQ(ToAnsiExact(inexact), std::nullopt);
  }
  EXPECT_EQ(ToAnsi(u"é€"), "??");
  EXPECT_EQ(ToAnsi(u"a\U0001F600b"), "a??b");
  EXPECT_EQ(ToAnsi(std::u16string(1, char16_t(0xD800))), "?");
  EXPECT_EQ(ToAnsiExact(u"?"), "?");
}

TEST(CodePage, UndefinedByteSequencesDecodeToMiddleDotWithoutSwallowingTheNextByte) {
  EXPECT_EQ(FromAnsi("\x85\x40"), u"・");    // valid lead and trail, no character
  EXPECT_EQ(FromAnsi("\x81\"x"), u"・\"x");  // the quote is not swallowed
  EXPECT_EQ(FromAnsi("a\x81"), u"a・");      // lead byte at the end
  EXPECT_EQ(FromAnsi("\x81\x7F\r\n"), u"・\u007F\r\n");
}

TEST(CodePage, AnsiCodesAreSignedSixteenBitAndOnlyCharactersHaveThem) {
  EXPECT_EQ(AnsiCode(u'\uFF71'), 0xB1);
  EXPECT_EQ(AnsiCode(u'あ'), -32096);                            // 0x82A0
  EXPECT_EQ(AnsiCode(u'\uE000'), static_cast<int16_t>(0xF040));  // user-defined area
  for (char16_t none : {u'é', u'\u00A5', u'\u2014', char16_t(0xDC00)}) {
    EXPECT_EQ(AnsiCode(none), std::nullopt);
  }
  // Lead bytes alone, 256 and above, an undefined pair, no trail byte, no lead byte.
  const int32_t noCharacter[] = {0x81,
                                 0xFC,
                                 256,
                                 32767,
                                 static_cast<int16_t>(0x8540),
                                 static_cast<int16_t>(0x8131),
                                 static_cast<int16_t>(0xA140),
                                 -1,
                                 -40000};
  for (int32_t code : noCharacter) {
    EXPECT_EQ(CharFromAnsiCode(code), std::nullopt) << code;
  }
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
