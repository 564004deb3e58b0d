// ScrambleText against known codes of the code page, and its failures.
#include "settings/ScrambleText.h"

#include <gtest/gtest.h>

namespace {

std::u16string set(std::u16string_view text) { return ScrambleText(u"set", text).text; }
std::u16string reset(std::u16string_view text) { return ScrambleText(u"reset", text).text; }

}  // namespace

TEST(ScrambleText, SetTurnsAbcIntoRstAndResetTurnsItBackInAnyCase) {
  const ScrambleResult scrambled = ScrambleText(u"set", u"abc");
  EXPECT_TRUE(scrambled.ok);
  EXPECT_EQ(scrambled.text, u"RST");
  EXPECT_EQ(reset(u"RST"), u"abc");
  EXPECT_EQ(ScrambleText(u"Set", u"abc").text, u"RST");
  EXPECT_EQ(ScrambleText(u"SET", u"abc").text, u"RST");
  EXPECT_EQ(ScrambleText(u"ReSeT", u"RST").text, u"abc");
  EXPECT_EQ(ScrambleText(u"RESET", u"RST").text, u"abc");
}

TEST(ScrambleText, OtherModesOrAnEmptyTextGiveTheEmptyTextWithoutError) {
  const std::pair<std::u16string_view, std::u16string_view> cases[] = {
      {u"", u"abc"},       {u" set", u"abc"},   {u"sets", u"abc"},  {u"se", u"abc"},
      {u"RESETX", u"abc"}, {u"ＳＥＴ", u"abc"}, {u"unset", u"abc"}, {u"set", u""},
      {u"reset", u""},     {u"other", u""}};
  for (const auto& [mode, text] : cases) {
    const ScrambleResult r = ScrambleText(mode, text);
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.text, u"");
    EXPECT_EQ(r.failure, ScrambleFailure::None);
  }
}

TEST(ScrambleText, PrintableAsciiShiftsIntoControlsQuoteAndComma) {
  EXPECT_EQ(set(u"1"), u"\"");
  EXPECT_EQ(set(u";"), u",");
  EXPECT_EQ(set(u" "), u"\x11");
  EXPECT_EQ(set(u"."), u"\x1F");
  EXPECT_EQ(set(u"~"), u"\x6F");
  std::u16string printable;
  for (char16_t c = 0x20; c <= 0x7E; ++c) printable.push_back(c);
  const std::u16string scrambled = set(printable);
  ASSERT_EQ(scrambled.size(), printable.size());
  for (size_t i = 0; i < printable.size(); ++i) EXPECT_EQ(scrambled[i], printable[i] - 15);
  EXPECT_EQ(reset(scrambled), printable);
}

TEST(ScrambleText, DoubleByteCharactersShiftTheirTrailByte) {
  // "あ" is 0x82A0; 0x8291 is the full-width "ｑ".
  EXPECT_EQ(set(u"あ"), u"ｑ");
  EXPECT_EQ(reset(u"ｑ"), u"あ");
  const std::u16string password = u"日本語パスワード漢字ｶﾅ";
  const ScrambleResult scrambled = ScrambleText(u"set", password);
  ASSERT_TRUE(scrambled.ok);
  EXPECT_EQ(scrambled.text.size(), password.size());
  EXPECT_NE(scrambled.text, password);
  EXPECT_EQ(reset(scrambled.text), password);
}

TEST(ScrambleText, TextLongerThan32767CharactersIsTooLong) {
  EXPECT_TRUE(ScrambleText(u"set", std::u16string(32767, u'a')).ok);
  const ScrambleResult r = ScrambleText(u"set", std::u16string(32768, u'a'));
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.failure, ScrambleFailure::TooLong);
  EXPECT_EQ(r.text, u"");
}

TEST(ScrambleText, CharacterOutsideTheCodePageFailsAtItsPosition) {
  const ScrambleResult r = ScrambleText(u"set", u"caf\u00E9!");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.failure, ScrambleFailure::NoCharacter);
  EXPECT_EQ(r.position, 3u);
  EXPECT_EQ(r.text, u"");
  // A best-fit character (U+00A5 would be written as a backslash) is no character either.
  EXPECT_EQ(ScrambleText(u"reset", u"a\u00A5").position, 1u);
  EXPECT_FALSE(ScrambleText(u"reset", u"a\u00A5").ok);
}

TEST(ScrambleText, ShiftedCodeThatIsNoCharacterFails) {
  struct Case {
    std::u16string_view mode, text;
  } cases[] = {
      {u"set", u"\x05"},      // below 0x0F: a negative code with lead byte 0xFF
      {u"set", u"\uFF61"},    // 0xA1 -> 0x92, a lead byte alone
      {u"set", u"\u3000"},    // 0x8140 -> 0x8131, 0x31 is no trail byte
      {u"reset", u"r"},       // 0x72 -> 0x81, a lead byte alone
      {u"reset", u"\uF8F3"},  // 0xFF -> 0x10E, beyond the single-byte range
  };
  for (const Case& c : cases) {
    const ScrambleResult r = ScrambleText(c.mode, c.text);
    EXPECT_FALSE(r.ok) << static_cast<int>(c.text[0]);
    EXPECT_EQ(r.failure, ScrambleFailure::NoCharacter);
    EXPECT_EQ(r.position, 0u);
  }
}

TEST(ScrambleText, LoneBytesOfThePlatformTakePartInTheShift) {
  // 0xAF ("ｯ") shifts onto 0xA0, which only the platform's own mapping (U+F8F0) defines.
  EXPECT_EQ(set(u"\uFF6F"), u"\uF8F0");
  EXPECT_EQ(reset(u"\uF8F0"), u"\uFF6F");
  EXPECT_EQ(reset(u"q"), u"\u0080");
}

TEST(ScrambleText, CanStorePasswordAcceptsWhatComesBackExactly) {
  EXPECT_TRUE(CanStorePassword(u"p@ss word;1*\"~"));
  EXPECT_TRUE(CanStorePassword(u""));
  EXPECT_TRUE(CanStorePassword(u"秘密のパスワード"));
  EXPECT_FALSE(CanStorePassword(u"pass\r"));
  EXPECT_FALSE(CanStorePassword(u"\u00E9"));
  EXPECT_FALSE(CanStorePassword(u"０"));  // full-width digits: trail byte 0x4F
  // IBM kanji 0xFA68 shifts onto 0xFA59, a copy of "№" whose own code is 0x8782: "reset"
  // would give another character.
  EXPECT_TRUE(ScrambleText(u"set", u"\u4E28").ok);
  EXPECT_FALSE(CanStorePassword(u"\u4E28"));
}
