#include "uploader/DownloadPath.h"

#include "platform/files/Files.h"

bool IsSafeDownloadName(const std::u16string& name) {
  if (name.empty() || name == u"." || name == u"..") return false;
  return name.find_first_of(u"/\\") == std::u16string::npos;
}

std::optional<std::u16string> DownloadPath(const std::u16string& folder,
                                           const std::u16string& name) {
  if (!IsSafeDownloadName(name)) return std::nullopt;
  const std::u16string separator = files::PathSeparator();
  const bool ends =
      folder.size() >= separator.size() &&
      folder.compare(folder.size() - separator.size(), separator.size(), separator) == 0;
  return ends ? folder + name : folder + separator + name;
}

std::u16string UnsafeDownloadNameMessage(const std::u16string& name) {
  return u"ファイル名「" + name +
         u"」はフォルダの区切りを含むか、フォルダそのものを指すため、受信できません。";
}
