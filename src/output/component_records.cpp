#include "output/component_records.h"

#include <cmath>

#include "core/messages.h"
#include "core/run_stop.h"
#include "textio/errors.h"
#include "textio/format.h"

namespace wavecomp {
namespace {

// These stops are diagnostics of a run whose data cannot make a usable file;
// no file is left, so the status is that of an output that was not written.
[[noreturn]] void Stop(std::string text) {
  text += messages::kNoFileWritten;
  throw RunStop::NoOutput(std::move(text));
}

}  // namespace

void AppendComponentRecord(std::string& record, double frequency, double amplitude, double direction, double phase) {
  using namespace component_layout;
  textio::PutE(record, frequency, kRealWidth, kRealDecimals);
  textio::PutE(record, amplitude, kRealWidth, kRealDecimals);
  textio::PutE(record, direction, kRealWidth, kRealDecimals);
  textio::PutE(record, phase, kRealWidth, kRealDecimals);
}

NonFiniteField FirstNonFinite(double frequency, double amplitude, double direction, double phase) {
  if (!std::isfinite(frequency)) return NonFiniteField::kFrequency;
  if (!std::isfinite(amplitude)) return NonFiniteField::kAmplitude;
  if (!std::isfinite(direction)) return NonFiniteField::kDirection;
  if (!std::isfinite(phase)) return NonFiniteField::kPhase;
  return NonFiniteField::kNone;
}

void StopOnNonFiniteComponent(int component, NonFiniteField field, int point_index, int point_number,
                              bool energy_scale_broken, double E_spl) {
  if (field == NonFiniteField::kAmplitude && energy_scale_broken) {
    Stop(std::string(E_spl == 0.0 ? messages::kSplineEnergyZero : messages::kEnergyRatioNotFinite));
  }
  std::string text(messages::kComponentLabel);
  text += std::to_string(component);
  switch (field) {
    case NonFiniteField::kFrequency:
      text += messages::kNonFiniteFrequency;
      break;
    case NonFiniteField::kAmplitude:
      text += messages::kNonFiniteAmplitude;
      break;
    case NonFiniteField::kDirection:
      text += messages::kNonFiniteDirection;
      break;
    case NonFiniteField::kPhase:
    case NonFiniteField::kNone:
      text += messages::kNonFinitePhase;
      break;
  }
  if (point_index > 0) {
    text += messages::kAtPoint;
    text += std::to_string(point_index);
    text += messages::kPointNumberLabel;
    text += std::to_string(point_number);
    text += ')';
  }
  Stop(std::move(text));
}

void StopOnNonFiniteSetting(std::string_view message) { Stop(std::string(message)); }

RunStop ExistingOutputStop(const std::string& path, bool multi_point, NameTaken when) {
  const std::string name = textio::Printable(path);
  std::string explanation;
  if (when == NameTaken::kAtCreation) {
    explanation = "the output file " + name +
                  " exists, and a run never replaces one; rename or remove it, or name another output file "
                  "in cont.txt";
  } else {
    explanation = "the output file " + name +
                  " was made by something else while this run was working; it was left as it is and the run's "
                  "results were discarded (no file was written or changed); run again once the name is free";
  }
  return RunStop::FreeFormat(std::string(multi_point ? messages::kErrorFileName : messages::kErrorExistOutFile),
                             std::move(explanation));
}

textio::OutputFile CreateComponentFile(const std::string& path, bool multi_point, const textio::OutputSet& outputs) {
  try {
    return outputs.Create(path, textio::Publication::kNew);
  } catch (const textio::OutputExists&) {
    throw ExistingOutputStop(path, multi_point, NameTaken::kAtCreation);
  }
}

}  // namespace wavecomp
