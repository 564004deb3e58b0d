// Directory search of McWinFTP: FindFile, NextFile, the FTPFile record and its fields.
#include <gtest/gtest.h>

#include "ftp/McWinFTP.h"
#include "tests/ftp/FrrRecorder.h"
#include "tests/support/fake/FakeInternetApi.h"

using testsupport::FakeInternetApi;
using testsupport::MakeFindData;

namespace {

// 2004-03-05 07:08:09.250 UTC.
constexpr inet::FileTime kMarch2004{2640214048u, 29622912u};

struct Session {
  Session() { ftp.OpenSession(); }
  FakeInternetApi fake;
  McWinFTP ftp{fake};
  FrrRecorder frr{ftp};
};

}  // namespace

TEST(McWinFTPSearch, ThreeEntriesArriveInOrderAndTheEndKeepsTheLastOne) {
  Session s;
  s.fake.listing = {MakeFindData("one"), MakeFindData("two"), MakeFindData("three")};
  std::vector<std::u16string> names;
  s.ftp.FindFile(u"*.*");
  while (!s.ftp.RemoteFile().SearchEnd) {
    names.push_back(s.ftp.RemoteFile().FileName);
    s.ftp.NextFile();
  }
  EXPECT_EQ(names, (std::vector<std::u16string>{u"one", u"two", u"three"}));
  EXPECT_EQ(s.ftp.RemoteFile().FileName, u"three");
  EXPECT_TRUE(s.frr.events.empty());

  const testsupport::InetCall* first = s.fake.last("FtpFindFirstFileA");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->handles, std::vector<inet::Handle>{s.ftp.hFTP()});
  EXPECT_EQ(first->texts, std::vector<std::optional<std::string>>{"*.*"});
  EXPECT_EQ(first->values, (std::vector<int64_t>{0, 0}));
  for (const testsupport::InetCall& call : s.fake.calls) {
    if (call.function == "FtpFindFirstFileA" || call.function == "InternetFindNextFileA") {
      EXPECT_TRUE(call.findDataClearIn) << call.function;
    }
  }
}

TEST(McWinFTPSearch, NextFileAfterTheEndCallsNothing) {
  Session s;
  s.fake.listing = {MakeFindData("only")};
  s.ftp.FindFile(u"*.*");
  s.ftp.NextFile();
  ASSERT_TRUE(s.ftp.RemoteFile().SearchEnd);
  const size_t callsAtEnd = s.fake.calls.size();
  s.ftp.NextFile();
  s.ftp.NextFile();
  EXPECT_EQ(s.fake.calls.size(), callsAtEnd);
  EXPECT_TRUE(s.frr.events.empty());
}

TEST(McWinFTPSearch, EmptyListingEndsWithoutEventAndLeavesNoSearchOpen) {
  inet::Handle connection = 0, root = 0;
  FakeInternetApi fake;
  {
    McWinFTP ftp(fake);
    FrrRecorder frr(ftp);
    ftp.OpenSession();
    connection = ftp.hFTP();
    root = ftp.hInternet();
    ftp.FindFile(u"*.*");
    EXPECT_TRUE(ftp.RemoteFile().SearchEnd);
    EXPECT_EQ(ftp.RemoteFile().FileName, u"");
    EXPECT_TRUE(frr.events.empty());
  }
  EXPECT_EQ(fake.closedHandles(), (std::vector<inet::Handle>{connection, root}));
}

TEST(McWinFTPSearch, FailedStartRaisesOneEventAndEndsTheSearch) {
  Session s;
  s.fake.listing = {MakeFindData("a")};
  s.fake.failNext("FtpFindFirstFileA", inet::kErrorInternetConnectionAborted);
  s.ftp.FindFile(u"*.*");
  EXPECT_TRUE(s.ftp.RemoteFile().SearchEnd);
  EXPECT_EQ(s.ftp.RemoteFile().FileName, u"");
  EXPECT_EQ(s.frr.events.size(), 1u);
  EXPECT_EQ(s.frr.events[0].ErrNumber, 12030);
}

TEST(McWinFTPSearch, FindFileClosesTheOpenSearchBeforeListingAgain) {
  Session s;
  s.fake.listing = {MakeFindData("a"), MakeFindData("b")};
  s.ftp.FindFile(u"*.*");
  const inet::Handle firstSearch = s.fake.lastHandleGiven();
  const size_t before = s.fake.calls.size();
  s.ftp.FindFile(u"*.txt");
  ASSERT_EQ(s.fake.calls.size(), before + 2);
  EXPECT_EQ(s.fake.calls[before].function, "InternetCloseHandle");
  EXPECT_EQ(s.fake.calls[before].handles, std::vector<inet::Handle>{firstSearch});
  EXPECT_EQ(s.fake.calls[before + 1].function, "FtpFindFirstFileA");
  EXPECT_EQ(s.ftp.RemoteFile().FileName, u"a");
}

TEST(McWinFTPSearch, FailingCloseOfTheSearchIsReportedAndTriedAgain) {
  Session s;
  s.fake.listing = {MakeFindData("a")};
  s.ftp.FindFile(u"*.*");
  const inet::Handle search = s.fake.lastHandleGiven();
  const inet::Handle connection = s.ftp.hFTP();
  s.fake.failNext("InternetCloseHandle", inet::kErrorInternetConnectionAborted);
  s.fake.failNext("InternetCloseHandle", inet::kErrorInternetConnectionAborted);
  s.ftp.CloseSession();  // both closes fail: both handles stay
  EXPECT_EQ(s.frr.events.size(), 2u);
  EXPECT_EQ(s.ftp.hFTP(), connection);
  s.ftp.CloseSession();
  EXPECT_EQ(s.ftp.hFTP(), 0u);
  EXPECT_EQ(s.fake.closedHandles(),
            (std::vector<inet::Handle>{search, connection, search, connection}));
  EXPECT_EQ(s.frr.events.size(), 2u);
}

TEST(McWinFTPSearch, ClosedConnectionTakesItsFailedSearchAlong) {
  Session s;
  s.fake.listing = {MakeFindData("a")};
  s.ftp.FindFile(u"*.*");
  const inet::Handle search = s.fake.lastHandleGiven();
  const inet::Handle connection = s.ftp.hFTP();
  s.fake.failNext("InternetCloseHandle", inet::kErrorInternetConnectionAborted);
  s.ftp.CloseSession();  // the search close fails, the connection closes and ends it
  EXPECT_EQ(s.frr.events.size(), 1u);
  EXPECT_EQ(s.ftp.hFTP(), 0u);
  s.ftp.OpenSession();
  s.ftp.FindFile(u"*.*");  // does not try the ended search again
  EXPECT_EQ(s.fake.closedHandles(), (std::vector<inet::Handle>{search, connection}));
  EXPECT_EQ(s.frr.events.size(), 1u);
}

TEST(McWinFTPSearch, NextFileFailureRaisesOneEventAndKeepsTheEntry) {
  Session s;
  s.fake.listing = {MakeFindData("first"), MakeFindData("second")};
  s.ftp.FindFile(u"*.*");
  s.fake.failNext("InternetFindNextFileA", inet::kErrorFtpDropped);
  const int64_t before = s.ftp.FTPFrrCount();
  s.ftp.NextFile();
  EXPECT_EQ(s.ftp.FTPFrrCount(), before + 1);
  EXPECT_EQ(s.frr.events.size(), 1u);
  EXPECT_FALSE(s.ftp.RemoteFile().SearchEnd);
  EXPECT_EQ(s.ftp.RemoteFile().FileName, u"first");
}

TEST(McWinFTPSearch, SizesAreUnsignedAndCombineBothHalves) {
  Session s;
  s.fake.listing = {MakeFindData("five", 0x80, 1, 1u << 30),
                    MakeFindData("three", 0x80, 0, 3u << 30),
                    MakeFindData("max", 0x80, 0xFFFFFFFFu, 0xFFFFFFFFu)};
  s.ftp.FindFile(u"*.*");
  EXPECT_EQ(s.ftp.RemoteFile().FileSize, 5368709120.0);
  s.ftp.NextFile();
  EXPECT_EQ(s.ftp.RemoteFile().FileSize, 3221225472.0);
  s.ftp.NextFile();
  EXPECT_EQ(s.ftp.RemoteFile().FileSize, 18446744073709551615.0);
}

TEST(McWinFTPSearch, OnlyTheBareDirectoryAttributeMakesADirectory) {
  Session s;
  s.fake.listing = {MakeFindData("d", 16), MakeFindData("ro", 17), MakeFindData("n", 128),
                    MakeFindData("z", 0)};
  std::vector<int32_t> types;
  s.ftp.FindFile(u"*.*");
  while (!s.ftp.RemoteFile().SearchEnd) {
    types.push_back(s.ftp.RemoteFile().FileType);
    s.ftp.NextFile();
  }
  EXPECT_EQ(types, (std::vector<int32_t>{16, 0, 0, 0}));
}

TEST(McWinFTPSearch, DateTakesTheCalendarFieldsToTheSecond) {
  Session s;
  const inet::FileTime beyondCalendar{0, 0x80000000u};
  s.fake.listing = {MakeFindData("a", 0x80, 0, 0, kMarch2004), MakeFindData("epoch"),
                    MakeFindData("far", 0x80, 0, 0, beyondCalendar)};
  s.ftp.FindFile(u"*.*");
  EXPECT_EQ(s.ftp.RemoteFile().FileDate, (FTPFileDate{2004, 3, 5, 7, 8, 9}));
  s.ftp.NextFile();
  EXPECT_EQ(s.ftp.RemoteFile().FileDate, (FTPFileDate{1601, 1, 1, 0, 0, 0}));
  s.ftp.NextFile();
  EXPECT_TRUE(s.ftp.RemoteFile().FileDate.isZero());
  EXPECT_EQ(s.ftp.RemoteFile().FileName, u"far");
}

TEST(McWinFTPSearch, NamesAreDecodedWholeUpToTheirNul) {
  Session s;
  const std::string longName(259, 'n');
  inet::FindData unterminated = MakeFindData(std::string(260, 'u'));
  s.fake.listing = {MakeFindData("\x93\xfa\x96\x7b\x8c\xea.txt"), MakeFindData(longName),
                    unterminated, MakeFindData("x")};
  s.ftp.FindFile(u"*.*");
  EXPECT_EQ(s.ftp.RemoteFile().FileName, u"日本語.txt");
  s.ftp.NextFile();
  EXPECT_EQ(s.ftp.RemoteFile().FileName, std::u16string(259, u'n'));
  s.ftp.NextFile();
  EXPECT_EQ(s.ftp.RemoteFile().FileName, std::u16string(260, u'u'));
  s.ftp.NextFile();
  EXPECT_EQ(s.ftp.RemoteFile().FileName, u"x");  // nothing left over from the longer names
}

TEST(McWinFTPSearch, RemoteFileIsCreatedOnReadAndReplacedByFindFile) {
  Session s;
  FTPFile& fresh = s.ftp.RemoteFile();
  EXPECT_FALSE(fresh.SearchEnd);
  EXPECT_EQ(fresh.FileSize, 0.0);
  EXPECT_TRUE(fresh.FileDate.isZero());
  EXPECT_EQ(&s.ftp.RemoteFile(), &fresh);  // kept, not created again

  s.fake.listing = {MakeFindData("a", 16), MakeFindData("b")};
  s.ftp.FindFile(u"*.*");
  const std::shared_ptr<FTPFile> held = s.ftp.RemoteFilePtr();
  s.ftp.FindFile(u"*.*");
  s.ftp.NextFile();
  EXPECT_NE(s.ftp.RemoteFilePtr(), held);
  EXPECT_EQ(held->FileName, u"a");  // the holder's record is left as it was
  EXPECT_EQ(held->FileType, 16);
  EXPECT_EQ(s.ftp.RemoteFile().FileName, u"b");
}

TEST(McWinFTPSearch, AssigningRemoteFileReplacesOrDiscardsIt) {
  Session s;
  auto mine = std::make_shared<FTPFile>();
  mine->FileName = u"mine";
  s.ftp.SetRemoteFile(mine);
  EXPECT_EQ(&s.ftp.RemoteFile(), mine.get());
  s.ftp.SetRemoteFile(nullptr);
  EXPECT_EQ(s.ftp.RemoteFile().FileName, u"");
  EXPECT_NE(s.ftp.RemoteFilePtr(), mine);

  // NextFile fills the record in place.
  s.fake.listing = {MakeFindData("a"), MakeFindData("b")};
  s.ftp.FindFile(u"*.*");
  s.ftp.SetRemoteFile(mine);
  s.ftp.NextFile();
  EXPECT_EQ(mine->FileName, u"b");
}
