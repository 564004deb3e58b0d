// McWinFTP: one FTP session over the internet API (root handle, connection, directory search),
// its connection settings, the remote file operations, and the FTPFrr failure event.
//
// No operation throws or returns an error object. Every failing call into the internet API is
// reported through the FTPFrr event, raised synchronously inside the failing operation, which
// then returns its failure value (0, the empty text, or a zero handle). The end of a directory
// listing is not a failure: it only sets RemoteFile().SearchEnd.
//
// Texts cross into the internet API as NUL-terminated ANSI (CP932) bytes. A text holding
// U+0000 would arrive cut short and name something else: it is refused, without calling the
// API, and reported as error 87 (invalid parameter).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "ftp/FTPFile.h"
#include "platform/inet/InternetApi.h"

class McWinFTP {
 public:
  // (ErrNumber, ErrString); ErrString is never empty.
  using FTPFrrHandler = std::function<void(int32_t ErrNumber, const std::u16string& ErrString)>;

  // Opens the root handle through `api`, which must outlive the object. A failure to open is
  // reported (to no handler, none can be attached yet) and leaves hInternet() 0; the object is
  // usable and every later operation fails and is reported.
  explicit McWinFTP(inet::InternetApi& api = inet::DefaultInternetApi());
  // Releases RemoteFile, closes the search, the connection and the root handle, in that order;
  // a failing close is reported to the handler still attached.
  ~McWinFTP();
  McWinFTP(const McWinFTP&) = delete;
  McWinFTP& operator=(const McWinFTP&) = delete;

  // The current directory entry, created with initial values when there is none. The reference
  // stays valid until the record is replaced (SetRemoteFile, FindFile) or the object goes.
  FTPFile& RemoteFile();
  // The same record as a shared pointer: a holder keeps it unchanged after FindFile or
  // SetRemoteFile have put another record in its place.
  std::shared_ptr<FTPFile> RemoteFilePtr();
  // Replaces the current record; null discards it (the next read creates a fresh one).
  void SetRemoteFile(std::shared_ptr<FTPFile> file);

  std::u16string ClassName() const;  // "McWinFTP Class Module"
  std::u16string Version() const;    // "0.9 b"
  std::u16string Copyright() const;  // a fixed one-line notice

  inet::Handle hInternet() const { return m_hInternet; }
  inet::Handle hFTP() const { return m_hFTP; }  // nonzero: connected

  // Server port, 21 unless set; stored without range check.
  int32_t RemotePort() const { return m_RemotePort; }
  void SetRemotePort(int32_t nRemotePort) { m_RemotePort = nRemotePort; }

  // Server name (may carry ":port"), login name and password. Assigning the empty text makes
  // the value absent, which the connect call receives as "not given" (anonymous login for the
  // user); reading an absent value gives the empty text.
  std::u16string RemoteHost() const { return m_RemoteHost.value_or(u""); }
  void SetRemoteHost(std::u16string_view szRemoteHost);
  std::u16string User() const { return m_User.value_or(u""); }
  void SetUser(std::u16string_view szUser);
  std::u16string Password() const { return m_Password.value_or(u""); }
  void SetPassword(std::u16string_view szPassword);

  // Passive mode for the next OpenSession.
  bool PassiveFlag() const;
  void SetPassiveFlag(bool bPassive);

  // The current remote directory; the empty text after a reported failure.
  std::u16string CurDir();
  // Changes the remote directory. One leading "\" or "/" is dropped, so the path is taken
  // relative to the current directory ("/" alone asks for the empty path). A refusal is
  // reported and leaves the directory unchanged.
  void SetCurDir(std::u16string_view szDir);

  // Connects and logs in with the current settings; the result is in hFTP() (0 after a
  // reported failure). A connection open before is not closed; its handle is replaced.
  void OpenSession();
  // Closes any search, then the connection; nothing is closed when there is neither. A failed
  // close is reported and keeps its handle for the next try, except that a closed connection
  // takes its search along.
  void CloseSession();

  // The file operations return nonzero (1) on success and 0 after a reported failure. Names
  // are sent unchanged in the ANSI code page; remote names are relative to CurDir() unless
  // absolute. nTransfer 1 transfers in ASCII mode, any other value in binary mode.
  int32_t PutFile(std::u16string_view szLocalFile, std::u16string_view szRemoteFile,
                  int32_t nTransfer = 0);
  // Downloads, always from the server (never a cache). bFailExists: fail, leaving the local
  // file untouched, when it exists.
  int32_t GetFile(std::u16string_view szRemoteFile, std::u16string_view szLocalFile,
                  bool bFailExists, int32_t nTransfer = 0);
  int32_t RenameFile(std::u16string_view szExistFile, std::u16string_view szNewFile);
  // The size in bytes of a remote file as stored; -1 after a reported failure (the server
  // cannot tell: 50; no such file: the server's reply).
  int64_t FileSize(std::u16string_view szRemoteFile);
  int32_t DeleteFile(std::u16string_view szRemoteFile);
  int32_t CreateDir(std::u16string_view szRemoteDir);
  int32_t RemoveDir(std::u16string_view szRemoteDir);

  // Starts a listing of the current remote directory with a pattern ("*.*" for everything),
  // after closing the previous search. Afterwards RemoteFile() is a new record holding the
  // first entry, or SearchEnd is true (empty listing: no event; any other failure: reported).
  void FindFile(std::u16string_view szSearchString);
  // Overwrites RemoteFile() with the next entry, or sets SearchEnd at the end of the listing.
  // Does nothing once SearchEnd is true. Any other failure is reported and leaves both the
  // record and SearchEnd unchanged: compare FTPFrrCount() before and after to see it.
  void NextFile();

  // The FTPFrr event: `handler` runs synchronously inside the failing operation, before that
  // operation returns. It may call back into this object (and replace itself), but must not
  // destroy the object.
  void OnFTPFrr(FTPFrrHandler handler) { m_onFTPFrr = std::move(handler); }
  // The handler attached now (empty when none), so that a caller may put it back after a while
  // of its own.
  const FTPFrrHandler& OnFTPFrr() const { return m_onFTPFrr; }
  // The progress of PutFile and GetFile: `handler` hears (bytes of the local file so far, the
  // whole or 0 when not known), synchronously inside the transfer, at most five times a second
  // and at least that often while it waits. Returning false cancels the transfer, which then
  // fails and is reported like any failure (12017). The handler must not call into this object.
  using TransferProgressHandler = std::function<bool(uint64_t bytes, uint64_t total)>;
  void OnTransferProgress(TransferProgressHandler handler);

  // How many FTPFrr events this object has raised, with or without a handler attached.
  int64_t FTPFrrCount() const { return m_FTPFrrCount; }

 private:
  void ReportError(int32_t ErrNumber);
  std::u16string GetSystemMessage(int32_t ErrNumber);
  static int32_t MakeLanguageId(int16_t primary, int32_t sub);
  void CloseFind();
  void FillRemoteFile(const inet::FindData& findData);

  // 1 for a successful call; otherwise reports its error and gives 0.
  int32_t resultOf(inet::BoolResult result);
  // The server's last response for a 12003 report; ErrNumber receives the value reported
  // with it.
  std::u16string lastResponse(int32_t& ErrNumber);
  // Counts the event and runs the attached handler.
  void raiseFTPFrr(int32_t ErrNumber, const std::u16string& ErrString);

  inet::InternetApi& m_api;
  std::shared_ptr<FTPFile> m_RemoteFile;
  inet::Handle m_hInternet = 0;
  inet::Handle m_hFTP = 0;
  int32_t m_RemotePort = 0;
  std::optional<std::u16string> m_RemoteHost;
  std::optional<std::u16string> m_User;
  std::optional<std::u16string> m_Password;
  uint32_t m_nConnectFlags = 0;
  inet::Handle m_hFind = 0;
  FTPFrrHandler m_onFTPFrr;
  TransferProgressHandler m_onTransferProgress;
  bool m_progressRegistered = false;  // the status callback is set on the root handle
  int64_t m_FTPFrrCount = 0;
};
