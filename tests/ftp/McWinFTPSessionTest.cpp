// Construction, connection, current directory and transfers of McWinFTP, seen through the
// recording fake of the internet API: the exact arguments each call receives.
#include <gtest/gtest.h>

#include <functional>

#include "ftp/McWinFTP.h"
#include "tests/ftp/FrrRecorder.h"
#include "tests/support/fake/FakeInternetApi.h"

using testsupport::FakeInternetApi;
using testsupport::InetCall;
using Texts = std::vector<std::optional<std::string>>;
using Values = std::vector<int64_t>;
using Handles = std::vector<inet::Handle>;

TEST(McWinFTP, ConnectPassesAbsentSettingsAsNullPointersAndTheRestAsAnsiBytes) {
  FakeInternetApi fake;
  McWinFTP ftp(fake);
  ASSERT_EQ(fake.functions(), std::vector<std::string>{"InternetOpenA"});
  EXPECT_EQ(fake.calls[0].texts, (Texts{std::nullopt, std::nullopt, std::nullopt}));
  EXPECT_EQ(fake.calls[0].values, (Values{inet::kOpenTypePreconfig, 0}));
  EXPECT_EQ(ftp.hInternet(), fake.lastHandleGiven());
  ftp.SetUser(u"someone");
  ftp.SetUser(u"");  // the empty text makes the user absent again: anonymous login
  ftp.OpenSession();
  const InetCall* connect = fake.last("InternetConnectA");
  ASSERT_NE(connect, nullptr);
  EXPECT_EQ(connect->handles, Handles{ftp.hInternet()});
  EXPECT_EQ(connect->texts, (Texts{std::nullopt, std::nullopt, std::nullopt}));
  EXPECT_EQ(connect->values, (Values{21, inet::kServiceFtp, 0, 0}));  // port 21, active mode
  EXPECT_EQ(ftp.hFTP(), fake.lastHandleGiven());

  ftp.SetRemoteHost(u"127.0.0.1:2121");
  ftp.SetUser(u" tester ");
  ftp.SetPassword(u"パス");
  ftp.SetRemotePort(-5);
  ftp.SetPassiveFlag(true);
  ftp.OpenSession();
  connect = fake.last("InternetConnectA");
  EXPECT_EQ(connect->texts, (Texts{"127.0.0.1:2121", " tester ", "\x83\x70\x83\x58"}));
  EXPECT_EQ(connect->values, (Values{-5, inet::kServiceFtp, inet::kFlagPassive, 0}));
  ftp.SetPassiveFlag(false);
  ftp.OpenSession();
  EXPECT_EQ(fake.last("InternetConnectA")->values, (Values{-5, inet::kServiceFtp, 0, 0}));
}

TEST(McWinFTP, EveryOperationWithoutAConnectionReportsOnceAndClosingReportsNothing) {
  FakeInternetApi fake;
  McWinFTP ftp(fake);
  FrrRecorder frr(ftp);
  const std::function<void()> operations[] = {[&] { EXPECT_EQ(ftp.CurDir(), u""); },
                                              [&] { ftp.SetCurDir(u"/pub"); },
                                              [&] { EXPECT_EQ(ftp.PutFile(u"l", u"r"), 0); },
                                              [&] { EXPECT_EQ(ftp.GetFile(u"r", u"l", false), 0); },
                                              [&] { EXPECT_EQ(ftp.RenameFile(u"a", u"b"), 0); },
                                              [&] { EXPECT_EQ(ftp.DeleteFile(u"a"), 0); },
                                              [&] { EXPECT_EQ(ftp.CreateDir(u"d"), 0); },
                                              [&] { EXPECT_EQ(ftp.RemoveDir(u"d"), 0); },
                                              [&] { ftp.NextFile(); },
                                              [&] { ftp.FindFile(u"*.*"); }};
  for (size_t i = 0; i < std::size(operations); ++i) {
    operations[i]();
    EXPECT_EQ(frr.events.size(), i + 1) << "operation " << i;
  }
  EXPECT_TRUE(ftp.RemoteFile().SearchEnd);
  ftp.CloseSession();
  EXPECT_EQ(frr.events.size(), std::size(operations));
  for (const FrrEvent& e : frr.events) EXPECT_EQ(e.ErrNumber, 6);
}

TEST(McWinFTP, FailedRootOpenLeavesAUsableObjectThatClosesHandleZeroAtTheEnd) {
  FakeInternetApi fake;
  fake.failNext("InternetOpenA", inet::kErrorInternetCannotConnect);
  std::vector<FrrEvent> atDestruction;
  {
    McWinFTP ftp(fake);
    EXPECT_EQ(ftp.hInternet(), 0u);
    EXPECT_EQ(ftp.FTPFrrCount(), 1);  // raised to nobody
    ftp.OpenSession();
    EXPECT_EQ(fake.last("InternetConnectA")->handles, Handles{0});
    ftp.OnFTPFrr([&](int32_t n, const std::u16string& s) { atDestruction.push_back({n, s}); });
  }
  EXPECT_EQ(fake.closedHandles(), Handles{0});
  ASSERT_EQ(atDestruction.size(), 1u);
  EXPECT_EQ(atDestruction[0].ErrNumber, static_cast<int32_t>(inet::kErrorInvalidHandle));
}

TEST(McWinFTP, CurDirOffersAZeroFilledBufferAndReadsNoFurtherThanIt) {
  FakeInternetApi fake;
  McWinFTP ftp(fake);
  FrrRecorder frr(ftp);
  ftp.OpenSession();
  fake.currentDirectory = "/\x93\xfa\x96\x7b/pub";  // "/日本/pub"
  EXPECT_EQ(ftp.CurDir(), u"/日本/pub");
  const InetCall* get = fake.last("FtpGetCurrentDirectoryA");
  EXPECT_EQ(get->handles, Handles{ftp.hFTP()});
  EXPECT_EQ(get->lengthIn, 260u);
  EXPECT_EQ(get->bufferIn, std::string(261, '\0'));
  // Filled to the offered length without a NUL.
  fake.currentDirectory = "/" + std::string(259, 'd');
  fake.terminateCurrentDirectory = false;
  EXPECT_EQ(ftp.CurDir(), u"/" + std::u16string(259, u'd'));
  EXPECT_TRUE(frr.events.empty());
  fake.currentDirectory += "d";  // does not fit
  EXPECT_EQ(ftp.CurDir(), u"");
  ASSERT_EQ(frr.events.size(), 1u);
  EXPECT_EQ(frr.events[0].ErrNumber, static_cast<int32_t>(inet::kErrorInsufficientBuffer));
}

TEST(McWinFTP, SettingCurDirDropsOneLeadingSeparatorOnly) {
  FakeInternetApi fake;
  McWinFTP ftp(fake);
  FrrRecorder frr(ftp);
  ftp.OpenSession();
  const std::pair<std::u16string, std::string> cases[] = {
      {u"/public_html", "public_html"}, {u"\\x", "x"}, {u"//x", "/x"}, {u"/", ""}, {u"../", "../"},
      {u"日本", "\x93\xfa\x96\x7b"}};
  for (const auto& [given, sent] : cases) {
    ftp.SetCurDir(given);
    EXPECT_EQ(fake.last("FtpSetCurrentDirectoryA")->texts, Texts{sent});
  }
  EXPECT_EQ(fake.last("FtpSetCurrentDirectoryA")->handles, Handles{ftp.hFTP()});
  EXPECT_TRUE(frr.events.empty());
  fake.failNext("FtpSetCurrentDirectoryA", inet::kErrorInternetConnectionAborted);
  ftp.SetCurDir(u"gone");
  EXPECT_EQ(frr.events.size(), 1u);
}

TEST(McWinFTP, TransfersAreAsciiOnlyForTransferOneAndDownloadsAlwaysReload) {
  FakeInternetApi fake;
  McWinFTP ftp(fake);
  ftp.OpenSession();
  constexpr int64_t kAscii = inet::kTransferTypeAscii, kBinary = inet::kTransferTypeBinary;
  constexpr int64_t kReload = inet::kFlagReload;
  for (const auto& [nTransfer, type] : {std::pair{1, kAscii}, {0, kBinary}, {2, kBinary}}) {
    SCOPED_TRACE(nTransfer);
    EXPECT_EQ(ftp.PutFile(u"/tmp/報告.txt", u"報告.txt", nTransfer), 1);
    const InetCall* put = fake.last("FtpPutFileA");
    EXPECT_EQ(put->handles, Handles{ftp.hFTP()});
    EXPECT_EQ(put->texts, (Texts{"/tmp/\x95\xf1\x8d\x90.txt", "\x95\xf1\x8d\x90.txt"}));
    EXPECT_EQ(put->values, (Values{type, 0}));
    EXPECT_EQ(ftp.GetFile(u"表.csv", u"/tmp/表.csv", nTransfer == 1, nTransfer), 1);
    const InetCall* get = fake.last("FtpGetFileA");
    EXPECT_EQ(get->handles, Handles{ftp.hFTP()});
    EXPECT_EQ(get->texts, (Texts{"\x95\x5c.csv", "/tmp/\x95\x5c.csv"}));  // remote first
    EXPECT_EQ(get->values, (Values{nTransfer == 1, 0, kReload | type, 0}));
  }
  // Binary unless asked; empty names are sent as empty strings, not as null pointers.
  EXPECT_EQ(ftp.PutFile(u"", u""), 1);
  EXPECT_EQ(fake.last("FtpPutFileA")->texts, (Texts{"", ""}));
  EXPECT_EQ(fake.last("FtpPutFileA")->values, (Values{kBinary, 0}));
  EXPECT_EQ(ftp.GetFile(u"r", u"l", false), 1);
  EXPECT_EQ(fake.last("FtpGetFileA")->values, (Values{0, 0, kReload | kBinary, 0}));
}
