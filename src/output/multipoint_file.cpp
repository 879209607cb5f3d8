#include "output/multipoint_file.h"

#include "control/run_stop.h"

namespace wavecomp {

void WriteMultiPointComponentFile(SpectrumWorkspace&, Console&) { throw NotImplemented("WriteMultiPointComponentFile"); }

}  // namespace wavecomp
