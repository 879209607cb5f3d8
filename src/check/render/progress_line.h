// The progress of a long step of a check, on standard error. Short checks
// stay quiet: nothing shows before the step has run for kQuietSeconds. Then
// a terminal gets one line rewritten in place, anything else (a log file) a
// plain line at every tenth of the work.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

namespace wavecomp::check {

// Where progress goes: the program writes the bytes to standard error as
// they come. Without `write` nothing is shown.
struct ProgressStream {
  std::function<void(std::string_view bytes)> write;
  bool terminal = false;  // rewrite one line with \r
};

inline constexpr double kQuietSeconds = 2.0;

class ProgressLine {
 public:
  ProgressLine(const ProgressStream& stream, std::string what, double quiet_seconds = kQuietSeconds);
  // The share of the work done, 0..1.
  void Show(double fraction);
  // Once the step is done: ends the line, if one was shown.
  void Finish();

 private:
  double Elapsed() const;
  void Write(const std::string& text);

  const ProgressStream& stream_;
  std::string what_;
  double quiet_seconds_;
  std::chrono::steady_clock::time_point start_;
  bool shown_ = false;
  int tenths_ = 0;             // plain lines: the last tenth shown
  std::size_t last_width_ = 0;  // terminal: the line to overwrite
};

}  // namespace wavecomp::check
