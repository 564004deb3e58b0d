// The recording fake of the internet API.
#include "tests/support/fake/FakeInternetApi.h"

#include <algorithm>
#include <cstring>

namespace testsupport {
namespace {

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

std::vector<std::string> FakeInternetApi::functions() const {
  std::vector<std::string> names;
  for (const InetCall& c : calls) names.push_back(c.function);
  return names;
}

const InetCall* FakeInternetApi::last(const std::string& function) const {
  const auto it = std::find_if(calls.rbegin(), calls.rend(),
                               [&](const InetCall& c) { return c.function == function; });
  return it == calls.rend() ? nullptr : &*it;
}

std::vector<inet::Handle> FakeInternetApi::closedHandles() const {
  std::vector<inet::Handle> handles;
  for (const InetCall& c : calls) {
    if (c.function == "InternetCloseHandle") handles.push_back(c.handles.at(0));
  }
  return handles;
}

uint32_t FakeInternetApi::call(const char* function, inet::Handle handle, Kind kind,
                               std::initializer_list<const char*> texts,
                               std::vector<int64_t> values) {
  InetCall& c = calls.emplace_back();
  c.function = function;
  if (kind != Kind::None) c.handles = {handle};
  for (const char* text : texts)
    c.texts.push_back(text ? std::optional<std::string>(text) : std::nullopt);
  c.values = std::move(values);
  std::deque<uint32_t>& failures = m_failures[function];
  if (!failures.empty()) {
    const uint32_t error = failures.front();
    failures.pop_front();
    return error;
  }
  const auto open = m_open.find(handle);
  const bool valid =
      kind == Kind::None || (open != m_open.end() && (kind == Kind::Any || open->second == kind));
  return valid ? 0 : inet::kErrorInvalidHandle;
}

inet::Handle FakeInternetApi::give(Kind kind) {
  m_open[m_nextHandle] = kind;
  return m_nextHandle++;
}

inet::BoolResult FakeInternetApi::InternetCloseHandle(inet::Handle handle) {
  const uint32_t error = call("InternetCloseHandle", handle, Kind::Any, {});
  if (error == 0) {
    m_open.erase(handle);
    m_cursor.erase(handle);
  }
  return result(error);
}

inet::BoolResult FakeInternetApi::FtpGetCurrentDirectoryA(inet::Handle hConnect, char* buffer,
                                                          uint32_t* length) {
  const uint32_t error = call("FtpGetCurrentDirectoryA", hConnect, Kind::Connection, {});
  calls.back().lengthIn = *length;
  return error ? result(error) : giveText(currentDirectory, buffer, length);
}

inet::HandleResult FakeInternetApi::FtpFindFirstFileA(inet::Handle hConnect, const char* searchFile,
                                                      inet::FindData* findData, uint32_t flags,
                                                      uintptr_t context) {
  const uint32_t error = call("FtpFindFirstFileA", hConnect, Kind::Connection, {searchFile},
                              {flags, static_cast<int64_t>(context)});
  if (error != 0) return {0, error};
  if (listing.empty()) return {0, inet::kErrorNoMoreFiles};
  *findData = listing.front();
  const inet::Handle handle = give(Kind::Find);
  m_cursor[handle] = 1;
  return {handle, 0};
}

inet::BoolResult FakeInternetApi::InternetFindNextFileA(inet::Handle hFind,
                                                        inet::FindData* findData) {
  if (const uint32_t error = call("InternetFindNextFileA", hFind, Kind::Find, {})) {
    return result(error);
  }
  size_t& cursor = m_cursor[hFind];
  if (cursor >= listing.size()) return {false, inet::kErrorNoMoreFiles};
  *findData = listing[cursor++];
  return {true, 0};
}

inet::BoolResult FakeInternetApi::InternetGetLastResponseInfoA(uint32_t* error, char* buffer,
                                                               uint32_t* bufferLength) {
  call("InternetGetLastResponseInfoA", 0, Kind::None, {});
  calls.back().lengthIn = *bufferLength;
  calls.back().bufferIn.assign(buffer, *bufferLength + 1);
  *error = responseError;
  return giveText(response, buffer, bufferLength);
}

}  // namespace testsupport
