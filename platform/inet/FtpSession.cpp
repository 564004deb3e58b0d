#include "platform/inet/FtpSession.h"

#include "platform/files/FileIo.h"
#include "platform/inet/AsciiConversion.h"
#include "platform/inet/PassiveReply.h"

namespace inet {
namespace {

// Transfers move in blocks of 64 KiB: with each block sent straight to the socket, uploads on
// loopback against vsftpd were fastest at this size (bench/RESULTS.md).
constexpr size_t kBlockSize = 64 * 1024;

bool isPositive(const Reply& reply) { return reply.code >= 200 && reply.code < 300; }
bool isPermanentRefusal(const Reply& reply) { return reply.code >= 500 && reply.code < 600; }

std::string commandLine(std::string_view verb, const std::string& argument) {
  std::string line(verb);
  if (!argument.empty()) line.append(" ").append(argument);
  return line;
}

// The address for EPRT: no IPv6 zone (the server has no use for ours).
std::string addressText(const asio::ip::address& address) {
  if (!address.is_v6()) return address.to_string();
  asio::ip::address_v6 v6 = address.to_v6();
  v6.scope_id(0);
  return v6.to_string();
}

}  // namespace

FtpSession::FtpSession(const EngineOptions& options, bool passive)
    : m_options(options), m_control(m_io, options), m_passive(passive) {}

Status FtpSession::open(const ServerAddress& address, const std::string& user,
                        const std::string& password) {
  m_address = address;
  m_user = user;
  m_password = password;
  Status status = Status::success();
  if (address.security != Security::Plain) {
    status = TlsContext::create(m_options.trustFile, m_tls12Only, &m_tls);
  }
  if (status.ok()) status = m_control.connect(address);
  if (status.ok() && address.security == Security::ImplicitTls) {
    status = m_control.secure(*m_tls, address.host);
  }
  if (status.ok()) status = greet();
  if (status.ok() && address.security == Security::ExplicitTls) status = secureControl(address);
  if (status.ok()) status = login(user, password);
  if (status.ok()) status = learnFeatures();
  if (status.ok() && m_tls) status = protectData();
  if (status.ok() && m_features.utf8) {
    Reply reply;
    status = m_control.command("OPTS UTF8 ON", &reply);
  }
  if (!status.ok()) m_control.close();
  return status;
}

Status FtpSession::secureControl(const ServerAddress& address) {
  Reply reply;
  Status status = m_control.command("AUTH TLS", &reply);
  if (status.ok() && reply.code != 234) {
    return TlsFailure(kErrorInternetSecurityChannelError, "AUTH TLS: " + FirstLine(reply));
  }
  return status.ok() ? m_control.secure(*m_tls, address.host) : status;
}

Status FtpSession::protectData() {
  // RFC 4217: PBSZ 0 must come before PROT; PROT P puts every data connection in TLS.
  for (const char* command : {"PBSZ 0", "PROT P"}) {
    Reply reply;
    Status status = m_control.command(command, &reply);
    if (!status.ok()) return status;
    if (!isPositive(reply)) {
      return TlsFailure(kErrorInternetSecurityChannelError,
                        std::string(command) + ": " + FirstLine(reply));
    }
  }
  return Status::success();
}

Status FtpSession::greet() {
  // 120: "service ready in nnn minutes"; the real greeting follows, within the same deadline.
  Reply reply;
  Status status =
      m_control.readFinalReply(&reply, std::chrono::steady_clock::now() + m_options.replyTimeout);
  if (!status.ok()) return status;
  return reply.code == 220 ? Status::success() : Status::refused(reply);
}

Status FtpSession::login(const std::string& user, const std::string& password) {
  Reply reply;
  Status status = m_control.command(commandLine("USER", user), &reply);
  if (!status.ok()) return status;
  if (reply.code == 230) return Status::success();
  if (reply.code != 331 && reply.code != 332) return Status::refused(reply);
  // The password goes only to the socket: never into a log or an error text.
  status = m_control.command(commandLine("PASS", password), &reply);
  if (!status.ok()) return status;
  // 202: the server needs no password. 332 asks for an account, which we do not have.
  if (reply.code == 230 || reply.code == 202) return Status::success();
  return Status::refused(reply);
}

Status FtpSession::learnFeatures() {
  Reply reply;
  Status status = m_control.command("FEAT", &reply);
  if (!status.ok()) return status;
  m_features = ParseFeatures(reply);
  return Status::success();
}

Status FtpSession::simpleCommand(std::string_view verb, const std::string& argument) {
  Reply reply;
  Status status = m_control.command(commandLine(verb, argument), &reply);
  if (!status.ok()) return status;
  return isPositive(reply) ? Status::success() : Status::refused(reply);
}

Status FtpSession::rename(const std::string& from, const std::string& to) {
  Reply reply;
  Status status = m_control.command(commandLine("RNFR", from), &reply);
  if (!status.ok()) return status;
  if (reply.code != 350) return Status::refused(reply);
  return simpleCommand("RNTO", to);
}

Status FtpSession::printWorkingDirectory(std::string* path) {
  // Listings and transfers leave the directory where it is: a list refreshed after an upload
  // needs no second PWD. A dropped connection still fails as before.
  if (m_directory && !m_control.dead()) {
    *path = *m_directory;
    return Status::success();
  }
  Reply reply;
  Status status = m_control.command("PWD", &reply);
  if (!status.ok()) return status;
  const auto parsed = ParsePwdReply(reply);
  if (!parsed) return Status::refused(reply);
  m_directory = *parsed;
  *path = *parsed;
  return Status::success();
}

Status FtpSession::ensureType(TransferType type) {
  if (m_type == type) return Status::success();
  Status status = simpleCommand(type == TransferType::Ascii ? "TYPE A" : "TYPE I", "");
  if (status.ok()) m_type = type;
  return status;
}

Status FtpSession::openData(DataChannel& data) {
  return m_passive ? openPassive(data) : openActive(data);
}

Status FtpSession::openPassive(DataChannel& data) {
  uint16_t port = 0;
  const bool v6 = m_control.peer().address().is_v6();
  Status status = Status::failure(kErrorInternetExtendedError);
  if (ChoosePassiveCommand(m_features, m_refusals, v6) == PassiveCommand::Epsv) {
    status = requestEpsv(&port);
    // Any refusal or unreadable 229 falls back to PASV; for a lasting one (5xx, or a 229 that
    // cannot be read), for the rest of the session.
    if (status.error == kErrorInternetExtendedError &&
        (isPermanentRefusal(status.reply) || status.reply.code == 229)) {
      m_refusals.add(Refusal::Epsv);
    } else if (!status.ok() && status.error != kErrorInternetExtendedError) {
      return status;
    }
  }
  if (!status.ok()) status = requestPasv(&port);
  if (!status.ok()) return status;
  // Always the control connection's peer, never the address a 227 reply names: a server must
  // not steer our connections to another host.
  return data.connect(asio::ip::tcp::endpoint(m_control.peer().address(), port));
}

Status FtpSession::requestEpsv(uint16_t* port) {
  Reply reply;
  Status status = m_control.command("EPSV", &reply);
  if (!status.ok()) return status;
  const auto parsed = reply.code == 229 ? ParseEpsvReply(reply.text) : std::nullopt;
  if (!parsed) return Status::refused(reply);
  *port = *parsed;
  return Status::success();
}

Status FtpSession::requestPasv(uint16_t* port) {
  Reply reply;
  Status status = m_control.command("PASV", &reply);
  if (!status.ok()) return status;
  const auto parsed = reply.code == 227 ? ParsePasvReply(reply.text) : std::nullopt;
  if (!parsed) return Status::refused(reply);
  *port = parsed->port;
  return Status::success();
}

Status FtpSession::openActive(DataChannel& data) {
  const asio::ip::address local = m_control.local().address();
  uint16_t port = 0;
  Status status = data.listen(local, &port);
  if (!status.ok()) return status;
  return announceActivePort(local, port);
}

Status FtpSession::announceActivePort(const asio::ip::address& address, uint16_t port) {
  if (ChooseActiveCommand(m_refusals, address.is_v6()) == ActiveCommand::Eprt) {
    const std::string family = address.is_v6() ? "2" : "1";
    Reply reply;
    Status status = m_control.command(
        "EPRT |" + family + "|" + addressText(address) + "|" + std::to_string(port) + "|", &reply);
    if (!status.ok()) return status;
    if (isPositive(reply)) return Status::success();
    if (!isPermanentRefusal(reply) || address.is_v6()) return Status::refused(reply);
    m_refusals.add(Refusal::Eprt);  // RFC 2428: fall back to PORT for IPv4
  }
  const auto bytes = address.to_v4().to_bytes();
  std::string line = "PORT ";
  for (unsigned char b : bytes) line += std::to_string(b) + ",";
  line += std::to_string(port >> 8) + "," + std::to_string(port & 0xFF);
  return simpleCommand(line, "");
}

Status FtpSession::transfer(const std::string& command, TransferKind kind, const Body& body) {
  bool retryAtTls12 = false;
  Status status = transferOnce(command, kind, body, &retryAtTls12);
  if (status.ok() || !retryAtTls12 || !reopenAtTls12().ok()) return status;
  if (m_watch) m_watch->restart();
  return transferOnce(command, kind, body, &retryAtTls12);
}

// Some servers (proftpd among them) take each TLS 1.3 ticket once and send none on an upload's
// data connection, yet require every data connection to resume the control connection's
// session: the connection after an upload is refused. Such a server gets a new control
// connection limited to TLS 1.2, where a session resumes any number of times, back in the same
// directory and transfer type; the refused transfer is tried once more.
Status FtpSession::reopenAtTls12() {
  std::string directory;
  Status status = printWorkingDirectory(&directory);
  if (!status.ok()) return status;
  const std::optional<TransferType> type = m_type;
  m_control.close();
  m_tls12Only = true;
  m_type.reset();
  status = open(m_address, m_user, m_password);
  if (status.ok()) status = simpleCommand("CWD", directory);
  forgetDirectory();
  if (status.ok() && type) status = ensureType(*type);
  return status;
}

Status FtpSession::transferOnce(const std::string& command, TransferKind kind, const Body& body,
                                bool* retryAtTls12) {
  DataChannel data(m_io, m_options);
  data.setWatch(m_watch);
  Status status = openData(data);
  if (!status.ok()) return status;
  Reply reply;
  status = m_control.command(command, &reply);
  if (!status.ok()) return status;
  if (isPositive(reply)) {
    // Some servers answer an empty listing or file with 2xx alone, opening no data connection.
    // An upload confirmed before its data connection carried anything was not stored.
    return kind == TransferKind::Upload ? Status::failure(kErrorInvalidServerResponse)
                                        : Status::success();
  }
  if (reply.code >= 200 || reply.code < 100) return Status::refused(reply);
  Deadline deadline;
  status = moveData(data, kind, body, &deadline);
  if (!status.ok() && status.error != kErrorOperationCancelled) {
    status = abortTransfer(data, status);
  } else if (status.ok()) {
    data.close();
    // Success only with the server's own word that the transfer completed (226 or 250).
    status = m_control.readReply(&reply, deadline, m_watch);
    if (status.ok() && !isPositive(reply)) status = Status::refused(reply);
  }
  if (status.error == kErrorOperationCancelled) return cancelTransfer(data);
  // A session the server would not resume shows as the server refusing the transfer after a
  // completed handshake. Nothing else triggers the fallback: a handshake that failed (anyone
  // on the path can make one fail) must not cap the session at TLS 1.2. It is tried again only
  // where nothing reached the caller: an upload reads its file again.
  const bool refusedByServer =
      status.error == kErrorInternetExtendedError && status.reply.code >= 400;
  *retryAtTls12 = !m_tls12Only && data.tlsResumptionRefused() && refusedByServer &&
                  (kind == TransferKind::Upload || data.bytesMoved() == 0);
  return status;
}

// Accepts (active mode) and secures the data connection, runs `body`, and ends the connection
// as `kind` wants. `*deadline` bounds the wait for the final reply from then on: for an upload
// the server's close and its reply share one reply timeout.
Status FtpSession::moveData(DataChannel& data, TransferKind kind, const Body& body,
                            Deadline* deadline) {
  Status status = Status::success();
  if (!m_passive) status = data.accept(m_control.peer().address());
  if (status.ok() && m_tls) status = data.secure(*m_tls, m_address.host);
  if (status.ok()) status = body(data);
  *deadline = std::chrono::steady_clock::now() + m_options.replyTimeout;
  if (!status.ok()) return status;
  return kind == TransferKind::Upload ? data.finishUpload(*deadline)
                                      : data.finishDownload(*deadline);
}

Status FtpSession::abortTransfer(DataChannel& data, Status cause) {
  data.close();
  // The server usually explains a broken transfer (426, 451, 552); its words beat ours. A
  // server that says nothing leaves the protocol state unknown, so the connection ends. After
  // a listing cut at the cap the session goes on, so the server gets the full reply timeout.
  const auto wait = cause.error == kErrorMoreData ? m_options.replyTimeout : m_options.quitTimeout;
  Reply reply;
  Status answer = m_control.readReply(&reply, std::chrono::steady_clock::now() + wait);
  if (!answer.ok()) {
    // What broke the transfer tells more than the drop that may follow it.
    m_control.kill();
    return cause;
  }
  const bool dataFailure = cause.error == kErrorInternetConnectionAborted ||
                           cause.error == kErrorInternetTimeout ||
                           cause.error == kErrorInternetCannotConnect;
  if (dataFailure && reply.code >= 400) return Status::refused(reply);
  return cause;
}

// The caller cancelled: the data connection goes at once and ABOR tells the server (RFC 959).
// What it answers to the transfer and to ABOR differs between servers (426 then 226, 226 twice,
// 225, 500); NOOP's 200, which none of them is, marks where those answers end, so the control
// connection stays usable. NOOP goes only once the server has begun to answer ABOR: pure-ftpd
// throws away whatever came in with ABOR. A server that does not answer within a second leaves
// the state unknown: the connection is dropped.
Status FtpSession::cancelTransfer(DataChannel& data) {
  data.close();
  const Deadline deadline =
      std::chrono::steady_clock::now() +
      std::min<std::chrono::milliseconds>(m_options.quitTimeout, std::chrono::seconds(1));
  Status status = m_control.send("ABOR");
  Reply reply;
  if (status.ok()) status = m_control.readReply(&reply, deadline);
  if (status.ok()) status = m_control.send("NOOP");
  while (status.ok()) {
    status = m_control.readReply(&reply, deadline);
    if (status.ok() && reply.code == 200) return Status::failure(kErrorOperationCancelled);
  }
  m_control.kill();
  return Status::failure(kErrorOperationCancelled);
}

Status FtpSession::list(const std::string& directory, const ListingSink& sink) {
  if (ChooseListingFormat(m_features, m_refusals) == ListingFormat::Mlsd) {
    Status status = listWith(ListingFormat::Mlsd, directory, sink);
    const bool unknownCommand = status.error == kErrorInternetExtendedError &&
                                (status.reply.code == 500 || status.reply.code == 502);
    if (!unknownCommand) return status;
    m_refusals.add(Refusal::Mlsd);
  }
  return listWith(ListingFormat::List, directory, sink);
}

Status FtpSession::listWith(ListingFormat format, const std::string& directory,
                            const ListingSink& sink) {
  size_t total = 0;
  bool cut = false;
  Status status = transfer(commandLine(format == ListingFormat::Mlsd ? "MLSD" : "LIST", directory),
                           TransferKind::Listing, [&](DataChannel& data) {
                             char buffer[16 * 1024];
                             for (;;) {
                               size_t received = 0;
                               bool eof = false;
                               Status read = data.read(buffer, sizeof buffer, &received, &eof);
                               if (!read.ok() || eof) return read;
                               const size_t room = m_options.maxListingBytes - total;
                               sink(format, std::string_view(buffer, std::min(received, room)));
                               total += std::min(received, room);
                               if (received > room) {
                                 cut = true;
                                 return Status::failure(kErrorMoreData);
                               }
                             }
                           });
  // Whatever the server did after the cut, the entries before it stand.
  return cut ? Status::failure(kErrorMoreData) : status;
}

Status FtpSession::announcedSize(const std::string& name, std::optional<uint64_t>* size) {
  size->reset();
  if (m_features.answered && !m_features.size) return Status::success();
  Reply reply;
  Status status = m_control.command(commandLine("SIZE", name), &reply);
  if (status.ok()) *size = ParseSizeReply(reply);
  return status;
}

Status FtpSession::fileSize(const std::string& name, uint64_t* size) {
  if (m_features.answered && !m_features.size) return Status::failure(kErrorNotSupported);
  // RFC 3659: SIZE counts the bytes a transfer in the current type would move; the stored size
  // is the binary one (and vsftpd refuses SIZE in ASCII mode).
  Status status = ensureType(TransferType::Binary);
  if (!status.ok()) return status;
  Reply reply;
  status = m_control.command(commandLine("SIZE", name), &reply);
  if (!status.ok()) return status;
  if (reply.code == 500 || reply.code == 502) return Status::failure(kErrorNotSupported);
  const std::optional<uint64_t> parsed = reply.code == 213 ? ParseSizeReply(reply) : std::nullopt;
  if (!parsed) return Status::refused(reply);
  *size = *parsed;
  return Status::success();
}

namespace {

// Watches the session's transfer for as long as it runs.
class Watching {
 public:
  Watching(TransferWatch*& slot, TransferWatch* watch) : m_slot(slot) { m_slot = watch; }
  ~Watching() { m_slot = nullptr; }
  Watching(const Watching&) = delete;
  Watching& operator=(const Watching&) = delete;

 private:
  TransferWatch*& m_slot;
};

// `bytes` of the file moved: the watch hears of it; a cancel there ends the transfer.
Status tell(TransferWatch* watch, uint64_t bytes) {
  if (watch == nullptr) return Status::success();
  watch->add(bytes);
  return watch->cancelled() ? Status::failure(kErrorOperationCancelled) : Status::success();
}

}  // namespace

Status FtpSession::retrieve(const std::string& name, TransferType type, const Sink& sink,
                            TransferWatch* watch) {
  Status status = ensureType(type);
  // Sizes of ASCII transfers differ by their line ends: only a binary one can be compared.
  std::optional<uint64_t> announced;
  if (status.ok() && type == TransferType::Binary) status = announcedSize(name, &announced);
  if (!status.ok()) return status;
  if (watch && announced) watch->setTotal(*announced);
  const Watching watching(m_watch, watch);
  uint64_t received = 0;
  status = transfer(commandLine("RETR", name), TransferKind::Download, [&](DataChannel& data) {
    std::string buffer(kBlockSize, '\0');
    std::string converted;
    CrlfToLf toLocal;
    for (;;) {
      size_t got = 0;
      bool eof = false;
      Status read = data.read(buffer.data(), buffer.size(), &got, &eof);
      if (!read.ok()) return read;
      received += got;
      std::string_view block(buffer.data(), got);
      if (type == TransferType::Ascii) {
        converted.clear();
        eof ? toLocal.finish(&converted) : toLocal.convert(block, &converted);
        block = converted;
      }
      if (!block.empty()) {
        Status written = sink(block);
        if (written.ok()) written = tell(watch, block.size());
        if (!written.ok()) return written;
      }
      if (eof) return Status::success();
    }
  });
  if (status.ok() && announced && received < *announced) return Status::failure(kErrorHandleEof);
  return status;
}

Status FtpSession::store(const std::string& name, TransferType type, int fd, TransferWatch* watch) {
  Status status = ensureType(type);
  if (!status.ok()) return status;
  const Watching watching(m_watch, watch);
  // A transfer tried again reads the file again from where it began.
  const int64_t start = files::ReadPosition(fd);
  return transfer(commandLine("STOR", name), TransferKind::Upload, [&](DataChannel& data) {
    if (!files::SetReadPosition(fd, start)) return Status::failure(kErrorAccessDenied);
    LfToCrlf toNetwork;
    return sendByReading(data, fd, type == TransferType::Ascii ? &toNetwork : nullptr);
  });
}

Status FtpSession::sendByReading(DataChannel& data, int fd, LfToCrlf* toNetwork) {
  std::string buffer(kBlockSize, '\0');
  std::string converted;
  for (;;) {
    size_t got = 0;
    if (!files::ReadSome(fd, buffer.data(), buffer.size(), &got).ok()) {
      return Status::failure(kErrorAccessDenied);
    }
    if (got == 0) return Status::success();
    std::string_view block(buffer.data(), got);
    if (toNetwork != nullptr) {
      converted.clear();
      toNetwork->convert(block, &converted);
      block = converted;
    }
    Status status = data.write(block);
    if (status.ok()) status = tell(m_watch, got);
    if (!status.ok()) return status;
  }
}

void FtpSession::quit() {
  if (!m_control.dead()) {
    Reply reply;
    if (m_control.send("QUIT").ok()) {
      (void)m_control.readReply(&reply, std::chrono::steady_clock::now() + m_options.quitTimeout);
    }
  }
  m_control.close();
}

}  // namespace inet
