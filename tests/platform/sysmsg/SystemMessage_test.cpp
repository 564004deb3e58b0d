// The message formatter's contract as the failure reporting calls it (flags 0x12FF, language
// 0x0400, a 255-byte buffer); no caller passes other flags or languages.
#include "platform/sysmsg/SystemMessage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>

#include "platform/codepage/CodePage.h"
#include "platform/inet/ErrorTable.h"

namespace {

constexpr uint32_t kFlags = sysmsg::kFormatMessageFromSystem | sysmsg::kFormatMessageIgnoreInserts |
                            sysmsg::kFormatMessageMaxWidthMask;
constexpr uint32_t kUserDefault = 0x0400;

// The text for `code` as the failure reporting reads it (into 255 bytes), or "" when the
// length is 0.
std::string messageFor(uint32_t code) {
  char buffer[255];
  std::memset(buffer, 'x', sizeof buffer);
  const uint32_t n =
      sysmsg::FormatMessageA(kFlags, nullptr, code, kUserDefault, buffer, sizeof buffer, nullptr);
  if (n == 0) return {};
  EXPECT_EQ(buffer[n], '\0');
  return std::string(buffer, n);
}

}  // namespace

TEST(SystemMessage, EveryCodeOurLayersProduceHasOneJapaneseLine) {
#define QP_ERROR_NUMBER(number, name, when, message) number,
  const uint32_t codes[] = {QP_ERROR_TABLE(QP_ERROR_NUMBER)};
#undef QP_ERROR_NUMBER
  std::set<std::string> distinct;
  for (uint32_t code : codes) {
    const std::string text = messageFor(code);
    ASSERT_FALSE(text.empty()) << code;
    EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << code;
    // CP932 bytes that decode to Japanese and back without loss.
    const std::u16string decoded = codepage::FromAnsi(text);
    EXPECT_EQ(codepage::ToAnsiExact(decoded), text) << code;
    EXPECT_TRUE(std::any_of(decoded.begin(), decoded.end(), [](char16_t c) { return c >= 0x3000; }))
        << code;
    distinct.insert(text);
  }
  EXPECT_EQ(distinct.size(), std::size(codes));
}
