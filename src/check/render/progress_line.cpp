#include "check/render/progress_line.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "check/kernels/bounded_int.h"

namespace wavecomp::check {
namespace {

std::string Duration(double seconds) {
  // A guess of years is shown as that many seconds still.
  const std::int64_t whole = RoundWithin<std::int64_t>(seconds, 0, std::int64_t{1} << 52);
  if (whole < 60) return std::to_string(whole) + " s";
  return std::to_string(whole / 60) + " min " + std::to_string(whole % 60) + " s";
}

}  // namespace

ProgressLine::ProgressLine(const ProgressStream& stream, std::string what, double quiet_seconds)
    : stream_(stream),
      what_(std::move(what)),
      quiet_seconds_(quiet_seconds),
      start_(std::chrono::steady_clock::now()) {}

double ProgressLine::Elapsed() const {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void ProgressLine::Write(const std::string& text) {
  if (!stream_.terminal) {
    stream_.write(text + "\n");
    return;
  }
  // Blanks over what is left of a longer line before.
  std::string line = "\r" + text;
  if (text.size() < last_width_) line.append(last_width_ - text.size(), ' ');
  last_width_ = text.size();
  stream_.write(line);
}

void ProgressLine::Show(double fraction) {
  if (!stream_.write) return;
  const double elapsed = Elapsed();
  if (elapsed < quiet_seconds_) return;
  fraction = fraction >= 0.0 ? std::min(fraction, 1.0) : 0.0;  // a NaN is no progress
  const int tenths = static_cast<int>(std::floor(fraction * 10.0));
  if (!stream_.terminal && shown_ && tenths <= tenths_) return;
  shown_ = true;
  tenths_ = tenths;
  std::string text = "wavecomp-check: " + what_ + " " + std::to_string(static_cast<int>(fraction * 100.0)) +
                     " %, " + Duration(elapsed);
  if (fraction > 0.0) text += ", about " + Duration(elapsed * (1.0 - fraction) / fraction) + " left";
  Write(text);
}

void ProgressLine::Finish() {
  if (!stream_.write || !shown_) return;
  Write("wavecomp-check: " + what_ + " done in " + Duration(Elapsed()));
  if (stream_.terminal) stream_.write("\n");
}

}  // namespace wavecomp::check
