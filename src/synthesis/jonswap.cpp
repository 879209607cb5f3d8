#include "synthesis/jonswap.h"

#include "control/run_stop.h"

namespace wavecomp {

void JonswapSpectrum(SpectrumWorkspace&, Console&) { throw NotImplemented("JonswapSpectrum"); }

}  // namespace wavecomp
