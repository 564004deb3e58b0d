// File contents over POSIX descriptors: write(2) and read(2) loops, mkostemp, fsync and
// renameat2.
#include "platform/files/FileIo.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>

#include "platform/files/Files.h"
#include "platform/files/SystemErrors.h"

namespace files {
namespace {

IoStatus lastError() { return IoStatus{errno}; }

IoStatus readUpTo(int fd, size_t limit, std::string* bytes) {
  std::array<char, 64 * 1024> chunk;
  while (bytes->size() < limit) {
    size_t got = 0;
    const size_t want = std::min(chunk.size(), limit - bytes->size());
    if (const IoStatus status = ReadSome(fd, chunk.data(), want, &got); !status.ok()) {
      return status;
    }
    if (got == 0) break;
    bytes->append(chunk.data(), got);
  }
  return {};
}

mode_t currentUmask() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}

// Makes a rename in `folder` durable. The renamed file is complete whether or not this works,
// so a failure here is not reported.
void syncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  (void)::fsync(fd);
  ::close(fd);
}

}  // namespace

bool IoStatus::notFound() const { return error == ENOENT || error == ENOTDIR; }

bool IoStatus::diskFull() const { return IsDiskFullError(error); }

IoStatus OpenForReading(const std::string& path, int* fd) {
  *fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (*fd < 0) return lastError();
  struct stat info {};
  if (::fstat(*fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(*fd);
    *fd = -1;
    return IoStatus{EACCES};
  }
  return {};
}

IoStatus OpenForAppending(const std::string& path, FileAccess access, int* fd) {
  const mode_t mode = access == FileAccess::OwnerOnly ? 0600 : 0666;
  *fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY, mode);
  return *fd < 0 ? lastError() : IoStatus{};
}

IoStatus RenameReplacing(const std::string& from, const std::string& to) {
  return ::rename(from.c_str(), to.c_str()) == 0 ? IoStatus{} : lastError();
}

void CloseFile(int fd) {
  if (fd >= 0) ::close(fd);
}

bool PathExists(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

bool IsDirectory(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

IoStatus WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) return lastError();
    bytes.remove_prefix(static_cast<size_t>(written));
  }
  return {};
}

IoStatus ReadSome(int fd, char* buffer, size_t size, size_t* got) {
  *got = 0;
  for (;;) {
    const ssize_t n = ::read(fd, buffer, size);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return lastError();
    *got = static_cast<size_t>(n);
    return {};
  }
}

int64_t ReadPosition(int fd) { return ::lseek(fd, 0, SEEK_CUR); }

int64_t FileSizeOf(int fd) {
  struct stat info {};
  return ::fstat(fd, &info) == 0 ? static_cast<int64_t>(info.st_size) : -1;
}

bool SetReadPosition(int fd, int64_t position) {
  return position >= 0 && ::lseek(fd, position, SEEK_SET) == position;
}

FileStart ReadFileStart(const std::string& path, size_t limit) {
  FileStart start;
  // O_NONBLOCK: opening a FIFO must not wait for a writer.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) {
    start.status = lastError();
    return start;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    start.status = lastError();
  } else if (!S_ISREG(info.st_mode)) {
    start.regular = false;
  } else {
    start.status = readUpTo(fd, limit, &start.bytes);
  }
  ::close(fd);
  return start;
}

AtomicFile::~AtomicFile() { discard(); }

IoStatus AtomicFile::create(const std::string& target, FileAccess access) {
  discard();
  m_target = target;
  const size_t slash = target.rfind('/');
  const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  // The name is cut so that the temporary name stays within the file system's limit.
  std::string temp = ParentFolder(target) + "/." + name.substr(0, 200) + ".part-XXXXXX";
  m_fd = ::mkostemp(temp.data(), O_CLOEXEC);  // mode 0600
  if (m_fd < 0) return lastError();
  m_temp = temp;
  // mkostemp makes the file private; otherwise it gets the mode any new file would get.
  if (access == FileAccess::Usual) ::fchmod(m_fd, 0666 & ~currentUmask());
  return {};
}

IoStatus AtomicFile::write(std::string_view bytes) { return WriteAll(m_fd, bytes); }

IoStatus AtomicFile::commit(IfTargetExists ifExists) {
  if (m_fd < 0) return IoStatus{EBADF};
  IoStatus status;
  if (::fsync(m_fd) != 0) status = lastError();
  // Closed whether or not the flush worked: no path may keep the descriptor.
  if (::close(m_fd) != 0 && status.ok()) status = lastError();
  m_fd = -1;
  // RENAME_NOREPLACE: a target that appeared while the file was written is not replaced either.
  const unsigned flags = ifExists == IfTargetExists::Fail ? RENAME_NOREPLACE : 0;
  if (status.ok() &&
      ::renameat2(AT_FDCWD, m_temp.c_str(), AT_FDCWD, m_target.c_str(), flags) != 0) {
    status = lastError();
  }
  if (!status.ok()) {
    discard();
    return status;
  }
  m_temp.clear();
  syncFolder(ParentFolder(m_target));
  return {};
}

void AtomicFile::discard() {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
  if (!m_temp.empty()) ::unlink(m_temp.c_str());
  m_temp.clear();
}

}  // namespace files
