#include "app/dry_run.h"

#include <cmath>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>

#include "app/run_driver.h"
#include "core/messages.h"
#include "core/run_stop.h"
#include "core/spectrum_types.h"
#include "input/diagnostics.h"
#include "input/frequency_spectrum_file.h"
#include "input/point_list.h"
#include "synthesis/jonswap.h"
#include "synthesis/spreading.h"
#include "textio/format.h"

namespace wavecomp {
namespace {

namespace fields = control_fields;

constexpr std::size_t kPlaceWidth = 24;    // "line 5, columns 11-210"
constexpr std::size_t kNameWidth = 26;     // "input spectrum file name"
constexpr std::size_t kListedPoints = 10;  // point numbers shown before "..."

std::string Padded(std::string text, std::size_t width) {
  if (text.size() < width) text.resize(width, ' ');
  return text;
}

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

std::string WithUnit(double value, std::string_view unit) {
  return unit.empty() ? textio::PlainNumber(value) : textio::PlainNumber(value) + " " + std::string(unit);
}

void Row(Console& out, const ControlField& field, const std::string& value, const std::string& note = {}) {
  std::string line = "  " +
                     Padded("line " + std::to_string(field.line) + ", columns " + std::to_string(field.first_column) +
                                "-" + std::to_string(field.last_column),
                            kPlaceWidth) +
                     Padded(std::string(field.name), kNameWidth) + value;
  if (!note.empty()) line += "  (" + note + ")";
  out.WriteLine(line);
}

void WriteSettings(const ControlSettings& c, const std::string& control_path, Console& out) {
  const SpectrumTypeTraits& traits = Traits(c.type);
  const bool jonswap = !traits.reads_input_file();
  const bool sspe = traits.input == SpectrumInput::kFrequencyTable;
  const bool spread_by_smax = traits.spread;
  std::error_code error;
  out.WriteLine("Settings read from " + std::filesystem::absolute(control_path, error).string() + ":");
  Row(out, fields::kType, std::string(TrimmedField(traits.field)), std::string(traits.meaning));
  Row(out, fields::kCount, std::to_string(c.component_count), "components of equal energy");
  std::string smax_note = "not used: the directions come from the data";
  if (spread_by_smax) {
    smax_note = c.Smax >= kUnspreadSmax ? "999 or more: not spread, every direction 0"
                                        : "cos^2s spreading, s = Smax at the peak frequency";
  }
  Row(out, fields::kSmax, textio::PlainNumber(c.Smax), smax_note);
  Row(out, fields::kInputFile, Quoted(c.input_file()), jonswap ? "not used by JNS" : "");
  Row(out, fields::kOutputFile, Quoted(c.output_file()), "the component wave file to create");
  const std::string wave_note = jonswap ? ""
                                : sspe  ? "not used: the first line of the spectrum file replaces it"
                                        : "only copied into the trailer of a single-point file";
  Row(out, fields::kH13, WithUnit(c.H13, fields::kH13.unit), wave_note);
  Row(out, fields::kT13, WithUnit(c.T13, fields::kT13.unit), wave_note);
  Row(out, fields::kDirc, WithUnit(c.Dirc, fields::kDirc.unit),
      jonswap ? "principal direction, 0 is shore-normal" : wave_note);
  Row(out, fields::kGamma, textio::PlainNumber(c.gamma), jonswap ? "peak enhancement factor" : "not used");
  const std::string range_note = "not used: the frequency range comes from the data";
  Row(out, fields::kFmin, WithUnit(c.fmin, fields::kFmin.unit),
      jonswap ? "the value read + 0.000001 Hz, as every run keeps it" : range_note);
  Row(out, fields::kFmax, WithUnit(c.fmax, fields::kFmax.unit), jonswap ? "" : range_note);
  Row(out, fields::kSeed, std::to_string(c.random_seed),
      "seed of the phases; the direction draws always start from seed 100");
}

std::string PointNumbers(const PointSpectra& points) {
  std::string text;
  for (int v = 1; v <= points.num_p; ++v) {
    if (v > static_cast<int>(kListedPoints)) return text + ", ...";
    if (v > 1) text += ", ";
    text += std::to_string(points.point_numbers[v]);
  }
  return text;
}

// What an Emep or Ene run read, in words.
std::string PointsRead(const ControlSettings& control, const SpectrumWorkspace& ws, bool has_point_list) {
  const std::string name = control.input_file();
  const bool ene = Traits(control.type).input == SpectrumInput::kEnergyBalancePoints;
  const int K = ws.directions.kept_direction_count;
  std::string text =
      std::string(ene ? "Ene data file " : "Emep data file ") + name +
      (has_point_list ? " with the point list " + PointListName(name) : std::string(", first spectrum only")) + ": " +
      std::to_string(ws.points.num_p) + (ws.points.num_p == 1 ? " point" : " points");
  if (ws.points.num_p >= 1) text += " (numbers " + PointNumbers(ws.points) + ")";
  if (ws.input.n_in >= 1) {
    text += ", " + std::to_string(ws.input.n_in) + " frequencies from " +
            textio::RoundedNumber(ws.input.f_in[1], kDerivedDigits) + " to " +
            textio::RoundedNumber(ws.input.f_in[ws.input.n_in], kDerivedDigits) + " Hz";
  }
  if (K >= 1) {
    text += ", " + std::to_string(K) + (ene ? " directions" : " directions facing the shore") + " from " +
            textio::PlainNumber(ws.directions.kept_directions[1]) + " to " +
            textio::PlainNumber(ws.directions.kept_directions[K]) + " deg";
  }
  return text;
}

void WriteDivision(const ControlSettings& control, const SpectrumWorkspace& ws, Console& out) {
  const int N = control.component_count;
  const bool ene = Traits(control.type).energy_scaled;
  // The energy the components carry: Ene amplitudes restore the input energy.
  double m0 = N * ws.bands.ecomp;
  if (ene && ws.energy.E_spl > 0.0) m0 *= ws.energy.E_in / ws.energy.E_spl;
  out.WriteLine("  equal-energy division: " + std::to_string(N) + " components from " +
                textio::RoundedNumber(ws.bands.f[1], kDerivedDigits) + " to " +
                textio::RoundedNumber(ws.bands.f[N], kDerivedDigits) + " Hz, each of energy " +
                textio::RoundedNumber(ws.bands.ecomp, kDerivedDigits) + " m^2; Hm0 " +
                textio::RoundedNumber(4.0 * std::sqrt(m0), kDerivedDigits) + " m" +
                (ws.points.num_p >= 2 ? " for the averaged spectrum (each point gets amplitudes from its own)" : ""));
  if (ene) {
    out.WriteLine("  energy check: E_in " + textio::RoundedNumber(ws.energy.E_in, kDerivedDigits) +
                  " m^2 (bandwidths), E_spl " + textio::RoundedNumber(ws.energy.E_spl, kDerivedDigits) +
                  " m^2 (spline); the amplitudes are scaled by sqrt(E_in/E_spl)");
  }
}

// The report of the dry run, told by the run as its stages end.
class Report : public DryRunObserver {
 public:
  Report(Console& out, const std::string& control_path) : out_(out), control_path_(control_path) {}

  void SettingsRead(const ControlSettings& control) override {
    out_.WriteLine("wavecomp --dry-run: reads cont.txt and the input files, writes nothing.");
    out_.WriteLine("");
    WriteSettings(control, control_path_, out_);
    out_.WriteLine("");
    out_.WriteLine("Input:");
    if (!Traits(control.type).reads_points()) return;
    const std::string name = control.input_file();
    const std::string pnt = PointListName(name);
    std::error_code error;
    has_point_list_ = !name.empty() && std::filesystem::is_regular_file(pnt, error);
    if (!has_point_list_ && std::filesystem::exists(name, error)) {
      out_.WriteLine("  " + pnt + " is missing: the run would ask whether to take the first spectrum of " + name +
                     " uniformly along the shore (Y or Yes goes on, anything else stops); read here as if answered Y");
    }
  }

  void InputRead(const ControlSettings& control, const SpectrumWorkspace& ws,
                 const SpectrumFileHeader* header) override {
    switch (Traits(control.type).input) {
      case SpectrumInput::kNothing: {
        const JonswapShape shape = JonswapShape::From(control.H13, control.T13, control.gamma);
        out_.WriteLine("  no input file: the JONSWAP spectrum peaks at " +
                       textio::RoundedNumber(shape.fp, kDerivedDigits) + " Hz (Tp " +
                       textio::RoundedNumber(shape.Tp, kDerivedDigits) + " s)");
        break;
      }
      case SpectrumInput::kFrequencyTable:
        out_.WriteLine("  Sspe spectrum file " + control.input_file() + ": H1/3 " + WithUnit(header->H13, "m") +
                       ", T1/3 " + WithUnit(header->T13, "s") + ", Dirc. " + WithUnit(header->Dirc, "deg") +
                       " (its first line), " + std::to_string(ws.input.n_in) + " frequency pairs");
        break;
      case SpectrumInput::kDirectionalPoints:
      case SpectrumInput::kEnergyBalancePoints:
        out_.WriteLine("  " + PointsRead(control, ws, has_point_list_));
        break;
    }
  }

  void Divided(const ControlSettings& control, const SpectrumWorkspace& ws) override {
    // A point list without points stops the run once the stages are done.
    if (Traits(control.type).input != SpectrumInput::kFrequencyTable && ws.points.num_p < 1) return;
    WriteDivision(control, ws, out_);
  }

  void Complete(const ControlSettings& control, int num_p, const textio::OutputSet& outputs) override {
    out_.WriteLine("");
    out_.WriteLine("The run would write:");
    std::error_code error;
    for (const textio::OutputFile& file : outputs.files()) {
      if (file.path() != kJonswapFileName) continue;
      const auto lines = static_cast<double>(file.lines());
      out_.WriteLine(std::string("  jonswap.spe (") +
                     (std::filesystem::exists(file.path(), error) ? "replacing the one there" : "new") +
                     "): the JONSWAP density every 1e-5 Hz, about " + textio::PlainNumber(lines) + " lines, " +
                     textio::PlainNumber(std::round(static_cast<double>(file.bytes()) / 1.0e6 * 10.0) / 10.0) + " MB");
    }
    std::string layout;
    if (num_p >= 2) {
      layout = "a multi-point component wave file: " + std::to_string(num_p) + " points of " +
               std::to_string(control.component_count) +
               " components each, all sharing the frequencies, directions and phases; only the amplitudes differ";
    } else {
      layout = "a single-point component wave file of " + std::to_string(control.component_count) +
               " components with the " + std::string(TrimmedField(SpectrumTypeField(control.type))) +
               " trailer of the settings";
    }
    out_.WriteLine("  " + control.output_file() + ": " + layout);
    out_.WriteLine("");
    out_.WriteLine("Nothing was written.");
  }

 private:
  Console& out_;
  const std::string& control_path_;
  bool has_point_list_ = false;
};

}  // namespace

void DryRun(SpectrumWorkspace& ws, Console& out, const std::string& control_path, const WarningSink& warn) {
  Report report(out, control_path);
  // The run's own console lines are not shown, and the point-list question
  // is answered Y without being asked.
  Console muted;
  muted.SetInput("Y\n");
  RunWavecomp(ws, muted, control_path, warn, &report);
  RequireStandardOutput(out, "; the dry run stopped");
}

}  // namespace wavecomp
