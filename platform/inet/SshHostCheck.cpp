#include "platform/inet/SshHostCheck.h"

#include "platform/codepage/CodePage.h"
#include "platform/files/FileIo.h"
#include "platform/inet/ExplainedFailure.h"

namespace inet {
namespace {

// A known_hosts file larger than this is read up to here.
constexpr size_t kMaxKnownHostsBytes = 16u << 20;
// What McWinFTP reads of a failure's text, its NUL not counted.
constexpr size_t kMaxBoxBytes = 254;

const char* const kScannedTypes[] = {"ssh-ed25519", "ecdsa-sha2-nistp256", "ecdsa-sha2-nistp384",
                                     "ecdsa-sha2-nistp521", "ssh-rsa"};

// ssh-keyscan's name for the type (its -t option).
std::string keyscanType(const std::string& type) {
  if (type == "ssh-ed25519") return "ed25519";
  if (type.rfind("ecdsa-", 0) == 0) return "ecdsa";
  if (type == "ssh-rsa") return "rsa";
  return type;
}

std::string describeKey(const HostKey& key) { return key.type + " " + HostKeyFingerprint(key); }

}  // namespace

std::string UnknownHostKeyDetail(const std::string& host, uint16_t port, const HostKey& key) {
  const std::string described = describeKey(key);
  std::string command = "ssh-keyscan -t " + keyscanType(key.type);
  if (port != 22) command += " -p " + std::to_string(port);
  command += " " + host;
  const std::string detail = described + "\r\n" + codepage::ToAnsi(u"加える行: ") + command;
  const size_t message =
      codepage::ToAnsi(
          u"サーバーのホスト鍵が Quillpst.known_hosts に無いため、認証の前に接続を中止しました。")
          .size();
  return message + 2 + detail.size() <= kMaxBoxBytes ? detail : described;
}

Status ConnectCheckingHostKey(SshTransport& ssh, const ServerAddress& address,
                              const std::string& knownHostsFile) {
  const files::FileStart file = knownHostsFile.empty()
                                    ? files::FileStart{}
                                    : files::ReadFileStart(knownHostsFile, kMaxKnownHostsBytes);
  const std::string text = file.status.ok() && file.regular ? file.bytes : std::string();
  Status status = ssh.handshake(address, KnownKeyTypes(text, address.host, address.port));
  if (!status.ok()) return status;
  const HostKey key = ssh.hostKey();
  switch (CheckHostKey(text, address.host, address.port, key)) {
    case HostKeyVerdict::Known:
      return Status::success();
    case HostKeyVerdict::Unknown:
      ssh.abandon();
      return ExplainedFailure(kErrorSshHostKeyUnknown,
                              UnknownHostKeyDetail(address.host, address.port, key));
    case HostKeyVerdict::Changed:
    case HostKeyVerdict::Revoked:
      break;
  }
  ssh.abandon();
  return ExplainedFailure(kErrorSshHostKeyChanged, describeKey(key));
}

Status ReadServerHostKeys(const ServerAddress& address, const EngineOptions& options,
                          std::vector<HostKey>* keys) {
  Status last = Status::success();
  for (const char* type : kScannedTypes) {
    SshTransport ssh(options);
    last = ssh.handshake(address, {type}, true);
    const HostKey key = last.ok() ? ssh.hostKey() : HostKey{};
    if (last.ok() && key.type == type) keys->push_back(key);
    // A server that cannot be reached is not asked again for each type; one that refuses a
    // type may also just close the connection.
    const bool unreachable = last.error == kErrorInternetCannotConnect ||
                             last.error == kErrorInternetNameNotResolved ||
                             last.error == kErrorInternetTimeout;
    if (unreachable) return last;
    ssh.disconnect();
  }
  return keys->empty() ? last : Status::success();
}

}  // namespace inet
