#include "check/render/summary.h"

#include <cmath>
#include <string>
#include <string_view>

#include "check/kernels/rayleigh.h"
#include "textio/format.h"

namespace wavecomp::check {
namespace {

constexpr int kLabelWidth = 30;
constexpr int kValueWidth = 14;
constexpr int kDifferenceWidth = 14;
constexpr int kDifferenceDecimals = 3;

// A value that rounds to zero at d decimals is shown as 0, not -0.00.
double Clean(double value, int d) { return std::abs(value) < 0.5 * std::pow(10.0, -d) ? 0.0 : value; }

std::string Fixed(double value, int w, int d) {
  std::string text;
  textio::PutF(text, Clean(value, d), w, d);
  return text;
}

// A number without the blanks of its field, for running text.
std::string Compact(double value, int d) { return textio::BoundedFixedNumber(Clean(value, d), d); }

std::string Integer(std::int64_t value, int w) {
  std::string text;
  textio::PutI(text, value, w);
  return text;
}

std::string Blank(int w, std::string_view mark = "-") {
  std::string text;
  textio::PutA(text, mark, w);
  return text;
}

std::string Label(std::string_view text) {
  std::string line(text);
  if (line.size() < kLabelWidth) line.resize(kLabelWidth, ' ');
  return line;
}

std::optional<double> Period(const std::optional<double>& frequency) {
  if (!frequency || !(*frequency > 0.0)) return std::nullopt;
  return 1.0 / *frequency;
}

// One row of measured, target and their difference.
enum class Difference { kRelative, kDegrees, kPoints };

void WriteRow(Console& console, std::string_view label, double measured, const std::optional<double>& target,
              int decimals, Difference kind, std::optional<double> difference = std::nullopt) {
  std::string line = Label(label) + Fixed(measured, kValueWidth, decimals);
  if (!target) {
    console.WriteLine(line);
    return;
  }
  line += Fixed(*target, kValueWidth, decimals);
  switch (kind) {
    case Difference::kRelative:
      if (*target != 0.0) {
        textio::PutE(line, (measured - *target) / *target, kDifferenceWidth, kDifferenceDecimals);
        line += " relative";
      } else {
        line += Blank(kDifferenceWidth);
      }
      break;
    case Difference::kDegrees:
      line += Fixed(difference.value_or(measured - *target), kDifferenceWidth, decimals) + " deg";
      break;
    case Difference::kPoints:
      line += Fixed(measured - *target, kDifferenceWidth, decimals) + " points";
      break;
  }
  console.WriteLine(line);
}

std::string TrailerLine(const Trailer& trailer, Spreading spreading) {
  std::string line = "Trailer   ";
  const std::string direction_unit = spreading == Spreading::kSpread      ? " rad"
                                     : spreading == Spreading::kNotSpread ? " deg"
                                                                          : " (rad when spread, deg otherwise)";
  switch (trailer.kind) {
    case TrailerKind::kJonswap:
      line += "JNS: ";
      break;
    case TrailerKind::kSspe:
      line += "Sspe: ";
      break;
    case TrailerKind::kEmepOrEne:
      line += "Emep or Ene: ";
      break;
  }
  line += "H1/3 " + Compact(trailer.H13, 4) + " m, T1/3 " + Compact(trailer.T13, 4) + " s, Dirc. " +
          Compact(trailer.Dirc, 6) + (trailer.kind == TrailerKind::kEmepOrEne ? std::string(" deg") : direction_unit);
  if (trailer.kind == TrailerKind::kJonswap) {
    line += ", gamma " + (trailer.gamma ? Compact(*trailer.gamma, 4) : std::string("*"));
  }
  if (trailer.has_smax)
    line += ", Smax " + (trailer.Smax ? Compact(*trailer.Smax, 2) : std::string("***** (100 or more)"));
  if (trailer.kind == TrailerKind::kJonswap) {
    line += ", seed " + (trailer.seed ? std::to_string(*trailer.seed) : std::string("*****"));
  } else {
    line += ", input file " + (trailer.input_file.empty() ? std::string("(blank)") : trailer.input_file);
  }
  return line;
}

std::string TargetLine(const CheckResult& result) {
  if (!result.target) {
    return result.file.layout == FileLayout::kMultiPoint
               ? "Target    none (a multi-point file records no settings; give one with --spectrum)"
               : "Target    none (give a spectrum with --spectrum)";
  }
  const TargetSpectra& target = *result.target;
  if (target.kind == "JONSWAP") return "Target    JONSWAP density of the trailer's H1/3, T1/3 and gamma";
  if (target.swan) {
    const SwanSource& swan = *target.swan;
    std::string line = "Target    " + target.kind + " spectra " + target.label;
    if (!swan.stamp.empty()) line += " at " + swan.stamp;
    line += ", model frame --normal-from " + Compact(swan.frame.normal_from, 2) +
            (swan.frame.clockwise ? " --clockwise" : "") + ": ";
    if (result.file.layout == FileLayout::kSinglePoint) {
      return line + "location " + std::to_string(target.points.front().point_number);
    }
    return line + "each point against the " + swan.model + " location of its number";
  }
  if (target.type) {
    return "Target    " + target.kind + " " + target.label + ": " + std::to_string(target.points.size()) +
           (target.points.size() == 1 ? " point" : " points") + ", each point against its own spectrum and directions";
  }
  return "Target    spectrum file " + target.label;
}

void WritePointBlock(const CheckResult& result, std::size_t v, Console& console) {
  const PointComponents& point = result.file.points[v];
  const PointCheck& check = result.points[v];
  const PointStatistics& m = check.measured;
  std::string heading = "Point " + std::to_string(point.point_number) + ": " + std::to_string(m.count) +
                        (m.count == 1 ? " component" : " components");
  if (m.count > 0) heading += ", " + Compact(m.f_low, 6) + " to " + Compact(m.f_high, 6) + " Hz";
  console.WriteLine(heading);
  if (m.count == 0) return;
  const bool any_target = check.target_energy || check.target_directions;
  if (any_target) {
    std::string header = Label("");
    textio::PutA(header, "measured", kValueWidth);
    textio::PutA(header, "target", kValueWidth);
    textio::PutA(header, "difference", kDifferenceWidth);
    console.WriteLine(header);
  }
  const std::optional<double> target_Hm0 =
      check.target_energy ? std::optional<double>(check.target_energy->Hm0) : std::nullopt;
  WriteRow(console, "Hm0 (m)", m.Hm0, target_Hm0, 6, Difference::kRelative);
  if (m.peak_frequency) {
    WriteRow(console, "peak frequency (Hz)", *m.peak_frequency, check.target_peak_frequency, 6, Difference::kRelative);
  }
  if (const std::optional<double> Tp = Period(m.peak_frequency)) {
    WriteRow(console, "Tp (s)", *Tp, Period(check.target_peak_frequency), 4, Difference::kRelative);
  }
  if (m.directions.defined) {
    const DirectionStatistics* t =
        check.target_directions && check.target_directions->defined ? &*check.target_directions : nullptr;
    auto target = [t](double value) { return t ? std::optional<double>(value) : std::nullopt; };
    WriteRow(console, "mean direction (deg)", m.directions.mean_deg, target(t ? t->mean_deg : 0.0), 2,
             Difference::kDegrees, t ? result.DirectionDifference(m.directions.mean_deg, t->mean_deg) : 0.0);
    WriteRow(console, "directional spread (deg)", m.directions.spread_deg, target(t ? t->spread_deg : 0.0), 2,
             Difference::kDegrees);
    // A SWAN target gives no shares.
    const bool shares = result.spreading != Spreading::kFromSwan;
    for (std::size_t w = 0; w < kShareHalfWidths.size(); ++w) {
      const std::string label = "energy within +-" + std::to_string(static_cast<int>(kShareHalfWidths[w])) + " deg (%)";
      WriteRow(console, label, 100.0 * m.directions.shares[w],
               shares ? target(t ? 100.0 * t->shares[w] : 0.0) : std::nullopt, 2, Difference::kPoints);
    }
  }
  if (m.phases.defined) {
    console.WriteLine(Label("phase uniformity") + "Kolmogorov-Smirnov D " + Compact(m.phases.ks_statistic, 4) +
                      " against uniform on 0..2 pi, p " + Compact(m.phases.p_value, 3));
  }
  const PointTarget* point_target = result.TargetOf(v);
  if (point_target && point_target->sea_state && result.target->swan) {
    const SwanSource& swan = *result.target->swan;
    const double share = point_target->sea_state->offshore_share;
    const bool onshore = swan.offshore == swan::Offshore::kDrop && share > 0.0;
    console.WriteLine("Target " + swan.model + " location " + std::to_string(point_target->point_number) + ": Hm0 of " +
                      (onshore ? "the onshore part of its table (" : "its whole table (") + Compact(swan.f_low, 4) +
                      " to " + Compact(swan.f_high, 4) +
                      " Hz), Tp at its largest density, direction and spread from its first directional moments; " +
                      Compact(100.0 * share, 1) + " % of its energy travels offshore" +
                      (onshore ? " and is left out (--offshore drop)" : ""));
  } else if (check.target_energy && check.target_energy->outside_share) {
    const double share = *check.target_energy->outside_share;
    console.WriteLine("Target energy taken over all frequencies; " + Compact(100.0 * share, 2) +
                      " % of it lies outside the components' range " + Compact(check.target_energy->f_lower, 6) +
                      " to " + Compact(check.target_energy->f_upper, 6) +
                      " Hz (the outer bands reach as far as half of the end components' energy)" +
                      (share > kOutsideShareFlag ? ": more than 10 %, see the notes" : ""));
  } else if (check.target_energy) {
    console.WriteLine("Target energy taken from " + Compact(check.target_energy->f_lower, 6) + " to " +
                      Compact(check.target_energy->f_upper, 6) +
                      " Hz (the outer bands reach as far as half of the end components' energy)");
  }
}

void WritePointTable(const CheckResult& result, Console& console) {
  const bool with_target = result.target.has_value();
  bool with_directions = false;
  for (const PointCheck& check : result.points) with_directions = with_directions || check.target_directions;
  std::string header;
  textio::PutA(header, "point", 6);
  textio::PutA(header, "number", 8);
  textio::PutA(header, "N", 7);
  textio::PutA(header, "Hm0 (m)", 11);
  textio::PutA(header, "Tp (s)", 10);
  textio::PutA(header, "mean dir (deg)", 16);
  textio::PutA(header, "spread (deg)", 14);
  textio::PutA(header, "phases KS p", 13);
  if (with_target) {
    textio::PutA(header, "target Hm0", 12);
    textio::PutA(header, "difference", 12);
    textio::PutA(header, "target Tp", 12);
    textio::PutA(header, "difference", 12);
  }
  if (with_directions) {
    textio::PutA(header, "target dir", 12);
    textio::PutA(header, "difference", 12);
    textio::PutA(header, "target spread", 15);
    textio::PutA(header, "difference", 12);
  }
  console.WriteLine(header);
  // A relative difference, or a dash when there is nothing to compare.
  auto relative = [](std::string& line, const std::optional<double>& measured, const std::optional<double>& target) {
    if (measured && target && *target != 0.0)
      textio::PutE(line, (*measured - *target) / *target, 12, kDifferenceDecimals);
    else
      line += Blank(12);
  };
  for (std::size_t v = 0; v < result.points.size(); ++v) {
    const PointCheck& check = result.points[v];
    const PointStatistics& m = check.measured;
    std::string line = Integer(static_cast<std::int64_t>(v + 1), 6) + Integer(result.file.points[v].point_number, 8) +
                       Integer(static_cast<std::int64_t>(m.count), 7) + Fixed(m.Hm0, 11, 6);
    const std::optional<double> Tp = Period(m.peak_frequency);
    line += Tp ? Fixed(*Tp, 10, 4) : Blank(10);
    line += m.directions.defined ? Fixed(m.directions.mean_deg, 16, 2) + Fixed(m.directions.spread_deg, 14, 2)
                                 : Blank(16) + Blank(14);
    line += m.phases.defined ? Fixed(m.phases.p_value, 13, 4) : Blank(13);
    if (with_target) {
      const std::optional<BandEnergy>& energy = check.target_energy;
      line += energy ? Fixed(energy->Hm0, 12, 6) : Blank(12);
      relative(line, m.Hm0, energy ? std::optional<double>(energy->Hm0) : std::nullopt);
      const std::optional<double> target_Tp = Period(check.target_peak_frequency);
      line += target_Tp ? Fixed(*target_Tp, 12, 4) : Blank(12);
      relative(line, Tp, target_Tp);
    }
    if (with_directions) {
      const std::optional<DirectionStatistics>& t = check.target_directions;
      if (t && t->defined && m.directions.defined) {
        line +=
            Fixed(t->mean_deg, 12, 2) + Fixed(result.DirectionDifference(m.directions.mean_deg, t->mean_deg), 12, 2);
        line += Fixed(t->spread_deg, 15, 2) + Fixed(m.directions.spread_deg - t->spread_deg, 12, 2);
      } else {
        line += Blank(12) + Blank(12) + Blank(15) + Blank(12);
      }
    }
    console.WriteLine(line);
  }
  const Hm0Along along = Hm0AlongThePoints(result);
  console.WriteLine("Hm0 along the points: lowest " + Compact(result.points[along.lowest].measured.Hm0, 6) +
                    " m (point " + std::to_string(along.lowest + 1) + "), highest " +
                    Compact(result.points[along.highest].measured.Hm0, 6) + " m (point " +
                    std::to_string(along.highest + 1) + "), mean " + Compact(along.mean, 6) + " m");
}

std::string SeriesHeading(const SeriesGrid& grid) {
  return "Time domain: eta(t) = sum a cos(2 pi f t + phase), t = 0 to " + Compact(grid.duration_s, 1) + " s every " +
         Compact(grid.dt_s, 6) + " s (" + std::to_string(grid.samples) + " samples)";
}

std::string Autocorrelation(const PointSeries& s) {
  if (!s.repetition.defined) {
    return "none (the record is shorter than " + std::to_string(static_cast<int>(kRepetitionFirstLagPeriods)) +
           " Tp = " + Compact(kRepetitionFirstLagPeriods * s.peak_period_s, 1) + " s)";
  }
  return Compact(s.repetition.max_autocorrelation, 3) + " at lag " + Compact(s.repetition.lag_s, 1) + " s (lags from " +
         std::to_string(static_cast<int>(kRepetitionFirstLagPeriods)) +
         " Tp = " + Compact(kRepetitionFirstLagPeriods * s.peak_period_s, 1) + " s; above " +
         Compact(kRepetitionWarning, 1) + " the record repeats itself)";
}

void WriteSeriesBlock(const CheckResult& result, Console& console) {
  const std::optional<PointSeries>& point = result.series->points.front();
  console.WriteLine("");
  console.WriteLine(SeriesHeading(result.series->grid));
  if (!point) return;
  const PointSeries& s = *point;
  std::string header = Label("");
  textio::PutA(header, "measured", kValueWidth);
  textio::PutA(header, "target", kValueWidth);
  textio::PutA(header, "difference", kDifferenceWidth);
  console.WriteLine(header);
  const Trailer* trailer = result.file.trailer ? &*result.file.trailer : nullptr;
  auto target = [](bool known, double value) { return known ? std::optional<double>(value) : std::nullopt; };
  console.WriteLine(Label("waves (zero up-crossings)") +
                    Integer(static_cast<std::int64_t>(s.waves.waves), kValueWidth));
  WriteRow(console, "H1/3 (m)", s.waves.H13_m, target(s.H13_relative_error && trailer, trailer ? trailer->H13 : 0.0), 6,
           Difference::kRelative);
  WriteRow(console, "T1/3 (s)", s.waves.T13_s, target(s.T13_relative_error && trailer, trailer ? trailer->T13 : 0.0), 4,
           Difference::kRelative);
  WriteRow(console, "H1/10 (m)", s.waves.H110_m, std::nullopt, 6, Difference::kRelative);
  WriteRow(console, "Hmax (m)", s.waves.Hmax_m, std::nullopt, 6, Difference::kRelative);
  WriteRow(console, "Hmean (m)", s.waves.Hmean_m, std::nullopt, 6, Difference::kRelative);
  WriteRow(console, "Tmean (s)", s.waves.Tmean_s, std::nullopt, 4, Difference::kRelative);
  WriteRow(console, "variance (m^2)", s.variance_m2, s.components_m0, 6, Difference::kRelative);
  const std::optional<SpectrumComparison>& c = s.versus_target;
  WriteRow(console, "Welch m0 (m^2)", s.welch.m0, target(c.has_value(), c ? c->target_m0 : 0.0), 6,
           Difference::kRelative);
  if (s.welch.peak_frequency) {
    WriteRow(console, "Welch peak frequency (Hz)", *s.welch.peak_frequency,
             target(c.has_value(), c ? c->target_peak_frequency : 0.0), 6, Difference::kRelative);
  }
  header = Label("");
  textio::PutA(header, "measured", kValueWidth);
  textio::PutA(header, "Rayleigh", kValueWidth);
  textio::PutA(header, "difference", kDifferenceWidth);
  console.WriteLine(header);
  WriteRow(console, "H1/3 / Hm0", s.H13_over_Hm0, s.rayleigh_H13_over_Hm0, 4, Difference::kRelative);
  WriteRow(console, "Hmax / H1/3", s.Hmax_over_H13, s.rayleigh_Hmax_over_H13, 4, Difference::kRelative);
  console.WriteLine(Label("largest autocorrelation") + Autocorrelation(s));
  std::string targets = "Targets: the variance against sum a^2/2 of the components";
  if (s.H13_relative_error) targets += ", H1/3 and T1/3 against the trailer";
  if (c) targets += ", Welch's m0 and peak against the target spectrum";
  console.WriteLine(targets + "; Hmax / H1/3 against its Rayleigh expectation for " + std::to_string(s.waves.waves) +
                    " waves");
  console.WriteLine("Welch: " + std::to_string(s.welch.segments) +
                    (s.welch.segments == 1 ? " Hann-windowed segment of " : " Hann-windowed segments of ") +
                    std::to_string(s.welch.segment_length) + " samples, 50 % overlap, bins " + Compact(s.welch.df, 6) +
                    " Hz apart");
  if (s.repeats) console.WriteLine("Warning: " + std::string(kRepeatWarning));
}

void WriteSeriesTable(const CheckResult& result, Console& console) {
  const FileSeries& series = *result.series;
  console.WriteLine("");
  console.WriteLine(SeriesHeading(series.grid) + ", every point");
  bool with_target = false;
  for (const std::optional<PointSeries>& s : series.points) with_target = with_target || (s && s->versus_target);
  std::string header;
  textio::PutA(header, "point", 6);
  textio::PutA(header, "number", 8);
  textio::PutA(header, "waves", 7);
  textio::PutA(header, "H1/3 (m)", 11);
  textio::PutA(header, "T1/3 (s)", 10);
  textio::PutA(header, "H1/10 (m)", 11);
  textio::PutA(header, "Hmax (m)", 11);
  textio::PutA(header, "Hmean (m)", 11);
  textio::PutA(header, "Tmean (s)", 10);
  textio::PutA(header, "var (m^2)", 12);
  textio::PutA(header, "difference", 12);
  textio::PutA(header, "H13/Hm0", 9);
  textio::PutA(header, "Hmax/H13", 10);
  textio::PutA(header, "Rayleigh", 10);
  if (with_target) {
    textio::PutA(header, "Welch m0 diff", 15);
    textio::PutA(header, "peak diff", 12);
  }
  textio::PutA(header, "max autocorr", 14);
  textio::PutA(header, "lag (s)", 10);
  console.WriteLine(header);
  std::optional<std::size_t> lowest, highest;
  for (std::size_t v = 0; v < series.points.size(); ++v) {
    std::string line = Integer(static_cast<std::int64_t>(v + 1), 6) + Integer(result.file.points[v].point_number, 8);
    const std::optional<PointSeries>& point = series.points[v];
    if (!point) {
      console.WriteLine(line + Blank(7));
      continue;
    }
    const PointSeries& s = *point;
    if (!lowest || s.H13_over_Hm0 < series.points[*lowest]->H13_over_Hm0) lowest = v;
    if (!highest || s.H13_over_Hm0 > series.points[*highest]->H13_over_Hm0) highest = v;
    line += Integer(static_cast<std::int64_t>(s.waves.waves), 7) + Fixed(s.waves.H13_m, 11, 6) +
            Fixed(s.waves.T13_s, 10, 4) + Fixed(s.waves.H110_m, 11, 6) + Fixed(s.waves.Hmax_m, 11, 6) +
            Fixed(s.waves.Hmean_m, 11, 6) + Fixed(s.waves.Tmean_s, 10, 4);
    textio::PutE(line, s.variance_m2, 12, 4);
    if (s.components_m0 > 0.0)
      textio::PutE(line, s.variance_relative_error, 12, kDifferenceDecimals);
    else
      line += Blank(12);
    line += Fixed(s.H13_over_Hm0, 9, 4) + Fixed(s.Hmax_over_H13, 10, 4) + Fixed(s.rayleigh_Hmax_over_H13, 10, 4);
    if (with_target) {
      if (s.versus_target) {
        textio::PutE(line, s.versus_target->m0_relative_error, 15, kDifferenceDecimals);
        textio::PutE(line, s.versus_target->peak_frequency_relative_error, 12, kDifferenceDecimals);
      } else {
        line += Blank(15) + Blank(12);
      }
    }
    if (s.repetition.defined)
      line += Fixed(s.repetition.max_autocorrelation, 14, 3) + Fixed(s.repetition.lag_s, 10, 1);
    else
      line += Blank(14) + Blank(10);
    if (s.repeats) line += "  repeats";
    console.WriteLine(line);
  }
  if (!lowest) return;
  console.WriteLine("H1/3 / Hm0 along the points: lowest " + Compact(series.points[*lowest]->H13_over_Hm0, 4) +
                    " (point " + std::to_string(*lowest + 1) + "), highest " +
                    Compact(series.points[*highest]->H13_over_Hm0, 4) + " (point " + std::to_string(*highest + 1) +
                    "); Rayleigh " + Compact(RayleighH13OverHm0(), 4) + ". Differences: variance against sum a^2/2" +
                    (with_target ? ", Welch's m0 and peak against each point's target" : "") +
                    "; the last Rayleigh column is Hmax/H13 expected for the point's waves");
  if (series.repeating > 0) {
    console.WriteLine("Warning: " + std::to_string(series.repeating) + " of " + std::to_string(series.points.size()) +
                      " points (marked repeats): " + std::string(kRepeatWarning));
  }
}

}  // namespace

void WriteSummary(const CheckResult& result, Console& console) {
  const ComponentFile& file = result.file;
  console.WriteLine("File      " + file.name);
  const PointComponents& first = file.points.front();
  const std::string gamma = first.gamma ? Compact(*first.gamma, 1) : std::string("*");
  if (!file.format.empty()) {
    console.WriteLine("Layout    " + file.format + " file, " + std::to_string(first.declared_count) +
                      " components (read back under that model's convention)");
    if (file.trailer) console.WriteLine(TrailerLine(*file.trailer, result.spreading));
  } else if (file.layout == FileLayout::kSinglePoint) {
    console.WriteLine("Layout    single point, " + std::to_string(first.declared_count) +
                      " components, spectrum code " + std::to_string(first.spectrum_code) + ", gamma " + gamma);
    if (file.trailer) console.WriteLine(TrailerLine(*file.trailer, result.spreading));
  } else {
    console.WriteLine("Layout    " + std::to_string(file.num_p) + " points, " + std::to_string(first.declared_count) +
                      " components at point 1, spectrum code " + std::to_string(first.spectrum_code) + ", gamma " +
                      gamma);
  }
  console.WriteLine(TargetLine(result));
  console.WriteLine("");
  if (file.layout == FileLayout::kSinglePoint) {
    WritePointBlock(result, 0, console);
    if (result.series) WriteSeriesBlock(result, console);
  } else {
    WritePointTable(result, console);
    if (result.series) WriteSeriesTable(result, console);
  }
  if (!result.notes.empty()) {
    console.WriteLine("");
    console.WriteLine("Notes");
    for (const std::string& note : result.notes) console.WriteLine("  - " + note);
  }
}

}  // namespace wavecomp::check
