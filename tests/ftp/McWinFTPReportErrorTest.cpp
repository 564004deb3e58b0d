// The failure path of McWinFTP: the number and text of each FTPFrr event, and handlers that
// call back into the object while the failing operation is still running.
#include <gtest/gtest.h>

#include "ftp/McWinFTP.h"
#include "platform/codepage/CodePage.h"
#include "platform/sysmsg/SystemMessage.h"
#include "tests/ftp/FrrRecorder.h"
#include "tests/support/fake/FakeInternetApi.h"

using testsupport::FakeInternetApi;

namespace {

// A connected session whose next upload fails with `error`.
struct FailingUpload {
  explicit FailingUpload(uint32_t error) {
    ftp.OpenSession();
    fake.failNext("FtpPutFileA", error);
  }
  FakeInternetApi fake;
  McWinFTP ftp{fake};
  FrrRecorder frr{ftp};
};

}  // namespace

TEST(McWinFTPReportError, ExtendedErrorReportsTheServerResponseCutAtItsFirstNul) {
  FailingUpload s(inet::kErrorInternetExtendedError);
  s.fake.responseError = 550;
  s.fake.response = std::string("550 \x94\x92: no such file.\r\n\0left over", 33);
  EXPECT_EQ(s.ftp.PutFile(u"a", u"b"), 0);
  EXPECT_EQ(s.frr.events, (std::vector<FrrEvent>{{550, u"550 白: no such file.\r\n"}}));
  const testsupport::InetCall* info = s.fake.last("InternetGetLastResponseInfoA");
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->errorIn, 12003u);  // the number itself is the error variable
  EXPECT_EQ(info->lengthIn, 255u);
  EXPECT_EQ(info->bufferIn, std::string(256, '\0'));
}

TEST(McWinFTPReportError, ExtendedErrorFallsBackWhenTheResponseDoesNotFit) {
  FailingUpload s(inet::kErrorInternetExtendedError);
  s.fake.responseError = 530;
  s.fake.response = "530 " + std::string(250, 'x');  // 254 bytes and the NUL: fits exactly
  s.ftp.PutFile(u"a", u"b");
  s.fake.failNext("FtpPutFileA", inet::kErrorInternetExtendedError);
  s.fake.response += "y";  // 255 bytes: no room for the NUL
  s.ftp.PutFile(u"a", u"b");
  ASSERT_EQ(s.frr.events.size(), 2u);
  EXPECT_EQ(s.frr.events[0], (FrrEvent{530, u"530 " + std::u16string(250, u'x')}));
  EXPECT_EQ(s.frr.events[1], (FrrEvent{530, kFallbackText}));
}

TEST(McWinFTPReportError, ExtendedErrorWithoutResponseGivesTheReportedValueAndFallback) {
  FailingUpload s(inet::kErrorInternetExtendedError);
  s.ftp.PutFile(u"a", u"b");
  EXPECT_EQ(s.frr.events, (std::vector<FrrEvent>{{0, kFallbackText}}));
}

TEST(McWinFTPReportError, UnresolvedNameGivesTheFixedText) {
  FailingUpload s(inet::kErrorInternetNameNotResolved);
  s.ftp.PutFile(u"a", u"b");
  EXPECT_EQ(s.frr.events, (std::vector<FrrEvent>{{12007, kNotResolvedText}}));
}

TEST(McWinFTPReportError, CodeInTheSystemTableGivesItsMessage) {
  // The table's own text for "file not found", looked up here under the Japanese language id.
  char expected[256] = {};
  const uint32_t length =
      sysmsg::FormatMessageA(sysmsg::kFormatMessageFromSystem, nullptr, inet::kErrorFileNotFound,
                             0x0411, expected, sizeof expected, nullptr);
  ASSERT_GT(length, 0u) << "the system message table has no text for code 2";
  FailingUpload s(inet::kErrorFileNotFound);
  s.ftp.PutFile(u"missing", u"b");
  ASSERT_EQ(s.frr.events.size(), 1u);
  EXPECT_EQ(s.frr.events[0].ErrNumber, 2);
  EXPECT_EQ(s.frr.events[0].ErrString, codepage::FromAnsi(std::string_view(expected, length)));
  EXPECT_NE(s.frr.events[0].ErrString, kFallbackText);
}

TEST(McWinFTPReportError, CodeUnknownToTheSystemGivesTheFallbackText) {
  char probe[256];
  ASSERT_EQ(sysmsg::FormatMessageA(sysmsg::kFormatMessageFromSystem, nullptr, 987654, 0x0400, probe,
                                   sizeof probe, nullptr),
            0u);
  FailingUpload s(987654);
  s.ftp.PutFile(u"a", u"b");
  EXPECT_EQ(s.frr.events, (std::vector<FrrEvent>{{987654, kFallbackText}}));
}

TEST(McWinFTPReportError, NoMoreFilesFromAnyCallEndsTheSearchWithoutEvent) {
  FailingUpload s(inet::kErrorNoMoreFiles);
  EXPECT_EQ(s.ftp.PutFile(u"a", u"b"), 0);
  EXPECT_TRUE(s.frr.events.empty());
  EXPECT_EQ(s.ftp.FTPFrrCount(), 0);
  EXPECT_TRUE(s.ftp.RemoteFile().SearchEnd);
}

TEST(McWinFTPReportError, HandlerThatReplacesItselfFinishesWithItsOwnState) {
  FakeInternetApi fake;
  McWinFTP ftp(fake);
  std::vector<int32_t> first, second;
  std::vector<int32_t>* firstLog = &first;
  std::vector<int32_t>* secondLog = &second;
  ftp.OnFTPFrr([&ftp, firstLog, secondLog](int32_t n, const std::u16string&) {
    ftp.OnFTPFrr([secondLog](int32_t n, const std::u16string&) { secondLog->push_back(n); });
    firstLog->push_back(n);  // still this handler's capture, not the new one's
  });
  ftp.DeleteFile(u"x");
  ftp.DeleteFile(u"y");
  EXPECT_EQ(first, std::vector<int32_t>{6});
  EXPECT_EQ(second, std::vector<int32_t>{6});
}

TEST(McWinFTPReportError, HandlerThatRetriesTheListingKeepsTheRetriedSearch) {
  FakeInternetApi fake;
  fake.listing = {testsupport::MakeFindData("a.txt"), testsupport::MakeFindData("b.txt")};
  McWinFTP ftp(fake);
  ftp.OpenSession();
  int events = 0;
  ftp.OnFTPFrr([&](int32_t, const std::u16string&) {
    if (++events == 1) ftp.FindFile(u"*.*");
  });
  fake.failNext("FtpFindFirstFileA", inet::kErrorInternetConnectionAborted);
  ftp.FindFile(u"*.*");
  EXPECT_EQ(events, 1);
  EXPECT_FALSE(ftp.RemoteFile().SearchEnd);
  EXPECT_EQ(ftp.RemoteFile().FileName, u"a.txt");
  ftp.NextFile();
  EXPECT_EQ(ftp.RemoteFile().FileName, u"b.txt");
}

TEST(McWinFTPReportError, HandlerThatDiscardsTheRecordLeavesAFreshOne) {
  FakeInternetApi fake;
  McWinFTP ftp(fake);
  ftp.OnFTPFrr([&](int32_t, const std::u16string&) { ftp.SetRemoteFile(nullptr); });
  ftp.FindFile(u"*.*");  // not connected
  EXPECT_EQ(ftp.RemoteFile().FileName, u"");
  EXPECT_EQ(ftp.FTPFrrCount(), 1);
}

TEST(McWinFTPReportError, TextWithNulIsRefusedWithoutCallingTheInternetApi) {
  FakeInternetApi fake;
  McWinFTP ftp(fake);
  FrrRecorder frr(ftp);
  ftp.OpenSession();
  const std::u16string cut(u"keep\0.txt", 9);
  EXPECT_EQ(ftp.DeleteFile(cut), 0);
  EXPECT_EQ(ftp.PutFile(u"local", cut), 0);
  EXPECT_EQ(ftp.GetFile(cut, u"local", false), 0);
  EXPECT_EQ(ftp.RenameFile(u"a", cut), 0);
  ftp.SetCurDir(cut);
  ftp.FindFile(cut);
  EXPECT_TRUE(ftp.RemoteFile().SearchEnd);
  ftp.SetPassword(cut);
  ftp.OpenSession();
  EXPECT_EQ(ftp.hFTP(), 0u);
  EXPECT_EQ(fake.functions(), (std::vector<std::string>{"InternetOpenA", "InternetConnectA"}));
  ASSERT_EQ(frr.events.size(), 7u);
  for (const FrrEvent& e : frr.events) EXPECT_EQ(e.ErrNumber, 87);
}
