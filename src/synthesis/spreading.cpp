#include "synthesis/spreading.h"

#include "control/run_stop.h"

namespace wavecomp {

void mitgwd(SpectrumWorkspace&, Console&) { throw NotImplemented("mitgwd"); }

}  // namespace wavecomp
