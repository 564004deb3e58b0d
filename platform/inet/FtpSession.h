// Internal to the engine: one logged-in FTP session, its control connection and what it has
// learned of the server (features, refused commands, the current transfer type). Names and
// paths passed in are already in their wire form; the engine converts and checks them.
#pragma once

#include <asio.hpp>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/inet/AsciiConversion.h"
#include "platform/inet/CommandChoice.h"
#include "platform/inet/ControlChannel.h"
#include "platform/inet/DataChannel.h"
#include "platform/inet/FtpEngine.h"
#include "platform/inet/FtpStatus.h"
#include "platform/inet/ListingParser.h"
#include "platform/inet/RemoteSession.h"
#include "platform/inet/ServerAddress.h"
#include "platform/inet/ServerReplies.h"
#include "platform/inet/Tls.h"
#include "platform/inet/TransferWatch.h"

namespace inet {

class FtpSession {
 public:
  using Sink = std::function<Status(std::string_view block)>;
  // Receives a listing's bytes as they arrive, with the format of the command that sent them.
  using ListingSink = std::function<void(ListingFormat format, std::string_view block)>;

  FtpSession(const EngineOptions& options, bool passive);
  FtpSession(const FtpSession&) = delete;
  FtpSession& operator=(const FtpSession&) = delete;

  // Connects, reads the greeting, logs in, learns the features and, for a UTF8 server, sends
  // OPTS UTF8 ON (whatever it answers: the FEAT line alone decides the name encoding). When the
  // address asks for TLS: implicit TLS before the greeting, or AUTH TLS right after it; then
  // PBSZ 0 and PROT P after login, so that every data connection is in TLS too. TLS that cannot
  // be had fails the connection before USER is sent: there is no fallback to clear text.
  Status open(const ServerAddress& address, const std::string& user, const std::string& password);

  // A command answered by 2xx; anything else is a refusal.
  Status simpleCommand(std::string_view verb, const std::string& argument);
  Status rename(const std::string& from, const std::string& to);
  // What SIZE says of `name` in binary mode: kErrorNotSupported when the server lacks SIZE.
  Status fileSize(const std::string& name, uint64_t* size);
  // The current directory: PWD once, then the same answer until forgetDirectory.
  Status printWorkingDirectory(std::string* path);
  // To be called before any command that may move the current directory or rename or remove
  // a folder above it: the next printWorkingDirectory asks the server again.
  void forgetDirectory() { m_directory.reset(); }

  // Lists `directory` (empty: the current one) into `sink`: MLSD when the server has it, else
  // LIST. A listing longer than the engine's byte cap is cut there and gives kErrorMoreData:
  // what `sink` received stands, the rest was never read.
  Status list(const std::string& directory, const ListingSink& sink);

  // Downloads `name`, handing each converted block to `sink`; a sink failure aborts. In binary
  // mode a transfer that ends short of the size the server announced (SIZE) gives
  // kErrorHandleEof, whatever the final reply says.
  // `watch`, when not null, hears the progress and may cancel (kErrorOperationCancelled).
  Status retrieve(const std::string& name, TransferType type, const Sink& sink,
                  TransferWatch* watch = nullptr);
  // Uploads the open regular file `fd` from its current offset as `name`. Succeeds only when every
  // byte went through the data connection, the server closed it cleanly and then confirmed
  // with 2xx; a confirmation before the data connection carried the file is
  // kErrorInvalidServerResponse.
  Status store(const std::string& name, TransferType type, int fd, TransferWatch* watch = nullptr);

  // Sends QUIT, waits briefly for its answer, and closes.
  void quit();

  bool utf8() const { return m_features.utf8; }

 private:
  enum class TransferKind { Listing, Download, Upload };
  using Body = std::function<Status(DataChannel&)>;

  Status secureControl(const ServerAddress& address);
  Status protectData();
  Status greet();
  Status login(const std::string& user, const std::string& password);
  Status learnFeatures();
  Status ensureType(TransferType type);
  Status openData(DataChannel& data);
  Status openPassive(DataChannel& data);
  Status requestEpsv(uint16_t* port);
  Status requestPasv(uint16_t* port);
  Status openActive(DataChannel& data);
  Status announceActivePort(const asio::ip::address& address, uint16_t port);
  Status transfer(const std::string& command, TransferKind kind, const Body& body);
  Status transferOnce(const std::string& command, TransferKind kind, const Body& body,
                      bool* retryAtTls12);
  Status reopenAtTls12();
  Status moveData(DataChannel& data, TransferKind kind, const Body& body, Deadline* deadline);
  Status abortTransfer(DataChannel& data, Status cause);
  Status cancelTransfer(DataChannel& data);
  Status listWith(ListingFormat format, const std::string& directory, const ListingSink& sink);
  // What SIZE says of `name`; nullopt when the server does not say.
  Status announcedSize(const std::string& name, std::optional<uint64_t>* size);
  // Reads `fd` block by block and sends it, line ends converted when `toNetwork` is given.
  // Binary uploads too: sendfile(2) spares a copy, but on loopback against vsftpd it measured
  // about a fifth slower than these block reads and writes (bench/RESULTS.md).
  Status sendByReading(DataChannel& data, int fd, LfToCrlf* toNetwork);

  const EngineOptions& m_options;
  asio::io_context m_io;
  ControlChannel m_control;
  bool m_passive;
  ServerAddress m_address;  // where open() connected, for a reconnection
  std::string m_user;
  std::string m_password;
  std::unique_ptr<TlsContext> m_tls;  // set when the session is in TLS
  bool m_tls12Only = false;
  ServerFeatures m_features;
  Refusals m_refusals;
  std::optional<TransferType> m_type;      // unknown until the first TYPE
  std::optional<std::string> m_directory;  // what PWD last said, until forgetDirectory
  TransferWatch* m_watch = nullptr;        // the running transfer's, when it is watched
};

}  // namespace inet
