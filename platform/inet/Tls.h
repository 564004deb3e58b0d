// TLS for the engine's connections (FTP over TLS, RFC 4217), over OpenSSL: the client context
// of a session with its trust, and one secured connection. Certificates are checked against the
// system's store plus an optional trust file, and against the server's name (or address); TLS
// 1.2 at least. A refusal is a Status whose reply carries the platform's code for it (12037,
// 12038, 12045, 12157) and a Japanese text naming the reason and the certificate's SHA-256
// fingerprint, for InternetGetLastResponseInfoA.
#pragma once

#include <asio.hpp>
#include <memory>
#include <string>
#include <string_view>

#include "platform/inet/AsioWait.h"
#include "platform/inet/CertificateDescription.h"
#include "platform/inet/FtpStatus.h"

namespace inet {

// A failure of this layer, told the way a server's refusal is: kErrorInternetExtendedError,
// with `code` and a text that explains it (the message of `code`, then `detail`).
Status TlsFailure(uint32_t code, std::string_view detail);

class TlsContext {
 public:
  // The context of one session. `trustFile` may name a PEM file of certificates trusted in
  // addition to the system's store (CA certificates, or the server's own); a missing file is no
  // error, one that cannot be read or holds no certificate is (12157), never "trust anything".
  // `tls12Only` keeps the session at TLS 1.2 (see FtpSession's fallback).
  static Status create(const std::string& trustFile, bool tls12Only,
                       std::unique_ptr<TlsContext>* out);
  // The context of a look at a server's certificate (--print-certificate): every certificate
  // is taken, so that it can be shown; nothing may be sent over such a connection but what
  // reaching the certificate takes.
  static Status createForInspection(std::unique_ptr<TlsContext>* out);
  ~TlsContext();
  TlsContext(const TlsContext&) = delete;
  TlsContext& operator=(const TlsContext&) = delete;

  struct Impl;
  Impl& impl() { return *m_impl; }

 private:
  TlsContext();
  std::unique_ptr<Impl> m_impl;
};

class TlsStream {
 public:
  // Handshakes as the client on the connected `socket`, checking the certificate against `host`
  // (a name or an address literal). Every connection of a session resumes the newest TLS
  // session the context has seen (servers require data connections to reuse the control
  // connection's session; at TLS 1.3 each ticket serves once).
  // `*sessionRefused` (when not null) tells that the handshake succeeded, at TLS 1.3, without
  // resuming the session it offered: a server that requires data connections to reuse the
  // control connection's session refuses such a connection. A failed handshake never sets it.
  // A `watch` (a data connection's) gives the caller's status callback the word while waiting.
  static Status start(asio::io_context& io, asio::ip::tcp::socket& socket, TlsContext& context,
                      const std::string& host, Deadline deadline, std::unique_ptr<TlsStream>* out,
                      bool* sessionRefused = nullptr, TransferWatch* watch = nullptr);
  ~TlsStream();
  TlsStream(const TlsStream&) = delete;
  TlsStream& operator=(const TlsStream&) = delete;

  // `*eof` only after the peer's close_notify; a connection closed without it is a truncation
  // (kErrorInternetConnectionAborted), never an end.
  // With a `watch`, the waits give its callback the word (and end when it cancels).
  Status readSome(char* buffer, size_t capacity, size_t* received, bool* eof, Deadline deadline,
                  TransferWatch* watch = nullptr);
  Status writeSome(std::string_view bytes, size_t* written, Deadline deadline,
                   TransferWatch* watch = nullptr);
  // At TLS 1.3 the server sends its session tickets after the handshake. A connection that only
  // writes (an upload) would never read them, and once our close_notify is out they are
  // dropped, so the next data connection could only offer a ticket already used, which servers
  // that take each ticket once refuse. Reads until a new ticket arrived or `deadline` passed.
  // Nothing else may arrive on such a connection.
  void takeTickets(Deadline deadline);
  // How the peer must end the connection. After a download the peer's close_notify proves
  // that the data ended where the server meant it to; after an upload the server's final reply
  // proves what it would, and servers that close without it (Microsoft's among them) are no
  // fault.
  enum class PeerClose { CloseNotify, AnyClose };
  // The certificate the server showed; empty fields when it showed none.
  CertificateDescription peerCertificate() const;

  // Sends close_notify and waits for the peer's, or with AnyClose for the peer to close in any
  // orderly way (a reset is still a failure).
  Status shutdown(Deadline deadline, PeerClose peer = PeerClose::CloseNotify,
                  TransferWatch* watch = nullptr);

  struct Impl;

 private:
  explicit TlsStream(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> m_impl;
};

}  // namespace inet
