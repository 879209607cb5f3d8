// wavecomp-import swan end to end: the real program converts synthetic SWAN
// files, the real wavecomp divides the result into 1024 components, and the
// real wavecomp-check must find the SWAN sea in them; and the program's
// refusals.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>
#include <numbers>
#include <string>
#include <vector>

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

// import -> wavecomp (N = 1024) -> wavecomp-check --spectrum SWAN_FILE: the
// checker, reading the SWAN file itself, finds every point's Hm0 within 2 %
// and its mean direction within 2 degrees, or three standard errors of a
// broad sea's. The 2D points are imported in the order 2,1, so a checker
// pairing them by place instead of number fails Hm0.
TEST(SwanRoundTrip, CheckerFindsTheSwanSeaInTheComponents) {
  const SyntheticSea high{1.5, 10.0, 250.0, 10.0}, low{1.0, 8.0, 250.0, 10.0};
  const testing::Written2D two = testing::Swan2D({high, low}, {});
  const testing::Written2D single = testing::Swan2D({high}, {});
  const testing::Written1D one = testing::Swan1D({{1.2, 9.0, 250.0, 25.0}}, {});
  // Narrower than wavecomp spreads (about 1.5 degrees): Smax 999 would lose its direction.
  const testing::Written1D narrow = testing::Swan1D({{1.2, 9.0, 250.0, 3000.0}}, {});
  // Spread so broadly (s = 1) that a fifth travels offshore. The bins are
  // wholly on one side of +-90 degrees (model directions 265 - 10 j), so the
  // onshore truth is a sum over the written bins.
  const testing::Written2D partly_offshore = testing::Swan2D({SyntheticSea{1.5, 10.0, 250.0, 1.0}}, {});
  double onshore_m0 = 0.0, onshore_a = 0.0, onshore_b = 0.0;
  for (std::size_t i = 0; i < partly_offshore.f.size(); ++i) {
    const double df = (i > 0 ? partly_offshore.f[i] - partly_offshore.f[i - 1] : 0.0) +
                      (i + 1 < partly_offshore.f.size() ? partly_offshore.f[i + 1] - partly_offshore.f[i] : 0.0);
    for (int j = 0; j < testing::kBins; ++j) {
      const double theta = swan::WrapDegrees(270.0 - testing::BinCentre(j));
      if (std::abs(theta) > 90.0) continue;
      const double e = partly_offshore.E[0][i * testing::kBins + std::size_t(j)] * testing::kBinWidth * 0.5 * df;
      onshore_m0 += e;
      onshore_a += e * std::cos(theta * std::numbers::pi / 180.0);
      onshore_b += e * std::sin(theta * std::numbers::pi / 180.0);
    }
  }
  const auto hm0_1d = [](const testing::Written1D& file) {
    double m0 = 0.0;
    for (std::size_t i = 0; i + 1 < file.f.size(); ++i)
      m0 += 0.5 * (file.S[i] + file.S[i + 1]) * (file.f[i + 1] - file.f[i]);
    return 4.0 * std::sqrt(m0);
  };
  const auto hm0 = [](const testing::Written2D& file, std::size_t k) {
    return 4.0 * std::sqrt(testing::WrittenM0(file, k));
  };
  struct Case {
    const char* name;
    std::string swan;
    std::vector<std::string> frame;  // to the importer and the checker alike
    std::vector<std::string> selection;
    std::string type;
    std::vector<double> hm0;  // truth of the component file's points, in its order
    double direction;         // truth of every point, model degrees
  };
  const Case cases[] = {
      {"2D, two locations",
       two.text,
       {"--normal-from", "270"},
       {"--locations", "2,1"},
       "Emep",
       {hm0(two, 1), hm0(two, 0)},
       20.0},
      {"2D, clockwise", single.text, {"--normal-from", "270", "--clockwise"}, {}, "Emep", {hm0(single, 0)}, -20.0},
      {"2D, a fifth offshore, left out",
       partly_offshore.text,
       {"--normal-from", "270"},
       {},
       "Emep",
       {4.0 * std::sqrt(onshore_m0)},
       std::atan2(onshore_b, onshore_a) * 180.0 / std::numbers::pi},
      {"1D", one.text, {"--normal-from", "270"}, {}, "Sspe", {hm0_1d(one)}, swan::WrapDegrees(270.0 - one.mean_from)},
      {"1D, nearly unidirectional",
       narrow.text,
       {"--normal-from", "270"},
       {},
       "Sspe",
       {hm0_1d(narrow)},
       swan::WrapDegrees(270.0 - narrow.mean_from)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDir dir;
    dir.Write("sea.spc", c.swan);
    std::vector<std::string> import = {"swan", "sea.spc", "--out", "sea", "--json"};
    import.insert(import.end(), c.frame.begin(), c.frame.end());
    import.insert(import.end(), c.selection.begin(), c.selection.end());
    const RunResult imported = RunImport(dir, import);
    ASSERT_EQ(imported.exit_status, 0) << imported.err;
    // A 1D sea is spread with the importer's suggestion.
    const nlohmann::json location = nlohmann::json::parse(imported.out)["outputs"][0]["locations"][0];
    const nlohmann::json suggested = location.value("suggested_smax", nlohmann::json());  // 2D: none
    const double smax = suggested.is_number() ? suggested.get<double>() : 10.0;
    const RunResult run = RunWavecomp(dir, c.type, "sea", testing::Fixed(smax, 10, 1));
    ASSERT_EQ(run.exit_status, 0) << run.out << run.err;

    std::vector<std::string> check = {"--json", "--spectrum", "sea.spc"};
    check.insert(check.end(), c.frame.begin(), c.frame.end());
    check.push_back("wave.dat");
    const RunResult checked = testing::RunProgram(WAVECOMP_CHECK_EXE, dir.path(), check, "");
    ASSERT_EQ(checked.exit_status, 0) << checked.err;
    const nlohmann::json points = nlohmann::json::parse(checked.out)["points"];
    ASSERT_EQ(points.size(), c.hm0.size());
    for (std::size_t v = 0; v < points.size(); ++v) {
      SCOPED_TRACE("point " + std::to_string(v + 1));
      const nlohmann::json& target = points[v]["target"];
      const nlohmann::json& difference = points[v]["difference"];
      EXPECT_NEAR(target["Hm0_m"].get<double>() / c.hm0[v], 1.0, 1e-3);
      EXPECT_NEAR(target["mean_direction_deg"].get<double>(), c.direction, 0.5);
      EXPECT_LT(std::abs(difference["Hm0_relative"].get<double>()), 0.02);
      // Three standard errors of 1024 directions drawn with the sea's spread.
      const double sampling = 3.0 * target["directional_spread_deg"].get<double>() / std::sqrt(1024.0);
      EXPECT_LT(std::abs(difference["mean_direction_deg"].get<double>()), std::max(2.0, sampling));
    }
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
  SwanLayout sector;  // 60 % from 60 to 180 degrees (nautical), offshore in the frame 270
  sector.sector_low = 65.0;
  sector.sector_high = 255.0;
  const std::string mostly_offshore = testing::Swan2D({SyntheticSea{1.5, 10.0, 0.0, 0.0}}, sector).text;
  const std::string east = testing::Swan1D({{1.2, 9.0, 90.0, 25.0}}, {}).text;  // from the east: travels west
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
      {"most of the energy offshore", mostly_offshore, args({"--out", "out"}), 1,
       "location 1 of sea.spc: 60.0 % of its energy travels offshore (beyond +-90 deg of the model's x-axis; mean "
       "direction 110.00 deg); the frame is probably wrong: check --normal-from 270.00"},
      {"a 1D sea travelling offshore", east, args({"--out", "out", "--offshore", "keep"}), 1,
       "location 1 of sea.spc: its principal direction "},
      {"an --offshore that is neither drop nor keep", sea, args({"--out", "out", "--offshore", "yes"}), 2,
       "--offshore: takes drop or keep, found \"yes\""},
      {"an unknown option", sea, args({"--out", "out", "--north", "0"}), 2, "unknown option --north"},
      {"a mistyped option", sea, args({"--out", "out", "--normal_from", "0"}), 2,
       "unknown option --normal_from; did you mean --normal-from?"},
      {"no file name", sea, {"swan", "--normal-from", "270", "--out", "out"}, 2, "SWAN_FILE is required"},
      {"a file that is not SWAN", "hello\n", args({"--out", "out"}), 2, "input error in sea.spc, line 1, columns 1-5"},
      {"no such file",
       "",
       {"swan", "missing.spc", "--normal-from", "270", "--out", "out"},
       1,
       "cannot open the SWAN file missing.spc: No such file or directory"},
      {"a folder",
       "",
       {"swan", ".", "--normal-from", "270", "--out", "out"},
       1,
       "cannot open the SWAN file .: Is a directory"},
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

// The importer replaces nothing: a name that is a device, FIFO, socket or
// folder, or a link to the SWAN file, is refused like any existing file and
// left as it was, and the other output does not appear either.
TEST(SwanImportCommand, NeverWritesOverADeviceAFifoASocketOrAnInput) {
  const std::string sea = testing::Swan2D({SyntheticSea{}}, {}).text;
  for (const std::string name : {"out", "out.pnt"}) {
    for (const testing::HostileTarget& target : testing::kHostileTargets) {
      SCOPED_TRACE(name + " is " + target.label);
      ScratchDir dir;
      dir.Write("sea.spc", sea);
      if (!testing::MakeHostile(dir, name, target.kind, "sea.spc")) continue;
      const std::string before = testing::Fingerprint(dir.PathOf(name));
      const RunResult result = RunImport(dir, {"swan", "sea.spc", "--normal-from", "270", "--out", "out"});
      EXPECT_EQ(result.exit_status, 1);
      EXPECT_EQ(result.err, "wavecomp-import: the output file " + name +
                                " exists already; it is never overwritten (nothing was written)\n");
      EXPECT_EQ(result.out, "");
      EXPECT_EQ(testing::Fingerprint(dir.PathOf(name)), before);
      EXPECT_FALSE(dir.Exists(name == "out" ? "out.pnt" : "out"));
    }
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
