#include "uploader/DownloadPath.h"

#include <gtest/gtest.h>

#include "platform/files/Files.h"

namespace {

TEST(DownloadPath, JoinsFolderAndNameWithOneSeparator) {
  // The system's separator: "/" on Linux, a backslash on Windows.
  const std::u16string sep = files::PathSeparator();
  EXPECT_EQ(DownloadPath(u"dl", u"a.txt"), u"dl" + sep + u"a.txt");
  EXPECT_EQ(DownloadPath(u"dl" + sep, u"a.txt"), u"dl" + sep + u"a.txt");
  EXPECT_EQ(DownloadPath(sep, u"a.txt"), sep + u"a.txt");
  EXPECT_EQ(DownloadPath(u"rel", u"my file"), u"rel" + sep + u"my file");
  EXPECT_EQ(DownloadPath(u"dl", u"..a"), u"dl" + sep + u"..a");
}

TEST(DownloadPath, RefusesNamesThatLeaveTheFolder) {
  for (const std::u16string name :
       {u"", u".", u"..", u"../x", u"sub/x", u"/etc/passwd", u"..\\x", u"a\\b", u"x/"}) {
    EXPECT_FALSE(IsSafeDownloadName(name)) << std::string(name.begin(), name.end());
    EXPECT_EQ(DownloadPath(u"/tmp", name), std::nullopt);
  }
  EXPECT_NE(UnsafeDownloadNameMessage(u"../x").find(u"「../x」"), std::u16string::npos);
}

}  // namespace
