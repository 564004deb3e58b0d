// What an FTPFrr number says about a failure, for the start-up's decisions: whether trying the
// whole run again later may help, and whether the server refused a name as such (so that the
// upload may take another way). One place for these rules; every protocol's numbers are here.
#pragma once

#include <cstdint>

#include "uploader/StartUp.h"

// True when a run that ended with `status` after the FTPFrr event `ErrNumber` may succeed if
// tried again: the connection refused, reset, dropped or timed out, a temporary failure of the
// name service, the server's "421" (closing) or any other 4xx reply (RFC 959: transient). Never
// for a refused log-in (530: trying again looks like an attack and locks accounts), other 5xx
// replies, a refused certificate or TLS, a cancel, or a problem of the settings or the local
// file. Over SFTP the same numbers mean the same (a channel closed mid-transfer is a dropped
// connection); a refused SSH log-in and a host key unknown or changed are never transient.
bool IsTransientFailure(ExitStatus status, int32_t ErrNumber);

// True when the server itself refused the request (a 4xx or 5xx reply, an SFTP status), as
// opposed to the connection failing: another way of doing it may work.
bool IsServerRefusal(int32_t ErrNumber);

// True when the server refused a name for what it is, so that another name or way may work:
// 550 (no access, or a rename over an existing file, as IIS answers) and 553 (name not
// allowed); over SFTP what means the same: no such file, permission denied, and the general
// failure with which OpenSSH and proftpd (protocol 3) refuse a rename over an existing file.
bool IsNameRefusal(int32_t ErrNumber);
