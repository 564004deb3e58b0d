// Download, rename, delete and directory operations of McWinFTP, seen through the recording
// fake of the internet API.
#include <gtest/gtest.h>

#include "ftp/McWinFTP.h"
#include "tests/ftp/FrrRecorder.h"
#include "tests/support/fake/FakeInternetApi.h"

using testsupport::FakeInternetApi;
using testsupport::InetCall;
using Texts = std::vector<std::optional<std::string>>;
using Values = std::vector<int64_t>;

TEST(McWinFTPFileOperations, GetFileAlwaysReloadsAndPassesFailIfExists) {
  FakeInternetApi fake;
  McWinFTP ftp(fake);
  ftp.OpenSession();
  struct Case {
    bool bFailExists;
    int32_t nTransfer;
    Values values;
  };
  const std::vector<Case> cases = {{true, 1, {1, 0, 0x80000001, 0}},
                                   {false, 0, {0, 0, 0x80000002, 0}},
                                   {false, 2, {0, 0, 0x80000002, 0}},
                                   {true, 9, {1, 0, 0x80000002, 0}}};
  for (const Case& c : cases) {
    EXPECT_EQ(ftp.GetFile(u"表.csv", u"/tmp/表.csv", c.bFailExists, c.nTransfer), 1);
    const InetCall* get = fake.last("FtpGetFileA");
    ASSERT_NE(get, nullptr);
    EXPECT_EQ(get->handles, std::vector<inet::Handle>{ftp.hFTP()});
    EXPECT_EQ(get->texts, (Texts{"\x95\x5c.csv", "/tmp/\x95\x5c.csv"}));  // remote first
    EXPECT_EQ(get->values, c.values) << c.nTransfer;
  }
  EXPECT_EQ(ftp.GetFile(u"r", u"l", false), 1);
  EXPECT_EQ(fake.last("FtpGetFileA")->values, (Values{0, 0, 0x80000002, 0}));
}

TEST(McWinFTPFileOperations, NameOperationsPassTheirNamesInOrder) {
  FakeInternetApi fake;
  McWinFTP ftp(fake);
  ftp.OpenSession();
  EXPECT_EQ(ftp.RenameFile(u"old name", u"新"), 1);
  EXPECT_EQ(fake.last("FtpRenameFileA")->texts, (Texts{"old name", "\x90\x56"}));
  EXPECT_EQ(ftp.DeleteFile(u" a.txt"), 1);
  EXPECT_EQ(fake.last("FtpDeleteFileA")->texts, Texts{" a.txt"});
  EXPECT_EQ(ftp.CreateDir(u"/abs/dir"), 1);
  EXPECT_EQ(fake.last("FtpCreateDirectoryA")->texts, Texts{"/abs/dir"});
  EXPECT_EQ(ftp.RemoveDir(u"dir"), 1);
  EXPECT_EQ(fake.last("FtpRemoveDirectoryA")->texts, Texts{"dir"});
  for (const char* f :
       {"FtpRenameFileA", "FtpDeleteFileA", "FtpCreateDirectoryA", "FtpRemoveDirectoryA"}) {
    EXPECT_EQ(fake.last(f)->handles, std::vector<inet::Handle>{ftp.hFTP()}) << f;
  }
}

TEST(McWinFTPFileOperations, EmptyNamesAreSentAsEmptyStrings) {
  FakeInternetApi fake;
  McWinFTP ftp(fake);
  FrrRecorder frr(ftp);
  ftp.OpenSession();
  fake.failNext("FtpDeleteFileA", inet::kErrorInvalidParameter);
  EXPECT_EQ(ftp.DeleteFile(u""), 0);
  EXPECT_EQ(fake.last("FtpDeleteFileA")->texts, Texts{""});
  EXPECT_EQ(ftp.PutFile(u"", u""), 1);
  EXPECT_EQ(fake.last("FtpPutFileA")->texts, (Texts{"", ""}));
  EXPECT_EQ(frr.events.size(), 1u);
}

TEST(McWinFTPFileOperations, RefusalArrivesAsTheServersResponse) {
  FakeInternetApi fake;
  McWinFTP ftp(fake);
  FrrRecorder frr(ftp);
  ftp.OpenSession();
  fake.failNext("FtpRemoveDirectoryA", inet::kErrorInternetExtendedError);
  fake.responseError = 550;
  fake.response = "550 Directory not empty.\r\n";
  EXPECT_EQ(ftp.RemoveDir(u"full"), 0);
  EXPECT_EQ(frr.events, (std::vector<FrrEvent>{{550, u"550 Directory not empty.\r\n"}}));
  fake.failNext("FtpGetFileA", inet::kErrorFileExists);
  EXPECT_EQ(ftp.GetFile(u"r", u"l", true), 0);
  ASSERT_EQ(frr.events.size(), 2u);
  EXPECT_EQ(frr.events[1].ErrNumber, 80);
}
