// The message table behind FormatMessageA: one line of Japanese per error code.
#include "platform/sysmsg/SystemMessage.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/codepage/CodePage.h"

namespace sysmsg {
namespace {

// FORMAT_MESSAGE_ALLOCATE_BUFFER would make `buffer` a pointer to a pointer; not served.
constexpr uint32_t kFormatMessageAllocateBuffer = 0x100;

constexpr uint32_t kLanguageNeutral = 0x0000;
constexpr uint32_t kLanguageUserDefault = 0x0400;
constexpr uint32_t kLanguageJapanese = 0x0411;

struct Message {
  uint32_t code;
  std::u16string_view text;
};

constexpr std::array<Message, 18> kMessages{{
    {2, u"指定されたファイルが見つかりません。"},
    {3, u"指定されたフォルダーまたはパスが見つかりません。"},
    {5, u"アクセスが拒否されました。ファイルを読み書きする権限がありません。"},
    {6, u"ハンドルが無効です。接続または検索が既に閉じられています。"},
    {18, u"これ以上ファイルはありません。"},
    {80, u"同じ名前のファイルが既に存在します。"},
    {87, u"指定された値が正しくありません。"},
    {112, u"ディスクの空き容量が足りません。"},
    {122, u"結果を受け取る領域が小さすぎます。"},
    {8, u"メモリが足りないため、処理を続けられません。"},
    {1113, u"名前に、サーバーまたはこの環境で表せない文字が含まれています。"},
    {12002, u"サーバーの応答を待つ時間が過ぎました (タイムアウト)。"},
    {12003, u"サーバーが要求を受け付けませんでした。サーバーの応答を確認してください。"},
    {12007, u"サーバー名を解決できませんでした。サーバー名を確認してください。"},
    {12029, u"サーバーに接続できませんでした。"},
    {12030, u"サーバーとの接続が途中で切れました。"},
    {12110, u"別の転送が終わっていないため、この操作はできません。"},
    {12111, u"サーバーとの接続が切断されました。"},
}};

const Message* findMessage(uint32_t code) {
  auto it = std::find_if(kMessages.begin(), kMessages.end(),
                         [code](const Message& m) { return m.code == code; });
  return it == kMessages.end() ? nullptr : &*it;
}

bool servesLanguage(uint32_t languageId) {
  return languageId == kLanguageNeutral || languageId == kLanguageUserDefault ||
         languageId == kLanguageJapanese;
}

}  // namespace

uint32_t FormatMessageA(uint32_t flags, const void* source, uint32_t messageId, uint32_t languageId,
                        char* buffer, uint32_t size, void* arguments) {
  if ((flags & kFormatMessageFromSystem) == 0 || (flags & kFormatMessageAllocateBuffer) != 0 ||
      source != nullptr || buffer == nullptr || !servesLanguage(languageId)) {
    return 0;
  }
  const Message* message = findMessage(messageId);
  if (message == nullptr) return 0;
  const std::string bytes = codepage::ToAnsi(message->text);
  if (bytes.size() + 1 > size) return 0;
  std::memcpy(buffer, bytes.data(), bytes.size());
  buffer[bytes.size()] = '\0';
  return static_cast<uint32_t>(bytes.size());
}

}  // namespace sysmsg
