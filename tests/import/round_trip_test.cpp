// wavecomp-import swan end to end: the real program converts synthetic SWAN
// files, the real wavecomp divides the result into 1024 components, and the
// components must carry the SWAN sea; and the program's refusals.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "check/component_file.h"
#include "check/statistics.h"
#include "import/conversion.h"
#include "import/import_run.h"
#include "import/swan_text.h"
#include "import/writers.h"
#include "input/swan_file.h"
#include "input/swan_sea_state.h"
#include "support/test_support.h"
#include "textio/records.h"

namespace wavecomp::importer {
namespace {

using testing::RunImport;
using testing::RunResult;
using testing::ScratchDir;
using testing::SwanLayout;
using testing::SyntheticSea;

// wavecomp on `input` (type Emep or Sspe) with N = 1024 in the folder.
RunResult RunWavecomp(const ScratchDir& dir, const std::string& type, const std::string& input,
                      const std::string& smax = "10.0") {
  testing::ControlValues values;
  values.type = type;
  values.count = "1024";
  values.smax = smax;
  values.input_file = input;
  dir.Write("cont.txt", testing::ControlFileText(values));
  return testing::RunWavecomp(dir);
}

std::vector<check::PointStatistics> ComponentStatistics(const ScratchDir& dir) {
  const check::ComponentFile file = check::ReadComponentFile(*textio::TextFile::Open(dir.PathOf("wave.dat")));
  std::vector<check::PointStatistics> points;
  for (const check::PointComponents& point : file.points) {
    points.push_back(check::ComputeStatistics(point.f, point.a, point.theta, point.phase));
  }
  return points;
}

TEST(SwanRoundTrip, ComponentsCarryTheSwanSea) {
  // 2D: two locations from 250 degrees (model +20), with their own heights.
  {
    ScratchDir dir;
    const testing::Written2D file = testing::Swan2D({{1.5, 10.0, 250.0, 10.0}, {1.0, 8.0, 250.0, 10.0}}, {});
    dir.Write("sea.sp2", file.text);
    const RunResult import = RunImport(dir, {"swan", "sea.sp2", "--normal-from", "270", "--out", "sea"});
    ASSERT_EQ(import.exit_status, 0) << import.err;
    const RunResult run = RunWavecomp(dir, "Emep", "sea");
    ASSERT_EQ(run.exit_status, 0) << run.out << run.err;
    const std::vector<check::PointStatistics> points = ComponentStatistics(dir);
    ASSERT_EQ(points.size(), 2u);
    for (std::size_t v = 0; v < 2; ++v) {
      SCOPED_TRACE("location " + std::to_string(v + 1));
      EXPECT_NEAR(points[v].Hm0 / (4.0 * std::sqrt(testing::WrittenM0(file, v))), 1.0, 0.02);
      EXPECT_NEAR(points[v].directions.mean_deg, 20.0, 2.0);
    }
  }
  // 1D: one sea from 250 degrees, spread with the suggested Smax.
  {
    ScratchDir dir;
    const testing::Written1D file = testing::Swan1D({{1.2, 9.0, 250.0, 25.0}}, {});
    dir.Write("sea.sp1", file.text);
    const RunResult import = RunImport(dir, {"swan", "sea.sp1", "--normal-from", "270", "--out", "sea", "--json"});
    ASSERT_EQ(import.exit_status, 0) << import.err;
    const std::size_t smax_at = import.out.find("\"suggested_smax\": ");
    ASSERT_NE(smax_at, std::string::npos) << import.out;
    const double smax = std::strtod(import.out.c_str() + smax_at + 18, nullptr);
    const RunResult run = RunWavecomp(dir, "Sspe", "sea", testing::Fixed(smax, 10, 1));
    ASSERT_EQ(run.exit_status, 0) << run.out << run.err;
    double m0 = 0.0;
    for (std::size_t i = 0; i + 1 < file.f.size(); ++i) {
      m0 += 0.5 * (file.S[i] + file.S[i + 1]) * (file.f[i + 1] - file.f[i]);
    }
    const check::PointStatistics point = ComponentStatistics(dir).at(0);
    EXPECT_NEAR(point.Hm0 / (4.0 * std::sqrt(m0)), 1.0, 0.02);
    EXPECT_NEAR(point.directions.mean_deg, swan::WrapDegrees(270.0 - file.mean_from), 2.0);
  }
}

// The fault the refinement mends: on SWAN's own 10 % steps, with a top
// that is zero as written, wavecomp's division cannot fill its last bands
// with N = 1024; the imported table divides.
TEST(SwanRoundTrip, RefinementLetsWavecompFillEveryBand) {
  SwanLayout layout;
  layout.frequencies = 40;  // up to 1.8 Hz, the top rows all zero
  const testing::Written2D written = testing::Swan2D({SyntheticSea{}}, layout);

  ScratchDir coarse;
  const swan::SwanFile file = swan::ReadSwanFile(textio::TextFile::FromString("sea.sp2", written.text));
  const swan::DirectionBins bins = swan::ModelBins(file, {270.0, false});
  const std::size_t locations[] = {0};
  EmepConversion conversion = ConvertToEmep(file, file.times[0], locations, bins, 36, 1.0);
  RefinedGrid& grid = conversion.refinement.grid;
  grid = {};
  for (std::size_t i = 0; i < file.frequencies.size(); ++i) {
    grid.frequencies.push_back(file.frequencies[i]);
    grid.interval.push_back(i);
    grid.t.push_back(0.0);
  }
  std::string text;
  WriteEmepData(conversion, "unrefined", file.times[0], [&](std::string_view piece) { text += piece; });
  coarse.Write("coarse", text);
  coarse.Write("coarse.pnt", "    1\n");
  const RunResult stopped = RunWavecomp(coarse, "Emep", "coarse");
  EXPECT_NE(stopped.exit_status, 0);
  EXPECT_NE(stopped.err.find("cannot be filled"), std::string::npos) << stopped.err;

  ScratchDir refined;
  refined.Write("sea.sp2", written.text);
  const RunResult import = RunImport(refined, {"swan", "sea.sp2", "--normal-from", "270", "--out", "sea"});
  ASSERT_EQ(import.exit_status, 0) << import.err;
  const RunResult run = RunWavecomp(refined, "Emep", "sea");
  EXPECT_EQ(run.exit_status, 0) << run.out;
}

TEST(SwanImportCommand, RefusesWithTheReasonAndWritesNothing) {
  SwanLayout two_times;
  two_times.stamp = "20240101.120000";
  std::string times_text = testing::Swan2D({SyntheticSea{}}, two_times).text;
  times_text += times_text.substr(times_text.find("20240101.120000")).replace(0, 15, "20240101.130000");
  SwanLayout dry;
  dry.kinds = {"FACTOR", "NODATA"};
  const std::string dry_text = testing::Swan2D({SyntheticSea{}, SyntheticSea{}}, dry).text;
  const std::string sea = testing::Swan2D({SyntheticSea{}}, {}).text;
  struct Case {
    const char* name;
    std::string swan;
    std::vector<std::string> arguments;
    int status;
    std::string message;  // the start of standard error after "wavecomp-import: "
  };
  const auto args = [](std::vector<std::string> more) {
    std::vector<std::string> all = {"swan", "sea.spc", "--normal-from", "270"};
    all.insert(all.end(), more.begin(), more.end());
    return all;
  };
  const std::string dry_line =
      std::to_string(std::count(dry_text.begin(), dry_text.begin() + dry_text.find("NODATA"), '\n') + 1);
  const Case cases[] = {
      {"several times, none picked", times_text, args({"--out", "out"}), 1,
       "sea.spc holds 2 times: pick one with --time"},
      {"a time not in the file", times_text, args({"--out", "out", "--time", "20240101.140000"}), 1,
       "--time 20240101.140000 is not a time of sea.spc; its times are 20240101.120000, 20240101.130000"},
      {"a dry location", dry_text, args({"--out", "out"}), 1,
       ("location 2 of sea.spc has no data (NODATA in line " + dry_line +
        "); the locations with data are 1 (pick them with --locations)")},
      {"a location not in the file", sea, args({"--out", "out", "--locations", "1,2"}), 1,
       "--locations 1,2: location 2 is not in the file (1 to 1)"},
      {"an existing output", sea, args({"--out", "sea.spc"}), 1,
       "the output file sea.spc exists already; it is never overwritten"},
      {"an unknown option", sea, args({"--out", "out", "--north", "0"}), 1,
       "The following arguments were not expected"},
      {"a file that is not SWAN", "hello\n", args({"--out", "out"}), 2, "input error in sea.spc, line 1, columns 1-5"},
      {"no such file",
       "",
       {"swan", "missing.spc", "--normal-from", "270", "--out", "out"},
       2,
       "cannot open the SWAN file missing.spc"},
      {"an output folder that does not exist", sea, args({"--out", "no/such/folder/out"}), 3,
       "cannot create the output file no/such/folder/out"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDir dir;
    if (!c.swan.empty()) dir.Write("sea.spc", c.swan);
    const RunResult result = RunImport(dir, c.arguments);
    EXPECT_EQ(result.exit_status, c.status);
    EXPECT_EQ(result.err.rfind("wavecomp-import: " + c.message, 0), 0u) << result.err;
    EXPECT_TRUE(result.out.empty()) << result.out;
    EXPECT_FALSE(dir.Exists("out"));
    EXPECT_FALSE(dir.Exists("out.pnt"));
  }
}

TEST(SwanImportCommand, WritesOneSetPerTimeWithAllTimes) {
  ScratchDir dir;
  SwanLayout layout;
  layout.stamp = "20240101.120000";
  std::string text = testing::Swan2D({SyntheticSea{}}, layout).text;
  text += text.substr(text.find("20240101.120000")).replace(0, 15, "20240101.133000");
  dir.Write("sea.spc", text);
  const RunResult result = RunImport(dir, {"swan", "sea.spc", "--normal-from", "270", "--out", "sea", "--all-times"});
  ASSERT_EQ(result.exit_status, 0) << result.err;
  for (const char* name : {"sea_20240101T120000", "sea_20240101T133000"}) {
    ASSERT_TRUE(dir.Exists(name)) << name;
    ASSERT_TRUE(dir.Exists(std::string(name) + ".pnt")) << name;
    EXPECT_EQ(testing::ReadEmep(dir.Read(name)).at(0).year, 2024);
  }
  EXPECT_FALSE(dir.Exists("sea"));
  EXPECT_NE(result.out.find("a wave from 250.00 deg is at +20.00 deg"), std::string::npos) << result.out;
}

}  // namespace
}  // namespace wavecomp::importer
