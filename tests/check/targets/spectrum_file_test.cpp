// The targets of --spectrum: which kind of file is recognised, and that a
// run's Emep and Ene data check its component file point by point.
#include "check/targets/spectrum_file.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "check/check_command.h"
#include "check/check_run.h"
#include "support/test_support.h"

namespace wavecomp::check {
namespace {

using wavecomp::testing::Lines;
using wavecomp::testing::ScratchDir;
using wavecomp::testing::SourcePath;

TEST(TargetSpectra, RecognisesEveryKindOfInputFile) {
  ScratchDir dir;
  // The Emep data without its point list start with the first point header.
  const std::string coast = wavecomp::testing::ReadFile(SourcePath("examples/emep/coast"));
  dir.Write("coast", coast.substr(coast.find('\n') + 1));
  dir.Write("jonswap.spe",
            "      0.10000000E-01      0.00000000E+00      0.10000000E-05\n"
            "      0.20000000E-01      0.10000000E-02      0.10000000E-05\n");
  const struct {
    std::string path;
    std::string kind;
    std::size_t points;
    std::vector<std::int32_t> numbers;
    bool directional;
    std::string note;  // part of a note, "" for none
  } cases[] = {
      {dir.PathOf("jonswap.spe"), "jonswap.spe", 1, {0}, false, ""},
      {SourcePath("examples/sspe/bm_swell.spc"), "Sspe table", 1, {0}, false, ""},
      {SourcePath("tests/data/samples/sspe/swell.spc"), "Sspe table", 1, {0}, false, ""},
      {SourcePath("examples/emep/coast"), "Emep data", 3, {101, 102, 103}, true, ""},
      {SourcePath("tests/data/samples/emep/beach"), "Emep data", 2, {21, 22}, true, ""},
      {dir.PathOf("coast"), "Emep data", 1, {0}, true, "no point list " + dir.PathOf("coast") + ".pnt"},
      {SourcePath("examples/ene/ebm.out"), "Ene data", 2, {701, 702}, true, "scaled by E_in/E_spl = 0.99475"},
      {SourcePath("tests/data/samples/ene/ebm.out"), "Ene data", 2, {501, 502}, true, "scaled by E_in/E_spl"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    const TargetSpectra targets = ReadTargetSpectra(c.path);
    EXPECT_EQ(targets.kind, c.kind);
    EXPECT_EQ(targets.label, c.path);
    EXPECT_EQ(targets.points.size(), c.points);
    for (std::size_t v = 0; v < c.numbers.size(); ++v) EXPECT_EQ(targets.points[v].point_number, c.numbers[v]);
    for (const PointTarget& point : targets.points) {
      EXPECT_EQ(point.directional.has_value(), c.directional);
      EXPECT_GT(point.spectrum.Total(), 0.0);
    }
    // A frequency spectrum serves every point of a file; data give each point its own.
    EXPECT_EQ(targets.For(5) != nullptr, !c.directional);
    bool noted = c.note.empty();
    for (const std::string& note : targets.notes) noted = noted || note.find(c.note) != std::string::npos;
    EXPECT_TRUE(noted) << c.note;
  }
}

// The run of an example in a scratch folder, with its component file.
void RunExample(const ScratchDir& dir, const std::string& example) {
  std::filesystem::copy(SourcePath("examples/" + example), dir.path());
  ASSERT_EQ(wavecomp::testing::RunWavecomp(dir).exit_status, 0);
}

// The multi-point examples against their inputs: every point's Hm0 and Tp
// agree with its own spectrum, its target directions are those its data were
// made with (examples' README and generator), and the JSON document holds
// what the text table shows.
TEST(CheckAgainstData, EveryPointOfTheExamplesMeetsItsOwnInput) {
  const struct {
    const char* example;
    const char* data;
    std::vector<std::int32_t> numbers;
    std::vector<double> Hm0;             // m, of each point's spectrum
    std::vector<double> mean_direction;  // deg, of each point's spreading
  } cases[] = {
      {"emep", "coast", {101, 102, 103}, {1.0, 1.5, 2.0}, {-20.0, 0.0, 25.0}},
      {"ene", "ebm.out", {701, 702}, {1.6, 1.2}, {15.0, -10.0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.example);
    ScratchDir dir;
    RunExample(dir, c.example);
    const std::vector<std::string> arguments = {"--spectrum", dir.PathOf(c.data), dir.PathOf("wave.dat")};
    const Outcome text = Check(arguments);
    ASSERT_EQ(text.status, kExitSuccess) << text.err;
    std::vector<std::string> with_json = arguments;
    with_json.insert(with_json.begin(), "--json");
    const Outcome json_run = Check(with_json);
    ASSERT_EQ(json_run.status, kExitSuccess) << json_run.err;
    const nlohmann::json json = nlohmann::json::parse(json_run.out);

    EXPECT_EQ(json["layout"], "multi-point");
    EXPECT_EQ(json["target"]["kind"], std::string(c.example) == "emep" ? "Emep data" : "Ene data");
    EXPECT_EQ(json["expected_directions"], "each point's own spectrum");
    ASSERT_EQ(json["points"].size(), c.numbers.size());
    // The table rows: point (I6), number (I8), N (I7), Hm0 (F11.6), Tp (F10.4), direction (F16.2), spread
    // (F14.2), p (F13.4), target Hm0 (F12.6), its difference, target Tp (F12.4), its difference, target
    // direction (F12.2), its difference, target spread (F15.2), its difference.
    std::vector<std::string> rows;
    for (const std::string& line : Lines(text.out)) {
      if (line.size() > 150 && line.rfind("     ", 0) == 0 && std::isdigit(static_cast<unsigned char>(line[5]))) {
        rows.push_back(line);
      }
    }
    ASSERT_EQ(rows.size(), c.numbers.size()) << text.out;
    for (std::size_t v = 0; v < c.numbers.size(); ++v) {
      SCOPED_TRACE(v + 1);
      const nlohmann::json& point = json["points"][v];
      EXPECT_EQ(point["point_number"], c.numbers[v]);
      const double target_Hm0 = point["target"]["Hm0_m"];
      EXPECT_NEAR(target_Hm0, c.Hm0[v], 0.02 * c.Hm0[v]);
      EXPECT_LT(std::abs(point["difference"]["Hm0_relative"].get<double>()), 2e-3);
      EXPECT_LT(std::abs(point["difference"]["Tp_relative"].get<double>()), 5e-3);
      EXPECT_NEAR(point["target"]["mean_direction_deg"].get<double>(), c.mean_direction[v], 1.0);
      // Text and JSON tell the same, to the text's decimals.
      const std::string& row = rows[v];
      EXPECT_NEAR(std::stod(row.substr(21, 11)), point["measured"]["Hm0_m"].get<double>(), 5e-7);
      EXPECT_NEAR(std::stod(row.substr(31 + 10 + 16 + 14 + 13 + 1, 12)), target_Hm0, 5e-7);
      EXPECT_NEAR(std::stod(row.substr(109, 12)), point["target"]["Tp_s"].get<double>(), 5e-5);
      EXPECT_NEAR(std::stod(row.substr(133, 12)), point["target"]["mean_direction_deg"].get<double>(), 5e-3);
      EXPECT_NEAR(std::stod(row.substr(145, 12)), point["difference"]["mean_direction_deg"].get<double>(), 5e-3);
      EXPECT_NEAR(std::stod(row.substr(157, 15)), point["target"]["directional_spread_deg"].get<double>(), 5e-3);
    }
  }
}

// A single point drawn from its own directional spectrum: the expected
// directions are exactly those the run drew from, so the measured mean
// direction and spread lie within sampling of them.
TEST(CheckAgainstData, ASinglePointMatchesItsOwnDirections) {
  for (const char* example : {"emep", "ene"}) {
    SCOPED_TRACE(example);
    ScratchDir dir;
    std::filesystem::copy(SourcePath(std::string("examples/") + example), dir.path());
    const std::string data = std::string(example) == "emep" ? "coast" : "ebm.out";
    // The point list cut to its first point.
    const std::vector<std::string> list = Lines(dir.Read(data + ".pnt"));
    dir.Write(data + ".pnt", std::string(example) == "emep" ? "    1\n" + list[1] + "\n"
                                                            : "    1" + list[0].substr(5) + "\n" + list[1] + "\n");
    ASSERT_EQ(wavecomp::testing::RunWavecomp(dir).exit_status, 0);
    const Outcome json_run = Check({"--json", "--spectrum", dir.PathOf(data), dir.PathOf("wave.dat")});
    ASSERT_EQ(json_run.status, kExitSuccess) << json_run.err;
    const nlohmann::json json = nlohmann::json::parse(json_run.out);
    ASSERT_EQ(json["layout"], "single point");
    const nlohmann::json& point = json["points"][0];
    const double spread = point["target"]["directional_spread_deg"];
    // spread / sqrt(N) is the standard error of the mean direction.
    const double standard_error = spread / std::sqrt(128.0);
    EXPECT_LT(std::abs(point["difference"]["mean_direction_deg"].get<double>()), 3.0 * standard_error);
    EXPECT_LT(std::abs(point["difference"]["directional_spread_deg"].get<double>()), 3.0 * standard_error);
    EXPECT_LT(std::abs(point["difference"]["Hm0_relative"].get<double>()), 2e-3);
    // The text shows the same comparison in its rows.
    const Outcome text = Check({"--spectrum", dir.PathOf(data), dir.PathOf("wave.dat")});
    EXPECT_NE(text.out.find("\nmean direction (deg)   "), std::string::npos) << text.out;
    EXPECT_EQ(text.out.find("no expected distribution"), std::string::npos) << text.out;
  }
}

}  // namespace
}  // namespace wavecomp::check
