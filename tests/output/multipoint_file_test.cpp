#include "output/multipoint_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <optional>
#include <sstream>
#include <string>

#include "output/component_records.h"
#include "output/component_set_stage.h"
#include "support/test_support.h"

namespace wavecomp {
namespace {

using testing::ScratchDir;

// num_p points sharing two components whose f, theta and phase are exact in
// E15.6. The table has two frequencies only, so no spline and every
// amplitude 0, unless the test gives it more.
struct TwoComponentPoints {
  TwoComponentPoints(int num_p, std::string output_path) : path(std::move(output_path)) {
    PointSpectra& points = ws->points;
    points.num_p = num_p;
    points.nss = 2;
    ws->input.f_in[1] = 0.05;
    ws->input.f_in[2] = 0.2;
    for (int v = 1; v <= num_p; ++v) {
      points.point_numbers[v] = v == 2 ? 205 : 17 * v;
      points.point_spectra(1, v) = 1.0;
      points.point_spectra(2, v) = 1.0;
    }
    FrequencyBands& bands = ws->bands;
    ComponentDraws& draws = ws->draws;
    bands.f[1] = 0.05;
    draws.theta[1] = -0.5;
    draws.phase[1] = 3.0;
    bands.f[2] = 0.125;
    draws.theta[2] = 0.0;
    draws.phase[2] = 6.25;
    bands.band_start[1] = 0.05;
    bands.band_width[1] = 0.05;
    bands.band_start[2] = 0.1;
    bands.band_width[2] = 0.1;
  }
  void Write(Console& console) {
    const PointAmplitudeSources sources{type, component_count, ws->input, ws->points, ws->bands, ws->energy};
    textio::OutputSet outputs;
    // As the run does it: the name first, then the set, then the layout.
    textio::OutputFile file = CreateComponentFile(path, true, outputs);
    const ComponentSet set = MultiPointComponentSet(sources, ws->draws, ws->point_amplitudes, console);
    WriteMultiPointComponentFile(std::move(file), set, outputs);
    outputs.PublishAll();
  }

  WorkspacePtr ws = MakeWorkspace();
  std::string path;
  SpectrumType type = SpectrumType::kEmep;
  int component_count = 2;
};

std::size_t FilesIn(const ScratchDir& dir) {
  return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir.path()), {}));
}

TEST(MultiPointFile, WritesRecordOneThenHeaderAndComponentsOfEveryPoint) {
  ScratchDir dir;
  TwoComponentPoints run(2, dir.PathOf("wave.dat"));
  Console console;
  run.Write(console);
  // gamma is 0.0 in columns 18-20; no empty records, no trailer.
  EXPECT_EQ(dir.Read("wave.dat"),
            "    2\n"
            "    2    9       0.0   17\n"
            "   0.500000E-01   0.000000E+00  -0.500000E+00   0.300000E+01\n"
            "   0.125000E+00   0.000000E+00   0.000000E+00   0.625000E+01\n"
            "    2    9       0.0  205\n"
            "   0.500000E-01   0.000000E+00  -0.500000E+00   0.300000E+01\n"
            "   0.125000E+00   0.000000E+00   0.000000E+00   0.625000E+01\n");
  EXPECT_EQ(console.captured(), "   1/   2\n   2/   2\n");
  EXPECT_EQ(FilesIn(dir), 1u);
}

TEST(MultiPointFile, EachPointCarriesItsOwnAmplitudes) {
  // Constant spectra 1, 4 and 9 over 0.05 .. 0.2 Hz: band energies are
  // c * w * 6 * 0.16666667, so amplitudes sqrt(2 c w 1.00000002).
  ScratchDir dir;
  TwoComponentPoints run(3, dir.PathOf("wave.dat"));
  run.ws->points.nss = 4;
  const double f[] = {0.05, 0.1, 0.15, 0.2};
  for (int l = 1; l <= 4; ++l) run.ws->input.f_in[l] = f[l - 1];
  for (int v = 1; v <= 3; ++v) {
    for (int l = 1; l <= 4; ++l) run.ws->points.point_spectra(l, v) = v * v;
  }
  Console console;
  run.Write(console);
  std::istringstream file(dir.Read("wave.dat"));
  std::string line;
  std::getline(file, line);
  EXPECT_EQ(line, "    3");
  for (int v = 1; v <= 3; ++v) {
    std::getline(file, line);
    EXPECT_EQ(line.substr(0, 20), "    2    9       0.0");
    for (int i = 1; i <= 2; ++i) {
      std::getline(file, line);
      ASSERT_EQ(line.size(), 60u);
      const double written = std::strtod(line.substr(15, 15).c_str(), nullptr);
      const double expected = std::sqrt(2.0 * v * v * run.ws->bands.band_width[i] * 6.0 * 0.16666667);
      EXPECT_NEAR(written, expected, 1e-6 * expected) << "component " << i << ", point " << v;
    }
  }
  EXPECT_FALSE(std::getline(file, line)) << "more records than expected: " << line;
}

TEST(MultiPointFile, ShowsAProgressLineEvery256ComponentsOfEveryPoint) {
  ScratchDir dir;
  TwoComponentPoints run(3, dir.PathOf("wave.dat"));
  run.component_count = 512;
  for (int i = 1; i <= 512; ++i) {
    run.ws->bands.f[i] = 0.05;
    run.ws->bands.band_start[i] = 0.05;
    run.ws->bands.band_width[i] = 0.001;
  }
  Console console;
  run.Write(console);
  // I4, "/", I4; then ten blanks and I5.
  const std::string components = "            256\n            512\n";
  EXPECT_EQ(console.captured(), "   1/   3\n" + components + "   2/   3\n" + components + "   3/   3\n" + components);
}

TEST(MultiPointFile, AnExistingFileStopsTheRunBeforeAnyProgressLine) {
  const struct {
    const char* label;
    std::string name;
    bool existing;
    int status;
    std::optional<std::string> console_line;
  } cases[] = {
      {"existing file", "wave.dat", true, kExitStopped, " Error File name"},
      {"folder that does not exist", "no-such-folder/wave.dat", false, kExitOutputError, std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    ScratchDir dir;
    if (c.existing) dir.Write(c.name, "precious\n");
    TwoComponentPoints run(2, dir.PathOf(c.name));
    Console console;
    const std::optional<RunEnding> ending = testing::EndingOfCall([&] { run.Write(console); });
    ASSERT_TRUE(ending);
    EXPECT_EQ(ending->exit_status, c.status);
    EXPECT_EQ(ending->console_line, c.console_line);
    EXPECT_NE(ending->diagnostic.value_or("").find(dir.PathOf(c.name)), std::string::npos);
    EXPECT_EQ(console.captured(), "");
    if (c.existing) {
      EXPECT_EQ(dir.Read(c.name), "precious\n");
    }
    EXPECT_EQ(FilesIn(dir), c.existing ? 1u : 0u);
  }
}

TEST(MultiPointFile, StopsAndLeavesNoFileWhenAValueIsNotFinite) {
  const struct {
    const char* label;
    void (*spoil)(TwoComponentPoints&);
    std::string message;
  } cases[] = {
      {"Ene with E_spl of 0",
       [](TwoComponentPoints& run) {
         run.type = SpectrumType::kEne;
         run.ws->energy = {1.0, 0.0};
       },
       "E_spl is 0: the spline energy of the input spectrum is zero, amplitudes cannot be scaled"},
      {"NaN in the spectrum of point 2",
       [](TwoComponentPoints& run) { run.ws->points.point_spectra(2, 2) = std::numeric_limits<double>::quiet_NaN(); },
       "component 1 has a non-finite amplitude at point 2 (point number 205)"},
      {"NaN direction",
       [](TwoComponentPoints& run) { run.ws->draws.theta[2] = std::numeric_limits<double>::quiet_NaN(); },
       "component 2 has a non-finite direction at point 1 (point number 17)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    ScratchDir dir;
    TwoComponentPoints run(2, dir.PathOf("wave.dat"));
    run.ws->points.nss = 3;  // a table with a spline: 0.05, 0.2, 0.35
    run.ws->input.f_in[3] = 0.35;
    for (int v = 1; v <= 2; ++v) run.ws->points.point_spectra(3, v) = 2.0;
    c.spoil(run);
    Console console;
    const std::optional<RunEnding> ending = testing::EndingOfCall([&] { run.Write(console); });
    ASSERT_TRUE(ending);
    EXPECT_EQ(ending->exit_status, kExitOutputError);
    EXPECT_EQ(ending->diagnostic, c.message + "; no component wave file was written");
    // Neither the file nor its temporary is left, and the name is free again.
    EXPECT_EQ(FilesIn(dir), 0u);
  }
}

TEST(MultiPointFile, AFailedWriteLeavesNoFile) {
  ScratchDir dir;
  TwoComponentPoints run(200, dir.PathOf("wave.dat"));  // some 25 kB of records
  const pid_t child = ::fork();
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails with EFBIG
    rlimit limit{4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    Console console;
    const std::optional<RunEnding> ending = testing::EndingOfCall([&] { run.Write(console); });
    ::_exit(ending ? ending->exit_status : 0);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), kExitOutputError);
  EXPECT_EQ(FilesIn(dir), 0u);
}

}  // namespace
}  // namespace wavecomp
