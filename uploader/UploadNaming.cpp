#include "uploader/UploadNaming.h"

#include <cstdio>
#include <string>

#include "uploader/DisplayFormats.h"

namespace {

std::u16string ascii(const std::string& text) { return std::u16string(text.begin(), text.end()); }

}  // namespace

std::u16string NowDateModeName(const DateTime& when) {
  char text[32];
  std::snprintf(text, sizeof text, "%02d%02d%02d%02d%02d%02d", when.year % 100, when.month,
                when.day, when.hour, when.minute, when.second);
  return ascii(text);
}

RemoteNameChoice ChooseRemoteName(const std::u16string& RemoteFileName, const Clock& now) {
  if (RemoteFileName == kNowDateMode) return {NowDateModeName(now()), false};
  return {RemoteFileName, true};
}

std::u16string TemporaryRemoteName(const std::u16string& remoteName) {
  // Servers limit a name's length (often 255 bytes); the target's part is cut well below that.
  constexpr size_t kMaxKept = 96;
  const size_t slash = remoteName.rfind(u'/');
  const size_t start = slash == std::u16string::npos ? 0 : slash + 1;
  std::u16string name = remoteName.substr(start, kMaxKept);
  if (name.empty()) return {};
  for (char16_t& c : name) {
    if (c == u'.') c = u'_';
  }
  return remoteName.substr(0, start) + u"." + name + u".quillpost-upload";
}

std::u16string CompletionMessage(const std::u16string& LocalFilePath, const DateTime& when,
                                 const std::u16string& ServerName) {
  // A server written with its scheme ("ftpes://...", "ftps://...") is shown as written:
  // "ftp://" before it would name another protocol than the one used.
  const bool hasScheme = ServerName.find(u"://") != std::u16string::npos;
  return u"Quillpost ver1.0\r\n\r\n" + LocalFilePath + u" は\r\n" + FormatGeneralDateTime(when) +
         u"\r\n" + (hasScheme ? u"" : u"ftp://") + ServerName + u"\r\nに送信されました";
}

std::u16string FTPFrrMessage(int32_t ErrNumber, const std::u16string& ErrString) {
  return ascii(std::to_string(ErrNumber)) + u"\r\n" + ErrString;
}
