// Internal to the engine: one FTP data connection, opened towards the server (passive) or
// accepted from it (active). Every read and write obeys the low-speed rule: the connection
// must move at least kMinProgressBytes within each data idle timeout, counted from the last
// time it did, or the transfer fails with kErrorInternetTimeout. A trickle therefore ends as
// surely as a stall.
#pragma once

#include <asio.hpp>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/inet/AsioWait.h"
#include "platform/inet/FtpEngine.h"
#include "platform/inet/FtpStatus.h"
#include "platform/inet/Tls.h"

namespace inet {

inline constexpr size_t kMinProgressBytes = 1024;

class DataChannel {
 public:
  DataChannel(asio::io_context& io, const EngineOptions& options);
  DataChannel(const DataChannel&) = delete;
  DataChannel& operator=(const DataChannel&) = delete;
  ~DataChannel();

  // Passive mode: connects to `endpoint`.
  Status connect(const asio::ip::tcp::endpoint& endpoint);

  // Active mode: listens on `address` (port chosen by the system), then accepts the server's
  // connection, only from `expectedPeer` (other connections are closed and ignored).
  Status listen(const asio::ip::address& address, uint16_t* port);
  Status accept(const asio::ip::address& expectedPeer);

  // Turns the connection into TLS, once the transfer command was sent (servers hang or reset a
  // handshake that comes earlier). The certificate must name `host`.
  Status secure(TlsContext& context, const std::string& host);

  // Reads what has arrived: `*received` bytes, or `*eof` once the server closed cleanly (in
  // TLS: with close_notify; a close without it is a truncation and fails).
  Status read(char* buffer, size_t capacity, size_t* received, bool* eof);
  Status write(std::string_view bytes);
  // Ends an upload: shuts down sending and waits for the server to close its side, which it
  // does once it has stored everything. Whatever the server sends meanwhile, the wait ends at
  // `deadline`; a reset means the server did not take the whole file. In TLS: our
  // close_notify, then the server's or its plain close (the final reply judges the upload).
  Status finishUpload(Deadline deadline);
  // Ends a download or listing after its end was read: in TLS our close_notify answers the
  // server's (servers answer 426 to a data connection closed without it). The data is complete
  // either way: the server's final reply judges the rest.
  Status finishDownload(Deadline deadline);

  void close();

  // From here on every wait of the connection gives `watch`'s callback the word, and a cancel
  // there fails the step with kErrorOperationCancelled. Null: nobody watches.
  void setWatch(TransferWatch* watch) { m_watch = watch; }

  // True when this connection's TLS handshake offered a TLS 1.3 session that the server did
  // not resume.
  bool tlsResumptionRefused() const { return m_tlsSessionRefused; }
  // Bytes read or written so far.
  uint64_t bytesMoved() const { return m_moved; }

 private:
  // Waits until the socket takes more data, within the idle bound.
  Status awaitWritable();
  void startProgress();
  void progressed(size_t bytes);
  Deadline progressDeadline() const;
  Status writePlain(std::string_view bytes);
  Status writeTls(std::string_view bytes);
  // The status of a failed wait: the caller's cancel, or what `ec` says.
  Status waitFailure(const std::error_code& ec) const;
  Status waitFailure(Status status) const;

  asio::io_context& m_io;
  const EngineOptions& m_options;
  asio::ip::tcp::socket m_socket;
  asio::ip::tcp::acceptor m_acceptor;
  std::unique_ptr<TlsStream> m_tls;  // once secured
  TransferWatch* m_watch = nullptr;
  Deadline m_checkpoint;         // when the connection last moved kMinProgressBytes
  size_t m_sinceCheckpoint = 0;  // bytes moved since then
  uint64_t m_moved = 0;          // bytes moved in all
  bool m_tlsSessionRefused = false;
};

}  // namespace inet
