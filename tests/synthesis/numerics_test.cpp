#include "synthesis/numerics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

namespace wavecomp {
namespace {

constexpr int kUntouchedStatus = 4242;

TEST(QuadRoots, SolvesEachKindOfQuadratic) {
  struct Case {
    double a, b, c;
    int kind;
    ComplexRoot root1, root2;
  };
  // Hand-solved: (x-2)(x-1), (x+1)^2, x^2+1, and a downward parabola
  // -(x-2)(x+2) whose first root is the smaller one because q = 2a < 0.
  const Case cases[] = {
      {1.0, -3.0, 2.0, 1, {2.0, 0.0}, {1.0, 0.0}},     {1.0, 2.0, 1.0, 0, {-1.0, 0.0}, {-1.0, 0.0}},
      {1.0, 0.0, 1.0, -1, {0.0, 1.0}, {0.0, -1.0}},    {-1.0, 0.0, 4.0, 1, {-2.0, 0.0}, {2.0, 0.0}},
      {2.0, 4.0, 10.0, -1, {-1.0, 2.0}, {-1.0, -2.0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.a << " " << c.b << " " << c.c);
    ComplexRoot root1{99.0, 99.0};
    ComplexRoot root2{99.0, 99.0};
    int kind = 99;
    int status = kUntouchedStatus;
    QuadRoots(c.a, c.b, c.c, root1, root2, kind, status);
    EXPECT_EQ(kind, c.kind);
    EXPECT_EQ(status, kUntouchedStatus);  // success never writes the status
    EXPECT_DOUBLE_EQ(root1.re, c.root1.re);
    EXPECT_DOUBLE_EQ(root1.im, c.root1.im);
    EXPECT_DOUBLE_EQ(root2.re, c.root2.re);
    EXPECT_DOUBLE_EQ(root2.im, c.root2.im);
  }
}

TEST(QuadRoots, ZeroLeadingCoefficientOnlySetsTheStatus) {
  ComplexRoot root1{7.0, 8.0};
  ComplexRoot root2{9.0, 10.0};
  int kind = 5;
  int status = 0;
  QuadRoots(0.0, 2.0, 1.0, root1, root2, kind, status);
  EXPECT_EQ(status, 999);
  EXPECT_EQ(kind, 5);
  EXPECT_EQ(root1.re, 7.0);
  EXPECT_EQ(root1.im, 8.0);
  EXPECT_EQ(root2.re, 9.0);
  EXPECT_EQ(root2.im, 10.0);
}

TEST(QuadRoots, DiscriminantThatIsNotANumberIsTreatedAsComplex) {
  ComplexRoot root1{0.0, 0.0};
  ComplexRoot root2{0.0, 0.0};
  int kind = 5;
  int status = kUntouchedStatus;
  QuadRoots(1.0, 2.0, std::numeric_limits<double>::quiet_NaN(), root1, root2, kind, status);
  EXPECT_EQ(kind, -1);
  EXPECT_EQ(root1.re, -1.0);
  EXPECT_TRUE(std::isnan(root1.im));
  EXPECT_EQ(status, kUntouchedStatus);
}

// A plain reference: the wrapped 32-bit value from the mathematical residue
// modulo 2^32, then the remainder with the sign of the dividend.
std::int32_t ReferenceSuccessor(std::int32_t seed) {
  const std::int64_t exact = 1229LL * seed + 351750LL;
  std::int64_t wrapped = ((exact % 4294967296LL) + 4294967296LL) % 4294967296LL;
  if (wrapped >= 2147483648LL) wrapped -= 4294967296LL;
  const std::int64_t magnitude = (wrapped < 0 ? -wrapped : wrapped) % 1664501LL;
  return static_cast<std::int32_t>(wrapped < 0 ? -magnitude : magnitude);
}

TEST(LcgRandom, GivesTheKnownSuccessorsAndUniformNumbers) {
  struct Case {
    std::int32_t seed;
    std::int32_t next;
    float u;  // worked out in single precision by hand / an independent script
  };
  const Case cases[] = {
      {0, 351750, 0.21132458746433258f},
      {100, 474650, 0.28516054153442383f},      // the first direction draw of every run
      {1664500, 350521, 0.21058623492717743f},  // largest seed that cannot wrap
      {-1, 350521, 0.21058623492717743f},
      {-1000, -877250, -0.5270348191261292f},  // negative remainder, negative u
      {-1664500, -1311522, -0.7879370450973511f},
      {2147483647, -1591338, -0.9560450911521912f},  // the product wraps
      {-2147483647 - 1, -1590109, -0.9553067088127136f},
      {1000000000, 536710, 0.32244497537612915f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.seed);
    std::int32_t seed = c.seed;
    const float u = LcgRandom(seed);
    EXPECT_EQ(seed, c.next);
    EXPECT_EQ(seed, ReferenceSuccessor(c.seed));
    EXPECT_EQ(u, c.u);
  }
}

TEST(LcgRandom, FollowsTheSequenceAndStaysInRange) {
  std::int32_t seed = 4711;
  const std::int32_t expected[] = {1148066, 1492517, 375041, 210362, 888993};
  for (std::int32_t next : expected) {
    LcgRandom(seed);
    EXPECT_EQ(seed, next);
  }
  // Seeds across the whole 32-bit range against the reference.
  for (std::int64_t s = -2147483648LL; s <= 2147483647LL; s += 16777259LL) {
    std::int32_t value = static_cast<std::int32_t>(s);
    const float u = LcgRandom(value);
    EXPECT_EQ(value, ReferenceSuccessor(static_cast<std::int32_t>(s)));
    EXPECT_EQ(u, static_cast<float>(value) * 6.0078065e-7f);
    EXPECT_LT(std::fabs(u), 1.0f);
  }
}

// Residual of the relation the solver works on, relative to L.
double PadeResidual(double h, double T, double L) {
  const double pi = 3.14159265;
  const double a = std::sqrt(9.8 * h) * T;
  const double b = 4.0 * pi * pi / 15.0 * h * h;
  const double c = 8.0 * pi * pi / 5.0 * h * h;
  return (L - a * std::sqrt((L * L + b) / (L * L + c))) / L;
}

// The exact linear dispersion relation solved by bisection.
double ExactWavelength(double h, double T) {
  double low = 1.0e-3;
  double high = 9.8 * T * T;  // above the deep-water wavelength
  for (int i = 0; i < 200; ++i) {
    const double L = 0.5 * (low + high);
    const double k = 2.0 * 3.141592653589793 / L;
    const double rhs = 9.8 * T * T / (2.0 * 3.141592653589793) * std::tanh(k * h);
    (L > rhs ? high : low) = L;
  }
  return 0.5 * (low + high);
}

TEST(DispersionWavelength, SolvesThePadeRelation) {
  struct Case {
    double h, T;
  };
  const Case cases[] = {{0.5, 8.0}, {2.0, 10.0}, {10.0, 6.0}, {30.0, 12.0}, {100.0, 10.0}, {5.0, 2.0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "h=" << c.h << " T=" << c.T);
    double L = 0.0;
    const double returned = DispersionWavelength(c.h, c.T, L);
    EXPECT_EQ(returned, L);
    // Newton stops when a step changes L by less than 0.05 %; from there
    // the remaining error is far smaller.
    EXPECT_LT(std::fabs(PadeResidual(c.h, c.T, L)), 1.0e-4);
  }
}

TEST(DispersionWavelength, AgreesWithTheExactRelationInShallowWater) {
  // kh well below 1, where the rational form of tanh(kh)/kh is accurate.
  for (double h : {0.5, 1.0, 3.0}) {
    double L = 0.0;
    DispersionWavelength(h, 12.0, L);
    EXPECT_NEAR(L / ExactWavelength(h, 12.0), 1.0, 2.0e-3) << h;
  }
}

TEST(DispersionWavelength, DepthOfZeroOrLessIsNotANumber) {
  for (double h : {0.0, -1.0, -0.0}) {
    double L = 5.0;
    EXPECT_TRUE(std::isnan(DispersionWavelength(h, 10.0, L))) << h;
    EXPECT_TRUE(std::isnan(L));
  }
}

TEST(IntegerPower, MatchesRepeatedProducts) {
  const double x = 1.37;
  EXPECT_EQ(IntegerPower(x, 0), 1.0);
  EXPECT_EQ(IntegerPower(x, 1), x);
  EXPECT_EQ(IntegerPower(x, 4), (x * x) * (x * x));
  EXPECT_EQ(IntegerPower(x, -4), 1.0 / ((x * x) * (x * x)));
  EXPECT_NEAR(IntegerPower(x, 10), std::pow(x, 10.0), 1.0e-13 * std::pow(x, 10.0));
  EXPECT_NEAR(IntegerPower(x, -5), std::pow(x, -5.0), 1.0e-15);
}

}  // namespace
}  // namespace wavecomp
