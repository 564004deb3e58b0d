// The one-shot upload at start-up without a window: a settings file and a local file in a
// temporary folder, the recording fake of the internet API (to see what is sent in which order),
// scripted boxes, the fixed clock.
#include "uploader/StartUp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/files/Files.h"
#include "tests/support/common/TempDir.h"
#include "tests/support/fake/FakeInternetApi.h"
#include "tests/uploader/UploaderTestSupport.h"

namespace uploadertest {
namespace {

using dialogs::Icon;
using Texts = std::vector<std::optional<std::string>>;

constexpr char16_t kNotConnected[] = u"接続できませんでした";

class StartUp : public testing::Test {
 protected:
  StartUp() {
    testsupport::WriteFile(folder.file("report.bin"), std::string("payload\0\r\n\xff", 12));
    fake.listing = {testsupport::MakeFindData("old.bin")};
    fake.currentDirectory = "/upload";
    fake.fileSize = 12;  // as stored: the local file's size
  }

  // Writes the settings (password "p w") and runs the start-up.
  ExitStatus run() {
    WriteSettingsFile(folder.path(), settings, u"p w");
    return RunStartUp(controls, *clsFtp, boxes,
                      {U16(folder.path()), FixedClock,
                       [this](const StoredUpload& upload) { stored.push_back(upload); }});
  }
  std::vector<std::u16string> shown() const {
    std::vector<std::u16string> texts;
    for (const dialogs::AskedBox& box : boxes.asked()) texts.push_back(box.text);
    return texts;
  }
  long calls(const std::string& function) const {
    const std::vector<std::string> names = fake.functions();
    return std::count(names.begin(), names.end(), function);
  }
  std::u16string completion() const {
    return u"Quillpost ver1.0\r\n\r\n" + settings.LocalFilePath +
           u" は\r\n2026/12/07 9:05:03\r\nftp://ftp.example.jp:2121\r\nに送信されました";
  }

  testsupport::TempDir folder;  // the settings file and the local file
  SettingsRecord settings{u"ftp.example.jp:2121",         u"ユーザー",  u"", u"/upload",
                          U16(folder.file("report.bin")), u"result.bin"};
  testsupport::FakeInternetApi fake;
  dialogs::ScriptedDialogs boxes;
  PlainControls controls;
  std::unique_ptr<McWinFTP> clsFtp = MakeSession(boxes, &fake);
  std::vector<StoredUpload> stored;
};

// The calls in their order: moving the directory change before the first listing, or the
// upload before the second, would be caught here.
TEST_F(StartUp, ConnectsListsChangesDirectoryListsUploadsUnderATemporaryNameAndRenames) {
  ASSERT_EQ(run(), ExitStatus::Done);
  EXPECT_EQ(controls.server + u"|" + controls.user + u"|" + controls.pass,
            u"ftp.example.jp:2121|ユーザー|p w");
  EXPECT_EQ(fake.functions(),
            (std::vector<std::string>{
                "InternetOpenA", "InternetConnectA",
                // the login directory's list
                "FtpGetCurrentDirectoryA", "FtpFindFirstFileA", "InternetFindNextFileA",
                "FtpSetCurrentDirectoryA",
                // the remote directory's list
                "FtpGetCurrentDirectoryA", "InternetCloseHandle", "FtpFindFirstFileA",
                "InternetFindNextFileA",
                // the upload: stored under the temporary name, its size, renamed into place
                "FtpPutFileA", "FtpGetFileSizeA", "FtpRenameFileA",
                // the stored record's folder, then the list again
                "FtpGetCurrentDirectoryA", "FtpGetCurrentDirectoryA", "InternetCloseHandle",
                "FtpFindFirstFileA", "InternetFindNextFileA"}));
  const testsupport::InetCall* connect = fake.last("InternetConnectA");
  EXPECT_EQ(connect->texts,
            (Texts{"ftp.example.jp:2121", "\x83\x86\x81\x5B\x83\x55\x81\x5B", "p w"}));
  EXPECT_EQ(connect->values.at(2), inet::kFlagPassive);
  EXPECT_EQ(fake.last("FtpSetCurrentDirectoryA")->texts, Texts{"upload"});
  EXPECT_EQ(fake.last("FtpPutFileA")->texts,
            (Texts{folder.file("report.bin"), ".result_bin.quillpost-upload"}));
  EXPECT_EQ(fake.last("FtpPutFileA")->values.at(0), inet::kTransferTypeBinary);
  EXPECT_EQ(fake.last("FtpGetFileSizeA")->texts, Texts{".result_bin.quillpost-upload"});
  EXPECT_EQ(fake.last("FtpRenameFileA")->texts,
            (Texts{".result_bin.quillpost-upload", "result.bin"}));
  EXPECT_EQ(controls.lines.size(), 2u);
  EXPECT_FALSE(controls.openEnabled);
  EXPECT_EQ(shown(), std::vector<std::u16string>{completion()});
  EXPECT_EQ(boxes.asked()[0].icon, Icon::Information);
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_EQ(stored[0].server + u"|" + stored[0].folder + u"|" + stored[0].name,
            u"ftp.example.jp:2121|/upload|result.bin");
  EXPECT_EQ(stored[0].bytes, 12u);
  EXPECT_EQ(std::string(stored[0].via) + (stored[0].verified ? " size" : " no"), "rename size");
}

TEST_F(StartUp, NowDateModeStoresUnderTheDateNameWithoutMessageAndAnEmptyPathStoresNothing) {
  settings.RemoteFileName = u"NowDateMode";
  ASSERT_EQ(run(), ExitStatus::Done);
  EXPECT_EQ(fake.last("FtpRenameFileA")->texts,
            (Texts{".261207090503.quillpost-upload", "261207090503"}));
  EXPECT_TRUE(boxes.asked().empty());
  EXPECT_EQ(stored.size(), 1u);
  settings.LocalFilePath = u"";
  EXPECT_EQ(run(), ExitStatus::Done);
  EXPECT_EQ(calls("FtpPutFileA"), 1);
  EXPECT_EQ(calls("FtpSetCurrentDirectoryA"), 2);
  EXPECT_TRUE(boxes.asked().empty());
  EXPECT_EQ(stored.size(), 1u);
}

TEST_F(StartUp, SettingsProblemsAndAMissingLocalFileEndBeforeConnecting) {
  const std::u16string path = U16(folder.path()) + files::PathSeparator() + u"Quillpst.dat";
  EXPECT_EQ(RunStartUp(controls, *clsFtp, boxes, {U16(folder.path()), FixedClock}),
            ExitStatus::SettingsProblem);
  testsupport::WriteFile(folder.file("Quillpst.dat"), "\"h\",\"u\",\"p\"\r\n");
  EXPECT_EQ(RunStartUp(controls, *clsFtp, boxes, {U16(folder.path()), FixedClock}),
            ExitStatus::SettingsProblem);
  // 0x7F restored is 0x8E, a lead byte alone: no character.
  testsupport::WriteFile(folder.file("Quillpst.dat"), "\"h\",\"u\",\"\x7f\",\"d\",\"\",\"n\"\r\n");
  EXPECT_EQ(RunStartUp(controls, *clsFtp, boxes, {U16(folder.path()), FixedClock}),
            ExitStatus::SettingsProblem);
  settings.LocalFilePath = U16(folder.file("absent.bin"));
  EXPECT_EQ(run(), ExitStatus::LocalFileMissing);
  EXPECT_EQ(shown(),
            (std::vector<std::u16string>{
                u"設定ファイル Quillpst.dat が見つかりません\r\n" + path,
                u"設定ファイル Quillpst.dat の項目が足りません（6 項目が必要です）\r\n" + path,
                u"設定ファイル Quillpst.dat のパスワードを復元できません\r\n" + path,
                u"指定したローカルファイルは存在しません"}));
  EXPECT_EQ(controls.server, settings.ServerName);
  EXPECT_EQ(calls("InternetConnectA"), 0);
}

TEST_F(StartUp, EachFailureOnTheServerIsShownAndOnlyAFailedDirectoryChangeLetsTheUploadGoOn) {
  fake.failNext("InternetConnectA", inet::kErrorInternetNameNotResolved);
  EXPECT_EQ(run(), ExitStatus::NotConnected);
  EXPECT_TRUE(controls.openEnabled);
  fake.failNext("FtpSetCurrentDirectoryA", inet::kErrorInternetExtendedError);
  fake.response = "550 No such directory.";
  fake.responseError = 550;
  EXPECT_EQ(run(), ExitStatus::Done);
  // Refused under the temporary name and under its own: the latter refusal alone is shown.
  fake.failNext("FtpPutFileA", inet::kErrorInternetExtendedError);
  fake.failNext("FtpPutFileA", inet::kErrorInternetExtendedError);
  fake.response = "553 Not allowed.";
  fake.responseError = 553;
  EXPECT_EQ(run(), ExitStatus::UploadFailed);
  EXPECT_EQ(shown(), (std::vector<std::u16string>{u"12007\r\nサーバー名を解決できませんでした。",
                                                  kNotConnected, u"550\r\n550 No such directory.",
                                                  completion(), u"553\r\n553 Not allowed."}));
  EXPECT_EQ(boxes.asked()[0].icon, Icon::Critical);
  EXPECT_EQ(fake.last("FtpPutFileA")->texts.at(1), "result.bin");
  EXPECT_EQ(calls("FtpPutFileA"), 3);
  EXPECT_EQ(stored.size(), 1u);
}

}  // namespace
}  // namespace uploadertest
