// Cubic spline with parabolic run-out ends (the second derivative at each end
// equals that of its neighbour, so the end intervals are parabolas).
//
// Glossary: x(1..n), y(1..n) the table (1-based arrays, slot 0 unused);
// h(j) = x(j) - x(j-1) the interval widths (j = 2..n); M(i) the second
// derivatives at the table points. "Interval j" joins x(j-1) and x(j).
#pragma once

#include <vector>

#include "core/workspace.h"

namespace wavecomp {

// Status codes of the spline routines.
inline constexpr int kSplineOk = 0;
inline constexpr int kSplineUnusable = 999;          // too few/many points, descending, X outside
inline constexpr int kSplineRepeatedAbscissa = 888;  // two equal abscissae (SplineInterpolate only)

inline constexpr int kSplineMinPoints = 3;
inline constexpr int kSplineMaxPoints = kMaxFrequencies;  // one point per input frequency

// The 64-bit value of the eight-digit decimal the value formula ends with;
// deliberately not 1/6 (values at table points come out slightly above y).
inline constexpr double kSplineSixth = 0.16666667;

// 3 <= n <= 3000 and x strictly ascending.
bool SplineAvailable(const double* x, int n);

// Second derivatives of an available table into h(2..n) and M(1..n);
// m is the last interior point, n - 1 for every caller.
void spline_setup(const double* x, const double* y, int n, int m, double* h, double* M);

// The first j = 2..n with x(j-1) <= X <= x(j), or 0 when no interval holds X
// (below x(1), above x(n), NaN). Binary search, same j as the ascending scan.
int FindSplineInterval(const double* x, int n, double X);

// The spline value inside interval j, with A = x(j) - X, B = X - x(j-1),
// H = h(j). The order of operations is part of the result.
inline double SplineFormula(double A, double B, double H, double y_left, double y_right, double M_left,
                            double M_right) {
  return (((A * A - H * H) * M_left + 6.0 * y_left) * A + ((B * B - H * H) * M_right + 6.0 * y_right) * B) / H *
         kSplineSixth;
}

// The value at X of a set-up table; false (value untouched) when no interval holds X.
bool spline_value(const double* x, const double* y, int n, const double* h, const double* M, double X, double& value);

// A spline set up once for a table and evaluated many times. It refers to
// the caller's x and y arrays, which must outlive it and stay unchanged.
class Spline {
 public:
  Spline();
  // Sets the spline up; false (and no spline) when the table is not available.
  bool Setup(const double* x, const double* y, int n);
  bool available() const { return available_; }
  // Sets `value` and returns true when X lies inside the table; otherwise
  // leaves `value` untouched and returns false.
  bool Evaluate(double X, double& value) const;
  const double* h() const { return h_.data(); }
  const double* M() const { return M_.data(); }

 private:
  const double* x_ = nullptr;
  const double* y_ = nullptr;
  int n_ = 0;
  bool available_ = false;
  std::vector<double> h_;  // capacity kSplineMaxPoints + 1, allocated once
  std::vector<double> M_;
};

// Kit routines with their own checks; each sets the spline up afresh.
// On a failed check the status is set and the out value keeps its content.
void SplineInterpolate(const double* x, const double* y, int n, double X, double& value, int& status);
void SplineIntegral(const double* x, const double* y, int n, double& integral, int& status);
void SplineSlope(const double* x, const double* y, int n, double X, double& slope, int& status);

}  // namespace wavecomp
