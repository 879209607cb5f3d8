// Synthetic SWAN spectrum files for the tests, written as SWAN writes them,
// with their truth integrated here from the very numbers written.
//
// A sea is a JONSWAP-shaped frequency spectrum (gamma 3.3) times a
// cos^2s((D - from) / 2) spreading over the nautical direction D it comes
// from. Frequencies rise by 10 % from 0.04 Hz (a usual SWAN grid); the 2D
// directions are 36 bins of 10 degrees centred on 5, 15, .., 355.
#pragma once

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

#include "textio/format.h"

namespace wavecomp::testing {

struct SyntheticSea {
  double hm0 = 1.5;     // m, of the continuous spectrum (the written table is close)
  double tp = 10.0;     // s
  double from = 250.0;  // nautical degrees
  double s = 10.0;      // spreading parameter
};

inline constexpr double kRhoG = 1025.0 * 9.81;
inline constexpr int kBins = 36;
inline constexpr double kBinWidth = 10.0;

inline double SynthFrequency(int i) { return 0.04 * std::pow(1.1, i); }
inline double BinCentre(int j) { return 5.0 + kBinWidth * j; }

inline std::string Fixed(double value, int w, int d) {
  std::string text;
  textio::PutF(text, value, w, d);
  return text;
}

// S(f) in m2/Hz with the sea's Hm0, on the grid `f`.
inline std::vector<double> SynthSpectrum(const SyntheticSea& sea, const std::vector<double>& f) {
  const auto shape = [&](double x) {
    const double fp = 1.0 / sea.tp;
    const double sigma = x <= fp ? 0.07 : 0.09;
    return std::pow(x, -5.0) * std::exp(-1.25 * std::pow(fp / x, 4.0)) *
           std::pow(3.3, std::exp(-std::pow(x / fp - 1.0, 2.0) / (2.0 * sigma * sigma)));
  };
  double m0 = 0.0;
  for (double x = 0.01; x < 3.0; x += 1e-4) m0 += shape(x) * 1e-4;
  std::vector<double> S;
  for (const double x : f) S.push_back(shape(x) * sea.hm0 * sea.hm0 / 16.0 / m0);
  return S;
}

// The spreading per degree at the nautical directions `D`.
inline std::vector<double> SynthSpreading(const SyntheticSea& sea, const std::vector<double>& D) {
  const auto shape = [&](double d) {
    return std::pow(std::fabs(std::cos((d - sea.from) * std::numbers::pi / 360.0)), 2.0 * sea.s);
  };
  double total = 0.0;
  for (int k = 0; k < 3600; ++k) total += shape(0.1 * k) * 0.1;
  std::vector<double> G;
  for (const double d : D) G.push_back(shape(d) / total);
  return G;
}

struct SwanLayout {
  bool cartesian = false;   // CDIR (travelling to, counterclockwise from East) instead of NDIR
  bool descending = false;  // directions listed from high to low
  bool negative = false;    // directions above 180 written as D - 360
  double sector_low = 0.0;  // only bins centred within [low, high] (nautical) are written
  double sector_high = 360.0;
  bool energy = false;  // EnDens: values times rho g = 1025 x 9.81
  bool crlf = false;
  int frequencies = 25;
  std::vector<std::string> kinds;            // per location FACTOR (default), ZERO or NODATA
  std::vector<std::pair<int, int>> missing;  // (frequency, bin) written as the exception value -99
  std::string stamp;                         // a TIME file with this one time when not empty
};

struct Written2D {
  std::string text;
  std::vector<double> f;
  std::vector<std::vector<double>> E;  // per location, nfreq x 36 by BinCentre, m2/Hz/degr as written
};

inline std::string SwanHeader(std::size_t locations, const SwanLayout& layout, std::vector<double>& f) {
  const std::string eol = layout.crlf ? "\r\n" : "\n";
  std::string t = "SWAN   1                                Swan standard spectral file, version" + eol;
  t += "$   Data produced by the wavecomp tests" + eol;
  if (!layout.stamp.empty()) t += "TIME" + eol + "     1" + eol;
  t += "LOCATIONS                               locations in x-y-space" + eol;
  t += std::to_string(locations) + "                                  number of locations" + eol;
  for (std::size_t k = 0; k < locations; ++k) t += Fixed(1000.0 * double(k), 12, 2) + Fixed(0.0, 12, 2) + eol;
  t += "AFREQ                                   absolute frequencies in Hz" + eol;
  t += std::to_string(layout.frequencies) + eol;
  for (int i = 0; i < layout.frequencies; ++i) {
    const std::string written = Fixed(SynthFrequency(i), 10, 4);
    t += written + eol;
    f.push_back(std::stod(written));
  }
  return t;
}

inline Written2D Swan2D(const std::vector<SyntheticSea>& seas, const SwanLayout& layout) {
  Written2D out;
  const std::string eol = layout.crlf ? "\r\n" : "\n";
  std::string& t = out.text;
  t = SwanHeader(seas.size(), layout, out.f);
  std::vector<int> bins;
  for (int j = 0; j < kBins; ++j) {
    if (BinCentre(j) >= layout.sector_low && BinCentre(j) <= layout.sector_high) bins.push_back(j);
  }
  if (layout.descending) std::reverse(bins.begin(), bins.end());
  t +=
      std::string(layout.cartesian ? "CDIR" : "NDIR") + "                                    spectral directions" + eol;
  t += std::to_string(bins.size()) + eol;
  for (const int j : bins) {
    double written = layout.cartesian ? std::fmod(270.0 - BinCentre(j) + 360.0, 360.0) : BinCentre(j);
    if (layout.negative && written > 180.0) written -= 360.0;
    t += Fixed(written, 10, 4) + eol;
  }
  t += "QUANT" + eol + "     1" + eol;
  t += std::string(layout.energy ? "EnDens" : "VaDens") + eol;
  t += std::string(layout.energy ? "J/m2/Hz/degr" : "m2/Hz/degr") + eol;
  t += "   -0.9900E+02                          exception value" + eol;
  if (!layout.stamp.empty()) t += layout.stamp + "                         date and time" + eol;
  std::vector<double> centres;
  for (int j = 0; j < kBins; ++j) centres.push_back(BinCentre(j));
  const double scale = layout.energy ? kRhoG : 1.0;
  for (std::size_t k = 0; k < seas.size(); ++k) {
    std::vector<double>& E = out.E.emplace_back(out.f.size() * kBins, 0.0);
    const std::string kind = k < layout.kinds.size() ? layout.kinds[k] : "FACTOR";
    if (kind != "FACTOR") {
      t += kind + eol;
      continue;
    }
    const std::vector<double> S = SynthSpectrum(seas[k], out.f);
    const std::vector<double> G = SynthSpreading(seas[k], centres);
    const double largest = *std::max_element(S.begin(), S.end()) * *std::max_element(G.begin(), G.end());
    std::string factor_text;
    textio::PutE(factor_text, largest * scale / 99999.0, 14, 6);
    const double factor = std::stod(factor_text);
    t += "FACTOR" + eol + factor_text + eol;
    for (std::size_t i = 0; i < out.f.size(); ++i) {
      std::string row;
      for (const int j : bins) {
        const bool missing = std::find(layout.missing.begin(), layout.missing.end(), std::pair<int, int>(int(i), j)) !=
                             layout.missing.end();
        const long n = missing ? -99 : std::lround(S[i] * G[std::size_t(j)] * scale / factor);
        textio::PutI(row, n, 6);
        if (!missing) E[i * kBins + std::size_t(j)] = double(n) * factor / scale;
      }
      t += row + eol;
    }
  }
  return out;
}

// m0 (m2) of a written 2D location: bins of 10 degrees, trapezoid over f.
inline double WrittenM0(const Written2D& file, std::size_t location) {
  std::vector<double> S(file.f.size(), 0.0);
  for (std::size_t i = 0; i < S.size(); ++i) {
    for (int j = 0; j < kBins; ++j) S[i] += file.E[location][i * kBins + std::size_t(j)] * kBinWidth;
  }
  double m0 = 0.0;
  for (std::size_t i = 0; i + 1 < S.size(); ++i) m0 += 0.5 * (S[i] + S[i + 1]) * (file.f[i + 1] - file.f[i]);
  return m0;
}

struct Written1D {
  std::string text;
  std::vector<double> f;
  std::vector<double> S;    // m2/Hz as written
  double mean_from = 0.0;   // nautical direction of the first moments of the 2D seas (truth)
  double peak_sigma = 0.0;  // spreading (deg) written at the peak
};

// One location whose 1D table SWAN would write for the sum of `seas`: per
// frequency the density, the Cartesian mean direction and the spreading
// sigma = sqrt(2 (1 - r)) of the resultant r, from 1-degree sums.
inline Written1D Swan1D(const std::vector<SyntheticSea>& seas, const SwanLayout& layout,
                        const std::vector<int>& missing_rows = {}) {
  Written1D out;
  const std::string eol = layout.crlf ? "\r\n" : "\n";
  out.text = SwanHeader(1, layout, out.f);
  out.text += "QUANT" + eol + "     3" + eol;
  out.text += "VaDens" + eol + "m2/Hz" + eol + "   -0.9900E+02" + eol;
  out.text += "CDIR" + eol + "degr" + eol + "   -0.9990E+03" + eol;
  out.text += "DSPRDEGR" + eol + "degr" + eol + "   -0.9000E+01" + eol;
  if (!layout.stamp.empty()) out.text += layout.stamp + eol;
  out.text += "LOCATION     1" + eol;
  std::vector<double> degrees;
  for (int d = 0; d < 360; ++d) degrees.push_back(d + 0.5);
  std::vector<std::vector<double>> S, G;
  for (const SyntheticSea& sea : seas) {
    S.push_back(SynthSpectrum(sea, out.f));
    G.push_back(SynthSpreading(sea, degrees));
  }
  double a = 0.0, b = 0.0, peak = -1.0;
  for (std::size_t i = 0; i < out.f.size(); ++i) {
    double total = 0.0, c = 0.0, s = 0.0;
    for (std::size_t k = 0; k < seas.size(); ++k) {
      for (std::size_t d = 0; d < degrees.size(); ++d) {
        const double e = S[k][i] * G[k][d];
        total += e;
        c += e * std::cos(degrees[d] * std::numbers::pi / 180.0);
        s += e * std::sin(degrees[d] * std::numbers::pi / 180.0);
      }
    }
    const double weight =
        (i == 0 ? 0.0 : out.f[i] - out.f[i - 1]) + (i + 1 == out.f.size() ? 0.0 : out.f[i + 1] - out.f[i]);
    a += 0.5 * weight * c;
    b += 0.5 * weight * s;
    const double from = std::atan2(s, c) * 180.0 / std::numbers::pi;
    const double sigma = std::sqrt(2.0 * (1.0 - std::hypot(c, s) / total)) * 180.0 / std::numbers::pi;
    std::string density;
    textio::PutE(density, total, 12, 4);
    const bool missing = std::find(missing_rows.begin(), missing_rows.end(), int(i)) != missing_rows.end();
    if (missing) {
      out.text += density + " -999.0   -9.0" + eol;
    } else {
      out.text += density + Fixed(std::fmod(270.0 - from + 720.0, 360.0), 7, 1) + Fixed(sigma, 7, 1) + eol;
    }
    out.S.push_back(std::stod(density));
    if (total > peak) {
      peak = total;
      out.peak_sigma = std::stod(Fixed(sigma, 7, 1));
    }
  }
  out.mean_from = std::atan2(b, a) * 180.0 / std::numbers::pi;
  return out;
}

}  // namespace wavecomp::testing
