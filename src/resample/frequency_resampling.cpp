#include "resample/frequency_resampling.h"

#include "control/run_stop.h"

namespace wavecomp {

void direct_spec(SpectrumWorkspace&, Console&) { throw NotImplemented("direct_spec"); }

}  // namespace wavecomp
