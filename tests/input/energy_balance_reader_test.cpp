#include "input/energy_balance_reader.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <random>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "core/messages.h"
#include "core/run_stop.h"
#include "resample/input_tables.h"
#include "support/test_support.h"
#include "textio/records.h"

namespace wavecomp {
namespace {

using testing::ScratchDir;

constexpr double kPi = 3.141592653589793;

// One E10.3-wide field as an energy-balance model writes it (test input only).
std::string Field(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%10.3E", value);
  return text;
}
// The value the reader sees for a field written by Field.
double Written(double value) { return std::strtod(Field(value).c_str(), nullptr); }

std::string I5(long value) {
  char text[32];
  std::snprintf(text, sizeof text, "%5ld", value);
  return text;
}

// A list of values, eight to a record.
std::string List(const std::vector<double>& values) {
  std::string text;
  for (std::size_t i = 0; i < values.size(); ++i) {
    text += Field(values[i]);
    if (i % 8 == 7 || i + 1 == values.size()) text += "\n";
  }
  return text;
}

struct Block {
  int first_key = 2;
  int second_key = 11;
  std::vector<double> theta;                // nd directions
  std::vector<std::vector<double>> energy;  // energy[j][l]
  std::string header;                       // replaces the header record when set
};

// An energy-balance output file, built record by record.
struct EneData {
  std::vector<double> f;
  std::vector<double> df;
  int nd = 0;
  std::optional<long> nb;  // the block count written; the number of blocks when unset
  std::vector<Block> blocks;

  std::string Text() const {
    std::string text = "ENERGY BALANCE MODEL test output\n" + I5(static_cast<long>(f.size())) + I5(nd) + "\n";
    text += List(f) + List(df);
    text += I5(nb ? *nb : static_cast<long>(blocks.size())) + "\n";
    for (const Block& block : blocks) {
      text += block.header.empty() ? "    1    1" + I5(block.first_key) + I5(block.second_key) +
                                         " 1200.0000 3500.0000   15.2500    0.8227\n"
                                   : block.header + "\n";
      for (int j = 0; j < nd; ++j) {
        std::vector<double> group{block.theta[static_cast<std::size_t>(j)]};
        group.insert(group.end(), block.energy[static_cast<std::size_t>(j)].begin(),
                     block.energy[static_cast<std::size_t>(j)].end());
        text += List(group);
      }
    }
    return text;
  }
};

// nf frequencies and nd directions -85, -80, ..; the energies of block b
// (1-based) differ from those of every other block, so a spectrum tells
// which block it came from.
EneData MakeData(int nf, int nd, const std::vector<std::pair<int, int>>& keys) {
  EneData data;
  for (int l = 1; l <= nf; ++l) {
    data.f.push_back(0.05 + 0.01 * l);
    data.df.push_back(0.002 + 0.001 * l);
  }
  data.nd = nd;
  for (std::size_t b = 1; b <= keys.size(); ++b) {
    Block block;
    block.first_key = keys[b - 1].first;
    block.second_key = keys[b - 1].second;
    for (int j = 1; j <= nd; ++j) {
      block.theta.push_back(-90.0 + 5.0 * j);
      std::vector<double> energy;
      for (int l = 1; l <= nf; ++l) energy.push_back((static_cast<double>(b) * 1000 + j * 10 + l) * 1.0e-6);
      block.energy.push_back(energy);
    }
    data.blocks.push_back(block);
  }
  return data;
}

// S_v(l) of a block, as the reader's rule states it: the sum over the
// directions in ascending order of E / df.
std::vector<double> Density(const EneData& data, const Block& block) {
  std::vector<double> density(data.f.size(), 0.0);
  for (int j = 0; j < data.nd; ++j) {
    for (std::size_t l = 0; l < data.f.size(); ++l) {
      density[l] += Written(block.energy[static_cast<std::size_t>(j)][l]) / Written(data.df[l]);
    }
  }
  return density;
}

std::string PointList(int num_p, int first_key, const std::vector<std::pair<int, int>>& points) {
  std::string text = I5(num_p) + I5(first_key) + "\n";
  for (const auto& [number, second_key] : points) text += I5(number) + I5(second_key) + "\n";
  return text;
}

struct Outcome {
  WorkspacePtr workspace;
  ControlSettings control;
  std::string console;
  std::optional<RunEnding> ending;  // how the reader stopped the run, if it did
};

// What the ending shows: the console line, or the diagnostic.
std::string Shown(const std::optional<RunEnding>& ending) {
  if (!ending) return "";
  return ending->console_line.value_or(ending->diagnostic.value_or(""));
}

// Runs the reader on "ebm.out" (and "ebm.out.pnt" when given) in a scratch
// folder; the control file names the data file by its full path.
// The reader on `data` and `point_list`, in `workspace` when one is given
// (cleared first), in a new one otherwise.
Outcome RunReader(const std::string& data, const std::optional<std::string>& point_list, const std::string& answer = "",
                  WorkspacePtr workspace = nullptr) {
  ScratchDir dir;
  dir.Write("ebm.out", data);
  if (point_list) dir.Write("ebm.out.pnt", *point_list);
  Outcome outcome;
  if (workspace) ClearWorkspace(*workspace);
  outcome.workspace = workspace ? std::move(workspace) : MakeWorkspace();
  outcome.control.type = SpectrumType::kEne;
  outcome.control.input_file_field = dir.PathOf("ebm.out");
  Console console;
  console.SetInput(answer);
  SpectrumWorkspace& ws = *outcome.workspace;
  outcome.ending = testing::EndingOfCall(
      [&] { FillInputTables(ReadEnergyBalancePoints(outcome.control, console), ws.input, ws.points, ws.directions); });
  outcome.console = console.captured();
  return outcome;
}

std::string NotFoundLine(const std::string& keys) { return "Ene spectrum data (" + keys + ") can not be found"; }

// Which block each point's spectrum came from (0 when it matches none).
std::vector<int> BlocksRead(const Outcome& outcome, const EneData& data) {
  std::vector<int> blocks;
  for (int v = 1; v <= outcome.workspace->points.num_p; ++v) {
    int which = 0;
    for (std::size_t b = 0; b < data.blocks.size(); ++b) {
      const std::vector<double> density = Density(data, data.blocks[b]);
      bool same = true;
      for (std::size_t l = 0; l < density.size(); ++l) {
        same = same && outcome.workspace->points.point_spectra(static_cast<int>(l) + 1, v) == density[l];
      }
      if (same) which = static_cast<int>(b) + 1;
    }
    blocks.push_back(which);
  }
  return blocks;
}

TEST(EnergyBalanceReader, FindsEachPointOnItsRingOfBlocks) {
  const std::vector<std::pair<int, int>> keys = {{2, 11}, {2, 12}, {2, 13}, {3, 12}};
  const struct {
    const char* name;
    std::vector<std::pair<int, int>> points;  // point number, second key
    std::vector<int> blocks;                  // expected block of each point
    std::string stop;                         // expected stop line, empty when all are found
  } cases[] = {
      {"in block order, one forward pass", {{501, 11}, {502, 13}}, {1, 3}, ""},
      {"out of order: rewinds to block 1", {{501, 13}, {502, 11}}, {3, 1}, ""},
      {"the same point twice: found again after a full ring", {{501, 12}, {502, 12}}, {2, 2}, ""},
      {"a key that no block has", {{501, 11}, {502, 14}}, {}, NotFoundLine("    2,   14")},
      {"the first key must match too (block 4 has 3/12)", {{501, 13}, {502, 12}, {503, 12}}, {3, 2, 2}, ""},
      {"three points wrapping twice", {{1, 13}, {2, 12}, {3, 11}}, {3, 2, 1}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const EneData data = MakeData(3, 2, keys);
    const Outcome outcome = RunReader(data.Text(), PointList(static_cast<int>(c.points.size()), 2, c.points));
    if (c.stop.empty()) {
      ASSERT_FALSE(outcome.ending) << Shown(outcome.ending);
      EXPECT_EQ(BlocksRead(outcome, data), c.blocks);
      for (std::size_t v = 1; v <= c.points.size(); ++v) {
        EXPECT_EQ(outcome.workspace->points.point_numbers[v], c.points[v - 1].first);
        EXPECT_EQ(outcome.workspace->points.second_keys[v], c.points[v - 1].second);
      }
    } else {
      ASSERT_TRUE(outcome.ending);
      EXPECT_EQ(outcome.ending->console_line, c.stop);
      EXPECT_EQ(outcome.ending->exit_status, kExitStopped);
      EXPECT_EQ(outcome.console.find("O.K.!"), std::string::npos);
    }
  }
}

TEST(EnergyBalanceReader, TakesTheOnlyBlockOrTheFirstOneWithoutComparingKeys) {
  const EneData one_block = MakeData(4, 3, {{7, 99}});
  const EneData three_blocks = MakeData(4, 3, {{7, 99}, {2, 11}, {2, 12}});
  const std::string question = std::string(" == File(") + "PATH" + ".pnt) is not found ==\n";
  const struct {
    const char* name;
    const EneData* data;
    std::optional<std::string> point_list;
    std::string answer;
    bool silent_stop;
  } cases[] = {
      {"num_p 1 with nb 1: keys not compared, no point record read", &one_block, PointList(1, 2, {}), "", false},
      {"single-spectrum mode, answer Y", &three_blocks, std::nullopt, "Y\n", false},
      {"single-spectrum mode, answer Yes", &three_blocks, std::nullopt, "Yes\n", false},
      {"lower-case y stops without a message", &three_blocks, std::nullopt, "y\n", true},
      {"no answer at all stops without a message", &three_blocks, std::nullopt, "", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Outcome outcome = RunReader(c.data->Text(), c.point_list, c.answer);
    if (!c.point_list) {
      EXPECT_NE(outcome.console.find(".pnt) is not found =="), std::string::npos) << outcome.console;
      EXPECT_NE(outcome.console.find(std::string(messages::kQuestion3)), std::string::npos);
    }
    if (c.silent_stop) {
      ASSERT_TRUE(outcome.ending);
      EXPECT_FALSE(outcome.ending->console_line);  // silent: explained before the question (end-to-end tests)
      EXPECT_FALSE(outcome.ending->diagnostic);
      EXPECT_EQ(outcome.console.find("O.K.!"), std::string::npos);
      continue;
    }
    ASSERT_FALSE(outcome.ending) << Shown(outcome.ending);
    EXPECT_EQ(outcome.workspace->points.num_p, 1);
    EXPECT_EQ(outcome.workspace->points.point_numbers[1], 0);
    EXPECT_EQ(outcome.workspace->points.second_keys[1], 0);
    EXPECT_EQ(BlocksRead(outcome, *c.data), std::vector<int>{1});
  }
}

TEST(EnergyBalanceReader, SkipsGroupsOfSeventeenValuesOnThreeRecords) {
  // nf = 16: the direction and 16 energies take 8 + 8 + 1 values. A skip that
  // passes two records instead of three reads an energy record as the header.
  const EneData data = MakeData(16, 4, {{2, 11}, {2, 12}, {2, 13}});
  const std::string text = data.Text();
  const Outcome outcome = RunReader(text, PointList(2, 2, {{1, 13}, {2, 12}}));
  ASSERT_FALSE(outcome.ending) << Shown(outcome.ending);
  EXPECT_EQ(BlocksRead(outcome, data), (std::vector<int>{3, 2}));
  // Layout check of the input itself: title, counts, 2 + 2 table records, nb,
  // then blocks of 1 + 4 * 3 records.
  std::size_t records = 0;
  for (char c : text) records += c == '\n';
  EXPECT_EQ(records, 1u + 1 + 2 + 2 + 1 + 3 * 13);
}

TEST(EnergyBalanceReader, AveragesThePointsAndKeepsEachPointsOwnDensity) {
  EneData data = MakeData(3, 35, {{2, 11}, {2, 12}});
  // The second point carries three times the energy of the first, except at
  // one direction, so the mean differs from either point.
  for (int j = 0; j < 35; ++j) {
    for (int l = 0; l < 3; ++l) {
      const double base = (j + 1) * 1.0e-4 + (l + 1) * 1.0e-3;
      data.blocks[0].energy[static_cast<std::size_t>(j)][static_cast<std::size_t>(l)] = base;
      data.blocks[1].energy[static_cast<std::size_t>(j)][static_cast<std::size_t>(l)] = j == 7 ? 0.0 : 3.0 * base;
    }
  }
  const Outcome outcome = RunReader(data.Text(), PointList(2, 2, {{11, 11}, {12, 12}}));
  ASSERT_FALSE(outcome.ending) << Shown(outcome.ending);
  const SpectrumWorkspace& ws = *outcome.workspace;
  const double dtheta = kPi / 36;  // 35 directions: a 5-degree step
  EXPECT_EQ(ws.input.n_in, 3);
  EXPECT_EQ(ws.points.nss, 3);
  EXPECT_EQ(ws.directions.kept_direction_count, 35);
  for (int l = 1; l <= 3; ++l) {
    const double df = Written(data.df[static_cast<std::size_t>(l - 1)]);
    EXPECT_EQ(ws.input.f_in[l], Written(data.f[static_cast<std::size_t>(l - 1)]));
    EXPECT_EQ(ws.points.point_spectra(l, 0), df);
    double s1 = 0.0, s2 = 0.0;
    for (int j = 1; j <= 35; ++j) {
      const double e1 =
          Written(data.blocks[0].energy[static_cast<std::size_t>(j - 1)][static_cast<std::size_t>(l - 1)]);
      const double e2 =
          Written(data.blocks[1].energy[static_cast<std::size_t>(j - 1)][static_cast<std::size_t>(l - 1)]);
      s1 += e1 / df;
      s2 += e2 / df;
      EXPECT_DOUBLE_EQ(ws.directions.directional_values(l, j), (e1 + e2) / 2 / df / dtheta) << "l=" << l << " j=" << j;
    }
    EXPECT_DOUBLE_EQ(ws.points.point_spectra(l, 1), s1);
    EXPECT_DOUBLE_EQ(ws.points.point_spectra(l, 2), s2);
    // The average density: the mean of the two points' densities.
    EXPECT_NEAR(ws.input.S_in[l], (s1 + s2) / 2, 1e-12 * (s1 + s2));
  }
  // Every direction reaches the workspace, from -85 to +85.
  for (int j = 1; j <= 35; ++j) EXPECT_EQ(ws.directions.kept_directions[j], -90.0 + 5.0 * j);
  EXPECT_NE(outcome.console.find("O.K.! reading of Ene Spectrum data :" + outcome.control.input_file() + "\n"),
            std::string::npos)
      << outcome.console;
}

TEST(EnergyBalanceReader, KeepsDirectionsAtBothEndsAndFromTheLastBlockRead) {
  EneData data = MakeData(2, 3, {{2, 11}, {2, 12}});
  data.blocks[0].theta = {-90.0, 0.0, 90.0};
  data.blocks[1].theta = {-60.0, 0.0, 60.0};
  const struct {
    std::vector<std::pair<int, int>> points;
    std::vector<double> kept;
  } cases[] = {
      {{{1, 12}, {2, 11}}, {-90.0, 0.0, 90.0}},
      {{{1, 11}, {2, 12}}, {-60.0, 0.0, 60.0}},
  };
  for (const auto& c : cases) {
    const Outcome outcome = RunReader(data.Text(), PointList(2, 2, c.points));
    ASSERT_FALSE(outcome.ending) << Shown(outcome.ending);
    ASSERT_EQ(outcome.workspace->directions.kept_direction_count, 3);
    for (int k = 1; k <= 3; ++k)
      EXPECT_EQ(outcome.workspace->directions.kept_directions[k], c.kept[static_cast<std::size_t>(k - 1)]);
  }
}

TEST(EnergyBalanceReader, StopsOnAnUnreadableHeaderOnlyWhenTheSearchReachesIt) {
  const std::string unreadable = " " + std::string(messages::kEneHeaderUnreadable);
  const struct {
    const char* name;
    std::string header;  // of block 2
    std::vector<std::pair<int, int>> points;
    std::string stop;
  } cases[] = {
      {"letters in the third integer",
       "    1    1    x   12 1200.0000 3500.0000   15.2500    0.8227",
       {{1, 13}},
       unreadable},
      {"an unused integer", "  1.5    1    2   12 1200.0000 3500.0000   15.2500    0.8227", {{1, 13}}, unreadable},
      {"an unused real", "    1    1    2   12 1200.0000 35x0.0000   15.2500    0.8227", {{1, 13}}, unreadable},
      {"beyond the block where the point is found", "    1    1    x   12", {{1, 11}}, ""},
      {"a short header reads blanks as zero", "    1    1    2   12", {{1, 12}}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EneData data = MakeData(2, 2, {{2, 11}, {2, 12}, {2, 13}});
    data.blocks[1].header = c.header;
    const Outcome outcome = RunReader(data.Text(), PointList(static_cast<int>(c.points.size()), 2, c.points));
    if (c.stop.empty()) {
      EXPECT_FALSE(outcome.ending) << Shown(outcome.ending);
    } else {
      ASSERT_TRUE(outcome.ending);
      EXPECT_EQ(outcome.ending->console_line, c.stop);
    }
  }
}

TEST(EnergyBalanceReader, RefusesCountsBeyondItsTables) {
  const auto line = [](const std::string& file, std::string_view rule, const std::string& value) {
    return " Error in " + file + ": " + std::string(rule) + value;
  };
  const struct {
    const char* name;
    std::string counts;       // the counts record
    std::string block_count;  // the nb record
    std::string first_point;  // first record of the point list
    bool on_point_file;
    std::string_view rule;
    std::string value;  // as the console writer shows an integer: 12 columns
  } cases[] = {
      {"nf above 3000", " 3001    2", "    1", "    1    2", false, messages::kEneFrequencyCountRule, "        3001"},
      {"nf of 0", "    0    2", "    1", "    1    2", false, messages::kEneFrequencyCountRule, "           0"},
      {"negative nf", "   -4    2", "    1", "    1    2", false, messages::kEneFrequencyCountRule, "          -4"},
      {"nd above 198", "    3  199", "    1", "    1    2", false, messages::kEneDirectionCountRule, "         199"},
      {"negative nd", "    3   -1", "    1", "    1    2", false, messages::kEneDirectionCountRule, "          -1"},
      {"nb of 0", "    3    2", "    0", "    1    2", false, messages::kEneBlockCountRule, "           0"},
      {"negative nb", "    3    2", "   -7", "    1    2", false, messages::kEneBlockCountRule, "          -7"},
      {"num_p above 2048", "    3    2", "    1", " 2049    2", true, messages::kEnePointCountRule, "        2049"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    // Tables of three values whatever the counts say: the refusal comes
    // before they are read.
    const std::string data =
        "title\n" + c.counts + "\n" + List({0.1, 0.2, 0.3}) + List({0.01, 0.01, 0.01}) + c.block_count + "\n";
    const Outcome outcome = RunReader(data, c.first_point + "\n");
    ASSERT_TRUE(outcome.ending);
    EXPECT_EQ(outcome.ending->exit_status, kExitStopped);
    const std::string name = outcome.control.input_file();
    EXPECT_EQ(outcome.ending->console_line, line(c.on_point_file ? name + ".pnt" : name, c.rule, c.value));
  }
}

TEST(EnergyBalanceReader, LargeCountsWithLittleDataEndAtTheEndOfTheFile) {
  const EneData small = MakeData(2, 2, {{2, 11}, {2, 12}});
  const struct {
    const char* name;
    std::string data;
    std::string point_list;
    bool input_error;
    std::string text;  // whole console line, or a part of the input error
  } cases[] = {
      {"nf and nd at their limits, tables missing", "title\n 3000  198\n" + List({0.1, 0.2}),
       PointList(1, 2, {{1, 11}}), true, "line 4"},
      {"nb of two thousand million, point absent: the file's end ends the search",
       [&] {
         EneData data = small;
         data.nb = 2000000000;
         return data.Text();
       }(),
       PointList(2, 2, {{1, 12}, {2, 99}}), false, NotFoundLine("    2,   99")},
      {"more points listed than records", small.Text(), "    5    2\n    1   11\n    2   12\n", true,
       "ebm.out.pnt, line 4"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Outcome outcome = RunReader(c.data, c.point_list);
    ASSERT_TRUE(outcome.ending);
    if (c.input_error) {
      EXPECT_EQ(outcome.ending->exit_status, kExitInputError);
      EXPECT_NE(outcome.ending->diagnostic.value_or("").find(c.text), std::string::npos) << Shown(outcome.ending);
    } else {
      EXPECT_EQ(outcome.ending->console_line, c.text);
    }
  }
}

TEST(EnergyBalanceReader, NoPointsListedLeavesDefinedZerosForTheDriverToReport) {
  // num_p below 1 would divide the sums by zero; the reader must instead
  // leave finite values and the count as read.
  const EneData data = MakeData(3, 2, {{2, 11}});
  for (int num_p : {0, -3}) {
    SCOPED_TRACE(num_p);
    const Outcome outcome = RunReader(data.Text(), PointList(num_p, 2, {}));
    ASSERT_FALSE(outcome.ending) << Shown(outcome.ending);
    const SpectrumWorkspace& ws = *outcome.workspace;
    EXPECT_EQ(ws.points.num_p, num_p);
    EXPECT_NE(outcome.console.find("O.K.! reading of Ene Spectrum data :"), std::string::npos);
    EXPECT_EQ(ws.directions.kept_direction_count, 0);
    EXPECT_EQ(ws.input.n_in, 3);
    for (int l = 1; l <= 3; ++l) {
      EXPECT_EQ(ws.input.S_in[l], 0.0);
      EXPECT_TRUE(std::isfinite(ws.directions.directional_values(l, 1)));
      EXPECT_GT(ws.input.f_in[l], 0.0);
    }
  }
}

TEST(EnergyBalanceReader, MissingDataFileStopsWithItsMessage) {
  WorkspacePtr ws = MakeWorkspace();
  ScratchDir dir;
  ControlSettings control;
  control.input_file_field = dir.PathOf("absent.out");
  Console console;
  const std::optional<RunEnding> ending = testing::EndingOfCall(
      [&] { FillInputTables(ReadEnergyBalancePoints(control, console), ws->input, ws->points, ws->directions); });
  ASSERT_TRUE(ending);
  EXPECT_EQ(ending->console_line, " Error File name");
}

// ---------------------------------------------------------------------------
// The block search compared with a plain walk over the file, which starts
// again at the top of the file at every rewind and reads every header it
// meets.

struct SearchResult {
  std::vector<int> blocks;  // block (1-based position in the file) of each point read
  std::string stop;         // console line, or "input error, line N"; empty when all were read
};

SearchResult PlainSearch(const std::string& data_text, const std::string& point_text) {
  SearchResult result;
  const textio::TextFile file = textio::TextFile::FromString("data", data_text);
  const textio::TextFile points = textio::TextFile::FromString("points", point_text);
  textio::RecordCursor cursor(file);
  int nf = 0, nd = 0, nb = 0;
  const auto from_top = [&] {
    cursor.Rewind();
    cursor.Skip("title");
    textio::FieldReader counts = cursor.Next("counts");
    nf = counts.I(5);
    nd = counts.I(5);
    cursor.SkipFixedList(static_cast<std::size_t>(nf), 8, "f");
    cursor.SkipFixedList(static_cast<std::size_t>(nf), 8, "df");
    nb = cursor.Next("nb").I(5);
  };
  const auto pass_block = [&] {
    for (int j = 0; j < nd; ++j) cursor.SkipFixedList(static_cast<std::size_t>(nf) + 1, 8, "group");
  };
  from_top();
  textio::RecordCursor point_cursor(points);
  textio::FieldReader first = point_cursor.Next("first");
  const int num_p = first.I(5);
  const int first_key = first.I(5);
  std::vector<int> second_keys(static_cast<std::size_t>(std::max(num_p, 0)) + 1, 0);
  const bool take_any = num_p == 1 && nb == 1;
  if (!take_any) {
    for (int v = 1; v <= num_p; ++v) {
      textio::FieldReader record = point_cursor.Next("point");
      record.I(5);
      second_keys[static_cast<std::size_t>(v)] = record.I(5);
    }
  }
  try {
    int counter = 0;
    int found = 0;
    for (int v = 1; v <= num_p; ++v) {
      const int last = v == 1 ? nb : found;
      const int second_key = second_keys[static_cast<std::size_t>(v)];
      for (;;) {
        ++counter;
        if (counter > nb) {
          from_top();
          counter = 1;
        }
        std::optional<textio::FieldReader> header = cursor.TryNext();
        char line[80];
        std::snprintf(line, sizeof line, "Ene spectrum data (%5d,%5d) can not be found", first_key, second_key);
        if (!header) {
          result.stop = line;
          return result;
        }
        int integers[4];
        bool readable = true;
        for (int& value : integers) {
          const std::optional<std::int32_t> read = header->TryI(5);
          readable = readable && read;
          value = read.value_or(0);
        }
        for (int r = 0; r < 4; ++r) readable = header->TryF(10, 4) && readable;
        if (!readable) {
          result.stop = " Error: Spectrum Data Set isn't matched";
          return result;
        }
        if (take_any || (integers[2] == first_key && integers[3] == second_key)) {
          found = counter;
          pass_block();  // the block's values themselves do not matter here
          result.blocks.push_back(counter);
          break;
        }
        pass_block();
        if (counter == last) {
          result.stop = line;
          return result;
        }
      }
    }
  } catch (const textio::InputError& error) {
    std::smatch at;
    const std::string text = error.what();
    result.stop = std::regex_search(text, at, std::regex("line [0-9]+")) ? "input error, " + at.str() : text;
  }
  return result;
}

TEST(EnergyBalanceReader, BlockSearchAgreesWithAPlainWalkOverTheFile) {
  std::mt19937 random(20240607);
  const auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
  int found_all = 0, stopped = 0;
  // One workspace for all trials: a new one each time costs a tenth of a
  // second under the sanitizers.
  WorkspacePtr workspace = MakeWorkspace();
  for (int trial = 0; trial < 300; ++trial) {
    SCOPED_TRACE(trial);
    const int nf = std::array{1, 7, 8, 15, 16, 17}[static_cast<std::size_t>(pick(0, 5))];
    const int nd = pick(1, 3);
    const int block_count = pick(1, 9);
    std::vector<std::pair<int, int>> keys;
    for (int b = 0; b < block_count; ++b) keys.emplace_back(pick(0, 4) == 0 ? 2 : 1, pick(1, 6));
    EneData data = MakeData(nf, nd, keys);
    if (pick(0, 3) == 0) data.nb = block_count + pick(-2, 3);
    if (data.nb && *data.nb < 1) data.nb = 1;
    if (pick(0, 5) == 0)
      data.blocks[static_cast<std::size_t>(pick(0, block_count - 1))].header = "    1    1   x2    3";
    std::string text = data.Text();
    if (pick(0, 5) == 0) {
      // Cut the file after a random record of the blocks.
      std::vector<std::size_t> ends;
      for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1)) ends.push_back(at);
      const std::size_t header_records = 4 + 2 * ((static_cast<std::size_t>(nf) + 7) / 8);
      const std::size_t keep =
          header_records + static_cast<std::size_t>(pick(0, static_cast<int>(ends.size() - header_records)));
      text = text.substr(0, ends[keep - 1] + 1);
    }
    const int num_p = pick(1, 6);
    std::vector<std::pair<int, int>> points;
    // Mostly keys that some block has, so that many searches succeed.
    for (int v = 0; v < num_p; ++v) {
      const int second_key = pick(0, 9) == 0 ? 7 : keys[static_cast<std::size_t>(pick(0, block_count - 1))].second;
      points.emplace_back(v + 1, second_key);
    }
    const std::string point_list = PointList(num_p, pick(0, 9) == 0 ? 2 : 1, points);

    const SearchResult expected = PlainSearch(text, point_list);
    Outcome outcome = RunReader(text, point_list, "", std::move(workspace));
    if (expected.stop.empty()) {
      ++found_all;
      ASSERT_FALSE(outcome.ending) << Shown(outcome.ending);
      EXPECT_EQ(BlocksRead(outcome, data), expected.blocks);
    } else {
      ++stopped;
      ASSERT_TRUE(outcome.ending) << expected.stop;
      std::string got = Shown(outcome.ending);
      if (!outcome.ending->console_line) {
        std::smatch at;
        ASSERT_TRUE(std::regex_search(got, at, std::regex("line [0-9]+"))) << got;
        got = "input error, " + at.str();
      }
      EXPECT_EQ(got, expected.stop);
    }
    workspace = std::move(outcome.workspace);
  }
  // Both kinds of outcome must be well represented for the comparison to mean anything.
  EXPECT_GT(found_all, 50);
  EXPECT_GT(stopped, 50);
}

}  // namespace
}  // namespace wavecomp
