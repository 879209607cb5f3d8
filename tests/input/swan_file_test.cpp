#include "input/swan_file.h"

#include <gtest/gtest.h>

#include <string>

#include "textio/errors.h"
#include "textio/records.h"

namespace wavecomp::swan {
namespace {

// Two times, three locations, four directions, three frequencies; the rows
// of the first block wrap, the remarks behind values are SWAN's own.
constexpr const char* k2D =
    "SWAN   1                                Swan standard spectral file, version\n"
    "$   Data produced by SWAN version 40.91A\n"
    "TIME                                    time-dependent data\n"
    "     1                                  time coding option\n"
    "LONLAT                                  locations in spherical coordinates\n"
    "     3                                  number of locations\n"
    "  174.5  -38.25   Napier roads\n"
    "  175.0  -38.25\n"
    "  175.5  -38.25\n"
    "AFREQ                                   absolute frequencies in Hz\n"
    "     3\n"
    "    0.0500\n"
    "    0.1000\n"
    "    0.2000\n"
    "NDIR                                    spectral nautical directions in degr\n"
    "     4\n"
    "  315.0\n"
    "  225.0\n"
    "  135.0\n"
    "   45.0\n"
    "QUANT\n"
    "     1                                  number of quantities in table\n"
    "VaDens                                  variance densities in m2/Hz/degr\n"
    "m2/Hz/degr                              unit\n"
    "   -0.9900E+02                          exception value\n"
    "20240101.120000                         date and time\n"
    "FACTOR\n"
    "    0.50000E-01\n"
    "    1    2    3\n"
    "    4\n"
    "    5    6    7    8\n"
    "    0    0  -99   10\n"
    "ZERO\n"
    "NODATA\n"
    "20240101.133000                         date and time\n"
    "NODATA\n"
    "FACTOR\n"
    "  2\n"
    "  1 0 0 0\n"
    "  0 1 0 0\n"
    "  0 0 1 0\n"
    "ZERO\n";

TEST(SwanFile, ReadsA2DFileWithItsTimesAndBlockKinds) {
  for (const bool crlf : {false, true}) {
    std::string text = k2D;
    if (crlf) {
      for (std::size_t at = 0; (at = text.find('\n', at)) != std::string::npos; at += 2) text.insert(at, "\r");
    }
    const SwanFile file = ReadSwanFile(textio::TextFile::FromString("sea.spc", text));
    SCOPED_TRACE(crlf ? "CR LF" : "LF");
    EXPECT_TRUE(file.two_dimensional);
    EXPECT_EQ(file.coordinates, Coordinates::kSpherical);
    ASSERT_EQ(file.locations.size(), 3u);
    EXPECT_EQ(file.locations[0].x, 174.5);
    EXPECT_EQ(file.locations[0].y, -38.25);
    EXPECT_EQ(file.frequencies, (std::vector<double>{0.05, 0.1, 0.2}));
    EXPECT_EQ(file.directions, (std::vector<double>{315, 225, 135, 45}));
    EXPECT_EQ(file.direction_convention, DirectionConvention::kNautical);
    EXPECT_FALSE(file.energy_density);
    ASSERT_EQ(file.times.size(), 2u);
    const TimeStep& first = file.times[0];
    EXPECT_EQ(first.stamp, "20240101.120000");
    EXPECT_EQ(file.times[1].hour * 100 + file.times[1].minute, 1330);
    ASSERT_EQ(first.locations.size(), 3u);
    EXPECT_EQ(first.locations[0].kind, BlockKind::kValues);
    EXPECT_EQ(first.locations[0].line, 27u);
    // Values times the factor; the exception value counts as no energy.
    const double written[] = {1, 2, 3, 4, 5, 6, 7, 8, 0, 0, 0, 10};
    std::vector<double> expected;
    for (const double n : written) expected.push_back(n * 0.05);
    EXPECT_EQ(first.locations[0].values, expected);
    EXPECT_EQ(first.locations[0].missing, 1u);
    EXPECT_EQ(first.locations[1].kind, BlockKind::kZero);
    EXPECT_EQ(first.locations[2].kind, BlockKind::kNoData);
    EXPECT_EQ(file.times[1].locations[0].kind, BlockKind::kNoData);
    EXPECT_EQ(file.times[1].locations[1].values[5], 2.0);
  }
}

TEST(SwanFile, Reads1DTablesAndTheirMissingValues) {
  const char* text =
      "SWAN   1\n"
      "LOCATIONS\n"
      "     3\n"
      "  0.0 0.0\n"
      "  10.0 0.0\n"
      "  20.0 0.0\n"
      "RFREQ\n"
      "     2\n"
      "  0.1\n"
      "  0.2\n"
      "QUANT\n"
      "     3\n"
      "VaDens\n"
      "m2/Hz\n"
      "   -0.9900E+02\n"
      "NDIR\n"
      "degr\n"
      "   -0.9990E+03\n"
      "DSPRDEGR\n"
      "degr\n"
      "   -0.9000E+01\n"
      "LOCATION     1\n"
      "  0.1000E+01  250.0   20.0\n"
      " -0.9900E+02 -999.0   -9.0\n"
      "LOCATION     2\n"
      "NODATA\n"
      "NODATA\n";
  const SwanFile file = ReadSwanFile(textio::TextFile::FromString("sea.sp1", text));
  EXPECT_FALSE(file.two_dimensional);
  EXPECT_TRUE(file.stationary());
  EXPECT_EQ(file.frequency_kind, FrequencyKind::kRelative);
  EXPECT_EQ(file.direction_convention, DirectionConvention::kNautical);
  const std::vector<LocationBlock>& blocks = file.times.at(0).locations;
  ASSERT_EQ(blocks.size(), 3u);
  ASSERT_EQ(blocks[0].rows.size(), 2u);
  EXPECT_EQ(blocks[0].rows[0].density, 1.0);
  EXPECT_EQ(blocks[0].rows[0].direction, 250.0);
  EXPECT_EQ(blocks[0].rows[0].spreading, 20.0);
  EXPECT_EQ(blocks[0].rows[1].density, 0.0);
  EXPECT_TRUE(blocks[0].rows[1].direction_missing);
  EXPECT_TRUE(blocks[0].rows[1].spreading_missing);
  EXPECT_EQ(blocks[0].missing, 1u);
  EXPECT_EQ(blocks[1].kind, BlockKind::kNoData);
  EXPECT_EQ(blocks[2].kind, BlockKind::kNoData);
}

// A stationary 2D file for the refusals: 2 frequencies, 2 directions.
constexpr const char* kSmall =
    "SWAN   1\n"        // 1
    "LOCATIONS\n"       // 2
    "     1\n"          // 3
    "  0.0  0.0\n"      // 4
    "AFREQ\n"           // 5
    "     2\n"          // 6
    "    0.1\n"         // 7
    "    0.2\n"         // 8
    "CDIR\n"            // 9
    "     2\n"          // 10
    "    0.0\n"         // 11
    "  180.0\n"         // 12
    "QUANT\n"           // 13
    "     1\n"          // 14
    "EnDens\n"          // 15
    "J/m2/Hz/degr\n"    // 16
    "   -0.9900E+02\n"  // 17
    "FACTOR\n"          // 18
    "  0.1\n"           // 19
    "    1    2\n"      // 20
    "    3    4\n";     // 21

struct Refusal {
  const char* name;
  const char* find;
  const char* replace;
  const char* message;
  const char* find2 = nullptr;  // a second change, made after the first
  const char* replace2 = nullptr;
};

TEST(SwanFile, RefusesWhatDepartsFromTheLayout) {
  const Refusal cases[] = {
      {"not a SWAN file", "SWAN   1", "SPEC   1",
       "line 1, columns 1-4: expected the keyword SWAN and the version number (a SWAN spectrum file), found \"SPEC\""},
      {"another version", "SWAN   1", "SWAN   2", "line 1, columns 8-8: expected the version number 1, found \"2\""},
      {"unknown keyword", "LOCATIONS", "POINTS",
       "line 2, columns 1-6: expected TIME, LOCATIONS or LONLAT, found \"POINTS\""},
      {"time coding other than 1", "LOCATIONS", "TIME\n 3\nLOCATIONS",
       "line 3, columns 2-2: expected the time-coding option 1 (YYYYMMDD.HHMMSS), found \"3\""},
      {"fewer locations than counted", "     1\n  0.0", "     2\n  0.0",
       "line 5, columns 1-5: expected the two coordinates of location 2, found \"AFREQ\""},
      {"too many locations", "     1\n  0.0", "  2049\n  0.0",
       "line 3, columns 3-6: expected the number of locations (an integer from 1 to 2048), found \"2049\""},
      {"too many frequencies", "     2\n    0.1", "  3001\n    0.1",
       "line 6, columns 3-6: expected the number of frequencies (an integer from 2 to 3000), found \"3001\""},
      {"frequencies not rising", "    0.2\n", "    0.1\n",
       "line 8, columns 5-7: expected frequency 2 (Hz) above the one before it (frequencies must rise strictly), "
       "found \"0.1\""},
      {"too many directions", "     2\n    0.0", "   201\n    0.0",
       "line 10, columns 4-6: expected the number of directions (an integer from 2 to 200), found \"201\""},
      {"a direction twice", "  180.0", "  360.0",
       "line 12, columns 3-7: expected direction 2 (degrees) other than that of line 11 (a direction may appear "
       "once; 0 and 360 are the same), found \"360.0\""},
      {"a 1D name in a 2D file", "EnDens", "DSPRDEGR",
       "line 15: expected the 2D density VaDens or EnDens, found \"DSPRDEGR\""},
      {"a density per radian", "J/m2/Hz/degr", "J/m2/Hz/rad",
       "line 16: expected the unit J/m2/Hz/degr of EnDens, found \"J/m2/Hz/rad\""},
      {"a data keyword unknown", "FACTOR", "FACTORS",
       "line 18, columns 1-7: expected FACTOR, ZERO or NODATA for location 1, found \"FACTORS\""},
      {"a value that is no number", "    3    4", "    3  NaN",
       "line 21, columns 8-10: expected 2 x 2 numbers of location 1 (FACTOR in line 18), found \"NaN\""},
      {"a negative density", "    3    4", "    3   -4",
       "line 21, columns 9-10: expected 2 x 2 numbers of location 1 (FACTOR in line 18): a density of 0 or more, or "
       "the exception value, found \"-4\""},
      {"more numbers than counted", "    3    4", "    3    4    5",
       "line 21, columns 15-15: expected the end of the line after the 2 x 2 numbers of location 1 (FACTOR in line "
       "18), found \"5\""},
      {"fewer numbers than counted", "    3    4\n", "    3\n",
       "line 22: expected 2 x 2 numbers of location 1 (FACTOR in line 18), found the end of the file"},
      {"a second time without TIME", "    3    4\n", "    3    4\nZERO\n",
       "line 22, columns 1-4: expected the end of the file after the last location (a file without TIME holds one "
       "time), found \"ZERO\""},
      {"a date that is not one", "FACTOR", "2024011.120000\nFACTOR",
       "line 20, columns 1-14: expected a date and time YYYYMMDD.HHMMSS, found \"2024011.120000\"", "LOCATIONS",
       "TIME\n     1\nLOCATIONS"},
  };
  for (const Refusal& c : cases) {
    SCOPED_TRACE(c.name);
    std::string text = kSmall;
    const std::size_t at = text.find(c.find);
    ASSERT_NE(at, std::string::npos);
    text.replace(at, std::string(c.find).size(), c.replace);
    if (c.find2 != nullptr) text.replace(text.find(c.find2), std::string(c.find2).size(), c.replace2);
    try {
      ReadSwanFile(textio::TextFile::FromString("case.spc", text));
      ADD_FAILURE() << "read without an error";
    } catch (const textio::InputError& error) {
      EXPECT_EQ(std::string(error.what()), "input error in case.spc, " + std::string(c.message));
    }
  }
}

}  // namespace
}  // namespace wavecomp::swan
