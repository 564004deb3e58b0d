#include "platform/inet/ControlChannel.h"

#include "platform/codepage/CodePage.h"
#include "platform/inet/TcpConnect.h"

namespace inet {
using asio::ip::tcp;

ControlChannel::ControlChannel(asio::io_context& io, const EngineOptions& options)
    : m_io(io), m_options(options), m_socket(io) {}

ControlChannel::~ControlChannel() { close(); }

Status ControlChannel::connect(const ServerAddress& address) {
  Status status = ConnectToServer(m_io, m_socket, address, m_options.connectTimeout);
  if (!status.ok()) return status;
  std::error_code ec;
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
