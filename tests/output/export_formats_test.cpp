// The exported formats, each on a hand-worked set of two components: the
// exact text its writer lays out, and its reader's way back. The values are
// picked so that every conversion is exact or worked out beside the test
// (Python's float repr): 0.5 rad is 28.64788975654116 deg, half of
// 57.29577951308232, the degrees of 1 rad.
#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "output/celeris_file.h"
#include "output/csv_file.h"
#include "output/funwave_file.h"
#include "output/json_file.h"
#include "output/olaflow_file.h"
#include "output/output_formats.h"
#include "core/front_door.h"
#include "support/test_support.h"
#include "textio/errors.h"
#include "textio/records.h"

namespace wavecomp {
namespace {

using testing::ScratchDir;

// f 0.125 and 0.25 Hz (periods 8 and 4 s), a 0.3 and 0.1 m, directions 0
// and -0.5 rad, phases 0.5 and 1 rad.
ComponentSet TwoComponents() {
  ComponentSet set;
  set.frequency = {0.125, 0.25};
  set.direction = {0.0, -0.5};
  set.phase = {0.5, 1.0};
  set.points = {{0, {0.3, 0.1}, {}, {}, {}}};
  return set;
}

std::string Written(const OutputFormat& format, const ExportSettings& settings) {
  ScratchDir dir;
  textio::OutputFile file = textio::OutputFile::Create(dir.PathOf("out"), textio::Publication::kNew);
  format.write(file, TwoComponents(), 0, settings);
  file.Publish();
  return dir.Read("out");
}

ComponentFileContents ReadBack(const OutputFormat& format, const std::string& text) {
  return format.read(textio::TextFile::FromString("exported", text));
}

// The lines of `text` from the one that starts with `first`, `count` of them.
std::string LinesFrom(const std::string& text, const std::string& first, std::size_t count) {
  std::size_t start = text.find("\n" + first);
  if (start == std::string::npos) return "(no line " + first + ")";
  ++start;
  std::size_t end = start;
  for (std::size_t k = 0; k < count && end != std::string::npos; ++k) end = text.find('\n', end) + 1;
  return text.substr(start, end - start);
}

TEST(ExportFormats, LayEachModelsConventionOut) {
  ExportSettings settings;
  settings.source = "wave.dat";
  struct Case {
    const char* format;
    std::string first;     // the line the expected text starts with
    std::string expected;  // that line and the ones after it
  };
  const Case cases[] = {
      // The FUNWAVE phase is -phase in degrees; PeakPeriod 1/0.1875 Hz, the
      // middle of the one interval.
      {"funwave", "2  - NumFreq",
       "2  - NumFreq\n5.333333333333333  - PeakPeriod\n0.125  - Freq\n0.25  - Freq\n0  - Dire\n"
       "-28.64788975654116  - Dire\n0.3  - Amp\n0.1  - Amp\n-28.64788975654116  - Phase\n"
       "-57.29577951308232  - Phase\n"},
      // olaFlow: H = 2a, T = 1/f, the phase negated, directions in degrees.
      {"olaflow", "waveHeights",
       "waveHeights\n2\n(\n0.6\n0.2\n);\n\nwavePeriods\n2\n(\n8\n4\n);\n\nwavePhases\n2\n(\n-0.5\n-1\n);\n\n"
       "waveDirs\n2\n(\n0\n-28.64788975654116\n);\n"},
      // Celeris: one blank after the key, the phase plus pi/2 (a sine).
      {"celeris", "[NumberOfWaves]",
       "[NumberOfWaves] 2\n=================================\n0.3 8 0 2.0707963267948966\n"
       "0.1 4 -0.5 2.5707963267948966\n"},
      {"csv", "component",
       "component,frequency_Hz,period_s,amplitude_m,height_m,direction_deg,direction_rad,phase_deg,phase_rad\n"
       "1,0.125,8,0.3,0.6,0,0,28.64788975654116,0.5\n"
       "2,0.25,4,0.1,0.2,-28.64788975654116,-0.5,57.29577951308232,1\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    const std::string text = Written(*FindOutputFormat(c.format), settings);
    const std::size_t lines = static_cast<std::size_t>(std::count(c.expected.begin(), c.expected.end(), '\n'));
    EXPECT_EQ(LinesFrom("\n" + text, c.first, lines), c.expected) << text;
  }
  // The olaFlow dictionary is one: its header, and its wave type.
  const std::string ola = Written(*FindOutputFormat("olaflow"), settings);
  EXPECT_NE(ola.find("FoamFile\n{\n    version     2.0;\n    format      ascii;\n    class       dictionary;\n"),
            std::string::npos);
  EXPECT_NE(ola.find("\nwaveType    irregular;\n"), std::string::npos);
  EXPECT_NE(ola.find("\n// genAbs       false;"), std::string::npos);

  // The JSON document holds the same in wavecomp's convention, and the run.
  ComponentFileTrailer trailer;
  trailer.kind = TrailerKind::kSspe;
  trailer.H13 = 1.5;
  trailer.T13 = 9.0;
  trailer.Dirc = 0.25;
  trailer.has_smax = true;  // Smax left as asterisks: null
  trailer.input_file = "swell.spc";
  settings.trailer = &trailer;
  settings.depth_m = 10.0;
  const nlohmann::json json = nlohmann::json::parse(Written(*FindOutputFormat("json"), settings));
  EXPECT_EQ(json["format"], "wavecomp components");
  EXPECT_EQ(json["run"], nlohmann::json::parse(R"({"trailer": "Sspe", "H13_m": 1.5, "T13_s": 9.0, "Dirc": 0.25,
      "gamma": null, "seed": null, "Smax": null, "has_Smax": true, "input_file": "swell.spc"})"));
  const nlohmann::json& second = json["components"][1];
  EXPECT_EQ(second["period_s"], 4.0);
  EXPECT_EQ(second["height_m"], 0.2);
  EXPECT_EQ(second["direction_deg"], -28.64788975654116);
  EXPECT_EQ(second["phase_rad"], 1.0);
  // 0.125 Hz at 10 m: k from Newton's method on g k tanh(k h) = omega^2 in Python.
  EXPECT_NEAR(json["components"][0]["wavenumber_rad_per_m"].get<double>(), 0.08862244462097985, 1e-15);
}

// Every reader returns the set its writer was given, to the last bit where
// the conversion is exact and to a few units of the last place otherwise.
TEST(ExportFormats, ReadBackTheSetTheyWereWrittenFrom) {
  const ComponentSet set = TwoComponents();
  ComponentFileTrailer trailer;
  trailer.kind = TrailerKind::kJonswap;
  trailer.gamma = 3.3;
  trailer.has_smax = true;
  trailer.Smax = 10.0;
  for (const OutputFormat& format : OutputFormats()) {
    SCOPED_TRACE(format.name);
    ExportSettings settings;
    settings.trailer = &trailer;
    const ComponentFileContents back = ReadBack(format, Written(format, settings));
    ASSERT_EQ(back.set.points.size(), 1u);
    ASSERT_EQ(back.headers.front().declared_count, 2);
    const ComponentSet::Point& point = back.set.points.front();
    for (std::size_t i = 0; i < 2; ++i) {
      EXPECT_NEAR(back.set.FrequenciesOf(point)[i], set.frequency[i], 1e-16);
      EXPECT_NEAR(point.amplitude[i], set.points[0].amplitude[i], 1e-16);
      EXPECT_NEAR(back.set.DirectionsOf(point)[i], set.direction[i], 1e-15);
      EXPECT_NEAR(back.set.PhasesOf(point)[i], set.phase[i], 1e-15);
    }
    // Only the JSON document carries the run.
    EXPECT_EQ(back.trailer.has_value(), format.name == "json");
  }
}

// FUNWAVE-TVD's own sample of the layout (its manual's wave2d.txt): two
// waves at 0.125 Hz, +-12 deg, 0.3 m, phases 0 and 20 deg. Read back under
// the model's convention, the phase of 20 deg is -20 deg in wavecomp's.
TEST(ExportFormats, ReadsFunwavesOwnSample) {
  const std::string path = testing::SourcePath("../shared/spectra-samples/funwave/funwave_new_file.txt");
  const std::optional<textio::TextFile> text = textio::TextFile::Open(path);
  if (!text) GTEST_SKIP() << "no FUNWAVE sample at " << path;
  const ComponentFileContents back = ReadFunwaveFile(*text);
  const ComponentSet::Point& point = back.set.points.front();
  EXPECT_EQ(back.set.FrequenciesOf(point), (std::vector<double>{0.125, 0.125}));
  EXPECT_EQ(point.amplitude, (std::vector<double>{0.3, 0.3}));
  EXPECT_DOUBLE_EQ(back.set.DirectionsOf(point)[0], 12.0 * M_PI / 180.0);
  EXPECT_DOUBLE_EQ(back.set.DirectionsOf(point)[1], -12.0 * M_PI / 180.0);
  EXPECT_EQ(back.set.PhasesOf(point)[0], 0.0);
  EXPECT_DOUBLE_EQ(back.set.PhasesOf(point)[1], -20.0 * M_PI / 180.0);
}

// What each reader refuses, with the line and what it expected.
TEST(ExportFormats, ReadersRefuseWhatTheModelWouldMisread) {
  const struct {
    const char* format;
    const char* text;
    const char* message;  // part of the input error
  } cases[] = {
      {"funwave", "1\n8.0\n0.1\n95.0\n0.3\n0.0\n", "line 4: expected a direction within -90..90 degrees"},
      {"funwave", "2\n8.0\n0.1\n0.1\n0\n0\n0.3\n0.3\n0\n", "expected phase 2 of 2"},
      {"celeris", "[NumberOfWaves]  1\n===\n0.3 8 0 0\n", "line 1: expected [NumberOfWaves], one blank"},
      {"celeris", "[NumberOfWaves] 2\n===\n0.3 8 0 0\n", "expected wave 2 of 2"},
      {"celeris", "[NumberOfWaves] 1\n===\n0.3 8 0\n", "line 3: expected wave 1 of 1"},
      {"olaflow", "waveType irregular;\nwaveHeights 1 (0.6);\nwavePeriods 1 (8);\nwavePhases 1 (0);\nwaveDirs 1 (0);\n",
       "line 2: expected two or more components (olaFlow refuses a list of one)"},
      {"olaflow", "waveType irregular;\nwaveHeights 2 (0.6 0.2);\nwavePeriods 2 (8 4);\nwavePhases (0);\nwaveDirs (0 0);\n",
       "line 4: expected wavePhases of 2 values, as waveHeights"},
      {"olaflow", "waveType regular;\n", "line 1, columns 10-16: expected waveType irregular"},
      {"csv", "component,frequency_Hz\n", "line 1: expected the header line"},
      {"csv", "component,frequency_Hz,period_s,amplitude_m,height_m,direction_deg,direction_rad,phase_deg,phase_rad\n"
              "2,0.1,10,0.3,0.6,0,0,0,0\n",
       "line 2, columns 1-1: expected the component number 1"},
      {"csv", "component,frequency_Hz,period_s,amplitude_m,height_m,direction_deg,direction_rad,phase_deg,phase_rad\n"
              ",,,\n",
       "line 2: expected component 1: 9 comma-separated values"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.format) + ": " + c.text);
    try {
      ReadBack(*FindOutputFormat(c.format), c.text);
      ADD_FAILURE() << "read without an error";
    } catch (const textio::InputError& error) {
      EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
    }
  }
  // A JSON document is one value: its error names the file, not a line.
  try {
    ReadBack(*FindOutputFormat("json"), "{\"format\": \"other\"}");
    ADD_FAILURE() << "read without an error";
  } catch (const InputFailure& error) {
    EXPECT_EQ(std::string(error.what()),
              "input error in exported: expected \"format\": \"wavecomp components\", found \"other\"");
  }
}

// The wavenumber of linear waves: Python's Newton iteration on the same
// relation (g = 9.81) in deep, intermediate and shallow water.
TEST(ExportFormats, LinearWavenumberSolvesTheDispersionRelation) {
  const struct {
    double f, h, k;
  } cases[] = {{0.125, 10.0, 0.08862244462097985}, {0.05, 2.0, 0.07116390071339256}, {0.4, 100.0, 0.6438885643931894}};
  for (const auto& c : cases) EXPECT_NEAR(LinearWavenumber(c.f, c.h), c.k, 4e-16 * c.k) << c.f << " " << c.h;
}

}  // namespace
}  // namespace wavecomp
