// Fixed-format and list-directed output by rounding scenario. Expected texts
// are what gfortran's formatted and list-directed WRITE produce for the same
// value and descriptor (checked by hand against gfortran 12).
#include "textio/format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace wavecomp::textio {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

struct RealCase {
  double value;
  int w;
  int d;
  const char* expected;
};

std::string E(double value, int w, int d) {
  std::string out;
  PutE(out, value, w, d);
  return out;
}

std::string F(double value, int w, int d) {
  std::string out;
  PutF(out, value, w, d);
  return out;
}

TEST(TextioPutE, FollowsGfortranByRoundingScenario) {
  const RealCase cases[] = {
      {1.5, 15, 6, "   0.150000E+01"},
      {-1.5, 15, 6, "  -0.150000E+01"},
      {0.5, 20, 8, "      0.50000000E+00"},
      // Carries into the next decade: the exponent goes up by one.
      {0.99999996, 15, 6, "   0.100000E+01"},
      {9.9999996, 12, 5, " 0.10000E+02"},
      // Yet with enough digits the same value is not rounded up.
      {0.99999996, 20, 8, "      0.99999996E+00"},
      // Ties go to the even digit, but only exact binary ties: 0.125 is one,
      // 0.1255 is stored a little above 0.1255.
      {0.125, 9, 2, " 0.12E+00"},
      {0.375, 9, 2, " 0.38E+00"},
      {0.1255, 10, 3, " 0.126E+00"},
      {0.00125, 10, 3, " 0.125E-02"},
      // Zero has exponent 0, negative zero keeps its sign.
      {0.0, 15, 6, "   0.000000E+00"},
      {-0.0, 10, 3, "-0.000E+00"},
      // Beyond two exponent digits the letter E gives way to the sign.
      {1.0e99, 15, 6, "   0.100000+100"},
      {1.0e-99, 15, 6, "   0.100000E-98"},
      {1.0e-100, 15, 6, "   0.100000E-99"},
      {1.23e-300, 12, 5, " 0.12300-299"},
      {1.7976931348623157e308, 10, 3, " 0.180+309"},
      {4.9406564584124654e-324, 20, 8, "      0.49406565-323"},
      // No room for the leading zero: it is dropped; no room without it either: asterisks.
      {0.5, 9, 3, "0.500E+00"},
      {-0.5, 9, 3, "-.500E+00"},
      {0.5, 8, 3, ".500E+00"},
      {-0.5, 8, 3, "********"},
      {1.0e100, 9, 3, "0.100+101"},
      {-1.0e100, 9, 3, "-.100+101"},
      // Non-finite values: "Inf" when "Infinity" does not fit, NaN without its sign.
      {kInf, 15, 6, "       Infinity"},
      {-kInf, 15, 6, "      -Infinity"},
      {-kInf, 8, 3, "    -Inf"},
      {kInf, 8, 3, "Infinity"},
      {-kInf, 3, 1, "***"},
      {kInf, 3, 1, "Inf"},
      {kNaN, 10, 3, "       NaN"},
      {-kNaN, 10, 3, "       NaN"},
      {kNaN, 2, 1, "**"},
  };
  for (const RealCase& c : cases) {
    EXPECT_EQ(E(c.value, c.w, c.d), c.expected) << "E" << c.w << "." << c.d << " of " << c.value;
  }
}

TEST(TextioPutF, FollowsGfortranByRoundingScenario) {
  const RealCase cases[] = {
      {3.3, 10, 1, "       3.3"},
      {0.5, 5, 2, " 0.50"},
      {-1.234, 5, 2, "-1.23"},
      {99.99, 5, 2, "99.99"},
      // Carries that make the value one column wider than the field.
      {99.999, 5, 2, "*****"},
      {-9.999, 5, 2, "*****"},
      {0.99999996, 10, 2, "      1.00"},
      // Negative values that round to zero keep their minus sign.
      {-0.001, 5, 2, "-0.00"},
      {-0.004, 5, 2, "-0.00"},
      {-0.005, 5, 2, "-0.01"},
      {-0.0, 7, 2, "  -0.00"},
      {-1.0e-99, 10, 2, "     -0.00"},
      // Exact binary ties go to even; 0.05 and 0.35 are not ties.
      {0.25, 5, 1, "  0.2"},
      {0.75, 5, 1, "  0.8"},
      {0.05, 5, 1, "  0.1"},
      {0.35, 5, 1, "  0.3"},
      {2.5, 10, 0, "        2."},
      {0.5, 10, 0, "        0."},
      {-0.5, 10, 0, "       -0."},
      // Digits beyond the 17th are the exact binary value's.
      {9.9999996, 20, 15, "   9.999999600000001"},
      // The leading zero goes when only it is in the way.
      {0.5, 4, 2, "0.50"},
      {-0.5, 4, 2, "-.50"},
      {0.5, 3, 2, ".50"},
      {-0.5, 3, 2, "***"},
      {-0.0, 3, 2, "***"},
      // With no decimals the zero is the only digit and is never dropped.
      {0.4, 2, 0, "0."},
      {-0.4, 2, 0, "**"},
      {0.4, 1, 0, "*"},
      // Too large for the field.
      {1.0e8, 10, 1, "**********"},
      {1.0e5, 20, 15, "********************"},
      {1.0e300, 10, 2, "**********"},
      {100.0, 5, 2, "*****"},
      // Non-finite values.
      {kInf, 10, 2, "  Infinity"},
      {-kInf, 10, 2, " -Infinity"},
      {kInf, 5, 2, "  Inf"},
      {-kInf, 5, 2, " -Inf"},
      {kNaN, 5, 2, "  NaN"},
  };
  for (const RealCase& c : cases) {
    EXPECT_EQ(F(c.value, c.w, c.d), c.expected) << "F" << c.w << "." << c.d << " of " << c.value;
  }
}

TEST(TextioPutI, RightJustifiesOrFillsWithAsterisks) {
  struct Case {
    std::int64_t value;
    int w;
    const char* expected;
  };
  const Case cases[] = {
      {42, 5, "   42"},     {0, 5, "    0"},
      {-1, 5, "   -1"},     {12345, 5, "12345"},
      {-1234, 5, "-1234"},  {123456, 5, "*****"},
      {-12345, 5, "*****"}, {2147483647, 4, "****"},
      {0, 1, "0"},          {-2147483648, 11, "-2147483648"},
  };
  for (const Case& c : cases) {
    std::string out;
    PutI(out, c.value, c.w);
    EXPECT_EQ(out, c.expected) << "I" << c.w << " of " << c.value;
  }
}

TEST(TextioPutA, RightJustifiesShortTextAndCutsLongText) {
  std::string out;
  PutA(out, "JNS ", 6);
  PutX(out, 1);
  PutA(out, "abcdefgh", 5);
  PutA(out, "xyz");
  PutA(out, "", 2);
  EXPECT_EQ(out, "  JNS  abcdexyz  ");
}

TEST(TextioPut, AppendsToTheRecord) {
  std::string out = "Smax=";
  PutX(out, 1);
  PutF(out, 999.0, 5, 2);
  PutE(out, 1.5, 15, 6);
  PutI(out, 7, 3);
  EXPECT_EQ(out, "Smax= *****   0.150000E+01  7");
}

TEST(TextioListLine, LaysOutItemsAsGfortran) {
  struct Case {
    ListLine line;
    const char* expected;
  };
  const Case cases[] = {
      {ListLine().Real(10.0), "   10.000000000000000     "},
      {ListLine().Real(1.234e-5), "   1.2340000000000000E-005"},
      {ListLine().Text("abc").Integer(5).Text("def"), " abc           5 def"},
      {ListLine().Text("abc").Real(1.5).Text("def"), " abc   1.5000000000000000      def"},
      {ListLine().Text("abc").Text("def"), " abcdef"},
      {ListLine().Integer(5).Integer(6), "           5           6"},
      {ListLine().Real(1.5).Real(2.5), "   1.5000000000000000        2.5000000000000000     "},
      {ListLine().Integer(5).Real(1.5), "           5   1.5000000000000000     "},
      {ListLine().Real(1.5).Integer(5), "   1.5000000000000000                5"},
      {ListLine().Integer(5).Text("x"), "           5 x"},
      {ListLine().Integer(-5), "          -5"},
      {ListLine().Integer(0), "           0"},
      {ListLine().Integer(-2147483648), " -2147483648"},
      // A value that needs 64 bits takes gfortran's INTEGER(8) width.
      {ListLine().Integer(123456789012), "         123456789012"},
      // An empty text still gets the leading blank, and the number its own.
      {ListLine().Text(""), " "},
      {ListLine().Text("").Integer(5), "            5"},
      {ListLine().Real(0.0), "   0.0000000000000000     "},
      {ListLine().Real(-0.0), "  -0.0000000000000000     "},
      {ListLine().Real(-1.5), "  -1.5000000000000000     "},
      {ListLine().Real(kInf), "                  Infinity"},
      {ListLine().Real(-kInf), "                 -Infinity"},
      {ListLine().Real(kNaN), "                       NaN"},
      // 0.1 is the smallest magnitude written without an exponent.
      {ListLine().Real(0.1), "  0.10000000000000001     "},
      {ListLine().Real(0.09999999999999999), "   9.9999999999999992E-002"},
      {ListLine().Real(0.1 + 0.2), "  0.30000000000000004     "},
      // Up to 17 integer digits keep the F form, the point then ends the number.
      {ListLine().Real(1.0e15), "   1000000000000000.0     "},
      {ListLine().Real(1.0e16), "   10000000000000000.     "},
      {ListLine().Real(99999999999999990.0), "   99999999999999984.     "},
      {ListLine().Real(1.0e17), "   1.0000000000000000E+017"},
      {ListLine().Real(1.0e300), "   1.0000000000000001E+300"},
      {ListLine().Real(1.0e-99), "   1.0000000000000000E-099"},
      {ListLine().Real(4.9406564584124654e-324), "   4.9406564584124654E-324"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.line.str(), c.expected);
}

// Numbers in running text, worked by hand.
TEST(TextioRunningText, WritesNumbersWithoutTheBlanksOfAField) {
  struct Case {
    std::string text;
    const char* expected;
  };
  const Case cases[] = {
      {PlainNumber(0.01), "0.01"},  // the shortest text, not 0.01000000000000000021
      {PlainNumber(1e300), "1e+300"},
      {PlainNumber(-2.0), "-2"},
      {RoundedNumber(0.0934512, 4), "0.09345"},
      {RoundedNumber(2.0, 4), "2"},  // no trailing zeros
      {RoundedNumber(123456789.0, 4), "1.235e+08"},
      {FixedNumber(2.5, 2), "2.50"},
      {FixedNumber(-0.001, 2), "-0.00"},  // the sign of what rounds to zero is kept
      {FixedNumber(1e40, 1), "10000000000000000303786028427003666890752.0"},
      {BoundedFixedNumber(2.5, 2), "2.50"},
      {BoundedFixedNumber(1e40, 1), "****************************************"},  // 43 columns do not fit 40
      {Percent(0.1234, 1), "12.3 %"},
      {Percent(0.5, 0), "50. %"},  // F0.0 keeps its decimal point
  };
  for (const Case& c : cases) EXPECT_EQ(c.text, c.expected);
}

}  // namespace
}  // namespace wavecomp::textio
