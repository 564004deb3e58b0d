// The result of one step of the engine: an error code of InternetApi.h, and for a server's
// refusal (kErrorInternetExtendedError) the reply that refused.
#pragma once

#include <cstdint>
#include <utility>

#include "platform/inet/InternetApi.h"
#include "platform/inet/ReplyReader.h"

namespace inet {

struct [[nodiscard]] Status {
  uint32_t error = kErrorSuccess;
  Reply reply;  // set with kErrorInternetExtendedError

  bool ok() const { return error == kErrorSuccess; }

  static Status success() { return {}; }
  static Status failure(uint32_t error) { return {error, {}}; }
  static Status refused(Reply reply) { return {kErrorInternetExtendedError, std::move(reply)}; }
};

}  // namespace inet
