// McWinFTP seen through the recording fake of the internet API: the exact arguments each call
// receives, the number and text of each FTPFrr event, and the directory search.
#include <gtest/gtest.h>

#include "ftp/McWinFTP.h"
#include "tests/support/fake/FakeInternetApi.h"

using testsupport::InetCall;
using testsupport::MakeFindData;
using Texts = std::vector<std::optional<std::string>>;
using Values = std::vector<int64_t>;
using Handles = std::vector<inet::Handle>;

namespace {

// An FTPFrr event: ErrNumber, ErrString.
using FrrEvent = std::pair<int32_t, std::u16string>;

constexpr char16_t kFallbackText[] = u"エラーが発生しています。";

// A session connected with the settings a new object has. The fake fails a call given a handle
// of another kind, so each call's success shows that it got the right one.
class McWinFTPFake : public testing::Test {
 protected:
  void SetUp() override {
    ftp.OnFTPFrr([this](int32_t n, const std::u16string& text) { events.push_back({n, text}); });
    ftp.OpenSession();
  }
  // The last call of `function`; a failure and an empty record when there was none.
  const InetCall& last(const char* function) {
    static const InetCall kNone;
    const InetCall* call = fake.last(function);
    if (call == nullptr) ADD_FAILURE() << "no call of " << function;
    return call ? *call : kNone;
  }

  testsupport::FakeInternetApi fake;
  McWinFTP ftp{fake};
  std::vector<FrrEvent> events;  // every FTPFrr event, in order
};

TEST_F(McWinFTPFake, ConnectPassesAbsentSettingsAsNullPointersAndTheRestAsAnsiBytes) {
  EXPECT_EQ(last("InternetConnectA").texts, (Texts{std::nullopt, std::nullopt, std::nullopt}));
  EXPECT_EQ(last("InternetConnectA").values, (Values{21, inet::kServiceFtp, 0, 0}));
  EXPECT_EQ(ftp.hFTP(), fake.lastHandleGiven());
  ftp.SetRemoteHost(u"127.0.0.1:2121");
  ftp.SetUser(u"someone");
  ftp.SetUser(u"");  // the empty text makes the user absent again: anonymous login
  ftp.SetPassword(u"パス");
  ftp.SetRemotePort(-5);
  ftp.SetPassiveFlag(true);
  ftp.OpenSession();
  EXPECT_EQ(last("InternetConnectA").texts,
            (Texts{"127.0.0.1:2121", std::nullopt, "\x83\x70\x83\x58"}));
  EXPECT_EQ(last("InternetConnectA").values,
            (Values{-5, inet::kServiceFtp, inet::kFlagPassive, 0}));
  ftp.SetPassiveFlag(false);
  ftp.OpenSession();
  EXPECT_EQ(last("InternetConnectA").values, (Values{-5, inet::kServiceFtp, 0, 0}));
}

TEST_F(McWinFTPFake, EveryOperationWithoutAConnectionReportsOnceAndClosingReportsNothing) {
  ftp.CloseSession();
  EXPECT_EQ(ftp.CurDir(), u"");
  ftp.SetCurDir(u"/pub");
  EXPECT_EQ(ftp.PutFile(u"l", u"r") + ftp.GetFile(u"r", u"l", false) + ftp.RenameFile(u"a", u"b") +
                ftp.DeleteFile(u"a") + ftp.CreateDir(u"d") + ftp.RemoveDir(u"d"),
            0);
  ftp.NextFile();
  ftp.FindFile(u"*.*");
  EXPECT_TRUE(ftp.RemoteFile().SearchEnd);
  ftp.CloseSession();
  ASSERT_EQ(events.size(), 10u);
  for (const FrrEvent& e : events) EXPECT_EQ(e.first, 6);
}

TEST_F(McWinFTPFake, CurrentDirectoryIsReadWithinItsBufferAndSetWithoutOneLeadingSeparator) {
  fake.currentDirectory = "/\x93\xfa\x96\x7b/pub";  // "/日本/pub"
  EXPECT_EQ(ftp.CurDir(), u"/日本/pub");
  EXPECT_EQ(last("FtpGetCurrentDirectoryA").lengthIn, 260u);
  const std::pair<std::u16string, std::string> cases[] = {
      {u"/public_html", "public_html"}, {u"\\x", "x"}, {u"//x", "/x"}, {u"/", ""}};
  for (const auto& [given, sent] : cases) {
    ftp.SetCurDir(given);
    EXPECT_EQ(last("FtpSetCurrentDirectoryA").texts, Texts{sent});
  }
  EXPECT_TRUE(events.empty());
}

TEST_F(McWinFTPFake, TransfersAreAsciiOnlyForTransferOneAndDownloadsAlwaysReload) {
  constexpr int64_t kAscii = inet::kTransferTypeAscii, kBinary = inet::kTransferTypeBinary;
  for (const auto& [nTransfer, type] : {std::pair{1, kAscii}, {0, kBinary}, {2, kBinary}}) {
    SCOPED_TRACE(nTransfer);
    EXPECT_EQ(ftp.PutFile(u"/tmp/報告.txt", u"報告.txt", nTransfer), 1);
    EXPECT_EQ(last("FtpPutFileA").texts,
              (Texts{"/tmp/\x95\xf1\x8d\x90.txt", "\x95\xf1\x8d\x90.txt"}));
    EXPECT_EQ(last("FtpPutFileA").values, (Values{type, 0}));
    EXPECT_EQ(ftp.GetFile(u"表.csv", u"/tmp/表.csv", nTransfer == 1, nTransfer), 1);
    EXPECT_EQ(last("FtpGetFileA").texts, (Texts{"\x95\x5c.csv", "/tmp/\x95\x5c.csv"}));
    EXPECT_EQ(last("FtpGetFileA").values, (Values{nTransfer == 1, 0, inet::kFlagReload | type, 0}));
  }
  // Binary unless asked; empty names are sent as empty strings, not as null pointers.
  EXPECT_EQ(ftp.PutFile(u"", u""), 1);
  EXPECT_EQ(last("FtpPutFileA").texts, (Texts{"", ""}));
  EXPECT_EQ(last("FtpPutFileA").values, (Values{kBinary, 0}));
  EXPECT_EQ(ftp.GetFile(u"r", u"l", false), 1);
  EXPECT_EQ(last("FtpGetFileA").values, (Values{0, 0, inet::kFlagReload | kBinary, 0}));
}

TEST_F(McWinFTPFake, ExtendedErrorReportsTheServerResponseOrTheFallback) {
  const std::string fits = "530 " + std::string(250, 'x');  // 254 bytes and the NUL
  const std::pair<std::string, FrrEvent> cases[] = {
      // Cut at the first NUL, decoded from CP932.
      {std::string("550 \x94\x92: no such file.\r\n\0left over", 33),
       {550, u"550 白: no such file.\r\n"}},
      {fits, {530, u"530 " + std::u16string(250, u'x')}},
      {fits + "y", {530, kFallbackText}},  // no room for the NUL
      {"", {0, kFallbackText}}};           // no response: the number reported with it
  for (const auto& [response, expected] : cases) {
    events.clear();
    fake.responseError = static_cast<uint32_t>(expected.first);
    fake.response = response;
    fake.failNext("FtpPutFileA", inet::kErrorInternetExtendedError);
    EXPECT_EQ(ftp.PutFile(u"a", u"b"), 0);
    EXPECT_EQ(events, std::vector<FrrEvent>{expected});
    EXPECT_EQ(last("InternetGetLastResponseInfoA").lengthIn, 255u);
    EXPECT_EQ(last("InternetGetLastResponseInfoA").bufferIn, std::string(256, '\0'));
  }
}

TEST_F(McWinFTPFake, OtherCodesGiveTheirFixedOrSystemTextOrTheFallbackAndTheEndOfASearchNone) {
  const std::pair<uint32_t, std::u16string> cases[] = {
      // Not the system table's longer text.
      {inet::kErrorInternetNameNotResolved, u"サーバー名を解決できませんでした。"},
      {987654, kFallbackText}};
  for (const auto& [error, text] : cases) {
    events.clear();
    fake.failNext("FtpPutFileA", error);
    ftp.PutFile(u"a", u"b");
    EXPECT_EQ(events, (std::vector<FrrEvent>{{static_cast<int32_t>(error), text}}));
  }
  fake.failNext("FtpPutFileA", inet::kErrorFileNotFound);
  ftp.PutFile(u"a", u"b");
  EXPECT_NE(events.back().second.find(u"ファイル"), std::u16string::npos);  // the system's text
  EXPECT_EQ(fake.last("InternetGetLastResponseInfoA"), nullptr);
  fake.failNext("FtpPutFileA", inet::kErrorNoMoreFiles);
  EXPECT_EQ(ftp.PutFile(u"a", u"b"), 0);
  EXPECT_EQ(ftp.FTPFrrCount(), 3);
  EXPECT_TRUE(ftp.RemoteFile().SearchEnd);
}

TEST_F(McWinFTPFake, TextWithNulIsRefusedWithoutCallingTheInternetApi) {
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
  ASSERT_EQ(events.size(), 7u);
  for (const FrrEvent& e : events) EXPECT_EQ(e.first, 87);
}

TEST_F(McWinFTPFake, SearchDeliversEntriesInOrderKeepsTheLastAndANewOneClosesTheOld) {
  // 2004-03-05 07:08:09 UTC; 5 GiB keeps its high half; only the bare directory attribute
  // makes a directory, a read-only one (0x11) does not.
  const inet::FileTime march2004{2637714048u, 29622912u};
  fake.listing = {MakeFindData("\x93\xfa", inet::kFileAttributeDirectory, 0, 0, march2004),
                  MakeFindData("two", inet::kFileAttributeNormal, 1, 0x40000000),
                  MakeFindData("three", 0x11)};
  std::vector<std::u16string> names;
  ftp.FindFile(u"*.*");
  const inet::Handle search = fake.lastHandleGiven();
  EXPECT_EQ(last("FtpFindFirstFileA").texts, Texts{"*.*"});
  EXPECT_EQ(ftp.RemoteFile().FileType, 16);
  EXPECT_EQ(ftp.RemoteFile().FileDate, (DateTime{2004, 3, 5, 7, 8, 9}));
  for (; !ftp.RemoteFile().SearchEnd; ftp.NextFile()) {
    names.push_back(ftp.RemoteFile().FileName);
    if (names.size() == 2) {
      EXPECT_EQ(ftp.RemoteFile().FileSize, 5368709120.0);
    }
  }
  EXPECT_EQ(names, (std::vector<std::u16string>{u"日", u"two", u"three"}));
  EXPECT_EQ(ftp.RemoteFile().FileName, u"three");
  EXPECT_EQ(ftp.RemoteFile().FileType, 0);
  EXPECT_TRUE(events.empty());
  ftp.FindFile(u"*.txt");
  EXPECT_EQ(fake.closedHandles(), Handles{search});
  EXPECT_EQ(ftp.RemoteFile().FileName, u"日");
}

TEST_F(McWinFTPFake, FailedSearchStartEndsTheSearchAndAFailedNextKeepsTheEntry) {
  fake.listing = {MakeFindData("first"), MakeFindData("second")};
  fake.failNext("FtpFindFirstFileA", inet::kErrorInternetConnectionAborted);
  ftp.FindFile(u"*.*");
  EXPECT_TRUE(ftp.RemoteFile().SearchEnd);
  EXPECT_EQ(ftp.RemoteFile().FileName, u"");
  ftp.FindFile(u"*.*");
  fake.failNext("InternetFindNextFileA", inet::kErrorFtpDropped);
  ftp.NextFile();
  EXPECT_FALSE(ftp.RemoteFile().SearchEnd);
  EXPECT_EQ(ftp.RemoteFile().FileName, u"first");
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].first, 12030);
  EXPECT_EQ(events[1].first, 12111);
}

}  // namespace
