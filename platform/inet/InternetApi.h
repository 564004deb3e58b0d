// The internet client library the programs use for FTP: a handle-based API shaped like the
// platform's (open, connect, close, directories, put, get, rename, delete, find first/next,
// last response info). McWinFTP is written against this interface; the real implementation is
// our own FTP engine (FtpEngine.h), and tests may hand McWinFTP a recording fake instead.
//
// Texts are NUL-terminated CP932 byte strings. A null pointer is "not given", distinct from
// the empty string. Every call returns its result together with the error code of that very
// call (0 on success); there is no other error channel.
#pragma once

#include <cstdint>

namespace inet {

using Handle = std::uintptr_t;  // opaque, nonzero; 0 means none

// Error codes, with the platform's numbers, and when the engine gives each.
inline constexpr uint32_t kErrorSuccess = 0;
inline constexpr uint32_t kErrorFileNotFound = 2;  // local file of an upload missing
inline constexpr uint32_t kErrorPathNotFound = 3;  // local folder of a transfer missing
// Local file cannot be read or written, is no regular file, or a download's target is a folder.
inline constexpr uint32_t kErrorAccessDenied = 5;
inline constexpr uint32_t kErrorInvalidHandle = 6;    // 0, unknown, closed or wrong kind
inline constexpr uint32_t kErrorNotEnoughMemory = 8;
inline constexpr uint32_t kErrorNoMoreFiles = 18;     // end of a listing; an empty listing
// A download's data ended cleanly but short of the size the server announced (SIZE).
inline constexpr uint32_t kErrorHandleEof = 38;
inline constexpr uint32_t kErrorFileExists = 80;  // fail-if-exists and the file exists
// A null name or path, an empty local path (an empty remote name is sent as it is); CR or LF in a
// name, path, user or password (refused before anything is sent); a port outside 1..65535; a
// service other than FTP; an access type with a proxy.
inline constexpr uint32_t kErrorInvalidParameter = 87;
inline constexpr uint32_t kErrorDiskFull = 112;  // local disk full during a download
inline constexpr uint32_t kErrorInsufficientBuffer = 122;
// A listing cut at the byte cap: find next gives it after the last entry that was kept.
inline constexpr uint32_t kErrorMoreData = 234;
// A name or path with no exact form in the other encoding (CP932 <-> UTF-8 for a UTF8 server
// or the local file system): refused rather than altered into another name.
inline constexpr uint32_t kErrorNoUnicodeTranslation = 1113;
// A deadline passed: connecting (also a data connection), a reply, or a pause of a transfer.
// After a reply or transfer deadline the connection is dropped: its state is unknown.
inline constexpr uint32_t kErrorInternetTimeout = 12002;
// The server answered with a refusal (4xx/5xx, or a reply that does not fit the command);
// InternetGetLastResponseInfoA gives its code and text.
inline constexpr uint32_t kErrorInternetExtendedError = 12003;
inline constexpr uint32_t kErrorInternetNameNotResolved = 12007;  // also a null or empty name
// Connection (control or data) refused or unreachable.
inline constexpr uint32_t kErrorInternetCannotConnect = 12029;
// The server closed the connection mid-reply or mid-transfer, or broke the reply syntax (a
// line over 8 KiB, a line that is no reply); the connection is dropped.
inline constexpr uint32_t kErrorInternetConnectionAborted = 12030;
inline constexpr uint32_t kErrorFtpTransferInProgress = 12110;  // not produced by the engine
// Any later call on a connection that was dropped; only closing it is left.
inline constexpr uint32_t kErrorFtpDropped = 12111;
// The server's replies contradict the transfer: an upload confirmed (2xx) before its data
// connection carried the file.
inline constexpr uint32_t kErrorInvalidServerResponse = 12152;

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

// The process's real engine, created on first use and living until the process ends.
InternetApi& DefaultInternetApi();

}  // namespace inet
