#include "platform/inet/AsciiConversion.h"

#include <gtest/gtest.h>

#include <string>

namespace inet {
namespace {

// Converts `input` cut into blocks of every size from 1 to its length.
template <class Converter>
void expectSameForEveryBlockSize(const std::string& input, const std::string& expected,
                                 bool finish) {
  for (size_t blockSize = 1; blockSize <= input.size(); ++blockSize) {
    Converter converter;
    std::string out;
    for (size_t pos = 0; pos < input.size(); pos += blockSize) {
      converter.convert(std::string_view(input).substr(pos, blockSize), &out);
    }
    if constexpr (requires(Converter c, std::string * s) { c.finish(s); }) {
      if (finish) converter.finish(&out);
    }
    EXPECT_EQ(out, expected) << "block size " << blockSize;
  }
}

TEST(AsciiConversion, UploadTurnsLoneLineFeedsIntoCrLfAcrossBlocks) {
  expectSameForEveryBlockSize<LfToCrlf>("a\nb\r\nc\n\n\rd\r", "a\r\nb\r\nc\r\n\r\n\rd\r", false);
}

TEST(AsciiConversion, DownloadTurnsCrLfIntoLineFeedsAcrossBlocks) {
  expectSameForEveryBlockSize<CrlfToLf>("a\r\nb\rc\r\r\n\n\r", "a\nb\rc\r\n\n\r", true);
}

TEST(AsciiConversion, DownloadHoldsBackATrailingCrUntilFinish) {
  CrlfToLf converter;
  std::string out;
  converter.convert("x\r", &out);
  EXPECT_EQ(out, "x");
  converter.finish(&out);
  EXPECT_EQ(out, "x\r");
}

}  // namespace
}  // namespace inet
