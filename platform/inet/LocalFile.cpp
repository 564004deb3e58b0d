#include "platform/inet/LocalFile.h"

#include <cerrno>

#include "platform/files/FileIo.h"
#include "platform/files/Files.h"
#include "platform/inet/InternetApi.h"

namespace inet {
namespace {

// ENOENT means the file is missing, or the folder it would be in.
uint32_t codeForOpenError(files::IoStatus status, const std::string& path) {
  if (status.error == ENOENT) {
    return files::IsDirectory(files::ParentFolder(path)) ? kErrorFileNotFound : kErrorPathNotFound;
  }
  if (status.error == ENOTDIR) return kErrorPathNotFound;
  if (status.diskFull()) return kErrorDiskFull;
  return kErrorAccessDenied;
}

uint32_t codeForCommitError(files::IoStatus status) {
  if (status.error == EEXIST) return kErrorFileExists;
  if (status.diskFull()) return kErrorDiskFull;
  return kErrorAccessDenied;
}

}  // namespace

SourceFile::~SourceFile() { files::CloseFile(m_fd); }

uint32_t SourceFile::open(const std::string& path) {
  const files::IoStatus status = files::OpenForReading(path, &m_fd);
  return status.ok() ? kErrorSuccess : codeForOpenError(status, path);
}

bool LocalPathExists(const std::string& path) { return files::PathExists(path); }

bool LocalPathIsDirectory(const std::string& path) { return files::IsDirectory(path); }

uint32_t DownloadFile::create(const std::string& finalPath) {
  m_finalPath = finalPath;
  const files::IoStatus status = m_file.create(finalPath, files::FileAccess::Usual);
  return status.ok() ? kErrorSuccess : codeForOpenError(status, finalPath);
}

uint32_t DownloadFile::write(std::string_view bytes) {
  const files::IoStatus status = m_file.write(bytes);
  return status.ok() ? kErrorSuccess : codeForOpenError(status, m_finalPath);
}

uint32_t DownloadFile::commit(bool failIfExists) {
  const files::IoStatus status =
      m_file.commit(failIfExists ? files::IfTargetExists::Fail : files::IfTargetExists::Replace);
  return status.ok() ? kErrorSuccess : codeForCommitError(status);
}

}  // namespace inet
