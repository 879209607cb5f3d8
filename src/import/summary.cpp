#include "import/summary.h"

#include <nlohmann/json.hpp>

#include "textio/format.h"

namespace wavecomp::importer {
namespace {

// The worked example of the frame: a wave from 20 degrees anticlockwise of
// the normal (seen on a compass) meets the model axis at +-20 degrees.
constexpr double kExampleOffset = 20.0;

void Column(std::string& line, double value, int w, int d) { textio::PutF(line, value, w, d); }

const char* CoordinatesName(swan::Coordinates coordinates) {
  return coordinates == swan::Coordinates::kCartesian ? "LOCATIONS" : "LONLAT";
}
const char* FrequencyName(swan::FrequencyKind kind) {
  return kind == swan::FrequencyKind::kAbsolute ? "AFREQ" : "RFREQ";
}
const char* ConventionName(swan::DirectionConvention convention) {
  return convention == swan::DirectionConvention::kNautical ? "NDIR" : "CDIR";
}

std::string RefinementText(const std::string& model, const Refinement& refinement, std::size_t swan_count) {
  const RefinedGrid& grid = refinement.grid;
  std::string text;
  if (grid.factor == 1) {
    text = "the " + model + " frequencies as they are (" + std::to_string(swan_count) +
           "): the spline through them differs by " + textio::Percent(refinement.shortfall, 3) +
           " from the table's energy";
  } else {
    text = "refined " + std::to_string(grid.factor) + "x by linear interpolation between the " + model +
           " frequencies (" + std::to_string(swan_count) + " -> " + std::to_string(grid.frequencies.size()) +
           "), which keeps the table's energy; the spline through the " + model + " frequencies falls " +
           textio::Percent(refinement.unrefined_shortfall, 3) + " short of it, through the written ones " +
           textio::Percent(refinement.shortfall, 3);
  }
  text += refinement.sufficient ? ": N up to 1024 can be divided" : ": not enough, see the warnings";
  return text;
}

std::string OptionalNumber(const std::optional<double>& value, int w, int d) {
  std::string text;
  if (value) {
    textio::PutF(text, *value, w, d);
  } else {
    textio::PutA(text, "-", w);
  }
  return text;
}

nlohmann::json OptionalJson(const std::optional<double>& value) {
  return value ? nlohmann::json(*value) : nlohmann::json(nullptr);
}

}  // namespace

std::string FrameDescription(const swan::ModelFrame& frame) {
  const double from = swan::NauticalFrom(frame, frame.clockwise ? -kExampleOffset : kExampleOffset);
  const double theta = swan::ModelDirection(frame, from, swan::DirectionConvention::kNautical);
  return "--normal-from " + textio::FixedNumber(frame.normal_from, 2) + ": a wave from " +
         textio::FixedNumber(swan::NauticalFrom(frame, 0.0), 2) +
         " deg (nautical) travels along the model's x-axis (0 deg); model directions count " +
         (frame.clockwise ? "clockwise (--clockwise)" : "counterclockwise, from +x towards +y") + ": a wave from " +
         textio::FixedNumber(from, 2) + " deg is at " + (theta > 0.0 ? "+" : "") + textio::FixedNumber(theta, 2) +
         " deg";
}

std::string SummaryText(const ImportReport& report) {
  std::string text;
  const auto line = [&](const std::string& content) {
    text += content;
    text += '\n';
  };
  std::string file =
      "SWAN file   " + report.source + ": " + (report.two_dimensional ? "2D" : "1D") + " spectra (" + report.quantity +
      "), " +
      (report.stationary ? std::string("stationary")
                         : std::to_string(report.time_count) + (report.time_count == 1 ? " time" : " times")) +
      ", " + CoordinatesName(report.coordinates) + ", " + std::to_string(report.frequency_count) + " " +
      FrequencyName(report.frequency_kind) + " frequencies " + textio::FixedNumber(report.lowest_frequency, 4) +
      " to " + textio::FixedNumber(report.highest_frequency, 4) + " Hz";
  if (!report.description.empty()) {
    file = report.model + " file" + std::string(report.model.size() < 7 ? 7 - report.model.size() : 1, ' ') +
           report.source + ": " + report.description;
  } else if (report.two_dimensional) {
    file += ", " + std::to_string(report.direction_count) + " directions (" + ConventionName(report.convention) +
            (report.sector ? ", a sector" : ", the full circle") + ")";
  } else {
    file += std::string(", mean direction ") + ConventionName(report.convention) + " and spreading per frequency";
  }
  line(file);
  line("Frame       " + FrameDescription(report.frame));
  line(report.offshore == swan::Offshore::kDrop
           ? std::string("Offshore    drop") + (report.offshore_given ? " (--offshore drop)" : " (the default)") +
                 ": energy travelling offshore (beyond +-90 deg) is not incident and is left out; the files and "
                 "Tp, dir and spread below are those of the onshore part"
           : "Offshore    keep (--offshore keep): the files hold the whole sea as " + report.model +
                 " gives it; Tp, dir and spread below are the whole sea's");
  if (report.energy_density) {
    line("Densities   " + report.quantity + " divided by rho g = " + textio::FixedNumber(report.rho, 2) + " x " +
         textio::FixedNumber(report.g, 4));
  }
  for (const OutputReport& output : report.outputs) {
    line("");
    std::string heading = "Output      " + output.files.front();
    if (report.two_dimensional) {
      heading += " (Emep data) and " + output.files.back() + " (point list)";
    } else {
      heading += " (Sspe table)";
    }
    if (!output.stamp.empty()) heading += ", time " + output.stamp;
    line(heading);
    if (report.two_dimensional) {
      line("            " + std::to_string(output.locations.size()) +
           (output.locations.size() == 1 ? " point, " : " points, ") +
           std::to_string(output.refinement.grid.frequencies.size()) + " frequencies, " + std::to_string(output.mdd) +
           " directions from -180 deg in steps of " + textio::FixedNumber(360.0 / output.mdd, 4) +
           " deg (wavecomp keeps -90 to +90)");
    }
    line("Frequencies " + RefinementText(report.model, output.refinement, report.frequency_count));
    line(
        "  location            x            y  Hm0 total (m)  Hm0 onshore (m)    Tp (s)  dir (deg)  spread (deg)  "
        "offshore (%)");
    for (const LocationReport& location : output.locations) {
      std::string row;
      textio::PutI(row, static_cast<std::int64_t>(location.number), 10);
      Column(row, location.where.x, 13, 4);
      Column(row, location.where.y, 13, 4);
      Column(row, location.state.total_hm0, 15, 4);
      Column(row, location.state.onshore_hm0, 17, 4);
      row += OptionalNumber(location.state.tp, 10, 4);
      row += OptionalNumber(location.state.mean_direction, 11, 2);
      Column(row, location.state.spread, 14, 2);
      Column(row, 100.0 * location.state.offshore_share, 14, 2);
      if (location.zero) row += "  ZERO";
      line(row);
    }
    if (!report.two_dimensional) {
      const LocationReport& location = output.locations.front();
      std::string sspe = "Sspe header H1/3 " + textio::FixedNumber(location.sspe.h13, 4) + " m, T1/3 " +
                         textio::FixedNumber(location.sspe.t13, 4) + " s (Tp / 1.05), principal direction " +
                         textio::FixedNumber(location.sspe.direction, 2) + " deg";
      line(sspe);
      if (location.suggested_smax) {
        line("Smax        suggested for cont.txt: " + textio::FixedNumber(*location.suggested_smax, 1) +
             " (spreading " + textio::FixedNumber(*location.state.peak_spreading, 2) + " deg at the peak" +
             (*location.suggested_smax >= kUnspreadSmax ? ": unidirectional)"
              : *location.suggested_smax >= kNarrowestSmax
                  ? ": as narrow as wavecomp spreads around the principal "
                    "direction; 999 would send every component along the x-axis)"
                  : ")"));
      }
    }
  }
  if (!report.notes.empty()) {
    line("");
    line("Notes");
    for (const std::string& note : report.notes) line("  " + note);
  }
  if (!report.warnings.empty()) {
    line("");
    line("Warnings");
    for (const std::string& warning : report.warnings) line("  " + warning);
  }
  return text;
}

std::string SummaryJson(const ImportReport& report) {
  using nlohmann::json;
  json outputs = json::array();
  for (const OutputReport& output : report.outputs) {
    json locations = json::array();
    for (const LocationReport& location : output.locations) {
      json entry = {
          {"location", location.number},
          {"x", location.where.x},
          {"y", location.where.y},
          {"zero", location.zero},
          {"hm0", location.state.hm0},
          {"hm0_total", location.state.total_hm0},
          {"hm0_onshore", location.state.onshore_hm0},
          {"tp", OptionalJson(location.state.tp)},
          {"mean_direction", OptionalJson(location.state.mean_direction)},
          {"spread", location.state.spread},
          {"offshore_share", location.state.offshore_share},
      };
      if (!report.two_dimensional) {
        entry["h13"] = location.sspe.h13;
        entry["t13"] = location.sspe.t13;
        entry["principal_direction"] = location.sspe.direction;
        entry["peak_spreading"] = OptionalJson(location.state.peak_spreading);
        entry["suggested_smax"] = OptionalJson(location.suggested_smax);
      }
      locations.push_back(std::move(entry));
    }
    json entry = {
        {"time", output.stamp.empty() ? json(nullptr) : json(output.stamp)},
        {"files", output.files},
        {"layout", report.two_dimensional ? "Emep" : "Sspe"},
        {"refinement",
         {{"factor", output.refinement.grid.factor},
          {"swan_frequencies", report.frequency_count},
          {"written_frequencies", output.refinement.grid.frequencies.size()},
          {"shortfall_swan", output.refinement.unrefined_shortfall},
          {"shortfall_written", output.refinement.shortfall},
          {"sufficient", output.refinement.sufficient}}},
        {"locations", std::move(locations)},
    };
    if (report.two_dimensional) entry["directions"] = output.mdd;
    outputs.push_back(std::move(entry));
  }
  json document = {
      {"file", report.source},
      {"dimensions", report.two_dimensional ? 2 : 1},
      {"stationary", report.stationary},
      {"quantity", report.quantity},
      {"coordinates", CoordinatesName(report.coordinates)},
      {"frequencies", {{"kind", FrequencyName(report.frequency_kind)}, {"count", report.frequency_count}}},
      {"direction_convention", ConventionName(report.convention)},
      {"frame",
       {{"normal_from", report.frame.normal_from},
        {"clockwise", report.frame.clockwise},
        {"description", FrameDescription(report.frame)}}},
      {"offshore", swan::OffshoreName(report.offshore)},
      {"rho", report.rho},
      {"g", report.g},
      {"outputs", std::move(outputs)},
      {"notes", report.notes},
      {"warnings", report.warnings},
  };
  // A SWAN file's document is as it was before the other sources came.
  if (!report.description.empty()) document["source"] = {{"model", report.model}, {"description", report.description}};
  return document.dump(2) + "\n";
}

}  // namespace wavecomp::importer
