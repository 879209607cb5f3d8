// A component file read back is the ComponentSet its writers lay out: the
// points that share the first point's frequencies, directions and phases
// keep them once, a point that lists others carries its own, and the writer
// lays the set out again byte for byte.
#include "output/component_file_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "output/component_file.h"
#include "output/multipoint_file.h"
#include "support/test_support.h"
#include "textio/output_file.h"

namespace wavecomp {
namespace {

using testing::ScratchDir;

// Points 7 and 9 list the same components; point 8 another first frequency,
// and point 10 a third component.
constexpr std::string_view kFourPoints =
    "    4\n"
    "    2    9       0.0    7\n"
    "   0.500000E-01   0.100000E+00  -0.500000E+00   0.125000E+01\n"
    "   0.200000E+00   0.200000E+00   0.250000E+00   0.375000E+01\n"
    "    2    9       0.0    8\n"
    "   0.625000E-01   0.300000E+00  -0.500000E+00   0.125000E+01\n"
    "   0.200000E+00   0.400000E+00   0.250000E+00   0.375000E+01\n"
    "    2    9       0.0    9\n"
    "   0.500000E-01   0.500000E+00  -0.500000E+00   0.125000E+01\n"
    "   0.200000E+00   0.600000E+00   0.250000E+00   0.375000E+01\n"
    "    3    9       0.0   10\n"
    "   0.500000E-01   0.700000E+00  -0.500000E+00   0.125000E+01\n"
    "   0.200000E+00   0.800000E+00   0.250000E+00   0.375000E+01\n"
    "   0.400000E+00   0.900000E+00   0.000000E+00   0.500000E+00\n";

TEST(ComponentFileReader, KeepsSharedValuesOnceAndAPointsOwnBesideThem) {
  const ComponentFileContents read =
      ReadComponentFile(textio::TextFile::FromString("wave.dat", std::string(kFourPoints)));
  const ComponentSet& set = read.set;
  ASSERT_EQ(set.points.size(), 4u);
  EXPECT_EQ(set.frequency, (std::vector<double>{0.05, 0.2}));
  EXPECT_EQ(set.direction, (std::vector<double>{-0.5, 0.25}));
  EXPECT_EQ(set.phase, (std::vector<double>{1.25, 3.75}));
  const bool own[] = {false, true, false, true};
  const int numbers[] = {7, 8, 9, 10};
  for (std::size_t v = 0; v < 4; ++v) {
    SCOPED_TRACE(v);
    EXPECT_EQ(set.points[v].number, numbers[v]);
    EXPECT_EQ(set.points[v].has_own_values(), own[v]);
  }
  EXPECT_EQ(set.FrequenciesOf(set.points[1]), (std::vector<double>{0.0625, 0.2}));
  EXPECT_EQ(set.PhasesOf(set.points[3]), (std::vector<double>{1.25, 3.75, 0.5}));
  EXPECT_EQ(read.headers[3].declared_count, 3);
  EXPECT_EQ(read.headers[3].header_line, 11u);

  // The writer takes the set as it came.
  ScratchDir dir;
  textio::OutputSet outputs;
  WriteMultiPointComponentFile(textio::OutputFile::Create(dir.PathOf("again.dat"), textio::Publication::kNew), set,
                               outputs);
  outputs.PublishAll();
  EXPECT_EQ(dir.Read("again.dat"), kFourPoints);
}

}  // namespace
}  // namespace wavecomp
