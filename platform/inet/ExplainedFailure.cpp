#include "platform/inet/ExplainedFailure.h"

#include <string>

#include "platform/codepage/CodePage.h"
#include "platform/inet/ErrorTable.h"

namespace inet {
namespace {

std::u16string_view messageOf(uint32_t code) {
#define QP_ERROR_TEXT(number, name, when, message) \
  if (code == (number)) return message;
  QP_ERROR_TABLE(QP_ERROR_TEXT)
#undef QP_ERROR_TEXT
  return {};
}

}  // namespace

Status ExplainedFailure(uint32_t code, std::string_view detail) {
  Reply reply;
  reply.code = static_cast<int>(code);
  reply.text = codepage::ToAnsi(messageOf(code));
  if (!detail.empty()) reply.text.append("\r\n").append(detail);
  return Status::refused(std::move(reply));
}

}  // namespace inet
