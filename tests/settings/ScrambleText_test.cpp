// ScrambleText against known codes of the code page, and its failures.
#include "settings/ScrambleText.h"

#include <gtest/gtest.h>

namespace {

std::u16string set(std::u16string_view text) { return ScrambleText(u"set", text).text; }
std::u16string reset(std::u16string_view text) { return ScrambleText(u"reset", text).text; }

TEST(ScrambleText, ModesInAnyCaseShiftEachCodeAndOtherModesGiveNothing) {
  for (const char16_t* mode : {u"set", u"Set", u"SET"})
    EXPECT_EQ(ScrambleText(mode, u"abc").text, u"RST");
  for (const char16_t* mode : {u"reset", u"ReSeT", u"RESET"})
    EXPECT_EQ(ScrambleText(mode, u"RST").text, u"abc");
  for (const char16_t* mode : {u"", u" set", u"sets", u"se", u"RESETX", u"ＳＥＴ", u"unset"}) {
    const ScrambleResult r = ScrambleText(mode, u"abc");
    EXPECT_TRUE(r.ok && r.text.empty() && r.failure == ScrambleFailure::None);
  }
  EXPECT_TRUE(ScrambleText(u"set", u"").ok);
  // The shifted codes of "1", ";" and the blank are a quote, a comma and a control character.
  EXPECT_EQ(set(u"1; ~"), u"\",\x11\x6F");
  // "あ" is 0x82A0, and 0x8291 the full-width "ｑ": a double-byte code shifts its trail byte.
  EXPECT_EQ(set(u"あ"), u"ｑ");
  const std::u16string password = u"日本語パスワード漢字ｶﾅ";
  EXPECT_EQ(reset(set(password)), password);
  // 0xAF ("ｯ") shifts onto 0xA0, which only the platform's own mapping (U+F8F0) defines.
  EXPECT_EQ(set(u"\uFF6F"), u"\uF8F0");
  EXPECT_EQ(reset(u"q"), u"\u0080");
}

TEST(ScrambleText, FailureGivesNoTextAndNamesItsKindAndPosition) {
  const struct {
    std::u16string mode, text;
    ScrambleFailure failure;
    size_t position;
  } cases[] = {
      {u"set", std::u16string(32768, u'a'), ScrambleFailure::TooLong, 32767},
      {u"set", u"caf\u00E9!", ScrambleFailure::NoCharacter, 3},  // outside the code page
      {u"reset", u"a\u00A5", ScrambleFailure::NoCharacter, 1},   // a backslash by best fit
      {u"set", u"\x05", ScrambleFailure::NoCharacter, 0},        // negative, lead byte 0xFF
      {u"set", u"\uFF61", ScrambleFailure::NoCharacter, 0},      // 0xA1 -> 0x92, a lead byte
      {u"set", u"\u3000", ScrambleFailure::NoCharacter, 0},      // 0x31 is no trail byte
      {u"reset", u"r", ScrambleFailure::NoCharacter, 0},         // 0x72 -> 0x81, a lead byte
      {u"reset", u"\uF8F3", ScrambleFailure::NoCharacter, 0},    // 0xFF -> 0x10E
  };
  for (const auto& c : cases) {
    const ScrambleResult r = ScrambleText(c.mode, c.text);
    EXPECT_FALSE(r.ok) << c.position;
    EXPECT_EQ(r.text, u"");
    EXPECT_EQ(r.failure, c.failure);
    EXPECT_EQ(r.position, c.position);
  }
  EXPECT_TRUE(ScrambleText(u"set", std::u16string(32767, u'a')).ok);
}

TEST(ScrambleText, CanStorePasswordAcceptsWhatComesBackExactly) {
  for (const char16_t* storable : {u"p@ss word;1*\"~", u"", u"秘密のパスワード"}) {
    EXPECT_TRUE(CanStorePassword(storable));
  }
  // A CR, no character of the code page, a trail byte 0x4F that shifts onto no trail byte.
  for (const char16_t* refused : {u"pass\r", u"\u00E9", u"０"})
    EXPECT_FALSE(CanStorePassword(refused));
  // IBM kanji 0xFA68 shifts onto 0xFA59, a copy of "№" whose own code is 0x8782: "reset"
  // would give another character.
  EXPECT_TRUE(ScrambleText(u"set", u"\u4E28").ok);
  EXPECT_FALSE(CanStorePassword(u"\u4E28"));
}

}  // namespace
