#include "app/run_driver.h"

#include <gtest/gtest.h>

#include "app/exit_status.h"
#include "core/messages.h"
#include "support/test_support.h"

namespace wavecomp {
namespace {

using testing::ControlFileText;
using testing::ControlValues;
using testing::ScratchDir;

std::string Echo(const ControlValues& values) {
  ScratchDir dir;
  dir.Write("cont.txt", ControlFileText(values));
  Console console;
  EchoSettings(ReadControlFile(dir.PathOf("cont.txt")), console);
  return console.captured();
}

std::string Sjis(std::string_view text) { return std::string(text); }

TEST(SettingsEcho, JonswapShowsTheFourWaveSettings) {
  ControlValues values;
  values.height = "2.5";
  values.period = "8.0";
  values.direction = "-15.0";
  values.gamma = "3.3";
  // Hand-laid: 23 blanks before JONSWAP fill the 30-byte field; F7.2 fields.
  const std::string expected = Sjis(messages::kSpectrumLabel) + std::string(23, ' ') + "JONSWAP\n\n" +
                               "H1/3=   2.50m  T1/3=   8.00s  Dirc.= -15.00" + Sjis(messages::kDegreeSign) + "  " +
                               Sjis(messages::kEchoGamma) + "   3.30\n";
  EXPECT_EQ(Echo(values), expected);
}

TEST(SettingsEcho, ValueTooWideForF72IsSevenAsterisks) {
  ControlValues values;
  values.height = "12345.0";
  const std::string echo = Echo(values);
  EXPECT_NE(echo.find("H1/3=*******m"), std::string::npos) << echo;
}

TEST(SettingsEcho, OtherTypesShowTheInputFileNameCutOrPaddedTo50) {
  const struct {
    const char* type;
    std::string_view source;
    int blanks;
    std::string file_name;
    std::string echoed;
  } cases[] = {
      {"Emep", messages::kSourceEmep, 8, "beach", "beach" + std::string(45, ' ')},
      {"Sspe", messages::kSourceSspe, 6, "swell.spc", "swell.spc" + std::string(41, ' ')},
      {"Ene", messages::kSourceEne, 10, std::string(60, 'x'), std::string(50, 'x')},
  };
  for (const auto& c : cases) {
    ControlValues values;
    values.type = c.type;
    values.input_file = c.file_name;
    const std::string expected = Sjis(messages::kSpectrumLabel) + std::string(static_cast<std::size_t>(c.blanks), ' ') +
                                 Sjis(c.source) + "\n\n" + Sjis(messages::kInputFileLabel) + c.echoed + "\n";
    EXPECT_EQ(Echo(values), expected) << c.type;
  }
}

TEST(SettingsEcho, SourceNamesHaveTheirShiftJisByteCounts) {
  EXPECT_EQ(messages::kSourceEmep.size(), 22u);
  EXPECT_EQ(messages::kSourceSspe.size(), 24u);
  EXPECT_EQ(messages::kSourceEne.size(), 20u);
}

TEST(RunProgram, WithoutControlFilePrintsTheMessageAndFails) {
  ScratchDir dir;
  const testing::RunResult result = testing::RunWavecomp(dir);
  EXPECT_EQ(result.out, "   Can not open cont.txt file\n");
  EXPECT_NE(result.exit_status, 0);
}

TEST(RunProgram, BadTypeAndCountGiveTheirShiftJisMessages) {
  const struct {
    const char* type;
    const char* count;
    std::string_view message;
  } cases[] = {{"jns", "256", messages::kBadSpectrumType}, {"JNS", "1025", messages::kTooManyComponents}};
  for (const auto& c : cases) {
    ScratchDir dir;
    ControlValues values;
    values.type = c.type;
    values.count = c.count;
    dir.Write("cont.txt", ControlFileText(values));
    const testing::RunResult result = testing::RunWavecomp(dir);
    EXPECT_EQ(result.out, " " + std::string(c.message) + "\n") << c.type;
    EXPECT_EQ(result.exit_status, kExitStopped);
    EXPECT_FALSE(dir.Exists("wave.dat"));
  }
}

TEST(RunProgram, ValidControlFileEchoesSettingsAndVersionFirst) {
  ScratchDir dir;
  dir.Write("cont.txt", ControlFileText(ControlValues{}));
  const testing::RunResult result = testing::RunWavecomp(dir);
  const std::string head = Sjis(messages::kSpectrumLabel) + std::string(23, ' ') + "JONSWAP\n\n" +
                           "H1/3=   1.00m  T1/3=  10.00s  Dirc.=   0.00" + Sjis(messages::kDegreeSign) + "  " +
                           Sjis(messages::kEchoGamma) + "   3.30\n Ver.r1c\n";
  EXPECT_EQ(result.out.substr(0, head.size()), head);
}

}  // namespace
}  // namespace wavecomp
