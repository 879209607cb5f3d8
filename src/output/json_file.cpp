#include "output/json_file.h"

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "core/component_layout.h"
#include "core/front_door.h"
#include "output/export_text.h"
#include "synthesis/numerics.h"
#include "textio/errors.h"

namespace wavecomp {
namespace {

using Json = nlohmann::ordered_json;
using namespace json_layout;

template <typename T>
Json OrNull(const std::optional<T>& value) {
  return value ? Json(*value) : Json(nullptr);
}

Json RunJson(const ComponentFileTrailer& trailer) {
  Json run;
  run["trailer"] = TrailerTypeName(trailer.kind);
  run["H13_m"] = trailer.H13;
  run["T13_s"] = trailer.T13;
  run["Dirc"] = trailer.Dirc;
  run["gamma"] = OrNull(trailer.gamma);
  run["seed"] = OrNull(trailer.seed);
  run["Smax"] = trailer.has_smax ? OrNull(trailer.Smax) : Json(nullptr);
  run["has_Smax"] = trailer.has_smax;
  run["input_file"] = trailer.input_file;
  return run;
}

// A JSON document is one value whatever its lines, so its errors name no line.
[[noreturn]] void Fail(const textio::TextFile& file, std::string_view expected, std::string_view found) {
  throw InputFailure("input error in " + textio::Printable(file.name()) + ": expected " + std::string(expected) +
                     ", found " + textio::Printable(found, 256));
}

const Json& Field(const textio::TextFile& file, const Json& object, const char* name, std::string_view where) {
  if (!object.is_object() || !object.contains(name)) {
    Fail(file, std::string(where) + " with the field \"" + name + "\"", "none");
  }
  return object[name];
}

double Number(const textio::TextFile& file, const Json& object, const char* name, std::string_view where) {
  const Json& value = Field(file, object, name, where);
  if (!value.is_number()) Fail(file, std::string("a number as \"") + name + "\" of " + std::string(where),
                               value.dump());
  return value.get<double>();
}

template <typename T>
std::optional<T> Optional(const textio::TextFile& file, const Json& run, const char* name) {
  const Json& value = Field(file, run, name, "the run record");
  if (value.is_null()) return std::nullopt;
  if (!value.is_number()) Fail(file, std::string("a number or null as \"") + name + "\" of the run", value.dump());
  return value.get<T>();
}

ComponentFileTrailer TrailerOf(const textio::TextFile& file, const Json& run) {
  ComponentFileTrailer trailer;
  const Json& kind = Field(file, run, "trailer", "the run record");
  if (kind == "JNS") {
    trailer.kind = TrailerKind::kJonswap;
  } else if (kind == "Sspe") {
    trailer.kind = TrailerKind::kSspe;
  } else if (kind == "Emep or Ene") {
    trailer.kind = TrailerKind::kEmepOrEne;
  } else {
    Fail(file, "\"trailer\": \"JNS\", \"Sspe\" or \"Emep or Ene\"", kind.dump());
  }
  trailer.H13 = Number(file, run, "H13_m", "the run record");
  trailer.T13 = Number(file, run, "T13_s", "the run record");
  trailer.Dirc = Number(file, run, "Dirc", "the run record");
  trailer.gamma = Optional<double>(file, run, "gamma");
  trailer.seed = Optional<std::int32_t>(file, run, "seed");
  const Json& has_smax = Field(file, run, "has_Smax", "the run record");
  if (!has_smax.is_boolean()) Fail(file, "true or false as \"has_Smax\"", has_smax.dump());
  trailer.has_smax = has_smax.get<bool>();
  trailer.Smax = Optional<double>(file, run, "Smax");
  const Json& name = Field(file, run, "input_file", "the run record");
  if (!name.is_string()) Fail(file, "a text as \"input_file\"", name.dump());
  trailer.input_file = name.get<std::string>();
  return trailer;
}

}  // namespace

void WriteJsonFile(textio::OutputFile& file, const ComponentSet& set, std::size_t point,
                   const ExportSettings& settings) {
  const ComponentSet::Point& p = set.points[point];
  const std::vector<double>& f = set.FrequenciesOf(p);
  const std::vector<double>& direction = set.DirectionsOf(p);
  const std::vector<double>& phase = set.PhasesOf(p);
  Json head;
  head["format"] = kFormat;
  head["source"] = settings.source;
  head["point"] = settings.point_number;
  head["convention"] =
      "eta = amplitude cos(2 pi f t + phase) at the origin; direction of travel anticlockwise from the shoreward "
      "x-axis";
  head["depth_m"] = settings.depth_m ? Json(*settings.depth_m) : Json(nullptr);
  head["run"] = settings.trailer ? RunJson(*settings.trailer) : Json(nullptr);
  // The head through the library; the components, a million values in the
  // largest export, one line each by hand (five times faster).
  std::string text = head.dump(1);
  text.resize(text.size() - 2);  // its closing brace, on a line of its own
  text += ",\n \"components\": [";
  file.WriteLine(text);
  const auto field = [](std::string& line, std::string_view name, double value) {
    line += ", \"";
    line += name;
    line += "\": ";
    line += export_text::Number(value);
  };
  std::string line;
  for (std::size_t i = 0; i < p.amplitude.size(); ++i) {
    line = "  {\"component\": " + std::to_string(i + 1);
    field(line, "frequency_Hz", f[i]);
    field(line, "period_s", 1.0 / f[i]);
    field(line, "amplitude_m", p.amplitude[i]);
    field(line, "height_m", 2.0 * p.amplitude[i]);
    field(line, "direction_deg", direction[i] * kDegreesPerRadian);
    field(line, "direction_rad", direction[i]);
    field(line, "phase_deg", phase[i] * kDegreesPerRadian);
    field(line, "phase_rad", phase[i]);
    if (settings.depth_m) {
      const double k = LinearWavenumber(f[i], *settings.depth_m);
      field(line, "wavenumber_rad_per_m", k);
      field(line, "wavelength_m", kTwoPi / k);
    }
    line += i + 1 < p.amplitude.size() ? "}," : "}";
    file.WriteLine(line);
  }
  file.WriteLine(" ]");
  file.WriteLine("}");
}

ComponentFileContents ReadJsonFile(const textio::TextFile& file) {
  std::string text;
  text.reserve(file.size());
  for (std::size_t k = 0, n = file.record_count(); k < n; ++k) (text += file.record(k)) += '\n';
  const Json document = Json::parse(text, nullptr, false);
  if (document.is_discarded()) Fail(file, "a JSON document", "text that is not JSON");
  const Json& format = Field(file, document, "format", "the document");
  if (format != kFormat) Fail(file, "\"format\": \"" + std::string(kFormat) + "\"", format.dump());
  const Json& list = Field(file, document, "components", "the document");
  if (!list.is_array()) Fail(file, "a list as \"components\"", list.type_name());
  std::vector<double> f, amplitude, direction, phase;
  for (const Json& c : list) {
    const std::string where = "component " + std::to_string(f.size() + 1);
    f.push_back(Number(file, c, "frequency_Hz", where));
    amplitude.push_back(Number(file, c, "amplitude_m", where));
    direction.push_back(Number(file, c, "direction_rad", where));
    phase.push_back(Number(file, c, "phase_rad", where));
    if (!(f.back() > 0.0)) Fail(file, "a frequency above 0 Hz in " + where, export_text::Number(f.back()));
    if (!(amplitude.back() >= 0.0)) Fail(file, "an amplitude of 0 m or more in " + where,
                                         export_text::Number(amplitude.back()));
  }
  ComponentFileContents contents = export_text::OnePoint(file.name(), 1, std::move(f), std::move(amplitude),
                                                         std::move(direction), std::move(phase));
  const Json& run = Field(file, document, "run", "the document");
  if (!run.is_null()) {
    contents.trailer = TrailerOf(file, run);
    const bool jonswap = contents.trailer->kind == TrailerKind::kJonswap;
    contents.headers.front().spectrum_code = jonswap ? component_layout::kJonswapCode : component_layout::kTabulatedCode;
    contents.headers.front().gamma = jonswap ? contents.trailer->gamma : std::optional<double>(0.0);
  }
  return contents;
}

}  // namespace wavecomp
