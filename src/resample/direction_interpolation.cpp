#include "resample/direction_interpolation.h"

#include "control/run_stop.h"

namespace wavecomp {

void resample_directions(SpectrumWorkspace&, Console&) { throw NotImplemented("resample_directions"); }

}  // namespace wavecomp
