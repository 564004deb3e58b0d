// The internet client library the programs use for FTP: a handle-based API shaped like the
// platform's (open, connect, close, directories, put, get, rename, delete, find first/next,
// last response info). McWinFTP is written against this interface; the real implementation is
// our own FTP engine (FtpEngine.h), and tests may hand McWinFTP a recording fake instead.
//
// Texts are NUL-terminated CP932 byte strings. A null pointer is "not given", distinct from
// the empty string. Every call returns its result together with the error code of that very
// call (0 on success); there is no other error channel.
//
// Every call ends in bounded time, whatever the server does (the bounds are EngineOptions in
// FtpEngine.h; defaults in brackets), and only real progress extends a wait:
//   - connecting to one address of a name, and a data connection opened either way [30 s];
//   - each reply [60 s], counted from the command: preliminary replies (1xx, also a greeting
//     of endless "120") count against the same deadline, they never restart it;
//   - every data connection must move at least 1 KiB within each data idle timeout [60 s],
//     counted from the last time it did: a stall and a trickle both end there (a slow link
//     that keeps moving is not cut off);
//   - after an upload's data, the server's close of the data connection and its final reply
//     share one reply timeout, however the server spaces them out;
//   - a listing is cut at a byte cap [64 MiB]; the entries before the cut are kept.
// A deadline that passes gives kErrorInternetTimeout; after a reply or transfer deadline the
// connection's protocol state is unknown and it is dropped.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "platform/inet/ErrorTable.h"

namespace inet {

using Handle = std::uintptr_t;  // opaque, nonzero; 0 means none

// Error codes, with the platform's numbers; ErrorTable.h says when each is given.
inline constexpr uint32_t kErrorSuccess = 0;
#define QP_ERROR_CONSTANT(number, name, when, message) inline constexpr uint32_t name = number;
QP_ERROR_TABLE(QP_ERROR_CONSTANT)
#undef QP_ERROR_CONSTANT

// Argument values.
inline constexpr uint32_t kOpenTypePreconfig = 0;
inline constexpr uint32_t kServiceFtp = 1;
inline constexpr uint32_t kFlagPassive = 0x08000000;
inline constexpr uint32_t kFlagReload = 0x80000000;
inline constexpr uint32_t kTransferTypeAscii = 1;
inline constexpr uint32_t kTransferTypeBinary = 2;
inline constexpr uint32_t kFileAttributeReadOnly = 0x01;
inline constexpr uint32_t kFileAttributeDirectory = 0x10;
inline constexpr uint32_t kFileAttributeNormal = 0x80;
inline constexpr uint32_t kMaxPath = 260;

// 100-nanosecond intervals since 1601-01-01 00:00:00 UTC, in two 32-bit halves.
struct FileTime {
  uint32_t dwLowDateTime = 0;
  uint32_t dwHighDateTime = 0;
};

struct SystemTime {
  uint16_t wYear = 0;
  uint16_t wMonth = 0;
  uint16_t wDayOfWeek = 0;
  uint16_t wDay = 0;
  uint16_t wHour = 0;
  uint16_t wMinute = 0;
  uint16_t wSecond = 0;
  uint16_t wMilliseconds = 0;
};

// One directory entry, filled by FtpFindFirstFileA / InternetFindNextFileA.
struct FindData {
  uint32_t dwFileAttributes = 0;
  FileTime ftCreationTime;
  FileTime ftLastAccessTime;
  FileTime ftLastWriteTime;
  uint32_t nFileSizeHigh = 0;
  uint32_t nFileSizeLow = 0;
  uint32_t dwReserved0 = 0;
  uint32_t dwReserved1 = 0;
  char cFileName[kMaxPath] = {};  // NUL-terminated CP932 name, at most 259 bytes
  char cAlternateFileName[14] = {};
};

// How far a transfer has come, for the status callback.
struct TransferProgress {
  uint64_t bytes = 0;  // of the local file, read (put) or written (get) so far
  uint64_t total = 0;  // the whole when known (put: the local file's size; get: what the
                       // server announced), else 0
};

// Told the progress of a put or get with the call's context; returns false to cancel it.
using StatusCallback = std::function<bool(uintptr_t context, const TransferProgress& progress)>;

struct [[nodiscard]] HandleResult {
  Handle handle = 0;
  uint32_t error = kErrorSuccess;  // set when handle is 0
};

struct [[nodiscard]] BoolResult {
  bool ok = false;
  uint32_t error = kErrorSuccess;  // set when ok is false
};

// Converts a FileTime to calendar fields (UTC, no local-time conversion). Fails for times
// beyond the year 30827 (high bit set).
[[nodiscard]] bool FileTimeToSystemTime(const FileTime& fileTime, SystemTime* systemTime);

class InternetApi {
 public:
  virtual ~InternetApi() = default;

  // The root handle. `agent`, `proxy`, `proxyBypass` may be null; accessType 0 uses the
  // system's configuration (no proxy here).
  virtual HandleResult InternetOpenA(const char* agent, uint32_t accessType, const char* proxy,
                                     const char* proxyBypass, uint32_t flags) = 0;

  // Connects and logs in; the connection handle is returned only once logged in.
  // `serverName` may carry a port ("host:port", "[v6]:port"), which takes the place of
  // `serverPort`. A null `userName` logs in anonymously; a user with a null password sends an
  // empty password. `flags` may hold kFlagPassive. `service` must be kServiceFtp.
  virtual HandleResult InternetConnectA(Handle hInternet, const char* serverName,
                                        int32_t serverPort, const char* userName,
                                        const char* password, uint32_t service, uint32_t flags,
                                        uintptr_t context) = 0;

  // Sets the status callback of the root handle `hInternet` (an empty one removes it). It is
  // called during every put and get on that root's connections: at most every 200 ms while
  // bytes move, and at least that often while the transfer waits, so that a caller on one
  // thread can keep its window alive. Returning false cancels the transfer: the call fails with
  // kErrorOperationCancelled within about a second; the data connection is closed, the server
  // told with ABOR, and the control connection left usable (or dropped when the server does not
  // answer in time). Our own form of the platform's status callback, which tells states, not
  // bytes. The callback must not call into the engine.
  virtual BoolResult InternetSetStatusCallbackA(Handle hInternet, StatusCallback callback) = 0;

  // Closes any handle. Closing a connection also ends the searches opened on it.
  virtual BoolResult InternetCloseHandle(Handle handle) = 0;

  // Writes the current remote directory, NUL-terminated, into `buffer` of `*length` bytes
  // (the NUL counts). On success `*length` is the text's length; when it does not fit,
  // kErrorInsufficientBuffer and `*length` is the size needed. The server is asked once; its
  // answer stands until the next directory command (set, create, remove), delete or rename.
  virtual BoolResult FtpGetCurrentDirectoryA(Handle hConnect, char* buffer, uint32_t* length) = 0;
  virtual BoolResult FtpSetCurrentDirectoryA(Handle hConnect, const char* directory) = 0;

  // Uploads the local file `localFile` (a CP932 path) as `newRemoteFile`. `flags`: the
  // transfer type (kTransferTypeAscii or kTransferTypeBinary). Succeeds only when the server
  // confirmed that the whole file was stored.
  virtual BoolResult FtpPutFileA(Handle hConnect, const char* localFile, const char* newRemoteFile,
                                 uint32_t flags, uintptr_t context) = 0;

  // Downloads `remoteFile` to the local path `newFile`. `failIfExists` nonzero: fails with
  // kErrorFileExists, before any transfer, when `newFile` exists. `flags`: the transfer type,
  // optionally with kFlagReload. An existing local file is replaced only once the whole file
  // has arrived.
  virtual BoolResult FtpGetFileA(Handle hConnect, const char* remoteFile, const char* newFile,
                                 int32_t failIfExists, uint32_t flagsAndAttributes, uint32_t flags,
                                 uintptr_t context) = 0;

  virtual BoolResult FtpRenameFileA(Handle hConnect, const char* existing, const char* newName) = 0;

  // The size in bytes of the remote file `fileName` as stored (binary, whatever the last
  // transfer's type), into `*size`. kErrorNotSupported when the server has no way to tell
  // (an FTP server without SIZE); a server's refusal (no such file) is
  // kErrorInternetExtendedError. Our own call: the platform asks a file handle for it.
  virtual BoolResult FtpGetFileSizeA(Handle hConnect, const char* fileName, uint64_t* size) = 0;
  virtual BoolResult FtpDeleteFileA(Handle hConnect, const char* fileName) = 0;
  virtual BoolResult FtpCreateDirectoryA(Handle hConnect, const char* directory) = 0;
  virtual BoolResult FtpRemoveDirectoryA(Handle hConnect, const char* directory) = 0;

  // Starts a listing of the current remote directory (or of the folder a pattern names
  // before its last "/"). "*.*", "*" or an empty or null pattern list everything; other
  // patterns are matched here with * and ?, ASCII letters regardless of case. The whole
  // listing is read at once, so other calls work while the search is open. Entries whose name
  // does not fit cFileName (over 259 bytes) or has no exact CP932 form are left out. The first
  // entry goes into `findData`; kErrorNoMoreFiles for an empty listing.
  virtual HandleResult FtpFindFirstFileA(Handle hConnect, const char* searchFile,
                                         FindData* findData, uint32_t flags, uintptr_t context) = 0;
  // The next entry of the listing; kErrorNoMoreFiles after the last one.
  virtual BoolResult InternetFindNextFileA(Handle hFind, FindData* findData) = 0;

  // The server's last response of the last call that failed with a server reply: `*error`
  // always receives its FTP reply code (0 when there is none), `buffer` the whole reply (every
  // line, CR LF kept) with a NUL, and `*bufferLength` its length. When the text and its NUL do
  // not fit in `*bufferLength` bytes, fails with kErrorInsufficientBuffer, leaves `buffer`
  // untouched and sets `*bufferLength` to the size needed. With no response, the empty text.
  virtual BoolResult InternetGetLastResponseInfoA(uint32_t* error, char* buffer,
                                                  uint32_t* bufferLength) = 0;
};

// The one-line Japanese message of an error code of ErrorTable.h; empty for any other code.
std::u16string_view ErrorMessage(uint32_t code);

// The process's real engine, created on first use and living until the process ends.
InternetApi& DefaultInternetApi();

}  // namespace inet
