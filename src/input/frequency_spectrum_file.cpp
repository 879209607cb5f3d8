#include "input/frequency_spectrum_file.h"

#include "control/run_stop.h"

namespace wavecomp {

void ReadSpec(SpectrumWorkspace&, Console&) { throw NotImplemented("ReadSpec"); }

}  // namespace wavecomp
