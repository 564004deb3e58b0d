#include "uploader/ListLines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(ListLines, EveryLineComesBackExactlyAcrossGroupsAndBlocks) {
  const std::vector<std::u16string> odd = {
      u"",
      u"F a\t0\t2026/12/07 09:05",
      u"D バックアップ\t \t2026/12/07 09:05",
      u"F \U0001F600 emoji",                          // a surrogate pair
      u"F \U0001F601 emoji",                          // differs in the pair's second unit alone
      std::u16string(u"F lone ") + char16_t(0xD800),  // high surrogate at the end
      std::u16string(u"F ") + char16_t(0xDC00) + u"x" + char16_t(0xD801) + u"y",
      std::u16string(u"nul\0inside", 10),
      std::u16string(300 * 1024, u'長'),  // longer than a block
  };
  ListLines lines;
  std::vector<std::u16string> expected;
  for (int i = 0; i < 20000; ++i) {
    const size_t k = static_cast<size_t>(i % 1000);
    expected.push_back(k < odd.size() ? odd[k] : u"F name" + std::u16string(k % 37, u'x'));
    lines.append(expected.back());
  }
  ASSERT_EQ(lines.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) ASSERT_EQ(lines.line(i), expected[i]) << i;

  lines.clear();
  EXPECT_EQ(lines.size(), 0u);
  lines.append(u"..");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines.line(0), u"..");
}

}  // namespace
