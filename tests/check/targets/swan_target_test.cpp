// wavecomp-check with a SWAN file as --spectrum: what it refuses, and why.
// (The round trip in tests/import checks what it finds.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "check/check_command.h"
#include "check/component_text.h"
#include "import/swan_text.h"
#include "support/test_support.h"

namespace wavecomp::check {
namespace {

using testing::ScratchDir;
using testing::SwanLayout;
using testing::SyntheticSea;

std::string MultiPoint(std::vector<int> numbers) {
  std::string text;
  textio::PutI(text, static_cast<std::int64_t>(numbers.size()), 5);
  text += "\n";
  for (const int number : numbers) {
    text += testing::PointHeader(2, number) + testing::Records({{0.1, 0.5, 0.1, 1.0}, {0.12, 0.4, -0.1, 2.0}});
  }
  return text;
}

TEST(SwanTarget, RefusesWhatDoesNotFitTheFiles) {
  ScratchDir dir;
  const SyntheticSea sea;
  dir.Write("one.spc", testing::Swan2D({sea}, {}).text);
  dir.Write("two.spc", testing::Swan2D({sea, sea}, {}).text);
  SwanLayout dry;
  dry.kinds = {"FACTOR", "NODATA"};
  const std::string dry_text = testing::Swan2D({sea, sea}, dry).text;
  dir.Write("dry.spc", dry_text);
  SwanLayout timed;
  timed.stamp = "20240101.120000";
  std::string times = testing::Swan2D({sea}, timed).text;
  times += times.substr(times.find(timed.stamp)).replace(0, 15, "20240101.130000");
  dir.Write("times.spc", times);
  dir.Write("table", "1.0 10.0 0.0\n0.05 0.1\n0.1 1.0\n0.2 0.1\n");
  dir.Write("broken.spc", "SWAN   1\nLOCATIONS\nmany\n");
  dir.Write("single.dat", testing::SinglePointFile({{0.1, 0.5, 0.0, 3.0}, {0.12, 0.4, 0.1, 1.0}},
                                                   testing::OtherTrailer(1.0, 10.0, 0.0, "sea", false), 9, 0.0));
  dir.Write("pair.dat", MultiPoint({1, 2}));
  dir.Write("far.dat", MultiPoint({1, 5}));
  const auto path = [&dir](const std::string& name) { return dir.PathOf(name); };
  const auto args = [&](const std::string& swan, std::vector<std::string> more, const std::string& file) {
    std::vector<std::string> all = {"--spectrum", path(swan)};
    all.insert(all.end(), more.begin(), more.end());
    all.push_back(path(file));
    return all;
  };
  const std::string dry_line =
      std::to_string(std::count(dry_text.begin(), dry_text.begin() + dry_text.find("NODATA"), '\n') + 1);
  struct Case {
    const char* name;
    std::vector<std::string> arguments;
    int status;
    std::string message;  // the start of standard error
  };
  const Case cases[] = {
      {"no frame", args("one.spc", {}, "single.dat"), kExitStopped,
       path("one.spc") + " is a SWAN spectrum file: give --normal-from DEG"},
      {"a frame without a SWAN file",
       {"--normal-from", "270", path("single.dat")},
       kExitUsage,
       "--normal-from, --clockwise, --offshore, --time and --location go with --spectrum SWAN_FILE"},
      {"a frame with another kind of file", args("table", {"--clockwise"}, "single.dat"), kExitStopped,
       "--normal-from, --clockwise, --offshore, --time and --location go with a SWAN spectrum file, and " +
           path("table") + " reads as Sspe table"},
      {"a frame that is no direction", args("one.spc", {"--normal-from", "west"}, "single.dat"), kExitUsage,
       "--normal-from needs a direction in degrees, found \"west\""},
      {"several times, none named", args("times.spc", {"--normal-from", "270"}, "single.dat"), kExitStopped,
       path("times.spc") + " holds 2 times: name the one the component file was made from with --time; its "
                           "times are 20240101.120000, 20240101.130000"},
      {"a time not in the file", args("times.spc", {"--normal-from", "270", "--time", "20240101T140000"}, "single.dat"),
       kExitStopped, "--time 20240101T140000 is not a time of " + path("times.spc")},
      {"a time in a stationary file",
       args("one.spc", {"--normal-from", "270", "--time", "20240101.120000"}, "single.dat"), kExitStopped,
       "--time 20240101.120000: " + path("one.spc") + " has no times"},
      {"one point, several locations", args("two.spc", {"--normal-from", "270"}, "single.dat"), kExitStopped,
       path("two.spc") + " holds 2 locations: 1 at (0.00, 0.00), 2 at (1000.00, 0.00); name the one the component "
                         "file stands for with --location K"},
      {"a location not in the file", args("two.spc", {"--normal-from", "270", "--location", "3"}, "single.dat"),
       kExitStopped, "--location 3 is not a location of " + path("two.spc") + " (1 to 2)"},
      {"a point number not in the file", args("two.spc", {"--normal-from", "270"}, "far.dat"), kExitStopped,
       "point number 5 of the component file is not a location of " + path("two.spc") + " (1 to 2)"},
      {"a location for several points", args("two.spc", {"--normal-from", "270", "--location", "1"}, "pair.dat"),
       kExitStopped, "--location names the SWAN location of a single-point component file"},
      {"a point without data", args("dry.spc", {"--normal-from", "270"}, "pair.dat"), kExitStopped,
       "location 2 of " + path("dry.spc") + " has no data (NODATA in line " + dry_line + ")"},
      {"a file that breaks the layout", args("broken.spc", {"--normal-from", "270"}, "single.dat"), kExitInputError,
       "input error in " + path("broken.spc") + ", line 3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Console out, err;
    EXPECT_EQ(RunCheckCommand(c.arguments, out, err), c.status);
    EXPECT_EQ(err.captured().rfind("wavecomp-check: " + c.message, 0), 0u) << err.captured();
    EXPECT_EQ(out.captured(), "");
  }
}

}  // namespace
}  // namespace wavecomp::check
