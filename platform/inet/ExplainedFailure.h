// A failure of one of the engine's own layers (TLS, SSH), told the way a server's refusal is:
// kErrorInternetExtendedError, with a reply whose code is the layer's error code and whose
// text is that code's message, then the details (fingerprints, the server's own words), so
// that InternetGetLastResponseInfoA gives both.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/inet/FtpStatus.h"

namespace inet {

// The CP932 message of `code` from the error table, then, after CR LF, `detail` (CP932) when
// it is not empty.
Status ExplainedFailure(uint32_t code, std::string_view detail);

}  // namespace inet
