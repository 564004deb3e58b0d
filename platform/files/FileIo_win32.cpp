// File contents on the Win32 API: files opened through the wide (UTF-16) entry points, always in
// binary mode, handed to the C runtime as descriptors; FlushFileBuffers and MoveFileExW for
// the atomic replacement. Windows error codes are mapped to the errno values the callers test.
#include <windows.h>
// After windows.h, which it needs:
#include <fcntl.h>
#include <io.h>
#include <sddl.h>

#include <algorithm>
#include <cerrno>

#include "platform/files/FileIo.h"
#include "platform/files/Files.h"

namespace files {
namespace {

int errnoOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
      return ENOENT;
    case ERROR_DIRECTORY:
      return ENOTDIR;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_WRITE_PROTECT:
      return EROFS;
    case ERROR_FILENAME_EXCED_RANGE:
      return ENAMETOOLONG;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return EACCES;
    default:
      return EIO;
  }
}

IoStatus lastError() { return IoStatus{errnoOf(GetLastError())}; }

std::wstring wide(const std::string& path) {
  const std::u16string text = FromFileSystemPath(path);
  return std::wstring(text.begin(), text.end());
}

HANDLE openExisting(const std::string& path) {
  return CreateFileW(wide(path).c_str(), GENERIC_READ,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

// A handle of a plain disk file (not a folder, console, pipe or device).
bool isRegular(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION info{};
  return GetFileType(file) == FILE_TYPE_DISK && GetFileInformationByHandle(file, &info) &&
         (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Six characters for a temporary name, different on each call.
std::string randomSuffix() {
  static unsigned counter = 0;
  LARGE_INTEGER now{};
  QueryPerformanceCounter(&now);
  unsigned long long mix = static_cast<unsigned long long>(now.QuadPart) * 6364136223846793005ULL +
                           GetCurrentProcessId() * 1442695040888963407ULL + ++counter;
  static const char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::string suffix;
  for (int i = 0; i < 6; ++i, mix /= 36) suffix += kChars[mix % 36];
  return suffix;
}

// A protected access list that lets the user this process runs as alone in, with every right:
// the counterpart of mode 0600. Empty when the user cannot be told.
std::wstring ownerOnlyDescriptor() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  std::wstring descriptor;
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::string buffer(size, '\0');
  wchar_t* sid = nullptr;
  if (size > 0 && GetTokenInformation(token, TokenUser, buffer.data(), size, &size) &&
      ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &sid)) {
    descriptor = L"D:P(A;;FA;;;" + std::wstring(sid) + L")";
    LocalFree(sid);
  }
  CloseHandle(token);
  return descriptor;
}

// Creates `path` new, for writing; OwnerOnly gives it ownerOnlyDescriptor, Usual the rights
// the folder passes on.
HANDLE createNew(const std::string& path, FileAccess access) {
  SECURITY_ATTRIBUTES attributes{sizeof attributes, nullptr, FALSE};
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  const std::wstring ownerOnly = access == FileAccess::OwnerOnly ? ownerOnlyDescriptor() : L"";
  if (!ownerOnly.empty() && ConvertStringSecurityDescriptorToSecurityDescriptorW(
                                ownerOnly.c_str(), SDDL_REVISION_1, &descriptor, nullptr)) {
    attributes.lpSecurityDescriptor = descriptor;
  }
  HANDLE file = CreateFileW(wide(path).c_str(), GENERIC_WRITE, 0, &attributes, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  const DWORD error = GetLastError();
  if (descriptor) LocalFree(descriptor);
  SetLastError(error);
  return file;
}

}  // namespace

bool IoStatus::notFound() const { return error == ENOENT || error == ENOTDIR; }

bool IoStatus::diskFull() const { return error == ENOSPC; }

IoStatus WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const unsigned chunk = static_cast<unsigned>(std::min<size_t>(bytes.size(), 1u << 30));
    const int written = _write(fd, bytes.data(), chunk);
    if (written < 0) return IoStatus{errno};
    bytes.remove_prefix(static_cast<size_t>(written));
  }
  return {};
}

IoStatus ReadSome(int fd, char* buffer, size_t size, size_t* got) {
  const int n = _read(fd, buffer, static_cast<unsigned>(std::min<size_t>(size, 1u << 30)));
  *got = n > 0 ? static_cast<size_t>(n) : 0;
  return n < 0 ? IoStatus{errno} : IoStatus{};
}

int64_t ReadPosition(int fd) { return _lseeki64(fd, 0, SEEK_CUR); }

int64_t FileSizeOf(int fd) { return _filelengthi64(fd); }

bool SetReadPosition(int fd, int64_t position) {
  return position >= 0 && _lseeki64(fd, position, SEEK_SET) == position;
}

FileStart ReadFileStart(const std::string& path, size_t limit) {
  FileStart start;
  if (IsDirectory(path)) {
    start.regular = false;
    return start;
  }
  HANDLE file = openExisting(path);
  if (file == INVALID_HANDLE_VALUE) {
    start.status = lastError();
    return start;
  }
  if (!isRegular(file)) {
    start.regular = false;
    CloseHandle(file);
    return start;
  }
  char chunk[64 * 1024];
  while (start.bytes.size() < limit) {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(std::min(sizeof chunk, limit - start.bytes.size()));
    if (!ReadFile(file, chunk, want, &got, nullptr)) {
      start.status = lastError();
      break;
    }
    if (got == 0) break;
    start.bytes.append(chunk, got);
  }
  CloseHandle(file);
  return start;
}

IoStatus OpenForReading(const std::string& path, int* fd) {
  *fd = -1;
  HANDLE file = openExisting(path);
  if (file == INVALID_HANDLE_VALUE) return IsDirectory(path) ? IoStatus{EACCES} : lastError();
  if (!isRegular(file)) {
    CloseHandle(file);
    return IoStatus{EACCES};
  }
  *fd = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_RDONLY | _O_BINARY);
  if (*fd < 0) {
    CloseHandle(file);
    return IoStatus{EMFILE};
  }
  return {};
}

IoStatus OpenForAppending(const std::string& path, FileAccess access, int* fd) {
  *fd = -1;
  SECURITY_ATTRIBUTES attributes{sizeof attributes, nullptr, FALSE};
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  const std::wstring ownerOnly = access == FileAccess::OwnerOnly ? ownerOnlyDescriptor() : L"";
  if (!ownerOnly.empty() && ConvertStringSecurityDescriptorToSecurityDescriptorW(
                                ownerOnly.c_str(), SDDL_REVISION_1, &descriptor, nullptr)) {
    attributes.lpSecurityDescriptor = descriptor;
  }
  // The access list applies only to a file made here; one that exists keeps its own.
  HANDLE file = CreateFileW(wide(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, &attributes,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  const IoStatus status = file == INVALID_HANDLE_VALUE ? lastError() : IoStatus{};
  if (descriptor) LocalFree(descriptor);
  if (!status.ok()) return status;
  *fd = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_WRONLY | _O_APPEND | _O_BINARY);
  if (*fd < 0) {
    CloseHandle(file);
    return IoStatus{EMFILE};
  }
  return {};
}

IoStatus RenameReplacing(const std::string& from, const std::string& to) {
  return MoveFileExW(wide(from).c_str(), wide(to).c_str(), MOVEFILE_REPLACE_EXISTING) ? IoStatus{}
                                                                                      : lastError();
}

void CloseFile(int fd) {
  if (fd >= 0) _close(fd);
}

bool PathExists(const std::string& path) {
  return GetFileAttributesW(wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsDirectory(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(wide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

AtomicFile::~AtomicFile() { discard(); }

IoStatus AtomicFile::create(const std::string& target, FileAccess access) {
  discard();
  m_target = target;
  const size_t separator = target.find_last_of("\\/");
  const std::string name = separator == std::string::npos ? target : target.substr(separator + 1);
  const std::string prefix = ParentFolder(target) + "\\." + name.substr(0, 200) + ".part-";
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string temp = prefix + randomSuffix();
    HANDLE file = createNew(temp, access);
    if (file == INVALID_HANDLE_VALUE) {
      if (GetLastError() == ERROR_FILE_EXISTS) continue;
      return lastError();
    }
    m_fd = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_WRONLY | _O_BINARY);
    if (m_fd < 0) {
      CloseHandle(file);
      DeleteFileW(wide(temp).c_str());
      return IoStatus{EMFILE};
    }
    m_temp = temp;
    return {};
  }
  return IoStatus{EEXIST};
}

IoStatus AtomicFile::write(std::string_view bytes) { return WriteAll(m_fd, bytes); }

IoStatus AtomicFile::commit(IfTargetExists ifExists) {
  if (m_fd < 0) return IoStatus{EBADF};
  IoStatus status;
  if (!FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(m_fd)))) status = lastError();
  // Closed whether or not the flush worked: no path may keep the descriptor.
  if (_close(m_fd) != 0 && status.ok()) status = IoStatus{errno};
  m_fd = -1;
  // Without MOVEFILE_REPLACE_EXISTING a target that appeared meanwhile is not replaced either.
  const DWORD flags = MOVEFILE_WRITE_THROUGH |
                      (ifExists == IfTargetExists::Replace ? MOVEFILE_REPLACE_EXISTING : 0);
  if (status.ok() && !MoveFileExW(wide(m_temp).c_str(), wide(m_target).c_str(), flags)) {
    status = lastError();
  }
  if (!status.ok()) {
    discard();
    return status;
  }
  m_temp.clear();
  return {};
}

void AtomicFile::discard() {
  if (m_fd >= 0) _close(m_fd);
  m_fd = -1;
  if (!m_temp.empty()) DeleteFileW(wide(m_temp).c_str());
  m_temp.clear();
}

}  // namespace files
