#include "output/component_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <string>

#include "core/run_stop.h"
#include "support/test_support.h"

namespace wavecomp {
namespace {

using testing::ScratchDir;

// Two components whose values are exact in E15.6, and the settings of a run.
WorkspacePtr TwoComponentRun(const std::string& type, const std::string& output_path) {
  WorkspacePtr workspace = MakeWorkspace();
  ControlSettings& control = workspace->control;
  Store(control.spectrum_type, type);
  Store(control.output_file_name, output_path);
  Store(control.input_file_name, "emep_input.dat");
  control.component_count = 2;
  control.H13 = 1.0;
  control.T13 = 10.0;
  control.Dirc = 0.25;
  control.gamma = 3.3;
  control.Smax = 10.0;
  control.random_seed = 12345;
  workspace->num_p = 1;
  workspace->f[1] = 0.05;
  workspace->a[1] = 0.25;
  workspace->theta[1] = -0.5;
  workspace->phase[1] = 3.0;
  workspace->f[2] = 0.125;
  workspace->a[2] = 1.5;
  workspace->theta[2] = 0.0;
  workspace->phase[2] = 6.25;
  return workspace;
}

const std::string kComponents =
    "   0.500000E-01   0.250000E+00  -0.500000E+00   0.300000E+01\n"
    "   0.125000E+00   0.150000E+01   0.000000E+00   0.625000E+01\n";
const std::string kWaveSettings = "   0.100000E+01   0.100000E+02   0.250000E+00";
const std::string kPaddedName = "emep_input.dat" + std::string(50 - 14, ' ');

TEST(ComponentFile, WritesEveryRecordOfEachSpectrumType) {
  const std::string long_name(60, 'n');
  const struct {
    const char* label;
    const char* type;
    int count;
    double smax;
    std::string input_name;
    double E_in, E_spl;
    std::string expected;
  } cases[] = {
      {"JNS: code 3, gamma kept, A6 type record, seed, Smax", "JNS", 2, 10.0, "emep_input.dat", 0, 0,
       "    1\n    2    3       3.3\n" + kComponents + "\n\n  JNS \n" + kWaveSettings +
           "   0.330000E+01\n12345\nSmax= 10.00\n"},
      {"JNS with no components", "JNS", 0, 10.0, "emep_input.dat", 0, 0,
       "    1\n    0    3       3.3\n\n\n  JNS \n" + kWaveSettings + "   0.330000E+01\n12345\nSmax= 10.00\n"},
      {"Emep: code 9, gamma 0.0, name padded to 50", "Emep", 2, 10.0, "emep_input.dat", 0, 0,
       "    1\n    2    9       0.0\n" + kComponents + "\n\n" + kWaveSettings + "\n" + kPaddedName + "\n"},
      // 999 does not fit F5.2: five asterisks.
      {"Sspe: as Emep plus the Smax record", "Sspe", 2, 999.0, "emep_input.dat", 0, 0,
       "    1\n    2    9       0.0\n" + kComponents + "\n\n" + kWaveSettings + "\n" + kPaddedName + "\nSmax= *****\n"},
      {"Sspe: Smax of exactly 100", "Sspe", 0, 100.0, "emep_input.dat", 0, 0,
       "    1\n    0    9       0.0\n\n\n" + kWaveSettings + "\n" + kPaddedName + "\nSmax= *****\n"},
      // sqrt(9 / 1) = 3 scales 0.25 to 0.75 and 1.5 to 4.5; the name is cut to 50.
      {"Ene: amplitudes scaled, long name cut", "Ene", 2, 10.0, long_name, 9.0, 1.0,
       "    1\n    2    9       0.0\n"
       "   0.500000E-01   0.750000E+00  -0.500000E+00   0.300000E+01\n"
       "   0.125000E+00   0.450000E+01   0.000000E+00   0.625000E+01\n\n\n" +
           kWaveSettings + "\n" + std::string(50, 'n') + "\n"},
      // E_in and E_spl of an Emep run are not used even when set.
      {"Emep ignores the energies", "Emep", 2, 10.0, "emep_input.dat", 9.0, 0.0,
       "    1\n    2    9       0.0\n" + kComponents + "\n\n" + kWaveSettings + "\n" + kPaddedName + "\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    ScratchDir dir;
    WorkspacePtr workspace = TwoComponentRun(c.type, dir.PathOf("wave.dat"));
    workspace->control.component_count = c.count;
    workspace->control.Smax = c.smax;
    Store(workspace->control.input_file_name, c.input_name);
    workspace->E_in = c.E_in;
    workspace->E_spl = c.E_spl;
    Console console;
    WriteComponentFile(*workspace, console);
    EXPECT_EQ(dir.Read("wave.dat"), c.expected);
    // The seed as a free-format integer: one blank, then a field of 11.
    EXPECT_EQ(console.captured(), "       12345\n");
    EXPECT_EQ(workspace->control.gamma, std::string(c.type) == "JNS" ? 3.3 : 0.0);
    // Nothing but the file itself is left in the folder.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
  }
}

TEST(ComponentFile, NeverTouchesAnExistingFileOrAnUncreatableName) {
  const struct {
    const char* label;
    std::string name;
    bool existing;
  } cases[] = {
      {"existing file", "wave.dat", true},
      {"folder that does not exist", "no-such-folder/wave.dat", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    ScratchDir dir;
    if (c.existing) dir.Write(c.name, "precious\n");
    WorkspacePtr workspace = TwoComponentRun("JNS", dir.PathOf(c.name));
    Console console;
    try {
      WriteComponentFile(*workspace, console);
      ADD_FAILURE() << "no stop";
    } catch (const RunStop& stop) {
      EXPECT_EQ(stop.channel(), RunStop::Channel::kConsole);
      EXPECT_EQ(std::string(stop.text()), " ERROR Exist Out File");
    }
    // The seed line comes first.
    EXPECT_EQ(console.captured(), "       12345\n");
    if (c.existing) {
      EXPECT_EQ(dir.Read(c.name), "precious\n");
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), c.existing ? 1 : 0);
  }
}

TEST(ComponentFile, StopsBeforeWritingANonFiniteValue) {
  const struct {
    const char* label;
    const char* type;
    void (*spoil)(SpectrumWorkspace&);
    std::string message;
  } cases[] = {
      {"Ene with E_spl of 0", "Ene",
       [](SpectrumWorkspace& w) {
         w.E_in = 2.0;
         w.E_spl = 0.0;
       },
       "E_spl is 0: the spline energy of the input spectrum is zero, amplitudes cannot be scaled"},
      {"Ene with both energies 0", "Ene",
       [](SpectrumWorkspace& w) {
         w.E_in = 0.0;
         w.E_spl = 0.0;
       },
       "E_spl is 0: the spline energy of the input spectrum is zero, amplitudes cannot be scaled"},
      {"Ene with a negative ratio", "Ene",
       [](SpectrumWorkspace& w) {
         w.E_in = 2.0;
         w.E_spl = -1.0;
       },
       "E_in / E_spl is negative or not a finite number, amplitudes cannot be scaled"},
      {"NaN direction", "JNS", [](SpectrumWorkspace& w) { w.theta[2] = std::numeric_limits<double>::quiet_NaN(); },
       "component 2 has a non-finite direction"},
      {"infinite amplitude (not Ene)", "Emep",
       [](SpectrumWorkspace& w) { w.a[1] = std::numeric_limits<double>::infinity(); },
       "component 1 has a non-finite amplitude"},
      {"NaN phase", "Sspe", [](SpectrumWorkspace& w) { w.phase[1] = std::numeric_limits<double>::quiet_NaN(); },
       "component 1 has a non-finite phase"},
      {"infinite frequency", "JNS", [](SpectrumWorkspace& w) { w.f[2] = -std::numeric_limits<double>::infinity(); },
       "component 2 has a non-finite frequency"},
      {"NaN H1/3 in the trailer", "Sspe",
       [](SpectrumWorkspace& w) { w.control.H13 = std::numeric_limits<double>::quiet_NaN(); },
       "H1/3 is not a finite number"},
      {"infinite Smax", "JNS", [](SpectrumWorkspace& w) { w.control.Smax = std::numeric_limits<double>::infinity(); },
       "Smax is not a finite number"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    ScratchDir dir;
    WorkspacePtr workspace = TwoComponentRun(c.type, dir.PathOf("wave.dat"));
    workspace->E_in = 1.0;
    workspace->E_spl = 1.0;
    c.spoil(*workspace);
    Console console;
    try {
      WriteComponentFile(*workspace, console);
      ADD_FAILURE() << "no stop";
    } catch (const RunStop& stop) {
      EXPECT_EQ(stop.channel(), RunStop::Channel::kError);
      EXPECT_EQ(stop.exit_status(), kExitOutputError);
      EXPECT_EQ(std::string(stop.text()), c.message + "; no component wave file was written");
    }
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
    try {
      write();
    } catch (const RunStop& stop) {
      ::_exit(stop.exit_status());
    } catch (...) {
      ::_exit(100);
    }
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ComponentFile, AFailedWriteLeavesNoFile) {
  ScratchDir dir;
  WorkspacePtr workspace = TwoComponentRun("JNS", dir.PathOf("wave.dat"));
  workspace->control.component_count = 1024;  // some 62 kB of records
  for (int i = 1; i <= 1024; ++i) workspace->f[i] = 0.001 * i;
  const int status = ExitStatusWithSmallFileLimit([&] {
    Console console;
    WriteComponentFile(*workspace, console);
  });
  EXPECT_EQ(status, kExitOutputError);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 0);
}

}  // namespace
}  // namespace wavecomp
