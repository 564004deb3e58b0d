#include "platform/inet/AsciiConversion.h"

#include <gtest/gtest.h>

#include <string>

namespace inet {
namespace {

// Blocks of every size may split a CR LF pair anywhere; a CR at the very end is held back
// until finish() shows that no LF follows.
TEST(AsciiConversion, LineEndsConvertAlikeForEveryBlockSize) {
  const std::string local = "a\nb\r\nc\n\n\rd\r", wire = "a\r\nb\rc\r\r\n\n\r";
  for (size_t block = 1; block <= local.size(); ++block) {
    LfToCrlf toWire;
    CrlfToLf fromWire;
    std::string sent, received;
    for (size_t at = 0; at < local.size(); at += block) {
      toWire.convert(std::string_view(local).substr(at, block), &sent);
    }
    for (size_t at = 0; at < wire.size(); at += block) {
      fromWire.convert(std::string_view(wire).substr(at, block), &received);
    }
    fromWire.finish(&received);
    EXPECT_EQ(sent, "a\r\nb\r\nc\r\n\r\n\rd\r") << "block size " << block;
    EXPECT_EQ(received, "a\nb\rc\r\n\n\r") << "block size " << block;
  }
}

}  // namespace
}  // namespace inet
