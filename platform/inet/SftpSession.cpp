// SFTP (protocol 3, as libssh2 speaks it) behind the RemoteSession interface. The server has no
// current directory: the session keeps one (the login folder at first, as the server's
// realpath of "." names it) and joins relative names to it. Names travel in UTF-8. Host keys
// are checked against the known_hosts file before anything is sent; the upload keeps many
// write requests in flight.
#include <libssh2_sftp.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/files/FileIo.h"
#include "platform/inet/ExplainedFailure.h"
#include "platform/inet/RemoteSession.h"
#include "platform/inet/SftpPath.h"
#include "platform/inet/SftpStatus.h"
#include "platform/inet/SshHostCheck.h"
#include "platform/inet/SshTransport.h"

namespace inet {
namespace {

// libssh2 splits what it is handed into write requests of 30000 bytes and keeps them all in
// flight: 4 MiB hands it about 140, far more than one round trip on a slow link needs. The
// buffer is refilled from the file once half of it is acknowledged.
constexpr size_t kWriteWindow = 4u << 20;
// Reads: libssh2 asks for up to this much ahead in requests of 30000 bytes.
constexpr size_t kReadBlock = 1u << 20;
// A name of a listing longer than any packet libssh2 takes cannot come; the buffer holds any.
constexpr size_t kMaxNameBytes = 256 * 1024;
// What an entry costs against the listing cap besides its name: its attributes as the server
// sends them, roughly.
constexpr size_t kEntryOverheadBytes = 32;
// 1970-01-01 in FileTime seconds.
constexpr uint64_t kUnixEpochSeconds = 11644473600ULL;
// As the data connections of FTP: a transfer must move this much within each data idle timeout.
constexpr size_t kMinProgressBytes = 1024;

class SftpSession final : public RemoteSession {
 public:
  explicit SftpSession(const EngineOptions& options) : m_options(options), m_ssh(options) {}
  ~SftpSession() override { quit(); }

  Status open(const ServerAddress& address, const std::string& user,
              const std::string& password) override;
  WireNames names() const override {
    WireNames names;
    names.setUtf8(true);
    return names;
  }
  Status printWorkingDirectory(std::string* path) override;
  void forgetDirectory() override {}
  Status changeDirectory(const std::string& directory) override;
  Status deleteFile(const std::string& name) override;
  Status makeDirectory(const std::string& directory) override;
  Status removeDirectory(const std::string& directory) override;
  Status rename(const std::string& from, const std::string& to) override;
  Status fileSize(const std::string& name, uint64_t* size) override;
  Status list(const std::string& directory, ListingCollector& collector) override;
  Status retrieve(const std::string& name, TransferType type, const Sink& sink,
                  TransferWatch* watch) override;
  Status store(const std::string& name, TransferType type, int fd, TransferWatch* watch) override;
  void quit() override;

 private:
  // The Status of a failed libssh2 call `rc` on the SFTP channel.
  Status failure(long long rc);
  // Runs a call that returns 0 or a libssh2 error, within the reply timeout.
  template <class Call>
  Status request(Call&& call);
  Status realPath(const std::string& path, std::string* resolved);
  Status openHandle(const std::string& path, unsigned long flags, long mode, int type,
                    LIBSSH2_SFTP_HANDLE** handle);
  Status closeHandle(LIBSSH2_SFTP_HANDLE* handle);
  Status readEntries(LIBSSH2_SFTP_HANDLE* handle, ListingCollector& collector);
  Status writeFile(LIBSSH2_SFTP_HANDLE* handle, int fd, TransferWatch* watch);
  Status readFile(LIBSSH2_SFTP_HANDLE* handle, const Sink& sink, TransferWatch* watch,
                  uint64_t* received);
  std::string path(const std::string& name) const { return JoinRemotePath(m_directory, name); }
  Deadline idleDeadline() const { return m_checkpoint + m_options.dataIdleTimeout; }
  // `bytes` of the file moved: the idle rule's checkpoint, and the watch, hear of it.
  Status progressed(size_t bytes, TransferWatch* watch);

  const EngineOptions& m_options;
  SshTransport m_ssh;
  LIBSSH2_SFTP* m_sftp = nullptr;
  std::string m_home;       // the login folder, where "" and "/" lead
  std::string m_directory;  // the current folder, an absolute path
  Deadline m_checkpoint;    // when the transfer last moved kMinProgressBytes
  size_t m_sinceCheckpoint = 0;
};

template <class Call>
Status SftpSession::request(Call&& call) {
  long long rc = 0;
  Status status = m_ssh.run(m_ssh.replyDeadline(), call, &rc);
  if (!status.ok()) return status;
  return rc == 0 ? Status::success() : failure(rc);
}

Status SftpSession::failure(long long rc) {
  if (rc == LIBSSH2_ERROR_SFTP_PROTOCOL && m_sftp != nullptr) {
    const uint32_t code = SftpStatusError(libssh2_sftp_last_error(m_sftp));
    if (code != kErrorInternetConnectionAborted) return Status::failure(code);
  }
  return m_ssh.failure(static_cast<int>(rc));
}

Status SftpSession::open(const ServerAddress& address, const std::string& user,
                         const std::string& password) {
  Status status = ConnectCheckingHostKey(m_ssh, address, m_options.knownHostsFile);
  if (status.ok()) status = m_ssh.authenticate(user, password, m_options.privateKeyFile);
  if (status.ok()) {
    status = m_ssh.runForPointer(
        m_ssh.replyDeadline(), [&] { return libssh2_sftp_init(m_ssh.session()); }, &m_sftp);
  }
  if (status.ok() && m_sftp == nullptr) {
    status = m_ssh.failure(libssh2_session_last_errno(m_ssh.session()));
  }
  if (status.ok()) status = realPath(".", &m_home);
  if (status.ok()) m_directory = m_home;
  if (!status.ok()) quit();
  return status;
}

Status SftpSession::realPath(const std::string& path, std::string* resolved) {
  std::vector<char> buffer(4096);
  long long rc = 0;
  Status status = m_ssh.run(
      m_ssh.replyDeadline(),
      [&] {
        return libssh2_sftp_symlink_ex(m_sftp, path.data(), static_cast<unsigned>(path.size()),
                                       buffer.data(), static_cast<unsigned>(buffer.size()),
                                       LIBSSH2_SFTP_REALPATH);
      },
      &rc);
  if (!status.ok()) return status;
  if (rc < 0) return failure(rc);
  const std::string_view answer(buffer.data(), static_cast<size_t>(rc));
  // Only an absolute path without NUL, CR or LF can stand for the current folder.
  if (answer.empty() || answer.front() != '/' ||
      answer.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos) {
    return Status::failure(kErrorSftpBadMessage);
  }
  *resolved = std::string(answer);
  return Status::success();
}

Status SftpSession::printWorkingDirectory(std::string* path) {
  if (m_ssh.dead()) return Status::failure(kErrorFtpDropped);
  *path = m_directory;
  return Status::success();
}

Status SftpSession::changeDirectory(const std::string& directory) {
  if (m_ssh.dead()) return Status::failure(kErrorFtpDropped);
  // "" (what McWinFTP sends for "/") leads to the login folder, as cd alone does in a shell.
  std::string resolved;
  Status status = realPath(directory.empty() ? m_home : path(directory), &resolved);
  // Entering is listing: a folder that cannot be opened cannot be the current one.
  LIBSSH2_SFTP_HANDLE* handle = nullptr;
  if (status.ok()) status = openHandle(resolved, 0, 0, LIBSSH2_SFTP_OPENDIR, &handle);
  if (handle != nullptr) (void)closeHandle(handle);
  if (status.ok()) m_directory = resolved;
  return status;
}

Status SftpSession::deleteFile(const std::string& name) {
  const std::string target = path(name);
  return request([&] {
    return libssh2_sftp_unlink_ex(m_sftp, target.data(), static_cast<unsigned>(target.size()));
  });
}

Status SftpSession::makeDirectory(const std::string& directory) {
  const std::string target = path(directory);
  return request([&] {
    return libssh2_sftp_mkdir_ex(m_sftp, target.data(), static_cast<unsigned>(target.size()), 0755);
  });
}

Status SftpSession::removeDirectory(const std::string& directory) {
  const std::string target = path(directory);
  return request([&] {
    return libssh2_sftp_rmdir_ex(m_sftp, target.data(), static_cast<unsigned>(target.size()));
  });
}

Status SftpSession::rename(const std::string& from, const std::string& to) {
  const std::string source = path(from);
  const std::string target = path(to);
  // The flags go only to servers of protocol 5 and later; at protocol 3 (OpenSSH) a rename
  // over an existing file is refused with status 4.
  constexpr long kFlags =
      LIBSSH2_SFTP_RENAME_OVERWRITE | LIBSSH2_SFTP_RENAME_ATOMIC | LIBSSH2_SFTP_RENAME_NATIVE;
  return request([&] {
    return libssh2_sftp_rename_ex(m_sftp, source.data(), static_cast<unsigned>(source.size()),
                                  target.data(), static_cast<unsigned>(target.size()), kFlags);
  });
}

Status SftpSession::openHandle(const std::string& target, unsigned long flags, long mode, int type,
                               LIBSSH2_SFTP_HANDLE** handle) {
  if (m_ssh.dead() || m_sftp == nullptr) return Status::failure(kErrorFtpDropped);
  Status status = m_ssh.runForPointer(
      m_ssh.replyDeadline(),
      [&] {
        return libssh2_sftp_open_ex(m_sftp, target.data(), static_cast<unsigned>(target.size()),
                                    flags, mode, type);
      },
      handle);
  if (!status.ok()) return status;
  if (*handle == nullptr) return failure(libssh2_session_last_errno(m_ssh.session()));
  return Status::success();
}

// Closing is the server's last word on a handle (for an upload: that the file was stored).
// Once the transport is dead, the handle is only freed.
Status SftpSession::closeHandle(LIBSSH2_SFTP_HANDLE* handle) {
  if (m_ssh.dead()) {
    for (int attempt = 0; attempt < 8; ++attempt) {
      if (libssh2_sftp_close_handle(handle) != LIBSSH2_ERROR_EAGAIN) break;
    }
    return Status::failure(kErrorFtpDropped);
  }
  Status status = request([&] { return libssh2_sftp_close_handle(handle); });
  if (m_ssh.dead()) (void)closeHandle(handle);  // a deadline passed midway: free it
  return status;
}

Status SftpSession::list(const std::string& directory, ListingCollector& collector) {
  LIBSSH2_SFTP_HANDLE* handle = nullptr;
  Status status = openHandle(path(directory), 0, 0, LIBSSH2_SFTP_OPENDIR, &handle);
  if (!status.ok()) return status;
  status = readEntries(handle, collector);
  Status closed = closeHandle(handle);
  return status.ok() ? closed : status;
}

Status SftpSession::readEntries(LIBSSH2_SFTP_HANDLE* handle, ListingCollector& collector) {
  std::vector<char> name(kMaxNameBytes + 1);
  size_t total = 0;
  for (;;) {
    LIBSSH2_SFTP_ATTRIBUTES attributes{};
    long long rc = 0;
    Status status = m_ssh.run(
        m_ssh.replyDeadline(),
        [&] {
          return libssh2_sftp_readdir_ex(handle, name.data(), name.size(), nullptr, 0, &attributes);
        },
        &rc);
    if (!status.ok()) return status;
    if (rc < 0) return failure(rc);
    if (rc == 0) return Status::success();  // the end (an empty name, too, ends it)
    total += static_cast<size_t>(rc) + kEntryOverheadBytes;
    if (total > m_options.maxListingBytes) return Status::failure(kErrorMoreData);
    const std::string_view entryName(name.data(), static_cast<size_t>(rc));
    if (!IsPlainEntryName(entryName)) continue;
    ListingEntry entry;
    entry.name = std::string(entryName);
    if (attributes.flags & LIBSSH2_SFTP_ATTR_SIZE) entry.size = attributes.filesize;
    if (attributes.flags & LIBSSH2_SFTP_ATTR_PERMISSIONS) {
      entry.isDirectory = LIBSSH2_SFTP_S_ISDIR(attributes.permissions);
    }
    if (attributes.flags & LIBSSH2_SFTP_ATTR_ACMODTIME) {
      const uint64_t ticks = (attributes.mtime + kUnixEpochSeconds) * 10'000'000ULL;
      entry.lastWrite = FileTime{static_cast<uint32_t>(ticks), static_cast<uint32_t>(ticks >> 32)};
    }
    collector.add(entry);
  }
}

Status SftpSession::progressed(size_t bytes, TransferWatch* watch) {
  m_sinceCheckpoint += bytes;
  if (m_sinceCheckpoint >= kMinProgressBytes) {
    m_checkpoint = std::chrono::steady_clock::now();
    m_sinceCheckpoint = 0;
  }
  if (watch == nullptr) return Status::success();
  watch->add(bytes);
  return watch->cancelled() ? Status::failure(kErrorOperationCancelled) : Status::success();
}

Status SftpSession::fileSize(const std::string& name, uint64_t* size) {
  const std::string target = path(name);
  LIBSSH2_SFTP_ATTRIBUTES attributes{};
  Status status = request([&] {
    return libssh2_sftp_stat_ex(m_sftp, target.data(), static_cast<unsigned>(target.size()),
                                LIBSSH2_SFTP_STAT, &attributes);
  });
  if (!status.ok()) return status;
  if (!(attributes.flags & LIBSSH2_SFTP_ATTR_SIZE)) return Status::failure(kErrorNotSupported);
  *size = attributes.filesize;
  return Status::success();
}

Status SftpSession::store(const std::string& name, TransferType, int fd, TransferWatch* watch) {
  // SFTP moves bytes as they are: there is no text mode at protocol 3.
  LIBSSH2_SFTP_HANDLE* handle = nullptr;
  Status status = openHandle(path(name), LIBSSH2_FXF_WRITE | LIBSSH2_FXF_CREAT | LIBSSH2_FXF_TRUNC,
                             0644, LIBSSH2_SFTP_OPENFILE, &handle);
  if (!status.ok()) return status;
  status = writeFile(handle, fd, watch);
  Status closed = closeHandle(handle);
  return status.ok() ? closed : status;
}

Status SftpSession::writeFile(LIBSSH2_SFTP_HANDLE* handle, int fd, TransferWatch* watch) {
  std::unique_ptr<char[]> buffer(new char[kWriteWindow]);
  size_t begin = 0, end = 0;  // bytes not yet acknowledged
  bool endOfFile = false;
  m_checkpoint = std::chrono::steady_clock::now();
  m_sinceCheckpoint = 0;
  for (;;) {
    if (!endOfFile && end - begin <= kWriteWindow / 2) {
      std::memmove(buffer.get(), buffer.get() + begin, end - begin);
      end -= begin;
      begin = 0;
      size_t got = 0;
      if (!files::ReadSome(fd, buffer.get() + end, kWriteWindow - end, &got).ok()) {
        return Status::failure(kErrorAccessDenied);
      }
      end += got;
      endOfFile = got == 0;
      if (!endOfFile) continue;  // fill the window before sending
    }
    if (begin == end) return Status::success();
    long long rc = 0;
    // libssh2 takes the same bytes again from the first one not acknowledged: it sends only
    // what it has not sent yet and returns what the server acknowledged meanwhile.
    Status status = m_ssh.run(
        idleDeadline(),
        [&] { return libssh2_sftp_write(handle, buffer.get() + begin, end - begin); }, &rc, watch);
    if (!status.ok()) return status;
    if (rc < 0) return failure(rc);
    begin += static_cast<size_t>(rc);
    status = progressed(static_cast<size_t>(rc), watch);
    if (!status.ok()) return status;
  }
}

Status SftpSession::retrieve(const std::string& name, TransferType, const Sink& sink,
                             TransferWatch* watch) {
  LIBSSH2_SFTP_HANDLE* handle = nullptr;
  Status status = openHandle(path(name), LIBSSH2_FXF_READ, 0, LIBSSH2_SFTP_OPENFILE, &handle);
  if (!status.ok()) return status;
  LIBSSH2_SFTP_ATTRIBUTES attributes{};
  status = request([&] { return libssh2_sftp_fstat_ex(handle, &attributes, 0); });
  uint64_t received = 0;
  if (status.ok() && watch && (attributes.flags & LIBSSH2_SFTP_ATTR_SIZE)) {
    watch->setTotal(attributes.filesize);
  }
  if (status.ok()) status = readFile(handle, sink, watch, &received);
  Status closed = closeHandle(handle);
  if (!status.ok()) return status;
  if ((attributes.flags & LIBSSH2_SFTP_ATTR_SIZE) && received < attributes.filesize) {
    return Status::failure(kErrorHandleEof);
  }
  return closed;
}

Status SftpSession::readFile(LIBSSH2_SFTP_HANDLE* handle, const Sink& sink, TransferWatch* watch,
                             uint64_t* received) {
  std::unique_ptr<char[]> buffer(new char[kReadBlock]);
  m_checkpoint = std::chrono::steady_clock::now();
  m_sinceCheckpoint = 0;
  for (;;) {
    long long rc = 0;
    Status status = m_ssh.run(
        idleDeadline(), [&] { return libssh2_sftp_read(handle, buffer.get(), kReadBlock); }, &rc,
        watch);
    if (!status.ok()) return status;
    if (rc < 0) return failure(rc);
    if (rc == 0) return Status::success();
    *received += static_cast<uint64_t>(rc);
    status = sink(std::string_view(buffer.get(), static_cast<size_t>(rc)));
    if (status.ok()) status = progressed(static_cast<size_t>(rc), watch);
    if (!status.ok()) return status;
  }
}

void SftpSession::quit() {
  if (m_sftp != nullptr) {
    if (!m_ssh.dead()) {
      long long rc = 0;
      (void)m_ssh.run(
          std::chrono::steady_clock::now() + m_options.quitTimeout,
          [&] { return libssh2_sftp_shutdown(m_sftp); }, &rc);
      if (rc != LIBSSH2_ERROR_EAGAIN && !m_ssh.dead()) m_sftp = nullptr;
    }
    if (m_sftp != nullptr) {
      // Given up on, or the transport is dead: only freed.
      for (int attempt = 0; attempt < 8; ++attempt) {
        if (libssh2_sftp_shutdown(m_sftp) != LIBSSH2_ERROR_EAGAIN) break;
      }
      m_sftp = nullptr;
    }
  }
  m_ssh.disconnect();
}

}  // namespace

std::unique_ptr<RemoteSession> MakeSftpSession(const EngineOptions& options) {
  return std::make_unique<SftpSession>(options);
}

}  // namespace inet
