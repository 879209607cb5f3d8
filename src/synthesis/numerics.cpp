// Glossary: a, b, c are the coefficients of a*x^2 + b*x + c; D its
// discriminant; s the generator state (seed); h depth (m), T period (s),
// L wavelength (m).
#include "synthesis/numerics.h"

#include <cmath>
#include <limits>

namespace wavecomp {

void QuadRoots(double a, double b, double c, ComplexRoot& root1, ComplexRoot& root2, int& kind, int& status) {
  if (a == 0.0) {
    status = kQuadNotQuadratic;
    return;
  }
  const double discriminant = b * b - (4.0 * a) * c;
  const double r = std::sqrt(std::fabs(discriminant));
  const double q = 2.0 * a;
  if (discriminant > 0.0) {
    kind = 1;
    root1 = {(r - b) / q, 0.0};
    root2 = {-(b + r) / q, 0.0};
  } else if (discriminant == 0.0) {
    kind = 0;
    root1 = {-b / q, 0.0};
    root2 = root1;
  } else {
    // Also a discriminant that is not a number: the caller then gets a
    // non-finite real part rather than a made-up root.
    kind = -1;
    root1 = {-b / q, r / q};
    root2 = {-b / q, -r / q};
  }
}

double IntegerPower(double x, int n) {
  const bool reciprocal = n < 0;
  unsigned int m = reciprocal ? 0U - static_cast<unsigned int>(n) : static_cast<unsigned int>(n);
  double result = (m & 1U) != 0 ? x : 1.0;
  while ((m >>= 1U) != 0) {
    x = x * x;
    if ((m & 1U) != 0) result = result * x;
  }
  return reciprocal ? 1.0 / result : result;
}

namespace {

constexpr std::int64_t kLcgMultiplier = 1229;
constexpr std::int64_t kLcgIncrement = 351750;
constexpr std::int32_t kLcgModulus = 1664501;

}  // namespace

float LcgRandom(std::int32_t& seed) {
  // The product and sum are formed exactly in 64 bits (|1229 s| < 2^42) and
  // then wrapped to 32-bit two's complement through the unsigned type, which
  // C++20 defines, so large or negative seeds follow the wrapped sequence
  // without signed overflow.
  const std::int64_t exact = kLcgMultiplier * static_cast<std::int64_t>(seed) + kLcgIncrement;
  const auto wrapped = static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(exact)));
  // C++ % truncates toward zero: the remainder has the sign of the dividend.
  seed = wrapped % kLcgModulus;
  return static_cast<float>(seed) * kLcgScale;
}

namespace {

constexpr double kGravity = 9.8;                 // m/s^2
constexpr double kPadeB = 2.6318945009424066;    // 4 pi^2 / 15, pi as 3.14159265
constexpr double kPadeC = 15.791367005654438;    // 8 pi^2 / 5, pi as 3.14159265
constexpr double kWavelengthTolerance = 0.0005;  // relative change that ends the iteration
// Newton's method converges in a handful of steps for positive depth and
// period (quadratically from the shallow-water start); 100 steps without
// convergence means the input has no sensible wavelength.
constexpr int kMaxWavelengthIterations = 100;

}  // namespace

double DispersionWavelength(double depth, double period, double& wavelength) {
  const double not_a_number = std::numeric_limits<double>::quiet_NaN();
  if (!(depth > 0.0)) {
    wavelength = not_a_number;
    return wavelength;
  }
  const double a = std::sqrt(kGravity * depth) * period;
  const double b = kPadeB * (depth * depth);
  const double c = kPadeC * (depth * depth);
  double length = a;
  for (int iteration = 0; iteration < kMaxWavelengthIterations; ++iteration) {
    const double l2 = length * length;
    const double residual = length - a * std::sqrt((l2 + b) / (l2 + c));
    const double derivative = 1.0 - length * a * std::sqrt((l2 + c) / (l2 + b)) * (c - b) / ((l2 + c) * (l2 + c));
    const double next = length - residual / derivative;
    if (!(std::fabs(1.0 - next / length) > kWavelengthTolerance)) {
      // A NaN change also ends here and is passed on as the result.
      wavelength = next;
      return wavelength;
    }
    length = next;
  }
  wavelength = not_a_number;
  return wavelength;
}

double StepOffsetHolding(double g, double y0, double W) {
  ComplexRoot root1{0.0, 0.0};
  ComplexRoot root2{0.0, 0.0};
  int kind = 0;
  int status = 0;
  QuadRoots(g, 2.0 * y0, -2.0 * W, root1, root2, kind, status);
  if (status != kQuadNotQuadratic) return root1.re;
  if (y0 > 0.0) return W / y0;
  return 0.0;
}

}  // namespace wavecomp
