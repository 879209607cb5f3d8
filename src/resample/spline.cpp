// Cubic spline with parabolic run-out ends. Symbols as in spline.h; c(i) and
// d(i) are the super-diagonal and the diagonal of the tridiagonal system of
// the interior second derivatives, each row divided by h(i).
#include "resample/spline.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace wavecomp {

namespace {

// The single-precision value of the eight-digit decimal 0.08333333 (just
// below 1/12, not the float nearest 1/12), used in double arithmetic; its
// 64-bit value 0.0833333283662796 is part of the integral's result.
constexpr double kSplineTwelfth = double(0.08333333f);

// Per-call work arrays of the kit routines: one table of at most
// kSplineMaxPoints points, 1-based. On the stack so that no call allocates.
using SplineWork = std::array<double, kSplineMaxPoints + 1>;

// The first interval check of the kit routines: kSplineOk, or the status of
// the first non-ascending difference (888 for a zero step only when
// `repeated_has_own_status`).
int AscendingStatus(const double* x, int n, bool repeated_has_own_status) {
  for (int i = 1; i <= n - 1; ++i) {
    const double d = x[i + 1] - x[i];
    if (d < 0.0) return kSplineUnusable;
    if (d == 0.0) return repeated_has_own_status ? kSplineRepeatedAbscissa : kSplineUnusable;
    if (!(d > 0.0)) return kSplineUnusable;  // NaN abscissa: no order at all
  }
  return kSplineOk;
}

bool PointCountUsable(int n) { return n >= kSplineMinPoints && n <= kSplineMaxPoints; }

}  // namespace

bool SplineAvailable(const double* x, int n) {
  if (!PointCountUsable(n)) return false;
  for (int i = 1; i <= n - 1; ++i) {
    if (!(x[i + 1] - x[i] > 0.0)) return false;
  }
  return true;
}

void spline_setup(const double* x, const double* y, int n, int m, double* h, double* M) {
  SplineWork c;
  SplineWork d;
  // M holds the right-hand side until the sweep overwrites it.
  for (int i = 2; i <= m; ++i) {
    h[i] = x[i] - x[i - 1];
    M[i] = 6.0 * ((y[i + 1] - y[i]) / ((x[i + 1] - x[i]) * h[i]) - (y[i] - y[i - 1]) / (h[i] * h[i]));
  }
  h[n] = x[n] - x[m];
  for (int i = 2; i <= m; ++i) {
    c[i] = h[i + 1] / h[i];
    d[i] = 2.0 * (1.0 + c[i]);
  }
  // Run-out ends folded into the first and last rows: M(1) = M(2), M(n) = M(m).
  d[2] = d[2] + 1.0;
  d[m] = d[m] + h[n] / h[m];
  // Forward sweep; the sub-diagonal is 1 in every row.
  c[2] = c[2] / d[2];
  M[2] = M[2] / d[2];
  for (int i = 3; i <= m; ++i) {
    const double den = d[i] - c[i - 1];
    c[i] = c[i] / den;
    M[i] = (M[i] - M[i - 1]) / den;
  }
  for (int i = m - 1; i >= 2; --i) M[i] = M[i] - c[i] * M[i + 1];
  M[1] = M[2];
  M[n] = M[m];
}

int FindSplineInterval(const double* x, int n, double X) {
  // Written so that NaN fails the test as well.
  if (n < 2 || !(X >= x[1] && X <= x[n])) return 0;
  // On an ascending table the first j >= 2 with X <= x(j) also has
  // x(j-1) <= X: either j = 2 and X >= x(1), or x(j-1) < X by minimality.
  const double* first = x + 2;
  const double* last = x + n + 1;
  return static_cast<int>(std::lower_bound(first, last, X) - x);
}

bool spline_value(const double* x, const double* y, int n, const double* h, const double* M, double X, double& value) {
  const int j = FindSplineInterval(x, n, X);
  if (j == 0) return false;
  value = SplineFormula(x[j] - X, X - x[j - 1], h[j], y[j - 1], y[j], M[j - 1], M[j]);
  return true;
}

Spline::Spline() : h_(kSplineMaxPoints + 1, 0.0), M_(kSplineMaxPoints + 1, 0.0) {}

bool Spline::Setup(const double* x, const double* y, int n) {
  available_ = SplineAvailable(x, n);
  if (!available_) {
    x_ = nullptr;
    y_ = nullptr;
    n_ = 0;
    return false;
  }
  x_ = x;
  y_ = y;
  n_ = n;
  spline_setup(x, y, n, n - 1, h_.data(), M_.data());
  return true;
}

bool Spline::Evaluate(double X, double& value) const {
  if (!available_) return false;
  return spline_value(x_, y_, n_, h_.data(), M_.data(), X, value);
}

void SplineInterpolate(const double* x, const double* y, int n, double X, double& value, int& status) {
  if (!PointCountUsable(n)) {
    status = kSplineUnusable;
    return;
  }
  const int ascending = AscendingStatus(x, n, true);
  if (ascending != kSplineOk) {
    status = ascending;
    return;
  }
  SplineWork h;
  SplineWork M;
  spline_setup(x, y, n, n - 1, h.data(), M.data());
  status = spline_value(x, y, n, h.data(), M.data(), X, value) ? kSplineOk : kSplineUnusable;
}

void SplineIntegral(const double* x, const double* y, int n, double& integral, int& status) {
  if (!PointCountUsable(n) || AscendingStatus(x, n, false) != kSplineOk) {
    status = kSplineUnusable;
    return;
  }
  status = kSplineOk;
  SplineWork h;
  SplineWork M;
  spline_setup(x, y, n, n - 1, h.data(), M.data());
  double sum = 0.0;
  for (int j = 2; j <= n; ++j) {
    sum += h[j] * 0.5 * (y[j - 1] + y[j] - h[j] * (h[j] * (kSplineTwelfth * (M[j - 1] + M[j]))));
  }
  integral = sum;
}

void SplineSlope(const double* x, const double* y, int n, double X, double& slope, int& status) {
  if (!PointCountUsable(n) || !(X >= x[1] && X <= x[n]) || AscendingStatus(x, n, false) != kSplineOk) {
    status = kSplineUnusable;
    return;
  }
  SplineWork h;
  SplineWork M;
  spline_setup(x, y, n, n - 1, h.data(), M.data());
  const int j = FindSplineInterval(x, n, X);
  const double A = x[j] - X;
  const double B = X - x[j - 1];
  const double H = h[j];
  slope = ((H * H - 3.0 * (A * A)) * M[j - 1] + 6.0 * (y[j] - y[j - 1]) + (3.0 * (B * B) - H * H) * M[j]) / H *
          kSplineSixth;
  status = kSplineOk;
}

}  // namespace wavecomp
