// Internal to the engine: one logged-in session with a server, whatever its protocol (FTP, or
// SFTP over SSH), as FtpEngine's handles use it. Names and paths passed in are already in their
// wire form (names() says which) and checked for CR, LF and NUL; every result is a Status of
// FtpStatus.h with the error codes InternetApi.h lists.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/inet/FtpEngine.h"
#include "platform/inet/FtpStatus.h"
#include "platform/inet/ListingCollector.h"
#include "platform/inet/ServerAddress.h"
#include "platform/inet/TransferWatch.h"
#include "platform/inet/WireNames.h"

namespace inet {

enum class TransferType { Ascii, Binary };

class RemoteSession {
 public:
  using Sink = std::function<Status(std::string_view block)>;

  virtual ~RemoteSession() = default;

  // Connects and logs in as `user` with `password` (both as the engine chose them).
  virtual Status open(const ServerAddress& address, const std::string& user,
                      const std::string& password) = 0;

  // How names travel between the API's CP932 bytes and this server.
  virtual WireNames names() const = 0;

  // The current directory; the same answer until forgetDirectory, or until a directory change.
  virtual Status printWorkingDirectory(std::string* path) = 0;
  // To be called before anything that may move the current directory or rename or remove a
  // folder above it.
  virtual void forgetDirectory() = 0;

  virtual Status changeDirectory(const std::string& directory) = 0;
  virtual Status deleteFile(const std::string& name) = 0;
  virtual Status makeDirectory(const std::string& directory) = 0;
  virtual Status removeDirectory(const std::string& directory) = 0;
  virtual Status rename(const std::string& from, const std::string& to) = 0;
  // The size of `name` as stored: kErrorNotSupported when the server has no way to tell.
  virtual Status fileSize(const std::string& name, uint64_t* size) = 0;

  // Lists `directory` (empty: the current one) into `collector`. A listing longer than the
  // engine's byte cap is cut there and gives kErrorMoreData: what `collector` received stands.
  virtual Status list(const std::string& directory, ListingCollector& collector) = 0;

  // Downloads `name`, handing each block to `sink`; a sink failure aborts. A transfer that
  // ends short of the size the server announced gives kErrorHandleEof. `watch`, when not null,
  // hears the progress and may cancel (kErrorOperationCancelled).
  virtual Status retrieve(const std::string& name, TransferType type, const Sink& sink,
                          TransferWatch* watch) = 0;
  // Uploads the open regular file `fd` from its current offset as `name`; succeeds only when
  // the server confirmed that it stored every byte.
  virtual Status store(const std::string& name, TransferType type, int fd,
                       TransferWatch* watch) = 0;

  // Says goodbye within the quit timeout and closes.
  virtual void quit() = 0;
};

// The session of each protocol (FtpRemoteSession.cpp, SftpSession.cpp), not yet open. Never
// null.
std::unique_ptr<RemoteSession> MakeFtpRemoteSession(const EngineOptions& options, bool passive);
std::unique_ptr<RemoteSession> MakeSftpSession(const EngineOptions& options);

}  // namespace inet
