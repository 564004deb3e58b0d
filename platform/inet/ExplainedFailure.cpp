#include "platform/inet/ExplainedFailure.h"

#include <string>

#include "platform/codepage/CodePage.h"
#include "platform/inet/InternetApi.h"

namespace inet {
Status ExplainedFailure(uint32_t code, std::string_view detail) {
  Reply reply;
  reply.code = static_cast<int>(code);
  reply.text = codepage::ToAnsi(ErrorMessage(code));
  if (!detail.empty()) reply.text.append("\r\n").append(detail);
  return Status::refused(std::move(reply));
}

}  // namespace inet
