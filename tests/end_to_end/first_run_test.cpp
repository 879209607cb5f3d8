// What a new user meets first, through the real program: the command line,
// the dry run, and the warnings about column slips that still read.
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

// Arguments other than a run: each ends with its exit status before anything
// is read or written, even with a valid cont.txt in the folder.
TEST(CommandLine, AnswersOrRefusesWithoutReadingOrWriting) {
  const struct {
    std::vector<std::string> arguments;
    int status;
    std::string out_starts;
    std::string err_starts;
  } cases[] = {
      {{"--help"}, 0, "Usage: wavecomp [-C DIR] [--dry-run]\n", ""},
      {{"-h"}, 0, "Usage: wavecomp [-C DIR] [--dry-run]\n", ""},
      {{"--version"}, 0, "wavecomp Ver.r1c\n", ""},
      {{"--dry-run", "--help"}, 0, "Usage: wavecomp", ""},
      {{"cont.txt"}, 2, "", "wavecomp: unexpected argument \"cont.txt\": wavecomp takes no file names"},
      {{"--verbose"}, 2, "", "wavecomp: unknown option \"--verbose\" (see wavecomp --help)\n"},
      {{"-x"}, 2, "", "wavecomp: unknown option \"-x\""},
      {{"--dry-run", "extra"}, 2, "", "wavecomp: unexpected argument \"extra\""},
      {{"-C"}, 2, "", "wavecomp: "},
      {{"-C", ""}, 2, "", "wavecomp: -C needs a folder"},
      {{"-C", "no-such-folder"}, 2, "", "wavecomp: -C: cannot enter the folder \"no-such-folder\": "},
  };
  for (const auto& c : cases) {
    std::string shown;
    for (const std::string& argument : c.arguments) shown += " [" + argument + "]";
    SCOPED_TRACE(shown);
    ScratchDir dir;
    dir.Write("cont.txt", ControlFileText(ControlValues{}));
    const auto before = Snapshot(dir);
    const RunResult result = RunWith(dir, c.arguments);
    EXPECT_EQ(result.exit_status, c.status) << result.err;
    EXPECT_EQ(result.out.rfind(c.out_starts, 0), 0u) << result.out;
    if (c.out_starts.empty()) {
      EXPECT_EQ(result.out, "");
    }
    EXPECT_EQ(result.err.rfind(c.err_starts, 0), 0u) << result.err;
    if (c.err_starts.empty()) {
      EXPECT_EQ(result.err, "");
    }
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
       "  nothing: wave.dat exists already, so the run would stop with \"ERROR Exist Out File\"",
       "wavecomp: wave.dat exists already: a run never overwrites a component wave file"},
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
// before and says why on standard error.
TEST(Warnings, ColumnSlipsAndEneEndDirectionsAreShownAndTheRunGoesOn) {
  const auto control_line = [](const std::string& from, const std::string& to) {
    return [from, to](const ScratchDir& dir) {
      std::string text = dir.Read("cont.txt");
      text.replace(text.find(from), from.size(), to);
      dir.Write("cont.txt", text);
    };
  };
  const struct {
    const char* name;
    const char* example;
    std::function<void(const ScratchDir&)> change;
    std::vector<std::string> warnings;  // parts of the lines on standard error, in order
    std::size_t lines;                  // on standard error
    std::string header;                 // record 2 of the file written
    bool shore_normal;                  // every direction within a degree of 0
  } cases[] = {
      {"count one column early",
       "jonswap",
       control_line("N_COMP           256", "N_COMP   512"),
       {"wavecomp: warning: cont.txt line 3, columns 10-11: the number \"512\" runs across the start of the "
        "component count N field (columns 11-20), which alone is read: 12; move the number into its field"},
       1,
       "   12    3       3.3",
       false},
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
    const std::vector<std::string> file = Lines(dir.Read("wave.dat"));
    ASSERT_GE(file.size(), 2u);
    EXPECT_EQ(file[1].substr(0, c.header.size()), c.header);
    // The directions (E15.6, columns 31-45) of the component records.
    double widest = 0.0;
    for (std::size_t k = 2; k < file.size(); ++k) {
      if (file[k].size() >= 60) widest = std::max(widest, std::abs(std::stod(file[k].substr(30, 15))));
    }
    if (c.shore_normal) {
      EXPECT_LE(widest, 0.0175);  // one degree
    } else {
      EXPECT_GT(widest, 0.1);
    }
  }
}

}  // namespace
}  // namespace wavecomp
