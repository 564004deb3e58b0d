// Directory search of McWinFTP: FindFile, NextFile, the FTPFile record and its fields.
#include <gtest/gtest.h>

#include "ftp/McWinFTP.h"
#include "tests/ftp/FrrRecorder.h"
#include "tests/support/fake/FakeInternetApi.h"

using testsupport::FakeInternetApi;
using testsupport::MakeFindData;
using Handles = std::vector<inet::Handle>;

namespace {

struct Session {
  Session() { ftp.OpenSession(); }
  FakeInternetApi fake;
  McWinFTP ftp{fake};
  FrrRecorder frr{ftp};
};

}  // namespace

TEST(McWinFTPSearch, EntriesArriveInOrderAndTheEndKeepsTheLastOne) {
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
  // Past the end nothing is called any more.
  const size_t callsAtEnd = s.fake.calls.size();
  s.ftp.NextFile();
  EXPECT_EQ(s.fake.calls.size(), callsAtEnd);

  const testsupport::InetCall* first = s.fake.last("FtpFindFirstFileA");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->handles, Handles{s.ftp.hFTP()});
  EXPECT_EQ(first->texts, std::vector<std::optional<std::string>>{"*.*"});
  EXPECT_EQ(first->values, (std::vector<int64_t>{0, 0}));
  for (const testsupport::InetCall& call : s.fake.calls) {
    if (call.function == "FtpFindFirstFileA" || call.function == "InternetFindNextFileA") {
      EXPECT_TRUE(call.findDataClearIn) << call.function;
    }
  }
}

TEST(McWinFTPSearch, FailedStartEndsTheSearchAndFailedNextKeepsTheEntry) {
  Session s;
  s.fake.listing = {MakeFindData("first"), MakeFindData("second")};
  s.fake.failNext("FtpFindFirstFileA", inet::kErrorInternetConnectionAborted);
  s.ftp.FindFile(u"*.*");
  EXPECT_TRUE(s.ftp.RemoteFile().SearchEnd);
  EXPECT_EQ(s.ftp.RemoteFile().FileName, u"");
  ASSERT_EQ(s.frr.events.size(), 1u);
  EXPECT_EQ(s.frr.events[0].ErrNumber, 12030);

  s.ftp.FindFile(u"*.*");
  s.fake.failNext("InternetFindNextFileA", inet::kErrorFtpDropped);
  s.ftp.NextFile();
  EXPECT_EQ(s.frr.events.size(), 2u);
  EXPECT_EQ(s.ftp.FTPFrrCount(), 2);
  EXPECT_FALSE(s.ftp.RemoteFile().SearchEnd);
  EXPECT_EQ(s.ftp.RemoteFile().FileName, u"first");
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
  EXPECT_EQ(s.fake.calls[before].handles, Handles{firstSearch});
  EXPECT_EQ(s.fake.calls[before + 1].function, "FtpFindFirstFileA");
  EXPECT_EQ(s.ftp.RemoteFile().FileName, u"a");
}

TEST(McWinFTPSearch, FailedClosesAreReportedAndTriedAgainUnlessTheConnectionEndedThem) {
  // Both closes fail: both handles stay and are closed on the next try.
  Session s;
  s.fake.listing = {MakeFindData("a")};
  s.ftp.FindFile(u"*.*");
  inet::Handle search = s.fake.lastHandleGiven();
  inet::Handle connection = s.ftp.hFTP();
  s.fake.failNext("InternetCloseHandle", inet::kErrorInternetConnectionAborted);
  s.fake.failNext("InternetCloseHandle", inet::kErrorInternetConnectionAborted);
  s.ftp.CloseSession();
  EXPECT_EQ(s.frr.events.size(), 2u);
  EXPECT_EQ(s.ftp.hFTP(), connection);
  s.ftp.CloseSession();
  EXPECT_EQ(s.ftp.hFTP(), 0u);
  EXPECT_EQ(s.fake.closedHandles(), (Handles{search, connection, search, connection}));
  EXPECT_EQ(s.frr.events.size(), 2u);

  // Only the search close fails: closing the connection ended that search too.
  s.ftp.OpenSession();
  s.ftp.FindFile(u"*.*");
  search = s.fake.lastHandleGiven();
  connection = s.ftp.hFTP();
  s.fake.failNext("InternetCloseHandle", inet::kErrorInternetConnectionAborted);
  s.ftp.CloseSession();
  EXPECT_EQ(s.frr.events.size(), 3u);
  EXPECT_EQ(s.ftp.hFTP(), 0u);
  s.ftp.OpenSession();
  s.ftp.FindFile(u"*.*");  // does not try the ended search again
  const Handles closed = s.fake.closedHandles();
  EXPECT_EQ(Handles(closed.begin() + 4, closed.end()), (Handles{search, connection}));
  EXPECT_EQ(s.frr.events.size(), 3u);
}

TEST(McWinFTPSearch, EntryFieldsComeFromTheFindData) {
  Session s;
  const inet::FileTime march2004{2640214048u, 29622912u};  // 2004-03-05 07:08:09.250 UTC
  const inet::FileTime beyondCalendar{0, 0x80000000u};
  const inet::FindData unterminated = MakeFindData(std::string(260, 'u'));
  struct Expected {
    std::u16string name;
    double size;
    int32_t type;
    DateTime date;
  };
  s.fake.listing = {
      MakeFindData("\x93\xfa\x96\x7b\x8c\xea.txt", 16, 0, 0, march2004),
      MakeFindData(std::string(259, 'n'), 17, 1, 1u << 30),  // a read-only directory
      unterminated,
      MakeFindData("max", 128, 0xFFFFFFFFu, 0xFFFFFFFFu, beyondCalendar),
      MakeFindData("x", 0, 0, 3u << 30),
  };
  const Expected expected[] = {
      {u"日本語.txt", 0, 16, {2004, 3, 5, 7, 8, 9}},
      {std::u16string(259, u'n'), 5368709120.0, 0, {1601, 1, 1, 0, 0, 0}},
      {std::u16string(260, u'u'), 0, 0, {1601, 1, 1, 0, 0, 0}},
      {u"max", 18446744073709551615.0, 0, {}},         // no calendar form: the zero date
      {u"x", 3221225472.0, 0, {1601, 1, 1, 0, 0, 0}},  // nothing left of the longer names
  };
  s.ftp.FindFile(u"*.*");
  for (const Expected& e : expected) {
    SCOPED_TRACE(testing::PrintToString(e.name.substr(0, 8)));
    const FTPFile& file = s.ftp.RemoteFile();
    EXPECT_FALSE(file.SearchEnd);
    EXPECT_EQ(file.FileName, e.name);
    EXPECT_EQ(file.FileSize, e.size);
    EXPECT_EQ(file.FileType, e.type);
    EXPECT_EQ(file.FileDate, e.date);
    s.ftp.NextFile();
  }
  EXPECT_TRUE(s.ftp.RemoteFile().SearchEnd);
}

TEST(McWinFTPSearch, FindFileMakesANewRecordAndNextFileFillsTheCurrentOne) {
  Session s;
  FTPFile& fresh = s.ftp.RemoteFile();
  EXPECT_FALSE(fresh.SearchEnd);
  EXPECT_EQ(&s.ftp.RemoteFile(), &fresh);  // kept, not created again

  s.fake.listing = {MakeFindData("a", 16), MakeFindData("b")};
  s.ftp.FindFile(u"*.*");
  const std::shared_ptr<FTPFile> held = s.ftp.RemoteFilePtr();
  s.ftp.FindFile(u"*.*");
  EXPECT_NE(s.ftp.RemoteFilePtr(), held);
  EXPECT_EQ(held->FileName, u"a");  // the holder's record is left as it was
  // A record set from outside is filled in place; discarding it leaves a fresh one.
  auto mine = std::make_shared<FTPFile>();
  s.ftp.SetRemoteFile(mine);
  s.ftp.NextFile();
  EXPECT_EQ(mine->FileName, u"b");
  EXPECT_EQ(held->FileName, u"a");
  s.ftp.SetRemoteFile(nullptr);
  EXPECT_EQ(s.ftp.RemoteFile().FileName, u"");
  EXPECT_NE(s.ftp.RemoteFilePtr(), mine);
}
