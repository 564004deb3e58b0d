// The one-line progress meter of an upload run from a terminal without a display: percent,
// bytes, rate and time left on standard error, redrawn in place at most four times a second
// once the upload has run a second, and erased when the upload ends, so that the records
// written around it stay one line each.
#pragma once

#include <ostream>
#include <streambuf>
#include <string>

#include "uploader/ProgressPace.h"
#include "uploader/ProgressWindow.h"
#include "uploader/UploadProgress.h"

// The meter's text: " 42%  215.0 MB / 512.0 MB  45.2 MB/s  0:07 left". ASCII only, so that
// its width in columns is its length on every console.
std::string MeterLine(const ProgressPace& pace);

// The terminal's last line, shared by the meter and the records: while it is installed over
// `stream`, whatever else is written there first erases the meter, so that a record (a box's
// text when the upload fails, say) starts at the line's beginning instead of after the meter.
class TerminalLine final : public std::streambuf {
 public:
  explicit TerminalLine(std::ostream& stream);
  ~TerminalLine() override;
  TerminalLine(const TerminalLine&) = delete;
  TerminalLine& operator=(const TerminalLine&) = delete;

  void draw(const std::string& meter);
  void erase();

 private:
  int overflow(int c) override;
  std::streamsize xsputn(const char* text, std::streamsize count) override;
  int sync() override;

  std::ostream& m_stream;
  std::streambuf* m_target;
  size_t m_width = 0;
};

// Meters on `line`; `now` is the clock it reads.
UploadProgressFactory TerminalMeterFactory(TerminalLine& line,
                                           ProgressClock now = std::chrono::steady_clock::now);
