// SFTP where the program is built without libssh2: a session that cannot be opened.
#include "platform/inet/ExplainedFailure.h"
#include "platform/inet/HostKeyReport.h"
#include "platform/inet/RemoteSession.h"

namespace inet {
namespace {

class SftpUnavailable final : public RemoteSession {
 public:
  Status open(const ServerAddress&, const std::string&, const std::string&) override {
    return ExplainedFailure(kErrorSshNegotiationFailed, "SFTP is not built into this program");
  }
  WireNames names() const override { return {}; }
  Status printWorkingDirectory(std::string*) override { return dropped(); }
  void forgetDirectory() override {}
  Status changeDirectory(const std::string&) override { return dropped(); }
  Status deleteFile(const std::string&) override { return dropped(); }
  Status makeDirectory(const std::string&) override { return dropped(); }
  Status removeDirectory(const std::string&) override { return dropped(); }
  Status rename(const std::string&, const std::string&) override { return dropped(); }
  Status list(const std::string&, ListingCollector&) override { return dropped(); }
  Status fileSize(const std::string&, uint64_t*) override { return dropped(); }
  Status retrieve(const std::string&, TransferType, const Sink&, TransferWatch*) override {
    return dropped();
  }
  Status store(const std::string&, TransferType, int, TransferWatch*) override { return dropped(); }
  void quit() override {}

 private:
  static Status dropped() { return Status::failure(kErrorFtpDropped); }
};

}  // namespace

std::unique_ptr<RemoteSession> MakeSftpSession(const EngineOptions&) {
  return std::make_unique<SftpUnavailable>();
}

uint32_t WriteServerHostKeys(const std::string&, const EngineOptions&, std::ostream&) {
  return kErrorSshNegotiationFailed;
}

}  // namespace inet
