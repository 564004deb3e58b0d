// Construction, settings, connection, current directory and upload of McWinFTP, seen through
// the recording fake of the internet API.
#include <gtest/gtest.h>

#include "ftp/McWinFTP.h"
#include "tests/ftp/FrrRecorder.h"
#include "tests/support/fake/FakeInternetApi.h"

using testsupport::FakeInternetApi;
using testsupport::InetCall;
using Texts = std::vector<std::optional<std::string>>;
using Values = std::vector<int64_t>;

TEST(McWinFTP, FreshObjectOpensRootHandleAndHasDefaultSettings) {
  FakeInternetApi fake;
  McWinFTP ftp(fake);
  ASSERT_EQ(fake.functions(), std::vector<std::string>{"InternetOpenA"});
  EXPECT_EQ(fake.calls[0].texts, (Texts{std::nullopt, std::nullopt, std::nullopt}));
  EXPECT_EQ(fake.calls[0].values, (Values{0, 0}));
  EXPECT_EQ(ftp.hInternet(), fake.lastHandleGiven());
  EXPECT_EQ(ftp.hFTP(), 0u);
  EXPECT_EQ(ftp.RemotePort(), 21);
  EXPECT_FALSE(ftp.PassiveFlag());
  EXPECT_EQ(ftp.RemoteHost(), u"");
  EXPECT_EQ(ftp.User(), u"");
  EXPECT_EQ(ftp.Password(), u"");
  EXPECT_EQ(ftp.ClassName(), u"McWinFTP Class Module");
  EXPECT_EQ(ftp.Version(), u"0.9 b");
  EXPECT_EQ(ftp.FTPFrrCount(), 0);
}

TEST(McWinFTP, ConnectPassesAbsentSettingsAsNullPointers) {
  FakeInternetApi fake;
  McWinFTP ftp(fake);
  ftp.SetUser(u"someone");
  ftp.SetUser(u"");  // the empty text makes the user absent again: anonymous login
  ftp.OpenSession();
  const InetCall* connect = fake.last("InternetConnectA");
  ASSERT_NE(connect, nullptr);
  EXPECT_EQ(connect->handles, std::vector<inet::Handle>{ftp.hInternet()});
  EXPECT_EQ(connect->texts, (Texts{std::nullopt, std::nullopt, std::nullopt}));
  EXPECT_EQ(connect->values, (Values{21, inet::kServiceFtp, 0, 0}));
  EXPECT_EQ(ftp.hFTP(), fake.lastHandleGiven());
  EXPECT_NE(ftp.hFTP(), 0u);
}

TEST(McWinFTP, ConnectPassesSettingsAsAnsiBytesWithPortAndPassiveFlag) {
  FakeInternetApi fake;
  McWinFTP ftp(fake);
  ftp.SetRemoteHost(u"127.0.0.1:2121");
  ftp.SetUser(u" tester ");
  ftp.SetPassword(u"パス");
  ftp.SetRemotePort(-5);
  ftp.SetPassiveFlag(true);
  EXPECT_TRUE(ftp.PassiveFlag());
  EXPECT_EQ(ftp.User(), u" tester ");
  ftp.OpenSession();
  const InetCall* connect = fake.last("InternetConnectA");
  ASSERT_NE(connect, nullptr);
  EXPECT_EQ(connect->texts, (Texts{"127.0.0.1:2121", " tester ", "\x83\x70\x83\x58"}));
  EXPECT_EQ(connect->values, (Values{-5, inet::kServiceFtp, inet::kFlagPassive, 0}));

  ftp.SetPassiveFlag(false);
  EXPECT_FALSE(ftp.PassiveFlag());
  ftp.OpenSession();
  EXPECT_EQ(fake.last("InternetConnectA")->values, (Values{-5, inet::kServiceFtp, 0, 0}));
}

TEST(McWinFTP, SecondOpenSessionReplacesTheHandleWithoutClosingTheFirst) {
  FakeInternetApi fake;
  McWinFTP ftp(fake);
  ftp.OpenSession();
  const inet::Handle first = ftp.hFTP();
  ftp.OpenSession();
  EXPECT_NE(ftp.hFTP(), first);
  EXPECT_EQ(fake.closedHandles(), std::vector<inet::Handle>{});
}

TEST(McWinFTP, FailedConnectReportsOnceAndLeavesNoConnection) {
  FakeInternetApi fake;
  McWinFTP ftp(fake);
  FrrRecorder frr(ftp);
  fake.failNext("InternetConnectA", inet::kErrorInternetNameNotResolved);
  ftp.OpenSession();
  EXPECT_EQ(ftp.hFTP(), 0u);
  EXPECT_EQ(frr.events, (std::vector<FrrEvent>{{12007, kNotResolvedText}}));
  EXPECT_EQ(fake.last("InternetGetLastResponseInfoA"), nullptr);
}

TEST(McWinFTP, CloseSessionWithoutConnectionDoesNothing) {
  FakeInternetApi fake;
  McWinFTP ftp(fake);
  FrrRecorder frr(ftp);
  ftp.CloseSession();
  EXPECT_EQ(fake.functions(), std::vector<std::string>{"InternetOpenA"});
  EXPECT_TRUE(frr.events.empty());
}

TEST(McWinFTP, FailedCloseKeepsTheConnectionHandleForAnotherTry) {
  FakeInternetApi fake;
  McWinFTP ftp(fake);
  FrrRecorder frr(ftp);
  ftp.OpenSession();
  const inet::Handle connection = ftp.hFTP();
  fake.failNext("InternetCloseHandle", inet::kErrorInternetConnectionAborted);
  ftp.CloseSession();
  EXPECT_EQ(ftp.hFTP(), connection);
  EXPECT_EQ(frr.events.size(), 1u);
  ftp.CloseSession();
  EXPECT_EQ(ftp.hFTP(), 0u);
  EXPECT_EQ(fake.closedHandles(), (std::vector<inet::Handle>{connection, connection}));
  EXPECT_EQ(frr.events.size(), 1u);
}

TEST(McWinFTP, DestructionClosesSearchThenConnectionThenRoot) {
  FakeInternetApi fake;
  fake.listing = {testsupport::MakeFindData("a.txt")};
  inet::Handle root = 0, connection = 0, search = 0;
  {
    McWinFTP ftp(fake);
    root = ftp.hInternet();
    ftp.OpenSession();
    connection = ftp.hFTP();
    ftp.FindFile(u"*.*");
    search = fake.lastHandleGiven();
  }
  EXPECT_EQ(fake.closedHandles(), (std::vector<inet::Handle>{search, connection, root}));
}

TEST(McWinFTP, FailedRootOpenLeavesAUsableObjectThatReportsLater) {
  FakeInternetApi fake;
  fake.failNext("InternetOpenA", inet::kErrorInternetCannotConnect);
  std::vector<FrrEvent> atDestruction;
  {
    McWinFTP ftp(fake);
    EXPECT_EQ(ftp.hInternet(), 0u);
    EXPECT_EQ(ftp.RemotePort(), 21);
    EXPECT_EQ(ftp.FTPFrrCount(), 1);  // raised to nobody
    FrrRecorder frr(ftp);
    ftp.OpenSession();
    EXPECT_EQ(fake.last("InternetConnectA")->handles, std::vector<inet::Handle>{0});
    EXPECT_EQ(frr.events.size(), 1u);
    ftp.OnFTPFrr([&](int32_t n, const std::u16string& s) { atDestruction.push_back({n, s}); });
  }
  // The root handle 0 is closed all the same, and the refusal reported.
  EXPECT_EQ(fake.closedHandles(), std::vector<inet::Handle>{0});
  ASSERT_EQ(atDestruction.size(), 1u);
  EXPECT_EQ(atDestruction[0].ErrNumber, static_cast<int32_t>(inet::kErrorInvalidHandle));
}

TEST(McWinFTP, CurDirOffersAZeroFilledBufferAndDecodesTheDirectory) {
  FakeInternetApi fake;
  McWinFTP ftp(fake);
  ftp.OpenSession();
  fake.currentDirectory = "/\x93\xfa\x96\x7b/pub";  // "/日本/pub"
  EXPECT_EQ(ftp.CurDir(), u"/日本/pub");
  const InetCall* get = fake.last("FtpGetCurrentDirectoryA");
  ASSERT_NE(get, nullptr);
  EXPECT_EQ(get->handles, std::vector<inet::Handle>{ftp.hFTP()});
  EXPECT_EQ(get->lengthIn, 260u);
  EXPECT_EQ(get->bufferIn, std::string(261, '\0'));
}

TEST(McWinFTP, CurDirFilledToTheOfferedLengthWithoutNulReadsNoFurther) {
  FakeInternetApi fake;
  McWinFTP ftp(fake);
  ftp.OpenSession();
  fake.currentDirectory = "/" + std::string(259, 'd');
  fake.terminateCurrentDirectory = false;
  EXPECT_EQ(ftp.CurDir(), u"/" + std::u16string(259, u'd'));
}

TEST(McWinFTP, CurDirFailureReportsAndGivesTheEmptyText) {
  FakeInternetApi fake;
  McWinFTP ftp(fake);
  FrrRecorder frr(ftp);
  EXPECT_EQ(ftp.CurDir(), u"");  // not connected
  ftp.OpenSession();
  fake.currentDirectory = "/" + std::string(260, 'd');  // does not fit
  EXPECT_EQ(ftp.CurDir(), u"");
  ASSERT_EQ(frr.events.size(), 2u);
  EXPECT_EQ(frr.events[0].ErrNumber, static_cast<int32_t>(inet::kErrorInvalidHandle));
  EXPECT_EQ(frr.events[1].ErrNumber, static_cast<int32_t>(inet::kErrorInsufficientBuffer));
}

TEST(McWinFTP, SettingCurDirDropsOneLeadingSeparatorOnly) {
  FakeInternetApi fake;
  McWinFTP ftp(fake);
  FrrRecorder frr(ftp);
  ftp.OpenSession();
  const std::vector<std::pair<std::u16string, std::string>> cases = {
      {u"/public_html", "public_html"},
      {u"\\x", "x"},
      {u"//x", "/x"},
      {u"/", ""},
      {u"a/b\\c", "a/b\\c"},
      {u"../", "../"},
      {u"", ""},
      {u"日本", "\x93\xfa\x96\x7b"}};
  for (const auto& [given, sent] : cases) {
    ftp.SetCurDir(given);
    const InetCall* set = fake.last("FtpSetCurrentDirectoryA");
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(set->texts, Texts{sent}) << testing::PrintToString(given);
    EXPECT_EQ(set->handles, std::vector<inet::Handle>{ftp.hFTP()});
  }
  EXPECT_TRUE(frr.events.empty());
  fake.failNext("FtpSetCurrentDirectoryA", inet::kErrorInternetConnectionAborted);
  ftp.SetCurDir(u"gone");
  EXPECT_EQ(frr.events.size(), 1u);
}

TEST(McWinFTP, PutFileSendsAsciiOnlyForTransferOne) {
  FakeInternetApi fake;
  McWinFTP ftp(fake);
  ftp.OpenSession();
  const std::vector<std::pair<int32_t, int64_t>> cases = {{1, inet::kTransferTypeAscii},
                                                          {0, inet::kTransferTypeBinary},
                                                          {2, inet::kTransferTypeBinary},
                                                          {3, inet::kTransferTypeBinary},
                                                          {-1, inet::kTransferTypeBinary}};
  for (const auto& [nTransfer, flags] : cases) {
    EXPECT_EQ(ftp.PutFile(u"/tmp/報告.txt", u"報告.txt", nTransfer), 1);
    const InetCall* put = fake.last("FtpPutFileA");
    ASSERT_NE(put, nullptr);
    EXPECT_EQ(put->handles, std::vector<inet::Handle>{ftp.hFTP()});
    EXPECT_EQ(put->texts, (Texts{"/tmp/\x95\xf1\x8d\x90.txt", "\x95\xf1\x8d\x90.txt"}));
    EXPECT_EQ(put->values, (Values{flags, 0})) << nTransfer;
  }
  EXPECT_EQ(ftp.PutFile(u"local", u"remote"), 1);
  EXPECT_EQ(fake.last("FtpPutFileA")->values, (Values{inet::kTransferTypeBinary, 0}));
}

TEST(McWinFTP, PutFileBeforeOpenSessionReturnsZeroWithOneEvent) {
  FakeInternetApi fake;
  McWinFTP ftp(fake);
  FrrRecorder frr(ftp);
  EXPECT_EQ(ftp.PutFile(u"local", u"remote"), 0);
  EXPECT_EQ(fake.last("FtpPutFileA")->handles, std::vector<inet::Handle>{0});
  EXPECT_EQ(frr.events.size(), 1u);
  EXPECT_EQ(ftp.FTPFrrCount(), 1);
}
