// The recording fake of the internet API.
#include "tests/support/fake/FakeInternetApi.h"

#include <algorithm>
#include <cstring>

namespace testsupport {

namespace {

std::optional<std::string> textOf(const char* text) {
  if (text == nullptr) return std::nullopt;
  return std::string(text);
}

// Copies `text` and a NUL into `buffer` of `*length` bytes, or says how much is needed.
inet::BoolResult giveText(const std::string& text, char* buffer, uint32_t* length) {
  if (text.size() + 1 > *length) {
    *length = static_cast<uint32_t>(text.size() + 1);
    return {false, inet::kErrorInsufficientBuffer};
  }
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  *length = static_cast<uint32_t>(text.size());
  return {true, 0};
}

}  // namespace

inet::FindData MakeFindData(const std::string& name, uint32_t attributes, uint32_t sizeHigh,
                            uint32_t sizeLow, inet::FileTime lastWrite) {
  inet::FindData d;
  d.dwFileAttributes = attributes;
  d.ftLastWriteTime = lastWrite;
  d.nFileSizeHigh = sizeHigh;
  d.nFileSizeLow = sizeLow;
  std::memcpy(d.cFileName, name.data(), std::min(name.size(), sizeof d.cFileName));
  return d;
}

void FakeInternetApi::failNext(const std::string& function, uint32_t error) {
  m_failures[function].push_back(error);
}

std::vector<std::string> FakeInternetApi::functions() const {
  std::vector<std::string> names;
  for (const InetCall& call : calls) names.push_back(call.function);
  return names;
}

const InetCall* FakeInternetApi::last(const std::string& function) const {
  for (auto it = calls.rbegin(); it != calls.rend(); ++it) {
    if (it->function == function) return &*it;
  }
  return nullptr;
}

std::vector<inet::Handle> FakeInternetApi::closedHandles() const {
  std::vector<inet::Handle> handles;
  for (const InetCall& call : calls) {
    if (call.function == "InternetCloseHandle") handles.push_back(call.handles.at(0));
  }
  return handles;
}

uint32_t FakeInternetApi::scripted(const std::string& function) {
  auto it = m_failures.find(function);
  if (it == m_failures.end() || it->second.empty()) return 0;
  const uint32_t error = it->second.front();
  it->second.pop_front();
  return error;
}

InetCall& FakeInternetApi::note(const char* function, std::vector<inet::Handle> handles,
                                std::vector<std::optional<std::string>> texts,
                                std::vector<int64_t> values) {
  InetCall& call = calls.emplace_back();
  call.function = function;
  call.handles = std::move(handles);
  call.texts = std::move(texts);
  call.values = std::move(values);
  return call;
}

uint32_t FakeInternetApi::record(const char* function, inet::Handle handle, Kind kind,
                                 std::vector<std::optional<std::string>> texts,
                                 std::vector<int64_t> values) {
  note(function, {handle}, std::move(texts), std::move(values));
  if (const uint32_t error = scripted(function)) return error;
  const auto it = m_open.find(handle);
  return it != m_open.end() && it->second == kind ? 0 : inet::kErrorInvalidHandle;
}

inet::Handle FakeInternetApi::give(Kind kind) {
  const inet::Handle handle = m_nextHandle++;
  m_open[handle] = kind;
  return handle;
}

inet::BoolResult FakeInternetApi::simple(const char* function, inet::Handle hConnect,
                                         std::vector<std::optional<std::string>> texts,
                                         std::vector<int64_t> values) {
  const uint32_t error = record(function, hConnect, Kind::Connection, std::move(texts), values);
  return {error == 0, error};
}

inet::HandleResult FakeInternetApi::InternetOpenA(const char* agent, uint32_t accessType,
                                                  const char* proxy, const char* proxyBypass,
                                                  uint32_t flags) {
  note("InternetOpenA", {}, {textOf(agent), textOf(proxy), textOf(proxyBypass)},
       {accessType, flags});
  if (const uint32_t error = scripted("InternetOpenA")) return {0, error};
  return {give(Kind::Root), 0};
}

inet::HandleResult FakeInternetApi::InternetConnectA(inet::Handle hInternet, const char* serverName,
                                                     int32_t serverPort, const char* userName,
                                                     const char* password, uint32_t service,
                                                     uint32_t flags, uintptr_t context) {
  const uint32_t error = record("InternetConnectA", hInternet, Kind::Root,
                                {textOf(serverName), textOf(userName), textOf(password)},
                                {serverPort, service, flags, static_cast<int64_t>(context)});
  if (error != 0) return {0, error};
  return {give(Kind::Connection), 0};
}

inet::BoolResult FakeInternetApi::InternetCloseHandle(inet::Handle handle) {
  note("InternetCloseHandle", {handle});
  if (const uint32_t error = scripted("InternetCloseHandle")) return {false, error};
  if (m_open.erase(handle) == 0) return {false, inet::kErrorInvalidHandle};
  m_cursor.erase(handle);
  return {true, 0};
}

inet::BoolResult FakeInternetApi::FtpGetCurrentDirectoryA(inet::Handle hConnect, char* buffer,
                                                          uint32_t* length) {
  const uint32_t error = record("FtpGetCurrentDirectoryA", hConnect, Kind::Connection, {});
  calls.back().lengthIn = *length;
  if (error != 0) return {false, error};
  return giveText(currentDirectory, buffer, length);
}

inet::BoolResult FakeInternetApi::FtpSetCurrentDirectoryA(inet::Handle hConnect,
                                                          const char* directory) {
  return simple("FtpSetCurrentDirectoryA", hConnect, {textOf(directory)});
}

inet::BoolResult FakeInternetApi::FtpPutFileA(inet::Handle hConnect, const char* localFile,
                                              const char* newRemoteFile, uint32_t flags,
                                              uintptr_t context) {
  return simple("FtpPutFileA", hConnect, {textOf(localFile), textOf(newRemoteFile)},
                {flags, static_cast<int64_t>(context)});
}

inet::BoolResult FakeInternetApi::FtpGetFileA(inet::Handle hConnect, const char* remoteFile,
                                              const char* newFile, int32_t failIfExists,
                                              uint32_t flagsAndAttributes, uint32_t flags,
                                              uintptr_t context) {
  return simple("FtpGetFileA", hConnect, {textOf(remoteFile), textOf(newFile)},
                {failIfExists, flagsAndAttributes, flags, static_cast<int64_t>(context)});
}

inet::BoolResult FakeInternetApi::FtpRenameFileA(inet::Handle hConnect, const char* existing,
                                                 const char* newName) {
  return simple("FtpRenameFileA", hConnect, {textOf(existing), textOf(newName)});
}

inet::BoolResult FakeInternetApi::FtpDeleteFileA(inet::Handle hConnect, const char* fileName) {
  return simple("FtpDeleteFileA", hConnect, {textOf(fileName)});
}

inet::BoolResult FakeInternetApi::FtpCreateDirectoryA(inet::Handle hConnect,
                                                      const char* directory) {
  return simple("FtpCreateDirectoryA", hConnect, {textOf(directory)});
}

inet::BoolResult FakeInternetApi::FtpRemoveDirectoryA(inet::Handle hConnect,
                                                      const char* directory) {
  return simple("FtpRemoveDirectoryA", hConnect, {textOf(directory)});
}

inet::HandleResult FakeInternetApi::FtpFindFirstFileA(inet::Handle hConnect, const char* searchFile,
                                                      inet::FindData* findData, uint32_t flags,
                                                      uintptr_t context) {
  const uint32_t error = record("FtpFindFirstFileA", hConnect, Kind::Connection,
                                {textOf(searchFile)}, {flags, static_cast<int64_t>(context)});
  if (error != 0) return {0, error};
  if (listing.empty()) return {0, inet::kErrorNoMoreFiles};
  *findData = listing.front();
  const inet::Handle handle = give(Kind::Find);
  m_cursor[handle] = 1;
  return {handle, 0};
}

inet::BoolResult FakeInternetApi::InternetFindNextFileA(inet::Handle hFind,
                                                        inet::FindData* findData) {
  if (const uint32_t error = record("InternetFindNextFileA", hFind, Kind::Find, {})) {
    return {false, error};
  }
  size_t& cursor = m_cursor[hFind];
  if (cursor >= listing.size()) return {false, inet::kErrorNoMoreFiles};
  *findData = listing[cursor++];
  return {true, 0};
}

inet::BoolResult FakeInternetApi::InternetGetLastResponseInfoA(uint32_t* error, char* buffer,
                                                               uint32_t* bufferLength) {
  InetCall& call = note("InternetGetLastResponseInfoA", {});
  call.lengthIn = *bufferLength;
  call.bufferIn.assign(buffer, *bufferLength + 1);
  *error = responseError;
  return giveText(response, buffer, bufferLength);
}

}  // namespace testsupport
