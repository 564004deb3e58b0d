// The refusal of the TLS layer, told the way a server's refusal is; shared by the TLS
// implementations.
#include <string>

#include "platform/codepage/CodePage.h"
#include "platform/inet/ErrorTable.h"
#include "platform/inet/Tls.h"

namespace inet {

Status TlsFailure(uint32_t code, std::string_view detail) {
  Reply reply;
  reply.code = static_cast<int>(code);
  reply.text = codepage::ToAnsi(ErrorMessage(code));
  if (!detail.empty()) reply.text.append("\r\n").append(detail);
  return Status::refused(std::move(reply));
}

}  // namespace inet
