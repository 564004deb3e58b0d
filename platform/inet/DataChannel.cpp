#include "platform/inet/DataChannel.h"

#include "platform/inet/AsioWait.h"

namespace inet {
namespace {

using asio::ip::tcp;

// How long an upload's connection waits for the TLS 1.3 session ticket the next data
// connection will offer. Servers send it right after the handshake, so it is normally there
// long before the upload ends.
constexpr std::chrono::milliseconds kTicketWait{200};

}  // namespace

DataChannel::DataChannel(asio::io_context& io, const EngineOptions& options)
    : m_io(io), m_options(options), m_socket(io), m_acceptor(io) {}

DataChannel::~DataChannel() { close(); }

Status DataChannel::connect(const tcp::endpoint& endpoint) {
  std::error_code ec;
  bool done = false;
  m_socket.async_connect(endpoint, [&](const std::error_code& e) {
    ec = e;
    done = true;
  });
  AwaitOperation(
      m_io, done, ec, m_options.connectTimeout, [&] { m_socket.close(); }, m_watch);
  if (!ec) {
    startProgress();
    return Status::success();
  }
  close();
  if (m_watch && m_watch->cancelled()) return Status::failure(kErrorOperationCancelled);
  return Status::failure(ec == asio::error::timed_out ? kErrorInternetTimeout
                                                      : kErrorInternetCannotConnect);
}

Status DataChannel::listen(const asio::ip::address& address, uint16_t* port) {
  std::error_code ec;
  const tcp::endpoint endpoint(address, 0);
  m_acceptor.open(endpoint.protocol(), ec);
  if (!ec) m_acceptor.bind(endpoint, ec);
  if (!ec) m_acceptor.listen(1, ec);
  if (!ec) *port = m_acceptor.local_endpoint(ec).port();
  if (ec) {
    close();
    return Status::failure(kErrorInternetCannotConnect);
  }
  return Status::success();
}

Status DataChannel::accept(const asio::ip::address& expectedPeer) {
  const Deadline deadline = std::chrono::steady_clock::now() + m_options.connectTimeout;
  for (;;) {
    std::error_code ec;
    bool done = false;
    tcp::endpoint from;
    m_acceptor.async_accept(m_socket, from, [&](const std::error_code& e) {
      ec = e;
      done = true;
    });
    AwaitOperation(
        m_io, done, ec, TimeLeft(deadline), [&] { m_acceptor.cancel(); }, m_watch);
    if (ec) {
      close();
      if (m_watch && m_watch->cancelled()) return Status::failure(kErrorOperationCancelled);
      return Status::failure(ec == asio::error::timed_out ? kErrorInternetTimeout
                                                          : kErrorInternetCannotConnect);
    }
    // Only the server may connect: anyone else reaching the port is turned away.
    if (from.address() == expectedPeer) break;
    m_socket.close(ec);
  }
  std::error_code ignored;
  m_acceptor.close(ignored);
  startProgress();
  return Status::success();
}

Status DataChannel::secure(TlsContext& context, const std::string& host) {
  Status status = TlsStream::start(m_io, m_socket, context, host,
                                   std::chrono::steady_clock::now() + m_options.connectTimeout,
                                   &m_tls, &m_tlsSessionRefused, m_watch);
  if (status.ok()) startProgress();
  return status.ok() ? status : waitFailure(status);
}

Status DataChannel::read(char* buffer, size_t capacity, size_t* received, bool* eof) {
  if (m_tls) {
    Status status = m_tls->readSome(buffer, capacity, received, eof, progressDeadline(), m_watch);
    if (!status.ok()) return waitFailure(status);
    progressed(*received);
    return status;
  }
  std::error_code ec;
  bool done = false;
  *received = 0;
  *eof = false;
  m_socket.async_read_some(asio::buffer(buffer, capacity), [&](const std::error_code& e, size_t n) {
    ec = e;
    *received = n;
    done = true;
  });
  AwaitOperation(
      m_io, done, ec, TimeLeft(progressDeadline()), [&] { m_socket.cancel(); }, m_watch);
  if (ec == asio::error::eof) {
    *eof = true;
    return Status::success();
  }
  if (ec) return waitFailure(ec);
  progressed(*received);
  return Status::success();
}

Status DataChannel::write(std::string_view bytes) {
  return m_tls ? writeTls(bytes) : writePlain(bytes);
}

Status DataChannel::writeTls(std::string_view bytes) {
  while (!bytes.empty()) {
    size_t written = 0;
    Status status = m_tls->writeSome(bytes, &written, progressDeadline(), m_watch);
    if (!status.ok()) return waitFailure(status);
    bytes.remove_prefix(written);
    progressed(written);
  }
  return Status::success();
}

Status DataChannel::writePlain(std::string_view bytes) {
  // Bulk data goes straight to the socket, one send per block while the socket buffer takes it,
  // waiting (with the idle bound) only when it is full. asio's send is the system's own on
  // every system (Winsock too), and on Linux it passes MSG_NOSIGNAL: a server that closes
  // early gives an error, not SIGPIPE.
  std::error_code ec;
  m_socket.non_blocking(true, ec);
  if (ec) return Status::failure(kErrorInternetConnectionAborted);
  while (!bytes.empty()) {
    const size_t sent = m_socket.write_some(asio::buffer(bytes.data(), bytes.size()), ec);
    if (!ec) {
      bytes.remove_prefix(sent);
      progressed(sent);
      continue;
    }
    if (ec == asio::error::interrupted) continue;
    if (ec != asio::error::would_block && ec != asio::error::try_again) {
      return Status::failure(kErrorInternetConnectionAborted);
    }
    if (const Status waited = awaitWritable(); !waited.ok()) return waited;
  }
  return Status::success();
}

Status DataChannel::awaitWritable() {
  std::error_code ec;
  bool done = false;
  m_socket.async_wait(tcp::socket::wait_write, [&](const std::error_code& e) {
    ec = e;
    done = true;
  });
  AwaitOperation(
      m_io, done, ec, TimeLeft(progressDeadline()), [&] { m_socket.cancel(); }, m_watch);
  return ec ? waitFailure(ec) : Status::success();
}

Status DataChannel::finishUpload(Deadline deadline) {
  if (m_tls) {
    m_tls->takeTickets(std::min(deadline, std::chrono::steady_clock::now() + kTicketWait));
    Status status = m_tls->shutdown(deadline, TlsStream::PeerClose::AnyClose, m_watch);
    if (status.ok()) close();
    return status.ok() ? status : waitFailure(status);
  }
  std::error_code ec;
  m_socket.shutdown(tcp::socket::shutdown_send, ec);
  if (ec) return Status::failure(kErrorInternetConnectionAborted);
  char buffer[512];
  for (;;) {
    bool done = false;
    // What the server sends back is read and dropped; only its close counts.
    m_socket.async_read_some(asio::buffer(buffer), [&](const std::error_code& e, size_t) {
      ec = e;
      done = true;
    });
    AwaitOperation(
        m_io, done, ec, TimeLeft(deadline), [&] { m_socket.cancel(); }, m_watch);
    if (ec == asio::error::eof) break;
    if (ec) return waitFailure(ec);
  }
  close();
  return Status::success();
}

Status DataChannel::finishDownload(Deadline deadline) {
  // The data is complete once its end was read; whether our close_notify arrives, the server's
  // final reply tells.
  if (m_tls) (void)m_tls->shutdown(deadline);
  close();
  return Status::success();
}

Status DataChannel::waitFailure(const std::error_code& ec) const {
  return waitFailure(Status::failure(ConnectionErrorCode(ec)));
}

Status DataChannel::waitFailure(Status status) const {
  return m_watch && m_watch->cancelled() ? Status::failure(kErrorOperationCancelled) : status;
}

void DataChannel::startProgress() {
  m_checkpoint = std::chrono::steady_clock::now();
  m_sinceCheckpoint = 0;
}

void DataChannel::progressed(size_t bytes) {
  m_moved += bytes;
  m_sinceCheckpoint += bytes;
  if (m_sinceCheckpoint >= kMinProgressBytes) startProgress();
}

Deadline DataChannel::progressDeadline() const { return m_checkpoint + m_options.dataIdleTimeout; }

void DataChannel::close() {
  std::error_code ignored;
  if (m_socket.is_open()) {
    m_socket.shutdown(tcp::socket::shutdown_both, ignored);
    m_socket.close(ignored);
  }
  if (m_acceptor.is_open()) m_acceptor.close(ignored);
  m_tls.reset();
}

}  // namespace inet
