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

TEST(McWinFTPReportError, ExtendedErrorReportsTheServerResponseOrTheFallback) {
  struct Case {
    uint32_t responseError;
    std::string response;
    FrrEvent expected;
  };
  const std::string fits = "530 " + std::string(250, 'x');  // 254 bytes and the NUL
  const Case cases[] = {
      // Cut at the first NUL, decoded from CP932.
      {550,
       std::string("550 \x94\x92: no such file.\r\n\0left over", 33),
       {550, u"550 白: no such file.\r\n"}},
      {530, fits, {530, u"530 " + std::u16string(250, u'x')}},
      {530, fits + "y", {530, kFallbackText}},  // no room for the NUL
      {0, "", {0, kFallbackText}},              // no response: the reported value
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.response.size());
    FailingUpload s(inet::kErrorInternetExtendedError);
    s.fake.responseError = c.responseError;
    s.fake.response = c.response;
    EXPECT_EQ(s.ftp.PutFile(u"a", u"b"), 0);
    EXPECT_EQ(s.frr.events, std::vector<FrrEvent>{c.expected});
    const testsupport::InetCall* info = s.fake.last("InternetGetLastResponseInfoA");
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->errorIn, 12003u);  // the number itself is the error variable
    EXPECT_EQ(info->lengthIn, 255u);
    EXPECT_EQ(info->bufferIn, std::string(256, '\0'));
  }
}

TEST(McWinFTPReportError, OtherCodesGiveTheirFixedOrSystemTextOrTheFallback) {
  // The table's own text for "file not found", looked up here under the Japanese language id.
  char notFound[256] = {};
  const uint32_t length =
      sysmsg::FormatMessageA(sysmsg::kFormatMessageFromSystem, nullptr, inet::kErrorFileNotFound,
                             0x0411, notFound, sizeof notFound, nullptr);
  ASSERT_GT(length, 0u) << "the system message table has no text for code 2";
  char probe[256];
  ASSERT_EQ(sysmsg::FormatMessageA(sysmsg::kFormatMessageFromSystem, nullptr, 987654, 0x0400, probe,
                                   sizeof probe, nullptr),
            0u);
  const std::pair<uint32_t, std::u16string> cases[] = {
      {inet::kErrorFileNotFound, codepage::FromAnsi(std::string_view(notFound, length))},
      {inet::kErrorInternetNameNotResolved, kNotResolvedText},  // not the table's longer text
      {987654, kFallbackText}};
  for (const auto& [error, text] : cases) {
    FailingUpload s(error);
    s.ftp.PutFile(u"a", u"b");
    EXPECT_EQ(s.frr.events, (std::vector<FrrEvent>{{static_cast<int32_t>(error), text}}));
    EXPECT_EQ(s.fake.last("InternetGetLastResponseInfoA"), nullptr);
  }
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

TEST(McWinFTPReportError, HandlerThatRetriesOrDiscardsTheSearchKeepsWhatItLeft) {
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
  EXPECT_FALSE(ftp.RemoteFile().SearchEnd);  // the retried search is not marked ended
  ftp.NextFile();
  EXPECT_EQ(ftp.RemoteFile().FileName, u"b.txt");
  ftp.OnFTPFrr([&](int32_t, const std::u16string&) { ftp.SetRemoteFile(nullptr); });
  fake.failNext("FtpFindFirstFileA", inet::kErrorInternetConnectionAborted);
  ftp.FindFile(u"*.*");
  EXPECT_EQ(ftp.RemoteFile().FileName, u"");
  EXPECT_EQ(ftp.FTPFrrCount(), 2);
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
