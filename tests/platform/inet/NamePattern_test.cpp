#include "platform/inet/NamePattern.h"

#include <gtest/gtest.h>

namespace inet {
namespace {

TEST(NamePattern, StarAndQuestionMarkMatchWholeNamesByCharacterAndAsciiLettersInAnyCase) {
  for (const char* all : {static_cast<const char*>(nullptr), "", "*", "*.*"}) {
    EXPECT_TRUE(PatternMatchesAll(all));
  }
  EXPECT_FALSE(PatternMatchesAll("*.txt"));
  const struct {
    const char* pattern;
    const char* name;
    bool matches;
  } cases[] = {
      {"*.txt", "notes.txt", true},
      {"*.txt", "notes.txt.bak", false},
      {"a*b*c", "aXXbYYc", true},
      {"a*b*c", "aXXbYY", false},
      {"file?.dat", "file1.dat", true},
      {"file?.dat", "file.dat", false},
      {"**", "", true},
      {"?", "", false},
      {"*.TXT", "readme.txt", true},
      {"ReadMe.*", "README.md", true},
      // "表" is 0x95 0x5C: "?" takes both bytes. "ア" is 0x83 0x41: its trail byte is no "A".
      {"?.txt", "\x95\x5C.txt", true},
      {"??.txt", "\x95\x5C.txt", false},
      {"\x83\x61", "\x83\x41", false},
      {"*\x83\x41*", "x\x83\x41y", true}};
  for (const auto& c : cases) {
    EXPECT_EQ(MatchesPattern(c.pattern, c.name), c.matches) << c.pattern << " " << c.name;
  }
}

}  // namespace
}  // namespace inet
