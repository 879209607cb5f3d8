#include "input/directional_spectrum_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "core/messages.h"
#include "input/point_list.h"
#include "resample/input_tables.h"
#include "support/test_support.h"

namespace wavecomp {
namespace {

using testing::ScratchDir;

// One point's block, written the way a measuring program writes it.
struct Block {
  std::string label = "POINT";
  int nss = 0;  // as written in the header
  int mdd = 0;
  std::vector<double> f;
  std::vector<double> S;
  std::vector<std::vector<double>> D;  // D[l][j], 0-based
};

std::string E12(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%12.5E", value);
  return text;
}

std::string I5(int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%5d", value);
  return text;
}

std::string BlockText(const Block& block) {
  std::string label = block.label;
  label.resize(15, ' ');
  std::string text = label + I5(2023) + I5(9) + I5(15) + I5(12) + I5(0) + I5(block.nss) + I5(block.mdd) + "\n";
  for (std::size_t l = 0; l < block.f.size(); ++l) {
    text += E12(block.f[l]) + E12(block.S[l]) + "\n";
    const std::vector<double>& row = block.D[l];
    for (std::size_t j = 0; j < row.size(); ++j) {
      text += E12(row[j]);
      if (j % 6 == 5 || j + 1 == row.size()) text += "\n";
    }
  }
  return text;
}

// A block whose values identify their place: f = 0.05 l, S = l / 8 + point,
// D(l, j) = 100 l + j + 1000 point (all exact in the written form).
Block MakeBlock(int point, int nss, int mdd) {
  Block block;
  block.label = "P" + std::to_string(point);
  block.nss = nss;
  block.mdd = mdd;
  for (int l = 1; l <= nss; ++l) {
    // The value as the file holds it (five significant digits).
    block.f.push_back(std::strtod(E12(0.05 * l + 0.001 * point).c_str(), nullptr));
    block.S.push_back(l / 8.0 + point);
    std::vector<double> row;
    for (int j = 1; j <= mdd; ++j) row.push_back(100.0 * l + j + 1000.0 * point);
    block.D.push_back(row);
  }
  return block;
}

std::string DataText(const std::vector<Block>& blocks, bool with_title) {
  std::string text = with_title ? "SURVEY TITLE LONGER THAN FIFTEEN\n" : "";
  for (std::size_t v = 0; v < blocks.size(); ++v) {
    if (v > 0) text += "---- next point ----\n";
    text += BlockText(blocks[v]);
  }
  return text;
}

struct ReaderRun {
  WorkspacePtr workspace = MakeWorkspace();
  ControlSettings control;
  Console console;
  std::optional<RunEnding> ending;  // how the reader stopped the run, if it did
  std::vector<std::string> lines;   // console lines
};

// Writes the files into a scratch folder (no point list when `point_list` is
// nullopt), points the control settings at the data file and runs the reader.
void RunReader(ReaderRun& run, const std::string& data, const std::optional<std::string>& point_list,
               const std::string& answer = "") {
  ScratchDir dir;
  dir.Write("spec01", data);
  if (point_list) dir.Write("spec01.pnt", *point_list);
  run.control.type = SpectrumType::kEmep;
  run.control.input_file_field = dir.PathOf("spec01");
  run.control.input_file_field.resize(kFileNameLength, ' ');
  run.console.SetInput(answer);
  SpectrumWorkspace& ws = *run.workspace;
  run.ending = testing::EndingOfCall(
      [&] { FillInputTables(ReadDirectionalSpectrum(run.control, run.console), ws.input, ws.points, ws.directions); });
  std::string text = run.console.captured();
  std::size_t begin = 0;
  for (std::size_t end; (end = text.find('\n', begin)) != std::string::npos; begin = end + 1) {
    run.lines.push_back(text.substr(begin, end - begin));
  }
}

std::string PointList(const std::vector<int>& numbers) {
  std::string text = I5(static_cast<int>(numbers.size())) + "\n";
  if (numbers.size() >= 2) {
    for (int number : numbers) text += I5(number) + "\n";
  }
  return text;
}

TEST(DirectionalSpectrumReader, TitleRecordOnlyWhenThePointListExists) {
  struct Case {
    const char* name;
    bool point_list;
    bool title_in_data;
    std::vector<std::string> expected_after_name;  // console lines after the file name
  };
  const std::string header_echo = "P1              2023    9   15   12    0    2    8";
  const std::vector<Case> cases = {
      {"with point list", true, true, {"SURVEY TITLE LO", header_echo, "num_p =     1"}},
      {"answered Y",
       false,
       false,
       {" == File(X.pnt) is not found ==", std::string(" ") + std::string(messages::kQuestion1),
        std::string(" ") + std::string(messages::kQuestion2), std::string(" ") + std::string(messages::kQuestion3),
        header_echo, "num_p =     1"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ReaderRun run;
    RunReader(run, DataText({MakeBlock(1, 2, 8)}, c.title_in_data),
              c.point_list ? std::optional<std::string>(PointList({7})) : std::nullopt, "Y\n");
    ASSERT_FALSE(run.ending) << run.ending->diagnostic.value_or("");
    ASSERT_EQ(run.lines.size(), c.expected_after_name.size() + 1);
    // The name is echoed as its whole 200-character field after one blank.
    EXPECT_EQ(run.lines[0].size(), 201u);
    EXPECT_EQ(run.lines[0].substr(0, 2), " /");
    for (std::size_t i = 0; i < c.expected_after_name.size(); ++i) {
      std::string expected = c.expected_after_name[i];
      if (i == 0 && !c.point_list) {
        expected = std::string(" == File(") + run.control.input_file() + ".pnt) is not found ==";
      }
      EXPECT_EQ(run.lines[i + 1], expected);
    }
    EXPECT_EQ(run.workspace->points.num_p, 1);
    EXPECT_EQ(run.workspace->points.point_numbers[1], 0);
    EXPECT_EQ(run.workspace->input.n_in, 2);
    EXPECT_DOUBLE_EQ(run.workspace->input.f_in[2], 0.101);
  }
}

TEST(DirectionalSpectrumReader, OnlyYAndYesContinueWithoutAPointList) {
  struct Case {
    const char* answer;
    bool continues;
  };
  const std::vector<Case> cases = {
      {"Y\n", true},     {"Yes\n", true},     {"  Y   \n", true}, {"Yes please\n", true},
      {"Yesss\n", true}, {"\n  \nY\n", true},  // blank lines are passed over, as a free-format read does
      {"\n\n", false},   {"y\n", false},      {"YES\n", false},   {"yes\n", false},
      {"N\n", false},    {"Yx\n", false},     {"\n", false},      {"", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string("answer '") + c.answer + "'");
    ReaderRun run;
    RunReader(run, DataText({MakeBlock(1, 3, 4)}, false), std::nullopt, c.answer);
    if (c.continues) {
      ASSERT_FALSE(run.ending) << run.ending->diagnostic.value_or("");
      EXPECT_EQ(run.workspace->points.num_p, 1);
      EXPECT_EQ(run.workspace->input.n_in, 3);
    } else {
      ASSERT_TRUE(run.ending);
      EXPECT_FALSE(run.ending->console_line);  // silent
      EXPECT_FALSE(run.ending->diagnostic);    // explained before the question (end-to-end tests)
      EXPECT_EQ(run.ending->exit_status, kExitStopped);
      EXPECT_EQ(run.lines.size(), 5u);  // name, not-found line, three question lines, nothing after
      EXPECT_EQ(run.workspace->points.num_p, 0);
    }
  }
}

TEST(DirectionalSpectrumReader, SinglePointListReadsNoPointNumberButTheTitle) {
  ReaderRun run;
  // Only the count: a point number would have to come from a missing record.
  RunReader(run, DataText({MakeBlock(1, 2, 4)}, true), "    1\n");
  ASSERT_FALSE(run.ending) << run.ending->diagnostic.value_or("");
  EXPECT_EQ(run.lines[1], "SURVEY TITLE LO");
  EXPECT_EQ(run.workspace->points.num_p, 1);
  EXPECT_EQ(run.workspace->points.point_numbers[1], 0);
  EXPECT_EQ(run.workspace->points.point_spectra(2, 1), 2 / 8.0 + 1);
}

TEST(DirectionalSpectrumReader, DifferentCountsOfALaterBlockWarnAndReadingGoesOn) {
  struct Case {
    const char* name;
    int nss;
    int mdd;
    std::vector<std::string> warnings;
  };
  const std::vector<Case> cases = {
      {"nss", 39, 4, {" ERROR! nss k=    2   39"}},
      {"mdd", 3, 36, {" ERROR! mdd k=    2   36"}},
      {"both", 12345, 0, {" ERROR! nss k=    212345", " ERROR! mdd k=    2    0"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Block second = MakeBlock(2, 3, 4);  // the values follow the first block's counts
    second.nss = c.nss;
    second.mdd = c.mdd;
    ReaderRun run;
    RunReader(run, DataText({MakeBlock(1, 3, 4), second, MakeBlock(3, 3, 4)}, true), PointList({11, 12, 13}));
    ASSERT_FALSE(run.ending) << run.ending->diagnostic.value_or("");
    // name, title, header echo, the warnings, num_p
    ASSERT_EQ(run.lines.size(), 4 + c.warnings.size());
    for (std::size_t i = 0; i < c.warnings.size(); ++i) EXPECT_EQ(run.lines[3 + i], c.warnings[i]);
    EXPECT_EQ(run.lines.back(), "num_p =     3");
    EXPECT_EQ(run.workspace->points.nss, 3);
    EXPECT_EQ(run.workspace->points.point_spectra(3, 3), 3 / 8.0 + 3);
    EXPECT_EQ(run.workspace->points.point_numbers[3], 13);
  }
}

TEST(DirectionalSpectrumReader, KeepsTheDirectionsFacingTheShoreWithBothEnds) {
  struct Case {
    int mdd;
    std::vector<double> kept;
    std::vector<int> source_j;  // 1-based direction of the block each kept one comes from
  };
  const std::vector<Case> cases = {
      {8, {-90, -45, 0, 45, 90}, {3, 4, 5, 6, 7}},
      {4, {-90, 0, 90}, {2, 3, 4}},
      {6, {-60, 0, 60}, {3, 4, 5}},
      {1, {}, {}},
      {36, {}, {}},  // filled below: -90..90 in 10-degree steps
  };
  for (Case c : cases) {
    SCOPED_TRACE(c.mdd);
    if (c.mdd == 36) {
      for (int j = 10; j <= 28; ++j) {
        c.kept.push_back(-180.0 + (j - 1) * 10.0);
        c.source_j.push_back(j);
      }
    }
    ReaderRun run;
    RunReader(run, DataText({MakeBlock(1, 2, c.mdd), MakeBlock(2, 2, c.mdd)}, true), PointList({1, 2}));
    ASSERT_FALSE(run.ending) << run.ending->diagnostic.value_or("");
    const SpectrumWorkspace& ws = *run.workspace;
    ASSERT_EQ(ws.directions.kept_direction_count, static_cast<int>(c.kept.size()));
    for (std::size_t k = 0; k < c.kept.size(); ++k) {
      const int kk = static_cast<int>(k) + 1;
      EXPECT_EQ(ws.directions.kept_directions[kk], c.kept[k]);
      for (int l = 1; l <= 2; ++l) {
        // Mean of the two points' values 100 l + j + 1000 v.
        const double expected = ((100.0 * l + c.source_j[k] + 1000.0) + (100.0 * l + c.source_j[k] + 2000.0)) / 2;
        EXPECT_EQ(ws.directions.directional_values(l, kk), expected) << "l=" << l << " k=" << kk;
      }
    }
  }
}

TEST(DirectionalSpectrumReader, AveragesThePointsAndKeepsEachPointsSpectrum) {
  Block first = MakeBlock(1, 3, 8);
  Block second = MakeBlock(2, 3, 8);
  first.S = {0.125, 2.5, 7.0e-3};
  second.S = {0.375, 1.5, 1.0e-3};
  ReaderRun run;
  RunReader(run, DataText({first, second}, true), PointList({21, 22}));
  ASSERT_FALSE(run.ending) << run.ending->diagnostic.value_or("");
  const SpectrumWorkspace& ws = *run.workspace;
  EXPECT_EQ(ws.points.num_p, 2);
  EXPECT_EQ(ws.points.point_numbers[1], 21);
  EXPECT_EQ(ws.points.point_numbers[2], 22);
  EXPECT_EQ(ws.input.n_in, 3);
  EXPECT_EQ(ws.points.nss, 3);
  for (int l = 1; l <= 3; ++l) {
    const std::size_t i = static_cast<std::size_t>(l - 1);
    EXPECT_EQ(ws.points.point_spectra(l, 1), first.S[i]);
    EXPECT_EQ(ws.points.point_spectra(l, 2), second.S[i]);
    EXPECT_EQ(ws.input.S_in[l], (first.S[i] + second.S[i]) / 2);
    EXPECT_EQ(ws.input.f_in[l], (first.f[i] + second.f[i]) / 2);
  }
  EXPECT_EQ(run.lines.back(), "num_p =     2");
}

TEST(DirectionalSpectrumReader, MissingTitleOrSeparatorIsTooShort) {
  struct Case {
    const char* name;
    std::string data;
    std::string point_list;
  };
  const std::string one_block = BlockText(MakeBlock(1, 2, 3));
  const std::vector<Case> cases = {
      {"empty data file", "", PointList({5})},
      {"no separator before the second block", "TITLE\n" + one_block, PointList({5, 6})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ReaderRun run;
    RunReader(run, c.data, c.point_list);
    ASSERT_TRUE(run.ending);
    EXPECT_EQ(run.ending->console_line, " Error Read-Data: Emep-data is too short");
  }
}

TEST(DirectionalSpectrumReader, RefusesCountsBeyondCapacityBeforeStoringAnything) {
  struct Case {
    const char* name;
    std::string point_list;
    int nss;
    int mdd;
    std::string expected;  // the message after "input error in <folder>/"
  };
  const std::vector<Case> cases = {
      {"points", " 2049\n", 2, 4,
       "spec01.pnt, line 1, columns 1-5: expected a point count of at most 2048, found \" 2049\""},
      {"frequencies", "    1\n", 3001, 4,
       "spec01, line 2, columns 41-45: expected a frequency count (nss) of 1 to 3000, found \" 3001\""},
      {"directions", "    1\n", 2, 201,
       "spec01, line 2, columns 46-50: expected a direction count (mdd) of 1 to 200, found \"  201\""},
      {"no frequencies", "    1\n", 0, 4,
       "spec01, line 2, columns 41-45: expected a frequency count (nss) of 1 to 3000, found \"    0\""},
      {"no directions", "    1\n", 2, -3,
       "spec01, line 2, columns 46-50: expected a direction count (mdd) of 1 to 200, found \"   -3\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Block block = MakeBlock(1, 2, 4);
    block.nss = c.nss;
    block.mdd = c.mdd;
    ReaderRun run;
    RunReader(run, DataText({block}, true), c.point_list);
    ASSERT_TRUE(run.ending);
    EXPECT_EQ(run.ending->exit_status, kExitInputError);
    const std::string text = run.ending->diagnostic.value_or("");
    const std::size_t at = text.find("spec01");
    ASSERT_NE(at, std::string::npos) << text;
    EXPECT_EQ(text.substr(at), c.expected);
    EXPECT_EQ(run.workspace->points.num_p, 0);
    EXPECT_EQ(run.workspace->input.n_in, 0);
    EXPECT_EQ(run.workspace->points.point_spectra(1, 1), 0.0);
  }
}

TEST(DirectionalSpectrumReader, LargeCountsWithLittleDataEndAtTheEndOfTheFile) {
  // A hostile header: the largest counts the reader accepts, one line of data.
  Block block = MakeBlock(1, 1, 200);
  block.nss = 3000;
  ReaderRun run;
  RunReader(run, DataText({block}, true), " 2048\n    1\n");
  ASSERT_TRUE(run.ending);
  EXPECT_EQ(run.ending->exit_status, kExitInputError);
  EXPECT_NE(run.ending->diagnostic.value_or("").find("end of the file"), std::string::npos);
}

TEST(DirectionalSpectrumReader, PointCountBelowOneReadsNoBlock) {
  for (const char* count : {"    0\n", "   -4\n"}) {
    SCOPED_TRACE(count);
    ReaderRun run;
    RunReader(run, "", count);  // an empty data file would be too short if a block were read
    ASSERT_FALSE(run.ending) << run.ending->diagnostic.value_or("");
    EXPECT_EQ(run.workspace->points.num_p, std::atoi(count));
    EXPECT_EQ(run.workspace->input.n_in, 0);
    EXPECT_EQ(run.workspace->directions.kept_direction_count, 0);
    ASSERT_EQ(run.lines.size(), 2u);
    EXPECT_EQ(run.lines[1], std::string("num_p = ") + I5(std::atoi(count)));
  }
}

TEST(DirectionalSpectrumReader, MissingDataFileStops) {
  WorkspacePtr ws = MakeWorkspace();
  Console console;
  ControlSettings control;
  control.input_file_field = "/nonexistent/spec01";
  const std::optional<RunEnding> ending = testing::EndingOfCall(
      [&] { FillInputTables(ReadDirectionalSpectrum(control, console), ws->input, ws->points, ws->directions); });
  ASSERT_TRUE(ending);
  EXPECT_EQ(ending->console_line, " == File not find ==");
}

TEST(PointListQuestion, AnswerRule) {
  struct Case {
    const char* line;
    bool yes;
  };
  const std::vector<Case> cases = {{"Y", true},   {"Y  ", true},  {"Yes", true}, {" Yes,no", true},
                                   {"'Y'", true}, {"Y/", true},   {"y", false},  {"YES", false},
                                   {"", false},   {"   ", false}, {"Ye", false}, {"N Y", false}};
  for (const Case& c : cases) EXPECT_EQ(IsSingleSpectrumAnswer(c.line), c.yes) << "'" << c.line << "'";
}

}  // namespace
}  // namespace wavecomp
