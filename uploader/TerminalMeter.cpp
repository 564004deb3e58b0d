#include "uploader/TerminalMeter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

namespace {

constexpr std::chrono::milliseconds kRedrawEvery{250};

std::string narrow(const std::u16string& ascii) { return {ascii.begin(), ascii.end()}; }

std::string clock(double seconds) {
  const long long whole = static_cast<long long>(std::ceil(seconds));
  char text[40];
  if (whole >= 3600) {
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", whole / 3600, whole % 3600 / 60,
                  whole % 60);
  } else {
    std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
  }
  return text;
}

class TerminalMeter final : public UploadProgress {
 public:
  TerminalMeter(TerminalLine& line, ProgressClock now)
      : m_line(line), m_now(std::move(now)), m_started(m_now()) {}

  ~TerminalMeter() override { m_line.erase(); }

  bool update(uint64_t bytes, uint64_t total) override {
    const auto now = m_now();
    m_pace.add(now, bytes, total);
    if (now - m_started < kProgressShowAfter) return true;
    if (m_drawnOnce && now - m_drawn < kRedrawEvery) return true;
    m_drawn = now;
    m_drawnOnce = true;
    m_line.draw(MeterLine(m_pace));
    return true;
  }

 private:
  TerminalLine& m_line;
  ProgressClock m_now;
  std::chrono::steady_clock::time_point m_started;
  std::chrono::steady_clock::time_point m_drawn;
  ProgressPace m_pace;
  bool m_drawnOnce = false;
};

}  // namespace

std::string MeterLine(const ProgressPace& pace) {
  const ProgressView view = pace.view();
  std::string line;
  if (view.totalKnown) {
    char percent[16];
    std::snprintf(percent, sizeof percent, "%3d%%", view.permille / 10);
    line = std::string(percent) + "  ";
  }
  line += narrow(view.sent);
  const double rate = pace.bytesPerSecond();
  if (rate >= 0) line += "  " + narrow(ProgressSizeText(static_cast<uint64_t>(rate))) + "/s";
  const double left = pace.secondsLeft();
  if (left >= 0) line += "  " + clock(left) + " left";
  return line;
}

TerminalLine::TerminalLine(std::ostream& stream) : m_stream(stream), m_target(stream.rdbuf(this)) {}

TerminalLine::~TerminalLine() {
  erase();
  m_stream.rdbuf(m_target);
}

void TerminalLine::draw(const std::string& meter) {
  std::string text = "\r" + meter;
  // A shorter meter than the last covers what is left of it.
  if (meter.size() < m_width) text.append(m_width - meter.size(), ' ');
  m_target->sputn(text.data(), static_cast<std::streamsize>(text.size()));
  m_target->pubsync();
  m_width = std::max(m_width, meter.size());
}

void TerminalLine::erase() {
  if (m_width == 0) return;
  const std::string blank = "\r" + std::string(m_width, ' ') + "\r";
  m_width = 0;
  m_target->sputn(blank.data(), static_cast<std::streamsize>(blank.size()));
  m_target->pubsync();
}

int TerminalLine::overflow(int c) {
  erase();
  return c == traits_type::eof() ? traits_type::not_eof(c) : m_target->sputc(static_cast<char>(c));
}

std::streamsize TerminalLine::xsputn(const char* text, std::streamsize count) {
  erase();
  return m_target->sputn(text, count);
}

int TerminalLine::sync() { return m_target->pubsync(); }

UploadProgressFactory TerminalMeterFactory(TerminalLine& line, ProgressClock now) {
  return [&line, now = std::move(now)](const std::u16string&) {
    return std::unique_ptr<UploadProgress>(new TerminalMeter(line, now));
  };
}
