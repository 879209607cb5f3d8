#include "check/kernels/sea_surface.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <stdexcept>
#include <system_error>
#include <thread>

#include "core/cancellation.h"
#include "synthesis/numerics.h"

namespace wavecomp::check {
namespace {

// Components are turned eight at a time, in four registers of two, each with
// its own partial sum: enough independent work to hide the latency of the
// multiply-add chain, and the order of the additions stays fixed.
constexpr std::size_t kGroup = 8;

void CheckSizes(std::span<const double> f, std::span<const double> a, std::span<const double> phase) {
  if (a.size() != f.size() || phase.size() != f.size())
    throw std::invalid_argument("components: frequency, amplitude and phase counts differ");
}

}  // namespace

SurfaceSynthesis::SurfaceSynthesis(std::span<const double> f, std::span<const double> a, std::span<const double> phase,
                                   double dt)
    : count_(f.size()), dt_(dt) {
  CheckSizes(f, a, phase);
  if (!(dt > 0.0) || !std::isfinite(dt)) throw std::invalid_argument("time step must be positive and finite");
  const std::size_t padded = (count_ + kGroup - 1) / kGroup * kGroup;
  f_.assign(padded, 0.0);
  a_.assign(padded, 0.0);
  phase_.assign(padded, 0.0);
  std::copy(f.begin(), f.end(), f_.begin());
  std::copy(a.begin(), a.end(), a_.begin());
  std::copy(phase.begin(), phase.end(), phase_.begin());
  turn_re_.resize(padded / 2);
  turn_im_.resize(padded / 2);
  for (std::size_t i = 0; i < padded; ++i) {
    turn_re_[i / 2][i % 2] = std::cos(kTwoPi * f_[i] * dt_);
    turn_im_[i / 2][i % 2] = std::sin(kTwoPi * f_[i] * dt_);
  }
  re_.resize(padded / 2);
  im_.resize(padded / 2);
}

void SurfaceSynthesis::Anchor(std::size_t sample) {
  const double t = static_cast<double>(sample) * dt_;
  for (std::size_t i = 0; i < f_.size(); ++i) {
    const double psi = kTwoPi * f_[i] * t + phase_[i];
    re_[i / 2][i % 2] = a_[i] * std::cos(psi);
    im_[i / 2][i % 2] = a_[i] * std::sin(psi);
  }
}

void SurfaceSynthesis::Turn(std::span<double> eta) {
  const std::size_t pairs = re_.size();
  Pair* __restrict const re = re_.data();
  Pair* __restrict const im = im_.data();
  const Pair* __restrict const wr = turn_re_.data();
  const Pair* __restrict const wi = turn_im_.data();
  for (double& sample : eta) {
    Pair s0{}, s1{}, s2{}, s3{};
    for (std::size_t v = 0; v < pairs; v += kGroup / 2) {
      const Pair r0 = re[v], r1 = re[v + 1], r2 = re[v + 2], r3 = re[v + 3];
      const Pair m0 = im[v], m1 = im[v + 1], m2 = im[v + 2], m3 = im[v + 3];
      s0 += r0;
      s1 += r1;
      s2 += r2;
      s3 += r3;
      re[v] = r0 * wr[v] - m0 * wi[v];
      re[v + 1] = r1 * wr[v + 1] - m1 * wi[v + 1];
      re[v + 2] = r2 * wr[v + 2] - m2 * wi[v + 2];
      re[v + 3] = r3 * wr[v + 3] - m3 * wi[v + 3];
      im[v] = r0 * wi[v] + m0 * wr[v];
      im[v + 1] = r1 * wi[v + 1] + m1 * wr[v + 1];
      im[v + 2] = r2 * wi[v + 2] + m2 * wr[v + 2];
      im[v + 3] = r3 * wi[v + 3] + m3 * wr[v + 3];
    }
    const Pair s = (s0 + s1) + (s2 + s3);
    sample = s[0] + s[1];
  }
}

void SurfaceSynthesis::Fill(std::size_t first, std::span<double> eta) {
  for (std::size_t done = 0; done < eta.size(); done += kAnchorInterval) {
    Anchor(first + done);
    Turn(eta.subspan(done, std::min(kAnchorInterval, eta.size() - done)));
  }
}

std::vector<double> SynthesiseRecord(std::span<const double> f, std::span<const double> a,
                                     std::span<const double> phase, double dt, std::size_t samples,
                                     const ProgressCallback& progress, int threads) {
  std::vector<double> eta(samples);
  if (samples == 0) return eta;
  const std::size_t anchors = (samples + kAnchorInterval - 1) / kAnchorInterval;
  const std::size_t stretches = std::clamp<std::size_t>(static_cast<std::size_t>(std::max(threads, 1)), 1, anchors);
  // Stretch s covers the anchors [s anchors / stretches, (s+1) anchors / stretches).
  const auto bounds = [&](std::size_t s) { return std::min(samples, s * anchors / stretches * kAnchorInterval); };
  const auto fill = [&](std::size_t s, bool report) {
    SurfaceSynthesis synthesis(f, a, phase, dt);
    const std::size_t begin = bounds(s), end = bounds(s + 1);
    for (std::size_t done = begin; done < end; done += kAnchorInterval) {
      ThrowIfCancelled();
      const std::size_t piece = std::min(kAnchorInterval, end - done);
      synthesis.Fill(done, std::span<double>(eta).subspan(done, piece));
      // The others go as fast: the first stretch speaks for all.
      if (report && progress) progress(std::min(samples, (done + piece) * stretches), samples);
    }
  };
  std::vector<std::exception_ptr> errors(stretches);
  const auto guarded = [&](std::size_t s) {
    try {
      fill(s, s == 0);
    } catch (...) {
      errors[s] = std::current_exception();
    }
  };
  std::vector<std::thread> helpers;
  for (std::size_t s = 1; s < stretches; ++s) {
    try {
      helpers.emplace_back(guarded, s);
    } catch (const std::system_error&) {
      guarded(s);  // no thread to be had: this one does it
    }
  }
  guarded(0);
  for (std::thread& helper : helpers) helper.join();
  for (const std::exception_ptr& error : errors) {
    if (error) std::rethrow_exception(error);
  }
  if (stretches > 1 && progress) progress(samples, samples);
  return eta;
}

double DirectElevation(std::span<const double> f, std::span<const double> a, std::span<const double> phase, double t) {
  CheckSizes(f, a, phase);
  double eta = 0.0;
  for (std::size_t i = 0; i < f.size(); ++i) eta += a[i] * std::cos(kTwoPi * f[i] * t + phase[i]);
  return eta;
}

}  // namespace wavecomp::check
