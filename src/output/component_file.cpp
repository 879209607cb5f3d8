#include "output/component_file.h"

#include "control/run_stop.h"

namespace wavecomp {

void WriteComponentFile(SpectrumWorkspace&, Console&) { throw NotImplemented("WriteComponentFile"); }

}  // namespace wavecomp
