// What a new user meets first, through the real program: the command line,
// the dry run, and the warnings about settings that read but are probably
// not meant.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace wavecomp {
namespace {

using testing::ControlFileText;
using testing::ControlValues;
using testing::Lines;
using testing::RunResult;
using testing::ScratchDir;
using testing::SourcePath;

// Every file below the folder with its bytes, so "nothing written" is exact.
std::map<std::string, std::string> Snapshot(const ScratchDir& dir) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir.path())) {
    const std::string name = std::filesystem::relative(entry.path(), dir.path()).string();
    files[name] = entry.is_directory() ? "<dir>" : testing::ReadFile(entry.path().string());
  }
  return files;
}

RunResult RunWith(const ScratchDir& dir, const std::vector<std::string>& arguments, const std::string& input = "") {
  return testing::RunProgram(WAVECOMP_EXE, dir.path(), arguments, input);
}

void CopyExample(const ScratchDir& dir, const std::string& example, const std::string& into = "") {
  if (!into.empty()) std::filesystem::create_directory(dir.PathOf(into));
  std::filesystem::copy(SourcePath("examples/" + example), into.empty() ? dir.path() : dir.PathOf(into));
}

// Arguments other than a run or a check: all three programs answer -h,
// --help and --version alike (status 0, standard output) and end a wrong
// command line with status 2 before anything is read or written, even with a
// valid cont.txt in the folder; an input that cannot be opened is refused
// (status 1) with the system's reason.
TEST(CommandLine, AnswersOrRefusesWithoutReadingOrWriting) {
  const std::string wavecomp = WAVECOMP_EXE, check = WAVECOMP_CHECK_EXE, import = WAVECOMP_IMPORT_EXE;
  const std::string help_hint = " (see wavecomp --help)";
  const std::string check_usage =
      "Usage: wavecomp-check [--spectrum FILE] [--svg OUT.svg] [--json] [--series [S]] FILE (--help for more)\n";
  const std::string import_hint = "wavecomp-import: run 'wavecomp-import swan --help' for the options\n";
  const struct {
    const std::string& program;
    std::vector<std::string> arguments;
    int status;
    std::string out_starts;
    std::string err;  // all of standard error
  } cases[] = {
      {wavecomp, {"--help"}, 0, "Usage: wavecomp [-C DIR] [--dry-run]\n", ""},
      {wavecomp, {"-h"}, 0, "Usage: wavecomp [-C DIR] [--dry-run]\n", ""},
      {wavecomp, {"--version"}, 0, "wavecomp Ver.r1c\n", ""},
      {wavecomp, {"--dry-run", "--help"}, 0, "Usage: wavecomp", ""},
      {check, {"--help"}, 0, "Usage: wavecomp-check [options] FILE\n", ""},
      {check, {"-h"}, 0, "Usage: wavecomp-check [options] FILE\n", ""},
      {check, {"--version"}, 0, "wavecomp-check Ver.r1c\n", ""},
      {import, {"--help"}, 0, "Converts the spectra of other wave models", ""},
      {import, {"-h"}, 0, "Converts the spectra of other wave models", ""},
      {import, {"--version"}, 0, "wavecomp-import Ver.r1c\n", ""},
      {import, {"swan", "--help"}, 0, "A SWAN spectrum file", ""},
      {import, {"swan", "--version"}, 0, "wavecomp-import Ver.r1c\n", ""},

      {wavecomp,
       {"cont.txt"},
       2,
       "",
       "wavecomp: unexpected argument \"cont.txt\": wavecomp takes no file names, it reads cont.txt in the working "
       "folder (name another folder with -C DIR)" +
           help_hint + "\n"},
      {wavecomp, {"--verbose"}, 2, "", "wavecomp: unknown option \"--verbose\"" + help_hint + "\n"},
      {wavecomp, {"-x"}, 2, "", "wavecomp: unknown option \"-x\"" + help_hint + "\n"},
      {wavecomp,
       {"--dryrun"},
       2,
       "",
       "wavecomp: unknown option \"--dryrun\"; did you mean --dry-run?" + help_hint + "\n"},
      {wavecomp, {"--dry"}, 2, "", "wavecomp: unknown option \"--dry\"; did you mean --dry-run?" + help_hint + "\n"},
      {wavecomp, {"--Help"}, 2, "", "wavecomp: unknown option \"--Help\"; did you mean --help?" + help_hint + "\n"},
      {wavecomp,
       {"--dry-run", "extra"},
       2,
       "",
       "wavecomp: unexpected argument \"extra\": wavecomp takes no file names, it reads cont.txt in the working "
       "folder (name another folder with -C DIR)" +
           help_hint + "\n"},
      {wavecomp,
       {"-C"},
       2,
       "",
       "wavecomp: -C needs a folder: the one that holds cont.txt, for example wavecomp -C my-project" + help_hint +
           "\n"},
      {wavecomp,
       {"--dry-run", "-C"},
       2,
       "",
       "wavecomp: -C needs a folder: the one that holds cont.txt, for example wavecomp -C my-project" + help_hint +
           "\n"},
      {wavecomp,
       {"-C", ""},
       2,
       "",
       "wavecomp: -C needs a folder: the one that holds cont.txt, for example wavecomp -C my-project" + help_hint +
           "\n"},
      {wavecomp,
       {"-C", "no-such-folder"},
       2,
       "",
       "wavecomp: -C: cannot enter the folder \"no-such-folder\": No such file or directory\n"},
      {check, {}, 2, "", "wavecomp-check: no component file given\n" + check_usage},
      {check, {"--dryrun", "wave.dat"}, 2, "", "wavecomp-check: unknown option --dryrun\n" + check_usage},
      {check,
       {"--jsn", "wave.dat"},
       2,
       "",
       "wavecomp-check: unknown option --jsn; did you mean --json?\n" + check_usage},
      {check, {"-C", "wave.dat"}, 2, "", "wavecomp-check: unknown option -C\n" + check_usage},
      {import, {}, 2, "", "wavecomp-import: A subcommand is required\n" + import_hint},
      {import, {"--dryrun"}, 2, "", "wavecomp-import: unknown option --dryrun\n" + import_hint},
      {import,
       {"swan", "--jsno"},
       2,
       "",
       "wavecomp-import: unknown option --jsno; did you mean --json?\n" + import_hint},
      {import,
       {"swann", "sea.spc"},
       2,
       "",
       "wavecomp-import: unknown command \"swann\": the commands are swan, ww3, netcdf and ndbc (wavecomp-import swan "
       "--help)\n" +
           import_hint},

      {check,
       {"wave.dat"},
       1,
       "",
       "wavecomp-check: cannot open the component file wave.dat: No such file or directory\n"},
      {check, {"."}, 1, "", "wavecomp-check: cannot open the component file .: Is a directory\n"},
      {import,
       {"swan", "sea.spc", "--normal-from", "270", "--out", "coast"},
       1,
       "",
       "wavecomp-import: cannot open the SWAN file sea.spc: No such file or directory\n"},
  };
  for (const auto& c : cases) {
    std::string shown = c.program.substr(c.program.rfind('/') + 1);
    for (const std::string& argument : c.arguments) shown += " [" + argument + "]";
    SCOPED_TRACE(shown);
    ScratchDir dir;
    dir.Write("cont.txt", ControlFileText(ControlValues{}));
    const auto before = Snapshot(dir);
    const RunResult result = testing::RunProgram(c.program, dir.path(), c.arguments, "");
    EXPECT_EQ(result.exit_status, c.status) << result.err;
    EXPECT_EQ(result.out.rfind(c.out_starts, 0), 0u) << result.out;
    if (c.out_starts.empty()) {
      EXPECT_EQ(result.out, "");
    }
    EXPECT_EQ(result.err, c.err);
    EXPECT_EQ(Snapshot(dir), before);
  }
}

TEST(CommandLine, RunsInTheFolderOfMinusC) {
  ScratchDir dir;
  CopyExample(dir, "sspe", "swell run");
  const RunResult result = RunWith(dir, {"-C", "swell run"});
  ASSERT_EQ(result.exit_status, 0) << result.err;
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(dir.Read("swell run/wave.dat"), testing::ReadFile(SourcePath("tests/data/golden/examples_sspe/wave.dat")));
  EXPECT_EQ(result.out, testing::ReadFile(SourcePath("tests/data/golden/examples_sspe/stdout")));
  EXPECT_FALSE(dir.Exists("wave.dat"));
}

// The dry run of each example tells what the real run then does, and writes
// nothing itself.
TEST(DryRun, TellsWhatTheRunWouldDoAndWritesNothing) {
  const struct {
    const char* example;
    std::vector<std::string> told;  // lines (or their starts) of the dry run
    std::string first_records;      // how the real run's file then starts
  } cases[] = {
      {"jonswap",
       {"  line 2, columns 11-14   spectrum type             JNS  (a JONSWAP spectrum",
        "  line 3, columns 11-20   component count N         256  (components of equal energy)",
        "  line 7, columns 21-30   T1/3                      10 s",
        "  line 8, columns 11-20   fmin                      0.010001 Hz  (the value read + 0.000001 Hz",
        "  no input file: the JONSWAP spectrum peaks at 0.093447 Hz (Tp 10.7013 s)",
        "  jonswap.spe (new): the JONSWAP density every 1e-5 Hz, about 99000 lines, 6 MB",
        "  wave.dat: a single-point component wave file of 256 components with the JNS trailer of the settings"},
       "    1\n  256    3       3.3\n"},
      {"sspe",
       {"  line 7, columns 11-20   H1/3                      1 m  (not used: the first line of the spectrum file "
        "replaces it)",
        "  Sspe spectrum file bm_swell.spc: H1/3 2 m, T1/3 10 s, Dirc. 15 deg (its first line), 300 frequency pairs",
        "  equal-energy division: 200 components from 0.0643888 to 0.420387 Hz",
        "  wave.dat: a single-point component wave file of 200 components with the Sspe trailer of the settings"},
       "    1\n  200    9       0.0\n"},
      {"emep",
       {"  line 4, columns 11-20   Smax                      999  (not used: the directions come from the data)",
        "  Emep data file coast with the point list coast.pnt: 3 points (numbers 101, 102, 103), 47 frequencies "
        "from 0.04 to 0.5 Hz, 19 directions facing the shore from -90 to 90 deg",
        "  wave.dat: a multi-point component wave file: 3 points of 128 components each"},
       "    3\n  128    9       0.0  101\n"},
      {"ene",
       {"  Ene data file ebm.out with the point list ebm.out.pnt: 2 points (numbers 701, 702), 24 frequencies from "
        "0.05 to 0.448 Hz, 35 directions from -85 to 85 deg",
        "  energy check: E_in 0.125005 m^2 (bandwidths), E_spl 0.125665 m^2 (spline)",
        "  wave.dat: a multi-point component wave file: 2 points of 128 components each"},
       "    2\n  128    9       0.0  701\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.example);
    ScratchDir dir;
    CopyExample(dir, c.example);
    const auto before = Snapshot(dir);
    const RunResult dry = RunWith(dir, {"--dry-run"});
    ASSERT_EQ(dry.exit_status, 0) << dry.err;
    EXPECT_EQ(dry.err, "");
    EXPECT_EQ(Snapshot(dir), before) << "the dry run wrote";
    const std::vector<std::string> lines = Lines(dry.out);
    for (const std::string& told : c.told) {
      bool found = false;
      for (const std::string& line : lines) found = found || line.rfind(told, 0) == 0;
      EXPECT_TRUE(found) << "missing: " << told << "\n" << dry.out;
    }
    EXPECT_EQ(lines.back(), "Nothing was written.");
    // The run then does what the dry run said.
    const RunResult run = RunWith(dir, {});
    ASSERT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(dir.Read("wave.dat").substr(0, c.first_records.size()), c.first_records);
  }
}

// Where the run would stop, the dry run stops alike; the question is never
// asked.
TEST(DryRun, StopsWhereTheRunWouldStop) {
  const struct {
    const char* name;
    const char* example;
    std::function<void(const ScratchDir&)> change;
    int status;
    std::string out_has;
    std::string err_starts;
  } cases[] = {
      {"existing output", "sspe", [](const ScratchDir& dir) { dir.Write("wave.dat", "an earlier result\n"); }, 1,
       " ERROR Exist Out File\n",
       "wavecomp: the output file wave.dat exists, and a run never replaces one; rename or remove it"},
      {"missing point list", "ene", [](const ScratchDir& dir) { std::filesystem::remove(dir.PathOf("ebm.out.pnt")); },
       0,
       "  ebm.out.pnt is missing: the run would ask whether to take the first spectrum of ebm.out uniformly along "
       "the shore",
       ""},
      {"missing data file", "emep", [](const ScratchDir& dir) { std::filesystem::remove(dir.PathOf("coast")); }, 1,
       " == File not find ==", "wavecomp: cannot open the Emep data file \"coast\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDir dir;
    CopyExample(dir, c.example);
    c.change(dir);
    const auto before = Snapshot(dir);
    const RunResult dry = RunWith(dir, {"--dry-run"}, "Y\n");
    EXPECT_EQ(dry.exit_status, c.status) << dry.out << dry.err;
    EXPECT_NE(dry.out.find(c.out_has), std::string::npos) << dry.out;
    EXPECT_EQ(dry.err.rfind(c.err_starts, 0), 0u) << dry.err;
    if (c.err_starts.empty()) {
      EXPECT_EQ(dry.err, "");
    }
    EXPECT_EQ(Snapshot(dir), before);
  }
}

// Fault: the harness fed a program that had already ended and the test
// process died of SIGPIPE (13 of 40 loaded runs of the dry-run test above).
// A program that never reads takes megabytes of input it will never see,
// far beyond a pipe's buffer, so the write surely meets a closed pipe.
TEST(Harness, FeedsAProgramThatEndsWithoutReading) {
  ScratchDir dir;
  const RunResult run = testing::RunProgram("/bin/true", dir.path(), std::string(std::size_t{8} << 20, 'Y'));
  EXPECT_EQ(run.exit_status, 0);
}

// Input that reads, but probably not as meant: the run goes on exactly as
// before and says why on standard error; what the warning predicts is what
// the file then holds.
TEST(Warnings, ProbablyUnmeantSettingsAreShownAndTheRunGoesOn) {
  const auto control_line = [](const std::string& from, const std::string& to) {
    return [from, to](const ScratchDir& dir) {
      std::string text = dir.Read("cont.txt");
      text.replace(text.find(from), from.size(), to);
      dir.Write("cont.txt", text);
    };
  };
  const double none = std::nan("");
  const struct {
    const char* name;
    const char* example;
    std::function<void(const ScratchDir&)> change;
    std::vector<std::string> warnings;  // parts of the lines on standard error, in order
    std::size_t lines;                  // on standard error
    std::string header;                 // record 2 of the file written
    bool shore_normal;                  // every direction within a degree of 0
    std::string output = "wave.dat";
    double mean_deg = std::nan("");  // the warned mean direction of the components
    double hm0 = std::nan("");       // the warned Hm0 of the components, m
    bool golden_stdout = false;      // standard output as the example's
  } cases[] = {
      {"Ene directions reaching -90",
       "ene",
       [](const ScratchDir& dir) {
         std::string data = dir.Read("ebm.out");
         for (std::size_t at = data.find("-0.850E+02"); at != std::string::npos; at = data.find("-0.850E+02", at)) {
           data.replace(at, 10, "-0.900E+02");
         }
         dir.Write("ebm.out", data);
       },
       {"wavecomp: warning: ebm.out: the directions of the direction groups run from -90 to 85 deg",
        "every component travels shore-normal (direction 0). To keep the directions of the data, give directions "
        "strictly between -90 and +90"},
       1,
       "  128    9       0.0  701",
       true},
      // Fault: the curve was cut at +90 without a word and the mean came out near 63 degrees.
      {"principal direction near the edge",
       "jonswap",
       control_line("       0.0       3.3", "      89.0       3.3"),
       {"wavecomp: warning: the cos^2s spreading around Dirc. 89 deg (cont.txt line 7, columns 31-40) with Smax 10 "
        "has 48.8 % of its curve beyond -90..+90 deg, which is cut off: the components will travel at a mean "
        "direction of about 63.4 deg; a principal direction nearer 0"},
       1,
       "  256    3       3.3",
       false,
       "wave.dat",
       63.4},
      // Fault: Hm0 0.0004 m for H1/3 1 m without a word. 1.034 m: the README's Hm0 / H1/3 for gamma 3.3.
      {"range that misses the peak",
       "jonswap",
       control_line("       1.0\n", "      0.05\n"),
       {"wavecomp: warning: the range fmin to fmax, 0.010001 to 0.05 Hz (cont.txt line 8, columns 11-20 and 21-30), "
        "holds 1.54e-05 % of the energy of the JONSWAP spectrum from 0 Hz to infinity, whose peak lies at 0.09345 Hz: "
        "the components will carry Hm0 0.0004061 m instead of 1.034 m",
        "wavecomp: warning: the cos^2s spreading around Dirc. 0 deg"},
       2,
       "  256    3       3.3",
       false,
       "wave.dat",
       none,
       0.0004061},
      {"backslash in the output name",
       "jonswap",
       control_line("OUT_FILE  wave.dat", "OUT_FILE  out\\wave.dat"),
       {"wavecomp: warning: cont.txt line 6, column 14: the output file name \"out\\wave.dat\" holds a backslash, "
        "which is part of the name here and not a folder separator (a Windows path?): the run creates a file of "
        "exactly that name in the working folder; write \"out/wave.dat\" if folders are meant"},
       1,
       "  256    3       3.3",
       false,
       "out\\wave.dat",
       none,
       none,
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDir dir;
    CopyExample(dir, c.example);
    c.change(dir);
    const RunResult run = RunWith(dir, {});
    ASSERT_EQ(run.exit_status, 0) << run.err;
    const std::vector<std::string> err = Lines(run.err);
    ASSERT_EQ(err.size(), c.lines) << run.err;
    std::size_t at = 0;
    for (const std::string& part : c.warnings) {
      while (at < err.size() && err[at].find(part) == std::string::npos) ++at;
      EXPECT_LT(at, err.size()) << "missing: " << part << "\n" << run.err;
    }
    if (c.golden_stdout) {
      EXPECT_EQ(run.out,
                testing::ReadFile(SourcePath("tests/data/golden/examples_" + std::string(c.example) + "/stdout")));
    }
    const std::vector<std::string> file = Lines(dir.Read(c.output));
    ASSERT_GE(file.size(), 2u);
    EXPECT_EQ(file[1].substr(0, c.header.size()), c.header);
    // The amplitudes (columns 16-30) and directions (31-45) of the component records.
    double widest = 0.0, variance = 0.0, sum_cos = 0.0, sum_sin = 0.0;
    const std::size_t N = static_cast<std::size_t>(std::stoi(file[1].substr(0, 5)));
    ASSERT_GE(file.size(), N + 2);
    for (std::size_t k = 2; k < N + 2; ++k) {
      const double a = std::stod(file[k].substr(15, 15));
      const double theta = std::stod(file[k].substr(30, 15));
      widest = std::max(widest, std::abs(theta));
      variance += a * a / 2.0;
      sum_cos += a * a * std::cos(theta);
      sum_sin += a * a * std::sin(theta);
    }
    if (c.shore_normal) {
      EXPECT_LE(widest, 0.0175);  // one degree
    } else {
      EXPECT_GT(widest, 0.1);
    }
    // 256 draws from a spread of about 30 degrees scatter by about 2 degrees.
    if (!std::isnan(c.mean_deg)) {
      EXPECT_NEAR(std::atan2(sum_sin, sum_cos) * 180.0 / M_PI, c.mean_deg, 3.0);
    }
    if (!std::isnan(c.hm0)) {
      EXPECT_NEAR(4.0 * std::sqrt(variance), c.hm0, 0.01 * c.hm0);
    }
  }
}

}  // namespace
}  // namespace wavecomp
