#include "input/control_file.h"

#include <gtest/gtest.h>

#include <cstring>

#include "core/messages.h"
#include "core/run_stop.h"
#include "support/test_support.h"

namespace wavecomp {
namespace {

using testing::ControlFileText;
using testing::ControlValues;
using testing::ScratchDir;

// Reads `text` as cont.txt; returns the stop it raised, if any.
std::optional<RunStop> ReadText(const std::string& text, SpectrumWorkspace& workspace) {
  ScratchDir dir;
  dir.Write("cont.txt", text);
  Console console;
  try {
    ReadControlFile(workspace, console, dir.PathOf("cont.txt"));
  } catch (const RunStop& stop) {
    return stop;
  }
  return std::nullopt;
}

TEST(ControlFile, MissingFileStopsWithThreeBlanksBeforeTheMessage) {
  WorkspacePtr workspace = MakeWorkspace();
  Console console;
  try {
    ReadControlFile(*workspace, console, "/nonexistent/cont.txt");
    FAIL() << "no stop";
  } catch (const RunStop& stop) {
    EXPECT_EQ(std::string(stop.text()), "   Can not open cont.txt file");
    EXPECT_EQ(stop.channel(), RunStop::Channel::kConsole);
    EXPECT_NE(stop.exit_status(), 0);
  }
}

TEST(ControlFile, ReadsEveryValueFromItsColumns) {
  WorkspacePtr workspace = MakeWorkspace();
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
  ASSERT_FALSE(ReadText(ControlFileText(values), *workspace));
  const ControlSettings& control = workspace->control;
  EXPECT_EQ(std::string(control.spectrum_type, 4), "Sspe");
  EXPECT_EQ(control.component_count, 1024);
  EXPECT_EQ(control.Smax, 25.5);
  EXPECT_EQ(Trimmed(control.input_file_name), "swell.spc");
  EXPECT_EQ(Trimmed(control.output_file_name), "out/wave.dat");
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
  std::string record;  // record 2 as written
  bool accepted;
};

TEST(ControlFile, SpectrumTypeIsABlankPaddedCaseSensitiveField) {
  const TypeCase cases[] = {
      {"JNS with blank in column 14", "SPECTRUM  JNS ", true},
      {"JNS in a short record", "SPECTRUM  JNS", true},
      {"Ene in a short record", "SPECTRUM  Ene", true},
      {"Emep", "SPECTRUM  Emep", true},
      {"Sspe followed by more text", "SPECTRUM  Sspe spectrum", true},
      {"JNS followed by a character", "SPECTRUM  JNSX", false},
      {"lower-case jns", "SPECTRUM  jns", false},
      {"JNS starting in column 12", "SPECTRUM   JNS", false},
      {"Emep cut to three letters", "SPECTRUM  Eme", false},
      {"upper-case EMEP", "SPECTRUM  EMEP", false},
      {"empty record", "", false},
  };
  for (const TypeCase& c : cases) {
    std::string text = ControlFileText(ControlValues{});
    const std::size_t start = text.find('\n') + 1;
    text.replace(start, text.find('\n', start) - start, c.record);
    WorkspacePtr workspace = MakeWorkspace();
    const std::optional<RunStop> stop = ReadText(text, *workspace);
    if (c.accepted) {
      EXPECT_FALSE(stop) << c.name;
    } else {
      ASSERT_TRUE(stop) << c.name;
      EXPECT_EQ(std::string(stop->text()), " " + std::string(messages::kBadSpectrumType)) << c.name;
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
    WorkspacePtr workspace = MakeWorkspace();
    const std::optional<RunStop> stop = ReadText(ControlFileText(values), *workspace);
    if (c.accepted) {
      EXPECT_FALSE(stop) << c.count;
    } else {
      ASSERT_TRUE(stop) << c.count;
      EXPECT_EQ(std::string(stop->text()), " " + std::string(messages::kTooManyComponents));
      EXPECT_EQ(messages::kTooManyComponents.size(), 69u);
    }
  }
}

TEST(ControlFile, SpectrumTypeIsCheckedBeforeTheCount) {
  ControlValues values;
  values.type = "XXXX";
  values.count = "5000";
  WorkspacePtr workspace = MakeWorkspace();
  const std::optional<RunStop> stop = ReadText(ControlFileText(values), *workspace);
  ASSERT_TRUE(stop);
  EXPECT_EQ(std::string(stop->text()), " " + std::string(messages::kBadSpectrumType));
}

TEST(ControlFile, ZeroFminIsStoredAsOneMillionth) {
  ControlValues values;
  values.fmin = "0";
  WorkspacePtr workspace = MakeWorkspace();
  ASSERT_FALSE(ReadText(ControlFileText(values), *workspace));
  EXPECT_EQ(workspace->control.fmin, 0.000001);
}

TEST(ControlFile, FileNamesAreBlankPaddedTo200AndCutAtColumn210) {
  ControlValues values;
  values.input_file = std::string(20, 'a');  // ends in column 30
  values.output_file = std::string(205, 'b');
  WorkspacePtr workspace = MakeWorkspace();
  ASSERT_FALSE(ReadText(ControlFileText(values), *workspace));
  EXPECT_EQ(std::string(workspace->control.input_file_name, 200), std::string(20, 'a') + std::string(180, ' '));
  EXPECT_EQ(std::string(workspace->control.output_file_name, 200), std::string(200, 'b'));
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
  WorkspacePtr a = MakeWorkspace();
  WorkspacePtr b = MakeWorkspace();
  ASSERT_FALSE(ReadText(text, *a));
  ASSERT_FALSE(ReadText(scrambled, *b));
  EXPECT_EQ(std::memcmp(&a->control, &b->control, sizeof(ControlSettings)), 0);
}

TEST(ControlFile, MissingRecordIsAnInputError) {
  std::string text = ControlFileText(ControlValues{});
  text = text.substr(0, text.rfind("SEED"));
  WorkspacePtr workspace = MakeWorkspace();
  const std::optional<RunStop> stop = ReadText(text, *workspace);
  ASSERT_TRUE(stop);
  EXPECT_EQ(stop->exit_status(), kExitInputError);
  EXPECT_NE(std::string(stop->text()).find("line 9"), std::string::npos) << stop->text();
}

TEST(ControlFile, LettersInTheCountAreAnInputError) {
  ControlValues values;
  values.count = "12a";
  WorkspacePtr workspace = MakeWorkspace();
  const std::optional<RunStop> stop = ReadText(ControlFileText(values), *workspace);
  ASSERT_TRUE(stop);
  EXPECT_EQ(stop->exit_status(), kExitInputError);
  EXPECT_NE(std::string(stop->text()).find("columns 11-20"), std::string::npos) << stop->text();
}

TEST(ControlFile, WindowsLineEndsReadTheSame) {
  std::string text = ControlFileText(ControlValues{});
  std::string crlf;
  for (char c : text) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  WorkspacePtr a = MakeWorkspace();
  WorkspacePtr b = MakeWorkspace();
  ASSERT_FALSE(ReadText(text, *a));
  ASSERT_FALSE(ReadText(crlf, *b));
  EXPECT_EQ(std::memcmp(&a->control, &b->control, sizeof(ControlSettings)), 0);
}

}  // namespace
}  // namespace wavecomp
