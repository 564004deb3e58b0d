#include "uploader/UploadNaming.h"

#include <gtest/gtest.h>

#include "tests/uploader/UploaderTestSupport.h"

namespace {

// The completion message with its date is the start-up test's.
TEST(UploadNaming, OnlyTheExactKeywordBuildsATwelveDigitDateNameWithoutMessage) {
  EXPECT_EQ(NowDateModeName({2005, 1, 9, 8, 5, 3}), u"050109080503");
  const RemoteNameChoice keyword = ChooseRemoteName(u"NowDateMode", uploadertest::FixedClock);
  EXPECT_EQ(keyword.name, u"261207090503");
  EXPECT_FALSE(keyword.showCompletion);
  for (const std::u16string name : {u"nowdatemode", u"NOWDATEMODE", u" NowDateMode", u""}) {
    const RemoteNameChoice plain = ChooseRemoteName(name, uploadertest::FixedClock);
    EXPECT_EQ(plain.name, name);
    EXPECT_TRUE(plain.showCompletion);
  }
}

TEST(UploadNaming, MessagesShowAMidnightDateAloneAServerWithASchemeAsWrittenAndAnyNumber) {
  EXPECT_EQ(CompletionMessage(u"a", {2010, 1, 1, 0, 0, 0}, u"h"),
            u"Quillpost ver1.0\r\n\r\na は\r\n2010/01/01\r\nftp://h\r\nに送信されました");
  for (const std::u16string server : {u"ftpes://h:2121", u"ftps://h", u"ftp://h"}) {
    EXPECT_EQ(CompletionMessage(u"a", {2010, 1, 1, 0, 0, 0}, server),
              u"Quillpost ver1.0\r\n\r\na は\r\n2010/01/01\r\n" + server + u"\r\nに送信されました");
  }
  EXPECT_EQ(FTPFrrMessage(-2147483647 - 1, u"x"), u"-2147483648\r\nx");
}

}  // namespace
