// --check: a run up to the upload (settings, local file, connection with its certificate and
// log-in, the listings, the remote directory) that uploads nothing and tells each step in one
// line on standard output, so that settings can be tested before a schedule relies on them.
// --print-certificate: the server's TLS certificate, taken without trust and without a log-in.
// --print-host-key: the SSH server's host keys, likewise.
#pragma once

#include <ostream>

#include "platform/inet/InternetApi.h"
#include "uploader/StartUp.h"

// Runs the check with the settings of `environment`'s folder on `internetApi` (null: the real
// engine), writing its lines to `out`. Returns the exit status a real run would have had up to
// the upload: 0 when every step passed, 1, 2 or 3 where a run would have stopped, 5 when a
// later step showed an error (a run would go on and end so).
int RunCheck(const StartUpEnvironment& environment, std::ostream& out,
             inet::InternetApi* internetApi = nullptr);

// Prints the certificate of the server named in the settings of `settingsFolder` on `out`
// (PEM, subject, issuer, validity, SHA-256 fingerprint) and returns 0; a problem goes to `err`
// with the exit status of its kind: 1 (settings), 3 (no connection), 64 (the server asks for
// no TLS: there is no certificate to print).
int PrintServerCertificate(const std::u16string& settingsFolder, std::ostream& out,
                           std::ostream& err, const std::string& programName);

// Prints the host keys of the SSH server named in the settings of `settingsFolder` on `out`,
// each as a known_hosts line after a comment line with its SHA256 fingerprint, and returns 0;
// a problem goes to `err` with the exit status of its kind: 1 (settings), 3 (no connection, or
// no key we can check), 64 (the server is no sftp:// one).
int PrintServerHostKeys(const std::u16string& settingsFolder, std::ostream& out, std::ostream& err,
                        const std::string& programName);
