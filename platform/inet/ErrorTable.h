// Every error code our platform layers produce, in one table: the platform's number, our name
// for it, when it is given, and the one-line Japanese message of the system message table.
// InternetApi.h turns the table into the constants kError...; the message table
// (platform/sysmsg) serves its texts. A message must fit 254 CP932 bytes and hold no line break.
#pragma once

// X(number, name, when it is given, message)
// clang-format off
#define QP_ERROR_TABLE(X) \
  X(2, kErrorFileNotFound, "the local file of an upload is missing", \
    u"指定されたファイルが見つかりません。") \
  X(3, kErrorPathNotFound, "the local folder of a transfer is missing", \
    u"指定されたフォルダーまたはパスが見つかりません。") \
  X(5, kErrorAccessDenied, \
    "a local file cannot be read or written, is no regular file, or a download's target is a " \
    "folder", \
    u"アクセスが拒否されました。ファイルを読み書きする権限がありません。") \
  X(6, kErrorInvalidHandle, "a handle that is 0, unknown, closed or of the wrong kind", \
    u"ハンドルが無効です。接続または検索が既に閉じられています。") \
  X(18, kErrorNoMoreFiles, "the end of a listing, or an empty listing", \
    u"これ以上ファイルはありません。") \
  X(38, kErrorHandleEof, \
    "a download's data ended cleanly but short of the size the server announced (SIZE)", \
    u"受信したデータがサーバーの示したファイルサイズより少ないため、転送は完了していません。") \
  X(50, kErrorNotSupported, \
    "the server offers no way to tell a file's size (no SIZE in its features, or SIZE unknown " \
    "to it)", \
    u"サーバーはこの操作に対応していません。") \
  X(80, kErrorFileExists, "fail-if-exists and the local file exists", \
    u"同じ名前のファイルが既に存在します。") \
  X(87, kErrorInvalidParameter, \
    "a null name or path, an empty local path (an empty remote name is sent as it is); CR or " \
    "LF in a name, path, user or password (refused before anything is sent); a port outside " \
    "1..65535; a service other than FTP; an access type with a proxy", \
    u"指定された値が正しくありません。") \
  X(112, kErrorDiskFull, "the local disk filled up during a download", \
    u"ディスクの空き容量が足りません。") \
  X(122, kErrorInsufficientBuffer, "a result does not fit the caller's buffer", \
    u"結果を受け取る領域が小さすぎます。") \
  X(234, kErrorMoreData, \
    "a listing was cut at the byte cap: find next gives it once after the last entry kept", \
    u"ディレクトリ一覧が上限の 64 MiB を超えたため、それ以降の項目は読み込まずに省きました。" \
    u"処理はこのまま続けます。") \
  X(1113, kErrorNoUnicodeTranslation, \
    "a name or path with no exact form in the other encoding (CP932 <-> UTF-8 for a UTF8 " \
    "server or the local file system): refused rather than altered into another name", \
    u"名前に、サーバーまたはこの環境で表せない文字が含まれています。") \
  X(11002, kErrorNameResolutionTemporary, \
    "the name service could not answer for now (no name server reachable): trying again later " \
    "may work", \
    u"サーバー名の解決が一時的にできませんでした。しばらくしてから試してください。") \
  X(12002, kErrorInternetTimeout, \
    "a deadline passed: connecting (also a data connection), a reply, or a data connection " \
    "that moved too little; after a reply or transfer deadline the connection is dropped", \
    u"サーバーの応答を待つ時間が過ぎました (タイムアウト)。") \
  X(12003, kErrorInternetExtendedError, \
    "the server refused (4xx/5xx, or a reply that does not fit the command); " \
    "InternetGetLastResponseInfoA gives its code and text", \
    u"サーバーが要求を受け付けませんでした。サーバーの応答を確認してください。") \
  X(12007, kErrorInternetNameNotResolved, "the server name cannot be resolved, or is empty", \
    u"サーバー名を解決できませんでした。サーバー名を確認してください。") \
  X(12017, kErrorOperationCancelled, \
    "the caller cancelled a transfer through the status callback; nothing was stored", \
    u"転送は取り消されました。ファイルは保存されていません。") \
  X(12029, kErrorInternetCannotConnect, "a connection (control or data) refused or unreachable", \
    u"サーバーに接続できませんでした。") \
  X(12030, kErrorInternetConnectionAborted, \
    "the server closed the connection mid-reply or mid-transfer, or broke the reply syntax; " \
    "the connection is dropped", \
    u"サーバーとの接続が途中で切れました。") \
  X(12037, kErrorInternetSecCertDateInvalid, \
    "the server's certificate has expired or is not yet valid", \
    u"サーバーの証明書の有効期限が切れているか、まだ有効になっていません。") \
  X(12038, kErrorInternetSecCertCnInvalid, \
    "the server's certificate names another server than the one asked for", \
    u"サーバーの証明書に記載された名前が、接続先のサーバー名と一致しません。") \
  X(12045, kErrorInternetInvalidCa, \
    "the server's certificate comes from an issuer that is not trusted here", \
    u"サーバーの証明書の発行者が信頼されていません。") \
  X(12111, kErrorFtpDropped, "any later call on a connection that was dropped", \
    u"サーバーとの接続が切断されました。") \
  X(12152, kErrorInvalidServerResponse, \
    "the server's replies contradict the transfer: an upload confirmed (2xx) before its data " \
    "connection carried the file", \
    u"サーバーがデータを受け取る前に転送の完了を応答しました。ファイルは保存されていません。") \
  X(12157, kErrorInternetSecurityChannelError, \
    "TLS was asked for and cannot be had: AUTH refused, a failed handshake, a broken trust " \
    "file", \
    u"暗号化された接続 (TLS) を確立できませんでした。") \
  X(12190, kErrorStoredSizeDiffers, \
    "the size the server tells of an uploaded file differs from the local file's (the start-up " \
    "checks it with SIZE after a binary upload)", \
    u"サーバーに保存されたファイルのサイズが、送信したファイルのサイズと一致しません。") \
  X(12230, kErrorSshHostKeyUnknown, \
    "SSH: the server's host key is not in Quillpst.known_hosts; the connection ends before " \
    "any authentication (the last response names the key type, its SHA256 fingerprint and " \
    "the line to add)", \
    u"サーバーのホスト鍵が Quillpst.known_hosts に無いため、認証の前に接続を中止しました。") \
  X(12231, kErrorSshHostKeyChanged, \
    "SSH: Quillpst.known_hosts holds another key of the same type for the server (or the key " \
    "is marked revoked); nothing is sent", \
    u"サーバーのホスト鍵が Quillpst.known_hosts の鍵と異なります。通信が傍受されている" \
    u"おそれがあるため、何も送らずに接続を中止しました。") \
  X(12232, kErrorSshAuthenticationRefused, \
    "SSH: the server refused every authentication tried (Quillpst.key, password, " \
    "keyboard-interactive)", \
    u"サーバーが認証を受け付けませんでした。ユーザー名、パスワード、Quillpst.key を" \
    u"確認してください。") \
  X(12233, kErrorSshNegotiationFailed, \
    "SSH: the server's banner or key exchange cannot be read, or there is no method both " \
    "sides share", \
    u"SSH の接続を確立できませんでした。サーバーの応答が SSH として読めないか、共通の" \
    u"暗号方式がありません。") \
  X(12242, kErrorSftpNoSuchFile, "SFTP status 2: no such file or folder on the server", \
    u"サーバーに、指定されたファイルまたはフォルダーがありません (SFTP)。") \
  X(12243, kErrorSftpPermissionDenied, "SFTP status 3: the server denied the operation", \
    u"サーバーが操作を許可しませんでした。権限がありません (SFTP)。") \
  X(12244, kErrorSftpFailure, \
    "SFTP status 4 (and statuses without a meaning of their own): the server could not do " \
    "it, e.g. a rename over an existing file (OpenSSH at protocol 3), a folder not empty", \
    u"サーバーが操作を実行できませんでした。同じ名前が既にある、フォルダーが空でない" \
    u"などの理由が考えられます (SFTP)。") \
  X(12245, kErrorSftpBadMessage, "SFTP status 5: the server found the request malformed", \
    u"サーバーが要求を正しくないと判断しました (SFTP)。") \
  X(12248, kErrorSftpUnsupported, "SFTP status 8: the server does not support the operation", \
    u"サーバーはこの操作に対応していません (SFTP)。")
// clang-format on
