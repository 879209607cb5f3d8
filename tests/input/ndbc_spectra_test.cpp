// A buoy's records as spectra: what becomes of coefficients that are
// missing or fit no distribution.
#include "input/ndbc_spectra.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

namespace wavecomp::spectra {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Every frequency keeps its density, and its first moment is what the buoy
// measured (r1, alpha1), whichever estimate it took: the four coefficients,
// or r1 and alpha1 alone when r2 and alpha2 are missing or fit no
// distribution (r2 = 0 with r1 = 0.9: |c2 - c1^2| > 1 - |c1|^2). A record
// without any alpha1 holds no directional spectrum.
TEST(BuoySpectra, KeepsEachFrequencysDensityAndFirstMoment) {
  const struct {
    const char* name;
    double r1, alpha1, r2, alpha2;
    std::size_t first_order_notes;
    bool no_data;
  } cases[] = {
      {"four coefficients", 0.8, 100.0, 0.5, 110.0, 0, false},
      {"r2 and alpha2 missing", 0.8, 100.0, kNaN, kNaN, 1, false},
      {"r2 fitting no distribution", 0.9, 350.0, 0.0, 0.0, 1, false},
      {"no alpha1", kNaN, kNaN, kNaN, kNaN, 0, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    BuoySeries series;
    series.name = "buoy";
    series.frequencies = {0.1, 0.2};
    series.directional = true;
    BuoyRecord& record = series.records.emplace_back();
    record.time.stamp = "20240101.120000";
    record.density = {0.0, 2.0};
    record.alpha1 = {kNaN, c.alpha1};
    record.alpha2 = {kNaN, c.alpha2};
    record.r1 = {kNaN, c.r1};
    record.r2 = {kNaN, c.r2};
    const swan::SwanFile file = BuoySpectra(series);
    const swan::LocationBlock& block = file.times.at(0).locations.at(0);
    if (c.no_data) {
      EXPECT_EQ(block.kind, swan::BlockKind::kNoData);
      EXPECT_FALSE(file.no_data_reason.empty());
      continue;
    }
    ASSERT_EQ(block.kind, swan::BlockKind::kValues);
    const std::size_t nd = file.directions.size();
    const double step = 360.0 / static_cast<double>(nd);
    double S = 0.0, a = 0.0, b = 0.0;
    for (std::size_t j = 0; j < nd; ++j) {
      const double E = block.values[nd + j] * step;
      S += E;
      a += E * std::cos(file.directions[j] * std::numbers::pi / 180.0);
      b += E * std::sin(file.directions[j] * std::numbers::pi / 180.0);
    }
    EXPECT_NEAR(S, 2.0, 1e-12);
    EXPECT_NEAR(std::hypot(a, b) / S, c.r1, 1e-3);
    EXPECT_NEAR(std::remainder(std::atan2(b, a) * 180.0 / std::numbers::pi - c.alpha1, 360.0), 0.0, 0.1);
    const bool noted = !file.notes.empty() && file.notes.back().find("from r1 and alpha1 alone") != std::string::npos;
    EXPECT_EQ(noted, c.first_order_notes > 0);
  }
}

}  // namespace
}  // namespace wavecomp::spectra
