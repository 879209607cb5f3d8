#include "output/component_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>

#include "output/component_records.h"
#include "output/component_set_stage.h"
#include "support/test_support.h"

namespace wavecomp {
namespace {

using testing::ScratchDir;

// Two components whose values are exact in E15.6, and the settings of a run.
struct TwoComponentRun {
  TwoComponentRun(SpectrumType type, std::string output_path) : path(std::move(output_path)) {
    run.type = type;
    run.H13 = 1.0;
    run.T13 = 10.0;
    run.Dirc = 0.25;
    run.gamma = 3.3;
    run.Smax = 10.0;
    run.seed = 12345;
    run.input_file_name = "emep_input.dat";
    FrequencyBands& bands = workspace->bands;
    ComponentDraws& draws = workspace->draws;
    bands.f[1] = 0.05;
    draws.a[1] = 0.25;
    draws.theta[1] = -0.5;
    draws.phase[1] = 3.0;
    bands.f[2] = 0.125;
    draws.a[2] = 1.5;
    draws.theta[2] = 0.0;
    draws.phase[2] = 6.25;
  }
  // Makes the set as the run does, then writes and publishes the file.
  void Write() const {
    textio::OutputSet outputs;
    const ComponentSet set =
        SinglePointComponentSet(component_count, workspace->bands, workspace->draws, workspace->energy, run);
    WriteComponentFile(CreateComponentFile(path, false, outputs), set, outputs);
    outputs.PublishAll();
  }

  WorkspacePtr workspace = MakeWorkspace();
  std::string path;
  int component_count = 2;
  RunRecord run;
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
    double E_in, E_spl;
    std::string expected;
  } cases[] = {
      {"JNS: code 3, gamma kept, A6 type record, seed, Smax", SpectrumType::kJonswap, 2, 10.0, "emep_input.dat", 0, 0,
       "    1\n    2    3       3.3\n" + kComponents + "\n\n  JNS \n" + kWaveSettings +
           "   0.330000E+01\n12345\nSmax= 10.00\n"},
      {"JNS with no components", SpectrumType::kJonswap, 0, 10.0, "emep_input.dat", 0, 0,
       "    1\n    0    3       3.3\n\n\n  JNS \n" + kWaveSettings + "   0.330000E+01\n12345\nSmax= 10.00\n"},
      {"Emep: code 9, gamma 0.0, name padded to 50", SpectrumType::kEmep, 2, 10.0, "emep_input.dat", 0, 0,
       "    1\n    2    9       0.0\n" + kComponents + "\n\n" + kWaveSettings + "\n" + kPaddedName + "\n"},
      // 999 does not fit F5.2: five asterisks.
      {"Sspe: as Emep plus the Smax record", SpectrumType::kSspe, 2, 999.0, "emep_input.dat", 0, 0,
       "    1\n    2    9       0.0\n" + kComponents + "\n\n" + kWaveSettings + "\n" + kPaddedName + "\nSmax= *****\n"},
      {"Sspe: Smax of exactly 100", SpectrumType::kSspe, 0, 100.0, "emep_input.dat", 0, 0,
       "    1\n    0    9       0.0\n\n\n" + kWaveSettings + "\n" + kPaddedName + "\nSmax= *****\n"},
      // sqrt(9 / 1) = 3 scales 0.25 to 0.75 and 1.5 to 4.5; the name is cut to 50.
      {"Ene: amplitudes scaled, long name cut", SpectrumType::kEne, 2, 10.0, long_name, 9.0, 1.0,
       "    1\n    2    9       0.0\n"
       "   0.500000E-01   0.750000E+00  -0.500000E+00   0.300000E+01\n"
       "   0.125000E+00   0.450000E+01   0.000000E+00   0.625000E+01\n\n\n" +
           kWaveSettings + "\n" + std::string(50, 'n') + "\n"},
      // E_in and E_spl of an Emep run are not used even when set.
      {"Emep ignores the energies", SpectrumType::kEmep, 2, 10.0, "emep_input.dat", 9.0, 0.0,
       "    1\n    2    9       0.0\n" + kComponents + "\n\n" + kWaveSettings + "\n" + kPaddedName + "\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    ScratchDir dir;
    TwoComponentRun two(c.type, dir.PathOf("wave.dat"));
    two.component_count = c.count;
    two.run.Smax = c.smax;
    two.run.input_file_name = c.input_name;
    two.workspace->energy = {c.E_in, c.E_spl};
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

TEST(ComponentFile, StopsBeforeWritingANonFiniteValue) {
  const struct {
    const char* label;
    SpectrumType type;
    void (*spoil)(TwoComponentRun&);
    std::string message;
  } cases[] = {
      {"Ene with E_spl of 0", SpectrumType::kEne,
       [](TwoComponentRun& w) {
         w.workspace->energy = {2.0, 0.0};
       },
       "E_spl is 0: the spline energy of the input spectrum is zero, amplitudes cannot be scaled"},
      {"Ene with both energies 0", SpectrumType::kEne,
       [](TwoComponentRun& w) {
         w.workspace->energy = {0.0, 0.0};
       },
       "E_spl is 0: the spline energy of the input spectrum is zero, amplitudes cannot be scaled"},
      {"Ene with a negative ratio", SpectrumType::kEne,
       [](TwoComponentRun& w) {
         w.workspace->energy = {2.0, -1.0};
       },
       "E_in / E_spl is negative or not a finite number, amplitudes cannot be scaled"},
      {"NaN direction", SpectrumType::kJonswap,
       [](TwoComponentRun& w) { w.workspace->draws.theta[2] = std::numeric_limits<double>::quiet_NaN(); },
       "component 2 has a non-finite direction"},
      {"infinite amplitude (not Ene)", SpectrumType::kEmep,
       [](TwoComponentRun& w) { w.workspace->draws.a[1] = std::numeric_limits<double>::infinity(); },
       "component 1 has a non-finite amplitude"},
      {"NaN phase", SpectrumType::kSspe,
       [](TwoComponentRun& w) { w.workspace->draws.phase[1] = std::numeric_limits<double>::quiet_NaN(); },
       "component 1 has a non-finite phase"},
      {"infinite frequency", SpectrumType::kJonswap,
       [](TwoComponentRun& w) { w.workspace->bands.f[2] = -std::numeric_limits<double>::infinity(); },
       "component 2 has a non-finite frequency"},
      {"NaN H1/3 in the trailer", SpectrumType::kSspe,
       [](TwoComponentRun& w) { w.run.H13 = std::numeric_limits<double>::quiet_NaN(); }, "H1/3 is not a finite number"},
      {"infinite Smax", SpectrumType::kJonswap,
       [](TwoComponentRun& w) { w.run.Smax = std::numeric_limits<double>::infinity(); }, "Smax is not a finite number"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    ScratchDir dir;
    TwoComponentRun two(c.type, dir.PathOf("wave.dat"));
    two.workspace->energy = {1.0, 1.0};
    c.spoil(two);
    const std::optional<RunEnding> ending = testing::EndingOfCall([&] { two.Write(); });
    ASSERT_TRUE(ending);
    EXPECT_EQ(ending->exit_status, kExitOutputError);
    EXPECT_EQ(ending->diagnostic, c.message + "; no component wave file was written");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 0);
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
  two.component_count = 1024;  // some 62 kB of records
  for (int i = 1; i <= 1024; ++i) two.workspace->bands.f[i] = 0.001 * i;
  const int status = ExitStatusWithSmallFileLimit([&] {
    two.Write();
  });
  EXPECT_EQ(status, kExitOutputError);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 0);
}

}  // namespace
}  // namespace wavecomp
