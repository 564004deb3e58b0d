// The seven command buttons of the uploader's window: connect, disconnect, delete, download,
// upload, rename and create a directory.
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "uploader/DownloadPath.h"
#include "uploader/ListLine.h"
#include "uploader/fFTPTest.h"

namespace {

using dialogs::BoxAnswer;
using dialogs::Buttons;
using dialogs::Icon;

bool isEntryTag(const std::u16string& tag) { return tag == kFileTag || tag == kDirectoryTag; }

}  // namespace

void fFTPTest::cmdOpen_Click() {
  if (!m_clsFtp) return;
  m_clsFtp->SetRemoteHost(m_txtServer->text().toStdU16String());
  m_clsFtp->SetUser(m_txtUser->text().toStdU16String());
  m_clsFtp->SetPassword(m_txtPass->text().toStdU16String());
  m_clsFtp->SetPassiveFlag(m_chkPassive->checkState() != Qt::Unchecked);
  m_clsFtp->OpenSession();
  if (m_clsFtp->hFTP() == 0) return;  // already reported through FTPFrr
  m_dialogs.MessageBox(u"接続が完了しました！", kAppTitle, Buttons::Ok, Icon::Information);
  RefreshFileList();
  m_cmdOpen->setEnabled(false);
}

void fFTPTest::cmdClose_Click() {
  if (m_clsFtp) m_clsFtp->CloseSession();
  m_cmdOpen->setEnabled(true);
  m_lstFiles->clear();
}

void fFTPTest::cmdDel_Click() {
  if (!connected()) return;
  // Asked before the selection is looked at.
  if (m_dialogs.MessageBox(u"指定したファイルまたはディレクトリを削除します。", kAppTitle,
                           Buttons::YesNo, Icon::Question) != BoxAnswer::Yes) {
    return;
  }
  const std::u16string line = selectedLine();
  const std::u16string tag = LineTag(line);
  if (tag == kFileTag) {
    m_clsFtp->DeleteFile(LineName(line));
  } else if (tag == kDirectoryTag) {
    m_clsFtp->RemoveDir(LineName(line));
  } else {
    return;
  }
  RefreshFileList();  // also after a refusal: the list shows what is there
}

void fFTPTest::cmdGet_Click() {
  if (!connected()) return;
  const std::u16string line = selectedLine();
  if (!isEntryTag(LineTag(line))) return;
  const std::u16string name = LineName(line);
  // Refused before anything is asked: the name alone decides, whatever the folder.
  if (!IsSafeDownloadName(name)) {
    m_dialogs.MessageBox(UnsafeDownloadNameMessage(name), kAppTitle, Buttons::Ok,
                         Icon::Exclamation);
    return;
  }
  const std::u16string folder =
      m_dialogs.InputBox(u"保存先フォルダを指定してください。", u"保存先指定", u"");
  if (folder.empty()) return;
  const bool overwrite =
      m_dialogs.MessageBox(u"既に同名のファイルがある場合に上書きしますか？", kAppTitle,
                           Buttons::YesNo, Icon::Question) == BoxAnswer::Yes;
  const std::u16string localPath = *DownloadPath(folder, name);  // the name was checked
  if (m_clsFtp->GetFile(name, localPath, !overwrite, 0) != 0) RefreshFileList();
}

void fFTPTest::cmdPut_Click() {
  if (!m_clsFtp) return;
  // Both questions are asked, the second also after the first was cancelled.
  const std::u16string localFile = m_dialogs.InputBox(
      u"転送したいファイルをフルパスで入力してください。", u"転送元ファイル名の指定", u"");
  const std::u16string remoteFile = m_dialogs.InputBox(
      u"転送先に保存する場合のファイル名を入力してください。", u"転送先ファイル名の指定", u"");
  if (localFile.empty()) return;
  if (m_clsFtp->PutFile(localFile, remoteFile, 0) != 0) RefreshFileList();
}

void fFTPTest::cmdRename_Click() {
  if (!connected()) return;
  const std::u16string line = selectedLine();
  if (!isEntryTag(LineTag(line))) return;
  const std::u16string name = LineName(line);
  const std::u16string newName =
      m_dialogs.InputBox(u"新しいファイル名を入力してください。", u"ファイル名の変更", name);
  if (!newName.empty()) m_clsFtp->RenameFile(name, newName);
  RefreshFileList();  // also when cancelled
}

void fFTPTest::cmdMakeDir_Click() {
  if (!connected()) return;
  // This box has the short phrase as its prompt and the full request as its title.
  const std::u16string name = m_dialogs.InputBox(
      u"ディレクトリの作成", u"新規作成するディレクトリ名を入力してください。", u"");
  if (name.empty()) return;
  m_clsFtp->CreateDir(name);
  RefreshFileList();
}
