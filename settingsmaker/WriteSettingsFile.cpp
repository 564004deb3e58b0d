// The settings file writer: the file's bytes from the settings format, replacing the file
// atomically, so the file on disk is always either the old one or the whole new one.
#include "settingsmaker/WriteSettingsFile.h"

#include <array>
#include <string_view>

#include "platform/codepage/CodePage.h"
#include "platform/files/FileIo.h"
#include "platform/files/Files.h"
#include "settings/SettingsFormat.h"

namespace {

// The labels of the boxes the six values come from, in file order.
constexpr std::array<std::u16string_view, 6> kFieldLabels{
    u"サーバー名",       u"ユーザーＩＤ",         u"パスワード",
    u"初期ディレクトリ", u"ローカルファイルパス", u"送信後ファイル名"};

WriteResult failed(std::u16string reason) { return WriteResult{false, std::move(reason)}; }

// Names the field and the character's position (from 1).
WriteResult refused(const SettingsText& text) {
  std::u16string reason(u"「");
  reason.append(kFieldLabels[text.field]);
  reason.append(u"」に Quillpst.dat に書き込めない文字があります (");
  reason.append(codepage::FromAnsi(std::to_string(text.position + 1)));
  reason.append(u" 文字目)。");
  return failed(std::move(reason));
}

}  // namespace

WriteResult WriteSettingsFile(const SettingsRecord& record) {
  return WriteSettingsFileIn(u".", record);
}

WriteResult WriteSettingsFileIn(const std::u16string& folder, const SettingsRecord& record) {
  const SettingsText text = MakeSettingsText(record);
  if (!text.ok) return refused(text);
  const std::string target =
      files::ToFileSystemPath(folder + files::PathSeparator() + kSettingsFileName);
  const files::IoStatus status =
      files::ReplaceFileAtomically(target, text.bytes, files::FileAccess::OwnerOnly);
  if (!status.ok()) {
    return failed(u"Quillpst.dat を書き込めませんでした: " + files::FileErrorText(status.error));
  }
  return WriteResult{true, {}};
}
