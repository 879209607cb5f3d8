// wavecomp-import swan, in process: synthetic SWAN files of known truth
// converted and read back by the layouts wavecomp reads.
#include "import/conversion.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <filesystem>
#include <map>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

#include "import/errors.h"
#include "import/import_run.h"
#include "import/summary.h"
#include "import/swan_import.h"
#include "import/swan_text.h"
#include "input/swan_sea_state.h"
#include "support/test_support.h"
#include "textio/output_file.h"

namespace wavecomp::importer {
namespace {

using testing::ScratchDir;
using testing::SwanLayout;
using testing::SyntheticSea;

constexpr double kDegree = std::numbers::pi / 180.0;

struct Moments {
  double m0 = 0.0;
  double mean = 0.0;  // model degrees
};

// m0 from the written S (trapezoid) and the mean direction from the written
// directional values on the Emep grid.
Moments WrittenMoments(const testing::EmepPointData& point) {
  Moments result;
  double a = 0.0, b = 0.0;
  const std::size_t mdd = point.D.front().size();
  for (std::size_t l = 0; l + 1 < point.f.size(); ++l) {
    const double df = point.f[l + 1] - point.f[l];
    result.m0 += 0.5 * (point.S[l] + point.S[l + 1]) * df;
    for (std::size_t j = 0; j < mdd; ++j) {
      const double theta = (-180.0 + 360.0 * double(j) / double(mdd)) * kDegree;
      const double e = 0.5 * (point.D[l][j] + point.D[l + 1][j]) * df;
      a += e * std::cos(theta);
      b += e * std::sin(theta);
    }
  }
  result.mean = std::atan2(b, a) / kDegree;
  return result;
}

std::string AfterTitle(const std::string& text) { return text.substr(text.find('\n') + 1); }

ImportReport Import(const ScratchDir& dir, const std::string& swan_text, SwanImportOptions options) {
  dir.Write("sea.spc", swan_text);
  options.swan_file = dir.PathOf("sea.spc");
  options.out = dir.PathOf(options.out.empty() ? "sea" : options.out);
  return RunSwanImport(options);
}

TEST(SwanImport, KeepsTheEnergyAndTurnsTheSeaIntoTheModelFrame) {
  const SyntheticSea sea;  // from 250 degrees
  struct Case {
    const char* name;
    SwanLayout layout;
    bool clockwise;
    double mean;         // expected model direction
    bool same_as_first;  // byte for byte the output of the first case
  };
  SwanLayout cdir;
  cdir.cartesian = cdir.descending = cdir.negative = true;
  SwanLayout ndir_turned;
  ndir_turned.descending = ndir_turned.negative = true;
  SwanLayout windows;
  windows.crlf = true;
  SwanLayout energy;
  energy.energy = true;
  SwanLayout holes;
  holes.missing = {{8, 24}, {8, 25}, {10, 24}, {10, 25}};  // near the peak, from 245 and 255 degrees
  const Case cases[] = {
      {"nautical, counterclockwise model", {}, false, 20.0, true},
      {"nautical, clockwise model", {}, true, -20.0, false},
      {"Cartesian, descending, negative", cdir, false, 20.0, true},
      {"nautical, descending, negative", ndir_turned, false, 20.0, true},
      {"CR LF line ends", windows, false, 20.0, true},
      {"energy density", energy, false, 20.0, false},
      {"exception values", holes, false, 20.0, false},
  };
  std::string first;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDir dir;
    const testing::Written2D file = testing::Swan2D({sea}, c.layout);
    SwanImportOptions options;
    options.normal_from = 270.0;
    options.clockwise = c.clockwise;
    options.offshore = swan::Offshore::kKeep;  // the whole sea, written as SWAN has it
    const ImportReport report = Import(dir, file.text, options);
    const std::string written = dir.Read("sea");
    EXPECT_EQ(dir.Read("sea.pnt"), "    1\n    1\n");
    const std::vector<testing::EmepPointData> points = testing::ReadEmep(written);
    ASSERT_EQ(points.size(), 1u);
    EXPECT_GT(points[0].f.size(), file.f.size());  // refined
    const Moments moments = WrittenMoments(points[0]);
    // Hm0 = 4 sqrt(m0) kept to 0.1 %: m0 to 0.2 %.
    EXPECT_NEAR(moments.m0 / testing::WrittenM0(file, 0), 1.0, 0.002);
    EXPECT_NEAR(moments.mean, c.mean, 0.5);
    EXPECT_NEAR(*report.outputs.at(0).locations.at(0).state.mean_direction, c.mean, 1e-9);
    if (first.empty()) first = AfterTitle(written);
    if (c.same_as_first) {
      EXPECT_EQ(AfterTitle(written), first);
    }
  }
}

// Where the file system has no unnamed files, --all-times writes a set for
// every time, the same bytes as elsewhere. Fault: there was room for 8
// named temporaries, so the fifth time failed with "File name too long".
TEST(SwanImport, WritesEveryTimeWhereTheFileSystemHasNoUnnamedFiles) {
  SwanLayout layout;
  layout.stamp = "20240101.120000";
  std::string text = testing::Swan2D({SyntheticSea{}}, layout).text;
  const std::string block = text.substr(text.find(layout.stamp));
  for (const char* stamp : {"20240101.130000", "20240101.140000", "20240101.150000", "20240101.160000"}) {
    text += std::string(block).replace(0, 15, stamp);
  }
  std::map<std::string, std::string> written[2];  // name -> bytes after the title, on the named and unnamed road
  for (const bool unnamed : {false, true}) {
    ScratchDir dir;
    textio::SetFaultHook([unnamed](textio::FileStep step) {
      return !unnamed && step == textio::FileStep::kCreateUnnamed ? EOPNOTSUPP : 0;
    });
    SwanImportOptions options;
    options.normal_from = 270.0;
    options.all_times = true;
    EXPECT_NO_THROW(Import(dir, text, options));
    textio::SetFaultHook(nullptr);
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
      // The titles name the scratch folder, which differs.
      written[unnamed][entry.path().filename().string()] = AfterTitle(testing::ReadFile(entry.path().string()));
    }
  }
  EXPECT_EQ(written[0].size(), 11u);  // sea.spc, and a data file and its point list for each of 5 times
  EXPECT_EQ(written[0].count("sea_20240101T160000.pnt"), 1u);
  EXPECT_TRUE(written[0] == written[1]);
}

TEST(SwanImport, LeavesTheOutsideOfASectorEmpty) {
  ScratchDir dir;
  SwanLayout layout;
  layout.sector_low = 200.0;  // bins 205 .. 295 (nautical)
  layout.sector_high = 300.0;
  const testing::Written2D file = testing::Swan2D({SyntheticSea{}}, layout);
  SwanImportOptions options;
  options.normal_from = 270.0;
  const ImportReport report = Import(dir, file.text, options);
  EXPECT_EQ(report.outputs.at(0).mdd, 36);
  const testing::EmepPointData point = testing::ReadEmep(dir.Read("sea")).at(0);
  // The sector spans model directions -30 .. +70 (edges of the end bins).
  for (const std::vector<double>& row : point.D) {
    for (std::size_t j = 0; j < row.size(); ++j) {
      const double theta = -180.0 + 10.0 * double(j);
      if (theta < -30.0 || theta > 70.0) {
        EXPECT_EQ(row[j], 0.0) << theta;
      }
    }
  }
  const Moments moments = WrittenMoments(point);
  EXPECT_NEAR(moments.m0 / testing::WrittenM0(file, 0), 1.0, 0.002);
  EXPECT_NEAR(moments.mean, 20.0, 0.5);
}

// A sea spread evenly (s = 0) over a sector of 200 degrees whose bins, 10
// degrees wide, meet +-90 degrees of the frame --normal-from 270 at their
// edges: the bins from `low` up to 180 degrees (nautical) travel offshore,
// 60 of 200 degrees (30 %) from 120, 120 of 200 (60 %) from 60. The written
// values are the same in every bin of a frequency, so the share is exact.
TEST(SwanImport, LeavesOutTheEnergyTravellingOffshoreUnlessToldToKeepIt) {
  struct Case {
    const char* name;
    double low;  // nautical edge of the sector
    std::optional<swan::Offshore> offshore;
    double share;
    bool refused;
  };
  const Case cases[] = {
      {"30 %, by default", 120.0, std::nullopt, 0.3, false},
      {"30 %, --offshore keep", 120.0, swan::Offshore::kKeep, 0.3, false},
      {"60 %, by default", 60.0, std::nullopt, 0.6, true},
      {"60 %, --offshore drop", 60.0, swan::Offshore::kDrop, 0.6, false},
      {"60 %, --offshore keep", 60.0, swan::Offshore::kKeep, 0.6, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SwanLayout layout;
    layout.sector_low = c.low + 5.0;  // bin centres
    layout.sector_high = c.low + 195.0;
    const testing::Written2D file = testing::Swan2D({SyntheticSea{1.5, 10.0, 0.0, 0.0}}, layout);
    ScratchDir dir;
    SwanImportOptions options;
    options.normal_from = 270.0;
    options.offshore = c.offshore;
    if (c.refused) {
      try {
        Import(dir, file.text, options);
        ADD_FAILURE() << "not refused";
      } catch (const Refusal& refusal) {
        const std::string message = refusal.what();
        EXPECT_NE(message.find("60.0 % of its energy travels offshore"), std::string::npos) << message;
        EXPECT_NE(message.find("check --normal-from 270.00"), std::string::npos) << message;
        EXPECT_NE(message.find("--offshore drop"), std::string::npos) << message;
      }
      EXPECT_FALSE(dir.Exists("sea"));
      continue;
    }
    const ImportReport report = Import(dir, file.text, options);
    const swan::SeaState& state = report.outputs.at(0).locations.at(0).state;
    const double total = testing::WrittenM0(file, 0);
    EXPECT_NEAR(state.offshore_share, c.share, 1e-12);
    EXPECT_NEAR(state.total_hm0, 4.0 * std::sqrt(total), 1e-9);
    EXPECT_NEAR(state.onshore_hm0, 4.0 * std::sqrt((1.0 - c.share) * total), 1e-9);
    const std::string row = testing::Fixed(state.total_hm0, 15, 4) + testing::Fixed(state.onshore_hm0, 17, 4);
    EXPECT_NE(SummaryText(report).find(row), std::string::npos) << SummaryText(report);

    const bool drop = c.offshore.value_or(swan::Offshore::kDrop) == swan::Offshore::kDrop;
    const testing::EmepPointData point = testing::ReadEmep(dir.Read("sea")).at(0);
    // The written S(f) holds the run's energy to the five digits of E12.5.
    EXPECT_NEAR(WrittenMoments(point).m0 / ((drop ? 1.0 - c.share : 1.0) * total), 1.0, 1e-4);
    double beyond = 0.0;
    for (const std::vector<double>& row_values : point.D) {
      for (std::size_t j = 0; j < row_values.size(); ++j) {
        if (std::fabs(-180.0 + 10.0 * double(j)) > 90.0) beyond += row_values[j];
      }
    }
    if (drop) {
      EXPECT_EQ(beyond, 0.0);
    } else {
      EXPECT_GT(beyond, 0.0);
    }
  }
}

TEST(SwanImport, GivesA1DSeaItsDirectionFromTheMoments) {
  // Two wave systems: swell from 250 degrees, a wind sea from 320.
  const std::vector<SyntheticSea> seas = {{1.5, 12.0, 250.0, 25.0}, {1.0, 5.0, 320.0, 5.0}};
  SwanLayout layout;
  layout.frequencies = 30;
  const testing::Written1D file = testing::Swan1D(seas, layout, {29});
  ScratchDir dir;
  SwanImportOptions options;
  options.normal_from = 270.0;
  options.offshore = swan::Offshore::kKeep;  // the moments of the whole sea
  const ImportReport report = Import(dir, file.text, options);
  const LocationReport& location = report.outputs.at(0).locations.at(0);

  double m0 = 0.0;
  for (std::size_t i = 0; i + 1 < file.f.size(); ++i)
    m0 += 0.5 * (file.S[i] + file.S[i + 1]) * (file.f[i + 1] - file.f[i]);
  const std::size_t peak = std::size_t(std::max_element(file.S.begin(), file.S.end()) - file.S.begin());
  EXPECT_NEAR(location.sspe.h13, 4.0 * std::sqrt(m0), 1e-9);
  EXPECT_NEAR(location.sspe.t13, 1.0 / file.f[peak] / 1.05, 1e-9);
  // The truth is the direction of the 2D seas' first moments; the rows give
  // it back through R = 1 - sigma^2 / 2 up to their 0.1-degree rounding.
  EXPECT_NEAR(location.sspe.direction, swan::WrapDegrees(270.0 - file.mean_from), 0.2);
  const double sigma = file.peak_sigma * kDegree;
  EXPECT_NEAR(*location.suggested_smax, 2.0 / (sigma * sigma) - 1.0, 1e-9);
  EXPECT_EQ(location.state.rows_left_out, 1u);  // the last row has no direction

  std::string table = dir.Read("sea");
  EXPECT_EQ(table.substr(0, 36), testing::Fixed(location.sspe.h13, 12, 4) + testing::Fixed(location.sspe.t13, 12, 4) +
                                     testing::Fixed(location.sspe.direction, 12, 4));
}

TEST(SwanImport, RefinesACoarseTableUntilTheDivisionCanFillItsBands) {
  ScratchDir dir;
  const testing::Written2D file = testing::Swan2D({SyntheticSea{}}, {});
  std::vector<double> S(file.f.size(), 0.0);
  for (std::size_t i = 0; i < S.size(); ++i) {
    for (int j = 0; j < testing::kBins; ++j) S[i] += file.E[0][i * testing::kBins + std::size_t(j)] * 10.0;
  }
  // On the SWAN frequencies the spline lacks more than a band of N = 1024.
  EXPECT_GT(DivisionShortfall(file.f, S), 1.0 / 1024.0);
  const Refinement refinement = ChooseRefinement(file.f, std::vector<std::vector<double>>{S}, kEmepFormat);
  EXPECT_TRUE(refinement.sufficient);
  EXPECT_GT(refinement.grid.factor, 1);
  EXPECT_LE(refinement.shortfall, 0.25 / 1024.0);
  EXPECT_EQ(refinement.grid.frequencies.size(), (file.f.size() - 1) * std::size_t(refinement.grid.factor) + 1);
}

}  // namespace
}  // namespace wavecomp::importer
