#include "check/targets/component_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "check/component_text.h"
#include "textio/errors.h"

namespace wavecomp::check {
namespace {

using testing::Component;
using testing::JnsTrailer;
using testing::OtherTrailer;
using testing::PointHeader;
using testing::Records;
using testing::SinglePointFile;

ComponentFile Read(const std::string& content) {
  return ReadComponentFile(textio::TextFile::FromString("wave.dat", content));
}

// The message of the input error that reading `content` ends with.
std::string ErrorOf(const std::string& content) {
  try {
    Read(content);
  } catch (const textio::InputError& error) {
    return error.what();
  }
  return "(no error)";
}

const std::vector<Component> kThree = {{0.05, 0.1, -0.5, 1.0}, {0.1, 0.1, 0.0, 2.0}, {0.2, 0.1, 0.25, 6.0}};

TEST(CheckFileReader, ReadsSinglePointWithJonswapTrailer) {
  // Seeds reach seven digits and do not fit I5: the file then holds asterisks.
  const ComponentFile file = Read(SinglePointFile(kThree, JnsTrailer(1.0, 10.0, 0.2617994, 3.3, 1524649, 10.0)));
  EXPECT_EQ(file.layout, FileLayout::kSinglePoint);
  EXPECT_EQ(file.num_p, 1);
  ASSERT_EQ(file.points.size(), 1u);
  const PointComponents& point = file.points[0];
  EXPECT_EQ(point.declared_count, 3);
  EXPECT_EQ(point.spectrum_code, 3);
  EXPECT_DOUBLE_EQ(*point.gamma, 3.3);
  ASSERT_EQ(point.size(), 3u);
  EXPECT_DOUBLE_EQ(point.f[2], 0.2);
  EXPECT_DOUBLE_EQ(point.theta[0], -0.5);
  EXPECT_DOUBLE_EQ(point.phase[2], 6.0);
  ASSERT_TRUE(file.trailer.has_value());
  const Trailer& trailer = *file.trailer;
  EXPECT_EQ(trailer.kind, TrailerKind::kJonswap);
  EXPECT_EQ(trailer.first_line, 8u);
  EXPECT_DOUBLE_EQ(trailer.T13, 10.0);
  EXPECT_DOUBLE_EQ(trailer.Dirc, 0.261799);  // six digits in E15.6
  EXPECT_DOUBLE_EQ(*trailer.gamma, 3.3);
  EXPECT_FALSE(trailer.seed.has_value());
  ASSERT_TRUE(trailer.has_smax);
  EXPECT_DOUBLE_EQ(*trailer.Smax, 10.0);
}

TEST(CheckFileReader, ReadsTheTrailersOfTheOtherTypes) {
  struct Case {
    std::string trailer;
    TrailerKind kind;
    bool has_smax;
    std::optional<double> smax;
  };
  const std::vector<Case> cases = {
      // Smax 999 does not fit F5.2 and is written as asterisks.
      {OtherTrailer(1.8, 11.0, -8.0, "swell.spc", true, 999.0), TrailerKind::kSspe, true, std::nullopt},
      {OtherTrailer(1.8, 11.0, -0.1396263, "swell.spc", true, 25.0), TrailerKind::kSspe, true, 25.0},
      {OtherTrailer(1.2, 9.0, 5.0, "beach", false), TrailerKind::kEmepOrEne, false, std::nullopt},
  };
  for (const Case& c : cases) {
    const ComponentFile file = Read(SinglePointFile(kThree, c.trailer, 9, 0.0));
    ASSERT_TRUE(file.trailer.has_value());
    EXPECT_EQ(file.trailer->kind, c.kind) << c.trailer;
    EXPECT_EQ(file.trailer->has_smax, c.has_smax) << c.trailer;
    EXPECT_EQ(file.trailer->Smax, c.smax) << c.trailer;
    EXPECT_DOUBLE_EQ(file.trailer->H13, c.kind == TrailerKind::kSspe ? 1.8 : 1.2);
    EXPECT_EQ(file.trailer->input_file, c.kind == TrailerKind::kSspe ? "swell.spc" : "beach");
  }
}

TEST(CheckFileReader, ReadsFilesWithoutComponentsOrWithOne) {
  const ComponentFile none = Read(SinglePointFile({}, JnsTrailer(1.0, 10.0, 0.0, 3.3, 4711, 10.0)));
  EXPECT_EQ(none.points[0].declared_count, 0);
  EXPECT_EQ(none.points[0].size(), 0u);
  EXPECT_EQ(*none.trailer->seed, 4711);

  const ComponentFile one = Read(SinglePointFile({{0.1, 0.5, 0.0, 3.0}}, JnsTrailer(1.0, 10.0, 0.0, 3.3, 4711, 10.0)));
  ASSERT_EQ(one.points[0].size(), 1u);
  EXPECT_DOUBLE_EQ(one.points[0].a[0], 0.5);

  // A negative count (a control file with a negative N) lists no components.
  std::string negative = SinglePointFile({}, JnsTrailer(1.0, 10.0, 0.0, 3.3, 4711, 10.0));
  negative.replace(6, 5, "   -4");
  EXPECT_EQ(Read(negative).points[0].declared_count, -4);
  EXPECT_EQ(Read(negative).points[0].size(), 0u);
}

TEST(CheckFileReader, ReadsMultiPointFiles) {
  std::string text = "    3\n";
  for (int v = 1; v <= 3; ++v) {
    text += PointHeader(2, 10 * v);
    text += Records({{0.1, 0.01 * v, 0.1, 1.0}, {0.2, 0.02 * v, -0.1, 2.0}});
  }
  text += "\n";  // a trailing empty line is harmless
  const ComponentFile file = Read(text);
  EXPECT_EQ(file.layout, FileLayout::kMultiPoint);
  EXPECT_FALSE(file.trailer.has_value());
  ASSERT_EQ(file.points.size(), 3u);
  for (int v = 1; v <= 3; ++v) {
    const PointComponents& point = file.points[static_cast<std::size_t>(v - 1)];
    EXPECT_EQ(point.point_number, 10 * v);
    EXPECT_EQ(point.spectrum_code, 9);
    EXPECT_EQ(point.header_line, static_cast<std::size_t>(2 + 3 * (v - 1)));
    EXPECT_DOUBLE_EQ(point.a[1], 0.02 * v);
  }
}

TEST(CheckFileReader, AcceptsWindowsLineEnds) {
  std::string text = SinglePointFile(kThree, JnsTrailer(1.0, 10.0, 0.0, 3.3, 4711, 10.0));
  std::string crlf;
  for (char c : text) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  EXPECT_EQ(Read(crlf).points[0].size(), 3u);
}

TEST(CheckFileReader, RefusesMalformedFilesWithLineColumnsAndWhatWasExpected) {
  const std::string trailer = JnsTrailer(1.0, 10.0, 0.0, 3.3, 4711, 10.0);
  const std::string good = SinglePointFile(kThree, trailer);
  const std::string records = Records(kThree);
  auto replace = [](std::string text, const std::string& from, const std::string& to) {
    text.replace(text.find(from), from.size(), to);
    return text;
  };
  struct Case {
    const char* name;
    std::string content;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"empty file", "",
       "input error in wave.dat, line 1: expected record 1: the point count (I5), found the end of the file"},
      {"letters in a field", replace(good, "   0.200000E+01", "   0.2000x0E+01"),
       "input error in wave.dat, line 4, columns 46-60: expected the phase (E15.6) of component 2, a finite real "
       "number, "
       "found \"   0.2000x0E+01\""},
      {"letters in the count", replace(good, "    3    3", "   3a    3"),
       "input error in wave.dat, line 2, columns 1-5: expected the component count N (I5), found \"   3a\""},
      {"record cut after two fields", replace(good, "   0.000000E+00   0.200000E+01", ""),
       "input error in wave.dat, line 4, columns 31-45: expected the direction (E15.6) of component 2, a finite real "
       "number, found the end of the line"},
      {"blank field", replace(good, "   0.100000E+00   0.000000E+00", "   0.100000E+00               "),
       "input error in wave.dat, line 4, columns 31-45: expected the direction (E15.6) of component 2, a finite real "
       "number, found a blank field"},
      {"file cut inside the components", good.substr(0, good.find(records) + records.find('\n') + 1),
       "input error in wave.dat, line 4: expected a component record (four E15.6 fields) of the point, whose header in "
       "line 2 counts 3 components, found the end of the file"},
      {"more components counted than listed", replace(good, "    3    3", "    4    3"),
       "input error in wave.dat, line 6: expected a component record (four E15.6 fields) of the point, whose header in "
       "line 2 counts 4 components (component 4), found an empty line"},
      {"fewer components counted than listed", replace(good, "    3    3", "    2    3"),
       "input error in wave.dat, line 5: expected an empty line after the 2 components that line 2 counts (the trailer "
       "follows two empty lines); this line holds one more component, so the count does not match the records, found "
       "\"   0.200000E+00   0.100000E+00   0.250000E+00   0.600000E+01\""},
      {"no trailer", SinglePointFile(kThree, ""),
       "input error in wave.dat, line 8: expected the settings trailer (\"  JNS \" or H1/3, T1/3, Dirc. as three "
       "E15.6), found the end of the file"},
      {"text after the last field", replace(good, "0.600000E+01\n", "0.600000E+01 x\n"),
       "input error in wave.dat, line 5, columns 61-62: expected nothing after column 60, found \" x\""},
      {"point count of zero", replace(good, "    1\n", "    0\n"),
       "input error in wave.dat, line 1, columns 1-5: expected a point count of 1 or more, found \"    0\""},
      {"Smax record misspelt", replace(good, "Smax=", "Smax:"),
       "input error in wave.dat, line 11, columns 1-5: expected the text \"Smax=\", found \"Smax:\""},
      {"lines after the trailer", good + "  256\n",
       "input error in wave.dat, line 12: expected the end of the file after the settings trailer, found \"  256\""},
  };
  for (const Case& c : cases) EXPECT_EQ(ErrorOf(c.content), c.message) << c.name;
}

TEST(CheckFileReader, RefusesMultiPointFilesWhoseCountsDoNotMatch) {
  const std::vector<Component> two = {{0.1, 0.01, 0.1, 1.0}, {0.2, 0.02, -0.1, 2.0}};
  struct Case {
    const char* name;
    std::string content;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"one point missing", "    3\n" + PointHeader(2, 1) + Records(two) + PointHeader(2, 2) + Records(two),
       "input error in wave.dat, line 8: expected the header of point 3 of 3: N (I5), spectrum code (I5), gamma "
       "(F10.1), point number (I5), found the end of the file"},
      {"header counts too few", "    2\n" + PointHeader(1, 1) + Records(two) + PointHeader(2, 2) + Records(two),
       "input error in wave.dat, line 4: expected the header of point 2 of 2: N (I5), spectrum code (I5), gamma "
       "(F10.1), point number (I5); this line holds a component, so point 1 has more components than its header in "
       "line 2 counts (1), found \"   0.200000E+00   0.200000E-01  -0.100000E+00   0.200000E+01\""},
      {"an extra point",
       "    2\n" + PointHeader(2, 1) + Records(two) + PointHeader(2, 2) + Records(two) + PointHeader(2, 3) +
           Records(two),
       "input error in wave.dat, line 8: expected the end of the file after the last point (2 points counted in line "
       "1), found \"    2    9       0.0    3\""},
      {"more points than lines", "99999\n" + PointHeader(2, 1) + Records(two),
       "input error in wave.dat, line 1, columns 1-5: expected a point count that the file can hold (it has 4 lines), "
       "found \"99999\""},
  };
  for (const Case& c : cases) EXPECT_EQ(ErrorOf(c.content), c.message) << c.name;
}

}  // namespace
}  // namespace wavecomp::check
