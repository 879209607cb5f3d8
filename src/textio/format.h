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
// exact ties). Negative zero, NaN, infinity and three-digit exponents are
// written as gfortran writes them.
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
// WRITE lays out the same items: it starts with one blank; an integer takes
// 12 columns, a 64-bit real 17 significant digits.
//   ListLine().Text("mitgwd").Real(10.0).str()
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

}  // namespace wavecomp::textio
