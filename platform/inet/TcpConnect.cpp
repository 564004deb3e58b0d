#include "platform/inet/TcpConnect.h"

#include <memory>

#include "platform/inet/AsioWait.h"

namespace inet {
namespace {

using asio::ip::tcp;

struct ResolveState {
  bool done = false;
  std::error_code ec;
  tcp::resolver::results_type results;
};

Status connectTo(asio::io_context& io, tcp::socket& socket, const tcp::endpoint& endpoint,
                 std::chrono::milliseconds timeout) {
  std::error_code ec;
  bool done = false;
  if (socket.is_open()) socket.close(ec);
  socket.async_connect(endpoint, [&](const std::error_code& e) {
    ec = e;
    done = true;
  });
  AwaitOperation(io, done, ec, timeout, [&] { socket.close(); });
  if (!ec) return Status::success();
  std::error_code ignored;
  socket.close(ignored);
  return Status::failure(ec == asio::error::timed_out ? kErrorInternetTimeout
                                                      : kErrorInternetCannotConnect);
}

}  // namespace

Status ConnectToServer(asio::io_context& io, tcp::socket& socket, const ServerAddress& address,
                       std::chrono::milliseconds connectTimeout) {
  if (IsNeverResolvedName(address.host)) return Status::failure(kErrorInternetNameNotResolved);
  // getaddrinfo runs on asio's resolver thread and cannot be interrupted; on the deadline the
  // result is abandoned, so the handler keeps its state alive by itself.
  tcp::resolver resolver(io);
  auto state = std::make_shared<ResolveState>();
  resolver.async_resolve(address.host, std::to_string(address.port), tcp::resolver::numeric_service,
                         [state](const std::error_code& ec, tcp::resolver::results_type r) {
                           state->ec = ec;
                           state->results = std::move(r);
                           state->done = true;
                         });
  io.restart();
  io.run_for(connectTimeout);
  if (!state->done) {
    resolver.cancel();
    return Status::failure(kErrorInternetTimeout);
  }
  // "Try again" is the name service failing for now (no name server answered), not a name that
  // does not exist: a scheduled run may try again later.
  if (state->ec == asio::error::host_not_found_try_again) {
    return Status::failure(kErrorNameResolutionTemporary);
  }
  if (state->ec || state->results.empty()) return Status::failure(kErrorInternetNameNotResolved);
  Status last = Status::failure(kErrorInternetCannotConnect);
  for (const auto& entry : state->results) {
    last = connectTo(io, socket, entry.endpoint(), connectTimeout);
    if (last.ok()) return last;
  }
  return last;
}

}  // namespace inet
