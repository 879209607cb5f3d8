// Small numerical routines: pure functions of their arguments, trouble
// reported through a status, no console, no workspace.
#pragma once

#include <cstdint>

namespace wavecomp {

// pi/180: every conversion of degrees to radians uses this value.
inline constexpr double kDegree = 0.017453292519943295;
// 180/pi, for the conversions back that multiply (x * kDegreesPerRadian and
// x / kDegree can differ in the last bit, so each keeps its own).
inline constexpr double kDegreesPerRadian = 57.29577951308232;
inline constexpr double kTwoPi = 6.283185307179586;  // 2 pi, exactly twice the double nearest pi

struct ComplexRoot {
  double re;
  double im;
};

inline constexpr int kQuadNotQuadratic = 999;  // status when a = 0

// Roots of a*x^2 + b*x + c. kind: 1 two real roots, 0 a double root, -1 a
// complex pair. root1 is the larger real root for a > 0. With a = 0 only
// `status` is written (999); on success `status` is left as it was.
void QuadRoots(double a, double b, double c, ComplexRoot& root1, ComplexRoot& root2, int& kind, int& status);

// x^n for an integer n by repeated squaring (a negative n gives 1/x^|n|):
// plain IEEE products, so integer powers do not depend on the mathematics
// library.
double IntegerPower(double x, int n);

// The offset t from the start of an integration step at which the linear
// density y0 + g t has gathered the energy W: root1 of g t^2 + 2 y0 t - 2 W
// = 0 through QuadRoots (its real part when complex). Both equal-energy
// divisions place their frequencies with it. A flat step (g = 0) is no
// quadratic: there y0 t = W, and a step without any density gives 0.
double StepOffsetHolding(double g, double y0, double W);

// The single-precision scale of the generator, the float nearest 1/1664501.
inline constexpr float kLcgScale = 6.0078065e-7f;

// One step of s <- (1229 s + 351750) mod 1664501 in wrapping 32-bit
// arithmetic (remainder truncated toward zero); returns s' * kLcgScale formed
// in single precision.
float LcgRandom(std::int32_t& seed);

// Linear dispersion wavelength (m) for depth h (m) and period T (s) by
// Newton's method on a Pade form of tanh(kh)/kh; also stored in `wavelength`.
// Not a number for a depth of zero or less, and when 100 Newton steps do not
// settle to a relative change of 0.0005 (a few steps do for any positive
// depth and period).
double DispersionWavelength(double depth, double period, double& wavelength);

}  // namespace wavecomp
