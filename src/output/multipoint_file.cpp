#include "output/multipoint_file.h"

#include <cmath>
#include <optional>
#include <string>

#include "core/messages.h"
#include "core/run_stop.h"
#include "output/component_records.h"
#include "textio/format.h"
#include "textio/output_file.h"

namespace wavecomp {
namespace {

constexpr int kTabulatedCode = 9;  // every point's spectrum was read from a file

// A NaN or Infinity must never reach the file. The file is still only a
// temporary one at this point; the stop discards it and frees the name.
void CheckFinite(const SpectrumWorkspace& workspace) {
  const int N = workspace.control.component_count;
  const double ratio = PointEnergyRatio(workspace);
  const bool scale_broken = IsSpectrumType(workspace.control, "Ene") && !(std::isfinite(ratio) && ratio >= 0.0);
  for (int v = 1; v <= workspace.num_p; ++v) {
    for (int i = 1; i <= N; ++i) {
      const NonFiniteField field =
          FirstNonFinite(workspace.f[i], workspace.point_amplitudes(i, v), workspace.theta[i], workspace.phase[i]);
      if (field != NonFiniteField::kNone) {
        StopOnNonFiniteComponent(i, field, v, workspace.point_numbers[v], scale_broken, workspace.E_spl);
      }
    }
  }
}

}  // namespace

void WriteMultiPointComponentFile(SpectrumWorkspace& workspace, Console& console) {
  WriteMultiPointComponentFile(workspace, console, PointAmplitudeOptions());
}

void WriteMultiPointComponentFile(SpectrumWorkspace& workspace, Console& console,
                                  const PointAmplitudeOptions& options) {
  ControlSettings& control = workspace.control;
  control.gamma = 0.0;
  std::optional<textio::OutputFile> file =
      textio::OutputFile::CreateExclusive(std::string(Trimmed(control.output_file_name)));
  if (!file) throw RunStop::FreeFormat(std::string(messages::kErrorFileName));

  std::string record;
  textio::PutI(record, workspace.num_p, 5);
  file->WriteLine(record);

  ComputePointAmplitudes(workspace, console, options);
  CheckFinite(workspace);

  const int N = control.component_count;
  for (int v = 1; v <= workspace.num_p; ++v) {
    record.clear();
    textio::PutI(record, N, 5);
    textio::PutI(record, kTabulatedCode, 5);
    textio::PutF(record, control.gamma, 10, 1);
    textio::PutI(record, workspace.point_numbers[v], 5);
    file->WriteLine(record);
    for (int i = 1; i <= N; ++i) {
      record.clear();
      AppendComponentRecord(record, workspace.f[i], workspace.point_amplitudes(i, v), workspace.theta[i],
                            workspace.phase[i]);
      file->WriteLine(record);
    }
  }
  file->Commit();
}

}  // namespace wavecomp
