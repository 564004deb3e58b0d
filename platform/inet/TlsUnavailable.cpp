// TLS in a build without a TLS library (the Windows build, for now): every secured session is
// refused before anything is sent, so "ftps://" and "ftpes://" end in an error and nothing that
// asked for TLS ever goes in clear.
#include "platform/codepage/CodePage.h"
#include "platform/inet/InternetApi.h"
#include "platform/inet/Tls.h"

namespace inet {
namespace {

Status unavailable() {
  return TlsFailure(kErrorInternetSecurityChannelError,
                    codepage::ToAnsi(u"この版は FTPS (ftps://, ftpes://) に対応していません。"));
}

}  // namespace

struct TlsContext::Impl {};
TlsContext::TlsContext() = default;
TlsContext::~TlsContext() = default;

Status TlsContext::create(const std::string&, bool, std::unique_ptr<TlsContext>*) {
  return unavailable();
}

struct TlsStream::Impl {};
TlsStream::TlsStream(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}
TlsStream::~TlsStream() = default;

Status TlsStream::start(asio::io_context&, asio::ip::tcp::socket&, TlsContext&, const std::string&,
                        Deadline, std::unique_ptr<TlsStream>*, bool*, TransferWatch*) {
  return unavailable();
}

Status TlsStream::readSome(char*, size_t, size_t*, bool*, Deadline, TransferWatch*) {
  return unavailable();
}
Status TlsStream::writeSome(std::string_view, size_t*, Deadline, TransferWatch*) {
  return unavailable();
}
void TlsStream::takeTickets(Deadline) {}
Status TlsContext::createForInspection(std::unique_ptr<TlsContext>*) { return unavailable(); }
CertificateDescription TlsStream::peerCertificate() const { return {}; }
Status TlsStream::shutdown(Deadline, PeerClose, TransferWatch*) { return unavailable(); }

}  // namespace inet
