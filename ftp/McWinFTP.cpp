// McWinFTP: session, settings, file operations, directory search and failure reporting.
#include "ftp/McWinFTP.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/codepage/CodePage.h"
#include "platform/sysmsg/SystemMessage.h"

namespace {

constexpr auto kNoMoreFiles = static_cast<int32_t>(inet::kErrorNoMoreFiles);
constexpr auto kExtendedError = static_cast<int32_t>(inet::kErrorInternetExtendedError);
constexpr auto kNameNotResolved = static_cast<int32_t>(inet::kErrorInternetNameNotResolved);
constexpr char16_t kNameNotResolvedText[] = u"サーバー名を解決できませんでした。";
constexpr char16_t kFallbackText[] = u"エラーが発生しています。";

// What an operation does when it refuses a text itself, in place of the internet API call.
constexpr inet::BoolResult kRefusedText{false, inet::kErrorInvalidParameter};

// The bytes of `buffer` before its first NUL, never reading past `size` bytes: a buffer that
// the internet API filled to the end holds no NUL.
std::string_view beforeNul(const char* buffer, size_t size) {
  const void* nul = std::memchr(buffer, '\0', size);
  return {buffer, nul ? static_cast<size_t>(static_cast<const char*>(nul) - buffer) : size};
}

// The ANSI bytes of `text`, NUL-terminated by std::string. A U+0000 inside would end the C
// string early and so name another file than the caller meant: such a text is refused.
std::optional<std::string> layerText(std::u16string_view text) {
  if (text.find(u'\0') != std::u16string_view::npos) return std::nullopt;
  return codepage::ToAnsi(text);
}

// A connect setting: absent stays absent (a null pointer for the API); false when refused.
bool settingText(const std::optional<std::u16string>& value, std::optional<std::string>& out) {
  if (!value) {
    out.reset();
    return true;
  }
  out = layerText(*value);
  return out.has_value();
}

const char* orNull(const std::optional<std::string>& bytes) {
  return bytes ? bytes->c_str() : nullptr;
}

uint32_t transferType(int32_t nTransfer) {
  return nTransfer == 1 ? inet::kTransferTypeAscii : inet::kTransferTypeBinary;
}

// The calendar fields of a last-write time to the second, without local-time conversion; the
// zero value when the time has no calendar form.
DateTime fileDateOf(const inet::FileTime& fileTime) {
  inet::SystemTime st;
  if (!inet::FileTimeToSystemTime(fileTime, &st)) return {};
  return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

}  // namespace

McWinFTP::McWinFTP(inet::InternetApi& api) : m_api(api) {
  const inet::HandleResult opened =
      m_api.InternetOpenA(nullptr, inet::kOpenTypePreconfig, nullptr, nullptr, 0);
  m_hInternet = opened.handle;
  // No handler can be attached yet: this report reaches nobody, but it is counted.
  if (m_hInternet == 0) ReportError(static_cast<int32_t>(opened.error));
  m_RemotePort = 21;
}

McWinFTP::~McWinFTP() {
  m_RemoteFile.reset();
  CloseSession();
  // Closed even when 0: the failure is reported like any other.
  const inet::BoolResult closed = m_api.InternetCloseHandle(m_hInternet);
  if (!closed.ok) ReportError(static_cast<int32_t>(closed.error));
}

FTPFile& McWinFTP::RemoteFile() { return *RemoteFilePtr(); }

std::shared_ptr<FTPFile> McWinFTP::RemoteFilePtr() {
  if (!m_RemoteFile) m_RemoteFile = std::make_shared<FTPFile>();
  return m_RemoteFile;
}

void McWinFTP::SetRemoteFile(std::shared_ptr<FTPFile> file) { m_RemoteFile = std::move(file); }

std::u16string McWinFTP::ClassName() const { return u"McWinFTP Class Module"; }

std::u16string McWinFTP::Version() const { return u"0.9 b"; }

std::u16string McWinFTP::Copyright() const {
  return u"Copyright (C) The Quillpost developers. All rights reserved.";
}

namespace {
std::optional<std::u16string> absentIfEmpty(std::u16string_view text) {
  if (text.empty()) return std::nullopt;
  return std::u16string(text);
}
}  // namespace

void McWinFTP::SetRemoteHost(std::u16string_view szRemoteHost) {
  m_RemoteHost = absentIfEmpty(szRemoteHost);
}

void McWinFTP::SetUser(std::u16string_view szUser) { m_User = absentIfEmpty(szUser); }

void McWinFTP::SetPassword(std::u16string_view szPassword) {
  m_Password = absentIfEmpty(szPassword);
}

bool McWinFTP::PassiveFlag() const { return m_nConnectFlags == inet::kFlagPassive; }

void McWinFTP::SetPassiveFlag(bool bPassive) {
  m_nConnectFlags = bPassive ? inet::kFlagPassive : 0;
}

std::u16string McWinFTP::CurDir() {
  char buffer[inet::kMaxPath + 1] = {};
  uint32_t length = inet::kMaxPath;
  const inet::BoolResult got = m_api.FtpGetCurrentDirectoryA(m_hFTP, buffer, &length);
  if (!got.ok) {
    ReportError(static_cast<int32_t>(got.error));
    return {};
  }
  return codepage::FromAnsi(beforeNul(buffer, sizeof buffer));
}

void McWinFTP::SetCurDir(std::u16string_view szDir) {
  if (!szDir.empty() && (szDir.front() == u'\\' || szDir.front() == u'/')) szDir.remove_prefix(1);
  const std::optional<std::string> dir = layerText(szDir);
  resultOf(dir ? m_api.FtpSetCurrentDirectoryA(m_hFTP, dir->c_str()) : kRefusedText);
}

void McWinFTP::OpenSession() {
  std::optional<std::string> host, user, password;
  const bool given = settingText(m_RemoteHost, host) && settingText(m_User, user) &&
                     settingText(m_Password, password);
  const inet::HandleResult connected =
      given ? m_api.InternetConnectA(m_hInternet, orNull(host), m_RemotePort, orNull(user),
                                     orNull(password), inet::kServiceFtp, m_nConnectFlags, 0)
            : inet::HandleResult{0, kRefusedText.error};
  m_hFTP = connected.handle;
  if (m_hFTP == 0) ReportError(static_cast<int32_t>(connected.error));
}

void McWinFTP::CloseSession() {
  CloseFind();
  if (m_hFTP == 0) return;
  const inet::BoolResult closed = m_api.InternetCloseHandle(m_hFTP);
  if (closed.ok) {
    m_hFTP = 0;
    // Closing the connection ended its search too, also one whose own close failed: trying
    // that handle again later would only report a handle that no longer exists.
    m_hFind = 0;
  } else {
    ReportError(static_cast<int32_t>(closed.error));
  }
}

int32_t McWinFTP::PutFile(std::u16string_view szLocalFile, std::u16string_view szRemoteFile,
                          int32_t nTransfer) {
  const std::optional<std::string> local = layerText(szLocalFile);
  const std::optional<std::string> remote = layerText(szRemoteFile);
  return resultOf(local && remote ? m_api.FtpPutFileA(m_hFTP, local->c_str(), remote->c_str(),
                                                      transferType(nTransfer), 0)
                                  : kRefusedText);
}

int32_t McWinFTP::GetFile(std::u16string_view szRemoteFile, std::u16string_view szLocalFile,
                          bool bFailExists, int32_t nTransfer) {
  const std::optional<std::string> remote = layerText(szRemoteFile);
  const std::optional<std::string> local = layerText(szLocalFile);
  if (!remote || !local) return resultOf(kRefusedText);
  return resultOf(m_api.FtpGetFileA(m_hFTP, remote->c_str(), local->c_str(), bFailExists ? 1 : 0, 0,
                                    inet::kFlagReload | transferType(nTransfer), 0));
}

int32_t McWinFTP::RenameFile(std::u16string_view szExistFile, std::u16string_view szNewFile) {
  const std::optional<std::string> existing = layerText(szExistFile);
  const std::optional<std::string> newName = layerText(szNewFile);
  return resultOf(existing && newName
                      ? m_api.FtpRenameFileA(m_hFTP, existing->c_str(), newName->c_str())
                      : kRefusedText);
}

int64_t McWinFTP::FileSize(std::u16string_view szRemoteFile) {
  const std::optional<std::string> name = layerText(szRemoteFile);
  uint64_t size = 0;
  if (resultOf(name ? m_api.FtpGetFileSizeA(m_hFTP, name->c_str(), &size) : kRefusedText) == 0) {
    return -1;
  }
  return static_cast<int64_t>(std::min<uint64_t>(size, INT64_MAX));
}

int32_t McWinFTP::DeleteFile(std::u16string_view szRemoteFile) {
  const std::optional<std::string> name = layerText(szRemoteFile);
  return resultOf(name ? m_api.FtpDeleteFileA(m_hFTP, name->c_str()) : kRefusedText);
}

int32_t McWinFTP::CreateDir(std::u16string_view szRemoteDir) {
  const std::optional<std::string> name = layerText(szRemoteDir);
  return resultOf(name ? m_api.FtpCreateDirectoryA(m_hFTP, name->c_str()) : kRefusedText);
}

int32_t McWinFTP::RemoveDir(std::u16string_view szRemoteDir) {
  const std::optional<std::string> name = layerText(szRemoteDir);
  return resultOf(name ? m_api.FtpRemoveDirectoryA(m_hFTP, name->c_str()) : kRefusedText);
}

void McWinFTP::FindFile(std::u16string_view szSearchString) {
  CloseFind();
  // A new record: whoever holds the previous one keeps it as it was.
  const std::shared_ptr<FTPFile> record = std::make_shared<FTPFile>();
  m_RemoteFile = record;
  record->SearchEnd = false;
  inet::FindData findData{};
  const std::optional<std::string> pattern = layerText(szSearchString);
  const inet::HandleResult found =
      pattern ? m_api.FtpFindFirstFileA(m_hFTP, pattern->c_str(), &findData, 0, 0)
              : inet::HandleResult{0, kRefusedText.error};
  m_hFind = found.handle;
  if (m_hFind != 0) {
    FillRemoteFile(findData);
    return;
  }
  ReportError(static_cast<int32_t>(found.error));
  // The record this search made, not whatever a handler may have put in its place meanwhile.
  record->SearchEnd = true;
}

void McWinFTP::NextFile() {
  if (RemoteFile().SearchEnd) return;
  inet::FindData findData{};
  const inet::BoolResult found = m_api.InternetFindNextFileA(m_hFind, &findData);
  if (found.ok) {
    FillRemoteFile(findData);
  } else {
    ReportError(static_cast<int32_t>(found.error));
  }
}

void McWinFTP::CloseFind() {
  if (m_hFind == 0) return;
  const inet::BoolResult closed = m_api.InternetCloseHandle(m_hFind);
  if (closed.ok) {
    m_hFind = 0;
  } else {
    ReportError(static_cast<int32_t>(closed.error));
  }
}

void McWinFTP::FillRemoteFile(const inet::FindData& findData) {
  FTPFile& file = RemoteFile();
  file.SearchEnd = false;
  file.FileName = codepage::FromAnsi(beforeNul(findData.cFileName, sizeof findData.cFileName));
  file.FileDate = fileDateOf(findData.ftLastWriteTime);
  // Both halves unsigned: 3 GiB stays positive, 5 GiB keeps its high half.
  file.FileSize = findData.nFileSizeHigh * 4294967296.0 + findData.nFileSizeLow;
  // Exactly the directory attribute; a read-only directory (17) counts as "other".
  file.FileType = findData.dwFileAttributes == inet::kFileAttributeDirectory ? 16 : 0;
}

int32_t McWinFTP::resultOf(inet::BoolResult result) {
  if (result.ok) return 1;
  ReportError(static_cast<int32_t>(result.error));
  return 0;
}

void McWinFTP::ReportError(int32_t ErrNumber) {
  if (ErrNumber == kNoMoreFiles) {
    RemoteFile().SearchEnd = true;
    return;
  }
  std::u16string ErrString;
  if (ErrNumber == kExtendedError) {
    ErrString = lastResponse(ErrNumber);
  } else if (ErrNumber == kNameNotResolved) {
    ErrString = kNameNotResolvedText;
  } else {
    ErrString = GetSystemMessage(ErrNumber);
  }
  if (ErrString.empty()) ErrString = kFallbackText;
  raiseFTPFrr(ErrNumber, ErrString);
}

std::u16string McWinFTP::lastResponse(int32_t& ErrNumber) {
  char buffer[256] = {};
  uint32_t length = 255;
  uint32_t error = static_cast<uint32_t>(ErrNumber);
  // The call's own result is not checked: a response that does not fit leaves the buffer zero,
  // and the caller's fallback text follows.
  (void)m_api.InternetGetLastResponseInfoA(&error, buffer, &length);
  ErrNumber = static_cast<int32_t>(error);
  return codepage::FromAnsi(beforeNul(buffer, sizeof buffer));
}

std::u16string McWinFTP::GetSystemMessage(int32_t ErrNumber) {
  constexpr uint32_t kFlags = sysmsg::kFormatMessageFromSystem |
                              sysmsg::kFormatMessageIgnoreInserts |
                              sysmsg::kFormatMessageMaxWidthMask;
  char buffer[256] = {};
  const uint32_t length =
      sysmsg::FormatMessageA(kFlags, nullptr, static_cast<uint32_t>(ErrNumber),
                             static_cast<uint32_t>(MakeLanguageId(0, 1)), buffer, 255, nullptr);
  return codepage::FromAnsi(std::string_view(buffer, std::min<uint32_t>(length, 255)));
}

int32_t McWinFTP::MakeLanguageId(int16_t primary, int32_t sub) { return sub * 1024 + primary; }

void McWinFTP::OnTransferProgress(TransferProgressHandler handler) {
  m_onTransferProgress = std::move(handler);
  if (m_progressRegistered || !m_onTransferProgress) return;
  // The root handle tells every transfer's progress; it is asked only once someone listens, so
  // a session nobody watches makes no call more than before.
  const inet::BoolResult set = m_api.InternetSetStatusCallbackA(
      m_hInternet, [this](uintptr_t, const inet::TransferProgress& progress) {
        return !m_onTransferProgress || m_onTransferProgress(progress.bytes, progress.total);
      });
  if (set.ok) {
    m_progressRegistered = true;
  } else {
    ReportError(static_cast<int32_t>(set.error));
  }
}

void McWinFTP::raiseFTPFrr(int32_t ErrNumber, const std::u16string& ErrString) {
  ++m_FTPFrrCount;
  // A copy: the handler may attach another handler while it runs.
  const FTPFrrHandler handler = m_onFTPFrr;
  if (handler) handler(ErrNumber, ErrString);
}
