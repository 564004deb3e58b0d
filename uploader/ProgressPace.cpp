#include "uploader/ProgressPace.h"

#include <cmath>
#include <cstdio>

namespace {

// The rate is measured over this much of the recent past: long enough to smooth out bursts,
// short enough to follow a line that slows down.
constexpr std::chrono::seconds kRateWindow{5};
// No rate is given from less than this much time: the first instants of a transfer fill
// buffers, not the line.
constexpr std::chrono::milliseconds kRateFirst{500};
// About a hundred days.
constexpr double kLongestTimeLeft = 1e7;

std::u16string ascii(const char* text) {
  std::u16string out;
  for (const char* c = text; *c != '\0'; ++c) out.push_back(static_cast<char16_t>(*c));
  return out;
}

std::u16string decimal(long long value) { return ascii(std::to_string(value).c_str()); }

}  // namespace

void ProgressPace::add(Clock::time_point at, uint64_t sent, uint64_t total) {
  if (sent < m_sent) m_samples.clear();
  m_sent = sent;
  m_total = total;
  m_samples.push_back({at, sent});
  // Keep one sample older than the window, so the window is always spanned in full.
  while (m_samples.size() > 2 && at - m_samples[1].at >= kRateWindow) m_samples.pop_front();
}

double ProgressPace::bytesPerSecond() const {
  if (m_samples.size() < 2) return -1;
  const Sample& first = m_samples.front();
  const Sample& last = m_samples.back();
  const auto span = last.at - first.at;
  if (span < kRateFirst) return -1;
  return static_cast<double>(last.sent - first.sent) / std::chrono::duration<double>(span).count();
}

double ProgressPace::secondsLeft() const {
  const double rate = bytesPerSecond();
  if (m_total == 0 || rate <= 0 || m_sent > m_total) return -1;
  const double seconds = static_cast<double>(m_total - m_sent) / rate;
  // A line that all but stopped gives no time worth telling (and none a clock could count).
  return seconds > kLongestTimeLeft ? -1 : seconds;
}

ProgressView ProgressPace::view() const {
  ProgressView view;
  view.totalKnown = m_total > 0;
  if (view.totalKnown) {
    const uint64_t done = m_sent > m_total ? m_total : m_sent;
    view.permille = static_cast<int>(static_cast<long double>(done) * 1000 / m_total);
    view.sent = ProgressSizeText(m_sent) + u" / " + ProgressSizeText(m_total);
  } else {
    view.sent = ProgressSizeText(m_sent);
  }
  const double rate = bytesPerSecond();
  if (rate >= 0) view.rate = ProgressSizeText(static_cast<uint64_t>(rate)) + u"/秒";
  view.timeLeft = ProgressTimeLeftText(secondsLeft());
  return view;
}

std::u16string ProgressSizeText(uint64_t bytes) {
  if (bytes < 1024) return decimal(static_cast<long long>(bytes)) + u" B";
  static const char* const units[] = {"KB", "MB", "GB", "TB", "PB", "EB"};
  double value = static_cast<double>(bytes) / 1024;
  int unit = 0;
  while (value >= 1024 && unit < 5) {
    value /= 1024;
    ++unit;
  }
  // "1.50 GB", "12.3 MB", "215.0 MB": a count that moves visibly while the line is busy.
  char text[32];
  std::snprintf(text, sizeof text, value < 10 ? "%.2f %s" : "%.1f %s", value, units[unit]);
  return ascii(text);
}

std::u16string ProgressTimeLeftText(double seconds) {
  if (!(seconds >= 0) || !(seconds <= kLongestTimeLeft)) return {};
  // Shown in whole seconds, rounded up: "残り 0 秒" would be a lie while bytes are still going.
  const long long whole = static_cast<long long>(std::ceil(seconds));
  if (whole < 60) return u"残り " + decimal(whole) + u" 秒";
  if (whole < 3600) {
    return u"残り " + decimal(whole / 60) + u" 分 " + decimal(whole % 60) + u" 秒";
  }
  // Days of upload are not worth telling apart from hours.
  return u"残り " + decimal(whole / 3600) + u" 時間 " + decimal(whole % 3600 / 60) + u" 分";
}
