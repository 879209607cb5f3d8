#include "input/control_file.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/messages.h"
#include "core/run_stop.h"
#include "support/test_support.h"

namespace wavecomp {
namespace {

using testing::ControlFileText;
using testing::ControlValues;
using testing::ScratchDir;

struct Read {
  ControlSettings control;
  std::optional<RunEnding> ending;  // how the read stopped the run, if it did
};

// Reads `text` as cont.txt.
Read ReadText(const std::string& text) {
  ScratchDir dir;
  dir.Write("cont.txt", text);
  Read read;
  read.ending = testing::EndingOfCall([&] { read.control = ReadControlFile(dir.PathOf("cont.txt")); });
  return read;
}

TEST(ControlFile, MissingFileStopsWithThreeBlanksBeforeTheMessage) {
  const std::optional<RunEnding> ending = testing::EndingOfCall([] { ReadControlFile("/nonexistent/cont.txt"); });
  ASSERT_TRUE(ending);
  EXPECT_EQ(ending->console_line, "   Can not open cont.txt file");
  EXPECT_EQ(ending->exit_status, kExitStopped);
}

TEST(ControlFile, ReadsEveryValueFromItsColumns) {
  ControlValues values;
  values.type = "Sspe";
  values.count = "1024";
  values.smax = "25.5";
  values.input_file = "swell.spc";
  values.output_file = "out/wave.dat";
  values.height = "1.5";
  values.period = "8";
  values.direction = "-12.5";
  values.gamma = "3.3D0";
  values.fmin = "0.02";
  values.fmax = "1.5E0";
  values.seed = "-77";
  const Read read = ReadText(ControlFileText(values));
  ASSERT_FALSE(read.ending);
  const ControlSettings& control = read.control;
  EXPECT_EQ(control.type, SpectrumType::kSspe);
  EXPECT_EQ(control.component_count, 1024);
  EXPECT_EQ(control.Smax, 25.5);
  EXPECT_EQ(control.input_file(), "swell.spc");
  EXPECT_EQ(control.output_file(), "out/wave.dat");
  EXPECT_EQ(control.H13, 1.5);
  EXPECT_EQ(control.T13, 8.0);  // no implied decimals in F10.0
  EXPECT_EQ(control.Dirc, -12.5);
  EXPECT_EQ(control.gamma, 3.3);
  EXPECT_EQ(control.fmin, 0.02 + 0.000001);
  EXPECT_EQ(control.fmax, 1.5);
  EXPECT_EQ(control.random_seed, -77);
  EXPECT_EQ(control.dirmin, -90.0);
  EXPECT_EQ(control.dirmax, 90.0);
}

struct TypeCase {
  const char* name;
  std::string record;                // record 2 as written
  std::optional<SpectrumType> type;  // nullopt: refused
};

TEST(ControlFile, SpectrumTypeIsABlankPaddedCaseSensitiveField) {
  const TypeCase cases[] = {
      {"JNS with blank in column 14", "SPECTRUM  JNS ", SpectrumType::kJonswap},
      {"JNS in a short record", "SPECTRUM  JNS", SpectrumType::kJonswap},
      {"Ene in a short record", "SPECTRUM  Ene", SpectrumType::kEne},
      {"Emep", "SPECTRUM  Emep", SpectrumType::kEmep},
      {"Sspe followed by more text", "SPECTRUM  Sspe spectrum", SpectrumType::kSspe},
      {"JNS followed by a character", "SPECTRUM  JNSX", std::nullopt},
      {"lower-case jns", "SPECTRUM  jns", std::nullopt},
      {"JNS starting in column 12", "SPECTRUM   JNS", std::nullopt},
      {"Emep cut to three letters", "SPECTRUM  Eme", std::nullopt},
      {"upper-case EMEP", "SPECTRUM  EMEP", std::nullopt},
      {"empty record", "", std::nullopt},
  };
  for (const TypeCase& c : cases) {
    std::string text = ControlFileText(ControlValues{});
    const std::size_t start = text.find('\n') + 1;
    text.replace(start, text.find('\n', start) - start, c.record);
    const Read read = ReadText(text);
    if (c.type) {
      EXPECT_FALSE(read.ending) << c.name;
      EXPECT_EQ(read.control.type, *c.type) << c.name;
    } else {
      ASSERT_TRUE(read.ending) << c.name;
      EXPECT_EQ(read.ending->console_line, " " + std::string(messages::kBadSpectrumType)) << c.name;
    }
  }
}

// Counts above 1024 have the program's message; counts below 1 (a file
// without components would look like a success) stop with the explanation
// alone. Either way the explanation names the place and the value read.
TEST(ControlFile, ComponentCountOutside1To1024Stops) {
  const struct {
    std::string record;  // line 3 as written
    bool console_line;   // the program's message on the console
    std::string explained;
  } cases[] = {
      {"N_COMP          1024", false, ""},
      {"N_COMP             1", false, ""},
      {"N_COMP          1025", true, "line 3, columns 11-20: the component count N reads 1025, above the largest"},
      {"N_COMP    2147483647", true, "the component count N reads 2147483647"},
      {"N_COMP             0", false, "line 3, columns 11-20: the component count N reads 0; N must be 1 to 1024"},
      {"N_COMP            -5", false, "the component count N reads -5; N must be 1 to 1024"},
      {"N_COMP", false, "the component count N reads 0: the field is blank; N must be"},
      // The count written before column 11 is not read; the explanation says where it stands.
      {"N_COMP 512", false,
       "reads 0: the field is blank, and columns 8-10 of the label hold \"512\", which is not read"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.record);
    std::string text = ControlFileText(ControlValues{});
    const std::size_t start = text.find("N_COMP");
    text.replace(start, text.find('\n', start) - start, c.record);
    const Read read = ReadText(text);
    if (c.explained.empty()) {
      EXPECT_FALSE(read.ending);
      continue;
    }
    ASSERT_TRUE(read.ending);
    EXPECT_EQ(read.ending->exit_status, kExitStopped);
    if (c.console_line) {
      EXPECT_EQ(read.ending->console_line, " " + std::string(messages::kTooManyComponents));
    } else {
      EXPECT_FALSE(read.ending->console_line);
    }
    EXPECT_NE(read.ending->diagnostic.value_or("").find(c.explained), std::string::npos)
        << read.ending->diagnostic.value_or("");
  }
}

// Tabs and numbers that run across a field boundary read as other values
// than the ones meant: refused, with the record, what it reads as and the
// layout of its line. What cannot change what is read passes.
TEST(ControlFile, ColumnSlipsAreRefusedWithTheRecordAndItsLayout) {
  const struct {
    const char* name;
    std::size_t line;  // 1-based line replaced
    std::string record;
    std::string refusal;  // "" when the file reads
  } cases[] = {
      {"count after two tabs", 3, "N_COMP\t\t 512",
       "line 3, column 7: a tab character (and 1 more) in the record \"N_COMP<tab><tab> 512\", which reads the "
       "component count N = 12; a tab counts as one column, not a jump to a tab stop: write blanks instead"},
      {"tab in the label only", 4, "SMAX\t           10.0", "line 4, column 5: a tab character in the record"},
      {"sign in column 10", 4, "SMAX     -5.0",
       "the number \"-5.0\" in the record \"SMAX     -5.0\" runs across the "
       "start of the Smax field (columns 11-20), which alone is read and gives 5;"},
      {"H1/3 running into T1/3", 7, "H,T,DIR,G       1.010.0       0.0       3.3",
       "line 7, columns 20-21: the number \"1.010.0\" in the record \"H,T,DIR,G       1.010.0       0.0       3.3\" "
       "runs across the start of the T1/3 field (columns 21-30), which alone is read and gives 0; move the number into "
       "its field, so that the record holds a label in columns 1-10, then H1/3 within columns 11-20, T1/3 within "
       "21-30, Dirc. within 31-40 and gamma within 41-50, each number within its own ten columns (not separated by "
       "blanks as in free format)"},
      {"tab in a file name", 5, "IN_FILE\tcoast",
       "a tab character in the record \"IN_FILE<tab>coast\", which reads the input spectrum file name = \"ast\""},
      {"value right after a full label", 9, "SEED      4711", ""},
      {"tab in the title", 1, "title\twith a tab", ""},
      {"tab after the last field", 8, "FMIN,FMAX       0.01       1.0\t<- range", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> lines = testing::Lines(ControlFileText(ControlValues{}));
    lines[c.line - 1] = c.record;
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    const Read read = ReadText(text);
    if (c.refusal.empty()) {
      EXPECT_FALSE(read.ending) << read.ending->diagnostic.value_or("");
      continue;
    }
    ASSERT_TRUE(read.ending);
    EXPECT_EQ(read.ending->exit_status, kExitStopped);
    EXPECT_FALSE(read.ending->console_line);
    EXPECT_NE(read.ending->diagnostic.value_or("").find(c.refusal), std::string::npos)
        << read.ending->diagnostic.value_or("");
  }
}

TEST(ControlFile, SpectrumTypeIsCheckedBeforeTheCount) {
  ControlValues values;
  values.type = "XXXX";
  values.count = "5000";
  const Read read = ReadText(ControlFileText(values));
  ASSERT_TRUE(read.ending);
  EXPECT_EQ(read.ending->console_line, " " + std::string(messages::kBadSpectrumType));
}

TEST(ControlFile, ZeroFminIsStoredAsOneMillionth) {
  ControlValues values;
  values.fmin = "0";
  const Read read = ReadText(ControlFileText(values));
  ASSERT_FALSE(read.ending);
  EXPECT_EQ(read.control.fmin, 0.000001);
}

TEST(ControlFile, FileNamesAreBlankPaddedTo200AndCutAtColumn210) {
  ControlValues values;
  values.input_file = std::string(20, 'a');  // ends in column 30
  values.output_file = std::string(205, 'b');
  const Read read = ReadText(ControlFileText(values));
  ASSERT_FALSE(read.ending);
  EXPECT_EQ(read.control.input_file_field, std::string(20, 'a') + std::string(180, ' '));
  EXPECT_EQ(read.control.output_file_field, std::string(200, 'b'));
}

TEST(ControlFile, LabelsAndTitleHaveNoEffect) {
  std::string text = ControlFileText(ControlValues{});
  std::string scrambled;
  bool first = true;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    std::string line = text.substr(start, end - start);
    if (first)
      line = "12345 anything at all 3.0 JNS";
    else
      line.replace(0, 10, "9.9e9 Emep");
    scrambled += line + "\n";
    first = false;
    start = end + 1;
  }
  const Read a = ReadText(text);
  const Read b = ReadText(scrambled);
  ASSERT_FALSE(a.ending);
  ASSERT_FALSE(b.ending);
  EXPECT_EQ(a.control, b.control);
}

TEST(ControlFile, MissingRecordIsAnInputError) {
  std::string text = ControlFileText(ControlValues{});
  text = text.substr(0, text.rfind("SEED"));
  const Read read = ReadText(text);
  ASSERT_TRUE(read.ending);
  EXPECT_EQ(read.ending->exit_status, kExitInputError);
  EXPECT_NE(read.ending->diagnostic.value_or("").find("line 9: expected line 9 with the random seed (cont.txt holds"),
            std::string::npos)
      << read.ending->diagnostic.value_or("");
}

TEST(ControlFile, LettersInTheCountAreAnInputError) {
  ControlValues values;
  values.count = "12a";
  const Read read = ReadText(ControlFileText(values));
  ASSERT_TRUE(read.ending);
  EXPECT_EQ(read.ending->exit_status, kExitInputError);
  EXPECT_NE(read.ending->diagnostic.value_or("").find(
                "line 3, columns 11-20: expected the component count N, an integer (I10) anywhere within its ten "
                "columns (blanks inside are ignored), found \"       12a\""),
            std::string::npos)
      << read.ending->diagnostic.value_or("");
}

TEST(ControlFile, WindowsLineEndsReadTheSame) {
  std::string text = ControlFileText(ControlValues{});
  std::string crlf;
  for (char c : text) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  const Read a = ReadText(text);
  const Read b = ReadText(crlf);
  ASSERT_FALSE(a.ending);
  ASSERT_FALSE(b.ending);
  EXPECT_EQ(a.control, b.control);
}

}  // namespace
}  // namespace wavecomp
