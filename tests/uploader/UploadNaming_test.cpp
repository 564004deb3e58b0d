#include "uploader/UploadNaming.h"

#include <gtest/gtest.h>

#include "tests/uploader/UploaderTestSupport.h"

namespace {

TEST(UploadNaming, NowDateModeNameIsTwelveDigits) {
  EXPECT_EQ(NowDateModeName({2005, 1, 9, 8, 5, 3}), u"050109080503");
  EXPECT_EQ(NowDateModeName({2010, 11, 30, 0, 0, 0}), u"101130000000");
  EXPECT_EQ(NowDateModeName({2000, 12, 31, 23, 59, 59}), u"001231235959");
}

TEST(UploadNaming, OnlyTheExactKeywordBuildsADateNameWithoutMessage) {
  const RemoteNameChoice keyword = ChooseRemoteName(u"NowDateMode", uploadertest::FixedClock);
  EXPECT_EQ(keyword.name, u"261207090503");
  EXPECT_FALSE(keyword.showCompletion);
  for (const std::u16string name : {u"nowdatemode", u"NOWDATEMODE", u" NowDateMode", u""}) {
    const RemoteNameChoice plain = ChooseRemoteName(name, uploadertest::FixedClock);
    EXPECT_EQ(plain.name, name);
    EXPECT_TRUE(plain.showCompletion);
  }
}

TEST(UploadNaming, CompletionMessageNamesFileTimeAndServer) {
  EXPECT_EQ(CompletionMessage(u"/home/u/日報.xls", {2026, 12, 7, 9, 5, 3}, u"ftp.example.jp:2121"),
            u"Quillpost ver1.0\r\n\r\n/home/u/日報.xls は\r\n2026/12/07 9:05:03\r\n"
            u"ftp://ftp.example.jp:2121\r\nに送信されました");
  EXPECT_EQ(CompletionMessage(u"a", {2010, 1, 1, 0, 0, 0}, u"h"),
            u"Quillpost ver1.0\r\n\r\na は\r\n2010/01/01\r\nftp://h\r\nに送信されました");
  // A server with a scheme of its own is shown as written.
  for (const std::u16string server : {u"ftpes://h:2121", u"ftps://h", u"ftp://h"}) {
    EXPECT_EQ(CompletionMessage(u"a", {2010, 1, 1, 0, 0, 0}, server),
              u"Quillpost ver1.0\r\n\r\na は\r\n2010/01/01\r\n" + server + u"\r\nに送信されました");
  }
}

TEST(UploadNaming, FTPFrrMessageWritesTheNumberInDecimal) {
  EXPECT_EQ(FTPFrrMessage(12007, u"サーバー名を解決できませんでした。"),
            u"12007\r\nサーバー名を解決できませんでした。");
  EXPECT_EQ(FTPFrrMessage(-2147483647 - 1, u"x"), u"-2147483648\r\nx");
}

}  // namespace
