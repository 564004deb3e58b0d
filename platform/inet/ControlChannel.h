// Internal to the engine: the FTP control connection. Connects to the first reachable
// address of a name, sends command lines and reads complete replies, each within its
// deadline. A failure of the connection itself (drop, stall, broken reply syntax) leaves the
// channel dead: every later use fails at once with kErrorFtpDropped.
#pragma once

#include <asio.hpp>
#include <memory>
#include <string>
#include <string_view>

#include "platform/inet/AsioWait.h"
#include "platform/inet/FtpEngine.h"
#include "platform/inet/FtpStatus.h"
#include "platform/inet/ReplyReader.h"
#include "platform/inet/ServerAddress.h"
#include "platform/inet/Tls.h"

namespace inet {

class ControlChannel {
 public:
  ControlChannel(const ControlChannel&) = delete;
  ControlChannel& operator=(const ControlChannel&) = delete;

  ControlChannel(asio::io_context& io, const EngineOptions& options);
  ~ControlChannel();

  // Resolves the host and tries each of its addresses in order until one connects.
  // kErrorInternetNameNotResolved, kErrorInternetCannotConnect or kErrorInternetTimeout.
  Status connect(const ServerAddress& address);
  // Turns the connection into TLS (implicit TLS at once, explicit after AUTH TLS); from here on
  // nothing goes in clear. The certificate must name `host`.
  Status secure(TlsContext& context, const std::string& host);

  // Sends `line` followed by CR LF. The line must hold no CR, LF or NUL (checked by callers).
  Status send(std::string_view line);

  // The next complete reply, within the reply timeout (or by `deadline` when given). However
  // slowly its bytes arrive, the wait ends at the deadline.
  Status readReply(Reply* reply);
  // With a `watch` (a transfer's final reply), the wait gives its callback the word; a cancel
  // there gives kErrorOperationCancelled and leaves the connection as it is.
  Status readReply(Reply* reply, Deadline deadline, TransferWatch* watch = nullptr);
  // The next reply that is not preliminary (1xx): preliminary replies count against the same
  // deadline, so a server that only ever says "wait" cannot hold us.
  Status readFinalReply(Reply* reply, Deadline deadline);

  // send, then readReply; a 1xx reply is returned as it is for the caller to go on.
  Status command(std::string_view line, Reply* reply);

  bool dead() const { return m_dead; }
  // The certificate of a secured connection's server; empty before secure.
  CertificateDescription peerCertificate() const {
    return m_tls ? m_tls->peerCertificate() : CertificateDescription{};
  }
  // Ends the connection; used after a failure that leaves the protocol state unknown.
  void kill();
  void close();

  asio::ip::tcp::endpoint peer() const { return m_peer; }
  asio::ip::tcp::endpoint local() const { return m_local; }

 private:
  Status fail(const std::error_code& ec);
  Status fail(Status status);
  Status receive(char* buffer, size_t capacity, size_t* received, Deadline deadline,
                 TransferWatch* watch);

  asio::io_context& m_io;
  const EngineOptions& m_options;
  asio::ip::tcp::socket m_socket;
  std::unique_ptr<TlsStream> m_tls;  // once secured
  asio::ip::tcp::endpoint m_peer;
  asio::ip::tcp::endpoint m_local;
  ReplyReader m_reader;
  bool m_dead = false;
};

}  // namespace inet
