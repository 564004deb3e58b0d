// Internal to the engine: one SSH connection through libssh2, non-blocking over our own asio
// socket, so that every wait is ours: each libssh2 call is repeated while it would block, with
// a wait on the socket in the directions libssh2 names, until the call's deadline. A deadline
// that passes, or a failure of the connection itself, leaves the transport dead: its socket is
// shut down (not closed, so that libssh2 never writes to a descriptor reused meanwhile) and
// every later use fails at once with kErrorFtpDropped.
#pragma once

#include <libssh2.h>

#include <asio.hpp>
#include <string>
#include <vector>

#include "platform/inet/AsioWait.h"
#include "platform/inet/FtpEngine.h"
#include "platform/inet/FtpStatus.h"
#include "platform/inet/KnownHosts.h"
#include "platform/inet/ServerAddress.h"
#include "platform/inet/TransferWatch.h"

namespace inet {

class SshTransport {
 public:
  explicit SshTransport(const EngineOptions& options);
  SshTransport(const SshTransport&) = delete;
  SshTransport& operator=(const SshTransport&) = delete;
  ~SshTransport();

  // Connects to `address` and runs the banner exchange and the key exchange within the reply
  // timeout, asking for the host key types in `hostKeyTypes` first (known_hosts names), then
  // for the others unless `onlyThese`. Authenticates nothing.
  Status handshake(const ServerAddress& address, const std::vector<std::string>& hostKeyTypes,
                   bool onlyThese = false);
  // The key the server showed in the key exchange.
  HostKey hostKey() const;

  // Tries, in this order and as far as the server offers them: the OpenSSH private key in
  // `privateKey` (when not empty; its passphrase, when it has one, is `password`), the
  // password, keyboard-interactive answered with the password. kErrorSshAuthenticationRefused
  // when none is accepted.
  Status authenticate(const std::string& user, const std::string& password,
                      const std::string& privateKey);

  // Runs the libssh2 call `call` (returning an int or ssize_t) until it no longer would block;
  // its result goes to `*result` (negative: a libssh2 error). The Status fails only for a
  // passed deadline (the transport is then dead), a transport already dead, or a cancel by
  // `watch` (kErrorOperationCancelled; the transport lives on), which when given is told at
  // least every kProgressInterval while the call waits.
  template <class Call>
  Status run(Deadline deadline, Call&& call, long long* result, TransferWatch* watch = nullptr);
  // The same for a call that returns a pointer, null on failure.
  template <class Call, class T>
  Status runForPointer(Deadline deadline, Call&& call, T** result);

  // The Status for the libssh2 error `rc` of a call on this session (not an SFTP status): a
  // dropped connection, a timeout, a failed negotiation. The transport is dead afterwards.
  Status failure(int rc);

  LIBSSH2_SESSION* session() const { return m_session; }
  bool dead() const { return m_dead; }
  Deadline replyDeadline() const;

  // Ends the connection without a word (after a host key that is not trusted).
  void abandon() { kill(); }
  // Says goodbye within the quit timeout; the transport is dead afterwards. The libssh2 session
  // lives on until destruction, so that what was opened on it (SFTP) can still be freed.
  void disconnect();

 private:
  enum class Wait { Ready, TimedOut, Failed };
  // Waits for the socket in the directions libssh2 needs, until `deadline`.
  Wait wait(Deadline deadline);
  // The wait of a call: until `deadline` (then the transport is dead), waking for `watch`.
  Status awaitSocket(Deadline deadline, TransferWatch* watch);
  Status authenticateWithKey(const std::string& user, const std::string& password,
                             const std::string& privateKey, bool* accepted);
  Status authenticateWithPassword(const std::string& user, const std::string& password,
                                  bool* accepted);
  Status authenticateInteractively(const std::string& user, const std::string& password,
                                   bool* accepted);
  void setMethodPreferences(const std::vector<std::string>& hostKeyTypes, bool onlyThese);
  void kill();

  static void onDisconnect(LIBSSH2_SESSION* session, int reason, const char* message,
                           int messageLength, const char* language, int languageLength,
                           void** abstract);
  static void onKeyboardInteractive(const char* name, int nameLength, const char* instruction,
                                    int instructionLength, int promptCount,
                                    const LIBSSH2_USERAUTH_KBDINT_PROMPT* prompts,
                                    LIBSSH2_USERAUTH_KBDINT_RESPONSE* responses, void** abstract);

  const EngineOptions& m_options;
  asio::io_context m_io;
  asio::ip::tcp::socket m_socket;
  LIBSSH2_SESSION* m_session = nullptr;
  bool m_dead = false;
  bool m_established = false;             // the key exchange completed
  std::string m_serverMessage;            // what the server's disconnect message said, if anything
  const std::string* m_answer = nullptr;  // the password, while keyboard-interactive runs
  int m_interactiveRounds = 0;
};

template <class Call>
Status SshTransport::run(Deadline deadline, Call&& call, long long* result, TransferWatch* watch) {
  for (;;) {
    if (m_dead) return Status::failure(kErrorFtpDropped);
    const long long rc = call();
    if (rc != LIBSSH2_ERROR_EAGAIN) {
      *result = rc;
      return Status::success();
    }
    Status waited = awaitSocket(deadline, watch);
    if (!waited.ok()) return waited;
  }
}

template <class Call, class T>
Status SshTransport::runForPointer(Deadline deadline, Call&& call, T** result) {
  for (;;) {
    if (m_dead) return Status::failure(kErrorFtpDropped);
    *result = call();
    if (*result != nullptr || libssh2_session_last_errno(m_session) != LIBSSH2_ERROR_EAGAIN) {
      return Status::success();
    }
    Status waited = awaitSocket(deadline, nullptr);
    if (!waited.ok()) return waited;
  }
}

}  // namespace inet
