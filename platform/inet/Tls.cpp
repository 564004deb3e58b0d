#include "platform/inet/Tls.h"

#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <sys/stat.h>

#include <asio/ssl.hpp>
#include <cerrno>
#include <cstdio>
#include <string>

#include "platform/codepage/CodePage.h"
#include "platform/inet/ErrorTable.h"
#include "platform/inet/InternetApi.h"

namespace inet {
namespace {

using asio::ip::tcp;
using SslStream = asio::ssl::stream<tcp::socket&>;

// "AB:CD:..." of the certificate's SHA-256 digest, as `openssl x509 -fingerprint -sha256` shows.
std::string fingerprint(X509* certificate) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (certificate == nullptr || X509_digest(certificate, EVP_sha256(), digest, &length) != 1) {
    return {};
  }
  std::string text;
  for (unsigned int i = 0; i < length; ++i) {
    char hex[4];
    std::snprintf(hex, sizeof hex, i == 0 ? "%02X" : ":%02X", digest[i]);
    text += hex;
  }
  return text;
}

// The platform's code for a failed certificate check.
uint32_t codeForVerifyError(long error) {
  switch (error) {
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
    case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
    case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
    case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
    case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
    case X509_V_ERR_CERT_UNTRUSTED:
    case X509_V_ERR_INVALID_CA:
      return kErrorInternetInvalidCa;
    case X509_V_ERR_HOSTNAME_MISMATCH:
    case X509_V_ERR_IP_ADDRESS_MISMATCH:
      return kErrorInternetSecCertCnInvalid;
    case X509_V_ERR_CERT_HAS_EXPIRED:
    case X509_V_ERR_CERT_NOT_YET_VALID:
      return kErrorInternetSecCertDateInvalid;
    default:
      return kErrorInternetSecurityChannelError;
  }
}

constexpr char kTls12Ciphers[] = "ECDHE+AESGCM:ECDHE+CHACHA20:DHE+AESGCM:DHE+CHACHA20:!aNULL";

int contextIndex() {
  static const int index = SSL_CTX_get_ex_new_index(0, nullptr, nullptr, nullptr, nullptr);
  return index;
}

}  // namespace

struct TlsContext::Impl {
  asio::ssl::context context{asio::ssl::context::tls_client};
  SSL_SESSION* newest = nullptr;  // owned
  bool inspecting = false;        // every certificate is taken (createForInspection)

  ~Impl() {
    if (newest != nullptr) SSL_SESSION_free(newest);
  }

  // OpenSSL hands over each new session (at TLS 1.3 the tickets that follow a handshake): the
  // newest is the one the next connection resumes.
  static int keepNewest(SSL* ssl, SSL_SESSION* session) {
    auto* self = static_cast<Impl*>(SSL_CTX_get_ex_data(SSL_get_SSL_CTX(ssl), contextIndex()));
    if (self == nullptr) return 0;
    if (self->newest != nullptr) SSL_SESSION_free(self->newest);
    self->newest = session;
    return 1;  // the reference is ours now
  }
};

namespace {

// Adds every certificate of the PEM file `path` to `store`; false when the file cannot be read,
// breaks the PEM form, or holds no certificate.
bool addTrustFile(X509_STORE* store, const std::string& path) {
  BIO* file = BIO_new_file(path.c_str(), "rb");
  if (file == nullptr) return false;
  int added = 0;
  bool broken = false;
  ERR_clear_error();
  while (X509* certificate = PEM_read_bio_X509(file, nullptr, nullptr, nullptr)) {
    if (X509_STORE_add_cert(store, certificate) == 1) ++added;
    X509_free(certificate);
  }
  // The loop ends at the end of the file ("no start line"); anything else is a broken file.
  const unsigned long error = ERR_peek_last_error();
  if (ERR_GET_LIB(error) != ERR_LIB_PEM || ERR_GET_REASON(error) != PEM_R_NO_START_LINE) {
    broken = error != 0;
  }
  ERR_clear_error();
  BIO_free(file);
  return added > 0 && !broken;
}

// The trust file, when there is one: a missing file is no error, an unreadable one is.
bool loadTrustFile(X509_STORE* store, const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 && errno == ENOENT) return true;
  return addTrustFile(store, path);
}

}  // namespace

TlsContext::TlsContext() : m_impl(std::make_unique<Impl>()) {}
TlsContext::~TlsContext() = default;

Status TlsContext::create(const std::string& trustFile, bool tls12Only,
                          std::unique_ptr<TlsContext>* out) {
  std::unique_ptr<TlsContext> context(new TlsContext());
  SSL_CTX* native = context->m_impl->context.native_handle();
  SSL_CTX_set_min_proto_version(native, TLS1_2_VERSION);
  if (tls12Only) SSL_CTX_set_max_proto_version(native, TLS1_2_VERSION);
  // At TLS 1.2 only forward-secret AEAD suites (TLS 1.3 has no others); no renegotiation, which
  // an FTP client never needs and which has had its share of attacks.
  SSL_CTX_set_options(native, SSL_OP_NO_RENEGOTIATION);
  if (SSL_CTX_set_cipher_list(native, kTls12Ciphers) != 1) {
    return TlsFailure(kErrorInternetSecurityChannelError, "no TLS 1.2 cipher suite");
  }
  std::error_code ec;
  context->m_impl->context.set_default_verify_paths(ec);
  if (!trustFile.empty() && !loadTrustFile(SSL_CTX_get_cert_store(native), trustFile)) {
    return TlsFailure(
        kErrorInternetSecurityChannelError,
        codepage::ToAnsi(u"信頼する証明書のファイル Quillpst.pem を読み込めません。"));
  }
  // A trusted certificate ends the chain where it stands: the server's own certificate in the
  // trust file is enough, without its issuer.
  X509_VERIFY_PARAM_set_flags(SSL_CTX_get0_param(native), X509_V_FLAG_PARTIAL_CHAIN);
  context->m_impl->context.set_verify_mode(asio::ssl::verify_peer);
  SSL_CTX_set_ex_data(native, contextIndex(), context->m_impl.get());
  SSL_CTX_set_session_cache_mode(native, SSL_SESS_CACHE_CLIENT | SSL_SESS_CACHE_NO_INTERNAL_STORE);
  SSL_CTX_sess_set_new_cb(native, &Impl::keepNewest);
  *out = std::move(context);
  return Status::success();
}

Status TlsContext::createForInspection(std::unique_ptr<TlsContext>* out) {
  Status status = create("", false, out);
  if (status.ok()) (*out)->m_impl->inspecting = true;
  return status;
}

struct TlsStream::Impl {
  Impl(asio::io_context& io, tcp::socket& socket, TlsContext::Impl& context)
      : io(io), socket(socket), context(context), stream(socket, context.context) {}

  asio::io_context& io;
  tcp::socket& socket;
  TlsContext::Impl& context;
  SslStream stream;
  long verifyError = X509_V_OK;
  bool offered = false;  // a session to resume was offered
  std::string leafFingerprint;
};

TlsStream::TlsStream(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}
TlsStream::~TlsStream() = default;

namespace {

// Sets the name (or address) the certificate must name, and the name told to the server (SNI,
// never for an address: RFC 6066). False when the library refuses any of it: the name would
// then go unchecked, so the connection must not go on.
bool checkHost(SSL* ssl, const std::string& host) {
  std::error_code ec;
  asio::ip::address address = asio::ip::make_address(host, ec);
  if (!ec) {
    // A zone ("%eth0") says which of our interfaces leads there, not which host it is; the
    // certificate names the address alone.
    if (address.is_v6()) {
      asio::ip::address_v6 v6 = address.to_v6();
      v6.scope_id(0);
      address = v6;
    }
    return X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl), address.to_string().c_str()) == 1;
  }
  // "f*.example.jp" is no certificate for "foo.example.jp": a wildcard stands for a whole label.
  SSL_set_hostflags(ssl, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
  return SSL_set1_host(ssl, host.c_str()) == 1 && SSL_set_tlsext_host_name(ssl, host.c_str()) == 1;
}

}  // namespace

Status TlsStream::start(asio::io_context& io, tcp::socket& socket, TlsContext& context,
                        const std::string& host, Deadline deadline, std::unique_ptr<TlsStream>* out,
                        bool* sessionRefused, TransferWatch* watch) {
  auto impl = std::make_unique<Impl>(io, socket, context.impl());
  SSL* ssl = impl->stream.native_handle();
  if (!checkHost(ssl, host)) {
    return TlsFailure(
        kErrorInternetSecurityChannelError,
        codepage::ToAnsi(u"証明書と照らし合わせる接続先の名前を設定できません: ") + host);
  }
  if (context.impl().newest != nullptr) {
    SSL_set_session(ssl, context.impl().newest);
    impl->offered = true;
  }
  Impl* self = impl.get();
  impl->stream.set_verify_callback([self](bool preverified, asio::ssl::verify_context& verify) {
    X509_STORE_CTX* store = verify.native_handle();
    if (self->leafFingerprint.empty()) {
      self->leafFingerprint = fingerprint(X509_STORE_CTX_get0_cert(store));
    }
    if (!preverified && self->verifyError == X509_V_OK) {
      self->verifyError = X509_STORE_CTX_get_error(store);
    }
    return preverified || self->context.inspecting;
  });
  std::error_code ec;
  bool done = false;
  impl->stream.async_handshake(asio::ssl::stream_base::client, [&](const std::error_code& e) {
    ec = e;
    done = true;
  });
  AwaitOperation(
      io, done, ec, TimeLeft(deadline), [&] { socket.cancel(); }, watch);
  // Only a completed handshake tells: one that failed (a stranger's certificate on the data
  // port, say) says nothing of what the server resumes.
  if (sessionRefused != nullptr) {
    *sessionRefused =
        !ec && impl->offered && SSL_version(ssl) == TLS1_3_VERSION && SSL_session_reused(ssl) == 0;
  }
  if (ec == asio::error::timed_out) return Status::failure(kErrorInternetTimeout);
  if (ec) {
    if (impl->verifyError != X509_V_OK) {
      return TlsFailure(codeForVerifyError(impl->verifyError),
                        std::string(X509_verify_cert_error_string(impl->verifyError)) +
                            "\r\nSHA-256 " + impl->leafFingerprint);
    }
    return TlsFailure(kErrorInternetSecurityChannelError, ec.message());
  }
  out->reset(new TlsStream(std::move(impl)));
  return Status::success();
}

Status TlsStream::readSome(char* buffer, size_t capacity, size_t* received, bool* eof,
                           Deadline deadline, TransferWatch* watch) {
  std::error_code ec;
  bool done = false;
  *received = 0;
  *eof = false;
  m_impl->stream.async_read_some(asio::buffer(buffer, capacity),
                                 [&](const std::error_code& e, size_t n) {
                                   ec = e;
                                   *received = n;
                                   done = true;
                                 });
  AwaitOperation(
      m_impl->io, done, ec, TimeLeft(deadline), [&] { m_impl->socket.cancel(); }, watch);
  if (ec == asio::error::eof) {
    *eof = true;  // the peer's close_notify
    return Status::success();
  }
  return ec ? Status::failure(ConnectionErrorCode(ec)) : Status::success();
}

Status TlsStream::writeSome(std::string_view bytes, size_t* written, Deadline deadline,
                            TransferWatch* watch) {
  std::error_code ec;
  bool done = false;
  *written = 0;
  m_impl->stream.async_write_some(asio::buffer(bytes.data(), bytes.size()),
                                  [&](const std::error_code& e, size_t n) {
                                    ec = e;
                                    *written = n;
                                    done = true;
                                  });
  AwaitOperation(
      m_impl->io, done, ec, TimeLeft(deadline), [&] { m_impl->socket.cancel(); }, watch);
  return ec ? Status::failure(ConnectionErrorCode(ec)) : Status::success();
}

void TlsStream::takeTickets(Deadline deadline) {
  if (SSL_version(m_impl->stream.native_handle()) != TLS1_3_VERSION) return;
  const SSL_SESSION* before = m_impl->context.newest;
  char buffer[256];
  std::error_code ec;
  bool done = false;
  m_impl->stream.async_read_some(asio::buffer(buffer), [&](const std::error_code& e, size_t) {
    ec = e;
    done = true;
  });
  m_impl->io.restart();
  while (!done && m_impl->context.newest == before && std::chrono::steady_clock::now() < deadline) {
    m_impl->io.run_one_until(
        std::min(deadline, std::chrono::steady_clock::now() + std::chrono::milliseconds(10)));
  }
  if (done) return;
  m_impl->socket.cancel();
  m_impl->io.restart();
  while (!done && m_impl->io.run_one() != 0) {
  }
}

namespace {

// What OpenSSL prints of `bio`'s contents, as text.
std::string drain(BIO* bio) {
  char* data = nullptr;
  const long length = BIO_get_mem_data(bio, &data);
  std::string text(data != nullptr && length > 0 ? data : "", length > 0 ? length : 0);
  BIO_free(bio);
  return text;
}

std::string nameText(const X509_NAME* name) {
  BIO* bio = BIO_new(BIO_s_mem());
  X509_NAME_print_ex(bio, name, 0, XN_FLAG_RFC2253);
  return drain(bio);
}

std::string timeText(const ASN1_TIME* time) {
  BIO* bio = BIO_new(BIO_s_mem());
  ASN1_TIME_print(bio, time);
  return drain(bio);
}

}  // namespace

CertificateDescription TlsStream::peerCertificate() const {
  CertificateDescription description;
  X509* certificate = SSL_get1_peer_certificate(m_impl->stream.native_handle());
  if (certificate == nullptr) return description;
  BIO* pem = BIO_new(BIO_s_mem());
  PEM_write_bio_X509(pem, certificate);
  description.pem = drain(pem);
  description.subject = nameText(X509_get_subject_name(certificate));
  description.issuer = nameText(X509_get_issuer_name(certificate));
  description.notBefore = timeText(X509_get0_notBefore(certificate));
  description.notAfter = timeText(X509_get0_notAfter(certificate));
  description.sha256 = fingerprint(certificate);
  X509_free(certificate);
  return description;
}

Status TlsStream::shutdown(Deadline deadline, PeerClose peer, TransferWatch* watch) {
  std::error_code ec;
  bool done = false;
  m_impl->stream.async_shutdown([&](const std::error_code& e) {
    ec = e;
    done = true;
  });
  AwaitOperation(
      m_impl->io, done, ec, TimeLeft(deadline), [&] { m_impl->socket.cancel(); }, watch);
  // Both close_notify messages went: asio reports the peer's as the end of the stream.
  if (!ec || ec == asio::error::eof) return Status::success();
  // The peer closed without its close_notify, after ours had gone out.
  const bool sent = (SSL_get_shutdown(m_impl->stream.native_handle()) & SSL_SENT_SHUTDOWN) != 0;
  if (peer == PeerClose::AnyClose && sent && ec == asio::ssl::error::stream_truncated) {
    return Status::success();
  }
  return Status::failure(ConnectionErrorCode(ec));
}

}  // namespace inet
