// wavecomp-export end to end: the four examples through every format of the
// table and back through wavecomp-check --format, and what it refuses.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "core/front_door.h"
#include "output/output_formats.h"
#include "support/test_support.h"

namespace wavecomp {
namespace {

using testing::RunProgram;
using testing::RunResult;
using testing::ScratchDir;

RunResult Export(const ScratchDir& dir, const std::vector<std::string>& arguments) {
  return RunProgram(WAVECOMP_EXPORT_EXE, dir.path(), arguments, "");
}

// The columns of a series CSV by their header names ("t_s", "eta_3_m").
std::map<std::string, std::vector<double>> Columns(const std::string& csv) {
  std::istringstream lines(csv);
  std::string line;
  std::getline(lines, line);
  std::vector<std::string> names;
  std::istringstream header(line);
  for (std::string name; std::getline(header, name, ',');) names.push_back(name);
  std::map<std::string, std::vector<double>> columns;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string field;
    for (std::size_t c = 0; c < names.size() && std::getline(fields, field, ','); ++c)
      columns[names[c]].push_back(std::stod(field));
  }
  return columns;
}

std::map<std::string, std::vector<double>> Series(const ScratchDir& dir, std::vector<std::string> arguments) {
  const std::string csv = dir.PathOf("series.csv");
  std::filesystem::remove(csv);
  arguments.insert(arguments.begin(), {"--series", "300", "--series-csv", csv});
  const RunResult check = RunProgram(WAVECOMP_CHECK_EXE, dir.path(), arguments, "");
  EXPECT_EQ(check.exit_status, kExitSuccess) << check.err;
  return Columns(dir.Read("series.csv"));
}

// The proof that the conventions were converted and not only the numbers
// copied: the record each exported file makes under its model's convention
// is the record of the component file it came from, to 1e-9 of Hm0 at every
// sample (the series CSV's own digits are finer than that).
TEST(ExportCommand, EveryFormatReadBackMakesTheSameRecordForEveryExample) {
  for (const char* example : {"jonswap", "sspe", "emep", "ene"}) {
    SCOPED_TRACE(example);
    ScratchDir dir;
    std::filesystem::copy(testing::SourcePath(std::string("examples/") + example), dir.path());
    ASSERT_EQ(testing::RunWavecomp(dir).exit_status, 0);
    const std::map<std::string, std::vector<double>> base = Series(dir, {"wave.dat"});
    for (const OutputFormat& format : OutputFormats()) {
      SCOPED_TRACE(format.name);
      const std::string name = "out." + std::string(format.name);
      const RunResult run = Export(dir, {std::string(format.name), "wave.dat", "--out", name, "--all-points"});
      ASSERT_EQ(run.exit_status, kExitSuccess) << run.err;
      std::size_t files = 0;
      for (const auto& [column, eta] : base) {
        if (column == "t_s") continue;
        const std::string number = column.substr(4, column.size() - 6);  // eta_<k>_m
        SCOPED_TRACE("point " + number);
        const std::map<std::string, std::vector<double>> back =
            Series(dir, {"--format", std::string(format.name), name + "_P" + number});
        ASSERT_EQ(back.at("eta_1_m").size(), eta.size());
        double variance = 0.0;
        for (double value : eta) variance += value * value / static_cast<double>(eta.size());
        const double Hm0 = 4.0 * std::sqrt(variance);
        double worst = 0.0;
        for (std::size_t k = 0; k < eta.size(); ++k) worst = std::max(worst, std::abs(back.at("eta_1_m")[k] - eta[k]));
        EXPECT_LE(worst, 1e-9 * Hm0);
        ++files;
      }
      EXPECT_GE(files, 1u);
    }
  }
}

// A file of one component whose direction is 1.7 rad (97.4 deg): the models
// that keep only +-90 deg refuse it rather than drop it.
constexpr std::string_view kOneSteepComponent =
    "    1\n    1    9       0.0\n   0.100000E+00   0.500000E+00   0.170000E+01   0.100000E+01\n\n\n"
    "   0.100000E+01   0.100000E+02   0.000000E+00\nemep.dat\n";

TEST(ExportCommand, RefusesWhatItCannotWriteAndWritesNothing) {
  const struct {
    const char* name;
    std::vector<std::string> arguments;
    int status;
    const char* message;  // part of standard error
  } cases[] = {
      {"unknown format", {"swash", "wave.dat", "--out", "x"}, kExitUsage,
       "unknown format \"swash\": one of funwave, olaflow, celeris, csv, json"},
      {"no such point", {"csv", "multi.dat", "--out", "x", "--point", "9"}, kExitStopped,
       "there is no point 9 in multi.dat: its points are numbered 4 to 5"},
      {"several points, none chosen", {"csv", "multi.dat", "--out", "x"}, kExitStopped,
       "multi.dat holds 2 points, and a file of CSV holds one: choose one with --point K"},
      {"an existing output", {"csv", "wave.dat", "--out", "taken"}, kExitStopped,
       "the output file taken exists already; it is never overwritten"},
      {"FUNWAVE beyond 90 deg", {"funwave", "steep.dat", "--out", "x"}, kExitStopped,
       "component 1 travels at 97.4 deg: FUNWAVE-TVD's WK_NEW_DATA2D keeps only |direction| <= 90"},
      {"Celeris beyond 90 deg", {"celeris", "steep.dat", "--out", "x"}, kExitStopped, "component 1 travels at"},
      {"olaFlow with one component", {"olaflow", "steep.dat", "--out", "x"}, kExitStopped,
       "olaFlow irregular-wave takes 2 components or more; the file has 1"},
      {"not a component file", {"csv", "taken", "--out", "x"}, kExitInputError, "input error in taken, line 1"},
      {"mistyped option", {"csv", "wave.dat", "--out", "x", "--all-point"}, kExitUsage,
       "unknown option --all-point; did you mean --all-points?"},
  };
  ScratchDir dir;
  std::filesystem::copy(testing::SourcePath("examples/jonswap"), dir.path());
  ASSERT_EQ(testing::RunWavecomp(dir).exit_status, 0);
  dir.Write("taken", "keep me\n");
  dir.Write("steep.dat", std::string(kOneSteepComponent));
  dir.Write("multi.dat",
            "    2\n    1    9       0.0    4\n   0.100000E+00   0.500000E+00   0.000000E+00   0.100000E+01\n"
            "    1    9       0.0    5\n   0.100000E+00   0.400000E+00   0.000000E+00   0.100000E+01\n");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const RunResult run = Export(dir, c.arguments);
    EXPECT_EQ(run.exit_status, c.status);
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_FALSE(dir.Exists("x"));
    EXPECT_EQ(dir.Read("taken"), "keep me\n");
  }
  // The checker refuses a format it does not know as a command-line error.
  const RunResult check = RunProgram(WAVECOMP_CHECK_EXE, dir.path(), {"--format", "swash", "wave.dat"}, "");
  EXPECT_EQ(check.exit_status, kExitUsage);
  EXPECT_NE(check.err.find("--format needs a format: funwave, olaflow, celeris, csv or json, found \"swash\""),
            std::string::npos)
      << check.err;
}

}  // namespace
}  // namespace wavecomp
