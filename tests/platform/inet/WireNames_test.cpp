#include "platform/inet/WireNames.h"

#include <gtest/gtest.h>

#include "platform/inet/Utf8.h"

namespace inet {
namespace {

TEST(WireNames, JapaneseNamesRoundTripAndNamesWithoutAnExactFormAreRefused) {
  const std::string ansi = "\x93\xfa\x96\x7b\x8c\xea.txt";  // "日本語.txt" in CP932
  EXPECT_EQ(AnsiToUtf8(ansi), "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e.txt");
  EXPECT_EQ(Utf8ToAnsi("\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e.txt"), ansi);
  EXPECT_FALSE(AnsiToUtf8("\x81"));      // lead byte without trail
  EXPECT_FALSE(Utf8ToAnsi("\xc3\xa9"));  // "é" has no CP932 form
  EXPECT_FALSE(Utf8ToAnsi("\xc2\xa5"));  // "¥" only by best fit
  EXPECT_FALSE(Utf8ToAnsi("\xff\xfe"));  // not UTF-8
  WireNames names;
  EXPECT_EQ(names.toWire("\x81"), "\x81");  // CP932 wire: bytes as they are
  names.setUtf8(true);
  EXPECT_FALSE(names.toWire("\x81"));
  EXPECT_FALSE(names.fromWire("\xc3\xa9"));
}

TEST(Utf8, StrictDecodingRefusesOverlongSurrogateAndTruncatedForms) {
  EXPECT_EQ(Utf8ToUtf16("\xf0\x9f\x98\x80"), std::u16string(u"\U0001F600"));
  EXPECT_EQ(Utf16ToUtf8(u"\U0001F600"), "\xf0\x9f\x98\x80");
  for (const char* bad : {"\xc0\xaf", "\xed\xa0\x80", "\xe6\x97", "\xf4\x90\x80\x80"}) {
    EXPECT_FALSE(Utf8ToUtf16(bad));
  }
  EXPECT_FALSE(Utf16ToUtf8(std::u16string(1, u'\xd800')));
}

}  // namespace
}  // namespace inet
