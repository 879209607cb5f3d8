// Emep runs of the real program: the bundled example (three points) and the
// shared sample (two points), and the single-spectrum mode when the point
// list is missing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace wavecomp {
namespace {

using testing::Lines;
using testing::ReadFile;
using testing::RunResult;
using testing::RunWavecomp;
using testing::SamplesPath;
using testing::ScratchDir;
using testing::SourcePath;

double Field(const std::string& record, std::size_t first_column, std::size_t width) {
  return std::strtod(record.substr(first_column - 1, width).c_str(), nullptr);
}

// Each point's frequency spectrum, read here from the data file by its
// layout (header, then per frequency f S and ceil(mdd / 6) records).
std::vector<std::vector<std::pair<double, double>>> PointSpectra(const std::string& data, bool has_title) {
  const std::vector<std::string> lines = Lines(data);
  std::vector<std::vector<std::pair<double, double>>> points;
  std::size_t at = has_title ? 1 : 0;
  while (at < lines.size()) {
    if (!points.empty()) ++at;  // separator
    const int nss = static_cast<int>(Field(lines[at], 41, 5));
    const int mdd = static_cast<int>(Field(lines[at], 46, 5));
    ++at;
    std::vector<std::pair<double, double>> spectrum;
    for (int l = 0; l < nss; ++l) {
      spectrum.emplace_back(Field(lines[at], 1, 12), Field(lines[at], 13, 12));
      at += 1 + static_cast<std::size_t>((mdd + 5) / 6);
    }
    points.push_back(spectrum);
  }
  return points;
}

double TrapezoidEnergy(const std::vector<std::pair<double, double>>& spectrum) {
  double sum = 0.0;
  for (std::size_t l = 1; l < spectrum.size(); ++l) {
    sum += 0.5 * (spectrum[l - 1].second + spectrum[l].second) * (spectrum[l].first - spectrum[l - 1].first);
  }
  return sum;
}

struct Component {
  double f, a, theta, phase;
};

Component ReadComponent(const std::string& record) {
  EXPECT_EQ(record.size(), 60u) << record;
  return {Field(record, 1, 15), Field(record, 16, 15), Field(record, 31, 15), Field(record, 46, 15)};
}

void ExpectValidComponent(const Component& c) {
  EXPECT_GT(c.f, 0.0);
  EXPECT_GE(c.theta, -1.5707963267948966);
  EXPECT_LE(c.theta, 1.5707963267948966);
  EXPECT_GE(c.phase, 0.0);
  EXPECT_LT(c.phase, 6.2831853071795866);
}

TEST(EmepEndToEnd, WritesEveryPointWithItsOwnEnergy) {
  struct Case {
    const char* name;
    std::string folder;
    std::string data_name;
    int num_p;
    int N;
    std::vector<int> point_numbers;
  };
  const std::vector<Case> cases = {
      {"bundled example", SourcePath("examples/emep"), "coast", 3, 128, {101, 102, 103}},
      {"shared sample", SamplesPath("emep"), "beach", 2, 256, {21, 22}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDir dir;
    for (const std::string& name : {std::string("cont.txt"), c.data_name, c.data_name + ".pnt"}) {
      dir.CopyFrom(c.folder + "/" + name, name);
    }
    const RunResult run = RunWavecomp(dir);
    ASSERT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(run.err, "");

    // The reader's and the interpolation's console lines.
    const std::string data = dir.Read(c.data_name);
    const std::vector<std::string> data_lines = Lines(data);
    const std::vector<std::string> out = Lines(run.out);
    std::string name_line = " " + c.data_name;
    name_line.resize(201, ' ');
    std::size_t at = 0;
    while (at < out.size() && out[at] != name_line) ++at;
    ASSERT_LT(at + 3, out.size()) << "no file name line";
    EXPECT_EQ(out[at + 1], data_lines[0].substr(0, 15));
    EXPECT_EQ(out[at + 2], data_lines[1].substr(0, 50));
    EXPECT_EQ(out[at + 3], "num_p =     " + std::to_string(c.num_p));
    std::size_t first_progress = at;
    while (first_progress < out.size() && out[first_progress] != "   1/   " + std::to_string(c.num_p)) ++first_progress;
    ASSERT_LT(first_progress, out.size());
    EXPECT_EQ(out[first_progress - 1], "") << "the direction interpolation's empty line";

    // Record 1, then per point a header and N component records.
    const std::vector<std::string> file = Lines(dir.Read("wave.dat"));
    ASSERT_EQ(file.size(), 1u + static_cast<std::size_t>(c.num_p) * (c.N + 1u));
    EXPECT_EQ(file[0], "    " + std::to_string(c.num_p));
    const std::vector<std::vector<std::pair<double, double>>> spectra = PointSpectra(data, true);
    ASSERT_EQ(spectra.size(), static_cast<std::size_t>(c.num_p));
    std::vector<Component> first_point;
    for (int v = 0; v < c.num_p; ++v) {
      SCOPED_TRACE("point " + std::to_string(v + 1));
      const std::size_t header = 1 + static_cast<std::size_t>(v) * (c.N + 1u);
      char expected_header[64];
      std::snprintf(expected_header, sizeof expected_header, "%5d    9       0.0%5d", c.N,
                    c.point_numbers[static_cast<std::size_t>(v)]);
      EXPECT_EQ(file[header], expected_header);
      double energy = 0.0;
      for (int i = 0; i < c.N; ++i) {
        const Component component = ReadComponent(file[header + 1 + static_cast<std::size_t>(i)]);
        ExpectValidComponent(component);
        energy += component.a * component.a / 2;
        if (v == 0) {
          first_point.push_back(component);
        } else {
          // Frequencies, directions and phases are shared by all points.
          const Component& shared = first_point[static_cast<std::size_t>(i)];
          EXPECT_EQ(component.f, shared.f);
          EXPECT_EQ(component.theta, shared.theta);
          EXPECT_EQ(component.phase, shared.phase);
        }
      }
      // Six-digit amplitudes, spline against trapezoid: within 0.5 %.
      const double expected = TrapezoidEnergy(spectra[static_cast<std::size_t>(v)]);
      EXPECT_NEAR(energy, expected, 0.005 * expected);
    }
  }
}

TEST(EmepEndToEnd, MissingPointListAsksAndTakesTheFirstSpectrum) {
  struct Case {
    const char* answer;
    int exit_status;
  };
  const std::vector<Case> cases = {{"Y\n", 0}, {"Yes\n", 0}, {"y\n", 1}, {"", 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("answer '") + c.answer + "'");
    ScratchDir dir;
    dir.CopyFrom(SourcePath("examples/emep/cont.txt"), "cont.txt");
    // Without a point list the data file starts with the first point header.
    std::string data = ReadFile(SourcePath("examples/emep/coast"));
    data = data.substr(data.find('\n') + 1);
    dir.Write("coast", data);
    const RunResult run = RunWavecomp(dir, c.answer);
    EXPECT_EQ(run.exit_status, c.exit_status) << run.err;
    EXPECT_NE(run.out.find(" == File(coast.pnt) is not found ==\n"), std::string::npos);
    // Said in English before the Japanese question, whatever the answer; nothing after it.
    EXPECT_EQ(run.err.rfind("wavecomp: the point list coast.pnt is missing: the question below asks whether to take "
                            "the first spectrum of coast uniformly along the shore; answer Y (or Yes) to go on",
                            0),
              0u)
        << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    if (c.exit_status != 0) {
      EXPECT_FALSE(dir.Exists("wave.dat"));
      continue;
    }
    const std::vector<std::string> file = Lines(dir.Read("wave.dat"));
    ASSERT_GE(file.size(), 130u);
    EXPECT_EQ(file[0], "    1");
    EXPECT_EQ(file[1].substr(0, 20), "  128    9       0.0");
    double energy = 0.0;
    for (std::size_t i = 0; i < 128; ++i) {
      const Component component = ReadComponent(file[2 + i]);
      ExpectValidComponent(component);
      energy += component.a * component.a / 2;
    }
    // The first point (the northern one) alone.
    const double expected = TrapezoidEnergy(PointSpectra(data, false)[0]);
    EXPECT_NEAR(energy, expected, 0.005 * expected);
  }
}

}  // namespace
}  // namespace wavecomp
