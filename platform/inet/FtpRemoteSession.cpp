// FtpSession behind the RemoteSession interface: each operation is the FTP command that does it.
#include "platform/inet/FtpSession.h"
#include "platform/inet/RemoteSession.h"

namespace inet {
namespace {

class FtpRemoteSession final : public RemoteSession {
 public:
  FtpRemoteSession(const EngineOptions& options, bool passive) : m_ftp(options, passive) {}

  Status open(const ServerAddress& address, const std::string& user,
              const std::string& password) override {
    return m_ftp.open(address, user, password);
  }

  WireNames names() const override {
    WireNames names;
    names.setUtf8(m_ftp.utf8());
    return names;
  }

  Status printWorkingDirectory(std::string* path) override {
    return m_ftp.printWorkingDirectory(path);
  }
  void forgetDirectory() override { m_ftp.forgetDirectory(); }

  Status changeDirectory(const std::string& directory) override {
    return m_ftp.simpleCommand("CWD", directory);
  }
  Status deleteFile(const std::string& name) override { return m_ftp.simpleCommand("DELE", name); }
  Status makeDirectory(const std::string& directory) override {
    return m_ftp.simpleCommand("MKD", directory);
  }
  Status removeDirectory(const std::string& directory) override {
    return m_ftp.simpleCommand("RMD", directory);
  }
  Status rename(const std::string& from, const std::string& to) override {
    return m_ftp.rename(from, to);
  }

  Status list(const std::string& directory, ListingCollector& collector) override {
    ListingFormat format = ListingFormat::List;
    Status status = m_ftp.list(directory, [&](ListingFormat f, std::string_view block) {
      format = f;
      collector.feed(f, block);
    });
    // After a cut the partial line at the cut is dropped, not finished.
    if (status.ok()) collector.finish(format);
    return status;
  }

  Status fileSize(const std::string& name, uint64_t* size) override {
    return m_ftp.fileSize(name, size);
  }

  Status retrieve(const std::string& name, TransferType type, const Sink& sink,
                  TransferWatch* watch) override {
    return m_ftp.retrieve(name, type, sink, watch);
  }
  Status store(const std::string& name, TransferType type, int fd, TransferWatch* watch) override {
    return m_ftp.store(name, type, fd, watch);
  }

  void quit() override { m_ftp.quit(); }

 private:
  FtpSession m_ftp;
};

}  // namespace

std::unique_ptr<RemoteSession> MakeFtpRemoteSession(const EngineOptions& options, bool passive) {
  return std::make_unique<FtpRemoteSession>(options, passive);
}

}  // namespace inet
