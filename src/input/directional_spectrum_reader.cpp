#include "input/directional_spectrum_reader.h"

#include "control/run_stop.h"

namespace wavecomp {

void ReadDirectionalSpectrum(SpectrumWorkspace&, Console&) { throw NotImplemented("ReadDirectionalSpectrum"); }

}  // namespace wavecomp
