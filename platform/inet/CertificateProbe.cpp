#include "platform/inet/CertificateProbe.h"

#include "platform/inet/ControlChannel.h"
#include "platform/inet/ServerAddress.h"
#include "platform/inet/ServerReplies.h"

namespace inet {
namespace {

CertificateProbeResult failed(const Status& status) {
  CertificateProbeResult result;
  result.error = status.error;
  if (status.error == kErrorInternetExtendedError) {
    result.error = static_cast<uint32_t>(status.reply.code);
    result.text = status.reply.text;
  }
  return result;
}

// The greeting (120 "wait" replies count against its deadline), then AUTH TLS.
Status askForTls(ControlChannel& control, const EngineOptions& options) {
  Reply reply;
  Status status =
      control.readFinalReply(&reply, std::chrono::steady_clock::now() + options.replyTimeout);
  if (status.ok() && reply.code != 220) status = Status::refused(reply);
  if (status.ok()) status = control.command("AUTH TLS", &reply);
  if (status.ok() && reply.code != 234) {
    status = TlsFailure(kErrorInternetSecurityChannelError, "AUTH TLS: " + FirstLine(reply));
  }
  return status;
}

}  // namespace

CertificateProbeResult ProbeServerCertificate(const std::string& serverName, int32_t defaultPort,
                                              const EngineOptions& options) {
  const auto address = ParseServerAddress(serverName, defaultPort);
  if (!address || address->security == Security::Plain) {
    return failed(Status::failure(kErrorInvalidParameter));
  }
  std::unique_ptr<TlsContext> tls;
  Status status = TlsContext::createForInspection(&tls);
  if (!status.ok()) return failed(status);
  asio::io_context io;
  ControlChannel control(io, options);
  status = control.connect(*address);
  if (status.ok() && address->security == Security::ExplicitTls) {
    status = askForTls(control, options);
  }
  if (status.ok()) status = control.secure(*tls, address->host);
  if (!status.ok()) return failed(status);
  CertificateProbeResult result;
  result.certificate = control.peerCertificate();
  control.close();
  return result;
}

}  // namespace inet
