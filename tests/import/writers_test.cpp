// The Emep layout from both sides: what the importer writes, wavecomp's
// reader reads back, point by point, value by value.
#include "import/writers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/console.h"
#include "core/settings.h"
#include "core/workspace.h"
#include "input/directional_spectrum_reader.h"
#include "input/point_list.h"
#include "support/test_support.h"

namespace wavecomp::importer {
namespace {

struct RoundTripCase {
  const char* name;
  int points;
  int mdd;
  std::vector<double> kept;  // hand-listed: the directions -90..90 of -180 + (j-1) 360/mdd
};

// Every value but one identifies its place and has at most five significant
// digits, so E12.5 holds it exactly: S = l / 8 + v, D = 1000 v + 100 l + j.
TEST(EmepLayout, WhatTheImporterWritesTheReaderReadsBack) {
  const std::vector<RoundTripCase> cases = {
      {"one point, one short record", 1, 4, {-90.0, 0.0, 90.0}},
      {"two points, the last record holding the rest", 2, 8, {-90.0, -45.0, 0.0, 45.0, 90.0}},
      {"three points, whole records", 3, 12, {-90.0, -60.0, -30.0, 0.0, 30.0, 60.0, 90.0}},
  };
  constexpr std::size_t kFrequencies = 3;
  // The last frequency has a sixth digit that E12.5 rounds away.
  constexpr double kWritten[kFrequencies] = {0.05, 0.1, 0.150004};
  constexpr double kRead[kFrequencies] = {0.05, 0.1, 0.15};
  for (const RoundTripCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::size_t mdd = static_cast<std::size_t>(c.mdd);
    EmepConversion conversion;
    conversion.mdd = c.mdd;
    RefinedGrid& grid = conversion.refinement.grid;
    for (std::size_t l = 1; l <= kFrequencies; ++l) {
      grid.frequencies.push_back(kWritten[l - 1]);
      grid.interval.push_back(l - 1);
      grid.t.push_back(0.0);
    }
    for (int v = 1; v <= c.points; ++v) {
      EmepPoint point;
      point.location = static_cast<std::size_t>(10 + v);
      for (std::size_t l = 1; l <= kFrequencies; ++l) {
        point.S.push_back(static_cast<double>(l) / 8.0 + v);
        for (std::size_t j = 1; j <= mdd; ++j)
          point.D.push_back(1000.0 * v + 100.0 * static_cast<double>(l) + static_cast<double>(j));
      }
      conversion.points.push_back(point);
    }
    swan::TimeStep time;
    time.year = 2024;
    time.month = 2;

    testing::ScratchDir dir;
    std::string data, list;
    WriteEmepData(conversion, "SWAN RUN TITLE LONGER THAN A15", time, [&](std::string_view text) { data += text; });
    WritePointList(conversion, [&](std::string_view text) { list += text; });
    dir.Write("beach", data);
    dir.Write("beach.pnt", list);

    ControlSettings control;
    control.type = SpectrumType::kEmep;
    control.input_file_field = dir.PathOf("beach");
    control.input_file_field.resize(kFileNameLength, ' ');
    Console console;
    SpectrumData read;
    const auto ending = testing::EndingOfCall([&] { read = ReadDirectionalSpectrum(control, console, true); });
    ASSERT_FALSE(ending) << ending->diagnostic.value_or("");
    EXPECT_NE(console.captured().find("\nSWAN RUN TITLE \n"), std::string::npos) << console.captured();
    EXPECT_NE(
        console.captured().find("\nLOCATION 11     2024    2    0    0    0    3" +
                                std::string(5 - std::to_string(c.mdd).size(), ' ') + std::to_string(c.mdd) + "\n"),
        std::string::npos)
        << console.captured();

    ASSERT_EQ(read.points.size(), static_cast<std::size_t>(c.points));
    for (int v = 1; v <= c.points; ++v) {
      const SpectrumPoint& point = read.points[static_cast<std::size_t>(v - 1)];
      // A single point's number is not read: the list holds it for two or more.
      EXPECT_EQ(point.number, c.points == 1 ? 0 : 10 + v);
      std::vector<double> kept;
      for (double direction : point.directions) {
        if (FacesShore(direction)) kept.push_back(direction);
      }
      EXPECT_EQ(kept, c.kept);
      ASSERT_EQ(point.frequencies.size(), kFrequencies);
      ASSERT_EQ(point.table.size(), kFrequencies * static_cast<std::size_t>(c.mdd));
      for (std::size_t l = 1; l <= kFrequencies; ++l) {
        EXPECT_EQ(point.frequencies[l - 1], kRead[l - 1]);
        EXPECT_EQ(point.density[l - 1], static_cast<double>(l) / 8.0 + v);
        for (std::size_t k = 0; k < c.kept.size(); ++k) {
          const double j = (c.kept[k] + 180.0) * static_cast<double>(c.mdd) / 360.0 + 1.0;
          const std::size_t column = static_cast<std::size_t>(j) - 1;
          EXPECT_EQ(point.table[column * kFrequencies + (l - 1)], 1000.0 * v + 100.0 * static_cast<double>(l) + j);
        }
      }
    }
  }
}

}  // namespace
}  // namespace wavecomp::importer
