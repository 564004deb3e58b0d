// How far an upload has come, as a person reads it: the share done, bytes sent of the total,
// the rate over the last few seconds and the time left. Fed with (time, bytes) samples; shared
// by the progress windows of both systems and the terminal meter.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <string>

// A window or meter appears only once an upload has run this long, so small files never
// flash one.
inline constexpr std::chrono::milliseconds kProgressShowAfter{1000};

struct ProgressView {
  int permille = 0;           // 0..1000; 0 while the total is not known
  bool totalKnown = false;
  std::u16string sent;        // "215.0 MB / 512.0 MB", or "215.0 MB" without a total
  std::u16string rate;        // "45.2 MB/秒"; empty until a rate is known
  std::u16string timeLeft;    // "残り 1 分 20 秒"; empty while unknown
};

class ProgressPace {
 public:
  using Clock = std::chrono::steady_clock;

  // A sample: `sent` bytes of `total` (0: not known) at `at`. Samples come in time order;
  // a count that goes back (a server-side restart of the transfer) restarts the rate.
  void add(Clock::time_point at, uint64_t sent, uint64_t total);

  ProgressView view() const;
  // Bytes a second over the samples kept (the last few seconds); negative while unknown.
  double bytesPerSecond() const;
  // Seconds left at the current rate; negative while unknown or beyond any use.
  double secondsLeft() const;
  uint64_t sent() const { return m_sent; }
  uint64_t total() const { return m_total; }

 private:
  struct Sample {
    Clock::time_point at;
    uint64_t sent;
  };
  std::deque<Sample> m_samples;
  uint64_t m_sent = 0;
  uint64_t m_total = 0;
};

// "999 B", "12.3 KB", "215.0 MB", "1.50 GB" (units of 1024, as the system's own dialogs count).
std::u16string ProgressSizeText(uint64_t bytes);
// "残り 8 秒", "残り 1 分 20 秒", "残り 2 時間 5 分"; empty for a negative number or one past
// about a hundred days.
std::u16string ProgressTimeLeftText(double seconds);
