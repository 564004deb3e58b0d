#include "platform/inet/NamePattern.h"

#include <gtest/gtest.h>

namespace inet {
namespace {

TEST(NamePattern, StarAndQuestionMarkMatchWholeNamesByCharacterAndAsciiLettersInAnyCase) {
  for (const char* all : {static_cast<const char*>(nullptr), "", "*", "*.*"}) {
    EXPECT_TRUE(PatternMatchesAll(all));
  }
  EXPECT_FALSE(PatternMatchesAll("*.txt"));
  // "表" is 0x95 0x5C: "?" takes both bytes. "ア" is 0x83 0x41: its trail byte is no "A".
  const std::pair<const char*, const char*> matching[] = {
      {"*.txt", "notes.txt"},     {"a*b*c", "aXXbYYc"},
      {"file?.dat", "file1.dat"}, {"**", ""},
      {"*.TXT", "readme.txt"},    {"ReadMe.*", "README.md"},
      {"?.txt", "\x95\x5C.txt"},  {"*\x83\x41*", "x\x83\x41y"}};
  const std::pair<const char*, const char*> different[] = {
      {"*.txt", "notes.txt.bak"}, {"a*b*c", "aXXbYY"},     {"file?.dat", "file.dat"}, {"?", ""},
      {"??.txt", "\x95\x5C.txt"}, {"\x83\x61", "\x83\x41"}};
  for (const auto& [pattern, name] : matching) EXPECT_TRUE(MatchesPattern(pattern, name)) << name;
  for (const auto& [pattern, name] : different) EXPECT_FALSE(MatchesPattern(pattern, name)) << name;
}

}  // namespace
}  // namespace inet
