#include "app/run_driver.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/exit_status.h"
#include "support/test_support.h"
#include "textio/output_file.h"

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

// The console texts, spelled readably and converted here to the Shift-JIS
// bytes the program writes.
const std::string kLabel = testing::ShiftJis("周波数スペクトル   : ");
const std::string kDegree = testing::ShiftJis("°");
const std::string kGamma = testing::ShiftJis("γ=");
const std::string kInputFile = testing::ShiftJis("入力スペクトルファイル名 : ");

TEST(SettingsEcho, JonswapShowsTheFourWaveSettings) {
  ControlValues values;
  values.height = "2.5";
  values.period = "8.0";
  values.direction = "-15.0";
  values.gamma = "3.3";
  // Hand-laid: 23 blanks before JONSWAP fill the 30-byte field; F7.2 fields.
  const std::string expected = kLabel + std::string(23, ' ') + "JONSWAP\n\n" +
                               "H1/3=   2.50m  T1/3=   8.00s  Dirc.= -15.00" + kDegree + "  " +
                               kGamma + "   3.30\n";
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
    std::string source;
    int blanks;
    std::string file_name;
    std::string echoed;
  } cases[] = {
      // The names fill 22, 24 and 20 of the 30 bytes of their field.
      {"Emep", testing::ShiftJis("方向スペクトル直接入力"), 8, "beach", "beach" + std::string(45, ' ')},
      {"Sspe", testing::ShiftJis("周波数スペクトル直接入力"), 6, "swell.spc", "swell.spc" + std::string(41, ' ')},
      {"Ene", testing::ShiftJis("エネルギー平衡方程式"), 10, std::string(60, 'x'), std::string(50, 'x')},
  };
  for (const auto& c : cases) {
    ControlValues values;
    values.type = c.type;
    values.input_file = c.file_name;
    const std::string expected = kLabel + std::string(static_cast<std::size_t>(c.blanks), ' ') +
                                 c.source + "\n\n" + kInputFile + c.echoed + "\n";
    EXPECT_EQ(Echo(values), expected) << c.type;
  }
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
    std::string message;
  } cases[] = {{"jns", "256", testing::ShiftJis("設定スペクトルを確認してください")},
               // 69 bytes: three blanks after the full-width comma.
               {"JNS", "1025", testing::ShiftJis("エネルギー等分割とする場合には，   分割数を1024以下に設定してください")}};
  for (const auto& c : cases) {
    ScratchDir dir;
    ControlValues values;
    values.type = c.type;
    values.count = c.count;
    dir.Write("cont.txt", ControlFileText(values));
    const testing::RunResult result = testing::RunWavecomp(dir);
    EXPECT_EQ(result.out, " " + c.message + "\n") << c.type;
    EXPECT_EQ(result.exit_status, kExitStopped);
    EXPECT_FALSE(dir.Exists("wave.dat"));
  }
}

TEST(RunProgram, ValidControlFileEchoesSettingsAndVersionFirst) {
  ScratchDir dir;
  dir.Write("cont.txt", ControlFileText(ControlValues{}));
  const testing::RunResult result = testing::RunWavecomp(dir);
  const std::string head = kLabel + std::string(23, ' ') + "JONSWAP\n\n" +
                           "H1/3=   1.00m  T1/3=  10.00s  Dirc.=   0.00" + kDegree + "  " +
                           kGamma + "   3.30\n Ver.r1c\n";
  EXPECT_EQ(result.out.substr(0, head.size()), head);
}

// A name taken by something else while the run worked is refused when the
// run publishes: the program's line, and neither file of the run appears.
TEST(RunFiles, ANameTakenMeanwhileStopsTheRunAtItsEnd) {
  ScratchDir dir;
  dir.Write("cont.txt", ControlFileText(ControlValues{}));
  dir.Write("jonswap.spe", "an earlier spectrum\n");
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  // The second flush is the component file's, after the writer found its name free.
  textio::SetFaultHook([&, flushes = 0](textio::FileStep now) mutable {
    if (now == textio::FileStep::kSync && ++flushes == 2) dir.Write("wave.dat", "theirs\n");
    return 0;
  });
  Console console;
  const std::optional<RunEnding> ending = testing::EndingOfCall([&] { RunWavecomp(*MakeWorkspace(), console); });
  textio::SetFaultHook(nullptr);
  std::filesystem::current_path(previous);
  ASSERT_TRUE(ending);
  EXPECT_EQ(ending->exit_status, kExitStopped);
  EXPECT_EQ(ending->console_line, " ERROR Exist Out File");
  EXPECT_NE(ending->diagnostic.value_or("").find("was made by something else while this run was working"),
            std::string::npos);
  EXPECT_EQ(dir.Read("jonswap.spe"), "an earlier spectrum\n");
  EXPECT_EQ(dir.Read("wave.dat"), "theirs\n");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 3);
}

}  // namespace
}  // namespace wavecomp
