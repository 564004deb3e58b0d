// The parts of the file services that are the same on every system: UTF-16 paths as the
// UTF-8 bytes the file services take, and the Japanese texts for file errors.
#include <cerrno>
#include <string_view>

#include "platform/files/Files.h"
#include "platform/files/SystemErrors.h"

namespace files {

std::u16string FileErrorText(int errorNumber) {
  struct Text {
    int number;
    std::u16string_view text;
  };
  static constexpr Text kTexts[] = {
      {EACCES, u"アクセスが拒否されました"},
      {EPERM, u"アクセスが拒否されました"},
      {ENOENT, u"ファイルまたはフォルダーが見つかりません"},
      {ENOTDIR, u"パスの途中にフォルダーでないものがあります"},
      {EISDIR, u"同じ名前のフォルダーがあります"},
      {EROFS, u"読み取り専用の場所です"},
      {EIO, u"入出力エラーが発生しました"},
      {ENAMETOOLONG, u"パスが長すぎます"},
  };
  std::u16string text = u"ファイル操作に失敗しました";
  for (const Text& t : kTexts) {
    if (t.number == errorNumber) text = t.text;
  }
  if (IsDiskFullError(errorNumber)) text = u"ディスクの空き容量が足りません";
  return text + u" (" + SystemErrorWording(errorNumber) + u")";
}

std::string ToFileSystemPath(const std::u16string& path) {
  std::string out;
  out.reserve(path.size() * 3);
  for (size_t i = 0; i < path.size(); ++i) {
    char32_t cp = path[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < path.size() && path[i + 1] >= 0xDC00 &&
        path[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (path[++i] - 0xDC00);
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;  // a lone surrogate has no UTF-8 form
    }
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | cp >> 6));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | cp >> 12));
      out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | cp >> 18));
      out.push_back(static_cast<char>(0x80 | (cp >> 12 & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp >> 6 & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

std::u16string FromFileSystemPath(const std::string& path) {
  std::u16string out;
  out.reserve(path.size());
  size_t i = 0;
  while (i < path.size()) {
    const uint8_t b = static_cast<uint8_t>(path[i]);
    const size_t len = b < 0x80                 ? 1
                       : b >= 0xC2 && b <= 0xDF ? 2
                       : b >= 0xE0 && b <= 0xEF ? 3
                       : b >= 0xF0 && b <= 0xF4 ? 4
                                                : 0;
    char32_t cp = len == 1 ? b : len == 2 ? b & 0x1F : len == 3 ? b & 0x0F : b & 0x07;
    size_t k = 1;
    for (; len > 1 && k < len && i + k < path.size(); ++k) {
      const uint8_t c = static_cast<uint8_t>(path[i + k]);
      if ((c & 0xC0) != 0x80) break;
      cp = cp << 6 | (c & 0x3F);
    }
    // Overlong forms, surrogates and code points past U+10FFFF are not UTF-8 either.
    const bool valid = len != 0 && k == len && !(len == 3 && cp < 0x800) &&
                       !(len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) &&
                       !(cp >= 0xD800 && cp <= 0xDFFF);
    if (!valid) {
      out.push_back(u'\uFFFD');  // a name that is not UTF-8: one replacement per bad byte
      ++i;
      continue;
    }
    if (cp >= 0x10000) {
      out.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
    i += len;
  }
  return out;
}

}  // namespace files
