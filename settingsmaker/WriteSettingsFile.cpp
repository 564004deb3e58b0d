// The settings file writer: the record line through MduCsv, then a temporary file, fsync and
// rename, so the file on disk is always either the old one or the whole new one.
#include "settingsmaker/WriteSettingsFile.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <optional>
#include <string_view>

#include "platform/codepage/CodePage.h"
#include "platform/files/Files.h"
#include "settingsmaker/MduCsv.h"

namespace {

constexpr std::u16string_view kFileFailure = u"Quillpst.dat を書き込めませんでした: ";

struct Field {
  const std::u16string SettingsRecord::*value;
  std::u16string_view label;  // the label of the field's box in the form
};
constexpr std::array<Field, 6> kFields{{
    {&SettingsRecord::ServerName, u"サーバー名"},
    {&SettingsRecord::UserId, u"ユーザーＩＤ"},
    {&SettingsRecord::ScrambledPassword, u"パスワード"},
    {&SettingsRecord::InitialDir, u"初期ディレクトリ"},
    {&SettingsRecord::LocalFilePath, u"ローカルファイルパス"},
    {&SettingsRecord::RemoteFileName, u"送信後ファイル名"},
}};

WriteResult failed(std::u16string reason) { return WriteResult{false, std::move(reason)}; }

WriteResult osFailure(int error) {
  return failed(std::u16string(kFileFailure) + files::FileErrorText(error));
}

// Refuses the first value that CP932 would alter, naming the field and the character's
// position (from 1).
std::optional<WriteResult> refuseUnwritable(const SettingsRecord& record) {
  for (const Field& field : kFields) {
    const std::u16string& value = record.*field.value;
    if (codepage::ToAnsiExact(value)) continue;
    size_t position = 0;
    while (codepage::ToAnsiExact(std::u16string_view(value).substr(position, 1))) ++position;
    return failed(u"「" + std::u16string(field.label) +
                  u"」に Quillpst.dat に書き込めない文字があります (" +
                  codepage::FromAnsi(std::to_string(position + 1)) + u" 文字目)。");
  }
  return std::nullopt;
}

// The record line as the file holds it: six quoted values, CR LF.
std::u16string recordLine(const SettingsRecord& record) {
  MduCsv::TextArray array{1, std::vector<std::u16string>{}};
  for (const Field& field : kFields) array.items->push_back(record.*field.value);
  return MduCsv::MakeCsvLine(array, u",", u"\"") + u"\r\n";
}

// Writes all of `bytes` to `fd`; the errno of the first failure, 0 on success.
int writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return 0;
}

// Fills the temporary file and moves it over `target`; the errno of a failure, 0 on success.
int replaceFile(const std::string& folder, const std::string& target, std::string_view bytes) {
  std::string temp = folder + "/.Quillpst.dat.XXXXXX";
  const int fd = ::mkostemp(temp.data(), O_CLOEXEC);  // mode 0600
  if (fd < 0) return errno;
  int error = writeAll(fd, bytes);
  if (error == 0 && ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && ::rename(temp.c_str(), target.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temp.c_str());
    return error;
  }
  // Make the rename itself durable; the new file is already complete if this fails.
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return 0;
}

}  // namespace

WriteResult WriteSettingsFile(const SettingsRecord& record) {
  return WriteSettingsFileIn(u".", record);
}

WriteResult WriteSettingsFileIn(const std::u16string& folder, const SettingsRecord& record) {
  if (std::optional<WriteResult> refused = refuseUnwritable(record)) return *refused;
  // The line twice, each built the same way; readers use only the first.
  const std::u16string text = recordLine(record) + recordLine(record);
  const std::optional<std::string> bytes = codepage::ToAnsiExact(text);
  if (!bytes) return failed(u"Quillpst.dat に書き込めない文字があります。");
  const std::string folderPath = files::ToFileSystemPath(folder);
  const std::string target =
      files::ToFileSystemPath(folder + files::PathSeparator() + kSettingsFileName);
  const int error = replaceFile(folderPath, target, *bytes);
  if (error != 0) return osFailure(error);
  return WriteResult{true, {}};
}
