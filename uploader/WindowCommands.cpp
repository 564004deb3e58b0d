#include "uploader/WindowCommands.h"

#include "uploader/DownloadPath.h"
#include "uploader/FileListLines.h"
#include "uploader/ListLine.h"
#include "uploader/UploadNaming.h"

namespace {

using dialogs::BoxAnswer;
using dialogs::Buttons;
using dialogs::Icon;

bool connected(const WindowParts& window) {
  return window.clsFtp != nullptr && window.clsFtp->hFTP() != 0;
}

bool isEntryTag(const std::u16string& tag) { return tag == kFileTag || tag == kDirectoryTag; }

}  // namespace

std::unique_ptr<McWinFTP> MakeSession(dialogs::Dialogs& dialogs, inet::InternetApi* internetApi) {
  auto clsFtp =
      internetApi ? std::make_unique<McWinFTP>(*internetApi) : std::make_unique<McWinFTP>();
  clsFtp->OnFTPFrr([&dialogs](int32_t ErrNumber, const std::u16string& ErrString) {
    dialogs.MessageBox(FTPFrrMessage(ErrNumber, ErrString), kAppTitle, Buttons::Ok, Icon::Critical);
  });
  return clsFtp;
}

bool ConnectFromControls(WindowControls& controls, McWinFTP& clsFtp) {
  clsFtp.SetRemoteHost(controls.serverText());
  clsFtp.SetUser(controls.userText());
  clsFtp.SetPassword(controls.passText());
  clsFtp.SetPassiveFlag(controls.passiveChecked());
  clsFtp.OpenSession();
  return clsFtp.hFTP() != 0;
}

void RefreshFileList(const WindowParts& window) {
  window.controls.clearList();
  if (window.clsFtp == nullptr) return;
  FileListLines(*window.clsFtp,
                [&](const std::u16string& line) { window.controls.addListLine(line); });
}

void lstFiles_DblClick(const WindowParts& window) {
  if (window.clsFtp == nullptr) return;
  const std::u16string line = window.controls.selectedLine();
  const std::u16string tag = LineTag(line);
  if (tag == kParentLine) {
    window.clsFtp->SetCurDir(u"../");
  } else if (tag == kDirectoryTag) {
    window.clsFtp->SetCurDir(LineName(line));
  } else {
    return;
  }
  RefreshFileList(window);
}

void cmdOpen_Click(const WindowParts& window) {
  if (window.clsFtp == nullptr) return;
  if (!ConnectFromControls(window.controls, *window.clsFtp)) return;  // reported via FTPFrr
  window.dialogs.MessageBox(u"接続が完了しました！", kAppTitle, Buttons::Ok, Icon::Information);
  RefreshFileList(window);
  window.controls.setOpenEnabled(false);
}

void cmdClose_Click(const WindowParts& window) {
  if (window.clsFtp != nullptr) window.clsFtp->CloseSession();
  window.controls.setOpenEnabled(true);
  window.controls.clearList();
}

void cmdDel_Click(const WindowParts& window) {
  if (!connected(window)) return;
  // Asked before the selection is looked at.
  if (window.dialogs.MessageBox(u"指定したファイルまたはディレクトリを削除します。", kAppTitle,
                                Buttons::YesNo, Icon::Question) != BoxAnswer::Yes) {
    return;
  }
  const std::u16string line = window.controls.selectedLine();
  const std::u16string tag = LineTag(line);
  if (tag == kFileTag) {
    window.clsFtp->DeleteFile(LineName(line));
  } else if (tag == kDirectoryTag) {
    window.clsFtp->RemoveDir(LineName(line));
  } else {
    return;
  }
  RefreshFileList(window);  // also after a refusal: the list shows what is there
}

void cmdGet_Click(const WindowParts& window) {
  if (!connected(window)) return;
  const std::u16string line = window.controls.selectedLine();
  if (!isEntryTag(LineTag(line))) return;
  const std::u16string name = LineName(line);
  // Refused before anything is asked: the name alone decides, whatever the folder.
  if (!IsSafeDownloadName(name)) {
    window.dialogs.MessageBox(UnsafeDownloadNameMessage(name), kAppTitle, Buttons::Ok,
                              Icon::Exclamation);
    return;
  }
  const std::u16string folder =
      window.dialogs.InputBox(u"保存先フォルダを指定してください。", u"保存先指定", u"");
  if (folder.empty()) return;
  const bool overwrite =
      window.dialogs.MessageBox(u"既に同名のファイルがある場合に上書きしますか？", kAppTitle,
                                Buttons::YesNo, Icon::Question) == BoxAnswer::Yes;
  const std::u16string localPath = *DownloadPath(folder, name);  // the name was checked
  if (window.clsFtp->GetFile(name, localPath, !overwrite, 0) != 0) RefreshFileList(window);
}

void cmdPut_Click(const WindowParts& window) {
  if (window.clsFtp == nullptr) return;
  // Both questions are asked, the second also after the first was cancelled.
  const std::u16string localFile = window.dialogs.InputBox(
      u"転送したいファイルをフルパスで入力してください。", u"転送元ファイル名の指定", u"");
  const std::u16string remoteFile = window.dialogs.InputBox(
      u"転送先に保存する場合のファイル名を入力してください。", u"転送先ファイル名の指定", u"");
  if (localFile.empty()) return;
  if (window.clsFtp->PutFile(localFile, remoteFile, 0) != 0) RefreshFileList(window);
}

void cmdRename_Click(const WindowParts& window) {
  if (!connected(window)) return;
  const std::u16string line = window.controls.selectedLine();
  if (!isEntryTag(LineTag(line))) return;
  const std::u16string name = LineName(line);
  const std::u16string newName =
      window.dialogs.InputBox(u"新しいファイル名を入力してください。", u"ファイル名の変更", name);
  if (!newName.empty()) window.clsFtp->RenameFile(name, newName);
  RefreshFileList(window);  // also when cancelled
}

void cmdMakeDir_Click(const WindowParts& window) {
  if (!connected(window)) return;
  // This box has the short phrase as its prompt and the full request as its title.
  const std::u16string name = window.dialogs.InputBox(
      u"ディレクトリの作成", u"新規作成するディレクトリ名を入力してください。", u"");
  if (name.empty()) return;
  window.clsFtp->CreateDir(name);
  RefreshFileList(window);
}
