#include "platform/inet/SshTransport.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <type_traits>

#include "platform/codepage/CodePage.h"
#include "platform/files/FileIo.h"
#include "platform/inet/ExplainedFailure.h"
#include "platform/inet/TcpConnect.h"
#include "platform/inet/WireNames.h"

namespace inet {
namespace {

using asio::ip::tcp;

// libssh2 is handed our socket as it is: a descriptor on Linux, a SOCKET (64 bits) on Winsock
// (where asio's handle is a class that converts to its socket_type).
static_assert(std::is_same_v<asio::detail::socket_type, libssh2_socket_t>);

// libssh2 1.10 has neither AES-GCM, ChaCha20-Poly1305 nor the encrypt-then-MAC modes, and so no
// strict key exchange either: the prefix truncation attack (Terrapin) needs one of those modes,
// so only AES-CTR with HMAC-SHA2 (HMAC-SHA1 last, for old servers) is offered. No CBC.
constexpr const char* kCiphers = "aes128-ctr,aes256-ctr,aes192-ctr";
constexpr const char* kMacs = "hmac-sha2-256,hmac-sha2-512,hmac-sha1";
constexpr const char* kKeyExchanges =
    "curve25519-sha256,curve25519-sha256@libssh.org,ecdh-sha2-nistp256,ecdh-sha2-nistp384,"
    "ecdh-sha2-nistp521,diffie-hellman-group-exchange-sha256,diffie-hellman-group16-sha512,"
    "diffie-hellman-group18-sha512,diffie-hellman-group14-sha256";
// Host key types asked for when known_hosts names none for the server. ssh-rsa (RSA with SHA-1
// signatures, all libssh2 1.10 has for RSA) only where known_hosts holds an RSA key.
constexpr const char* kDefaultHostKeyTypes[] = {"ssh-ed25519", "ecdsa-sha2-nistp256",
                                                "ecdsa-sha2-nistp384", "ecdsa-sha2-nistp521"};
constexpr const char* kUsableHostKeyTypes[] = {
    "ssh-ed25519", "ecdsa-sha2-nistp256", "ecdsa-sha2-nistp384", "ecdsa-sha2-nistp521", "ssh-rsa"};
// A private key file larger than this is no key.
constexpr size_t kMaxKeyFileBytes = 64 * 1024;
// The server's disconnect message is shown up to this many bytes.
constexpr size_t kMaxServerMessageBytes = 120;
// Keyboard-interactive rounds answered with the password; later ones get empty answers, so a
// server that keeps asking cannot make us repeat the password without end.
constexpr int kMaxInteractiveRounds = 2;

void initialiseLibrary() {
  static std::once_flag once;
  std::call_once(once, [] { (void)libssh2_init(0); });
}

const char* hostKeyTypeName(int type) {
  switch (type) {
    case LIBSSH2_HOSTKEY_TYPE_RSA:
      return "ssh-rsa";
    case LIBSSH2_HOSTKEY_TYPE_DSS:
      return "ssh-dss";
    case LIBSSH2_HOSTKEY_TYPE_ECDSA_256:
      return "ecdsa-sha2-nistp256";
    case LIBSSH2_HOSTKEY_TYPE_ECDSA_384:
      return "ecdsa-sha2-nistp384";
    case LIBSSH2_HOSTKEY_TYPE_ECDSA_521:
      return "ecdsa-sha2-nistp521";
    case LIBSSH2_HOSTKEY_TYPE_ED25519:
      return "ssh-ed25519";
    default:
      return "unknown";
  }
}

bool usableHostKeyType(const std::string& type) {
  for (const char* usable : kUsableHostKeyTypes) {
    if (type == usable) return true;
  }
  return false;
}

void appendMethod(std::string& list, const std::string& method) {
  if (("," + list + ",").find("," + method + ",") != std::string::npos) return;
  if (!list.empty()) list += ",";
  list += method;
}

bool offers(const std::string& methods, const char* method) {
  return ("," + methods + ",").find(std::string(",") + method + ",") != std::string::npos;
}

// The server's words in CP932 for a box: UTF-8 converted, else printable ASCII alone, and cut.
std::string serverWords(std::string_view text) {
  if (text.size() > kMaxServerMessageBytes) text = text.substr(0, kMaxServerMessageBytes);
  std::string printable;
  for (char c : text) {
    if (c >= 0x20 && c < 0x7F) printable.push_back(c);
  }
  const auto converted = Utf8ToAnsi(text);
  if (converted && converted->find_first_of("\r\n", 0) == std::string::npos &&
      converted->find('\0') == std::string::npos) {
    return *converted;
  }
  return printable;
}

// What breaks the connection itself; any other failure of a log-in method (a refusal, a key
// that cannot be read or decrypted, a method the server does not take) lets the next method be
// tried.
bool isConnectionFailure(long long rc) {
  return rc == LIBSSH2_ERROR_SOCKET_SEND || rc == LIBSSH2_ERROR_SOCKET_RECV ||
         rc == LIBSSH2_ERROR_SOCKET_DISCONNECT || rc == LIBSSH2_ERROR_SOCKET_TIMEOUT ||
         rc == LIBSSH2_ERROR_TIMEOUT || rc == LIBSSH2_ERROR_BAD_SOCKET ||
         rc == LIBSSH2_ERROR_DECRYPT || rc == LIBSSH2_ERROR_ENCRYPT ||
         rc == LIBSSH2_ERROR_INVALID_MAC || rc == LIBSSH2_ERROR_ALLOC;
}

}  // namespace

SshTransport::SshTransport(const EngineOptions& options) : m_options(options), m_socket(m_io) {
  initialiseLibrary();
}

SshTransport::~SshTransport() {
  kill();
  if (m_session != nullptr) {
    // With the socket shut down nothing can block any more: freeing ends at the first attempt,
    // or after a few while libssh2 still tries to close its channels.
    for (int attempt = 0; attempt < 8; ++attempt) {
      if (libssh2_session_free(m_session) != LIBSSH2_ERROR_EAGAIN) break;
    }
  }
}

Deadline SshTransport::replyDeadline() const {
  return std::chrono::steady_clock::now() + m_options.replyTimeout;
}

Status SshTransport::handshake(const ServerAddress& address,
                               const std::vector<std::string>& hostKeyTypes, bool onlyThese) {
  Status status = ConnectToServer(m_io, m_socket, address, m_options.connectTimeout);
  if (!status.ok()) return status;
  std::error_code ec;
  m_socket.set_option(tcp::no_delay(true), ec);
  m_socket.native_non_blocking(true, ec);
  m_session = libssh2_session_init_ex(nullptr, nullptr, nullptr, this);
  if (ec || m_session == nullptr) return failure(LIBSSH2_ERROR_ALLOC);
  libssh2_session_set_blocking(m_session, 0);
  libssh2_session_callback_set(m_session, LIBSSH2_CALLBACK_DISCONNECT,
                               reinterpret_cast<void*>(&SshTransport::onDisconnect));
  setMethodPreferences(hostKeyTypes, onlyThese);
  long long rc = 0;
  // The banner and the whole key exchange share one reply timeout.
  status = run(
      replyDeadline(),
      [&] { return libssh2_session_handshake(m_session, m_socket.native_handle()); }, &rc);
  if (!status.ok()) return status;
  if (rc != 0) return failure(static_cast<int>(rc));
  m_established = true;
  return Status::success();
}

void SshTransport::setMethodPreferences(const std::vector<std::string>& hostKeyTypes,
                                        bool onlyThese) {
  std::string hostKeys;
  for (const std::string& type : hostKeyTypes) {
    if (usableHostKeyType(type)) appendMethod(hostKeys, type);
  }
  // Then the others, as OpenSSH asks: a file that holds only a type the server does not offer
  // (or libssh2 cannot check) leaves the host unknown under a key it can show.
  if (!onlyThese || hostKeys.empty()) {
    for (const char* type : kDefaultHostKeyTypes) appendMethod(hostKeys, type);
  }
  // Unsupported names are dropped by libssh2; a list left empty keeps its default, which the
  // host key check then judges like any other.
  (void)libssh2_session_method_pref(m_session, LIBSSH2_METHOD_HOSTKEY, hostKeys.c_str());
  (void)libssh2_session_method_pref(m_session, LIBSSH2_METHOD_KEX, kKeyExchanges);
  for (int direction : {LIBSSH2_METHOD_CRYPT_CS, LIBSSH2_METHOD_CRYPT_SC}) {
    (void)libssh2_session_method_pref(m_session, direction, kCiphers);
  }
  for (int direction : {LIBSSH2_METHOD_MAC_CS, LIBSSH2_METHOD_MAC_SC}) {
    (void)libssh2_session_method_pref(m_session, direction, kMacs);
  }
}

HostKey SshTransport::hostKey() const {
  size_t length = 0;
  int type = 0;
  const char* key = m_session ? libssh2_session_hostkey(m_session, &length, &type) : nullptr;
  if (key == nullptr) return {};
  return HostKey{hostKeyTypeName(type), std::string(key, length)};
}

Status SshTransport::authenticate(const std::string& user, const std::string& password,
                                  const std::string& privateKey) {
  char* methods = nullptr;
  Status status = runForPointer(
      replyDeadline(),
      [&] {
        return libssh2_userauth_list(m_session, user.data(), static_cast<unsigned>(user.size()));
      },
      &methods);
  if (!status.ok()) return status;
  if (methods == nullptr) {
    // The server took the user without any authentication ("none").
    if (libssh2_userauth_authenticated(m_session)) return Status::success();
    return failure(libssh2_session_last_errno(m_session));
  }
  const std::string offered = methods;
  bool accepted = false;
  if (!privateKey.empty() && offers(offered, "publickey")) {
    status = authenticateWithKey(user, password, privateKey, &accepted);
  }
  if (status.ok() && !accepted && offers(offered, "password")) {
    status = authenticateWithPassword(user, password, &accepted);
  }
  if (status.ok() && !accepted && offers(offered, "keyboard-interactive")) {
    status = authenticateInteractively(user, password, &accepted);
  }
  if (!status.ok() || accepted) return status;
  return Status::failure(kErrorSshAuthenticationRefused);
}

Status SshTransport::authenticateWithKey(const std::string& user, const std::string& password,
                                         const std::string& privateKey, bool* accepted) {
  const files::FileStart key = files::ReadFileStart(privateKey, kMaxKeyFileBytes + 1);
  // A missing or unreadable key file is skipped: the password comes next.
  if (!key.status.ok() || !key.regular || key.bytes.empty() ||
      key.bytes.size() > kMaxKeyFileBytes) {
    return Status::success();
  }
  long long rc = 0;
  Status status = run(
      replyDeadline(),
      [&] {
        return libssh2_userauth_publickey_frommemory(m_session, user.data(), user.size(), nullptr,
                                                     0, key.bytes.data(), key.bytes.size(),
                                                     password.c_str());
      },
      &rc);
  if (!status.ok()) return status;
  *accepted = rc == 0;
  return isConnectionFailure(rc) ? failure(static_cast<int>(rc)) : Status::success();
}

Status SshTransport::authenticateWithPassword(const std::string& user, const std::string& password,
                                              bool* accepted) {
  long long rc = 0;
  Status status = run(
      replyDeadline(),
      [&] {
        return libssh2_userauth_password_ex(m_session, user.data(),
                                            static_cast<unsigned>(user.size()), password.data(),
                                            static_cast<unsigned>(password.size()), nullptr);
      },
      &rc);
  if (!status.ok()) return status;
  *accepted = rc == 0;
  return isConnectionFailure(rc) ? failure(static_cast<int>(rc)) : Status::success();
}

Status SshTransport::authenticateInteractively(const std::string& user, const std::string& password,
                                               bool* accepted) {
  m_answer = &password;
  m_interactiveRounds = 0;
  long long rc = 0;
  Status status = run(
      replyDeadline(),
      [&] {
        return libssh2_userauth_keyboard_interactive_ex(m_session, user.data(),
                                                        static_cast<unsigned>(user.size()),
                                                        &SshTransport::onKeyboardInteractive);
      },
      &rc);
  m_answer = nullptr;
  if (!status.ok()) return status;
  *accepted = rc == 0;
  return isConnectionFailure(rc) ? failure(static_cast<int>(rc)) : Status::success();
}

void SshTransport::onKeyboardInteractive(const char*, int, const char*, int, int promptCount,
                                         const LIBSSH2_USERAUTH_KBDINT_PROMPT*,
                                         LIBSSH2_USERAUTH_KBDINT_RESPONSE* responses,
                                         void** abstract) {
  auto* self = static_cast<SshTransport*>(*abstract);
  const bool answer =
      self->m_answer != nullptr && ++self->m_interactiveRounds <= kMaxInteractiveRounds;
  for (int i = 0; i < promptCount; ++i) {
    // libssh2 frees the answers with its default allocator, free().
    const std::string text = answer ? *self->m_answer : std::string();
    auto* copy = static_cast<char*>(std::malloc(text.size() + 1));
    if (copy != nullptr) std::memcpy(copy, text.c_str(), text.size() + 1);
    responses[i].text = copy;
    responses[i].length = copy != nullptr ? static_cast<unsigned>(text.size()) : 0;
  }
}

void SshTransport::onDisconnect(LIBSSH2_SESSION*, int, const char* message, int messageLength,
                                const char*, int, void** abstract) {
  auto* self = static_cast<SshTransport*>(*abstract);
  if (message != nullptr && messageLength > 0) {
    self->m_serverMessage = serverWords(std::string_view(message, messageLength));
  }
}

SshTransport::Wait SshTransport::wait(Deadline deadline) {
  int directions = libssh2_session_block_directions(m_session);
  if (directions == 0) directions = LIBSSH2_SESSION_BLOCK_INBOUND;
  bool done = false;
  int pending = 0;
  std::error_code ec;
  auto handler = [&](const std::error_code& e) {
    --pending;
    if (!done) ec = e;
    done = true;
  };
  if (directions & LIBSSH2_SESSION_BLOCK_INBOUND) {
    ++pending;
    m_socket.async_wait(tcp::socket::wait_read, handler);
  }
  if (directions & LIBSSH2_SESSION_BLOCK_OUTBOUND) {
    ++pending;
    m_socket.async_wait(tcp::socket::wait_write, handler);
  }
  AwaitOperation(m_io, done, ec, TimeLeft(deadline), [&] { m_socket.cancel(); });
  if (pending > 0) {
    // The other direction's wait must end before its handler's state goes.
    std::error_code ignored;
    m_socket.cancel(ignored);
    m_io.restart();
    while (pending > 0 && m_io.run_one() != 0) {
    }
  }
  if (!ec) return Wait::Ready;
  return ec == asio::error::timed_out ? Wait::TimedOut : Wait::Failed;
}

Status SshTransport::awaitSocket(Deadline deadline, TransferWatch* watch) {
  for (;;) {
    const Deadline wake =
        watch ? std::min(deadline, std::chrono::steady_clock::now() + kProgressInterval) : deadline;
    const Wait waited = wait(wake);
    if (waited == Wait::Ready) return Status::success();
    if (waited == Wait::TimedOut && watch != nullptr && wake < deadline) {
      if (!watch->tick()) return Status::failure(kErrorOperationCancelled);
      continue;
    }
    kill();
    return Status::failure(waited == Wait::TimedOut ? kErrorInternetTimeout
                                                    : kErrorInternetConnectionAborted);
  }
}

Status SshTransport::failure(int rc) {
  uint32_t code = kErrorInternetConnectionAborted;
  if (rc == LIBSSH2_ERROR_TIMEOUT || rc == LIBSSH2_ERROR_SOCKET_TIMEOUT) {
    code = kErrorInternetTimeout;
  } else if (!m_established && rc != LIBSSH2_ERROR_SOCKET_DISCONNECT &&
             rc != LIBSSH2_ERROR_SOCKET_RECV && rc != LIBSSH2_ERROR_SOCKET_SEND) {
    // Before the key exchange completed, anything but a dropped connection is a server that
    // speaks no SSH we share: a garbage banner, no common method, a bad signature.
    code = kErrorSshNegotiationFailed;
  }
  kill();
  if (!m_serverMessage.empty()) {
    return ExplainedFailure(code, codepage::ToAnsi(u"サーバーの応答: ") + m_serverMessage);
  }
  return Status::failure(code);
}

void SshTransport::disconnect() {
  if (m_session != nullptr && !m_dead) {
    const Deadline deadline = std::chrono::steady_clock::now() + m_options.quitTimeout;
    long long rc = 0;
    (void)run(
        deadline,
        [&] {
          return libssh2_session_disconnect_ex(m_session, SSH_DISCONNECT_BY_APPLICATION, "", "");
        },
        &rc);
  }
  kill();
}

void SshTransport::kill() {
  m_dead = true;
  std::error_code ignored;
  if (m_socket.is_open()) m_socket.shutdown(tcp::socket::shutdown_both, ignored);
}

}  // namespace inet
