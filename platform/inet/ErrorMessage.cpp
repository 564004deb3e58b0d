// The message of an error code of the table, without the system's message formatter.
#include "platform/inet/InternetApi.h"

namespace inet {

std::u16string_view ErrorMessage(uint32_t code) {
#define QP_ERROR_TEXT(number, name, when, message) \
  if (code == (number)) return message;
  QP_ERROR_TABLE(QP_ERROR_TEXT)
#undef QP_ERROR_TEXT
  return {};
}

}  // namespace inet
