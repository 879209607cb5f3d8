#include "check/render/json_report.h"

#include <cmath>
#include <nlohmann/json.hpp>

namespace wavecomp::check {
namespace {

using Json = nlohmann::ordered_json;

// Non-finite numbers and missing values are null: JSON has no NaN.
Json Value(const std::optional<double>& value) {
  if (!value || !std::isfinite(*value)) return nullptr;
  return *value;
}

std::optional<double> Period(const std::optional<double>& frequency) {
  if (!frequency || !(*frequency > 0.0)) return std::nullopt;
  return 1.0 / *frequency;
}

std::optional<double> Relative(const std::optional<double>& measured, const std::optional<double>& target) {
  if (!measured || !target || *target == 0.0) return std::nullopt;
  return (*measured - *target) / *target;
}

Json Shares(const DirectionStatistics& directions) {
  Json shares = Json::object();
  for (std::size_t w = 0; w < kShareHalfWidths.size(); ++w) {
    shares[std::to_string(static_cast<int>(kShareHalfWidths[w]))] = Value(100.0 * directions.shares[w]);
  }
  return shares;
}


Json TrailerJson(const Trailer& trailer, Spreading spreading) {
  Json json;
  json["kind"] = TrailerTypeName(trailer.kind);
  json["H13_m"] = Value(trailer.H13);
  json["T13_s"] = Value(trailer.T13);
  json["Dirc"] = Value(trailer.Dirc);
  json["Dirc_unit"] = trailer.kind == TrailerKind::kEmepOrEne || spreading == Spreading::kNotSpread ? "deg"
                      : spreading == Spreading::kSpread                                             ? "rad"
                                                        : "rad when spread, deg otherwise";
  if (trailer.kind == TrailerKind::kJonswap) {
    json["gamma"] = Value(trailer.gamma);
    json["seed"] = trailer.seed ? Json(*trailer.seed) : Json(nullptr);
  } else {
    json["input_file"] = trailer.input_file;
  }
  if (trailer.has_smax) json["Smax"] = Value(trailer.Smax);  // null: 100 or more (asterisks)
  return json;
}

// The time-domain check of one point: every figure the text shows.
Json SeriesJson(const CheckResult& result, const PointSeries& s) {
  Json json;
  json["duration_s"] = Value(s.duration_s);
  json["dt_s"] = Value(s.dt_s);
  json["samples"] = s.samples;
  json["waves"] = s.waves.waves;
  json["H13_m"] = Value(s.waves.H13_m);
  json["T13_s"] = Value(s.waves.T13_s);
  json["H110_m"] = Value(s.waves.H110_m);
  json["Hmax_m"] = Value(s.waves.Hmax_m);
  json["Hmean_m"] = Value(s.waves.Hmean_m);
  json["Tmean_s"] = Value(s.waves.Tmean_s);
  json["variance_m2"] = Value(s.variance_m2);
  json["components_m0_m2"] = Value(s.components_m0);
  json["variance_relative"] = s.components_m0 > 0.0 ? Value(s.variance_relative_error) : Json(nullptr);
  const Trailer* trailer = result.file.trailer ? &*result.file.trailer : nullptr;
  json["target_H13_m"] = s.H13_relative_error && trailer ? Value(trailer->H13) : Json(nullptr);
  json["H13_relative"] = Value(s.H13_relative_error);
  json["target_T13_s"] = s.T13_relative_error && trailer ? Value(trailer->T13) : Json(nullptr);
  json["T13_relative"] = Value(s.T13_relative_error);
  json["Hm0_m"] = Value(s.Hm0);
  json["H13_over_Hm0"] = Value(s.H13_over_Hm0);
  json["rayleigh_H13_over_Hm0"] = Value(s.rayleigh_H13_over_Hm0);
  json["Hmax_over_H13"] = Value(s.Hmax_over_H13);
  json["rayleigh_Hmax_over_H13"] = Value(s.rayleigh_Hmax_over_H13);
  Json welch;
  welch["segment_length"] = s.welch.segment_length;
  welch["segments"] = s.welch.segments;
  welch["df_Hz"] = Value(s.welch.df);
  welch["m0_m2"] = Value(s.welch.m0);
  welch["peak_frequency_Hz"] = Value(s.welch.peak_frequency);
  const std::optional<SpectrumComparison>& c = s.versus_target;
  welch["target_m0_m2"] = c ? Value(c->target_m0) : Json(nullptr);
  welch["m0_relative"] = c ? Value(c->m0_relative_error) : Json(nullptr);
  welch["target_peak_frequency_Hz"] = c ? Value(c->target_peak_frequency) : Json(nullptr);
  welch["peak_frequency_relative"] = c ? Value(c->peak_frequency_relative_error) : Json(nullptr);
  json["welch"] = welch;
  const bool defined = s.repetition.defined;
  json["max_autocorrelation"] = defined ? Value(s.repetition.max_autocorrelation) : Json(nullptr);
  json["autocorrelation_lag_s"] = defined ? Value(s.repetition.lag_s) : Json(nullptr);
  json["autocorrelation_from_s"] = Value(kRepetitionFirstLagPeriods * s.peak_period_s);
  json["repeats"] = s.repeats;
  json["warning"] = s.repeats ? Json(kRepeatWarning) : Json(nullptr);
  return json;
}

Json PointJson(const CheckResult& result, std::size_t v) {
  const PointComponents& point = result.file.points[v];
  const PointCheck& check = result.points[v];
  const PointStatistics& m = check.measured;
  Json json;
  json["index"] = v + 1;
  json["point_number"] = point.point_number;
  json["count"] = m.count;
  json["f_low_Hz"] = m.count > 0 ? Value(m.f_low) : Json(nullptr);
  json["f_high_Hz"] = m.count > 0 ? Value(m.f_high) : Json(nullptr);
  json["frequencies_ascending"] = m.ascending;

  const std::optional<double> Tp = Period(m.peak_frequency);
  Json measured;
  measured["m0_m2"] = Value(m.m0);
  measured["Hm0_m"] = Value(m.Hm0);
  measured["peak_frequency_Hz"] = Value(m.peak_frequency);
  measured["Tp_s"] = Value(Tp);
  if (m.directions.defined) {
    measured["mean_direction_deg"] = Value(m.directions.mean_deg);
    measured["directional_spread_deg"] = Value(m.directions.spread_deg);
    measured["energy_within_deg_percent"] = Shares(m.directions);
  }
  if (m.phases.defined) {
    measured["phase_ks_D"] = Value(m.phases.ks_statistic);
    measured["phase_ks_p"] = Value(m.phases.p_value);
  }
  json["measured"] = measured;

  if (result.series) {
    const std::optional<PointSeries>& series = result.series->points[v];
    json["series"] = series ? SeriesJson(result, *series) : Json(nullptr);
  }

  const bool directions = check.target_directions && check.target_directions->defined && m.directions.defined;
  if (!check.target_energy && !directions) {
    json["target"] = nullptr;
    json["difference"] = nullptr;
    return json;
  }
  Json target, difference;
  if (check.target_energy) {
    const std::optional<double> target_Tp = Period(check.target_peak_frequency);
    target["m0_m2"] = Value(check.target_energy->m0);
    target["Hm0_m"] = Value(check.target_energy->Hm0);
    target["peak_frequency_Hz"] = Value(check.target_peak_frequency);
    target["Tp_s"] = Value(target_Tp);
    target["energy_from_Hz"] = Value(check.target_energy->f_lower);
    target["energy_to_Hz"] = Value(check.target_energy->f_upper);
    if (const std::optional<double>& outside = check.target_energy->outside_share) {
      target["energy_over"] = "all frequencies";
      target["energy_outside_range_percent"] = Value(100.0 * *outside);
      target["energy_outside_range_flagged"] = *outside > kOutsideShareFlag;
    }
    difference["Hm0_relative"] = Value(Relative(m.Hm0, check.target_energy->Hm0));
    difference["peak_frequency_relative"] = Value(Relative(m.peak_frequency, check.target_peak_frequency));
    difference["Tp_relative"] = Value(Relative(Tp, target_Tp));
  }
  const bool swan = result.spreading == Spreading::kFromSwan;  // no shares
  if (directions) {
    const DirectionStatistics& t = *check.target_directions;
    target["mean_direction_deg"] = Value(t.mean_deg);
    target["directional_spread_deg"] = Value(t.spread_deg);
    if (!swan) target["energy_within_deg_percent"] = Shares(t);
    difference["mean_direction_deg"] = Value(result.DirectionDifference(m.directions.mean_deg, t.mean_deg));
    difference["directional_spread_deg"] = Value(m.directions.spread_deg - t.spread_deg);
    Json shares = Json::object();
    for (std::size_t w = 0; w < kShareHalfWidths.size(); ++w) {
      shares[std::to_string(static_cast<int>(kShareHalfWidths[w]))] =
          Value(100.0 * (m.directions.shares[w] - t.shares[w]));
    }
    if (!swan) difference["energy_within_deg_points"] = shares;
  }
  const PointTarget* point_target = result.TargetOf(v);
  if (point_target && point_target->sea_state) {
    target["swan_location"] = point_target->point_number;
    target["offshore_share_percent"] = Value(100.0 * point_target->sea_state->offshore_share);
    target["total_Hm0_m"] = Value(point_target->sea_state->total_hm0);
    target["onshore_Hm0_m"] = Value(point_target->sea_state->onshore_hm0);
  }
  json["target"] = target;
  json["difference"] = difference;
  return json;
}

}  // namespace

std::string JsonReport(const CheckResult& result, const std::optional<std::string>& plot,
                       const std::optional<std::string>& series_csv) {
  const ComponentFile& file = result.file;
  const PointComponents& first = file.points.front();
  Json json;
  json["file"] = file.name;
  if (!file.format.empty()) json["format"] = file.format;
  json["layout"] = file.layout == FileLayout::kSinglePoint ? "single point" : "multi-point";
  json["num_p"] = file.num_p;
  json["components_declared"] = first.declared_count;
  json["spectrum_code"] = first.spectrum_code;
  json["gamma"] = Value(first.gamma);
  json["trailer"] = file.trailer ? TrailerJson(*file.trailer, result.spreading) : Json(nullptr);
  if (result.target) {
    Json target;
    target["kind"] = result.target->kind;
    target["label"] = result.target->label;
    target["points"] = result.target->points.size();
    if (const std::optional<SwanSource>& swan = result.target->swan) {
      target["normal_from_deg"] = Value(swan->frame.normal_from);
      target["clockwise"] = swan->frame.clockwise;
      target["offshore"] = swan::OffshoreName(swan->offshore);
      target["time"] = swan->stamp.empty() ? Json(nullptr) : Json(swan->stamp);
    }
    json["target"] = target;
  } else {
    json["target"] = nullptr;
  }
  json["expected_directions"] =
      result.spreading == Spreading::kSpread      ? "cos^2s spreading"
      : result.spreading == Spreading::kNotSpread ? "not spread"
      : result.spreading == Spreading::kFromData  ? "each point's own spectrum"
      : result.spreading == Spreading::kFromSwan  ? "the " + result.target->swan->model + " location's mean and spread"
                                                  : "none";
  Json points = Json::array();
  for (std::size_t v = 0; v < result.points.size(); ++v) points.push_back(PointJson(result, v));
  json["points"] = points;
  if (file.layout == FileLayout::kMultiPoint && !result.points.empty()) {
    const Hm0Along along_points = Hm0AlongThePoints(result);
    Json along;
    along["lowest_Hm0_m"] = Value(result.points[along_points.lowest].measured.Hm0);
    along["lowest_point"] = along_points.lowest + 1;
    along["highest_Hm0_m"] = Value(result.points[along_points.highest].measured.Hm0);
    along["highest_point"] = along_points.highest + 1;
    along["mean_Hm0_m"] = Value(along_points.mean);
    json["Hm0_along_the_points"] = along;
  }
  json["notes"] = result.notes;
  json["plot"] = plot ? Json(*plot) : Json(nullptr);
  if (result.series) {
    json["series_csv"] = series_csv ? Json(*series_csv) : Json(nullptr);
    json["series_repeating_points"] = result.series->repeating;
  }
  // File names from a Shift-JIS system are not UTF-8: their bytes are replaced.
  return json.dump(2, ' ', false, Json::error_handler_t::replace);
}

}  // namespace wavecomp::check
