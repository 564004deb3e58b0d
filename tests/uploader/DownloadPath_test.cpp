#include "uploader/DownloadPath.h"

#include <gtest/gtest.h>

namespace {

TEST(DownloadPath, JoinsFolderAndNameWithOneSeparator) {
  EXPECT_EQ(DownloadPath(u"/tmp", u"a.txt"), u"/tmp/a.txt");
  EXPECT_EQ(DownloadPath(u"/tmp/", u"a.txt"), u"/tmp/a.txt");
  EXPECT_EQ(DownloadPath(u"/", u"a.txt"), u"/a.txt");
  EXPECT_EQ(DownloadPath(u"rel", u"my file"), u"rel/my file");
  EXPECT_EQ(DownloadPath(u"C:\\temp", u"a.txt"), u"C:\\temp/a.txt");
  EXPECT_EQ(DownloadPath(u"/tmp", u"..a"), u"/tmp/..a");
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
