#include "resample/spline.h"

#include "control/run_stop.h"

namespace wavecomp {

bool SplineAvailable(const double*, int) { throw NotImplemented("spline"); }
void spline_setup(const double*, const double*, int, int, double*, double*) { throw NotImplemented("spline"); }
int FindSplineInterval(const double*, int, double) { throw NotImplemented("spline"); }
bool spline_value(const double*, const double*, int, const double*, const double*, double, double&) {
  throw NotImplemented("spline");
}
Spline::Spline() = default;
bool Spline::Setup(const double*, const double*, int) { throw NotImplemented("spline"); }
bool Spline::Evaluate(double, double&) const { throw NotImplemented("spline"); }
void SplineInterpolate(const double*, const double*, int, double, double&, int&) { throw NotImplemented("spline"); }
void SplineIntegral(const double*, const double*, int, double&, int&) { throw NotImplemented("spline"); }
void SplineSlope(const double*, const double*, int, double, double&, int&) { throw NotImplemented("spline"); }

}  // namespace wavecomp
