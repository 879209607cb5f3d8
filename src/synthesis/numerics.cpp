#include "synthesis/numerics.h"

#include "control/run_stop.h"

namespace wavecomp {

void QuadRoots(double, double, double, ComplexRoot&, ComplexRoot&, int&, int&) {
  throw NotImplemented("QuadRoots");
}
float LcgRandom(std::int32_t&) { throw NotImplemented("LcgRandom"); }
double DispersionWavelength(double, double, double&) { throw NotImplemented("DispersionWavelength"); }

}  // namespace wavecomp
