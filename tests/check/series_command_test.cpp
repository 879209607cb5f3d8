// wavecomp-check --series: the command line, the JSON and text of the
// time-domain check, the CSV of the records, and the bundled examples.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <tuple>
#include <vector>

#include "check/check_command.h"
#include "check/check_run.h"
#include "check/component_text.h"
#include "check/kernels/sea_surface.h"
#include "check/render/progress_line.h"
#include "check/series_run.h"
#include "support/test_support.h"

namespace wavecomp::check {
namespace {

using testing::Component;
using testing::Lines;
using testing::ScratchDir;

// One sinusoid of amplitude 0.5 m at 0.1 Hz with a JNS trailer of H1/3 1 m, T1/3 10 s.
std::string Sinusoid() {
  return testing::SinglePointFile({{0.1, 0.5, 0.0, 1.0}}, testing::JnsTrailer(1.0, 10.0, 0.0, 3.3, 4711, 999.0));
}

TEST(SeriesCommand, TakesItsOptionsAndRefusesWrongValues) {
  ScratchDir dir;
  dir.Write("wave.dat", Sinusoid());
  // Tp 1 / 0.0205 s (the density between the two): 500 Tp is longer than three hours.
  dir.Write("swell.dat", testing::SinglePointFile({{0.02, 0.5, 0.0, 1.0}, {0.021, 0.5, 0.0, 2.0}},
                                                  testing::JnsTrailer(1.0, 50.0, 0.0, 3.3, 4711, 999.0)));
  const std::string wave = dir.PathOf("wave.dat");
  const struct {
    std::vector<std::string> arguments;
    double duration_s, dt_s;  // of the record, when the check runs
    std::string error;        // the first line on standard error otherwise
    int status = kExitUsage;  // with it: a wrong command line, or a record the check refuses (1)
  } cases[] = {
      {{"--series", wave}, 10800.0, 0.5, ""},  // the file after --series is not its duration
      {{wave, "--series", "600"}, 600.0, 0.5, ""},
      {{"--series=600", "--dt", "0.25", wave}, 600.0, 0.25, ""},
      {{"--dt=0.25", wave}, 10800.0, 0.25, ""},  // implies --series
      {{"--series", dir.PathOf("swell.dat")}, 500.0 / 0.0205, 1.0 / (20.0 * 0.021), ""},
      {{"--series", "0", wave}, 0, 0, "--series takes a duration in seconds above 0 (got 0)"},
      {{"--series=-5", wave}, 0, 0, "--series takes a duration in seconds above 0 (got -5)"},
      {{wave, "--dt"}, 0, 0, "--dt needs a time step in seconds"},
      {{"--dt", "fast", wave}, 0, 0, "--dt takes a time step in seconds above 0 (got fast)"},
      {{wave, "--series-csv"}, 0, 0, "--series-csv needs a file name"},
      {{"--series-csv", "--json", wave}, 0, 0, "--series-csv needs a file name"},
      {{"--series", "1e9", wave},
       0,
       0,
       "a record of 1000000000 s at steps of 0.5 s takes more than the 33554432 samples the check holds per point: "
       "ask for a shorter --series or a longer --dt",
       kExitStopped},
      {{"--series", "1", "--dt", "2", wave},
       0,
       0,
       "the time step 2 s is not shorter than the record (1 s): ask for a shorter --dt or a longer --series",
       kExitStopped},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments.front() + " " + c.arguments.back());
    std::vector<std::string> arguments = c.arguments;
    arguments.push_back("--json");
    const Outcome outcome = Check(arguments);
    if (!c.error.empty()) {
      EXPECT_EQ(outcome.status, c.status);
      EXPECT_EQ(Lines(outcome.err).front(), "wavecomp-check: " + c.error);
      EXPECT_EQ(outcome.out, "");
      continue;
    }
    ASSERT_EQ(outcome.status, kExitSuccess) << outcome.err;
    const nlohmann::json series = nlohmann::json::parse(outcome.out)["points"][0]["series"];
    EXPECT_DOUBLE_EQ(series["duration_s"].get<double>(), c.duration_s);
    EXPECT_DOUBLE_EQ(series["dt_s"].get<double>(), c.dt_s);
  }
}

// What the check says of records whose answer is known: one sinusoid
// (H = 2a, T = 1/f, variance a^2/2, repeating every period) through the
// whole command, and the text telling what the JSON holds.
TEST(SeriesCommand, ReportsTheRecordOfASinusoid) {
  ScratchDir dir;
  dir.Write("wave.dat", Sinusoid());
  const Outcome json_run = Check({"--json", "--series", "600", dir.PathOf("wave.dat")});
  ASSERT_EQ(json_run.status, kExitSuccess) << json_run.err;
  const nlohmann::json s = nlohmann::json::parse(json_run.out)["points"][0]["series"];
  EXPECT_EQ(s["waves"], 59);  // 60 up-crossings in 600 s
  for (const char* key : {"H13_m", "H110_m", "Hmax_m", "Hmean_m"}) EXPECT_NEAR(s[key].get<double>(), 1.0, 1e-4) << key;
  for (const char* key : {"T13_s", "Tmean_s"}) EXPECT_NEAR(s[key].get<double>(), 10.0, 1e-6) << key;
  EXPECT_NEAR(s["variance_m2"].get<double>(), 0.125, 1e-3);
  EXPECT_NEAR(s["H13_relative"].get<double>(), 0.0, 1e-4);  // against the trailer's 1 m
  EXPECT_EQ(s["target_T13_s"], 10.0);
  // A sinusoid is its own repetition after every period: r = 1 - lag / duration at 10 Tp.
  EXPECT_NEAR(s["max_autocorrelation"].get<double>(), 1.0 - 100.0 / 600.0, 1e-3);
  EXPECT_NEAR(s["autocorrelation_lag_s"].get<double>(), 100.0, 1e-6);
  EXPECT_EQ(s["repeats"], true);
  EXPECT_NE(s["warning"].get<std::string>().find("use more components"), std::string::npos);

  const Outcome text = Check({"--series", "600", dir.PathOf("wave.dat")});
  ASSERT_EQ(text.status, kExitSuccess) << text.err;
  const std::vector<std::string> lines = Lines(text.out);
  const auto row = [&lines](const std::string& label) {
    for (const std::string& line : lines) {
      if (line.rfind(label, 0) == 0) return line.substr(30);
    }
    return std::string("missing");
  };
  EXPECT_EQ(row("waves (zero up-crossings)"), "            59");
  EXPECT_EQ(row("T1/3 (s)").substr(0, 28), "       10.0000       10.0000");
  EXPECT_EQ(row("variance (m^2)").substr(14, 14), "      0.125000");  // sum a^2/2
  EXPECT_EQ(row("largest autocorrelation").substr(0, 21), "0.833 at lag 100.0 s ");
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      "Warning: the record repeats itself within its duration: use more components"),
            lines.end());
}

// The CSV holds the record of every point on the shared grid, in order
// across the pieces it is made in, to the synthesis' own precision.
TEST(SeriesCommand, CsvHoldsTheRecordOfEveryPoint) {
  ScratchDir dir;
  const std::vector<std::vector<Component>> points = {
      {{0.08, 0.3, 0.2, 1.0}, {0.1, 0.2, 0.0, 3.0}, {0.14, 0.1, -0.2, 5.0}},
      {{0.05, 0.4, 0.0, 2.0}},
      {},  // no components: a column of zeros
  };
  std::string text = "    3\n";
  for (std::size_t v = 0; v < points.size(); ++v) {
    text += testing::PointHeader(static_cast<std::int64_t>(points[v].size()), 101 + static_cast<std::int64_t>(v));
    text += testing::Records(points[v]);
  }
  dir.Write("multi.dat", text);
  // 10001 rows: more than two pieces of 4096, made two at a time.
  const Outcome outcome =
      Check({"--series", "5000", "--dt", "0.5", "--series-csv", dir.PathOf("eta.csv"), dir.PathOf("multi.dat")});
  ASSERT_EQ(outcome.status, kExitSuccess) << outcome.err;
  EXPECT_NE(outcome.out.find("\nSeries written to " + dir.PathOf("eta.csv") + "\n"), std::string::npos);
  const std::vector<std::string> rows = Lines(dir.Read("eta.csv"));
  ASSERT_EQ(rows.size(), 10002u);
  EXPECT_EQ(rows[0], "t_s,eta_101_m,eta_102_m,eta_103_m");
  for (std::size_t k : {0u, 1u, 2u, 4095u, 4096u, 8191u, 8192u, 8193u, 10000u}) {
    SCOPED_TRACE(k);
    std::vector<double> fields;
    for (std::size_t at = 0, end = 0; end != std::string::npos; at = end + 1) {
      end = rows[k + 1].find(',', at);
      fields.push_back(std::stod(rows[k + 1].substr(at, end - at)));
    }
    ASSERT_EQ(fields.size(), 4u);
    const double t = 0.5 * static_cast<double>(k);
    EXPECT_EQ(fields[0], t);
    for (std::size_t v = 0; v < points.size(); ++v) {
      std::vector<double> f, a, phase;
      for (const Component& c : points[v]) {
        f.push_back(c.f);
        a.push_back(c.a);
        phase.push_back(c.phase);
      }
      EXPECT_NEAR(fields[v + 1], DirectElevation(f, a, phase, t), 1e-9) << "point " << v + 1;
    }
  }
  EXPECT_NE(outcome.out.find("1 point has no component with a positive frequency"), std::string::npos);
}

// Points checked one at a time (a budget no point fits in, each record's
// synthesis shared out) or all at once, on one thread or two, give the same
// figures to the last bit.
TEST(SeriesCommand, MemoryBudgetAndThreadsChangeNoFigure) {
  ComponentFileContents contents;
  for (int v = 0; v < 3; ++v) {
    contents.headers.emplace_back();
    ComponentSet::Point& point = contents.set.points.emplace_back();
    for (int i = 0; i < 40; ++i) {
      point.frequency.push_back(0.05 + 0.004 * i + 0.0003 * v);
      point.amplitude.push_back(0.1 + 0.002 * ((i * 7 + v) % 11));
      point.direction.push_back(0.0);
      point.phase.push_back(0.37 * i + v);
    }
  }
  const ComponentFile file(std::move(contents));
  const SeriesGrid grid = PlanSeries(file, SeriesRequest{true, 1800.0, std::nullopt, std::nullopt});
  std::vector<FileSeries> runs;
  for (const int threads : {1, 2})
    for (const std::size_t budget : {std::size_t{1}, std::size_t{1} << 40})
      runs.push_back(RunSeries(file, nullptr, grid, SeriesRun{threads, budget, {0, 2}, {}}));
  for (std::size_t r = 1; r < runs.size(); ++r) {
    for (std::size_t v = 0; v < file.points.size(); ++v) {
      const PointSeries &x = *runs[0].points[v], &y = *runs[r].points[v];
      EXPECT_EQ(std::tie(x.variance_m2, x.waves.waves, x.waves.H13_m, x.welch.m0, x.repetition.max_autocorrelation),
                std::tie(y.variance_m2, y.waves.waves, y.waves.H13_m, y.welch.m0, y.repetition.max_autocorrelation))
          << r << " " << v;
    }
  }
}

// Every bundled example, a multi-point one among them, checked over ten
// minutes: the text has the time-domain lines, the plot its panels and the
// JSON a series object for every point that the text's figures agree with.
TEST(SeriesCommand, ChecksTheFourExamples) {
  const struct {
    const char* example;
    std::vector<std::string> spectrum;  // --spectrum, for a target
    std::size_t points;
    bool trailer_targets;  // H1/3 and T1/3 against the trailer
  } cases[] = {
      {"jonswap", {}, 1, true},
      {"sspe", {"--spectrum", "bm_swell.spc"}, 1, true},
      {"emep", {"--spectrum", "coast"}, 3, false},
      {"ene", {"--spectrum", "ebm.out"}, 2, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.example);
    ScratchDir dir;
    std::filesystem::copy(testing::SourcePath(std::string("examples/") + c.example), dir.path());
    ASSERT_EQ(testing::RunWavecomp(dir).exit_status, 0);
    std::vector<std::string> arguments = {"--series", "600", dir.PathOf("wave.dat"), "--svg", dir.PathOf("plot.svg")};
    for (const std::string& option : c.spectrum)
      arguments.push_back(option == "--spectrum" ? option : dir.PathOf(option));
    const Outcome text = Check(arguments);
    ASSERT_EQ(text.status, kExitSuccess) << text.err;
    arguments.push_back("--json");
    const Outcome json_run = Check(arguments);
    ASSERT_EQ(json_run.status, kExitSuccess) << json_run.err;
    const nlohmann::json json = nlohmann::json::parse(json_run.out);
    ASSERT_EQ(json["points"].size(), c.points);

    const std::vector<std::string> lines = Lines(text.out);
    std::size_t heading = 0;
    while (heading < lines.size() && lines[heading].rfind("Time domain: eta(t) = sum a cos(2 pi f t + phase)", 0) != 0)
      ++heading;
    ASSERT_LT(heading, lines.size()) << text.out;
    for (std::size_t v = 0; v < c.points; ++v) {
      SCOPED_TRACE(v + 1);
      const nlohmann::json& s = json["points"][v]["series"];
      for (const char* key : {"waves", "H13_m", "T13_s", "H110_m", "Hmax_m", "variance_m2", "max_autocorrelation"})
        EXPECT_TRUE(s[key].is_number()) << key;
      EXPECT_EQ(s["duration_s"], 600.0);
      EXPECT_GT(s["waves"].get<int>(), 40);
      EXPECT_GT(s["H13_over_Hm0"].get<double>(), 0.85);
      EXPECT_LT(s["H13_over_Hm0"].get<double>(), 1.1);
      EXPECT_LT(std::abs(s["variance_relative"].get<double>()), 0.25);
      EXPECT_EQ(s["target_H13_m"].is_number(), c.trailer_targets);
      EXPECT_EQ(s["welch"]["target_m0_m2"].is_number(), true);
      // The text shows the same H1/3: in its block (one point) or the table's row.
      const double H13 = s["H13_m"];
      if (c.points == 1) {
        const auto at = text.out.find("\nH1/3 (m)          ");
        ASSERT_NE(at, std::string::npos);
        EXPECT_NEAR(std::stod(text.out.substr(at + 31, 14)), H13, 5e-7);
      } else {
        const std::string& row = lines[heading + 2 + v];
        EXPECT_NEAR(std::stod(row.substr(21, 11)), H13, 5e-7) << row;
      }
    }
    const std::string svg = dir.Read("plot.svg");
    for (const char* title :
         {"the record around its highest wave", "Welch spectrum of the record", "wave heights (zero up-crossing)"}) {
      EXPECT_NE(svg.find(title), std::string::npos) << title;
    }
  }
}

// Progress stays quiet for short steps; past that, plain lines at every
// tenth, or one terminal line rewritten in place and ended once done.
TEST(SeriesCommand, ShowsProgressOnlyOfLongSteps) {
  const struct {
    bool terminal;
    double quiet_seconds;
    std::string expected;
  } cases[] = {
      {false, 60.0, ""},
      {false, 0.0,
       "wavecomp-check: step 5 %, 0 s, about 0 s left\nwavecomp-check: step 50 %, 0 s, about 0 s left\n"
       "wavecomp-check: step done in 0 s\n"},
      {true, 0.0,
       "\rwavecomp-check: step 5 %, 0 s, about 0 s left\rwavecomp-check: step 7 %, 0 s, about 0 s left"
       "\rwavecomp-check: step 50 %, 0 s, about 0 s left\rwavecomp-check: step done in 0 s              \n"},
  };
  for (const auto& c : cases) {
    std::string shown;
    const ProgressStream stream{[&shown](std::string_view bytes) { shown += bytes; }, c.terminal};
    ProgressLine line(stream, "step", c.quiet_seconds);
    for (double fraction : {0.05, 0.07, 0.5}) line.Show(fraction);
    line.Finish();
    EXPECT_EQ(shown, c.expected);
  }
}

}  // namespace
}  // namespace wavecomp::check
