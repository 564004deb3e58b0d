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

// Hidden, in the target's folder, none of its extensions (a web server runs a name by any of
// its dot-separated parts), the same for the same target, and short enough for any server.
TEST(UploadNaming, TheTemporaryNameIsHiddenBesideItsTargetWithoutTheTargetsExtensions) {
  EXPECT_EQ(TemporaryRemoteName(u"index.php"), u".index_php.quillpost-upload");
  EXPECT_EQ(TemporaryRemoteName(u"site/a.tar.gz"), u"site/.a_tar_gz.quillpost-upload");
  EXPECT_EQ(TemporaryRemoteName(u".htaccess"), u"._htaccess.quillpost-upload");
  EXPECT_EQ(TemporaryRemoteName(u"日報.csv"), u".日報_csv.quillpost-upload");
  EXPECT_EQ(TemporaryRemoteName(u"261207090503"), u".261207090503.quillpost-upload");
  const std::u16string longName = std::u16string(300, u'x') + u".html";
  EXPECT_EQ(TemporaryRemoteName(longName).size(), 1 + 96 + 17u);
  EXPECT_EQ(TemporaryRemoteName(longName), TemporaryRemoteName(longName));
  for (const std::u16string nameless : {u"", u"site/"}) {
    EXPECT_EQ(TemporaryRemoteName(nameless), u"") << "stored as it is";
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
