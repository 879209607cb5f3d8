// Synthetic files of every source wavecomp-import reads, written by the
// tests with a known sea: a Pierson-Moskowitz spectrum and cos^2s spreading
// (or, for buoys, its first four Fourier coefficients in closed form), the
// sea coming from a direction on the file's own grid.
#pragma once

#include <gtest/gtest.h>
#include <netcdf.h>
#include <zlib.h>

#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

namespace wavecomp::testing {

inline constexpr double kPi = std::numbers::pi;

// Pierson-Moskowitz variance density (m2/Hz) of Hs and Tp.
inline double PiersonMoskowitz(double f, double hs, double tp) {
  const double fp = 1.0 / tp;
  return 5.0 / 16.0 * hs * hs * std::pow(fp, 4) * std::pow(f, -5) * std::exp(-1.25 * std::pow(fp / f, 4));
}

// cos^2s((theta - centre) / 2) at grid directions (degrees), scaled so the
// sum times `step` (degrees) is 1.
inline std::vector<double> Cos2s(const std::vector<double>& theta, double centre, double s, double step) {
  std::vector<double> D(theta.size());
  double sum = 0.0;
  for (std::size_t j = 0; j < theta.size(); ++j) {
    D[j] = std::pow(std::fabs(std::cos((theta[j] - centre) * kPi / 360.0)), 2.0 * s);
    sum += D[j] * step;
  }
  for (double& value : D) value /= sum;
  return D;
}

inline double Trapezoid(const std::vector<double>& f, const std::vector<double>& S) {
  double m0 = 0.0;
  for (std::size_t i = 0; i + 1 < f.size(); ++i) m0 += 0.5 * (S[i] + S[i + 1]) * (f[i + 1] - f[i]);
  return m0;
}

// A netCDF variable to write: numbers put as doubles (the library converts
// to `type`; integer types get whole numbers).
struct NcVariable {
  std::string name;
  nc_type type = NC_FLOAT;
  std::vector<std::string> dims;
  std::vector<std::pair<std::string, std::string>> text;
  std::vector<std::pair<std::string, double>> numbers;  // _FillValue is put in the variable's type
  std::vector<double> values;
};

inline void WriteNetcdf(const std::string& path, const std::vector<std::pair<std::string, std::size_t>>& dims,
                        const std::vector<NcVariable>& variables) {
  int nc = 0;
  ASSERT_EQ(nc_create(path.c_str(), NC_CLOBBER, &nc), NC_NOERR);
  std::vector<int> dim_ids;
  for (const auto& [name, length] : dims) {
    int id = 0;
    ASSERT_EQ(nc_def_dim(nc, name.c_str(), length, &id), NC_NOERR);
    dim_ids.push_back(id);
  }
  std::vector<int> var_ids;
  for (const NcVariable& variable : variables) {
    std::vector<int> ids;
    for (const std::string& dim : variable.dims) {
      for (std::size_t d = 0; d < dims.size(); ++d) {
        if (dims[d].first == dim) ids.push_back(dim_ids[d]);
      }
    }
    int id = 0;
    ASSERT_EQ(nc_def_var(nc, variable.name.c_str(), variable.type, static_cast<int>(ids.size()), ids.data(), &id),
              NC_NOERR);
    for (const auto& [name, value] : variable.text) nc_put_att_text(nc, id, name.c_str(), value.size(), value.c_str());
    for (const auto& [name, value] : variable.numbers) {
      nc_put_att_double(nc, id, name.c_str(), name == "_FillValue" ? variable.type : NC_DOUBLE, 1, &value);
    }
    var_ids.push_back(id);
  }
  ASSERT_EQ(nc_enddef(nc), NC_NOERR);
  for (std::size_t k = 0; k < variables.size(); ++k) {
    ASSERT_EQ(nc_put_var_double(nc, var_ids[k], variables[k].values.data()), NC_NOERR) << variables[k].name;
  }
  ASSERT_EQ(nc_close(nc), NC_NOERR);
}

inline void WriteGzip(const std::string& path, const std::string& text) {
  gzFile file = gzopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  ASSERT_EQ(gzwrite(file, text.data(), static_cast<unsigned>(text.size())), static_cast<int>(text.size()));
  gzclose(file);
}

inline std::string Format(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

}  // namespace wavecomp::testing
