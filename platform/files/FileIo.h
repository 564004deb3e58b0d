// Reading and writing file contents: whole writes and interrupted reads retried, the start of a
// small file, and files that replace their target only once complete (written under a temporary
// name beside it, flushed to disk, renamed over it). Paths are the file system's bytes
// (ToFileSystemPath). Errors are errno values; the system's own codes map to them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace files {

// The outcome of a file operation: 0, or the errno value of the step that failed.
struct [[nodiscard]] IoStatus {
  int error = 0;

  bool ok() const { return error == 0; }
  // The file, or a folder on its path, does not exist.
  bool notFound() const;
  // The disk, or the user's quota on it, is full.
  bool diskFull() const;
};

// Opens the regular file at `path` for reading (binary); `*fd` is then its descriptor, to be
// closed with CloseFile. Something other than a regular file at the path (a folder, a device)
// is refused with EACCES and nothing stays open.
IoStatus OpenForReading(const std::string& path, int* fd);
void CloseFile(int fd);

// True when anything (a file, a folder, a link) exists at `path`.
bool PathExists(const std::string& path);
// True when `path` names an existing folder.
bool IsDirectory(const std::string& path);

// Writes all of `bytes` to the descriptor `fd`, retrying interrupted and partial writes.
IoStatus WriteAll(int fd, std::string_view bytes);

// Reads up to `size` bytes from `fd` into `buffer`, retrying an interrupted read; `*got` is
// the number read, 0 at the end of the file.
IoStatus ReadSome(int fd, char* buffer, size_t size, size_t* got);

// The read position of the open file `fd`, and a jump back to one: an upload tried again reads
// its file again from where it began. -1 / false when the file cannot tell or go there.
int64_t ReadPosition(int fd);
bool SetReadPosition(int fd, int64_t position);
// The size of the open file `fd` in bytes; -1 when it cannot be told.
int64_t FileSizeOf(int fd);

struct FileStart {
  IoStatus status;
  bool regular = true;  // false when something else (a folder, a FIFO) stands at the path
  std::string bytes;    // at most the limit asked for; complete when shorter than it
};

// The first `limit` bytes of the regular file at `path`. Never blocks on a FIFO or device: it
// is reported as not regular and not read.
[[nodiscard]] FileStart ReadFileStart(const std::string& path, size_t limit);

// Who may read a new file: its owner only (it holds a password), or whoever the process's
// usual mode for new files lets.
enum class FileAccess { OwnerOnly, Usual };

enum class IfTargetExists { Replace, Fail };

// Opens (creating it when missing, with `access`) the file at `path` for appending: every
// write goes to its end. `*fd` as for OpenForReading.
IoStatus OpenForAppending(const std::string& path, FileAccess access, int* fd);
// Renames `from` to `to`, replacing a file there.
IoStatus RenameReplacing(const std::string& from, const std::string& to);

// A new file under a temporary name in the folder of its target, moved to the target by
// commit. Until then the target is untouched; if commit is not reached or fails, the temporary
// file is closed and removed (at the latest on destruction).
class AtomicFile {
 public:
  AtomicFile() = default;
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;
  ~AtomicFile();

  // Creates the temporary file "." + target's name + ".part-" + six random characters.
  IoStatus create(const std::string& target, FileAccess access);
  IoStatus write(std::string_view bytes);
  // Flushes the file to disk, closes it and renames it to the target, then flushes the folder
  // so that the rename survives a crash. With IfTargetExists::Fail an existing target (even one
  // that appeared meanwhile) is left alone and the error is EEXIST.
  IoStatus commit(IfTargetExists ifExists);

 private:
  void discard();

  int m_fd = -1;
  std::string m_target;
  std::string m_temp;
};

// Replaces (or creates) the file `target` with `bytes` through an AtomicFile: afterwards the
// target holds either its old contents or all of `bytes`, and no temporary file remains.
IoStatus ReplaceFileAtomically(const std::string& target, std::string_view bytes,
                               FileAccess access);

}  // namespace files
