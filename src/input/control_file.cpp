#include "input/control_file.h"

#include "core/messages.h"
#include "core/run_stop.h"
#include "core/workspace.h"
#include "textio/records.h"

namespace wavecomp {
namespace {

// Added to the lower frequency limit as read; it keeps fmin above 0 Hz
// when the file gives 0.
constexpr double kFminOffset = 0.000001;
constexpr int kLabelColumns = 10;  // free label before every value

}  // namespace

ControlSettings ReadControlFile(const std::string& path) {
  const std::optional<textio::TextFile> file = textio::TextFile::Open(path);
  if (!file) throw RunStop::ConsoleLine("   " + std::string(messages::kCannotOpenControlFile));
  ControlSettings control;
  textio::RecordCursor cursor(*file);

  cursor.Skip("the title record");

  textio::FieldReader type_record = cursor.Next("the spectrum type record");
  type_record.Skip(kLabelColumns);
  const std::optional<SpectrumType> type = ParseSpectrumType(type_record.A(4));
  if (!type) throw RunStop::FreeFormat(std::string(messages::kBadSpectrumType));
  control.type = *type;

  textio::FieldReader count_record = cursor.Next("the component count record");
  count_record.Skip(kLabelColumns);
  control.component_count = count_record.I(10);
  if (control.component_count > kMaxUsedComponents) {
    throw RunStop::FreeFormat(std::string(messages::kTooManyComponents));
  }

  textio::FieldReader smax_record = cursor.Next("the Smax record");
  smax_record.Skip(kLabelColumns);
  control.Smax = smax_record.F(10, 0);

  textio::FieldReader input_record = cursor.Next("the input spectrum file name record");
  input_record.Skip(kLabelColumns);
  control.input_file_field = input_record.A(kFileNameLength);

  textio::FieldReader output_record = cursor.Next("the output file name record");
  output_record.Skip(kLabelColumns);
  control.output_file_field = output_record.A(kFileNameLength);

  control.dirmax = 90.0;
  control.dirmin = -90.0;

  textio::FieldReader wave_record = cursor.Next("the H1/3, T1/3, direction and gamma record");
  wave_record.Skip(kLabelColumns);
  control.H13 = wave_record.F(10, 0);
  control.T13 = wave_record.F(10, 0);
  control.Dirc = wave_record.F(10, 0);
  control.gamma = wave_record.F(10, 0);

  textio::FieldReader range_record = cursor.Next("the frequency range record");
  range_record.Skip(kLabelColumns);
  control.fmin = range_record.F(10, 0);
  control.fmax = range_record.F(10, 0);
  control.fmin = control.fmin + kFminOffset;

  textio::FieldReader seed_record = cursor.Next("the random seed record");
  seed_record.Skip(kLabelColumns);
  control.random_seed = seed_record.I(10);
  return control;
}

}  // namespace wavecomp
