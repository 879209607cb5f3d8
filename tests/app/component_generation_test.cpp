// A spectrum built in memory, from numbers this test takes out of the sample
// files by itself (not through wavecomp's readers), goes through the chain and
// the writers to the bytes the golden data hold for the run that reads those
// files: what a binding that hands over arrays relies on.
#include "app/component_generation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "input/control_file.h"
#include "output/component_file.h"
#include "output/component_records.h"
#include "output/multipoint_file.h"
#include "support/test_support.h"

namespace wavecomp {
namespace {

using testing::ReadFile;
using testing::ScratchDir;
using testing::SourcePath;

std::vector<std::string> Lines(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Field m (0-based) of `width` columns of a record.
double Field(const std::string& record, int m, int width) {
  return std::stod(record.substr(static_cast<std::size_t>(m * width), static_cast<std::size_t>(width)));
}

int Integer(const std::string& record, int first_column, int width) {
  return std::stoi(record.substr(static_cast<std::size_t>(first_column - 1), static_cast<std::size_t>(width)));
}

// `count` values of `width` columns, `per_line` a record, from line `at` on;
// `at` moves past them.
std::vector<double> Values(const std::vector<std::string>& lines, std::size_t& at, std::size_t count, int width,
                           int per_line) {
  std::vector<double> values;
  while (values.size() < count) {
    const std::string& record = lines[at++];
    for (int m = 0; m < per_line && values.size() < count; ++m) values.push_back(Field(record, m, width));
  }
  return values;
}

// Free format: H1/3, T1/3, Dirc., then frequency-density pairs.
SpectrumData SspeInMemory(const std::string& folder) {
  std::ifstream in(folder + "/swell.spc");
  SpectrumData data;
  data.input = SpectrumInput::kFrequencyTable;
  in >> data.header.H13 >> data.header.T13 >> data.header.Dirc;
  SpectrumPoint point;
  for (double f, S; in >> f >> S;) {
    point.frequencies.push_back(f);
    point.density.push_back(S);
  }
  data.AddPoint(point);
  return data;
}

// Title; per point a header (nss in columns 41-45, mdd in 46-50), then per
// frequency f and S (E12.5) and mdd values six to a line; a separator line
// before every point but the first.
SpectrumData EmepInMemory(const std::string& folder) {
  const std::vector<std::string> lines = Lines(folder + "/beach");
  const std::vector<std::string> list = Lines(folder + "/beach.pnt");
  SpectrumData data;
  data.input = SpectrumInput::kDirectionalPoints;
  std::size_t at = 1;
  for (std::size_t v = 1; v < list.size(); ++v) {
    if (v > 1) ++at;
    const std::size_t nss = static_cast<std::size_t>(Integer(lines[at], 41, 5));
    const int mdd = Integer(lines[at++], 46, 5);
    SpectrumPoint point;
    point.number = std::stoi(list[v]);
    for (int j = 0; j < mdd; ++j) point.directions.push_back(-180.0 + j * 360.0 / mdd);
    std::vector<double> table(nss * static_cast<std::size_t>(mdd));
    for (std::size_t l = 0; l < nss; ++l) {
      point.frequencies.push_back(Field(lines[at], 0, 12));
      point.density.push_back(Field(lines[at++], 1, 12));
      const std::vector<double> row = Values(lines, at, static_cast<std::size_t>(mdd), 12, 6);
      for (std::size_t j = 0; j < row.size(); ++j) table[j * nss + l] = row[j];
    }
    data.AddPoint(point, table);
  }
  return data;
}

// Title, nf and nd, nf frequencies and nf bandwidths (E10.3, eight a line),
// nb, then nb blocks of a header (keys in columns 11-20) and nd groups of the
// direction and nf energies. The point list gives num_p and the first key,
// then a number and a second key per point.
SpectrumData EneInMemory(const std::string& folder) {
  const std::vector<std::string> lines = Lines(folder + "/ebm.out");
  const std::vector<std::string> list = Lines(folder + "/ebm.out.pnt");
  SpectrumData data;
  data.input = SpectrumInput::kEnergyBalancePoints;
  const std::size_t nf = static_cast<std::size_t>(Integer(lines[1], 1, 5));
  const std::size_t nd = static_cast<std::size_t>(Integer(lines[1], 6, 5));
  std::size_t at = 2;
  data.frequencies = Values(lines, at, nf, 10, 8);
  data.bandwidths = Values(lines, at, nf, 10, 8);
  const int nb = Integer(lines[at++], 1, 5);
  const std::size_t first_block = at;
  const std::size_t block_lines = 1 + nd * ((nf + 1 + 7) / 8);
  const int first_key = Integer(list[0], 6, 5);
  for (std::size_t v = 1; v < list.size(); ++v) {
    SpectrumPoint point;
    point.number = Integer(list[v], 1, 5);
    point.key = Integer(list[v], 6, 5);
    std::vector<double> energies;
    for (int b = 0; b < nb; ++b) {
      at = first_block + static_cast<std::size_t>(b) * block_lines;
      if (Integer(lines[at], 11, 5) != first_key || Integer(lines[at], 16, 5) != point.key) continue;
      ++at;
      for (std::size_t j = 0; j < nd; ++j) {
        const std::vector<double> group = Values(lines, at, nf + 1, 10, 8);
        point.directions.push_back(group[0]);
        energies.insert(energies.end(), group.begin() + 1, group.end());
      }
      break;
    }
    data.AddPoint(point, energies);
  }
  return data;
}

struct Case {
  const char* sample;  // folder of tests/data/samples and, with "samples_", of the golden data
  std::function<SpectrumData(const std::string&)> in_memory;
};

TEST(GenerateComponentSet, SpectrumBuiltInMemoryGivesTheGoldenComponentFile) {
  const Case cases[] = {{"sspe", SspeInMemory}, {"emep", EmepInMemory}, {"ene", EneInMemory}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sample);
    const std::string inputs = SourcePath(std::string("tests/data/samples/") + c.sample);
    const std::string golden = SourcePath(std::string("tests/data/golden/samples_") + c.sample);
    const ControlSettings control = ReadControlFile(inputs + "/cont.txt");
    const SpectrumData data = c.in_memory(inputs);

    WorkspacePtr workspace = MakeWorkspace();
    Console console;
    ScratchDir dir;
    textio::OutputSet outputs;
    std::optional<textio::OutputFile> multi_point;
    const ComponentSet set = GenerateComponentSet(control, data, *workspace, console, outputs, {}, nullptr, [&](int) {
      multi_point.emplace(CreateComponentFile(dir.PathOf("wave.dat"), true, outputs));
    });
    if (multi_point) {
      WriteMultiPointComponentFile(std::move(*multi_point), set, outputs);
    } else {
      WriteComponentFile(CreateComponentFile(dir.PathOf("wave.dat"), false, outputs), set, outputs);
    }
    outputs.PublishAll();

    EXPECT_EQ(dir.Read("wave.dat"), ReadFile(golden + "/wave.dat"));
    // The chain's console lines are the end of the run's, after the reader's.
    const std::string stdout_bytes = ReadFile(golden + "/stdout");
    EXPECT_TRUE(stdout_bytes.ends_with(console.captured())) << console.captured();
    EXPECT_GT(console.captured().size(), 40u);
  }
}

// What no file can give a run is refused before any stage runs: a value of
// another kind than the settings' type, beyond the workspace, or with values
// the readers refuse.
TEST(GenerateComponentSet, RefusesAValueTheRunCannotTake) {
  const auto table = [](std::vector<double> f, std::vector<double> S) {
    SpectrumData data;
    data.input = SpectrumInput::kFrequencyTable;
    SpectrumPoint point;
    point.frequencies = std::move(f);
    point.density = std::move(S);
    data.AddPoint(point);
    return data;
  };
  struct Refused {
    const char* what;
    SpectrumType type;
    int N;
    std::function<SpectrumData()> make;
  };
  const Refused cases[] = {
      {"another kind", SpectrumType::kEmep, 8,
       [&] {
         return table({0.1, 0.2, 0.3}, {1, 2, 1});
       }},
      {"2049 points", SpectrumType::kEmep, 8,
       [] {
         SpectrumData data;
         data.input = SpectrumInput::kDirectionalPoints;
         data.points.resize(kMaxPoints + 1);
         return data;
       }},
      {"N 1025", SpectrumType::kSspe, 1025,
       [&] {
         return table({0.1, 0.2, 0.3}, {1, 2, 1});
       }},
      {"falling frequencies", SpectrumType::kSspe, 8,
       [&] {
         return table({0.1, 0.3, 0.2}, {1, 2, 1});
       }},
      {"two pairs", SpectrumType::kSspe, 8,
       [&] {
         return table({0.1, 0.2}, {1, 2});
       }},
      {"a negative density", SpectrumType::kSspe, 8,
       [&] {
         return table({0.1, 0.2, 0.3}, {1, -2, 1});
       }},
      {"a NaN frequency", SpectrumType::kSspe, 8,
       [&] {
         return table({0.1, std::nan(""), 0.3}, {1, 2, 1});
       }},
      {"an Ene bandwidth of 0", SpectrumType::kEne, 8,
       [] {
         SpectrumData data;
         data.input = SpectrumInput::kEnergyBalancePoints;
         data.frequencies = {0.1, 0.2, 0.3};
         data.bandwidths = {0.1, 0.0, 0.1};
         SpectrumPoint point;
         point.directions = {0.0};
         data.AddPoint(point, std::vector<double>{1, 1, 1});
         return data;
       }},
  };
  for (const Refused& c : cases) {
    SCOPED_TRACE(c.what);
    ControlSettings control;
    control.type = c.type;
    control.component_count = c.N;
    WorkspacePtr workspace = MakeWorkspace();
    Console console;
    textio::OutputSet outputs(textio::Publishing::kNever);
    EXPECT_THROW(GenerateComponentSet(control, c.make(), *workspace, console, outputs), std::invalid_argument);
    EXPECT_EQ(console.captured(), "");
  }
}

}  // namespace
}  // namespace wavecomp
