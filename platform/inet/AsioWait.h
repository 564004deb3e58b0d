// Internal to the engine: runs one asynchronous asio operation to completion or to its
// deadline, so that every blocking call of the engine has a bound.
#pragma once

#include <algorithm>
#include <asio.hpp>
#include <chrono>
#include <system_error>

#include "platform/inet/InternetApi.h"
#include "platform/inet/TransferWatch.h"

namespace inet {

using Deadline = std::chrono::steady_clock::time_point;

// The time left until `deadline`, never negative.
inline std::chrono::milliseconds TimeLeft(Deadline deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline - std::chrono::steady_clock::now());
  return std::max(left, std::chrono::milliseconds(0));
}

// Runs `io` until `done` is set by the started operation's handler or `timeout` passes. On
// the deadline it calls `cancel` (which must make the operation finish) and waits for the
// handler; `ec` then reads asio::error::timed_out unless the operation completed meanwhile.
// With a `watch` it wakes every kProgressInterval to give the caller's status callback the
// word; when that cancels, it ends the operation the same way (`watch->cancelled()` tells).
template <class Cancel>
void AwaitOperation(asio::io_context& io, const bool& done, std::error_code& ec,
                    std::chrono::milliseconds timeout, Cancel&& cancel,
                    TransferWatch* watch = nullptr) {
  io.restart();
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done && std::chrono::steady_clock::now() < deadline) {
    const auto until =
        watch ? std::min(deadline, std::chrono::steady_clock::now() + kProgressInterval) : deadline;
    if (io.run_one_until(until) == 0 && io.stopped()) break;
    if (!done && watch && !watch->tick()) break;
  }
  if (done) return;
  cancel();
  io.restart();
  while (!done && io.run_one() != 0) {
  }
  if (ec == asio::error::operation_aborted || !done) ec = asio::error::timed_out;
}

// The engine's code for a failure on an established connection.
inline uint32_t ConnectionErrorCode(const std::error_code& ec) {
  return ec == asio::error::timed_out ? kErrorInternetTimeout : kErrorInternetConnectionAborted;
}

}  // namespace inet
