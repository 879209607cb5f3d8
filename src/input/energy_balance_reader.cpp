#include "input/energy_balance_reader.h"

#include "control/run_stop.h"

namespace wavecomp {

void ReadEnergyBalancePoints(SpectrumWorkspace&, Console&) { throw NotImplemented("ReadEnergyBalancePoints"); }

}  // namespace wavecomp
