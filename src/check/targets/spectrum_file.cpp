#include "check/targets/spectrum_file.h"

#include <algorithm>
#include <array>
#include <functional>
#include <string_view>
#include <vector>

#include "check/targets/swan_target.h"
#include "core/console.h"
#include "core/run_stop.h"
#include "core/spectrum_types.h"
#include "core/workspace.h"
#include "input/diagnostics.h"
#include "input/directional_spectrum_reader.h"
#include "input/emep_layout.h"
#include "input/energy_balance_reader.h"
#include "resample/frequency_resampling.h"
#include "resample/input_tables.h"
#include "synthesis/jonswap.h"
#include "textio/format.h"
#include "textio/records.h"

namespace wavecomp::check {
namespace {

constexpr int kSpeWidth = kJonswapSpeWidth;  // three per record of jonswap.spe
constexpr int kSpeDecimals = kJonswapSpeDecimals;
constexpr std::size_t kSpeColumns = 3 * kSpeWidth;
constexpr int kCountWidth = 5;        // I5 counts of the Emep and Ene layouts
constexpr int kEmepHeaderFirst = emep_layout::kLabelWidth + 1;  // seven I5 after the A15 label
constexpr int kEmepHeaderIntegers = emep_layout::kHeaderIntegers;

// jonswap.spe is recognised by its first record: three E20.8 fields, each
// with a decimal point and an exponent. A table's first line holds three free
// values, which never fill 20 columns each with that layout.
bool LooksLikeJonswapSpe(const textio::TextFile& file) {
  if (file.record_count() == 0) return false;
  const std::string_view first = file.record(0);
  if (first.size() < kSpeColumns) return false;
  for (std::size_t k = 0; k < 3; ++k) {
    const std::string_view field = first.substr(k * kSpeWidth, kSpeWidth);
    if (field.find('.') == std::string_view::npos || field.find_first_of("Ee") == std::string_view::npos) return false;
  }
  return true;
}

bool HasPointList(const std::string& path) { return textio::TextFile::Open(PointListName(path)).has_value(); }

// `count` I5 integers from column `first` of a record, each read as a whole.
bool HoldsIntegers(std::string_view record, int first, int count) {
  if (record.size() < static_cast<std::size_t>(first - 1 + count * kCountWidth)) return false;
  textio::FieldReader reader(record, "", 0);
  reader.Skip(first - 1);
  for (int k = 0; k < count; ++k) {
    if (!reader.TryI(kCountWidth)) return false;
  }
  return true;
}

// The point header stands first, or after the title when a point list exists.
bool LooksLikeEmep(const textio::TextFile& file, const std::string& path) {
  const std::size_t header = HasPointList(path) ? 1 : 0;
  return file.record_count() > header + 1 && HoldsIntegers(file.record(header), kEmepHeaderFirst, kEmepHeaderIntegers);
}

// nf and nd alone on the second record, both at least 1.
bool LooksLikeEne(const textio::TextFile& file) {
  if (file.record_count() < 3) return false;
  const std::string_view counts = file.record(1);
  if (!HoldsIntegers(counts, 1, 2)) return false;
  if (counts.find_first_not_of(' ', 2 * kCountWidth) != std::string_view::npos) return false;
  textio::FieldReader reader(counts, "", 0);
  return reader.TryI(kCountWidth).value_or(0) >= 1 && reader.TryI(kCountWidth).value_or(0) >= 1;
}

TargetSpectra OneSpectrum(std::string kind, TargetSpectrum spectrum) {
  TargetSpectra targets{spectrum.label(), std::move(kind), std::nullopt, {}, {}, {}};
  targets.points.push_back(PointTarget{0, std::move(spectrum), std::nullopt, std::nullopt});
  return targets;
}

TargetSpectra ReadJonswapSpe(const textio::TextFile& file) {
  textio::RecordCursor cursor(file);
  std::vector<double> f, S;
  f.reserve(file.record_count());
  S.reserve(file.record_count());
  while (!cursor.AtEnd()) {
    const std::string_view text = cursor.NextText("");
    if (std::all_of(text.begin(), text.end(), [](char c) { return c == ' '; })) continue;
    textio::FieldReader reader(text, file.name(), cursor.line_number());
    const double frequency = reader.E(kSpeWidth, kSpeDecimals);
    const double density = reader.E(kSpeWidth, kSpeDecimals);
    if (!f.empty() && !(frequency > f.back())) {
      textio::ThrowInputError(file.name(), cursor.line_number(), 1, kSpeWidth,
                              "a frequency above the one of the line before", text.substr(0, kSpeWidth));
    }
    f.push_back(frequency);
    S.push_back(density);
  }
  if (f.size() < 2) {
    textio::ThrowDescribedInputError(file.name(), cursor.line_number() + 1, 0, 0, "at least two records of jonswap.spe",
                                     "the end of the file");
  }
  return OneSpectrum("jonswap.spe", TargetSpectrum::Samples(file.name(), std::move(f), std::move(S)));
}

TargetSpectra ReadSpectrumTable(const textio::TextFile& file) {
  textio::RecordCursor cursor(file);
  std::array<double, 3> settings{};
  if (!cursor.ReadList(settings, "H1/3, T1/3, Dirc. (three numbers) on the first line")) {
    textio::ThrowDescribedInputError(file.name(), cursor.line_number() + 1, 0, 0,
                                     "H1/3, T1/3, Dirc. (three numbers) on the first line", "the end of the file");
  }
  std::vector<double> f, S;
  std::array<double, 2> pair{};
  while (cursor.ReadList(pair, "a frequency (Hz) and a spectral density (m^2 s)")) {
    f.push_back(pair[0]);
    S.push_back(pair[1]);
  }
  std::optional<TargetSpectrum> target = TargetSpectrum::SplineTable(file.name(), f, S);
  if (!target) {
    textio::ThrowDescribedInputError(file.name(), 2, 0, 0,
                                     "a table of 3 to 3000 frequency-density pairs in strictly ascending frequency",
                                     std::to_string(f.size()) + " pairs that the spline cannot take");
  }
  return OneSpectrum("Sspe table", *std::move(target));
}

// A point of an Emep or Ene value as the run interpolates its directions:
// Emep on the directions facing the shore, Ene as densities per bandwidth
// and direction step.
PointInput AsRunUsesIt(const SpectrumData& data, const SpectrumPoint& read, std::size_t v) {
  PointInput point;
  point.v = static_cast<std::int32_t>(v);
  point.point_number = read.number;
  point.frequencies = read.frequencies;
  point.spectrum = read.density;
  const std::size_t n = read.frequencies.size();
  const bool ene = data.input == SpectrumInput::kEnergyBalancePoints;
  const double dtheta = EnergyBalanceDirectionStep(static_cast<int>(read.directions.size()));
  for (std::size_t j = 0; j < read.directions.size(); ++j) {
    if (!ene && !FacesShore(read.directions[j])) continue;
    point.directions.push_back(read.directions[j]);
    const double* column = read.table.data() + j * n;
    for (std::size_t l = 0; l < n; ++l) {
      point.values.push_back(ene ? column[l] / data.bandwidths[l] / dtheta : column[l]);
    }
  }
  return point;
}

// Emep and Ene data through wavecomp's own reader: every point as read, and
// for Ene the energy ratio by which the run scales every amplitude.
TargetSpectra ReadPointData(const std::string& path, SpectrumType type) {
  const bool ene = Traits(type).input == SpectrumInput::kEnergyBalancePoints;
  TargetSpectra targets{path, ene ? "Ene data" : "Emep data", type, {}, {}, {}};
  ControlSettings control;
  control.type = type;
  control.input_file_field = path;
  control.component_count = 1;
  Console muted;
  if (!HasPointList(path)) {
    // What a run does when the operator answers yes.
    muted.SetInput("Y\n");
    targets.notes.push_back("no point list " + PointListName(path) + ": the first spectrum of " + path +
                            " is the target, as in a run answered Y");
  }
  const SpectrumData data =
      ene ? ReadEnergyBalancePoints(control, muted, true) : ReadDirectionalSpectrum(control, muted, true);
  double scale = 1.0;
  if (ene && !data.points.empty()) {
    WorkspacePtr ws = MakeWorkspace();
    FillInputTables(data, ws->input, ws->points, ws->directions);
    direct_spec(type, 1, ws->input, ws->points, ws->bands, ws->energy, muted);
    if (ws->energy.E_spl > 0.0) scale = ws->energy.E_in / ws->energy.E_spl;
    targets.notes.push_back("Ene target densities are scaled by E_in/E_spl = " + textio::RoundedNumber(scale, 7) +
                            " of the averaged spectrum, as the run scales the amplitudes");
  }
  std::vector<PointInput> points;
  for (const SpectrumPoint& read : data.points) points.push_back(AsRunUsesIt(data, read, points.size() + 1));
  for (PointInput& point : points) {
    std::optional<TargetSpectrum> spectrum = TargetSpectrum::SplineTable(path + " point " + std::to_string(point.v),
                                                                         point.frequencies, point.spectrum, scale);
    if (!spectrum) {
      throw RunStop::BadInput(path + ": the frequency table of point " + std::to_string(point.v) +
                              " cannot be interpolated (3 to 3000 strictly rising frequencies are needed)");
    }
    const std::int32_t number = point.point_number;
    targets.points.push_back(PointTarget{number, *std::move(spectrum), std::move(point), std::nullopt});
  }
  return targets;
}

// The kinds in the order they are tried; the table takes what none claims.
struct Kind {
  const char* name;  // as a message names the file; nullptr for the table, which takes anything
  std::function<bool(const textio::TextFile&, const std::string&)> recognises;
  std::function<TargetSpectra(const textio::TextFile&, const std::string&, const TargetRequest&)> read;
};

// SWAN comes after Emep: the importer's Emep titles start with "SWAN" too.
const std::vector<Kind>& Kinds() {
  static const std::vector<Kind> kinds = {
      {"a JONSWAP spectrum file",
       [](const textio::TextFile& file, const std::string&) { return LooksLikeJonswapSpe(file); },
       [](const textio::TextFile& file, const std::string&, const TargetRequest&) { return ReadJonswapSpe(file); }},
      {"an Ene data file", [](const textio::TextFile& file, const std::string&) { return LooksLikeEne(file); },
       [](const textio::TextFile&, const std::string& path, const TargetRequest&) {
         return ReadPointData(path, SpectrumType::kEne);
       }},
      {"an Emep data file",
       [](const textio::TextFile& file, const std::string& path) { return LooksLikeEmep(file, path); },
       [](const textio::TextFile&, const std::string& path, const TargetRequest&) {
         return ReadPointData(path, SpectrumType::kEmep);
       }},
      {"a SWAN spectrum file", [](const textio::TextFile& file, const std::string&) { return LooksLikeSwan(file); },
       [](const textio::TextFile& file, const std::string&, const TargetRequest& request) {
         return ReadSwanTargets(file, request);
       }},
      {nullptr, [](const textio::TextFile&, const std::string&) { return true; },
       [](const textio::TextFile& file, const std::string&, const TargetRequest&) { return ReadSpectrumTable(file); }},
  };
  return kinds;
}

}  // namespace

std::optional<std::string> SpectrumFileKind(const textio::TextFile& file, const std::string& path) {
  for (const Kind& kind : Kinds()) {
    if (kind.name != nullptr && kind.recognises(file, path)) return kind.name;
  }
  return std::nullopt;
}

TargetSpectra ReadTargetSpectra(const std::string& path, const TargetRequest& request) {
  const std::optional<textio::TextFile> file = textio::TextFile::Open(path);
  if (!file) throw textio::UnopenableFile("spectrum file", path);
  for (const Kind& kind : Kinds()) {
    if (!kind.recognises(*file, path)) continue;
    TargetSpectra targets = kind.read(*file, path, request);
    if (!targets.swan && request.SwanOptionsGiven()) {
      throw UsageError(
          "--normal-from, --clockwise, --offshore, --time and --location go with a SWAN spectrum file, and " + path +
          " reads as " + targets.kind);
    }
    return targets;
  }
  return ReadSpectrumTable(*file);
}

}  // namespace wavecomp::check
