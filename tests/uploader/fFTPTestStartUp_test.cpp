// The start-up of the window end to end: settings file in a temporary folder, a real
// pyftpdlib server on loopback, scripted boxes, the fixed clock.
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <filesystem>

#include "tests/uploader/UploaderTestSupport.h"
#include "tests/uploader/WindowFixture.h"

namespace uploadertest {
namespace {

namespace fs = std::filesystem;
using dialogs::Icon;

class StartUp : public WindowFixture {
 protected:
  void SetUp() override {
    WindowFixture::SetUp();
    if (HasFatalFailure()) return;
    fs::create_directory(served("upload"));
    localFile = local.file("report 日報.bin");
    testsupport::WriteFile(localFile, std::string("payload\0\r\n\xff", 12));
    settings = {U16(server->address()), U16(server->user()), u"", u"/upload",
                U16(localFile),         u"result.bin"};
  }

  ExitStatus run() {
    WriteSettingsFile(local.path(), settings, U16(server->password()));
    const ExitStatus status = window().Form_Load();
    // Never shown, closed on every path, the session released.
    EXPECT_EQ(showCounter.shows, 0);
    EXPECT_FALSE(window().isVisible());
    EXPECT_EQ(window().clsFtp(), nullptr);
    return status;
  }

  std::u16string completion() const {
    return u"Quillpost ver1.0\r\n\r\n" + settings.LocalFilePath + u" は\r\n2026/12/07 9:05:03\r\n" +
           u"ftp://" + settings.ServerName + u"\r\nに送信されました";
  }

  std::string localFile;
  SettingsRecord settings;
};

TEST_F(StartUp, FixedNameIsUploadedAndReported) {
  EXPECT_EQ(run(), ExitStatus::Done);
  EXPECT_EQ(testsupport::ReadFile(served("upload/result.bin")), testsupport::ReadFile(localFile));
  ASSERT_EQ(boxes.asked().size(), 1u);
  ExpectMessage(boxes.asked()[0], completion(), Icon::Information);
  // Passive mode from the check box, a binary upload, the list of the upload directory.
  EXPECT_TRUE(serverGot("EPSV") || serverGot("PASV"));
  EXPECT_TRUE(serverGot("TYPE I"));
  const std::vector<std::u16string> list = lines();
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0], u"..");
  EXPECT_EQ(list[1].substr(0, 15), u"F result.bin\t12");
  EXPECT_FALSE(window().cmdOpen()->isEnabled());
}

TEST_F(StartUp, NowDateModeStoresUnderTheDateNameWithoutMessage) {
  settings.RemoteFileName = u"NowDateMode";
  EXPECT_EQ(run(), ExitStatus::Done);
  EXPECT_TRUE(fs::exists(served("upload/261207090503")));
  EXPECT_EQ(fs::directory_iterator(served("upload"))->path().filename(), "261207090503");
  EXPECT_TRUE(boxes.asked().empty());
}

TEST_F(StartUp, MissingLocalFileEndsBeforeConnecting) {
  settings.LocalFilePath = U16(local.file("absent.bin"));
  EXPECT_EQ(run(), ExitStatus::LocalFileMissing);
  ASSERT_EQ(boxes.asked().size(), 1u);
  ExpectMessage(boxes.asked()[0], u"指定したローカルファイルは存在しません", Icon::None);
  EXPECT_FALSE(serverGot("USER"));
  // The settings still reached the text boxes.
  EXPECT_EQ(window().txtServer()->text().toStdString(), server->address());
  EXPECT_EQ(window().txtPass()->text().toStdString(), server->password());
}

TEST_F(StartUp, UnrestorablePasswordEndsWithItsOwnMessage) {
  // 0x7F restored is 0x8E, a lead byte alone: no character.
  testsupport::WriteFile(local.file("Quillpst.dat"), "\"h\",\"u\",\"\x7f\",\"d\",\"\",\"n\"\r\n");
  EXPECT_EQ(window().Form_Load(), ExitStatus::SettingsProblem);
  ASSERT_EQ(boxes.asked().size(), 1u);
  EXPECT_NE(Utf8(boxes.asked()[0].text).find("パスワードを復元できません"), std::string::npos);
}

TEST_F(StartUp, WrongPasswordShowsTheServersTextThenCouldNotConnect) {
  WriteSettingsFile(local.path(), settings, u"not-the-password");
  EXPECT_EQ(window().Form_Load(), ExitStatus::NotConnected);
  ASSERT_EQ(boxes.asked().size(), 2u);
  EXPECT_EQ(Utf8(boxes.asked()[0].text).rfind("530\r\n530 ", 0), 0u);
  EXPECT_EQ(boxes.asked()[0].icon, Icon::Critical);
  ExpectMessage(boxes.asked()[1], u"接続できませんでした", Icon::None);
  EXPECT_FALSE(serverGot("STOR"));
  EXPECT_TRUE(window().cmdOpen()->isEnabled());
}

TEST_F(StartUp, UnresolvableHostShows12007ThenCouldNotConnect) {
  settings.ServerName = u"no-such-host.invalid";
  EXPECT_EQ(run(), ExitStatus::NotConnected);
  ASSERT_EQ(boxes.asked().size(), 2u);
  ExpectMessage(boxes.asked()[0], u"12007\r\nサーバー名を解決できませんでした。", Icon::Critical);
  ExpectMessage(boxes.asked()[1], u"接続できませんでした", Icon::None);
}

TEST_F(StartUp, MissingInitialDirIsShownAndTheUploadLandsInTheLoginDirectory) {
  settings.InitialDir = u"/no-such-dir";
  EXPECT_EQ(run(), ExitStatus::Done);
  ASSERT_EQ(boxes.asked().size(), 2u);
  EXPECT_EQ(boxes.asked()[0].icon, Icon::Critical);
  EXPECT_EQ(Utf8(boxes.asked()[0].text).find("\r\n550 "), 3u);
  ExpectMessage(boxes.asked()[1], completion(), Icon::Information);
  EXPECT_TRUE(fs::exists(served("result.bin")));
  EXPECT_EQ(lines().at(0), u". ");
}

TEST_F(StartUp, EmptyLocalPathConnectsAndListsButUploadsNothing) {
  settings.LocalFilePath = u"";
  EXPECT_EQ(run(), ExitStatus::Done);
  EXPECT_TRUE(boxes.asked().empty());
  EXPECT_TRUE(serverGot("CWD"));
  EXPECT_FALSE(serverGot("STOR"));
  EXPECT_EQ(lines(), std::vector<std::u16string>{u".."});
}

}  // namespace
}  // namespace uploadertest
