// The settings reader: the file's first bytes, parsed by the settings format.
#include "settings/ReadSettingsFile.h"

#include <optional>
#include <string_view>
#include <utility>

#include "platform/files/FileIo.h"
#include "platform/files/Files.h"
#include "settings/SettingsFormat.h"

namespace {

ReadSettingsResult unreadable(std::u16string detail) {
  return ReadSettingsResult{ReadStatus::Unreadable, {}, std::move(detail)};
}

}  // namespace

ReadSettingsResult ReadSettingsFile(const std::u16string& folder) {
  const std::string path =
      files::ToFileSystemPath(folder + files::PathSeparator() + kSettingsFileName);
  // One byte past the limit tells a file that is too large.
  const files::FileStart file = files::ReadFileStart(path, kSettingsFileReadLimit + 1);
  if (file.status.notFound()) return ReadSettingsResult{ReadStatus::NotFound, {}, {}};
  if (!file.status.ok()) return unreadable(files::FileErrorText(file.status.error));
  if (!file.regular) return unreadable(u"通常のファイルではありません");

  const std::string_view bytes = std::string_view(file.bytes).substr(0, kSettingsFileReadLimit);
  std::optional<SettingsRecord> record = ParseSettingsText(bytes);
  if (record) return ReadSettingsResult{ReadStatus::Read, std::move(*record), {}};
  if (file.bytes.size() > kSettingsFileReadLimit) {
    return unreadable(u"ファイルが大きすぎます (1 MiB を超えています)");
  }
  return ReadSettingsResult{ReadStatus::EndedEarly, {}, {}};
}
