#include "resample/spline.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace wavecomp {
namespace {

// The value formula ends with the decimal 0.16666667, so a spline value is
// the interpolant times this, slightly more than 1.
constexpr double kValueFactor = 6.0 * 0.16666667;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kUntouched = -12345.0;

// A 1-based table (slot 0 unused, as the callers keep theirs).
struct Table {
  std::vector<double> x{0.0};
  std::vector<double> y{0.0};
  int n() const { return static_cast<int>(x.size()) - 1; }
  void Add(double xi, double yi) {
    x.push_back(xi);
    y.push_back(yi);
  }
};

Table Sampled(const std::vector<double>& xs, double (*function)(double)) {
  Table t;
  for (double xi : xs) t.Add(xi, function(xi));
  return t;
}

// Uneven abscissae from `first`, ascending, `count` of them.
std::vector<double> UnevenAbscissae(std::mt19937& random, double first, int count) {
  std::uniform_real_distribution<double> step(0.05, 1.5);
  std::vector<double> xs{first};
  for (int i = 1; i < count; ++i) xs.push_back(xs.back() + step(random));
  return xs;
}

// The literal search: the first j = 2..n in ascending order with
// x(j-1) <= X <= x(j), 0 when none.
int LinearScan(const Table& t, double X) {
  for (int j = 2; j <= t.n(); ++j) {
    if (t.x[static_cast<std::size_t>(j - 1)] <= X && X <= t.x[static_cast<std::size_t>(j)]) return j;
  }
  return 0;
}

double Value(const Spline& spline, double X) {
  double value = kUntouched;
  EXPECT_TRUE(spline.Evaluate(X, value)) << "X = " << X;
  return value;
}

struct Parabola {
  double a, b, c;
  std::vector<double> xs;
  double operator()(double X) const { return (a * X + b) * X + c; }
};

// Three points, and more points of the same parabola: the run-out ends make
// the spline that parabola (M = 2a everywhere).
TEST(Spline, ReproducesAParabola) {
  const Parabola cases[] = {
      {0.5, 0.5, 1.0, {0.0, 1.0, 3.0}},
      {-2.0, 3.0, 0.25, {-1.0, -0.2, 0.7}},
      {3.0, -1.0, 2.0, {0.1, 0.15, 0.4, 0.42, 1.0, 1.9}},
  };
  for (const Parabola& p : cases) {
    Table t;
    for (double xi : p.xs) t.Add(xi, p(xi));
    Spline spline;
    ASSERT_TRUE(spline.Setup(t.x.data(), t.y.data(), t.n()));
    for (int i = 1; i <= t.n(); ++i) EXPECT_NEAR(spline.M()[i], 2.0 * p.a, 1e-12 * (1.0 + std::fabs(p.a)));
    if (t.n() == 3) {
      // The closed form for three points.
      const double s1 = (t.y[2] - t.y[1]) / (t.x[2] - t.x[1]);
      const double s2 = (t.y[3] - t.y[2]) / (t.x[3] - t.x[2]);
      EXPECT_NEAR(spline.M()[1], 2.0 * (s2 - s1) / (t.x[3] - t.x[1]), 1e-12);
    }
    const double first = p.xs.front();
    const double last = p.xs.back();
    for (int k = 0; k <= 40; ++k) {
      const double X = k == 40 ? last : first + (last - first) * k / 40.0;
      EXPECT_NEAR(Value(spline, X), p(X) * kValueFactor, 1e-12 * (1.0 + std::fabs(p(X)))) << X;
    }
  }
}

TEST(Spline, StraightLineHasNoCurvatureAndCarriesTheFactor) {
  std::mt19937 random(7);
  for (int n : {3, 4, 17, 300}) {
    Table t;
    for (double xi : UnevenAbscissae(random, -2.0, n)) t.Add(xi, 0.75 * xi - 1.25);
    Spline spline;
    ASSERT_TRUE(spline.Setup(t.x.data(), t.y.data(), n));
    for (int i = 1; i <= n; ++i) EXPECT_NEAR(spline.M()[i], 0.0, 1e-11) << "n " << n << " i " << i;
    std::uniform_real_distribution<double> inside(t.x[1], t.x[static_cast<std::size_t>(n)]);
    for (int k = 0; k < 50; ++k) {
      const double X = inside(random);
      const double linear = 0.75 * X - 1.25;
      EXPECT_NEAR(Value(spline, X), linear * kValueFactor, 1e-11 * (1.0 + std::fabs(linear)));
    }
  }
}

// At a table point the interval's far end drops out: y(j) x 6 x 0.16666667,
// at both ends of the table as well.
TEST(Spline, TablePointGivesItsOrdinateTimesTheFactor) {
  std::mt19937 random(11);
  Table t = Sampled(UnevenAbscissae(random, 0.0, 25), [](double X) { return std::sin(X) + 0.1 * X * X; });
  Spline spline;
  ASSERT_TRUE(spline.Setup(t.x.data(), t.y.data(), t.n()));
  for (int j = 1; j <= t.n(); ++j) {
    const double yj = t.y[static_cast<std::size_t>(j)];
    EXPECT_NEAR(Value(spline, t.x[static_cast<std::size_t>(j)]), yj * kValueFactor, 1e-13 * (1.0 + std::fabs(yj)));
  }
}

// The slopes of the two cubics meeting at an inner point agree (the system
// solved is the right one), and the ends are run-out: M(1) = M(2), M(n) = M(n-1).
TEST(Spline, FirstDerivativeIsContinuousAndEndsRunOut) {
  std::mt19937 random(3);
  for (int n : {3, 4, 5, 40}) {
    Table t = Sampled(UnevenAbscissae(random, 1.0, n), [](double X) { return std::exp(-0.3 * X) * std::cos(2.0 * X); });
    Spline spline;
    ASSERT_TRUE(spline.Setup(t.x.data(), t.y.data(), n));
    const double* h = spline.h();
    const double* M = spline.M();
    for (int j = 2; j <= n; ++j)
      EXPECT_DOUBLE_EQ(h[j], t.x[static_cast<std::size_t>(j)] - t.x[static_cast<std::size_t>(j - 1)]);
    EXPECT_EQ(M[1], M[2]);
    EXPECT_EQ(M[n], M[n - 1]);
    for (int j = 2; j <= n - 1; ++j) {
      const auto at = [&](const std::vector<double>& v, int i) { return v[static_cast<std::size_t>(i)]; };
      const double left = (at(t.y, j) - at(t.y, j - 1)) / h[j] + h[j] * (2.0 * M[j] + M[j - 1]) / 6.0;
      const double right = (at(t.y, j + 1) - at(t.y, j)) / h[j + 1] - h[j + 1] * (2.0 * M[j] + M[j + 1]) / 6.0;
      EXPECT_NEAR(left, right, 1e-11) << "n " << n << " j " << j;
    }
  }
}

TEST(Spline, OutsideTheTableOrNaNHasNoValue) {
  Table t = Sampled({0.0, 1.0, 2.0, 4.0}, [](double X) { return X * X * X; });
  Spline spline;
  ASSERT_TRUE(spline.Setup(t.x.data(), t.y.data(), t.n()));
  for (double X : {-1e-12, std::nextafter(0.0, -1.0), std::nextafter(4.0, 5.0), 4.5, kNaN,
                   -std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity()}) {
    double value = kUntouched;
    EXPECT_FALSE(spline.Evaluate(X, value)) << X;
    EXPECT_EQ(value, kUntouched);
    int status = -1;
    SplineInterpolate(t.x.data(), t.y.data(), t.n(), X, value, status);
    EXPECT_EQ(status, kSplineUnusable) << X;
    EXPECT_EQ(value, kUntouched);
  }
}

TEST(Spline, SetUpOnceGivesTheValuesOfSettingUpEveryTime) {
  std::mt19937 random(5);
  Table t = Sampled(UnevenAbscissae(random, 0.02, 200), [](double X) { return std::exp(-X) * X * X; });
  Spline spline;
  ASSERT_TRUE(spline.Setup(t.x.data(), t.y.data(), t.n()));
  std::uniform_real_distribution<double> inside(t.x[1], t.x.back());
  for (int k = 0; k < 100; ++k) {
    const double X = inside(random);
    double value = kUntouched;
    int status = -1;
    SplineInterpolate(t.x.data(), t.y.data(), t.n(), X, value, status);
    EXPECT_EQ(status, kSplineOk);
    EXPECT_EQ(value, Value(spline, X));
  }
}

struct StatusCase {
  const char* name;
  std::vector<double> x;  // 0-based here; shifted into a 1-based table
  double X;
  int interpolate_status;
  int integral_status;
};

TEST(Spline, KitRoutinesReportUnusableTablesAndLeaveTheOutValue) {
  std::vector<double> too_many;
  for (int i = 0; i <= kSplineMaxPoints; ++i) too_many.push_back(i);
  std::vector<double> most;
  for (int i = 0; i < kSplineMaxPoints; ++i) most.push_back(i);
  const StatusCase cases[] = {
      {"two points", {0.0, 1.0}, 0.5, kSplineUnusable, kSplineUnusable},
      {"3001 points", too_many, 0.5, kSplineUnusable, kSplineUnusable},
      {"repeated abscissa", {0.0, 1.0, 1.0, 2.0}, 0.5, kSplineRepeatedAbscissa, kSplineUnusable},
      {"descending", {0.0, 2.0, 1.0, 3.0}, 0.5, kSplineUnusable, kSplineUnusable},
      {"repeat decides before a later descent", {0.0, 0.0, 2.0, 1.0}, 0.5, kSplineRepeatedAbscissa, kSplineUnusable},
      {"descent decides before a later repeat", {1.0, 0.0, 2.0, 2.0}, 0.5, kSplineUnusable, kSplineUnusable},
      {"just below", {0.0, 1.0, 2.0}, -1e-9, kSplineUnusable, kSplineOk},
      {"just above", {0.0, 1.0, 2.0}, 2.0 + 1e-9, kSplineUnusable, kSplineOk},
      {"3000 points", most, 2999.0, kSplineOk, kSplineOk},
      {"first point", {0.0, 1.0, 2.0}, 0.0, kSplineOk, kSplineOk},
      {"last point", {0.0, 1.0, 2.0}, 2.0, kSplineOk, kSplineOk},
  };
  for (const StatusCase& c : cases) {
    SCOPED_TRACE(c.name);
    Table t;
    for (double xi : c.x) t.Add(xi, 1.0 + 0.5 * xi);
    double value = kUntouched;
    int status = -1;
    SplineInterpolate(t.x.data(), t.y.data(), t.n(), c.X, value, status);
    EXPECT_EQ(status, c.interpolate_status);
    if (c.interpolate_status == kSplineOk) {
      EXPECT_NEAR(value, (1.0 + 0.5 * c.X) * kValueFactor, 1e-9);
    } else {
      EXPECT_EQ(value, kUntouched);
    }
    double integral = kUntouched;
    status = -1;
    SplineIntegral(t.x.data(), t.y.data(), t.n(), integral, status);
    EXPECT_EQ(status, c.integral_status);
    if (c.integral_status != kSplineOk) {
      EXPECT_EQ(integral, kUntouched);
    }
  }
}

TEST(Spline, IntegralOfAStraightLineIsTheTrapezoidalArea) {
  std::mt19937 random(13);
  for (int n : {3, 10, 250}) {
    Table t;
    for (double xi : UnevenAbscissae(random, 0.5, n)) t.Add(xi, 2.0 - 0.3 * xi);
    double trapezoid = 0.0;
    for (int i = 1; i < n; ++i) {
      const auto u = static_cast<std::size_t>(i);
      trapezoid += 0.5 * (t.y[u] + t.y[u + 1]) * (t.x[u + 1] - t.x[u]);
    }
    double integral = kUntouched;
    int status = -1;
    SplineIntegral(t.x.data(), t.y.data(), n, integral, status);
    EXPECT_EQ(status, kSplineOk);
    EXPECT_NEAR(integral, trapezoid, 1e-10 * (1.0 + std::fabs(trapezoid))) << n;
  }
}

// On a parabola M = 2a, so each interval gives h/2 (y0 + y1) - h^3 c 4a / 2
// with c the single-precision 0.08333333: just above the exact integral (for
// a > 0), by 2 a h^3 (1/12 - c) per interval.
TEST(Spline, IntegralUsesTheSinglePrecisionTwelfth) {
  const double a = 3.0;
  Table t;
  for (double xi : {0.0, 1.0, 3.0, 6.0}) t.Add(xi, a * xi * xi);
  double integral = kUntouched;
  int status = -1;
  SplineIntegral(t.x.data(), t.y.data(), t.n(), integral, status);
  ASSERT_EQ(status, kSplineOk);
  const double c = 0.0833333283662796;
  const double exact = a * 6.0 * 6.0 * 6.0 / 3.0;
  const double cubes = 1.0 + 8.0 + 27.0;
  EXPECT_NEAR(integral - exact, 2.0 * a * cubes * (1.0 / 12.0 - c), 1e-10);
  EXPECT_GT(integral - exact, 1e-6);  // the exact 1/12 would give 0 here
}

TEST(Spline, SlopeIsDefinedAtTheEndsAndNotOutside) {
  const Parabola p{0.5, -1.0, 2.0, {0.0, 0.5, 2.0, 2.5}};
  Table t;
  for (double xi : p.xs) t.Add(xi, p(xi));
  for (double X : {0.0, 0.3, 0.5, 1.7, 2.5}) {
    double slope = kUntouched;
    int status = -1;
    SplineSlope(t.x.data(), t.y.data(), t.n(), X, slope, status);
    EXPECT_EQ(status, kSplineOk) << X;
    EXPECT_NEAR(slope, (2.0 * p.a * X + p.b) * kValueFactor, 1e-12) << X;
  }
  for (double X : {-1e-9, 2.5 + 1e-9, kNaN}) {
    double slope = kUntouched;
    int status = -1;
    SplineSlope(t.x.data(), t.y.data(), t.n(), X, slope, status);
    EXPECT_EQ(status, kSplineUnusable) << X;
    EXPECT_EQ(slope, kUntouched);
  }
  Table repeated = Sampled({0.0, 1.0, 1.0, 2.0}, [](double X) { return X; });
  double slope = kUntouched;
  int status = -1;
  SplineSlope(repeated.x.data(), repeated.y.data(), repeated.n(), 0.5, slope, status);
  EXPECT_EQ(status, kSplineUnusable);  // SplineSlope has no 888
  EXPECT_EQ(slope, kUntouched);
}

TEST(Spline, AvailabilityNeedsThreeToThreeThousandRisingPoints) {
  std::vector<double> x{0.0};
  for (int i = 1; i <= kSplineMaxPoints + 1; ++i) x.push_back(0.001 * i);
  EXPECT_FALSE(SplineAvailable(x.data(), 2));
  EXPECT_TRUE(SplineAvailable(x.data(), 3));
  EXPECT_TRUE(SplineAvailable(x.data(), kSplineMaxPoints));
  EXPECT_FALSE(SplineAvailable(x.data(), kSplineMaxPoints + 1));
  x[7] = x[6];
  EXPECT_FALSE(SplineAvailable(x.data(), 10));
  EXPECT_TRUE(SplineAvailable(x.data(), 6));
  x[7] = kNaN;
  EXPECT_FALSE(SplineAvailable(x.data(), 10));
  Spline spline;
  EXPECT_FALSE(spline.Setup(x.data(), x.data(), 10));
  double value = kUntouched;
  EXPECT_FALSE(spline.Evaluate(0.002, value));
  EXPECT_EQ(value, kUntouched);
}

// The search is a bisection; it must pick the interval the ascending scan
// picks, the one to the left on an inner table point.
TEST(Spline, IntervalSearchAgreesWithTheAscendingScan) {
  std::mt19937 random(17);
  for (int n : {3, 4, 5, 8, 31, 1000, 3000}) {
    Table t;
    for (double xi : UnevenAbscissae(random, -3.0, n)) t.Add(xi, 0.0);
    std::vector<double> probes{kNaN, t.x[1] - 1.0, t.x.back() + 1.0};
    for (int j = 1; j <= n; ++j) {
      const double xj = t.x[static_cast<std::size_t>(j)];
      probes.push_back(xj);
      probes.push_back(std::nextafter(xj, -1e300));
      probes.push_back(std::nextafter(xj, 1e300));
    }
    std::uniform_real_distribution<double> anywhere(t.x[1] - 0.5, t.x.back() + 0.5);
    for (int k = 0; k < 2000; ++k) probes.push_back(anywhere(random));
    for (double X : probes)
      ASSERT_EQ(FindSplineInterval(t.x.data(), n, X), LinearScan(t, X)) << "n " << n << " X " << X;
  }
}

}  // namespace
}  // namespace wavecomp
