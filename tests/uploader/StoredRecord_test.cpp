#include "uploader/StoredRecord.h"

#include <gtest/gtest.h>

namespace {

TEST(StoredRecord, PlainValuesStayBareAndAwkwardOnesAreQuotedOnOneLine) {
  EXPECT_EQ(
      StoredRecord({u"ftp.example.jp:2121", u"/incoming", u"日報.csv", 35, 0.0042, "rename", true},
                   "T"),
      "T Quillpost: stored server=ftp.example.jp:2121 folder=/incoming name=日報.csv "
      "bytes=35 seconds=0.004 via=rename verified=size");
  EXPECT_EQ(
      StoredRecord({u"h", u"", u"a \"b\"\\c=d\r\ne", std::nullopt, 61.5, "direct", false}, "T"),
      "T Quillpost: stored server=h folder=\"\" name=\"a \\\"b\\\"\\\\c=d / e\" bytes=? "
      "seconds=61.500 via=direct verified=no");
}

}  // namespace
