#include "input/control_file.h"

#include <gtest/gtest.h>

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

TEST(ControlFile, ComponentCountAboveTheLimitStops) {
  const struct {
    const char* count;
    bool accepted;
  } cases[] = {{"1024", true}, {"1025", false}, {"0", true}, {"-5", true}, {"", true}, {"2147483647", false}};
  for (const auto& c : cases) {
    ControlValues values;
    values.count = c.count;
    const Read read = ReadText(ControlFileText(values));
    if (c.accepted) {
      EXPECT_FALSE(read.ending) << c.count;
    } else {
      ASSERT_TRUE(read.ending) << c.count;
      EXPECT_EQ(read.ending->console_line, " " + std::string(messages::kTooManyComponents));
      EXPECT_EQ(messages::kTooManyComponents.size(), 69u);
    }
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
  EXPECT_NE(read.ending->diagnostic.value_or("").find("line 9"), std::string::npos);
}

TEST(ControlFile, LettersInTheCountAreAnInputError) {
  ControlValues values;
  values.count = "12a";
  const Read read = ReadText(ControlFileText(values));
  ASSERT_TRUE(read.ending);
  EXPECT_EQ(read.ending->exit_status, kExitInputError);
  EXPECT_NE(read.ending->diagnostic.value_or("").find("columns 11-20"), std::string::npos);
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
