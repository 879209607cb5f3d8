// Glossary: t time, l location (the flattened other dimensions), i
// frequency, j direction; raw values as stored, decoded ones with the scale,
// offset and log10 undone and NaN where missing.
#include "input/netcdf_spectra.h"

#include <netcdf.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <optional>
#include <vector>

#include "core/front_door.h"
#include "core/workspace.h"
#include "input/spectral_sources.h"
#include "textio/format.h"

namespace wavecomp::spectra {
namespace {

constexpr double kMissing = std::numeric_limits<double>::quiet_NaN();
constexpr double kDegreesPerRadian = 180.0 / std::numbers::pi;
// The library's default fill of float variables is 9.96921e+36; values this
// large are no densities of a sea.
constexpr double kDefaultFill = 9.9e36;
// ERA5 (ECMWF, "2D wave spectra"): the first frequency and the ratio of the
// geometric frequency series.
constexpr double kEra5FirstFrequency = 0.03453;
constexpr double kEra5FrequencyRatio = 1.1;
constexpr const char* kDensityStandardName = "sea_surface_wave_directional_variance_spectral_density";

class Netcdf {
 public:
  explicit Netcdf(const std::string& path) : path_(path) {
    const int status = nc_open(path.c_str(), NC_NOWRITE, &id_);
    if (status != NC_NOERR) {
      struct stat info {};
      if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) throw textio::UnopenableFile("netCDF file", path);
      throw VariableError(path, "(none)", "a netCDF file", nc_strerror(status));
    }
  }
  ~Netcdf() { nc_close(id_); }
  Netcdf(const Netcdf&) = delete;
  Netcdf& operator=(const Netcdf&) = delete;

  const std::string& path() const { return path_; }

  std::optional<int> Var(const std::string& name) const {
    int var = 0;
    if (nc_inq_varid(id_, name.c_str(), &var) != NC_NOERR) return std::nullopt;
    return var;
  }
  std::string Name(int var) const {
    char name[NC_MAX_NAME + 1] = {};
    nc_inq_varname(id_, var, name);
    return name;
  }
  std::vector<std::string> VariableNames() const {
    int count = 0;
    nc_inq_nvars(id_, &count);
    std::vector<std::string> names;
    for (int var = 0; var < count; ++var) names.push_back(Name(var));
    return names;
  }
  std::string Text(int var, const char* attribute) const {
    nc_type type = 0;
    std::size_t length = 0;
    if (nc_inq_att(id_, var, attribute, &type, &length) != NC_NOERR || type != NC_CHAR) return {};
    std::string text(length, '\0');
    nc_get_att_text(id_, var, attribute, text.data());
    while (!text.empty() && text.back() == '\0') text.pop_back();
    return text;
  }
  std::optional<double> Number(int var, const char* attribute) const {
    nc_type type = 0;
    std::size_t length = 0;
    if (nc_inq_att(id_, var, attribute, &type, &length) != NC_NOERR || type == NC_CHAR || length != 1) {
      return std::nullopt;
    }
    double value = 0.0;
    nc_get_att_double(id_, var, attribute, &value);
    return value;
  }
  std::vector<std::string> Dims(int var) const {
    int count = 0;
    nc_inq_varndims(id_, var, &count);
    std::vector<int> ids(static_cast<std::size_t>(count));
    nc_inq_vardimid(id_, var, ids.data());
    std::vector<std::string> names;
    for (const int dim : ids) {
      char name[NC_MAX_NAME + 1] = {};
      nc_inq_dimname(id_, dim, name);
      names.emplace_back(name);
    }
    return names;
  }
  std::vector<std::size_t> Shape(int var) const {
    int count = 0;
    nc_inq_varndims(id_, var, &count);
    std::vector<int> ids(static_cast<std::size_t>(count));
    nc_inq_vardimid(id_, var, ids.data());
    std::vector<std::size_t> shape;
    for (const int dim : ids) {
      std::size_t length = 0;
      nc_inq_dimlen(id_, dim, &length);
      shape.push_back(length);
    }
    return shape;
  }
  // The values with scale_factor and add_offset applied, NaN where missing.
  std::vector<double> Decoded(int var) const {
    std::size_t count = 1;
    for (const std::size_t length : Shape(var)) count *= length;
    std::vector<double> values(count);
    const int status = nc_get_var_double(id_, var, values.data());
    if (status != NC_NOERR) throw VariableError(path_, Name(var), "numbers", nc_strerror(status));
    const std::optional<double> fill = Number(var, "_FillValue");
    const std::optional<double> missing = Number(var, "missing_value");
    const double scale = Number(var, "scale_factor").value_or(1.0);
    const double offset = Number(var, "add_offset").value_or(0.0);
    for (double& value : values) {
      if (std::isnan(value) || (fill && value == *fill) || (missing && value == *missing) ||
          std::fabs(value) >= kDefaultFill) {
        value = kMissing;
      } else {
        value = value * scale + offset;
      }
    }
    return values;
  }

 private:
  std::string path_;
  int id_ = -1;
};

std::string Lower(std::string text) {
  for (char& c : text) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  return text;
}

std::string Quoted(const std::string& text) { return text.empty() ? "no units" : "\"" + text + "\""; }

// Seconds since 1970-01-01 of "UNIT since YYYY-MM-DD[ T]hh:mm:ss[...]".
std::optional<std::pair<double, double>> TimeUnits(const std::string& units) {
  const std::size_t since = units.find(" since ");
  if (since == std::string::npos) return std::nullopt;
  const std::string unit = Lower(units.substr(0, since));
  double seconds = 0.0;
  if (unit == "seconds" || unit == "second" || unit == "s") {
    seconds = 1.0;
  } else if (unit == "minutes" || unit == "minute") {
    seconds = 60.0;
  } else if (unit == "hours" || unit == "hour" || unit == "h") {
    seconds = 3600.0;
  } else if (unit == "days" || unit == "day" || unit == "d") {
    seconds = 86400.0;
  } else {
    return std::nullopt;
  }
  int year = 0, month = 0, day = 0, hour = 0, minute = 0;
  double second = 0.0;
  const std::string origin = units.substr(since + 7);
  const int read = std::sscanf(origin.c_str(), "%d-%d-%d%*[ T]%d:%d:%lf", &year, &month, &day, &hour, &minute, &second);
  if (read < 3) return std::nullopt;
  // Days from 1970-01-01 to the origin's date (proleptic Gregorian).
  const long y = month <= 2 ? year - 1 : year;
  const long era = (y >= 0 ? y : y - 399) / 400;
  const long yoe = y - era * 400;
  const long doy = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const double days = static_cast<double>(era * 146097 + doe - 719468);
  return std::pair{days * 86400.0 + hour * 3600.0 + minute * 60.0 + second, seconds};
}

std::vector<swan::TimeStep> Times(const Netcdf& nc, std::size_t count, bool has_time) {
  std::vector<swan::TimeStep> times;
  if (!has_time) {
    times.emplace_back();
    return times;
  }
  const std::optional<int> var = nc.Var("time");
  if (!var) throw VariableError(nc.path(), "time", "a coordinate variable of the time dimension", "none");
  const std::string units = nc.Text(*var, "units");
  const std::optional<std::pair<double, double>> origin = TimeUnits(units);
  if (!origin) {
    throw VariableError(nc.path(), "time", "units \"seconds|minutes|hours|days since YYYY-MM-DD hh:mm:ss\"",
                        Quoted(units));
  }
  const std::vector<double> values = nc.Decoded(*var);
  for (std::size_t t = 0; t < count; ++t) {
    if (std::isnan(values[t])) throw VariableError(nc.path(), "time", "a time at every index", "a missing value");
    times.push_back(TimeFromEpoch(origin->first + values[t] * origin->second));
  }
  return times;
}

// A coordinate whose values are the indices 1..n (ERA5's GRIB conversion).
bool AreIndices(const std::vector<double>& values) {
  for (std::size_t k = 0; k < values.size(); ++k) {
    if (values[k] != static_cast<double>(k + 1)) return false;
  }
  return true;
}

std::optional<int> DensityVariable(const Netcdf& nc) {
  for (const char* name : {"efth", "density", "d2fd"}) {
    if (const std::optional<int> var = nc.Var(name)) return var;
  }
  for (const std::string& name : nc.VariableNames()) {
    const std::optional<int> var = nc.Var(name);
    if (nc.Text(*var, "standard_name") == kDensityStandardName) return var;
  }
  return std::nullopt;
}

std::string NameList(const std::vector<std::string>& names) {
  std::string list;
  for (std::size_t k = 0; k < names.size() && k < 20; ++k) list += (k > 0 ? ", " : "") + names[k];
  if (names.size() > 20) list += ", ...";
  return list.empty() ? "no variables" : list;
}

}  // namespace

VariableError::VariableError(const std::string& file, const std::string& variable, const std::string& expected,
                             const std::string& found)
    : textio::InputError("input error in " + textio::Printable(file) + ", variable " + variable + ": expected " +
                             expected + ", found " + found,
                         file) {}

bool LooksLikeNetcdf(const std::string& path) {
  const std::string head = FileHead(path, 8);
  return head.starts_with("CDF\x01") || head.starts_with("CDF\x02") || head.starts_with("CDF\x05") ||
         head.starts_with("\x89HDF\r\n\x1a\n");
}

bool IsNdbcNetcdf(const std::string& path) {
  if (!LooksLikeNetcdf(path)) return false;
  try {
    const Netcdf nc(path);
    return nc.Var("spectral_wave_density").has_value();
  } catch (const textio::InputError&) {
    return false;
  }
}

swan::SwanFile ReadNetcdfSpectra(const std::string& path) {
  const Netcdf nc(path);
  const std::optional<int> density = DensityVariable(nc);
  if (!density) {
    if (nc.Var("spectral_wave_density")) return BuoySpectra(ReadNdbcNetcdf(path));
    throw VariableError(path, "(none)",
                        "a directional spectral density: efth, density, d2fd or a variable whose standard_name is " +
                            std::string(kDensityStandardName),
                        NameList(nc.VariableNames()));
  }
  const std::string name = nc.Name(*density);
  const bool era5 = name == "d2fd";
  const std::vector<std::string> dims = nc.Dims(*density);
  const std::vector<std::size_t> shape = nc.Shape(*density);

  // The role of each dimension of the density.
  std::optional<std::size_t> time_dim, frequency_dim, direction_dim;
  std::vector<std::size_t> location_dims;
  for (std::size_t d = 0; d < dims.size(); ++d) {
    const std::string dim = Lower(dims[d]);
    if (dim == "time") {
      time_dim = d;
    } else if (dim == "frequency" || dim == "freq") {
      frequency_dim = d;
    } else if (dim == "direction" || dim == "dir") {
      direction_dim = d;
    } else {
      location_dims.push_back(d);
    }
  }
  std::string dim_list;
  for (const std::string& dim : dims) dim_list += (dim_list.empty() ? "" : ", ") + dim;
  if (!frequency_dim || !direction_dim) {
    throw VariableError(path, name, "the dimensions frequency and direction", "(" + dim_list + ")");
  }

  // Frequencies, Hz.
  const std::optional<int> frequency_var = nc.Var(dims[*frequency_dim]);
  if (!frequency_var) throw VariableError(path, dims[*frequency_dim], "a coordinate variable", "none");
  std::vector<double> f = nc.Decoded(*frequency_var);
  const std::string frequency_units = nc.Text(*frequency_var, "units");
  std::string frequency_note;
  if (era5 && frequency_units.empty() && AreIndices(f)) {
    for (std::size_t i = 0; i < f.size(); ++i) {
      f[i] = kEra5FirstFrequency * std::pow(kEra5FrequencyRatio, static_cast<double>(i));
    }
    frequency_note = " (ERA5 indices: 0.03453 Hz x 1.1^(n-1))";
  } else if (Lower(frequency_units) != "s-1" && Lower(frequency_units) != "hz" && Lower(frequency_units) != "s^-1") {
    throw VariableError(path, dims[*frequency_dim], "units s-1 or Hz", Quoted(frequency_units));
  }
  if (f.size() < 2 || f.size() > static_cast<std::size_t>(kMaxFrequencies)) {
    throw VariableError(path, dims[*frequency_dim], "2 to " + std::to_string(kMaxFrequencies) + " frequencies",
                        std::to_string(f.size()));
  }
  for (std::size_t i = 0; i < f.size(); ++i) {
    if (!(f[i] > 0.0) || (i > 0 && !(f[i] > f[i - 1]))) {
      throw VariableError(path, dims[*frequency_dim], "positive frequencies rising",
                          "value " + std::to_string(i + 1) + " = " + textio::PlainNumber(f[i]));
    }
  }

  // Directions: degrees from which the waves come.
  const std::optional<int> direction_var = nc.Var(dims[*direction_dim]);
  if (!direction_var) throw VariableError(path, dims[*direction_dim], "a coordinate variable", "none");
  std::vector<double> direction = nc.Decoded(*direction_var);
  const std::string direction_units = Lower(nc.Text(*direction_var, "units"));
  const std::string standard = nc.Text(*direction_var, "standard_name");
  bool going_to = false;
  std::string direction_note;
  if (era5 && direction_units.empty() && AreIndices(direction)) {
    const double step = 360.0 / static_cast<double>(direction.size());
    for (std::size_t j = 0; j < direction.size(); ++j) direction[j] = (static_cast<double>(j) + 0.5) * step;
    going_to = true;
    direction_note = "ERA5 indices n: (n - 1/2) " + textio::PlainNumber(step) +
                     " deg, travelling to (ECMWF's oceanographic convention)";
  } else {
    double factor = 1.0;
    if (direction_units == "radians" || direction_units == "radian" || direction_units == "rad") {
      factor = kDegreesPerRadian;
    } else if (direction_units != "degree" && direction_units != "degrees" && direction_units != "deg" &&
               direction_units != "degrees_true") {
      throw VariableError(path, dims[*direction_dim], "units degree or radians", Quoted(direction_units));
    }
    if (standard == "sea_surface_wave_to_direction") {
      going_to = true;
    } else if (standard != "sea_surface_wave_from_direction") {
      throw VariableError(path, dims[*direction_dim],
                          "standard_name sea_surface_wave_from_direction or sea_surface_wave_to_direction",
                          standard.empty() ? "none" : "\"" + standard + "\"");
    }
    for (double& value : direction) value *= factor;
    direction_note = std::string(factor == 1.0 ? "degrees" : "radians") + ", " + standard;
  }
  if (direction.size() < 2 || direction.size() > static_cast<std::size_t>(kMaxDirections)) {
    throw VariableError(path, dims[*direction_dim], "2 to " + std::to_string(kMaxDirections) + " directions",
                        std::to_string(direction.size()));
  }
  for (double& value : direction) {
    if (std::isnan(value)) throw VariableError(path, dims[*direction_dim], "a direction at every index", "missing");
    value = going_to ? FromOfGoingTo(value) : std::fmod(std::fmod(value, 360.0) + 360.0, 360.0);
  }

  // Units and encoding of the density.
  const std::string units = nc.Text(*density, "units");
  const std::string unit_key = Lower(units);
  double per_degree = 1.0;
  if (unit_key == "m2 s rad-1" || unit_key == "m**2 s radian**-1" || unit_key == "m2 s rad**-1" ||
      unit_key == "m2/hz/rad" || unit_key == "m^2 s rad^-1") {
    per_degree = 1.0 / kDegreesPerRadian;
  } else if (unit_key != "m2 s degree-1" && unit_key != "m2/hz/deg" && unit_key != "m2/hz/degr" &&
             unit_key != "m2 s deg-1") {
    throw VariableError(path, name, "units m2 s rad-1 or m2 s degree-1 (a variance density)", Quoted(units));
  }

  const std::size_t nf = f.size();
  const std::size_t nd = direction.size();
  const std::size_t nt = time_dim ? shape[*time_dim] : 1;
  std::size_t nl = 1;
  for (const std::size_t d : location_dims) nl *= shape[d];
  if (nl > static_cast<std::size_t>(kMaxPoints)) {
    throw VariableError(path, name, "at most " + std::to_string(kMaxPoints) + " locations",
                        std::to_string(nl) + " (" + dim_list + ")");
  }
  std::vector<std::size_t> stride(dims.size(), 1);
  for (std::size_t d = dims.size(); d-- > 1;) stride[d - 1] = stride[d] * shape[d];

  swan::SwanFile file = Directional2D(path, era5 ? "ERA5" : "netCDF", f, direction);
  file.times = Times(nc, nt, time_dim.has_value());
  if (!time_dim) file.time_coding.reset();

  // Longitude and latitude of every location, where the file has them.
  file.locations.assign(nl, swan::Location{});
  const auto coordinate = [&](const char* which, double swan::Location::*member) {
    const std::optional<int> var = nc.Var(which);
    if (!var) return;
    const std::vector<std::string> coordinate_dims = nc.Dims(*var);
    const std::vector<double> values = nc.Decoded(*var);
    for (std::size_t l = 0; l < nl; ++l) {
      std::size_t rest = l, index = 0, inner = 1;
      std::vector<std::size_t> at(dims.size(), 0);
      for (std::size_t k = location_dims.size(); k-- > 0;) {
        at[location_dims[k]] = rest % shape[location_dims[k]];
        rest /= shape[location_dims[k]];
      }
      for (std::size_t c = coordinate_dims.size(); c-- > 0;) {
        const auto d = std::find(dims.begin(), dims.end(), coordinate_dims[c]);
        const std::size_t position = d == dims.end() ? 0 : at[static_cast<std::size_t>(d - dims.begin())];
        index += position * inner;
        inner *= nc.Shape(*var)[c];
      }
      if (index < values.size() && !std::isnan(values[index])) file.locations[l].*member = values[index];
    }
  };
  coordinate("longitude", &swan::Location::x);
  coordinate("latitude", &swan::Location::y);

  const std::vector<double> values = nc.Decoded(*density);
  std::size_t no_data = 0;
  for (std::size_t t = 0; t < nt; ++t) {
    swan::TimeStep& time = file.times[t];
    for (std::size_t l = 0; l < nl; ++l) {
      std::size_t base = time_dim ? t * stride[*time_dim] : 0;
      std::size_t rest = l;
      for (std::size_t k = location_dims.size(); k-- > 0;) {
        base += rest % shape[location_dims[k]] * stride[location_dims[k]];
        rest /= shape[location_dims[k]];
      }
      swan::LocationBlock& block = time.locations.emplace_back();
      block.kind = swan::BlockKind::kValues;
      block.factor = 1.0;
      block.values.assign(nf * nd, 0.0);
      std::size_t missing = 0;
      for (std::size_t i = 0; i < nf; ++i) {
        for (std::size_t j = 0; j < nd; ++j) {
          const double raw = values[base + i * stride[*frequency_dim] + j * stride[*direction_dim]];
          if (std::isnan(raw)) {
            ++missing;
            continue;
          }
          const double value = (era5 ? std::pow(10.0, raw) : raw) * per_degree;
          if (value < 0.0) {
            throw VariableError(path, name, "densities that are not negative",
                                textio::PlainNumber(value) + " at time " + std::to_string(t + 1) + ", location " +
                                    std::to_string(l + 1));
          }
          block.values[i * nd + j] = value;
        }
      }
      if (missing == nf * nd) {
        block.kind = swan::BlockKind::kNoData;
        block.values.clear();
        ++no_data;
      } else {
        block.missing = era5 ? 0 : missing;
      }
    }
  }

  file.no_data_reason = "every value of " + name + " is missing";
  if (era5) {
    file.notes.push_back(
        "d2fd holds log10 of the density (ECMWF): decoded as 10^value; missing values are "
        "densities too small to encode and count as zero");
  }
  if (no_data > 0) {
    file.notes.push_back(std::to_string(no_data) + " location times have every value of " + name +
                         " missing (land or outside the model): no data");
  }
  file.description = name + " (" + units + (per_degree != 1.0 ? ", divided by 180/pi" : "") + "), " +
                     std::to_string(nt) + (nt == 1 ? " time, " : " times, ") + std::to_string(nl) +
                     (nl == 1 ? " location (" : " locations (") + dim_list + "), " + std::to_string(nf) +
                     " frequencies " + textio::FixedNumber(f.front(), 4) + " to " + textio::FixedNumber(f.back(), 4) +
                     " Hz" + frequency_note + ", " + std::to_string(nd) + " directions (" + direction_note +
                     (going_to ? ": turned to coming from" : "") + ")";
  return file;
}

BuoySeries ReadNdbcNetcdf(const std::string& path) {
  const Netcdf nc(path);
  BuoySeries series;
  series.name = path;
  const char* const kNames[5] = {"spectral_wave_density", "mean_wave_dir", "principal_wave_dir", "wave_spectrum_r1",
                                 "wave_spectrum_r2"};
  std::vector<std::vector<double>> columns;
  std::vector<std::size_t> shape;
  for (const char* name : kNames) {
    const std::optional<int> var = nc.Var(name);
    if (!var) {
      if (columns.empty()) throw VariableError(path, name, "NDBC's spectral density", NameList(nc.VariableNames()));
      break;
    }
    const std::vector<std::string> dims = nc.Dims(*var);
    if (dims.empty() || dims[0] != "time" || dims.size() < 2 || dims[1] != "frequency") {
      std::string list;
      for (const std::string& dim : dims) list += (list.empty() ? "" : ", ") + dim;
      throw VariableError(path, name, "the dimensions (time, frequency, ...) of one buoy", "(" + list + ")");
    }
    if (columns.empty()) shape = nc.Shape(*var);
    columns.push_back(nc.Decoded(*var));
  }
  series.directional = columns.size() == 5;
  const std::optional<int> frequency = nc.Var("frequency");
  if (!frequency) throw VariableError(path, "frequency", "a coordinate variable", "none");
  series.frequencies = nc.Decoded(*frequency);
  const std::size_t nf = series.frequencies.size();
  std::size_t per_time = 1;
  for (std::size_t d = 1; d < shape.size(); ++d) per_time *= shape[d];
  if (per_time != nf) {
    throw VariableError(path, "spectral_wave_density", "one buoy (latitude and longitude of length 1)",
                        std::to_string(per_time / std::max<std::size_t>(nf, 1)) + " locations");
  }
  if (const std::optional<int> lon = nc.Var("longitude")) series.longitude = nc.Decoded(*lon).front();
  if (const std::optional<int> lat = nc.Var("latitude")) series.latitude = nc.Decoded(*lat).front();
  const std::vector<swan::TimeStep> times = Times(nc, shape[0], true);
  std::size_t missing_direction = 0;
  for (std::size_t t = 0; t < shape[0]; ++t) {
    BuoyRecord& record = series.records.emplace_back();
    record.time = times[t];
    std::vector<double>* parts[5] = {&record.density, &record.alpha1, &record.alpha2, &record.r1, &record.r2};
    for (std::size_t k = 0; k < columns.size(); ++k) {
      parts[k]->assign(columns[k].begin() + static_cast<std::ptrdiff_t>(t * nf),
                       columns[k].begin() + static_cast<std::ptrdiff_t>((t + 1) * nf));
    }
    for (const double value : record.density) series.missing_density += std::isnan(value) ? 1 : 0;
    if (series.directional) {
      for (std::size_t i = 0; i < nf; ++i) missing_direction += std::isnan(record.alpha1[i]) ? 1 : 0;
    }
  }
  series.layout = std::string("NDBC netCDF") + (series.directional ? "" : " without direction variables");
  if (missing_direction > 0) {
    series.notes.push_back(std::to_string(missing_direction) +
                           " frequency records had no mean_wave_dir (alpha1; fill value)");
  }
  return series;
}

}  // namespace wavecomp::spectra
