// Discrete Fourier transforms of real records through KISS FFT.
//
// Debian packages only the single-precision build of KISS FFT, so the
// samples pass through float: about 1e-7 relative per sample and a few times
// that after the transform, far finer than the spectral estimates and
// correlations made from them need.
#pragma once

#include <complex>
#include <cstddef>
#include <memory>
#include <span>
#include <vector>

namespace wavecomp::check {

// Whether n is a size the transform handles fast: even, with no prime factor
// above 5 (other factors make KISS FFT fall back to slow generic butterflies).
bool IsFastFftSize(std::size_t n);
// The smallest fast size >= n.
std::size_t FastFftSizeAtLeast(std::size_t n);
// The largest fast size <= n; 0 when n < 2.
std::size_t FastFftSizeAtMost(std::size_t n);

// The circular autocorrelation sums s(k) = sum over t of y(t) y(t+k mod
// size), k = 0..size-1, of y(t) = scale x(t) zero-padded to `size` (a fast
// size), each as Forward, std::norm of every bin and Inverse of RealFft would
// make it, to the last bit: but in the transform's own single-precision
// buffers and with one plan at a time, some 18 bytes per padded sample where
// RealFft and double copies would take 60. `release`, when not null, is
// emptied (its memory freed) once x has been taken, before the transform's
// memory is: x may be *release.
std::vector<float> AutocorrelationSums(std::span<const double> x, double scale, std::size_t size,
                                       std::vector<double>* release = nullptr);

class RealFft {
 public:
  // size: a fast size (IsFastFftSize); throws std::invalid_argument otherwise.
  explicit RealFft(std::size_t size);
  ~RealFft();
  RealFft(const RealFft&) = delete;
  RealFft& operator=(const RealFft&) = delete;

  std::size_t size() const { return size_; }

  // X(k) = sum over t of x(t) exp(-2 pi j k t / n) for k = 0..n/2, from
  // x(0..n-1); x.size() == size(), X.size() == size()/2 + 1.
  void Forward(std::span<const double> x, std::span<std::complex<double>> X);
  // x(t) = sum over k = 0..n-1 of X(k) exp(+2 pi j k t / n), the bins above
  // n/2 being the conjugates of those below (no 1/n factor).
  void Inverse(std::span<const std::complex<double>> X, std::span<double> x);

 private:
  struct Plans;
  std::size_t size_ = 0;
  std::unique_ptr<Plans> plans_;
};

}  // namespace wavecomp::check
