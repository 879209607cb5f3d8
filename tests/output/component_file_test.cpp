#include "output/component_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>

#include "output/component_records.h"
#include "support/test_support.h"

namespace wavecomp {
namespace {

using testing::ScratchDir;

// Two components whose values are exact in E15.6, and the settings of a run.
struct TwoComponentRun {
  TwoComponentRun(SpectrumType type, std::string output_path) : path(std::move(output_path)) {
    set.run.type = type;
    set.run.H13 = 1.0;
    set.run.T13 = 10.0;
    set.run.Dirc = 0.25;
    set.run.gamma = 3.3;
    set.run.Smax = 10.0;
    set.run.seed = 12345;
    set.run.input_file_name = "emep_input.dat";
    set.frequency = {0.05, 0.125};
    set.direction = {-0.5, 0.0};
    set.phase = {3.0, 6.25};
    set.points = {{0, {0.25, 1.5}, {}, {}, {}}};
  }
  // Lays the set out and publishes the file.
  void Write() const {
    textio::OutputSet outputs;
    WriteComponentFile(CreateComponentFile(path, false, outputs), set, outputs);
    outputs.PublishAll();
  }

  std::string path;
  ComponentSet set;
};

const std::string kComponents =
    "   0.500000E-01   0.250000E+00  -0.500000E+00   0.300000E+01\n"
    "   0.125000E+00   0.150000E+01   0.000000E+00   0.625000E+01\n";
const std::string kWaveSettings = "   0.100000E+01   0.100000E+02   0.250000E+00";
const std::string kPaddedName = "emep_input.dat" + std::string(50 - 14, ' ');

TEST(ComponentFile, WritesEveryRecordOfEachSpectrumType) {
  const std::string long_name(60, 'n');
  const struct {
    const char* label;
    SpectrumType type;
    int count;
    double smax;
    std::string input_name;
    std::string expected;
  } cases[] = {
      {"JNS: code 3, gamma kept, A6 type record, seed, Smax", SpectrumType::kJonswap, 2, 10.0, "emep_input.dat",
       "    1\n    2    3       3.3\n" + kComponents + "\n\n  JNS \n" + kWaveSettings +
           "   0.330000E+01\n12345\nSmax= 10.00\n"},
      {"JNS with no components", SpectrumType::kJonswap, 0, 10.0, "emep_input.dat",
       "    1\n    0    3       3.3\n\n\n  JNS \n" + kWaveSettings + "   0.330000E+01\n12345\nSmax= 10.00\n"},
      {"Emep: code 9, gamma 0.0, name padded to 50", SpectrumType::kEmep, 2, 10.0, "emep_input.dat",
       "    1\n    2    9       0.0\n" + kComponents + "\n\n" + kWaveSettings + "\n" + kPaddedName + "\n"},
      // 999 does not fit F5.2: five asterisks.
      {"Sspe: as Emep plus the Smax record", SpectrumType::kSspe, 2, 999.0, "emep_input.dat",
       "    1\n    2    9       0.0\n" + kComponents + "\n\n" + kWaveSettings + "\n" + kPaddedName + "\nSmax= *****\n"},
      {"Sspe: Smax of exactly 100", SpectrumType::kSspe, 0, 100.0, "emep_input.dat",
       "    1\n    0    9       0.0\n\n\n" + kWaveSettings + "\n" + kPaddedName + "\nSmax= *****\n"},
      // Ene writes the same as Emep; a name longer than 50 is cut.
      {"Ene: long name cut", SpectrumType::kEne, 2, 10.0, long_name,
       "    1\n    2    9       0.0\n" + kComponents + "\n\n" + kWaveSettings + "\n" + std::string(50, 'n') + "\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    ScratchDir dir;
    TwoComponentRun two(c.type, dir.PathOf("wave.dat"));
    two.set.frequency.resize(c.count);
    two.set.direction.resize(c.count);
    two.set.phase.resize(c.count);
    two.set.points[0].amplitude.resize(c.count);
    two.set.run.Smax = c.smax;
    two.set.run.input_file_name = c.input_name;
    two.Write();
    EXPECT_EQ(dir.Read("wave.dat"), c.expected);
    // Nothing but the file itself is left in the folder.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
  }
}

// Only a name that is taken gives the program's line; any other name that
// cannot be made is an output error with the system's reason.
TEST(ComponentFile, NeverTouchesAnExistingFileOrAnUncreatableName) {
  const struct {
    const char* label;
    std::string name;
    bool existing;
    int status;
    std::optional<std::string> console_line;
    std::string diagnostic;  // its start
  } cases[] = {
      {"existing file", "wave.dat", true, kExitStopped, " ERROR Exist Out File", "the output file "},
      {"folder that does not exist", "no-such-folder/wave.dat", false, kExitOutputError, std::nullopt,
       "cannot create "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    ScratchDir dir;
    if (c.existing) dir.Write(c.name, "precious\n");
    const TwoComponentRun two(SpectrumType::kJonswap, dir.PathOf(c.name));
    const std::optional<RunEnding> ending = testing::EndingOfCall([&] { two.Write(); });
    ASSERT_TRUE(ending);
    EXPECT_EQ(ending->exit_status, c.status);
    EXPECT_EQ(ending->console_line, c.console_line);
    EXPECT_EQ(ending->diagnostic.value_or("").rfind(c.diagnostic + dir.PathOf(c.name), 0), 0u) << *ending->diagnostic;
    if (c.existing) {
      EXPECT_EQ(dir.Read(c.name), "precious\n");
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), c.existing ? 1 : 0);
  }
}

// Runs `write` in a child process whose files may not grow beyond a few
// kilobytes, so the write itself fails; returns the child's exit status.
template <typename Write>
int ExitStatusWithSmallFileLimit(Write write) {
  const pid_t child = ::fork();
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails with EFBIG
    rlimit limit{4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const std::optional<RunEnding> ending = testing::EndingOfCall(write);
    ::_exit(ending ? ending->exit_status : 0);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ComponentFile, AFailedWriteLeavesNoFile) {
  ScratchDir dir;
  TwoComponentRun two(SpectrumType::kJonswap, dir.PathOf("wave.dat"));
  // some 62 kB of records
  two.set.frequency.assign(1024, 0.001);
  two.set.direction.assign(1024, 0.0);
  two.set.phase.assign(1024, 0.0);
  two.set.points[0].amplitude.assign(1024, 0.5);
  const int status = ExitStatusWithSmallFileLimit([&] {
    two.Write();
  });
  EXPECT_EQ(status, kExitOutputError);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 0);
}

}  // namespace
}  // namespace wavecomp
