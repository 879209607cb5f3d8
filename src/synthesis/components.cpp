#include "synthesis/components.h"

#include "control/run_stop.h"

namespace wavecomp {

void MakeComponents(SpectrumWorkspace&, Console&) { throw NotImplemented("MakeComponents"); }

}  // namespace wavecomp
