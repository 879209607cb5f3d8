// Ene runs of the real program: the bundled example and the shared sample,
// checked against energies summed directly from the model output file.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace wavecomp {
namespace {

using testing::Lines;
using testing::RunResult;
using testing::RunWavecomp;
using testing::SamplesPath;
using testing::ScratchDir;
using testing::SourcePath;

// The factor of the wave-height lines is a single-precision 4.004.
const double kHeightFactor = static_cast<double>(4.004f);

double FieldAt(const std::string& line, std::size_t column, std::size_t width) {
  return std::strtod(line.substr(column, width).c_str(), nullptr);
}

// The total energy of every block of a model output file, summed straight
// from its records.
std::vector<double> BlockEnergies(const std::string& text) {
  const std::vector<std::string> lines = Lines(text);
  const int nf = std::atoi(lines[1].substr(0, 5).c_str());
  const int nd = std::atoi(lines[1].substr(5, 5).c_str());
  const std::size_t table_records = (static_cast<std::size_t>(nf) + 7) / 8;
  const std::size_t group_records = (static_cast<std::size_t>(nf) + 8) / 8;
  std::size_t at = 2 + 2 * table_records;
  const int nb = std::atoi(lines[at++].c_str());
  std::vector<double> energies;
  for (int b = 0; b < nb; ++b) {
    ++at;  // header
    double total = 0.0;
    for (int j = 0; j < nd; ++j) {
      for (int value = 1; value <= nf; ++value) {
        const std::size_t index = static_cast<std::size_t>(value);
        total += FieldAt(lines[at + index / 8], (index % 8) * 10, 10);
      }
      at += group_records;
    }
    energies.push_back(total);
  }
  return energies;
}

// The value after a console label such as " E_in   =", and where it stands.
double ConsoleValue(const std::vector<std::string>& lines, const std::string& label, std::size_t& line_index) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].rfind(label, 0) == 0) {
      line_index = i;
      return std::strtod(lines[i].substr(label.size()).c_str(), nullptr);
    }
  }
  ADD_FAILURE() << "no line " << label;
  line_index = 0;
  return 0.0;
}

struct EnergyCheck {
  double E_in, E_spl, ratio, hm0_in, hm0_spl;
};

// The five check lines, which must follow the reader's line in this order.
EnergyCheck ReadEnergyCheck(const std::string& console) {
  const std::vector<std::string> lines = Lines(console);
  EnergyCheck check{};
  std::size_t ok = 0, in = 0, spl = 0, ratio = 0, hm0_in = 0, hm0_spl = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].rfind("O.K.! reading of Ene Spectrum data :", 0) == 0) ok = i + 1;
  }
  check.E_in = ConsoleValue(lines, " E_in   =", in);
  check.E_spl = ConsoleValue(lines, " E_spl  =", spl);
  check.ratio = ConsoleValue(lines, " Ratio  =", ratio);
  check.hm0_in = ConsoleValue(lines, " Hm0_in =", hm0_in);
  check.hm0_spl = ConsoleValue(lines, " Hm0_spl=", hm0_spl);
  EXPECT_GT(ok, 0u) << console;
  EXPECT_EQ(in, ok);
  EXPECT_EQ(spl, in + 1);
  EXPECT_EQ(ratio, in + 2);
  EXPECT_EQ(hm0_in, in + 3);
  EXPECT_EQ(hm0_spl, in + 4);
  return check;
}

// Sum of a^2 / 2 over the components of each point of a component wave file.
std::vector<double> PointEnergies(const std::string& file) {
  const std::vector<std::string> lines = Lines(file);
  const int num_p = std::atoi(lines[0].c_str());
  std::vector<double> energies;
  std::size_t at = 1;
  for (int v = 0; v < num_p; ++v) {
    const int n = std::atoi(lines[at].substr(0, 5).c_str());
    ++at;
    double total = 0.0;
    for (int i = 0; i < n; ++i, ++at) {
      const double a = FieldAt(lines[at], 15, 15);
      total += a * a / 2;
    }
    energies.push_back(total);
  }
  return energies;
}

struct Case {
  const char* name;
  std::string folder;       // source of the files
  std::string data;         // data file name
  bool drop_point_list;     // run in single-spectrum mode (answer Y)
  std::vector<int> blocks;  // blocks (0-based) the points pick, in point order
  int components;
};

TEST(EneRun, EnergyCheckAndAmplitudesAgreeWithTheModelFile) {
  const Case cases[] = {
      {"bundled example: two points out of block order", SourcePath("examples/ene"), "ebm.out", false, {3, 1}, 128},
      {"shared sample: two points, 2/13 then 2/11", SamplesPath("ene"), "ebm.out", false, {2, 0}, 256},
      {"shared sample without its point list: the first block", SamplesPath("ene"), "ebm.out", true, {0}, 256},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDir dir;
    for (const char* name : {"cont.txt", "ebm.out", "ebm.out.pnt"}) {
      if (!(c.drop_point_list && std::string(name) == "ebm.out.pnt")) dir.CopyFrom(c.folder + "/" + name, name);
    }
    const RunResult run = RunWavecomp(dir, c.drop_point_list ? "Y\n" : "");
    ASSERT_EQ(run.exit_status, 0) << run.out << run.err;

    const std::vector<double> file_energies = BlockEnergies(dir.Read(c.data));
    double mean = 0.0;
    for (int b : c.blocks) mean += file_energies[static_cast<std::size_t>(b)];
    mean /= static_cast<double>(c.blocks.size());

    const EnergyCheck check = ReadEnergyCheck(run.out);
    EXPECT_NEAR(check.E_in, mean, 1e-12 * mean);
    EXPECT_NEAR(check.hm0_in, kHeightFactor * std::sqrt(mean), 1e-12);
    EXPECT_EQ(check.hm0_spl, kHeightFactor * std::sqrt(check.E_spl));
    EXPECT_EQ(check.ratio, check.E_spl / check.E_in);
    // The spline should hold the input energy to within a few per cent.
    EXPECT_NEAR(check.ratio, 1.0, 0.05);

    const std::vector<double> amplitudes = PointEnergies(dir.Read("wave.dat"));
    ASSERT_EQ(amplitudes.size(), c.blocks.size());
    if (c.blocks.size() == 1) {
      // Every component carries E_spl / N scaled by E_in / E_spl: together
      // exactly the input energy (to the six digits of the
      // file: one amplitude rounded the same way N times).
      EXPECT_NEAR(amplitudes[0], check.E_in, 1e-5 * check.E_in);
    } else {
      // Each point keeps its own energy (the bands of the mean spectrum hold
      // almost all of it) ...
      for (std::size_t v = 0; v < c.blocks.size(); ++v) {
        const double own = file_energies[static_cast<std::size_t>(c.blocks[v])];
        EXPECT_NEAR(amplitudes[v], own, 0.01 * own) << "point " << v + 1;
      }
      // ... and the ratio brings the mean back to E_in, not E_spl.
      double sum = 0.0;
      for (double e : amplitudes) sum += e;
      EXPECT_NEAR(sum / static_cast<double>(amplitudes.size()), check.E_in, 1e-5 * check.E_in);
    }
  }
}

TEST(EneRun, StopsWithoutAComponentFile) {
  const struct {
    const char* name;
    std::string point_list;
    std::string last_line;
    bool stopped;  // a non-zero exit status
  } cases[] = {
      {"a point that no block has", "    2    3\n  701   24\n  702   99\n",
       "Ene spectrum data (    3,   99) can not be found", true},
      {"no point listed", "    0    3\n", " ERROR  num_p < 1", true},
      {"more points than the tables hold", " 2049    3\n",
       " Error in ebm.out.pnt: the number of points num_p must be at most 2048, found        2049", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDir dir;
    dir.CopyFrom(SourcePath("examples/ene/cont.txt"), "cont.txt");
    dir.CopyFrom(SourcePath("examples/ene/ebm.out"), "ebm.out");
    dir.Write("ebm.out.pnt", c.point_list);
    const RunResult run = RunWavecomp(dir);
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), c.last_line) << run.out;
    EXPECT_NE(run.exit_status, 0);
    EXPECT_FALSE(dir.Exists("wave.dat"));
  }
}

}  // namespace
}  // namespace wavecomp
