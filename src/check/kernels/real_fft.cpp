#include "check/kernels/real_fft.h"

#include <kissfft/kiss_fftr.h>

#include <cstdint>
#include <new>
#include <stdexcept>
#include <vector>

namespace wavecomp::check {

struct RealFft::Plans {
  kiss_fftr_cfg forward = nullptr;
  kiss_fftr_cfg inverse = nullptr;
  std::vector<kiss_fft_scalar> samples;
  std::vector<kiss_fft_cpx> bins;

  ~Plans() {
    kiss_fftr_free(forward);
    kiss_fftr_free(inverse);
  }
};

bool IsFastFftSize(std::size_t n) {
  if (n < 2 || n % 2 != 0) return false;
  for (std::size_t p : {2u, 3u, 5u}) {
    while (n % p == 0) n /= p;
  }
  return n == 1;
}

std::size_t FastFftSizeAtLeast(std::size_t n) {
  std::size_t m = n < 2 ? 2 : n;
  while (!IsFastFftSize(m)) ++m;
  return m;
}

std::size_t FastFftSizeAtMost(std::size_t n) {
  for (std::size_t m = n; m >= 2; --m) {
    if (IsFastFftSize(m)) return m;
  }
  return 0;
}

namespace {

// A plan of one direction that is freed when it goes.
struct Plan {
  kiss_fftr_cfg cfg;
  Plan(std::size_t size, bool inverse) : cfg(kiss_fftr_alloc(static_cast<int>(size), inverse ? 1 : 0, nullptr, nullptr)) {
    if (cfg == nullptr) throw std::bad_alloc();
  }
  ~Plan() { kiss_fftr_free(cfg); }
  Plan(const Plan&) = delete;
  Plan& operator=(const Plan&) = delete;
};

}  // namespace

std::vector<float> AutocorrelationSums(std::span<const double> x, double scale, std::size_t size,
                                       std::vector<double>* release) {
  if (!IsFastFftSize(size) || size > static_cast<std::size_t>(INT32_MAX) || x.size() > size)
    throw std::invalid_argument("FFT size must be even with no prime factor above 5, and hold the record");
  std::vector<kiss_fft_scalar> samples(size, 0.0f);
  for (std::size_t t = 0; t < x.size(); ++t) samples[t] = static_cast<kiss_fft_scalar>(x[t] * scale);
  if (release != nullptr) std::vector<double>().swap(*release);
  std::vector<kiss_fft_cpx> bins(size / 2 + 1);
  {
    const Plan forward(size, false);
    kiss_fftr(forward.cfg, samples.data(), bins.data());
  }
  for (kiss_fft_cpx& bin : bins) {
    bin.r = static_cast<kiss_fft_scalar>(
        std::norm(std::complex<double>(static_cast<double>(bin.r), static_cast<double>(bin.i))));
    bin.i = 0.0f;
  }
  const Plan inverse(size, true);
  kiss_fftri(inverse.cfg, bins.data(), samples.data());
  return samples;
}

RealFft::RealFft(std::size_t size) : size_(size), plans_(std::make_unique<Plans>()) {
  // KISS FFT takes its size as an int.
  if (!IsFastFftSize(size) || size > static_cast<std::size_t>(INT32_MAX))
    throw std::invalid_argument("FFT size must be even with no prime factor above 5");
  const int n = static_cast<int>(size);
  plans_->forward = kiss_fftr_alloc(n, 0, nullptr, nullptr);
  plans_->inverse = kiss_fftr_alloc(n, 1, nullptr, nullptr);
  if (plans_->forward == nullptr || plans_->inverse == nullptr) throw std::bad_alloc();
  plans_->samples.resize(size);
  plans_->bins.resize(size / 2 + 1);
}

RealFft::~RealFft() = default;

void RealFft::Forward(std::span<const double> x, std::span<std::complex<double>> X) {
  if (x.size() != size_ || X.size() != size_ / 2 + 1) throw std::invalid_argument("FFT: wrong buffer sizes");
  for (std::size_t t = 0; t < size_; ++t) plans_->samples[t] = static_cast<kiss_fft_scalar>(x[t]);
  kiss_fftr(plans_->forward, plans_->samples.data(), plans_->bins.data());
  for (std::size_t k = 0; k < X.size(); ++k)
    X[k] = {static_cast<double>(plans_->bins[k].r), static_cast<double>(plans_->bins[k].i)};
}

void RealFft::Inverse(std::span<const std::complex<double>> X, std::span<double> x) {
  if (x.size() != size_ || X.size() != size_ / 2 + 1) throw std::invalid_argument("FFT: wrong buffer sizes");
  for (std::size_t k = 0; k < X.size(); ++k) {
    plans_->bins[k].r = static_cast<kiss_fft_scalar>(X[k].real());
    plans_->bins[k].i = static_cast<kiss_fft_scalar>(X[k].imag());
  }
  kiss_fftri(plans_->inverse, plans_->bins.data(), plans_->samples.data());
  for (std::size_t t = 0; t < size_; ++t) x[t] = static_cast<double>(plans_->samples[t]);
}

}  // namespace wavecomp::check
