#include "platform/inet/NamePattern.h"

#include <gtest/gtest.h>

namespace inet {
namespace {

TEST(NamePattern, EverythingPatternsAreRecognised) {
  EXPECT_TRUE(PatternMatchesAll(nullptr));
  EXPECT_TRUE(PatternMatchesAll(""));
  EXPECT_TRUE(PatternMatchesAll("*"));
  EXPECT_TRUE(PatternMatchesAll("*.*"));
  EXPECT_FALSE(PatternMatchesAll("*.txt"));
}

TEST(NamePattern, StarAndQuestionMarkMatchWholeNames) {
  EXPECT_TRUE(MatchesPattern("*.txt", "notes.txt"));
  EXPECT_FALSE(MatchesPattern("*.txt", "notes.txt.bak"));
  EXPECT_TRUE(MatchesPattern("a*b*c", "aXXbYYc"));
  EXPECT_FALSE(MatchesPattern("a*b*c", "aXXbYY"));
  EXPECT_TRUE(MatchesPattern("file?.dat", "file1.dat"));
  EXPECT_FALSE(MatchesPattern("file?.dat", "file.dat"));
  EXPECT_TRUE(MatchesPattern("**", ""));
  EXPECT_FALSE(MatchesPattern("?", ""));
  EXPECT_TRUE(MatchesPattern("exact", "exact"));
}

TEST(NamePattern, AsciiLettersMatchRegardlessOfCase) {
  EXPECT_TRUE(MatchesPattern("*.TXT", "readme.txt"));
  EXPECT_TRUE(MatchesPattern("ReadMe.*", "README.md"));
}

TEST(NamePattern, DoubleByteCharacterCountsAsOneAndItsTrailByteIsNotFolded) {
  // "表" is 0x95 0x5C in CP932: "?" takes both bytes.
  EXPECT_TRUE(MatchesPattern("?.txt", "\x95\x5C.txt"));
  EXPECT_FALSE(MatchesPattern("??.txt", "\x95\x5C.txt"));
  // "ア" is 0x83 0x41; its trail byte 0x41 ("A") must not match a pattern's "a" alone.
  EXPECT_FALSE(MatchesPattern("\x83\x61", "\x83\x41"));
  EXPECT_TRUE(MatchesPattern("*\x83\x41*", "x\x83\x41y"));
}

}  // namespace
}  // namespace inet
