#include "input/frequency_spectrum_file.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/messages.h"
#include "resample/input_tables.h"
#include "support/test_support.h"
#include "textio/format.h"

namespace wavecomp {
namespace {

using testing::ControlFileText;
using testing::ControlValues;
using testing::RunResult;
using testing::RunWavecomp;
using testing::ScratchDir;

struct Outcome {
  WorkspacePtr ws = MakeWorkspace();
  SpectrumFileHeader header;
  std::string console;
  std::optional<RunEnding> ending;  // how the read stopped the run, if it did
};

// ReadSpec on `content` written to spectrum.txt (nothing written when null).
Outcome Read(const ScratchDir& dir, const char* content, int component_count = 1) {
  if (content != nullptr) dir.Write("spectrum.txt", content);
  Outcome outcome;
  ControlSettings control;
  control.type = SpectrumType::kSspe;
  control.input_file_field = dir.PathOf("spectrum.txt") + "   ";
  control.component_count = component_count;
  Console console;
  outcome.ending = testing::EndingOfCall([&] {
    const SpectrumData data = ReadSpec(control, console);
    outcome.header = data.header;
    FillInputTables(data, outcome.ws->input, outcome.ws->points, outcome.ws->directions);
  });
  outcome.console = console.captured();
  return outcome;
}

std::string CountLine(int n) { return textio::ListLine().Integer(n).str() + "\n"; }

struct Case {
  const char* name;
  const char* content;
  double H, T, Dirc;
  std::vector<std::pair<double, double>> pairs;
  int component_count = 1;
};

TEST(ReadSpec, ReadsTheFreeFormatLayout) {
  const Case cases[] = {
      {"one value per field",
       "1.5 8 10\n0.1 0.5\n0.2 1.0\n0.3 0.4\n",
       1.5,
       8,
       10,
       {{0.1, 0.5}, {0.2, 1.0}, {0.3, 0.4}}},
      {"header over two lines",
       "1.5 8\n10\n0.1 0.5\n0.2 1.0\n0.3 0.4\n",
       1.5,
       8,
       10,
       {{0.1, 0.5}, {0.2, 1.0}, {0.3, 0.4}}},
      {"fourth header value ignored",
       "1.5 8 10 99\n0.1 0.5\n0.2 1.0\n0.3 0.4\n",
       1.5,
       8,
       10,
       {{0.1, 0.5}, {0.2, 1.0}, {0.3, 0.4}}},
      {"second pair on a line ignored",
       "1 2 3\n0.1 0.5 0.15 0.7\n0.2 1.0\n0.3 0.4\n",
       1,
       2,
       3,
       {{0.1, 0.5}, {0.2, 1.0}, {0.3, 0.4}}},
      {"last single value not counted",
       "1 2 3\n0.1 0.5\n0.2 1.0\n0.3 0.4\n0.4\n",
       1,
       2,
       3,
       {{0.1, 0.5}, {0.2, 1.0}, {0.3, 0.4}}},
      {"empty lines skipped",
       "1 2 3\n\n0.1 0.5\n\n   \n0.2 1.0\n0.3 0.4\n\n",
       1,
       2,
       3,
       {{0.1, 0.5}, {0.2, 1.0}, {0.3, 0.4}}},
      {"pair over two lines", "1 2 3\n0.1\n0.5\n0.2 1.0\n0.3 0.4", 1, 2, 3, {{0.1, 0.5}, {0.2, 1.0}, {0.3, 0.4}}},
      {"commas, CRLF, exponents",
       "1.5,8.,-10\r\n1.0E-01, 5.0e-1\r\n0.2,1.0D0\r\n3e-1 , .4\r\n",
       1.5,
       8,
       -10,
       {{0.1, 0.5}, {0.2, 1.0}, {0.3, 0.4}}},
      {"no pairs, no components", "1 2 3\n", 1, 2, 3, {}, 0},
      {"falling frequencies kept as read when nothing is divided",
       "1 2 3\n0.3 1\n0.2 2\n",
       1,
       2,
       3,
       {{0.3, 1}, {0.2, 2}},
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDir dir;
    const Outcome outcome = Read(dir, c.content, c.component_count);
    ASSERT_FALSE(outcome.ending.has_value()) << outcome.ending->diagnostic.value_or("");
    const InputSpectrum& ws = outcome.ws->input;
    EXPECT_EQ(outcome.header.H13, c.H);
    EXPECT_EQ(outcome.header.T13, c.T);
    EXPECT_EQ(outcome.header.Dirc, c.Dirc);
    ASSERT_EQ(ws.n_in, static_cast<int>(c.pairs.size()));
    for (int j = 1; j <= ws.n_in; ++j) {
      EXPECT_EQ(ws.f_in[j], c.pairs[static_cast<std::size_t>(j - 1)].first) << j;
      EXPECT_EQ(ws.S_in[j], c.pairs[static_cast<std::size_t>(j - 1)].second) << j;
    }
    std::string echo;
    textio::PutF(echo, c.H, 10, 2);
    textio::PutF(echo, c.T, 10, 2);
    textio::PutF(echo, c.Dirc, 10, 2);
    EXPECT_EQ(outcome.console, echo + "\n" + CountLine(ws.n_in));
  }
}

TEST(ReadSpec, EchoLineHasThreeTenColumnFields) {
  ScratchDir dir;
  const Outcome outcome = Read(dir, "1.5 8 10\n0.1 1\n0.2 2\n0.3 1\n");
  EXPECT_EQ(outcome.console.substr(0, outcome.console.find('\n')), "      1.50      8.00     10.00");
}

TEST(ReadSpec, MissingFileStopsWithTheProgramsLine) {
  ScratchDir dir;
  const Outcome outcome = Read(dir, nullptr);
  ASSERT_TRUE(outcome.ending.has_value());
  EXPECT_EQ(outcome.ending->console_line, " == File not find ==");
  EXPECT_EQ(outcome.ending->exit_status, kExitStopped);
  EXPECT_EQ(outcome.console, "");
}

std::string Lines(int first, int count, double step) {
  std::string text;
  for (int i = 0; i < count; ++i) text += std::to_string(step * (first + i)) + " 1.0\n";
  return text;
}

TEST(ReadSpec, RefusesWhatCannotBeRead) {
  struct Refusal {
    const char* name;
    std::string content;
    int component_count;
    std::string text;  // after the file name
    bool count_line;   // the count line is shown before the refusal
  };
  const std::string none(messages::kNoFileWritten);
  const Refusal cases[] = {
      {"header cut short", "1.5 8\n", 1, ", line 2: expected H1/3, T1/3 and Dirc., found \"the end of the file\"",
       false},
      {"not a number", "1 2 3\n0.1 1\n0.2 abc\n", 1,
       ", line 3, columns 5-7: expected a frequency and a spectral density, found \"abc\"", false},
      {"NaN density", "1 2 3\n0.1 1\n0.2 nan\n0.3 1\n", 0,
       ", line 3, columns 5-7: expected a frequency and a spectral density, found \"nan\"", false},
      {"infinite frequency", "1 2 3\n0.1 1\ninf 1\n", 1,
       ", line 3, columns 1-3: expected a frequency and a spectral density, found \"inf\"", false},
      {"beyond the largest real", "1 2 3\n0.1 1\n0.2 1e999\n", 1,
       ", line 3, columns 5-9: expected a frequency and a spectral density, found \"1e999\"", false},
      {"3001 pairs", "1 2 3\n" + Lines(1, 3001, 0.0001), 0,
       ", line 3002: expected at most 3000 frequency pairs, found pair 3001", false},
      {"repeated frequency, line numbers of the file", "1 2 3\n0.1 1\n\n0.2 1\n0.2 1\n", 2,
       ", line 5: expected a frequency above that of the pair before it (line 4)", true},
      {"two pairs", "1 2 3\n0.1 1\n0.2 1\n", 1,
       ": 2 frequency pairs, at least 3 are needed to divide the spectrum" + none, true},
  };
  for (const Refusal& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDir dir;
    const Outcome outcome = Read(dir, c.content.c_str(), c.component_count);
    ASSERT_TRUE(outcome.ending.has_value());
    EXPECT_EQ(outcome.ending->exit_status, kExitInputError);
    const std::string path = dir.PathOf("spectrum.txt");
    const bool input_error = c.text[0] == ',';
    const std::string text = (input_error ? "input error in " : "") + path + c.text;
    EXPECT_EQ(outcome.ending->diagnostic.value_or("").substr(0, text.size()), text);
    const bool shows_count = outcome.console.find('\n') + 1 < outcome.console.size();
    EXPECT_EQ(shows_count, c.count_line);
  }
}

TEST(ReadSpec, HoldsExactlyThreeThousandPairs) {
  ScratchDir dir;
  const std::string content = "1 2 3\n" + Lines(1, 3000, 0.0001);
  const Outcome outcome = Read(dir, content.c_str());
  ASSERT_FALSE(outcome.ending.has_value());
  EXPECT_EQ(outcome.ws->input.n_in, 3000);
  EXPECT_EQ(outcome.ws->input.f_in[3000], 0.3);
}

// Tables that would have stored past the capacity or could never be divided,
// through the real program.
TEST(SspeRun, RefusedTablesLeaveNoFile) {
  struct Refused {
    const char* name;
    std::string table;
    std::string message;
  };
  const Refused cases[] = {
      {"3001 pairs", "1 8 0\n" + Lines(1, 3001, 0.0003), "line 3002: expected at most 3000 frequency pairs"},
      {"falling", "1 8 0\n0.1 1\n0.3 2\n0.2 1\n0.4 1\n",
       "line 4: expected a frequency above that of the pair before it (line 3)"},
  };
  for (const Refused& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDir dir;
    ControlValues values;
    values.type = "Sspe";
    values.count = "16";
    values.input_file = "table.spc";
    dir.Write("cont.txt", ControlFileText(values));
    dir.Write("table.spc", c.table);
    const RunResult run = RunWavecomp(dir);
    EXPECT_EQ(run.exit_status, kExitInputError);
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_FALSE(dir.Exists("wave.dat"));
  }
}

}  // namespace
}  // namespace wavecomp
