// SSH servers for tests, each started as a child process on a free loopback port and serving a
// fresh temporary folder over SFTP: OpenSSH's sshd (internal-sftp, as scripts/setup-tests
// unpacks it), proftpd's mod_sftp, and the scripted misbehaving SSH server (paramiko). Each
// has host keys of its own, given as known_hosts lines by hostKeys(). Plus client key pairs
// made with ssh-keygen.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tests/support/common/FtpServers.h"
#include "tests/support/common/TempDir.h"

namespace testsupport {

struct SshdOptions {
  // Public keys (OpenSSH's one-line form, one a line) the user may log in with.
  std::string authorizedKeys = {};
  // Lines added to sshd_config ("PasswordAuthentication no", "PubkeyAcceptedAlgorithms ...").
  std::string moreConfig = {};
};

// Starts sshd on 127.0.0.1 with its own configuration and host keys (Ed25519, ECDSA, RSA), no
// PAM: the system user "qptester" (see StartVsftpd) logs in with its password from /etc/shadow
// or a key of `authorizedKeys`; every session is internal-sftp starting in root(). Needs root;
// returns nullptr when not root or sshd is missing (LastStartFailure() says why).
std::unique_ptr<FtpServer> StartSshd(const SshdOptions& options = {});

// Starts proftpd with mod_sftp (as scripts/setup-tests unpacks it) on 127.0.0.1: user "tester"
// with its password or a key of `authorizedKeys` (OpenSSH one-line form), chrooted into root()
// as the system user "qptester"; host keys ECDSA and RSA. Needs root.
std::unique_ptr<FtpServer> StartProftpdSftp(const std::string& authorizedKeys = "");

// Starts tests/support/scripted/scripted_sshd.py playing `scenario` on 127.0.0.1: user "tester"
// with the password "secret" (password or keyboard-interactive, as the scenario offers), an SFTP
// server over root() unless the scenario says otherwise. commands() holds one line per SFTP
// request ("OPEN name", "WRITE n", "CLOSE" ...). `moreArguments` go to the script as they are.
std::unique_ptr<FtpServer> StartScriptedSshd(const std::string& scenario,
                                             const std::vector<std::string>& moreArguments = {});

struct ClientKey {
  std::string privateKey;  // path of the private key file (OpenSSH format)
  std::string publicLine;  // "ssh-ed25519 AAAA... comment"
};

// A new key pair of `type` ("ed25519", "ecdsa", "rsa") in `folder`, encrypted with
// `passphrase` when it is not empty. Fails the test when ssh-keygen fails.
ClientKey MakeClientKey(const TempDir& folder, const std::string& type,
                        const std::string& passphrase = "");

}  // namespace testsupport
