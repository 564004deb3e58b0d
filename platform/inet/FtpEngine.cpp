#include "platform/inet/FtpEngine.h"

#include <cstring>
#include <map>
#include <vector>

#include "platform/clock/DateTime.h"
#include "platform/files/FileIo.h"
#include "platform/files/Files.h"
#include "platform/inet/ListingCollector.h"
#include "platform/inet/ListingStore.h"
#include "platform/inet/LocalFile.h"
#include "platform/inet/RemoteSession.h"
#include "platform/inet/WireNames.h"

namespace inet {
namespace {

// Whether a name may reach beyond the current directory's own entries ("..", a path): only
// such a name, renamed, can move the current directory.
bool mayNameAnotherFolder(const std::string& name) {
  return name == "." || name == ".." || name.find_first_of("/\\") != std::string::npos;
}

enum class HandleKind { Root, Connection, Find };

// A search: the listing taken at find first, handed out entry by entry.
struct Search {
  ListingStore entries;
  bool cut = false;      // the listing was cut at the byte cap
  bool cutTold = false;  // find next has said so once
};

struct HandleEntry {
  HandleKind kind = HandleKind::Root;
  Handle parent = 0;
  std::unique_ptr<RemoteSession> session;  // Connection
  std::unique_ptr<Search> search;          // Find
  StatusCallback statusCallback;           // Root: told the progress of its connections' transfers
};

// CR or LF would end the command line early and let a name smuggle in a command of its own.
bool holdsLineBreak(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

BoolResult result(const Status& status) { return {status.ok(), status.error}; }

// Listing dates without a year are placed against the local date and time.
CivilTime localNow() {
  const DateTime now = SystemLocalTime();
  return CivilTime{now.year, now.month, now.day, now.hour, now.minute, now.second, 0};
}

class FtpEngine final : public InternetApi {
 public:
  explicit FtpEngine(const EngineOptions& options) : m_options(options) {}
  ~FtpEngine() override;

  HandleResult InternetOpenA(const char* agent, uint32_t accessType, const char* proxy,
                             const char* proxyBypass, uint32_t flags) override;
  HandleResult InternetConnectA(Handle hInternet, const char* serverName, int32_t serverPort,
                                const char* userName, const char* password, uint32_t service,
                                uint32_t flags, uintptr_t context) override;
  BoolResult InternetSetStatusCallbackA(Handle hInternet, StatusCallback callback) override;
  BoolResult InternetCloseHandle(Handle handle) override;
  BoolResult FtpGetCurrentDirectoryA(Handle hConnect, char* buffer, uint32_t* length) override;
  BoolResult FtpSetCurrentDirectoryA(Handle hConnect, const char* directory) override;
  BoolResult FtpPutFileA(Handle hConnect, const char* localFile, const char* newRemoteFile,
                         uint32_t flags, uintptr_t context) override;
  BoolResult FtpGetFileA(Handle hConnect, const char* remoteFile, const char* newFile,
                         int32_t failIfExists, uint32_t flagsAndAttributes, uint32_t flags,
                         uintptr_t context) override;
  BoolResult FtpRenameFileA(Handle hConnect, const char* existing, const char* newName) override;
  BoolResult FtpGetFileSizeA(Handle hConnect, const char* fileName, uint64_t* size) override;
  BoolResult FtpDeleteFileA(Handle hConnect, const char* fileName) override;
  BoolResult FtpCreateDirectoryA(Handle hConnect, const char* directory) override;
  BoolResult FtpRemoveDirectoryA(Handle hConnect, const char* directory) override;
  HandleResult FtpFindFirstFileA(Handle hConnect, const char* searchFile, FindData* findData,
                                 uint32_t flags, uintptr_t context) override;
  BoolResult InternetFindNextFileA(Handle hFind, FindData* findData) override;
  BoolResult InternetGetLastResponseInfoA(uint32_t* error, char* buffer,
                                          uint32_t* bufferLength) override;

 private:
  Handle addHandle(HandleEntry entry);
  HandleEntry* find(Handle handle, HandleKind kind);
  void closeTree(Handle handle);
  // Keeps the reply of a refusal for InternetGetLastResponseInfoA.
  Status remember(Status status);
  Status wireName(const RemoteSession& session, const char* name, std::string* wire);
  BoolResult nameCommand(Handle hConnect, Status (RemoteSession::*operation)(const std::string&),
                         const char* name);
  Status localPath(const char* ansiPath, std::string* path);
  Status listEntries(RemoteSession& session, const char* searchFile, Search* search);
  // The watch of a transfer on `connection` when its root has a status callback, else null.
  std::unique_ptr<TransferWatch> watchFor(const HandleEntry& connection, uintptr_t context,
                                          uint64_t total);

  EngineOptions m_options;
  std::map<Handle, HandleEntry> m_handles;
  Handle m_lastHandle = 0xCC0000;
  Reply m_lastResponse;
};

FtpEngine::~FtpEngine() {
  while (!m_handles.empty()) closeTree(m_handles.begin()->first);
}

Handle FtpEngine::addHandle(HandleEntry entry) {
  // Handles are never reused, so a stale handle cannot reach a newer object.
  m_lastHandle += 4;
  m_handles.emplace(m_lastHandle, std::move(entry));
  return m_lastHandle;
}

HandleEntry* FtpEngine::find(Handle handle, HandleKind kind) {
  const auto it = m_handles.find(handle);
  return it == m_handles.end() || it->second.kind != kind ? nullptr : &it->second;
}

void FtpEngine::closeTree(Handle handle) {
  std::vector<Handle> children;
  for (const auto& [child, entry] : m_handles) {
    if (entry.parent == handle) children.push_back(child);
  }
  for (Handle child : children) closeTree(child);
  const auto it = m_handles.find(handle);
  if (it == m_handles.end()) return;
  if (it->second.session) it->second.session->quit();
  m_handles.erase(it);
}

Status FtpEngine::remember(Status status) {
  if (status.error == kErrorInternetExtendedError) m_lastResponse = status.reply;
  return status;
}

HandleResult FtpEngine::InternetOpenA(const char*, uint32_t accessType, const char*, const char*,
                                      uint32_t) {
  // No proxy support: only the preconfigured (here: direct) and the direct access types.
  if (accessType != kOpenTypePreconfig && accessType != 1 && accessType != 4) {
    return {0, kErrorInvalidParameter};
  }
  return {addHandle(HandleEntry{HandleKind::Root, 0, nullptr, nullptr, {}}), kErrorSuccess};
}

HandleResult FtpEngine::InternetConnectA(Handle hInternet, const char* serverName,
                                         int32_t serverPort, const char* userName,
                                         const char* password, uint32_t service, uint32_t flags,
                                         uintptr_t) {
  if (find(hInternet, HandleKind::Root) == nullptr) return {0, kErrorInvalidHandle};
  if (service != kServiceFtp) return {0, kErrorInvalidParameter};
  if (serverName == nullptr || *serverName == '\0') return {0, kErrorInternetNameNotResolved};
  if (holdsLineBreak(serverName) || (userName && holdsLineBreak(userName)) ||
      (password && holdsLineBreak(password))) {
    return {0, kErrorInvalidParameter};
  }
  const auto address = ParseServerAddress(serverName, serverPort);
  if (!address) return {0, kErrorInvalidParameter};
  // No user: anonymous with the default password. A user without a password: an empty one.
  const bool anonymous = userName == nullptr || *userName == '\0';
  const std::string user = anonymous ? "anonymous" : userName;
  const std::string pass =
      anonymous ? m_options.anonymousPassword : (password ? password : std::string());
  auto session = address->protocol == Protocol::Sftp
                     ? MakeSftpSession(m_options)
                     : MakeFtpRemoteSession(m_options, (flags & kFlagPassive) != 0);
  Status status = remember(session->open(*address, user, pass));
  if (!status.ok()) return {0, status.error};
  return {
      addHandle(HandleEntry{HandleKind::Connection, hInternet, std::move(session), nullptr, {}}),
      kErrorSuccess};
}

BoolResult FtpEngine::InternetSetStatusCallbackA(Handle hInternet, StatusCallback callback) {
  HandleEntry* root = find(hInternet, HandleKind::Root);
  if (root == nullptr) return {false, kErrorInvalidHandle};
  root->statusCallback = std::move(callback);
  return {true, kErrorSuccess};
}

std::unique_ptr<TransferWatch> FtpEngine::watchFor(const HandleEntry& connection, uintptr_t context,
                                                   uint64_t total) {
  const HandleEntry* root = find(connection.parent, HandleKind::Root);
  if (root == nullptr || !root->statusCallback) return nullptr;
  return std::make_unique<TransferWatch>(root->statusCallback, context, total);
}

BoolResult FtpEngine::InternetCloseHandle(Handle handle) {
  if (handle == 0 || m_handles.find(handle) == m_handles.end()) {
    return {false, kErrorInvalidHandle};
  }
  closeTree(handle);
  return {true, kErrorSuccess};
}

Status FtpEngine::wireName(const RemoteSession& session, const char* name, std::string* wire) {
  if (name == nullptr || holdsLineBreak(name)) return Status::failure(kErrorInvalidParameter);
  const auto converted = session.names().toWire(name);
  if (!converted) return Status::failure(kErrorNoUnicodeTranslation);
  *wire = *converted;
  return Status::success();
}

Status FtpEngine::localPath(const char* ansiPath, std::string* path) {
  if (ansiPath == nullptr || *ansiPath == '\0') return Status::failure(kErrorInvalidParameter);
  const auto utf8 = AnsiToUtf8(ansiPath);
  if (!utf8) return Status::failure(kErrorNoUnicodeTranslation);
  *path = *utf8;
  return Status::success();
}

BoolResult FtpEngine::FtpGetCurrentDirectoryA(Handle hConnect, char* buffer, uint32_t* length) {
  HandleEntry* connection = find(hConnect, HandleKind::Connection);
  if (connection == nullptr) return {false, kErrorInvalidHandle};
  if (buffer == nullptr || length == nullptr) return {false, kErrorInvalidParameter};
  std::string wire;
  Status status = remember(connection->session->printWorkingDirectory(&wire));
  if (!status.ok()) return result(status);
  const auto path = connection->session->names().fromWire(wire);
  if (!path || path->find('\0') != std::string::npos) {
    return {false, kErrorNoUnicodeTranslation};
  }
  const auto needed = static_cast<uint32_t>(path->size() + 1);
  if (needed > *length) {
    *length = needed;
    return {false, kErrorInsufficientBuffer};
  }
  std::memcpy(buffer, path->c_str(), needed);
  *length = needed - 1;
  return {true, kErrorSuccess};
}

BoolResult FtpEngine::nameCommand(Handle hConnect,
                                  Status (RemoteSession::*operation)(const std::string&),
                                  const char* name) {
  HandleEntry* connection = find(hConnect, HandleKind::Connection);
  if (connection == nullptr) return {false, kErrorInvalidHandle};
  std::string wire;
  Status status = wireName(*connection->session, name, &wire);
  // CWD moves the current directory, RMD may remove it: PWD must be asked again.
  if (status.ok()) connection->session->forgetDirectory();
  if (status.ok()) status = remember(((*connection->session).*operation)(wire));
  return result(status);
}

BoolResult FtpEngine::FtpSetCurrentDirectoryA(Handle hConnect, const char* directory) {
  return nameCommand(hConnect, &RemoteSession::changeDirectory, directory);
}

BoolResult FtpEngine::FtpDeleteFileA(Handle hConnect, const char* fileName) {
  return nameCommand(hConnect, &RemoteSession::deleteFile, fileName);
}

BoolResult FtpEngine::FtpCreateDirectoryA(Handle hConnect, const char* directory) {
  return nameCommand(hConnect, &RemoteSession::makeDirectory, directory);
}

BoolResult FtpEngine::FtpRemoveDirectoryA(Handle hConnect, const char* directory) {
  return nameCommand(hConnect, &RemoteSession::removeDirectory, directory);
}

BoolResult FtpEngine::FtpRenameFileA(Handle hConnect, const char* existing, const char* newName) {
  HandleEntry* connection = find(hConnect, HandleKind::Connection);
  if (connection == nullptr) return {false, kErrorInvalidHandle};
  std::string from;
  std::string to;
  Status status = wireName(*connection->session, existing, &from);
  if (status.ok()) status = wireName(*connection->session, newName, &to);
  // Renaming a folder above the current directory changes what PWD says; a name in the
  // current directory cannot, so the start-up's rename into place costs no second PWD.
  if (status.ok() && (mayNameAnotherFolder(from) || mayNameAnotherFolder(to))) {
    connection->session->forgetDirectory();
  }
  if (status.ok()) status = remember(connection->session->rename(from, to));
  return result(status);
}

BoolResult FtpEngine::FtpGetFileSizeA(Handle hConnect, const char* fileName, uint64_t* size) {
  HandleEntry* connection = find(hConnect, HandleKind::Connection);
  if (connection == nullptr) return {false, kErrorInvalidHandle};
  if (size == nullptr) return {false, kErrorInvalidParameter};
  std::string wire;
  Status status = wireName(*connection->session, fileName, &wire);
  if (status.ok()) status = remember(connection->session->fileSize(wire, size));
  return result(status);
}

BoolResult FtpEngine::FtpPutFileA(Handle hConnect, const char* localFile, const char* newRemoteFile,
                                  uint32_t flags, uintptr_t context) {
  HandleEntry* connection = find(hConnect, HandleKind::Connection);
  if (connection == nullptr) return {false, kErrorInvalidHandle};
  std::string path;
  std::string wire;
  Status status = localPath(localFile, &path);
  if (status.ok()) status = wireName(*connection->session, newRemoteFile, &wire);
  if (!status.ok()) return result(status);
  SourceFile source;
  if (const uint32_t error = source.open(path); error != kErrorSuccess) return {false, error};
  const TransferType type =
      (flags & 3) == kTransferTypeAscii ? TransferType::Ascii : TransferType::Binary;
  const int64_t size = files::FileSizeOf(source.fd());
  const auto watch = watchFor(*connection, context, size > 0 ? static_cast<uint64_t>(size) : 0);
  return result(remember(connection->session->store(wire, type, source.fd(), watch.get())));
}

BoolResult FtpEngine::FtpGetFileA(Handle hConnect, const char* remoteFile, const char* newFile,
                                  int32_t failIfExists, uint32_t, uint32_t flags,
                                  uintptr_t context) {
  HandleEntry* connection = find(hConnect, HandleKind::Connection);
  if (connection == nullptr) return {false, kErrorInvalidHandle};
  std::string path;
  std::string wire;
  Status status = wireName(*connection->session, remoteFile, &wire);
  if (status.ok()) status = localPath(newFile, &path);
  if (!status.ok()) return result(status);
  if (failIfExists != 0 && LocalPathExists(path)) return {false, kErrorFileExists};
  if (LocalPathIsDirectory(path)) return {false, kErrorAccessDenied};
  DownloadFile target;
  if (const uint32_t error = target.create(path); error != kErrorSuccess) return {false, error};
  // There is no cache: kFlagReload changes nothing, every download comes from the server.
  const TransferType type =
      (flags & 3) == kTransferTypeAscii ? TransferType::Ascii : TransferType::Binary;
  const auto watch = watchFor(*connection, context, 0);
  status = remember(connection->session->retrieve(
      wire, type,
      [&](std::string_view block) {
        const uint32_t error = target.write(block);
        return error == kErrorSuccess ? Status::success() : Status::failure(error);
      },
      watch.get()));
  if (!status.ok()) return result(status);
  const uint32_t error = target.commit(failIfExists != 0);
  return {error == kErrorSuccess, error};
}

Status FtpEngine::listEntries(RemoteSession& session, const char* searchFile, Search* search) {
  // A pattern may name a folder before its last "/": that folder is listed.
  const std::string pattern = searchFile ? searchFile : "";
  const size_t slash = pattern.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : pattern.substr(0, slash + 1);
  std::string wireFolder;
  if (!folder.empty()) {
    Status status = wireName(session, folder.c_str(), &wireFolder);
    if (!status.ok()) return status;
  }
  const WireNames names = session.names();
  ListingCollector collector(names,
                             slash == std::string::npos ? pattern : pattern.substr(slash + 1),
                             localNow(), search->entries);
  Status status = remember(session.list(wireFolder, collector));
  if (status.error == kErrorMoreData) {
    search->cut = true;
    return Status::success();
  }
  return status;
}

HandleResult FtpEngine::FtpFindFirstFileA(Handle hConnect, const char* searchFile,
                                          FindData* findData, uint32_t, uintptr_t) {
  HandleEntry* connection = find(hConnect, HandleKind::Connection);
  if (connection == nullptr) return {0, kErrorInvalidHandle};
  if (findData == nullptr || (searchFile && holdsLineBreak(searchFile))) {
    return {0, kErrorInvalidParameter};
  }
  auto search = std::make_unique<Search>();
  Status status = listEntries(*connection->session, searchFile, search.get());
  if (!status.ok()) return {0, status.error};
  if (!search->entries.next(findData)) {
    return {0, search->cut ? kErrorMoreData : kErrorNoMoreFiles};
  }
  return {addHandle(HandleEntry{HandleKind::Find, hConnect, nullptr, std::move(search), {}}),
          kErrorSuccess};
}

BoolResult FtpEngine::InternetFindNextFileA(Handle hFind, FindData* findData) {
  HandleEntry* handle = find(hFind, HandleKind::Find);
  if (handle == nullptr) return {false, kErrorInvalidHandle};
  if (findData == nullptr) return {false, kErrorInvalidParameter};
  Search& search = *handle->search;
  if (search.entries.next(findData)) return {true, kErrorSuccess};
  // A cut listing says so once after its last entry, then ends like any other.
  if (search.cut && !search.cutTold) {
    search.cutTold = true;
    return {false, kErrorMoreData};
  }
  return {false, kErrorNoMoreFiles};
}

BoolResult FtpEngine::InternetGetLastResponseInfoA(uint32_t* error, char* buffer,
                                                   uint32_t* bufferLength) {
  if (error == nullptr || bufferLength == nullptr) return {false, kErrorInvalidParameter};
  *error = static_cast<uint32_t>(m_lastResponse.code);
  const auto needed = static_cast<uint32_t>(m_lastResponse.text.size() + 1);
  if (needed > *bufferLength || buffer == nullptr) {
    *bufferLength = needed;
    return {false, kErrorInsufficientBuffer};
  }
  std::memcpy(buffer, m_lastResponse.text.c_str(), needed);
  *bufferLength = needed - 1;
  return {true, kErrorSuccess};
}

}  // namespace

std::unique_ptr<InternetApi> MakeFtpEngine(const EngineOptions& options) {
  return std::make_unique<FtpEngine>(options);
}

InternetApi& DefaultInternetApi() {
  static const std::unique_ptr<InternetApi> engine = [] {
    EngineOptions options;
    const std::string folder = files::ToFileSystemPath(files::ExecutableFolder()) + "/";
    options.trustFile = folder + kTrustFileName;
    options.knownHostsFile = folder + kKnownHostsFileName;
    options.privateKeyFile = folder + kPrivateKeyFileName;
    return MakeFtpEngine(options);
  }();
  return *engine;
}

}  // namespace inet
