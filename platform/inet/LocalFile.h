// Local files of transfers, by UTF-8 path: the source of an upload, and the temporary file a
// download is written to and renamed into place only once complete, so that a failed
// download never truncates or loses the file it would replace. Errors are InternetApi codes:
// kErrorFileNotFound, kErrorPathNotFound, kErrorAccessDenied, kErrorDiskFull, kErrorFileExists.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/files/FileIo.h"

namespace inet {

// An open regular file for reading; closes on destruction.
class SourceFile {
 public:
  SourceFile() = default;
  SourceFile(const SourceFile&) = delete;
  SourceFile& operator=(const SourceFile&) = delete;
  ~SourceFile();

  // Opens `path`; not a regular file (a folder, a device) gives kErrorAccessDenied.
  uint32_t open(const std::string& path);
  int fd() const { return m_fd; }

 private:
  int m_fd = -1;
};

// True when anything (a file, a folder, a link) exists at `path`.
bool LocalPathExists(const std::string& path);
// True when `path` names an existing folder.
bool LocalPathIsDirectory(const std::string& path);

// A temporary file beside the final path of a download (files::AtomicFile); removed on
// destruction unless committed.
class DownloadFile {
 public:
  // Creates the temporary file in the folder of `finalPath`.
  uint32_t create(const std::string& finalPath);
  uint32_t write(std::string_view bytes);
  // Flushes the file to disk and renames it to the final path. With `failIfExists` an
  // existing file at the final path is left alone and kErrorFileExists returned.
  uint32_t commit(bool failIfExists);

 private:
  files::AtomicFile m_file;
  std::string m_finalPath;
};

}  // namespace inet
