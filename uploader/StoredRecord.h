// The line that a successful upload writes on standard output, for a scheduler's log:
//   2026-12-07T09:05:03+09:00 Quillpost: stored server=ftp.example.jp folder=/incoming
//   name=daily.csv bytes=35 seconds=0.004 via=rename verified=size
// (one line; via= tells how the file reached its name, verified= whether the server's size of
// it was compared and matched). A value holding a blank, a quote, a backslash or "=", or an empty
// one, is quoted with "\"" and "\\" escaped; line breaks and control characters never reach the
// line.
#pragma once

#include <ostream>
#include <string>

#include "uploader/StartUp.h"

// The record of `stored`, stamped `stamp`, without a line end.
std::string StoredRecord(const StoredUpload& stored, const std::string& stamp);

// Writes the record of `stored`, stamped with the local time, and a line end to `out`, and
// flushes it.
void WriteStoredRecord(std::ostream& out, const StoredUpload& stored);
