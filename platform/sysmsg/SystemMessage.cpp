// The message table behind FormatMessageA: one line of Japanese per error code.
#include "platform/sysmsg/SystemMessage.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>
#include <string_view>

#include "platform/codepage/CodePage.h"
#include "platform/inet/ErrorTable.h"

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

#define QP_ERROR_MESSAGE(number, name, when, message) Message{number, message},
constexpr Message kMessages[] = {QP_ERROR_TABLE(QP_ERROR_MESSAGE)};
#undef QP_ERROR_MESSAGE

const Message* findMessage(uint32_t code) {
  auto it = std::find_if(std::begin(kMessages), std::end(kMessages),
                         [code](const Message& m) { return m.code == code; });
  return it == std::end(kMessages) ? nullptr : &*it;
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
