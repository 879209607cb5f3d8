#include "output/multipoint_file.h"

#include <string>
#include <vector>

#include "output/component_records.h"
#include "textio/format.h"
#include "textio/output_file.h"

namespace wavecomp {

using namespace component_layout;

void WriteMultiPointComponentFile(textio::OutputFile file, const ComponentSet& set, textio::OutputSet& outputs) {
  std::string record;
  textio::PutI(record, static_cast<int>(set.points.size()), kCountWidth);
  file.WriteLine(record);

  for (const ComponentSet::Point& point : set.points) {
    const std::vector<double>& f = set.FrequenciesOf(point);
    const std::vector<double>& direction = set.DirectionsOf(point);
    const std::vector<double>& phase = set.PhasesOf(point);
    const int N = static_cast<int>(point.amplitude.size());
    record.clear();
    textio::PutI(record, N, kCountWidth);
    textio::PutI(record, kTabulatedCode, kCountWidth);
    textio::PutF(record, 0.0, kGammaWidth, kGammaDecimals);  // gamma belongs to JONSWAP runs only
    textio::PutI(record, point.number, kCountWidth);
    file.WriteLine(record);
    for (int i = 0; i < N; ++i) {
      record.clear();
      AppendComponentRecord(record, f[i], point.amplitude[i], direction[i], phase[i]);
      file.WriteLine(record);
    }
  }
  outputs.Add(std::move(file));
}

}  // namespace wavecomp
