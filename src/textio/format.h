// Fixed-format and free-format (list-directed) text output.
//
// Contract, the same as a Fortran formatted WRITE compiled with gfortran:
//   Iw    integer right-justified in w columns:       I5(42)       -> "   42"
//   Fw.d  fixed point, d decimals, correctly rounded: F10.1(3.3)   -> "       3.3"
//                                                     F5.2(0.5)    -> " 0.50"
//   Ew.d  normalised mantissa 0.ddd, E, sign, two exponent digits:
//                                                     E15.6(1.5)   -> "   0.150000E+01"
//                                                     E15.6(0.99999996) -> "   0.100000E+01"
//   Aw    text right-justified in w columns, or its leftmost w characters.
//   nX    n blanks.
// A number that does not fit its field is written as w asterisks. Rounding
// is correct rounding of the exact binary value (round half to even only for
// exact ties). Where the rules above are silent, gfortran's layout:
//   - a zero integer part is dropped when it alone does not fit:
//     F4.2(-0.5) -> "-.50", E9.3(-0.5) -> "-.500E+00" (never with F w.0);
//   - negative zero and negative values that round to zero keep the sign:
//     F5.2(-0.001) -> "-0.00", E10.3(-0.0) -> "-0.000E+00";
//   - exponents beyond +-99 lose the letter: E15.6(1e99) -> "   0.100000+100";
//   - NaN is "NaN" whatever its sign; infinity is "Infinity" or "-Infinity",
//     shortened to "Inf"/"-Inf" when the long form does not fit;
//   - E with d = 0 (which gfortran refuses at run time) writes asterisks.
// A width of 0 or less writes a number in as many columns as it needs.
//
// Every function appends to `out`; a line is built in a std::string and
// handed to the console or a file as a whole.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace wavecomp::textio {

void PutI(std::string& out, std::int64_t value, int w);
void PutF(std::string& out, double value, int w, int d);
void PutE(std::string& out, double value, int w, int d);
void PutA(std::string& out, std::string_view text, int w);
// A without a width: the text as it is.
void PutA(std::string& out, std::string_view text);
void PutX(std::string& out, int n);

// One list-directed (free-format) line, laid out as gfortran's list-directed
// WRITE lays out the same items:
//   - every number is preceded by one blank, which for the first item is the
//     line's leading blank; a text item gets a blank before it when it starts
//     the line or follows a number, none after another text item;
//   - an integer then takes 11 columns (20 when it needs 64 bits);
//   - a 64-bit real takes 25 columns with 17 significant digits: the F form
//     followed by 5 blanks when the rounded value is 0 or 0.1 <= |x| < 1e17,
//     otherwise d.dddE+ddd.
//   ListLine().Real(10.0)                 -> "   10.000000000000000     "
//   ListLine().Real(1.234e-5)             -> "   1.2340000000000000E-005"
//   ListLine().Text("abc").Integer(5).Text("def") -> " abc           5 def"
class ListLine {
 public:
  ListLine& Text(std::string_view text);
  ListLine& Integer(std::int64_t value);
  ListLine& Real(double value);
  const std::string& str() const { return line_; }

 private:
  enum class Item { kNone, kText, kNumber };
  std::string line_;
  Item last_ = Item::kNone;
};

// Numbers in running text (messages, explanations, reports), without the
// blanks of a field:
//   PlainNumber(0.01) -> "0.01", PlainNumber(1e300) -> "1e+300": the shortest
//     text that reads back as the same double;
//   RoundedNumber(0.0934512, 4) -> "0.09345", RoundedNumber(2.0, 4) -> "2":
//     `digits` significant digits, no trailing zeros, an exponent only for
//     very large or small values (printf's %g);
//   FixedNumber(2.5, 2) -> "2.50", FixedNumber(-0.001, 2) -> "-0.00": F0.d,
//     the F edit above in as many columns as it needs;
//   BoundedFixedNumber(2.5, 2) -> "2.50": F40.d without its leading blanks,
//     so that a value needing more than 40 columns (1e38 and beyond) shows as
//     40 asterisks instead of a line-long number;
//   Percent(0.1234, 1) -> "12.3 %": FixedNumber of 100 times a share.
std::string PlainNumber(double value);
std::string RoundedNumber(double value, int digits);
std::string FixedNumber(double value, int d);
std::string BoundedFixedNumber(double value, int d);
std::string Percent(double share, int d);

}  // namespace wavecomp::textio
