#include "platform/inet/ControlChannel.h"

#include <memory>

#include "platform/codepage/CodePage.h"

namespace inet {
namespace {

using asio::ip::tcp;

struct ResolveState {
  bool done = false;
  std::error_code ec;
  tcp::resolver::results_type results;
};

}  // namespace

ControlChannel::ControlChannel(asio::io_context& io, const EngineOptions& options)
    : m_io(io), m_options(options), m_socket(io) {}

ControlChannel::~ControlChannel() { close(); }

Status ControlChannel::connect(const ServerAddress& address) {
  if (IsNeverResolvedName(address.host)) return Status::failure(kErrorInternetNameNotResolved);
  // getaddrinfo runs on asio's resolver thread and cannot be interrupted; on the deadline the
  // result is abandoned, so the handler keeps its state alive by itself.
  tcp::resolver resolver(m_io);
  auto state = std::make_shared<ResolveState>();
  resolver.async_resolve(address.host, std::to_string(address.port), tcp::resolver::numeric_service,
                         [state](const std::error_code& ec, tcp::resolver::results_type r) {
                           state->ec = ec;
                           state->results = std::move(r);
                           state->done = true;
                         });
  m_io.restart();
  m_io.run_for(m_options.connectTimeout);
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
    last = connectTo(entry.endpoint());
    if (last.ok()) return last;
  }
  return last;
}

Status ControlChannel::connectTo(const tcp::endpoint& endpoint) {
  std::error_code ec;
  bool done = false;
  if (m_socket.is_open()) m_socket.close(ec);
  m_socket.async_connect(endpoint, [&](const std::error_code& e) {
    ec = e;
    done = true;
  });
  AwaitOperation(m_io, done, ec, m_options.connectTimeout, [&] { m_socket.close(); });
  if (ec) {
    std::error_code ignored;
    m_socket.close(ignored);
    return Status::failure(ec == asio::error::timed_out ? kErrorInternetTimeout
                                                        : kErrorInternetCannotConnect);
  }
  m_socket.set_option(tcp::no_delay(true), ec);
  m_peer = m_socket.remote_endpoint(ec);
  m_local = m_socket.local_endpoint(ec);
  m_reader = ReplyReader{};
  m_dead = false;
  return Status::success();
}

Status ControlChannel::secure(TlsContext& context, const std::string& host) {
  if (m_dead || !m_socket.is_open()) return Status::failure(kErrorFtpDropped);
  // STARTTLS injection: bytes that came in clear after the reply to AUTH TLS (from the server,
  // or from anyone on the path before TLS) would otherwise be read as replies once the
  // connection is secured, and every later reply one step late. Nothing from before the
  // handshake may count after it.
  if (m_reader.holdsInput()) {
    return fail(TlsFailure(kErrorInternetSecurityChannelError,
                           codepage::ToAnsi(u"TLS を始める前に、暗号化されていないデータがサーバー"
                                            u"の応答に続いて届きました。接続を中止します。")));
  }
  Status status =
      TlsStream::start(m_io, m_socket, context, host,
                       std::chrono::steady_clock::now() + m_options.replyTimeout, &m_tls);
  return status.ok() ? status : fail(status);
}

Status ControlChannel::send(std::string_view line) {
  if (m_dead || !m_socket.is_open()) return Status::failure(kErrorFtpDropped);
  std::string wire(line);
  wire.append("\r\n");
  const Deadline deadline = std::chrono::steady_clock::now() + m_options.replyTimeout;
  if (m_tls) {
    for (std::string_view rest(wire); !rest.empty();) {
      size_t written = 0;
      Status status = m_tls->writeSome(rest, &written, deadline);
      if (!status.ok()) return fail(status);
      rest.remove_prefix(written);
    }
    return Status::success();
  }
  std::error_code ec;
  bool done = false;
  asio::async_write(m_socket, asio::buffer(wire), [&](const std::error_code& e, size_t) {
    ec = e;
    done = true;
  });
  AwaitOperation(m_io, done, ec, TimeLeft(deadline), [&] { m_socket.cancel(); });
  return ec ? fail(ec) : Status::success();
}

Status ControlChannel::readReply(Reply* reply) {
  return readReply(reply, std::chrono::steady_clock::now() + m_options.replyTimeout);
}

Status ControlChannel::readFinalReply(Reply* reply, Deadline deadline) {
  for (;;) {
    Status status = readReply(reply, deadline);
    if (!status.ok() || reply->code >= 200) return status;
  }
}

Status ControlChannel::readReply(Reply* reply, Deadline deadline, TransferWatch* watch) {
  if (m_dead || !m_socket.is_open()) return Status::failure(kErrorFtpDropped);
  char buffer[4096];
  while (!m_reader.take(reply)) {
    if (m_reader.failed()) {
      kill();
      return Status::failure(kErrorInternetConnectionAborted);
    }
    size_t received = 0;
    Status status = receive(buffer, sizeof buffer, &received, deadline, watch);
    if (watch && watch->cancelled()) return Status::failure(kErrorOperationCancelled);
    if (!status.ok()) return fail(status);
    m_reader.feed(std::string_view(buffer, received));
  }
  return Status::success();
}

Status ControlChannel::receive(char* buffer, size_t capacity, size_t* received, Deadline deadline,
                               TransferWatch* watch) {
  if (m_tls) {
    bool eof = false;
    Status status = m_tls->readSome(buffer, capacity, received, &eof, deadline, watch);
    // The server ending the session mid-reply, with close_notify or without, is a drop.
    return status.ok() && eof ? Status::failure(kErrorInternetConnectionAborted) : status;
  }
  std::error_code ec;
  bool done = false;
  m_socket.async_read_some(asio::buffer(buffer, capacity), [&](const std::error_code& e, size_t n) {
    ec = e;
    *received = n;
    done = true;
  });
  AwaitOperation(
      m_io, done, ec, TimeLeft(deadline), [&] { m_socket.cancel(); }, watch);
  return ec ? Status::failure(ConnectionErrorCode(ec)) : Status::success();
}

Status ControlChannel::command(std::string_view line, Reply* reply) {
  Status sent = send(line);
  if (!sent.ok()) return sent;
  return readReply(reply);
}

Status ControlChannel::fail(const std::error_code& ec) {
  return fail(Status::failure(ConnectionErrorCode(ec)));
}

Status ControlChannel::fail(Status status) {
  kill();
  return status;
}

void ControlChannel::kill() {
  close();
  m_dead = true;
}

void ControlChannel::close() {
  std::error_code ignored;
  m_socket.shutdown(tcp::socket::shutdown_both, ignored);
  m_socket.close(ignored);
  m_tls.reset();
}

}  // namespace inet
