#include "check/check_command.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cmath>
#include <iterator>
#include <nlohmann/json.hpp>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "check/check_run.h"
#include "check/component_text.h"
#include "support/test_support.h"

extern char** environ;

namespace wavecomp::check {
namespace {

using testing::Component;
using testing::Hostile;
using testing::ScratchDir;
using testing::Lines;

bool HasLine(const std::string& text, const std::string& line) {
  for (const std::string& candidate : Lines(text)) {
    if (candidate == line) return true;
  }
  return false;
}

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
  return count;
}

std::string MultiPointFile(int points) {
  std::string text;
  textio::PutI(text, points, 5);
  text += "\n";
  for (int v = 1; v <= points; ++v) {
    text += testing::PointHeader(3, 100 + v);
    // Amplitudes 0.1 v: Hm0 = 4 sqrt(3 (0.1 v)^2 / 2) = 0.4 v sqrt(1.5).
    text += testing::Records({{0.08, 0.1 * v, 0.2, 1.0}, {0.1, 0.1 * v, 0.0, 3.0}, {0.14, 0.1 * v, -0.2, 5.0}});
  }
  return text;
}

TEST(CheckCommand, RefusesWrongCommandLines) {
  struct Case {
    std::vector<std::string> arguments;
    std::string first_line;
  };
  const std::vector<Case> cases = {
      {{}, "wavecomp-check: no component file given"},
      {{"--svg"}, "wavecomp-check: --svg needs a file name"},
      {{"--spectrum=", "wave.dat"}, "wavecomp-check: --spectrum needs a file name"},
      {{"--plot", "wave.dat"}, "wavecomp-check: unknown option --plot"},
      {{"a.dat", "b.dat"}, "wavecomp-check: one component file at a time (got a.dat and b.dat)"},
  };
  for (const Case& c : cases) {
    const Outcome outcome = Check(c.arguments);
    EXPECT_EQ(outcome.status, kExitUsage);
    EXPECT_EQ(Lines(outcome.err).front(), c.first_line);
    EXPECT_EQ(outcome.out, "");
  }
  const Outcome help = Check({"--help"});
  EXPECT_EQ(help.status, kExitSuccess);
  EXPECT_EQ(Lines(help.out).front(), "Usage: wavecomp-check [options] FILE");
}

TEST(CheckCommand, ReportsUnreadableFiles) {
  ScratchDir dir;
  dir.Write("bad.dat", "    1\n    2    3       3.3\n   0.100000E+00\n");
  dir.Write("bad.spe", "1.0 10.0\n");
  dir.Write("good.dat",
            testing::SinglePointFile({{0.1, 0.5, 0.0, 3.0}}, testing::JnsTrailer(1.0, 10.0, 0.0, 3.3, 4711, 999.0)));
  dir.Write("jonswap.spe", "        1.000000E-02        0.000000E+00        0.000000E+00\n");
  struct Case {
    std::vector<std::string> arguments;
    std::string message;
    int status = kExitInputError;
  };
  const std::vector<Case> cases = {
      {{dir.PathOf("missing.dat")},
       "wavecomp-check: cannot open the component file " + dir.PathOf("missing.dat") + ": No such file or directory",
       kExitStopped},
      {{dir.path()}, "wavecomp-check: cannot open the component file " + dir.path() + ": Is a directory", kExitStopped},
      {{"--spectrum", dir.PathOf("missing.spe"), dir.PathOf("good.dat")},
       "wavecomp-check: cannot open the spectrum file " + dir.PathOf("missing.spe") + ": No such file or directory",
       kExitStopped},
      // A spectrum given where the component file belongs is named as such.
      {{dir.PathOf("jonswap.spe")},
       "wavecomp-check: " + dir.PathOf("jonswap.spe") +
           " is a JONSWAP spectrum file, not a component wave file: give it with --spectrum beside the component "
           "file the run wrote, e.g. wavecomp-check --spectrum " +
           dir.PathOf("jonswap.spe") + " wave.dat"},
      {{dir.PathOf("bad.dat")},
       "wavecomp-check: input error in " + dir.PathOf("bad.dat") +
           ", line 3, columns 16-30: expected the amplitude (E15.6) of component 1, a finite "
           "real number, found the end of the line"},
      {{"--spectrum", dir.PathOf("bad.spe"), dir.PathOf("good.dat")},
       "wavecomp-check: input error in " + dir.PathOf("bad.spe") +
           ", line 2: expected H1/3, T1/3, Dirc. (three numbers) on the first line, found the end of the file"},
  };
  for (const Case& c : cases) {
    const Outcome outcome = Check(c.arguments);
    EXPECT_EQ(outcome.status, c.status);
    EXPECT_EQ(outcome.err, c.message + "\n");
  }
  const Outcome unwritable = Check({"--svg", dir.PathOf("no/such/folder/plot.svg"), dir.PathOf("good.dat")});
  EXPECT_EQ(unwritable.status, kExitOutputError);
  EXPECT_NE(unwritable.err.find("plot.svg"), std::string::npos) << unwritable.err;
}

// The plot and the series CSV never replace a file the command reads, nor a
// file that is not such an output unless --force says so; an earlier one is
// replaced.
TEST(CheckCommand, WritesItsOutputsOverNothingTheyShouldNot) {
  const std::string wave =
      testing::SinglePointFile({{0.1, 0.5, 0.0, 3.0}}, testing::JnsTrailer(1.0, 10.0, 0.0, 3.3, 4711, 999.0));
  const std::string plot = "<?xml version=\"1.0\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\"></svg>\n";
  const std::string series = "t_s,eta_1_m\n0.00000,0.1E+00\n";
  const struct {
    const char* label;
    std::string option;  // --svg or --series-csv
    std::string name;    // the name given to it
    std::string before;  // what it holds before
    std::vector<std::string> more;
    int status;
  } cases[] = {
      // Fault: "wavecomp-check --svg wave.dat wave.dat" wrote the plot over the component file.
      {"the component file", "--svg", "wave.dat", wave, {}, kExitOutputError},
      {"the component file, forced", "--svg", "wave.dat", wave, {"--force"}, kExitOutputError},
      {"the target spectrum", "--svg", "target.spe", "1 2\n", {"--spectrum", "target.spe"}, kExitOutputError},
      {"a file that is not a plot", "--svg", "notes.txt", "my notes\n", {}, kExitOutputError},
      {"a file that is not a plot, forced", "--svg", "notes.txt", "my notes\n", {"--force"}, kExitSuccess},
      {"an earlier plot", "--svg", "plot.svg", plot, {}, kExitSuccess},
      {"the component file as CSV", "--series-csv", "wave.dat", wave, {"--force"}, kExitOutputError},
      {"the target spectrum as CSV",
       "--series-csv",
       "target.spe",
       "1 2\n",
       {"--spectrum", "target.spe"},
       kExitOutputError},
      {"a plot as CSV", "--series-csv", "plot.svg", plot, {}, kExitOutputError},
      {"a plot as CSV, forced", "--series-csv", "plot.svg", plot, {"--force"}, kExitSuccess},
      {"an earlier series", "--series-csv", "eta.csv", series, {}, kExitSuccess},
      {"the plot's own name", "--series-csv", "both", "", {"--svg", "both"}, kExitOutputError},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    ScratchDir dir;
    dir.Write("wave.dat", wave);
    if (!c.before.empty()) dir.Write(c.name, c.before);
    std::vector<std::string> arguments = {dir.PathOf("wave.dat"), c.option, dir.PathOf(c.name)};
    if (c.option == "--series-csv") arguments.insert(arguments.end(), {"--series", "100"});
    for (const std::string& more : c.more)
      arguments.push_back(more == "target.spe" || more == "both" ? dir.PathOf(more) : more);
    const Outcome outcome = Check(arguments);
    EXPECT_EQ(outcome.status, c.status) << outcome.err;
    if (c.status == kExitSuccess) {
      const std::string after = dir.Read(c.name);
      EXPECT_EQ(after.rfind(c.option == "--svg" ? "<?xml" : "t_s,eta_1_m\n0.00000,", 0), 0u);
      EXPECT_NE(after, c.before);
    } else {
      EXPECT_EQ(dir.Exists(c.name) ? dir.Read(c.name) : "", c.before);
      EXPECT_EQ(outcome.err.rfind(c.option == "--svg" ? "wavecomp-check: will not write the plot"
                                                      : "wavecomp-check: will not write the series",
                                  0),
                0u)
          << outcome.err;
      EXPECT_EQ(outcome.out, "");
    }
  }
}

// Neither output goes over a device, FIFO, socket or folder, nor over a name
// that resolves to a file the command reads, whatever --force says.
// Fault: --svg over a device node and --series-csv over a FIFO replaced them
// with a regular file, and "--spectrum coast --svg coast.pnt --force" wrote
// the plot over the point list.
TEST(CheckCommand, NeverReplacesADeviceAFifoASocketOrAnInput) {
  std::vector<testing::HostileTarget> targets(std::begin(testing::kHostileTargets), std::end(testing::kHostileTargets));
  targets.push_back({"the point list of --spectrum", Hostile::kHardLinkToInput});
  for (const std::string option : {"--svg", "--series-csv"}) {
    for (const bool force : {false, true}) {
      for (const testing::HostileTarget& target : targets) {
        SCOPED_TRACE(option + " over " + target.label + (force ? ", forced" : ""));
        const bool point_list = target.label == std::string("the point list of --spectrum");
        ScratchDir dir;
        dir.Write("wave.dat", testing::SinglePointFile({{0.1, 0.5, 0.0, 3.0}}, testing::OtherTrailer(1, 9, 0, "-", false)));
        dir.Write("coast", "EXAMPLE COAST\n");
        dir.Write("coast.pnt", "    1    1\n    1    1\n");
        const std::string path = dir.PathOf(point_list ? "coast.pnt" : "out");
        if (!point_list && !testing::MakeHostile(dir, "out", target.kind, "wave.dat")) continue;
        const std::string before = testing::Fingerprint(path);
        std::vector<std::string> arguments = {dir.PathOf("wave.dat"), option, path, "--spectrum", dir.PathOf("coast")};
        if (option == "--series-csv") arguments.insert(arguments.end(), {"--series", "100"});
        if (force) arguments.push_back("--force");
        const Outcome outcome = Check(arguments);
        const std::string reason = testing::Refusal(target, point_list ? path : dir.PathOf("wave.dat"));
        const bool input = reason.find("reads") != std::string::npos;
        EXPECT_EQ(outcome.status, kExitOutputError);
        EXPECT_EQ(outcome.err, reason.empty() ? "wavecomp-check: cannot create " + path +
                                                    ": Is a directory; no file was made (check the name, and that "
                                                    "its folder exists and may be written to)\n"
                                              : std::string("wavecomp-check: will not write ") +
                                                    (option == "--svg" ? "the plot" : "the series") +
                                                    (input ? " to " : " over ") + path + ": " + reason +
                                                    "; name another file for " + option + "\n");
        EXPECT_EQ(outcome.out, "");
        EXPECT_EQ(testing::Fingerprint(path), before);
      }
    }
  }
}

TEST(CheckCommand, SummaryOfASingleComponent) {
  ScratchDir dir;
  // One component of amplitude 0.5 at 0.1 Hz, direction 0, phase pi; an
  // Emep or Ene trailer gives no targets. Hm0 = 4 sqrt(0.125) = 1.414214.
  dir.Write("one.dat", testing::SinglePointFile({{0.1, 0.5, 0.0, std::numbers::pi}},
                                                testing::OtherTrailer(1.2, 9.0, 5.0, "beach", false), 9, 0.0));
  const Outcome outcome = Check({dir.PathOf("one.dat")});
  ASSERT_EQ(outcome.status, kExitSuccess) << outcome.err;
  const std::vector<std::string> expected = {
      "File      " + dir.PathOf("one.dat"),
      "Layout    single point, 1 components, spectrum code 9, gamma 0.0",
      "Trailer   Emep or Ene: H1/3 1.2000 m, T1/3 9.0000 s, Dirc. 5.000000 deg, input file beach",
      "Target    none (give a spectrum with --spectrum)",
      "",
      "Point 1: 1 component, 0.100000 to 0.100000 Hz",
      "Hm0 (m)                             1.414214",
      "peak frequency (Hz)                 0.100000",
      "Tp (s)                               10.0000",
      "mean direction (deg)                    0.00",
      "directional spread (deg)                0.00",
      "energy within +-10 deg (%)            100.00",
      "energy within +-30 deg (%)            100.00",
      "energy within +-60 deg (%)            100.00",
  };
  const std::vector<std::string> lines = Lines(outcome.out);
  ASSERT_GE(lines.size(), expected.size());
  for (std::size_t k = 0; k < expected.size(); ++k) EXPECT_EQ(lines[k], expected[k]) << "line " << k + 1;
  // One phase at the middle of 0..2 pi: D = 0.5.
  EXPECT_EQ(lines[expected.size()].substr(0, 51), "phase uniformity              Kolmogorov-Smirnov D ");
  EXPECT_EQ(lines[expected.size()].substr(51, 6), "0.5000");
  EXPECT_TRUE(HasLine(
      outcome.out,
      "  - Emep and Ene runs take their directions from measured spectra: no expected distribution (give the data "
      "file with --spectrum)"));
}

TEST(CheckCommand, SummaryOfAFileWithoutComponents) {
  ScratchDir dir;
  dir.Write("none.dat", testing::SinglePointFile({}, testing::JnsTrailer(1.0, 10.0, 0.0, 3.3, 4711, 10.0)));
  const Outcome outcome = Check({dir.PathOf("none.dat")});
  ASSERT_EQ(outcome.status, kExitSuccess) << outcome.err;
  EXPECT_TRUE(HasLine(outcome.out, "Point 1: 0 components"));
  EXPECT_EQ(outcome.out.find("Hm0 (m)"), std::string::npos);
}

TEST(CheckCommand, MultiPointTableHasOneRowPerPoint) {
  ScratchDir dir;
  dir.Write("multi.dat", MultiPointFile(5));
  const Outcome outcome = Check({dir.PathOf("multi.dat"), "--svg", dir.PathOf("multi.svg")});
  ASSERT_EQ(outcome.status, kExitSuccess) << outcome.err;
  EXPECT_TRUE(HasLine(outcome.out, "Layout    5 points, 3 components at point 1, spectrum code 9, gamma 0.0"));
  const std::vector<std::string> lines = Lines(outcome.out);
  std::size_t header = 0;
  while (header < lines.size() && lines[header].find("Hm0 (m)") == std::string::npos) ++header;
  ASSERT_LT(header + 6, lines.size());
  for (int v = 1; v <= 5; ++v) {
    // point, number, N, Hm0 = 0.4 v sqrt(1.5) (I6, I8, I7, F11.6).
    std::string start;
    textio::PutI(start, v, 6);
    textio::PutI(start, 100 + v, 8);
    textio::PutI(start, 3, 7);
    textio::PutF(start, 0.4 * v * std::sqrt(1.5), 11, 6);
    EXPECT_EQ(lines[header + static_cast<std::size_t>(v)].substr(0, start.size()), start);
  }
  EXPECT_TRUE(HasLine(
      outcome.out, "Hm0 along the points: lowest 0.489898 m (point 1), highest 2.449490 m (point 5), mean 1.469694 m"));
  // First, middle and last point, and Hm0 along the points.
  const std::string svg = dir.Read("multi.svg");
  EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
  EXPECT_EQ(svg.substr(svg.size() - 7), "</svg>\n");
  EXPECT_EQ(Count(svg, "Point 101: frequency spectrum"), 1u);
  EXPECT_EQ(Count(svg, "Point 103: frequency spectrum"), 1u);
  EXPECT_EQ(Count(svg, "Point 105: frequency spectrum"), 1u);
  EXPECT_EQ(Count(svg, "along the points (circles"), 1u);
  EXPECT_EQ(Count(svg, "<text"), Count(svg, "</text>"));
  EXPECT_EQ(Count(svg, "http"), 1u);  // the namespace only: nothing is fetched
}

TEST(CheckCommand, MultiPointTableComparesEveryPointWithTheGivenSpectrum) {
  ScratchDir dir;
  // A flat table S = 0.5 on 0..1 Hz and, at both points, four components at
  // the middles of four equal bands with a = sqrt(2 * 0.5 / 4) = 0.5: the
  // target is the whole table, Hm0 = 4 sqrt(0.5) = 2.828427 m.
  std::string table = "1.0 10.0 0.0\n";
  for (int j = 0; j <= 20; ++j) table += std::to_string(j * 0.05) + " 0.5\n";
  dir.Write("flat.spc", table);
  std::string text = "    2\n";
  for (int v = 1; v <= 2; ++v) {
    text += testing::PointHeader(4, v);
    text += testing::Records(
        {{0.125, 0.5, 0.0, 1.0}, {0.375, 0.5, 0.0, 2.0}, {0.625, 0.5, 0.0, 3.0}, {0.875, 0.5, 0.0, 4.0}});
  }
  dir.Write("multi.dat", text);
  const Outcome outcome = Check({"--spectrum", dir.PathOf("flat.spc"), dir.PathOf("multi.dat")});
  ASSERT_EQ(outcome.status, kExitSuccess) << outcome.err;
  std::size_t rows = 0;
  for (const std::string& line : Lines(outcome.out)) {
    // point (I6), number (I8), N (I7), Hm0 (F11.6), Tp, direction, spread, p, then the target (F12.6).
    if (line.size() < 109 || line.substr(14, 7) != "      4") continue;
    ++rows;
    EXPECT_EQ(line.substr(21, 11), "   2.828427") << line;
    EXPECT_EQ(line.substr(32 + 10 + 16 + 14 + 13, 12), "    2.828427") << line;
  }
  EXPECT_EQ(rows, 2u) << outcome.out;
}

TEST(CheckCommand, ComparesARealRunWithItsSpectrumFiles) {
  ScratchDir dir;
  testing::ControlValues values;
  values.count = "128";
  dir.Write("cont.txt", testing::ControlFileText(values));
  ASSERT_EQ(testing::RunWavecomp(dir).exit_status, 0);
  const Outcome own = Check({dir.PathOf("wave.dat"), "--svg", dir.PathOf("plot.svg")});
  ASSERT_EQ(own.status, kExitSuccess) << own.err;
  EXPECT_TRUE(HasLine(own.out, "Target    JONSWAP density of the trailer's H1/3, T1/3 and gamma"));
  const std::string svg = dir.Read("plot.svg");
  EXPECT_NE(svg.find("target: JONSWAP"), std::string::npos);
  EXPECT_NE(svg.find("expected: cos"), std::string::npos);
  const Outcome spe = Check({"--spectrum", dir.PathOf("jonswap.spe"), dir.PathOf("wave.dat")});
  ASSERT_EQ(spe.status, kExitSuccess) << spe.err;
  EXPECT_TRUE(HasLine(spe.out, "Target    spectrum file " + dir.PathOf("jonswap.spe")));
  // The same target from the sampled file as from the formulas, to the eight
  // digits of jonswap.spe: the trailer's JONSWAP is judged over all
  // frequencies, jonswap.spe over the components' bands, which hold all of
  // it but the share outside them.
  const Outcome own_json = Check({"--json", dir.PathOf("wave.dat")});
  const Outcome spe_json = Check({"--json", "--spectrum", dir.PathOf("jonswap.spe"), dir.PathOf("wave.dat")});
  const nlohmann::json whole = nlohmann::json::parse(own_json.out)["points"][0]["target"];
  const nlohmann::json bands = nlohmann::json::parse(spe_json.out)["points"][0]["target"];
  const double outside = whole["energy_outside_range_percent"].get<double>() / 100.0;
  EXPECT_GT(outside, 0.0);
  EXPECT_NEAR(whole["m0_m2"].get<double>() * (1.0 - outside) / bands["m0_m2"].get<double>(), 1.0, 4e-6);
  EXPECT_FALSE(bands.contains("energy_outside_range_percent"));
  EXPECT_GT(whole["Hm0_m"].get<double>(), 1.0);
}

// With gamma 1 the JONSWAP is S = A f^-5 exp(-1.25 (fp/f)^4), whose energy
// below F is the share exp(-1.25 (fp/F)^4) of m0 = betaJ H1/3^2 / 5. For
// T1/3 = 10 s: Tp = 10 / (1 - 0.132 * 1.2^-0.559) = 11.35345 s, fp =
// 0.0880789 Hz; betaJ = 0.0624 / (0.2636 - 0.185 / 2.9) * 1.094 = 0.341658,
// so Hm0 = 4 sqrt(0.0683316) = 1.045612 m. The run's bands end near fmax:
// fmax 0.1 Hz leaves 1 - exp(-1.25 * 0.601849) = 52.87 % outside, 0.07 Hz
// 95.64 %; with fmax 1.0 Hz only the tail above the last band's edge (0.75
// to 1.0 Hz: 0.024 % to 0.0075 %) lies outside.
TEST(CheckCommand, JudgesAJonswapFileAgainstTheWholeSpectrum) {
  struct Case {
    const char* fmax;
    double outside_percent;
    bool flagged;
  };
  const Case cases[] = {{"0.1", 52.87, true}, {"0.07", 95.64, true}, {"1.0", 0.017, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fmax);
    ScratchDir dir;
    testing::ControlValues values;
    values.gamma = "1.0";
    values.fmax = c.fmax;
    dir.Write("cont.txt", testing::ControlFileText(values));
    ASSERT_EQ(testing::RunWavecomp(dir).exit_status, 0);
    const Outcome json = Check({"--json", dir.PathOf("wave.dat")});
    ASSERT_EQ(json.status, kExitSuccess) << json.err;
    const nlohmann::json point = nlohmann::json::parse(json.out)["points"][0];
    const nlohmann::json& target = point["target"];
    EXPECT_NEAR(target["Hm0_m"].get<double>(), 1.045612, 2e-6);
    EXPECT_NEAR(target["energy_outside_range_percent"].get<double>(), c.outside_percent, c.flagged ? 0.05 : 0.01);
    EXPECT_EQ(target["energy_outside_range_flagged"].get<bool>(), c.flagged);
    // The components carry the rest: their Hm0 falls short by that share.
    const double kept = 1.0 - c.outside_percent / 100.0;
    EXPECT_NEAR(point["difference"]["Hm0_relative"].get<double>(), std::sqrt(kept) - 1.0, 2e-3);
    const Outcome text = Check({dir.PathOf("wave.dat"), "--svg", dir.PathOf("plot.svg")});
    EXPECT_NE(dir.Read("plot.svg")
                  .find(c.flagged ? "% of the target's energy outside their range (over 10 %)"
                                  : "% of the target's energy outside their range<"),
              std::string::npos);
    EXPECT_EQ(text.out.find("of the target energy lies outside the components' range") != std::string::npos, c.flagged)
        << text.out;
  }
}

TEST(CheckCommand, ReadsAnSspeTableAsTarget) {
  ScratchDir dir;
  std::vector<Component> components;
  for (int i = 0; i < 20; ++i) components.push_back({0.06 + 0.004 * i, 0.05, 0.01 * (i - 10), 0.3 * i});
  dir.Write("swell.dat", testing::SinglePointFile(
                             components, testing::OtherTrailer(1.8, 11.0, -0.139626, "swell.spc", true, 25.0), 9, 0.0));
  const Outcome outcome = Check({"--spectrum", testing::SamplesPath("sspe/swell.spc"), dir.PathOf("swell.dat")});
  ASSERT_EQ(outcome.status, kExitSuccess) << outcome.err;
  EXPECT_TRUE(HasLine(outcome.out, "Target    spectrum file " + testing::SamplesPath("sspe/swell.spc")));
  EXPECT_NE(outcome.out.find("Hm0 (m)                      "), std::string::npos);
  EXPECT_NE(outcome.out.find(" relative"), std::string::npos);
}

TEST(CheckCommand, NeverFailsOtherwiseThanWithAMessageOnDamagedFiles) {
  // Every cut of a good file and random byte changes: each run ends with
  // status 0 or 2, and a status 2 always says where.
  ScratchDir dir;
  const std::string good = MultiPointFile(3);
  std::mt19937 generator(7);
  std::vector<std::string> damaged;
  for (std::size_t cut = 0; cut < good.size(); cut += 5) damaged.push_back(good.substr(0, cut));
  const std::string alphabet = "0123456789 .-+EeDx*\n\t";
  for (int k = 0; k < 300; ++k) {
    std::string text = good;
    for (int changes = 0; changes < 3; ++changes) {
      text[generator() % text.size()] = alphabet[generator() % alphabet.size()];
    }
    damaged.push_back(text);
  }
  for (const std::string& text : damaged) {
    dir.Write("damaged.dat", text);
    const Outcome outcome = Check({dir.PathOf("damaged.dat")});
    ASSERT_TRUE(outcome.status == kExitSuccess || outcome.status == kExitInputError) << text;
    if (outcome.status == kExitInputError) {
      EXPECT_EQ(outcome.err.rfind("wavecomp-check: input error in " + dir.PathOf("damaged.dat") + ", line ", 0), 0u)
          << outcome.err;
    }
  }
}

// Fault: an amplitude of 0.100000+301 gave "Hm0 Infinity" and NaN
// coordinates in the plot, a direction of 3e15 converted a double far out of
// the range of int, and frequencies of 0 or below passed. Every value that
// is read is either refused, naming its record, or gives figures without a
// NaN or an infinity anywhere: in the summary, the JSON and the plot, with
// the time-domain check.
TEST(CheckCommand, ExtremeValuesAreRefusedOrComputedSafely) {
  const std::vector<Component> components = {
      {0.08, 0.30, 0.10, 1.0}, {0.10, 0.40, 0.00, 2.0}, {0.12, 0.20, -0.10, 3.0}};
  const std::string trailer = testing::JnsTrailer(1.0, 10.0, 0.0, 3.3, 4711, 10.0);
  const std::string bounds[] = {"a frequency above 0 Hz (1e-20 to 1e20 Hz)", "an amplitude of 0 to 1e20 m"};
  const char* names[] = {"frequency", "amplitude", "direction", "phase"};
  struct Case {
    int field;         // of component 2 (line 4); 4: H1/3 of the trailer (line 9)
    std::string text;  // right-justified in its E15.6 field
    std::string expected;  // the refusal's "expected" part; empty when accepted
  };
  const std::string finite = "a finite real number";
  const Case cases[] = {
      {0, "0.000000E+00", bounds[0]},
      {0, "-0.100000E+01", bounds[0]},
      {0, "0.100000E-20", bounds[0]},
      {0, "0.200000E+21", bounds[0]},
      {0, "NaN", finite},
      {0, "Inf", finite},
      {0, "0.200000+309", finite},  // beyond a double
      {1, "-0.100000E+01", bounds[1]},
      {1, "0.100000+301", bounds[1]},
      {1, "0.200000E+21", bounds[1]},
      {2, "-NaN", finite},
      {3, "-Infinity", finite},
      {4, "0.100000+301", "a number of magnitude at most 1e20"},
      // Accepted: the checks compute with these.
      {0, "0.100000E-19", ""},
      {0, "0.100000E+20", ""},
      {1, "0.000000E+00", ""},
      {1, "0.100000E+20", ""},
      {1, "0.100000E-99", ""},
      {2, "0.300000E+16", ""},
      {2, "-0.179769+309", ""},
      {3, "0.300000E+16", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.field) + " " + c.text);
    ScratchDir dir;
    std::string text = testing::SinglePointFile(components, trailer);
    std::vector<std::string> lines = Lines(text);
    const std::size_t line = c.field < 4 ? 4 : 9;
    const std::size_t column = c.field < 4 ? static_cast<std::size_t>(c.field) * 15 : 0;
    const std::string field = std::string(15 - c.text.size(), ' ') + c.text;
    lines[line - 1].replace(column, 15, field);
    text.clear();
    for (const std::string& l : lines) text += l + "\n";
    const std::string path = dir.PathOf("wave.dat");
    dir.Write("wave.dat", text);
    // A fixed step: the default one of a frequency of 1e20 Hz would make the record too long.
    const Outcome json = Check({"--json", "--series", "600", "--dt", "0.05", "--svg", dir.PathOf("plot.svg"), path});
    if (!c.expected.empty()) {
      EXPECT_EQ(json.status, kExitInputError);
      const std::string what = c.field < 4 ? std::string("the ") + names[c.field] + " (E15.6) of component 2, "
                                           : std::string("H1/3 (E15.6), ");
      EXPECT_EQ(json.err, "wavecomp-check: input error in " + path + ", line " + std::to_string(line) + ", columns " +
                              std::to_string(column + 1) + "-" + std::to_string(column + 15) + ": expected " + what +
                              c.expected + ", found \"" + field + "\"\n");
      EXPECT_FALSE(dir.Exists("plot.svg"));
      continue;
    }
    ASSERT_EQ(json.status, kExitSuccess) << json.err;
    const Outcome summary = Check({"--series", "600", "--dt", "0.05", path});
    ASSERT_EQ(summary.status, kExitSuccess) << summary.err;
    for (const std::string& output : {json.out, summary.out, dir.Read("plot.svg")}) {
      for (const char* bad : {"nan", "NaN", "inf", "Inf", "INF"}) {
        const std::size_t at = output.find(bad);
        EXPECT_EQ(at, std::string::npos) << output.substr(at < 200 ? 0 : at - 200, 400);
      }
    }
  }
}

#ifdef WAVECOMP_CHECK_EXE
// The program itself: statuses and streams as a shell sees them.
TEST(CheckCommand, ProgramExitsWithTheStatusOfItsCheck) {
  ScratchDir dir;
  dir.Write("good.dat", MultiPointFile(2));
  dir.Write("bad.dat", "    2\n");
  struct Case {
    std::string file;
    int status;
  };
  for (const Case& c : {Case{"good.dat", 0}, Case{"bad.dat", 2}}) {
    const std::string out = dir.PathOf(c.file + ".out"), err = dir.PathOf(c.file + ".err");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const std::string program = WAVECOMP_CHECK_EXE;
    const std::string file = dir.PathOf(c.file);
    char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(file.c_str()), nullptr};
    pid_t child = 0;
    ASSERT_EQ(posix_spawn(&child, program.c_str(), &actions, nullptr, argv, environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), c.status) << c.file;
    if (c.status == 0) {
      EXPECT_NE(dir.Read(c.file + ".out").find("Hm0 along the points"), std::string::npos);
    } else {
      EXPECT_EQ(dir.Read(c.file + ".err").rfind("wavecomp-check: input error in", 0), 0u);
    }
  }
}
#endif

}  // namespace
}  // namespace wavecomp::check
