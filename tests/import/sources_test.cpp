// wavecomp-import ww3, netcdf and ndbc end to end: synthetic files of every
// layout, each holding a known sea, through the importer, wavecomp at
// N = 1024 and wavecomp-check against the file itself; the refusals of each
// reader; and the real samples in ../shared/spectra-samples.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "import/import_run.h"
#include "import/source_files.h"
#include "support/test_support.h"

namespace wavecomp::testing {
namespace {

constexpr double kHs = 1.5;              // m
constexpr double kTp = 10.0;             // s
constexpr double kS = 20.0;              // cos^2s spreading
constexpr double kStamp = 1704110400.0;  // 2024-01-01 12:00 UTC, seconds since 1970
const std::string kTime = "20240101.120000";

// What the file holds, worked out from the numbers as written.
struct Truth {
  std::string file;              // the file given to the importer and the checker
  double centre = 0.0;           // nautical degrees the sea comes from
  double hm0 = 0.0;              // m
  std::optional<double> spread;  // degrees; none for a 1D file
};

double Parsed(const std::string& text) { return std::strtod(text.c_str(), nullptr); }

// First-moment spread (degrees) of a distribution on a grid.
double Spread(const std::vector<double>& theta, const std::vector<double>& D, double centre, double step) {
  double R = 0.0;
  for (std::size_t j = 0; j < theta.size(); ++j) R += D[j] * std::cos((theta[j] - centre) * kPi / 180.0) * step;
  return std::sqrt(2.0 * (1.0 - R)) * 180.0 / kPi;
}

// A model's 2D sea on 24 directions of 15 degrees (nodes `first` + 15 j,
// the sea coming from node `centre`) and the given frequencies: E(f, theta)
// per radian, frequency-major, before it is written.
struct ModelSea {
  std::vector<double> f, from, E;
  double centre, spread;
};
ModelSea MakeModelSea(std::vector<double> f, double first, double centre) {
  ModelSea sea{std::move(f), {}, {}, centre, 0.0};
  for (int j = 0; j < 24; ++j) sea.from.push_back(std::fmod(first + 15.0 * j, 360.0));
  const std::vector<double> D = Cos2s(sea.from, centre, kS, 15.0);
  sea.spread = Spread(sea.from, D, centre, 15.0);
  for (const double f_i : sea.f) {
    for (const double d : D) sea.E.push_back(PiersonMoskowitz(f_i, kHs, kTp) * d * 180.0 / kPi);
  }
  return sea;
}
std::vector<double> Geometric(double first, int count) {
  std::vector<double> f;
  for (int i = 0; i < count; ++i) f.push_back(first * std::pow(1.1, i));
  return f;
}
// Hm0 of densities per radian on 24 directions.
double Hm0PerRadian(const std::vector<double>& f, const std::vector<double>& E) {
  std::vector<double> S(f.size(), 0.0);
  for (std::size_t i = 0; i < f.size(); ++i) {
    for (std::size_t j = 0; j < 24; ++j) S[i] += E[i * 24 + j] * 2.0 * kPi / 24.0;
  }
  return 4.0 * std::sqrt(Trapezoid(f, S));
}

Truth WriteWw3Text(const ScratchDir& dir) {
  ModelSea sea = MakeModelSea(Geometric(0.04, 30), 0.0, 255.0);
  std::string text = "'WAVEWATCH III SPECTRA'     30    24     1 'synthetic grid'\n";
  for (std::size_t i = 0; i < sea.f.size(); ++i) {
    const std::string written = Format(" %.6E", sea.f[i]);
    sea.f[i] = Parsed(written);
    text += written + (i % 8 == 7 || i + 1 == sea.f.size() ? "\n" : "");
  }
  // Written as ww3_outp does: the direction travelled to, in radians.
  for (std::size_t j = 0; j < 24; ++j) {
    text += Format(" %.9E", std::fmod(sea.from[j] + 180.0, 360.0) * kPi / 180.0) + (j % 7 == 6 || j == 23 ? "\n" : "");
  }
  text += "20240101 120000\n'BUOY 1    '  40.98 -71.12      46.6   1.45 225.6   0.18  94.1\n";
  std::vector<double> written_E(sea.E.size());
  std::size_t column = 0;
  for (std::size_t j = 0; j < 24; ++j) {
    for (std::size_t i = 0; i < sea.f.size(); ++i) {
      const std::string value = Format(" %.6E", sea.E[i * 24 + j]);
      written_E[i * 24 + j] = Parsed(value);
      text += value + (++column % 7 == 0 ? "\n" : "");
    }
  }
  text += "\n";
  dir.Write("sea.ww3", text);
  return {"sea.ww3", sea.centre, Hm0PerRadian(sea.f, written_E), sea.spread};
}

// WAVEWATCH III's netCDF point output: efth in m2 s rad-1, directions
// travelled to in degrees.
Truth WriteWw3Netcdf(const ScratchDir& dir) {
  const ModelSea sea = MakeModelSea(Geometric(0.04, 30), 0.0, 255.0);
  std::vector<double> to, f, E;
  for (const double from : sea.from) to.push_back(std::fmod(from + 180.0, 360.0));
  for (const double value : sea.f) f.push_back(static_cast<float>(value));
  for (const double value : sea.E) E.push_back(static_cast<float>(value));
  WriteNetcdf(dir.PathOf("ww3.nc"), {{"time", 1}, {"station", 1}, {"frequency", 30}, {"direction", 24}},
              {{"time",
                NC_DOUBLE,
                {"time"},
                {{"units", "days since 1990-01-01T00:00:00Z"}},
                {},
                {(kStamp - 631152000.0) / 86400.0}},
               {"frequency", NC_FLOAT, {"frequency"}, {{"units", "s-1"}}, {}, f},
               {"direction",
                NC_FLOAT,
                {"direction"},
                {{"units", "degree"}, {"standard_name", "sea_surface_wave_to_direction"}},
                {},
                to},
               {"longitude", NC_FLOAT, {"time", "station"}, {}, {}, {92.1}},
               {"latitude", NC_FLOAT, {"time", "station"}, {}, {}, {19.95}},
               {"efth",
                NC_FLOAT,
                {"time", "station", "frequency", "direction"},
                {{"units", "m2 s rad-1"}},
                {{"_FillValue", 9.96921e36}, {"scale_factor", 1.0}, {"add_offset", 0.0}},
                E}});
  return {"ww3.nc", sea.centre, Hm0PerRadian(f, E), sea.spread};
}

// SWAN's netCDF: density in m2 s rad-1, directions coming from in radians.
Truth WriteSwanNetcdf(const ScratchDir& dir) {
  const ModelSea sea = MakeModelSea(Geometric(0.04, 30), 0.0, 255.0);
  std::vector<double> radians;
  for (const double from : sea.from) radians.push_back((from > 180.0 ? from - 360.0 : from) * kPi / 180.0);
  WriteNetcdf(
      dir.PathOf("swan.nc"), {{"time", 1}, {"points", 1}, {"frequency", 30}, {"direction", 24}},
      {{"time", NC_DOUBLE, {"time"}, {{"units", "seconds since 1970-01-01"}}, {}, {kStamp}},
       {"frequency", NC_DOUBLE, {"frequency"}, {{"units", "s-1"}}, {}, sea.f},
       {"direction",
        NC_DOUBLE,
        {"direction"},
        {{"units", "radians"}, {"standard_name", "sea_surface_wave_from_direction"}},
        {},
        radians},
       {"density", NC_DOUBLE, {"time", "points", "frequency", "direction"}, {{"units", "m2 s rad-1"}}, {}, sea.E}});
  return {"swan.nc", sea.centre, Hm0PerRadian(sea.f, sea.E), sea.spread};
}

// ERA5: d2fd as log10 in scaled shorts, frequencies and directions as
// indices; the directions those travelled to, (n - 1/2) 15 degrees.
Truth WriteEra5Netcdf(const ScratchDir& dir) {
  const ModelSea sea = MakeModelSea(Geometric(0.03453, 30), 187.5, 247.5);
  const double scale = 1.5e-4, offset = -2.4;
  std::vector<double> stored, decoded;
  for (const double value : sea.E) {
    if (value < 1e-7) {  // too small to encode: ECMWF leaves it missing
      stored.push_back(-32767.0);
      decoded.push_back(0.0);
      continue;
    }
    const double q = std::round((std::log10(value) - offset) / scale);
    stored.push_back(q);
    decoded.push_back(std::pow(10.0, q * scale + offset));
  }
  std::vector<double> f_index, d_index;
  for (int k = 1; k <= 30; ++k) f_index.push_back(k);
  for (int k = 1; k <= 24; ++k) d_index.push_back(k);
  // The index order of the file is time, frequency, direction, latitude, longitude.
  WriteNetcdf(
      dir.PathOf("era5.nc"), {{"longitude", 1}, {"latitude", 1}, {"direction", 24}, {"frequency", 30}, {"time", 1}},
      {{"longitude", NC_FLOAT, {"longitude"}, {{"units", "degrees_east"}}, {}, {36.0}},
       {"latitude", NC_FLOAT, {"latitude"}, {{"units", "degrees_north"}}, {}, {36.0}},
       {"direction", NC_INT, {"direction"}, {{"long_name", "direction"}}, {}, d_index},
       {"frequency", NC_INT, {"frequency"}, {{"long_name", "frequency"}}, {}, f_index},
       {"time", NC_INT, {"time"}, {{"units", "hours since 1900-01-01 00:00:00.0"}}, {}, {kStamp / 3600.0 + 613608.0}},
       {"d2fd",
        NC_SHORT,
        {"time", "frequency", "direction", "latitude", "longitude"},
        {{"units", "m**2 s radian**-1"}, {"long_name", "2D wave spectra (single)"}},
        {{"scale_factor", scale}, {"add_offset", offset}, {"_FillValue", -32767.0}, {"missing_value", -32767.0}},
        stored}});
  return {"era5.nc", sea.centre, Hm0PerRadian(sea.f, decoded), sea.spread};
}

// A buoy's spectrum and, for cos^2s spreading around `centre`, its Fourier
// coefficients in closed form: r1 = s/(s+1), r2 = s(s-1)/((s+1)(s+2)).
struct BuoySea {
  std::vector<double> f, S;
  double r1 = kS / (kS + 1.0);
  double r2 = kS * (kS - 1.0) / ((kS + 1.0) * (kS + 2.0));
  double centre = 255.0;
};
BuoySea MakeBuoySea() {
  BuoySea sea;
  for (int i = 0; i < 46; ++i) {
    sea.f.push_back(0.03 + 0.01 * i);
    sea.S.push_back(PiersonMoskowitz(sea.f.back(), kHs, kTp));
  }
  return sea;
}
double BuoySpread(double r1) { return std::sqrt(2.0 * (1.0 - r1)) * 180.0 / kPi; }

// The realtime five-file set, newest record first; the older record has
// NDBC's missing-value codes.
Truth WriteNdbcRealtime(const ScratchDir& dir) {
  BuoySea sea = MakeBuoySea();
  const auto file = [&](const std::string& name, bool separation, const std::function<std::string(std::size_t)>& value,
                        const std::function<std::string(std::size_t)>& older) {
    std::string text = "#YY  MM DD hh mm" + std::string(separation ? " Sep_Freq" : "") + "  < spec_1 (freq_1) ... >\n";
    for (int record = 0; record < 2; ++record) {
      text += record == 0 ? "2024 01 01 12 00" : "2024 01 01 11 00";
      if (separation) text += " 0.250";
      for (std::size_t i = 0; i < sea.f.size(); ++i) {
        text += " " + (record == 0 ? value(i) : older(i)) + " (" + Format("%.3f", sea.f[i]) + ")";
      }
      text += "\n";
    }
    dir.Write(name, text);
  };
  std::vector<double> S;
  file(
      "99999.data_spec", true,
      [&](std::size_t i) {
        const std::string text = Format("%.6f", sea.S[i]);
        S.push_back(Parsed(text));
        return text;
      },
      [](std::size_t i) { return i % 2 ? std::string("99.00") : Format("%.3f", 0.1); });
  file(
      "99999.swdir", false, [&](std::size_t) { return Format("%.1f", sea.centre); },
      [](std::size_t) { return std::string("999.0"); });
  file(
      "99999.swdir2", false, [&](std::size_t) { return Format("%.1f", sea.centre); },
      [](std::size_t) { return std::string("999.0"); });
  file(
      "99999.swr1", false, [&](std::size_t) { return Format("%.4f", sea.r1); },
      [](std::size_t) { return std::string("999.00"); });
  file(
      "99999.swr2", false, [&](std::size_t) { return Format("%.4f", sea.r2); },
      [](std::size_t) { return std::string("999.00"); });
  return {"99999.data_spec", sea.centre, 4.0 * std::sqrt(Trapezoid(sea.f, S)),
          BuoySpread(Parsed(Format("%.4f", sea.r1)))};
}

// The historical yearly files, gzip; r1 and r2 in hundredths as NDBC
// writes them. Without `directions` only the density file, plain.
Truth WriteNdbcHistorical(const ScratchDir& dir, bool directions) {
  BuoySea sea = MakeBuoySea();
  std::string header = "#YY  MM DD hh mm";
  for (const double f : sea.f) header += Format(" %.4f", f);
  const auto file = [&](char letter, const std::function<std::string(std::size_t)>& value) {
    std::string text = header + "\n#yr  mo dy hr mn\n2024 01 01 12 00";
    for (std::size_t i = 0; i < sea.f.size(); ++i) text += " " + value(i);
    const std::string name = std::string("99999") + letter + "2024.txt";
    if (directions) {
      WriteGzip(dir.PathOf(name + ".gz"), text + "\n");
    } else {
      dir.Write(name, text + "\n");
    }
  };
  std::vector<double> S;
  file('w', [&](std::size_t i) {
    const std::string text = Format("%.5f", sea.S[i]);
    S.push_back(Parsed(text));
    return text;
  });
  const double r1 = std::round(100.0 * sea.r1), r2 = std::round(100.0 * sea.r2);
  if (directions) {
    file('d', [&](std::size_t) { return Format("%.0f", sea.centre); });
    file('i', [&](std::size_t) { return Format("%.0f", sea.centre); });
    file('j', [&](std::size_t) { return Format("%.0f", r1); });
    file('k', [&](std::size_t) { return Format("%.0f", r2); });
  }
  return {directions ? "99999w2024.txt.gz" : "99999w2024.txt", sea.centre, 4.0 * std::sqrt(Trapezoid(sea.f, S)),
          directions ? std::optional<double>(BuoySpread(r1 / 100.0)) : std::nullopt};
}

// NDBC's netCDF: integers with a scale factor of 1e-5.
Truth WriteNdbcNetcdf(const ScratchDir& dir) {
  const BuoySea sea = MakeBuoySea();
  std::vector<double> S, alpha, r1, r2, S_true;
  for (std::size_t i = 0; i < sea.f.size(); ++i) {
    S.push_back(std::round(sea.S[i] * 1e5));
    S_true.push_back(S.back() * 1e-5);
    alpha.push_back(sea.centre * 1e5);
    r1.push_back(std::round(sea.r1 * 1e5));
    r2.push_back(std::round(sea.r2 * 1e5));
  }
  const auto scaled = [](const char* name, std::vector<double> values) {
    return NcVariable{name,
                      NC_INT,
                      {"time", "frequency", "latitude", "longitude"},
                      {},
                      {{"_FillValue", -32767.0}, {"scale_factor", 1e-5}},
                      std::move(values)};
  };
  WriteNetcdf(dir.PathOf("99999w9999.nc"), {{"time", 1}, {"frequency", 46}, {"latitude", 1}, {"longitude", 1}},
              {{"time", NC_INT, {"time"}, {{"units", "seconds since 1970-01-01T00:00:00+00:00"}}, {}, {kStamp}},
               {"frequency", NC_FLOAT, {"frequency"}, {{"units", "Hz"}}, {}, sea.f},
               {"latitude", NC_FLOAT, {"latitude"}, {}, {}, {27.59}},
               {"longitude", NC_FLOAT, {"longitude"}, {}, {}, {-82.93}},
               scaled("spectral_wave_density", S),
               scaled("mean_wave_dir", alpha),
               scaled("principal_wave_dir", alpha),
               scaled("wave_spectrum_r1", r1),
               scaled("wave_spectrum_r2", r2)});
  std::vector<double> f;
  for (const double value : sea.f) f.push_back(static_cast<float>(value));
  return {"99999w9999.nc", sea.centre, 4.0 * std::sqrt(Trapezoid(f, S_true)), BuoySpread(r1.front() * 1e-5)};
}

RunResult RunWavecompOn(const ScratchDir& dir, const std::string& type, const std::string& input) {
  ControlValues values;
  values.type = type;
  values.count = "1024";
  values.smax = "10.0";
  values.input_file = input;
  dir.Write("cont.txt", ControlFileText(values));
  return RunWavecomp(dir);
}

// Every layout through import, wavecomp (N = 1024) and the checker, the sea
// at +20 degrees in the frame and, with --clockwise, at -20: the components'
// Hm0 within 0.1 % of the file's, their mean direction within 2 degrees and
// their spread within 2 degrees of the sea's.
TEST(SourceRoundTrip, EveryLayoutBringsItsSeaIntoTheComponents) {
  const struct {
    const char* name;
    const char* command;
    std::function<Truth(const ScratchDir&)> write;
  } layouts[] = {
      {"WAVEWATCH III text", "ww3", WriteWw3Text},
      {"WAVEWATCH III netCDF", "netcdf", WriteWw3Netcdf},
      {"SWAN netCDF", "netcdf", WriteSwanNetcdf},
      {"ERA5 netCDF", "netcdf", WriteEra5Netcdf},
      {"NDBC realtime", "ndbc", WriteNdbcRealtime},
      {"NDBC historical gzip", "ndbc", [](const ScratchDir& dir) { return WriteNdbcHistorical(dir, true); }},
      {"NDBC netCDF", "ndbc", WriteNdbcNetcdf},
      {"NDBC density alone (1D)", "ndbc", [](const ScratchDir& dir) { return WriteNdbcHistorical(dir, false); }},
  };
  for (const auto& layout : layouts) {
    for (const bool clockwise : {false, true}) {
      SCOPED_TRACE(std::string(layout.name) + (clockwise ? ", clockwise" : ""));
      ScratchDir dir;
      const Truth truth = layout.write(dir);
      // The maximum entropy estimate of a buoy's sea has long tails, a few
      // tenths of a percent of it travelling offshore: kept, so that the run
      // holds the file's whole Hm0.
      std::vector<std::string> frame = {
          "--normal-from", Format("%.2f", truth.centre + 20.0), "--time", kTime, "--offshore", "keep"};
      if (clockwise) frame.push_back("--clockwise");
      std::vector<std::string> import = {layout.command, truth.file, "--out", "sea", "--json"};
      import.insert(import.end(), frame.begin(), frame.end());
      const RunResult imported = RunImport(dir, import);
      ASSERT_EQ(imported.exit_status, 0) << imported.err;
      const bool directional = truth.spread.has_value();
      const RunResult run = RunWavecompOn(dir, directional ? "Emep" : "Sspe", "sea");
      ASSERT_EQ(run.exit_status, 0) << run.err;
      std::vector<std::string> check = {"--json", "--spectrum", truth.file};
      check.insert(check.end(), frame.begin(), frame.end());
      check.push_back("wave.dat");
      const RunResult checked = RunProgram(WAVECOMP_CHECK_EXE, dir.path(), check, "");
      ASSERT_EQ(checked.exit_status, 0) << checked.err;
      const nlohmann::json point = nlohmann::json::parse(checked.out)["points"][0];
      EXPECT_NEAR(point["measured"]["Hm0_m"].get<double>() / truth.hm0, 1.0, 1e-3);
      EXPECT_NEAR(point["target"]["Hm0_m"].get<double>() / truth.hm0, 1.0, 1e-3);
      if (!directional) continue;
      EXPECT_NEAR(point["measured"]["mean_direction_deg"].get<double>(), clockwise ? -20.0 : 20.0, 2.0);
      EXPECT_NEAR(point["measured"]["directional_spread_deg"].get<double>(), *truth.spread, 2.0);
    }
  }
}

// Each reader refuses a file that departs from its layout with the file, the
// line (or the netCDF variable) and what it expected; nothing is written.
TEST(SourceImportCommand, RefusesWhatDepartsFromTheLayout) {
  const std::string ww3_head =
      "'WAVEWATCH III SPECTRA'      2     2     1 'grid'\n 0.1 0.2\n 1.0 2.0\n20240101 120000\n'P1' 40.0 -70.0 10.0 1 "
      "2 3 4\n";
  const std::string realtime_head = "#YY  MM DD hh mm Sep_Freq  < spec_1 (freq_1) >\n";
  const auto nc_sea = [](const ScratchDir& dir, const std::string& variable, const std::string& units,
                         const std::vector<std::pair<std::string, std::string>>& direction_text) {
    WriteNetcdf(
        dir.PathOf("sea.nc"), {{"time", 1}, {"frequency", 2}, {"direction", 2}},
        {{"time", NC_DOUBLE, {"time"}, {{"units", "seconds since 1970-01-01"}}, {}, {0.0}},
         {"frequency", NC_DOUBLE, {"frequency"}, {{"units", "Hz"}}, {}, {0.1, 0.2}},
         {"direction", NC_DOUBLE, {"direction"}, direction_text, {}, {0.0, 180.0}},
         {variable, NC_DOUBLE, {"time", "frequency", "direction"}, {{"units", units}}, {}, {1.0, 1.0, 1.0, 1.0}}});
  };
  const std::vector<std::pair<std::string, std::string>> from = {{"units", "degree"},
                                                                 {"standard_name", "sea_surface_wave_from_direction"}};
  const struct {
    const char* name;
    std::function<void(const ScratchDir&)> write;
    std::vector<std::string> arguments;
    int status;
    std::string error;
  } cases[] = {
      {"another title",
       [](const ScratchDir& dir) { dir.Write("sea.ww3", "'WAVEWATCH 3 SPECTRA' 2 2 1 'grid'\n"); },
       {"ww3", "sea.ww3"},
       2,
       "input error in sea.ww3, line 1, columns 1-21: expected 'WAVEWATCH III SPECTRA' opening the file, found "
       "\"'WAVEWATCH 3 SPECTRA'\""},
      {"a time without its hour",
       [](const ScratchDir& dir) {
         dir.Write("sea.ww3", "'WAVEWATCH III SPECTRA' 2 2 1 'grid'\n 0.1 0.2\n 1.0 2.0\n20240101\n");
       },
       {"ww3", "sea.ww3"},
       2,
       "input error in sea.ww3, line 4: expected a time YYYYMMDD HHMMSS on this line, found \"20240101\""},
      {"a negative density",
       [&](const ScratchDir& dir) { dir.Write("sea.ww3", ww3_head + " 0.1 -0.2 0.3 0.4\n"); },
       {"ww3", "sea.ww3"},
       2,
       "input error in sea.ww3, line 6, columns 6-9: expected a density that is not negative (m2/Hz/rad), found "
       "\"-0.2\""},
      {"densities cut short",
       [&](const ScratchDir& dir) { dir.Write("sea.ww3", ww3_head + " 0.1 0.2 0.3\n"); },
       {"ww3", "sea.ww3"},
       2,
       "input error in sea.ww3, line 7: expected the 2 x 2 densities of point 1 of 1 at 20240101.120000, found the "
       "end of the file"},
      {"a record on other frequencies",
       [&](const ScratchDir& dir) {
         dir.Write("b.data_spec", realtime_head +
                                      "2024 01 01 12 00 0.25 0.1 (0.050) 0.2 (0.060)\n"
                                      "2024 01 01 11 00 0.25 0.1 (0.050) 0.2 (0.070)\n");
       },
       {"ndbc", "b.data_spec"},
       2,
       "input error in b.data_spec, line 3, columns 39-45: expected (0.0600), the frequency of the first record, found "
       "\"(0.070)\""},
      {"a direction file on other frequencies",
       [](const ScratchDir& dir) {
         dir.Write("b.data_spec", "#YY MM DD hh mm\n2024 01 01 12 00 0.25 0.1 (0.050) 0.2 (0.060)\n");
         dir.Write("b.swdir", "#YY MM DD hh mm\n2024 01 01 12 00 200.0 (0.050)\n");
         for (const char* suffix : {".swdir2", ".swr1", ".swr2"}) {
           dir.Write(std::string("b") + suffix, "#YY MM DD hh mm\n2024 01 01 12 00 0.5 (0.050) 0.5 (0.060)\n");
         }
       },
       {"ndbc", "b.data_spec"},
       2,
       "input error in b.swdir, line 1: expected the 2 frequencies of b.data_spec, found 1 frequencies that differ"},
      {"a name of no NDBC file",
       [](const ScratchDir& dir) { dir.Write("buoy.txt", "#YY MM DD hh mm .05\n"); },
       {"ndbc", "buoy.txt"},
       1,
       "buoy.txt is not named as an NDBC spectral density file: STATION.data_spec (realtime), STATIONwYEAR... "
       "(historical, plain or .gz) or a netCDF file"},
      {"no spectral variable",
       [&](const ScratchDir& dir) { nc_sea(dir, "hs", "m", from); },
       {"netcdf", "sea.nc"},
       2,
       "input error in sea.nc, variable (none): expected a directional spectral density: efth, density, d2fd or a "
       "variable whose standard_name is sea_surface_wave_directional_variance_spectral_density, found time, "
       "frequency, direction, hs"},
      {"a density per hertz only",
       [&](const ScratchDir& dir) { nc_sea(dir, "efth", "m2 s", from); },
       {"netcdf", "sea.nc"},
       2,
       "input error in sea.nc, variable efth: expected units m2 s rad-1 or m2 s degree-1 (a variance density), found "
       "\"m2 s\""},
      {"directions of no stated convention",
       [&](const ScratchDir& dir) {
         nc_sea(dir, "efth", "m2 s rad-1", {{"units", "degree"}});
       },
       {"netcdf", "sea.nc"},
       2,
       "input error in sea.nc, variable direction: expected standard_name sea_surface_wave_from_direction or "
       "sea_surface_wave_to_direction, found none"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDir dir;
    c.write(dir);
    std::vector<std::string> arguments = c.arguments;
    for (const char* argument : {"--normal-from", "270", "--out", "coast"}) arguments.emplace_back(argument);
    const RunResult result = RunImport(dir, arguments);
    EXPECT_EQ(result.exit_status, c.status);
    EXPECT_EQ(result.err, "wavecomp-import: " + c.error + "\n");
    EXPECT_EQ(result.out, "");
    EXPECT_FALSE(dir.Exists("coast"));
  }
}

// Every real sample converts, divides into 1024 components and checks, at
// its first time and first location with data, the frame turned so that
// its sea comes along the x-axis.
TEST(SourceSamples, EverySampleConvertsRunsAndChecks) {
  const std::string samples = std::string(WAVECOMP_SOURCE_DIR) + "/../shared/spectra-samples";
  if (!std::filesystem::exists(samples)) GTEST_SKIP() << "no samples at " << samples;
  const struct {
    const char* command;
    const char* file;
    std::vector<std::string> selection;
    std::vector<std::string> time = {"--all-times"};  // the first time, or the one named
  } cases[] = {
      {"ww3", "ww3/ww3station.spec", {}},
      {"netcdf", "netcdf/ww3file.nc", {"--locations", "2"}},
      {"netcdf", "netcdf/swanfile.nc", {}},
      {"netcdf", "netcdf/era5file.nc", {"--locations", "11"}},
      {"ndbc", "ndbc/41010.data_spec", {}},
      {"ndbc", "ndbc/41010w2019part.txt.gz", {}},
      // The records before this one have no directions (refused below).
      {"ndbc", "ndbc/42098w9999.nc", {}, {"--time", "20150609.220000"}},
      {"ndbc", "ndbc/44004w2000.txt", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    ScratchDir dir;
    const std::string file = samples + "/" + c.file;
    std::vector<std::string> probe = {c.command, file,         "--normal-from", "270",   "--out",
                                      "probe",   "--offshore", "keep",          "--json"};
    probe.insert(probe.end(), c.time.begin(), c.time.end());
    probe.insert(probe.end(), c.selection.begin(), c.selection.end());
    const RunResult probed = RunImport(dir, probe);
    ASSERT_EQ(probed.exit_status, 0) << probed.err;
    const nlohmann::json first = nlohmann::json::parse(probed.out)["outputs"][0];
    const std::string time = first["time"];
    const nlohmann::json direction = first["locations"][0]["mean_direction"];
    const double normal = std::round(270.0 - (direction.is_number() ? direction.get<double>() : 0.0));
    std::vector<std::string> frame = {"--normal-from", Format("%.0f", normal), "--time", time};
    std::vector<std::string> import = {c.command, file, "--out", "sea", "--json"};
    import.insert(import.end(), frame.begin(), frame.end());
    import.insert(import.end(), c.selection.begin(), c.selection.end());
    const RunResult imported = RunImport(dir, import);
    ASSERT_EQ(imported.exit_status, 0) << imported.err;
    const nlohmann::json document = nlohmann::json::parse(imported.out);
    const RunResult run = RunWavecompOn(dir, document["dimensions"] == 2 ? "Emep" : "Sspe", "sea");
    ASSERT_EQ(run.exit_status, 0) << run.err;
    std::vector<std::string> check = {"--json", "--spectrum", file};
    check.insert(check.end(), frame.begin(), frame.end());
    if (!c.selection.empty()) check.insert(check.end(), {"--location", c.selection[1]});
    check.push_back("wave.dat");
    const RunResult checked = RunProgram(WAVECOMP_CHECK_EXE, dir.path(), check, "");
    ASSERT_EQ(checked.exit_status, 0) << checked.err;
    const nlohmann::json point = nlohmann::json::parse(checked.out)["points"][0];
    EXPECT_NEAR(point["measured"]["Hm0_m"].get<double>() / point["target"]["Hm0_m"].get<double>(), 1.0, 1e-3);
  }
}

// What holds no usable spectrum is refused, saying so: ERA5's land cells,
// a buoy's records without directions.
TEST(SourceSamples, RefusesWhatHoldsNoSpectrum) {
  const std::string samples = std::string(WAVECOMP_SOURCE_DIR) + "/../shared/spectra-samples";
  if (!std::filesystem::exists(samples)) GTEST_SKIP() << "no samples at " << samples;
  const struct {
    const char* command;
    std::string file;
    std::vector<std::string> time;
    std::string error;
  } cases[] = {
      {"netcdf",
       samples + "/netcdf/era5file.nc",
       {},
       " has no data (every value of d2fd is missing) at time 20191201.000000; 23 selected locations have none: "
       "3-5,7,9-10,12-14,18,22,29,35,39,41-46,48-50; the locations with data are "
       "1-2,6,8,11,15-17,19-21,23-28,30-34,36-38,40,47 (pick them with --locations)\n"},
      {"ndbc",
       samples + "/ndbc/42098w9999.nc",
       {"--time", "20150609.210000"},
       " has no data (no alpha1 and r1 at any frequency with energy: no directional spectrum) at time "
       "20150609.210000; no location has data at that time\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    ScratchDir dir;
    std::vector<std::string> arguments = {c.command, c.file, "--normal-from", "270", "--out", "sea"};
    arguments.insert(arguments.end(), c.time.begin(), c.time.end());
    const RunResult result = RunImport(dir, arguments);
    EXPECT_EQ(result.exit_status, 1);
    EXPECT_EQ(result.err, "wavecomp-import: location " + std::string(c.command == std::string("netcdf") ? "3" : "1") +
                              " of " + c.file + c.error);
    EXPECT_FALSE(dir.Exists("sea"));
  }
}

}  // namespace
}  // namespace wavecomp::testing
