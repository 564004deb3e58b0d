#include "platform/inet/LocalFile.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/inet/InternetApi.h"

namespace inet {
namespace {

std::string parentFolder(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// ENOENT means the file is missing, or the folder it would be in.
uint32_t codeForOpenError(int error, const std::string& path) {
  if (error == ENOENT) {
    return LocalPathIsDirectory(parentFolder(path)) ? kErrorFileNotFound : kErrorPathNotFound;
  }
  if (error == ENOTDIR) return kErrorPathNotFound;
  if (error == ENOSPC || error == EDQUOT) return kErrorDiskFull;
  return kErrorAccessDenied;
}

mode_t currentUmask() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}

}  // namespace

SourceFile::~SourceFile() {
  if (m_fd >= 0) ::close(m_fd);
}

uint32_t SourceFile::open(const std::string& path) {
  m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (m_fd < 0) return codeForOpenError(errno, path);
  struct stat info {};
  if (::fstat(m_fd, &info) != 0 || !S_ISREG(info.st_mode)) return kErrorAccessDenied;
  return kErrorSuccess;
}

bool LocalPathExists(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

bool LocalPathIsDirectory(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

DownloadFile::~DownloadFile() { discard(); }

uint32_t DownloadFile::create(const std::string& finalPath) {
  m_finalPath = finalPath;
  const size_t slash = finalPath.rfind('/');
  const std::string base = slash == std::string::npos ? finalPath : finalPath.substr(slash + 1);
  std::string pattern = parentFolder(finalPath) + "/." + base.substr(0, 200) + ".part-XXXXXX";
  m_fd = ::mkostemp(pattern.data(), O_CLOEXEC);
  if (m_fd < 0) return codeForOpenError(errno, finalPath);
  m_tempPath = pattern;
  // mkostemp makes the file private; a downloaded file gets the usual mode of a new file.
  ::fchmod(m_fd, 0666 & ~currentUmask());
  return kErrorSuccess;
}

uint32_t DownloadFile::write(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(m_fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) return codeForOpenError(errno, m_finalPath);
    bytes.remove_prefix(static_cast<size_t>(written));
  }
  return kErrorSuccess;
}

uint32_t DownloadFile::commit(bool failIfExists) {
  if (::fsync(m_fd) != 0 || ::close(m_fd) != 0) {
    m_fd = -1;
    return errno == ENOSPC || errno == EDQUOT ? kErrorDiskFull : kErrorAccessDenied;
  }
  m_fd = -1;
  // RENAME_NOREPLACE: a file that appeared during the transfer is not replaced either.
  const unsigned flags = failIfExists ? RENAME_NOREPLACE : 0;
  if (::renameat2(AT_FDCWD, m_tempPath.c_str(), AT_FDCWD, m_finalPath.c_str(), flags) != 0) {
    return errno == EEXIST ? kErrorFileExists : kErrorAccessDenied;
  }
  m_tempPath.clear();
  return kErrorSuccess;
}

void DownloadFile::discard() {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
  if (!m_tempPath.empty()) ::unlink(m_tempPath.c_str());
  m_tempPath.clear();
}

}  // namespace inet
