#include "platform/inet/DataChannel.h"

#include <signal.h>
#include <sys/sendfile.h>

#include <cerrno>

#include "platform/inet/AsioWait.h"

namespace inet {
namespace {

using asio::ip::tcp;

constexpr size_t kSendFileChunk = 1 << 20;

// sendfile(2) has no MSG_NOSIGNAL: a peer that closed mid-upload would raise SIGPIPE and end
// the process. SIGPIPE is blocked for this thread while sending, and one raised is consumed.
class ScopedSigpipeBlock {
 public:
  ScopedSigpipeBlock() {
    sigset_t pipeOnly;
    sigemptyset(&pipeOnly);
    sigaddset(&pipeOnly, SIGPIPE);
    sigset_t pending;
    sigpending(&pending);
    m_wasPending = sigismember(&pending, SIGPIPE) == 1;
    pthread_sigmask(SIG_BLOCK, &pipeOnly, &m_previous);
  }
  ~ScopedSigpipeBlock() {
    sigset_t pending;
    sigpending(&pending);
    if (!m_wasPending && sigismember(&pending, SIGPIPE) == 1) {
      sigset_t pipeOnly;
      sigemptyset(&pipeOnly);
      sigaddset(&pipeOnly, SIGPIPE);
      const timespec zero{0, 0};
      sigtimedwait(&pipeOnly, nullptr, &zero);
    }
    pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
  }
  ScopedSigpipeBlock(const ScopedSigpipeBlock&) = delete;
  ScopedSigpipeBlock& operator=(const ScopedSigpipeBlock&) = delete;

 private:
  sigset_t m_previous;
  bool m_wasPending = false;
};

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
  AwaitOperation(m_io, done, ec, m_options.connectTimeout, [&] { m_socket.close(); });
  if (!ec) return Status::success();
  close();
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
  const auto deadline = std::chrono::steady_clock::now() + m_options.connectTimeout;
  for (;;) {
    std::error_code ec;
    bool done = false;
    tcp::endpoint from;
    m_acceptor.async_accept(m_socket, from, [&](const std::error_code& e) {
      ec = e;
      done = true;
    });
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    AwaitOperation(m_io, done, ec, std::max(left, std::chrono::milliseconds(0)),
                   [&] { m_acceptor.cancel(); });
    if (ec) {
      close();
      return Status::failure(ec == asio::error::timed_out ? kErrorInternetTimeout
                                                          : kErrorInternetCannotConnect);
    }
    // Only the server may connect: anyone else reaching the port is turned away.
    if (from.address() == expectedPeer) break;
    m_socket.close(ec);
  }
  std::error_code ignored;
  m_acceptor.close(ignored);
  return Status::success();
}

Status DataChannel::read(char* buffer, size_t capacity, size_t* received, bool* eof) {
  std::error_code ec;
  bool done = false;
  *received = 0;
  *eof = false;
  m_socket.async_read_some(asio::buffer(buffer, capacity), [&](const std::error_code& e, size_t n) {
    ec = e;
    *received = n;
    done = true;
  });
  AwaitOperation(m_io, done, ec, m_options.dataIdleTimeout, [&] { m_socket.cancel(); });
  if (ec == asio::error::eof) {
    *eof = true;
    return Status::success();
  }
  return ec ? Status::failure(ConnectionErrorCode(ec)) : Status::success();
}

Status DataChannel::write(std::string_view bytes) {
  std::error_code ec;
  bool done = false;
  asio::async_write(m_socket, asio::buffer(bytes.data(), bytes.size()),
                    [&](const std::error_code& e, size_t) {
                      ec = e;
                      done = true;
                    });
  // The idle bound covers the whole block; blocks are small enough for that to be fair.
  AwaitOperation(m_io, done, ec, m_options.dataIdleTimeout, [&] { m_socket.cancel(); });
  return ec ? Status::failure(ConnectionErrorCode(ec)) : Status::success();
}

Status DataChannel::waitWritable() {
  std::error_code ec;
  bool done = false;
  m_socket.async_wait(tcp::socket::wait_write, [&](const std::error_code& e) {
    ec = e;
    done = true;
  });
  AwaitOperation(m_io, done, ec, m_options.dataIdleTimeout, [&] { m_socket.cancel(); });
  return ec ? Status::failure(ConnectionErrorCode(ec)) : Status::success();
}

Status DataChannel::sendFile(int fd, bool* unsupported) {
  *unsupported = false;
  std::error_code ec;
  m_socket.native_non_blocking(true, ec);
  ScopedSigpipeBlock noSigpipe;
  bool first = true;
  for (;;) {
    const ssize_t sent = ::sendfile(m_socket.native_handle(), fd, nullptr, kSendFileChunk);
    if (sent == 0) return Status::success();
    if (sent > 0) {
      first = false;
      continue;
    }
    if (errno == EINTR) continue;
    if (errno == EAGAIN) {
      Status writable = waitWritable();
      if (!writable.ok()) return writable;
      continue;
    }
    if (first && (errno == EINVAL || errno == ENOSYS)) {
      *unsupported = true;
      return Status::success();
    }
    if (errno == EPIPE || errno == ECONNRESET) {
      return Status::failure(kErrorInternetConnectionAborted);
    }
    return Status::failure(kErrorAccessDenied);
  }
}

Status DataChannel::finishUpload() {
  std::error_code ec;
  m_socket.shutdown(tcp::socket::shutdown_send, ec);
  if (ec) return Status::failure(kErrorInternetConnectionAborted);
  // The server closes its side once it has stored everything; a reset means it did not.
  char buffer[512];
  for (;;) {
    size_t received = 0;
    bool eof = false;
    Status status = read(buffer, sizeof buffer, &received, &eof);
    if (!status.ok()) return status;
    if (eof) break;
  }
  close();
  return Status::success();
}

void DataChannel::close() {
  std::error_code ignored;
  if (m_socket.is_open()) {
    m_socket.shutdown(tcp::socket::shutdown_both, ignored);
    m_socket.close(ignored);
  }
  if (m_acceptor.is_open()) m_acceptor.close(ignored);
}

}  // namespace inet
