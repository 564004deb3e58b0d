// A recording fake of the internet API for tests that must see the exact arguments a call
// received: it records every call, answers from a script, and serves a scripted listing,
// current directory and last response.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/inet/InternetApi.h"

namespace testsupport {

// One call as the fake received it.
struct InetCall {
  std::string function;                           // "InternetConnectA", ...
  std::vector<inet::Handle> handles;              // handle arguments, in order
  std::vector<std::optional<std::string>> texts;  // text arguments in order; nullopt: null
  std::vector<int64_t> values;                    // numeric arguments in order (port, flags...)
  // For calls with an in/out length: the length at entry, and the caller's buffer at entry
  // read as length + 1 bytes (the caller's buffer holds one byte more than it offers).
  std::optional<uint32_t> lengthIn;
  std::string bufferIn;
};

// A find-data entry for the scripted listing.
inet::FindData MakeFindData(const std::string& name,
                            uint32_t attributes = inet::kFileAttributeNormal, uint32_t sizeHigh = 0,
                            uint32_t sizeLow = 0, inet::FileTime lastWrite = {});

// Every call by default succeeds (handles are new nonzero values), except that a handle
// argument of 0 or one the fake never gave out (or gave out for another kind of handle) fails
// with kErrorInvalidHandle, and listings end with kErrorNoMoreFiles.
class FakeInternetApi : public inet::InternetApi {
 public:
  // The next call of `function` fails with `error` (queued per function, oldest first).
  void failNext(const std::string& function, uint32_t error) {
    m_failures[function].push_back(error);
  }

  // Scripted state.
  std::vector<inet::FindData> listing;  // what each FtpFindFirstFileA lists
  std::string currentDirectory = "/";   // bytes FtpGetCurrentDirectoryA writes
  uint64_t fileSize = 0;                // what FtpGetFileSizeA tells
  inet::StatusCallback statusCallback;  // what InternetSetStatusCallbackA set last
  uint32_t responseError = 0;           // what InternetGetLastResponseInfoA puts in *error
  std::string response;                 // its text (may hold NULs), NUL appended when written

  // What the fake received.
  std::vector<InetCall> calls;
  std::vector<std::string> functions() const;               // just the names, in order
  const InetCall* last(const std::string& function) const;  // null when never called
  std::vector<inet::Handle> closedHandles() const;  // InternetCloseHandle arguments, in order
  inet::Handle lastHandleGiven() const { return m_nextHandle - 1; }

  inet::HandleResult InternetOpenA(const char* agent, uint32_t accessType, const char* proxy,
                                   const char* proxyBypass, uint32_t flags) override {
    const uint32_t error =
        call("InternetOpenA", 0, Kind::None, {agent, proxy, proxyBypass}, {accessType, flags});
    return {error ? 0 : give(Kind::Root), error};
  }
  inet::HandleResult InternetConnectA(inet::Handle hInternet, const char* serverName,
                                      int32_t serverPort, const char* userName,
                                      const char* password, uint32_t service, uint32_t flags,
                                      uintptr_t context) override {
    const uint32_t error =
        call("InternetConnectA", hInternet, Kind::Root, {serverName, userName, password},
             {serverPort, service, flags, static_cast<int64_t>(context)});
    return {error ? 0 : give(Kind::Connection), error};
  }
  inet::BoolResult InternetSetStatusCallbackA(inet::Handle hInternet,
                                              inet::StatusCallback callback) override {
    const uint32_t error = call("InternetSetStatusCallbackA", hInternet, Kind::Root, {});
    if (error == 0) statusCallback = std::move(callback);
    return result(error);
  }
  inet::BoolResult InternetCloseHandle(inet::Handle handle) override;
  inet::BoolResult FtpGetCurrentDirectoryA(inet::Handle hConnect, char* buffer,
                                           uint32_t* length) override;
  inet::BoolResult FtpSetCurrentDirectoryA(inet::Handle hConnect, const char* directory) override {
    return result(call("FtpSetCurrentDirectoryA", hConnect, Kind::Connection, {directory}));
  }
  inet::BoolResult FtpPutFileA(inet::Handle hConnect, const char* localFile,
                               const char* newRemoteFile, uint32_t flags,
                               uintptr_t context) override {
    return result(call("FtpPutFileA", hConnect, Kind::Connection, {localFile, newRemoteFile},
                       {flags, static_cast<int64_t>(context)}));
  }
  inet::BoolResult FtpGetFileA(inet::Handle hConnect, const char* remoteFile, const char* newFile,
                               int32_t failIfExists, uint32_t flagsAndAttributes, uint32_t flags,
                               uintptr_t context) override {
    return result(call("FtpGetFileA", hConnect, Kind::Connection, {remoteFile, newFile},
                       {failIfExists, flagsAndAttributes, flags, static_cast<int64_t>(context)}));
  }
  inet::BoolResult FtpRenameFileA(inet::Handle hConnect, const char* existing,
                                  const char* newName) override {
    return result(call("FtpRenameFileA", hConnect, Kind::Connection, {existing, newName}));
  }
  inet::BoolResult FtpGetFileSizeA(inet::Handle hConnect, const char* fileName,
                                   uint64_t* size) override {
    const uint32_t error = call("FtpGetFileSizeA", hConnect, Kind::Connection, {fileName});
    if (error == 0) *size = fileSize;
    return result(error);
  }
  inet::BoolResult FtpDeleteFileA(inet::Handle hConnect, const char* fileName) override {
    return result(call("FtpDeleteFileA", hConnect, Kind::Connection, {fileName}));
  }
  inet::BoolResult FtpCreateDirectoryA(inet::Handle hConnect, const char* directory) override {
    return result(call("FtpCreateDirectoryA", hConnect, Kind::Connection, {directory}));
  }
  inet::BoolResult FtpRemoveDirectoryA(inet::Handle hConnect, const char* directory) override {
    return result(call("FtpRemoveDirectoryA", hConnect, Kind::Connection, {directory}));
  }
  inet::HandleResult FtpFindFirstFileA(inet::Handle hConnect, const char* searchFile,
                                       inet::FindData* findData, uint32_t flags,
                                       uintptr_t context) override;
  inet::BoolResult InternetFindNextFileA(inet::Handle hFind, inet::FindData* findData) override;
  inet::BoolResult InternetGetLastResponseInfoA(uint32_t* error, char* buffer,
                                                uint32_t* bufferLength) override;

 private:
  // The kind of handle a call takes: None (no handle argument), Any open handle, or one kind.
  enum class Kind { None, Any, Root, Connection, Find };

  // Records the call, then gives its scripted failure, or an invalid-handle failure when
  // `handle` is not an open handle of `kind`; 0 when the call goes ahead.
  uint32_t call(const char* function, inet::Handle handle, Kind kind,
                std::initializer_list<const char*> texts, std::vector<int64_t> values = {});
  static inet::BoolResult result(uint32_t error) { return {error == 0, error}; }
  inet::Handle give(Kind kind);

  std::map<std::string, std::deque<uint32_t>> m_failures;
  std::map<inet::Handle, Kind> m_open;
  std::map<inet::Handle, size_t> m_cursor;  // per find handle: index of the next entry
  inet::Handle m_nextHandle = 0x1000;
};

}  // namespace testsupport
