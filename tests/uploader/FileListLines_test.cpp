// The list lines built from real listings (pyftpdlib on loopback) and from a listing that
// fails part-way (the recording fake, which can fail one NextFile call).
#include "uploader/FileListLines.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "tests/support/common/FtpServers.h"
#include "tests/support/fake/FakeInternetApi.h"
#include "tests/uploader/UploaderTestSupport.h"

namespace {

using uploadertest::U16;

void setTime(const std::string& path, time_t when) {
  const timespec times[2] = {{when, 0}, {when, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

// Sorted after the parent line: the server's own order is not fixed.
std::vector<std::u16string> sortedAfterFirst(std::vector<std::u16string> lines) {
  if (!lines.empty()) std::sort(lines.begin() + 1, lines.end());
  return lines;
}

struct Events {
  explicit Events(McWinFTP& ftp) {
    ftp.OnFTPFrr([this](int32_t n, const std::u16string& text) { texts.push_back(text); });
  }
  std::vector<std::u16string> texts;
};

TEST(FileListLines, RealListingAtTheRootAndBelowIt) {
  auto server = testsupport::StartPyftpdlib();
  ASSERT_NE(server, nullptr) << testsupport::LastStartFailure();
  namespace fs = std::filesystem;
  const std::string root = server->root();
  fs::create_directories(root + "/my dir/inner");
  testsupport::WriteFile(root + "/empty.txt", "");
  testsupport::WriteFile(root + "/big.bin", "");
  ASSERT_EQ(::truncate((root + "/big.bin").c_str(), 1234567), 0);
  testsupport::WriteFile(root + "/my dir/name with space.txt", "abc");
  const time_t march7 = 1078650300;  // 2004-03-07 09:05:00 UTC; the server lists UTC
  for (const char* p :
       {"/my dir", "/empty.txt", "/big.bin", "/my dir/inner", "/my dir/name with space.txt"}) {
    setTime(root + p, march7);
  }

  McWinFTP ftp;
  Events events(ftp);
  ftp.SetRemoteHost(U16(server->address()));
  ftp.SetUser(U16(server->user()));
  ftp.SetPassword(U16(server->password()));
  ftp.SetPassiveFlag(true);
  ftp.OpenSession();
  ASSERT_NE(ftp.hFTP(), 0u);

  EXPECT_EQ(sortedAfterFirst(FileListLines(ftp)),
            (std::vector<std::u16string>{u". ", u"D my dir\t \t2004/03/07 09:05",
                                         u"F big.bin\t1,234,567\t2004/03/07 09:05",
                                         u"F empty.txt\t0\t2004/03/07 09:05"}));
  ftp.SetCurDir(u"my dir");
  EXPECT_EQ(sortedAfterFirst(FileListLines(ftp)),
            (std::vector<std::u16string>{u"..", u"D inner\t \t2004/03/07 09:05",
                                         u"F name with space.txt\t3\t2004/03/07 09:05"}));
  ftp.SetCurDir(u"inner");
  EXPECT_EQ(FileListLines(ftp), std::vector<std::u16string>{u".."});  // empty: no event
  EXPECT_TRUE(events.texts.empty());
}

TEST(FileListLines, NextFileFailureEndsTheListAtOnce) {
  testsupport::FakeInternetApi fake;
  fake.listing = {testsupport::MakeFindData("one"), testsupport::MakeFindData("two"),
                  testsupport::MakeFindData("three")};
  McWinFTP ftp(fake);
  Events events(ftp);
  ftp.OpenSession();
  fake.currentDirectory = "/pub";
  fake.failNext("InternetFindNextFileA", inet::kErrorInternetConnectionAborted);

  const std::vector<std::u16string> lines = FileListLines(ftp);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], u"..");
  EXPECT_EQ(lines[1].substr(0, 6), u"F one\t");
  EXPECT_EQ(events.texts.size(), 1u);
  const std::vector<std::string> calls = fake.functions();
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "InternetFindNextFileA"), 1);
}

TEST(FileListLines, FailedReadsLeaveTheParentLineAlone) {
  testsupport::FakeInternetApi fake;
  fake.listing = {testsupport::MakeFindData("one")};
  McWinFTP ftp(fake);
  Events events(ftp);
  ftp.OpenSession();
  fake.failNext("FtpGetCurrentDirectoryA", inet::kErrorInternetConnectionAborted);
  fake.failNext("FtpFindFirstFileA", inet::kErrorInternetConnectionAborted);
  EXPECT_EQ(FileListLines(ftp), std::vector<std::u16string>{u".."});
  EXPECT_EQ(events.texts.size(), 2u);
}

}  // namespace
