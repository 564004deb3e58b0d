// The refusal of the TLS layer, told the way a server's refusal is; shared by the TLS
// implementations.
#include "platform/inet/ExplainedFailure.h"
#include "platform/inet/Tls.h"

namespace inet {

Status TlsFailure(uint32_t code, std::string_view detail) { return ExplainedFailure(code, detail); }

}  // namespace inet
