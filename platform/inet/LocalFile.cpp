#include "platform/inet/LocalFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/files/Files.h"
#include "platform/inet/InternetApi.h"

namespace inet {
namespace {

// ENOENT means the file is missing, or the folder it would be in.
uint32_t codeForOpenError(int error, const std::string& path) {
  if (error == ENOENT) {
    return LocalPathIsDirectory(files::ParentFolder(path)) ? kErrorFileNotFound
                                                           : kErrorPathNotFound;
  }
  if (error == ENOTDIR) return kErrorPathNotFound;
  if (error == ENOSPC || error == EDQUOT) return kErrorDiskFull;
  return kErrorAccessDenied;
}

uint32_t codeForCommitError(int error) {
  if (error == EEXIST) return kErrorFileExists;
  if (error == ENOSPC || error == EDQUOT) return kErrorDiskFull;
  return kErrorAccessDenied;
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

uint32_t DownloadFile::create(const std::string& finalPath) {
  m_finalPath = finalPath;
  const files::IoStatus status = m_file.create(finalPath, files::FileAccess::Usual);
  return status.ok() ? kErrorSuccess : codeForOpenError(status.error, finalPath);
}

uint32_t DownloadFile::write(std::string_view bytes) {
  const files::IoStatus status = m_file.write(bytes);
  return status.ok() ? kErrorSuccess : codeForOpenError(status.error, m_finalPath);
}

uint32_t DownloadFile::commit(bool failIfExists) {
  const files::IoStatus status =
      m_file.commit(failIfExists ? files::IfTargetExists::Fail : files::IfTargetExists::Replace);
  return status.ok() ? kErrorSuccess : codeForCommitError(status.error);
}

}  // namespace inet
