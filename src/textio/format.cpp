// Fixed-format and list-directed output.
//
// Every number goes through std::to_chars, which rounds the exact binary
// value correctly (ties to even), and the result is rearranged into the
// Fortran layout. Glossary:
//   w  field width in columns          d  digits after the decimal point
//   e  decimal exponent of to_chars' scientific form (d.ddd x 10^e)
//   k  Fortran's exponent of the normalised mantissa 0.ddd x 10^k (k = e + 1)
#include "textio/format.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

namespace wavecomp::textio {
namespace {

// Buffers of this size hold any to_chars result the system asks for; wider
// requests (hundreds of decimals) go to the heap.
constexpr int kStackChars = 400;

// The largest double has 309 integer digits.
constexpr int kMaxIntegerDigits = 309;

// List-directed layout of a 64-bit real: 17 significant digits in a field of
// 25 columns; when the value is written in F form, the last 5 columns (the
// width of an exponent "E+ddd") are blanks.
constexpr int kListRealDigits = 17;
constexpr int kListRealWidth = 25;
constexpr int kListRealExponentWidth = 5;
// List-directed integers: 11 columns for a 32-bit value, 20 for a value that
// needs 64 bits, after the separating blank.
constexpr int kListIntegerWidth = 11;
constexpr int kListInteger64Width = 20;

void PutAsterisks(std::string& out, int w) { out.append(static_cast<std::size_t>(w), '*'); }

// `text` right-justified in w columns, or w asterisks when it does not fit.
// A width of 0 or less writes the text as it is.
void PutField(std::string& out, std::string_view text, int w) {
  if (w <= 0) {
    out.append(text);
  } else if (text.size() > static_cast<std::size_t>(w)) {
    PutAsterisks(out, w);
  } else {
    out.append(static_cast<std::size_t>(w) - text.size(), ' ');
    out.append(text);
  }
}

// NaN and infinity in F and E fields: "NaN" (whatever its sign bit),
// "Infinity" or its short form "Inf" when the long one does not fit, with a
// minus sign for negative infinity.
void PutNonFinite(std::string& out, double value, int w) {
  if (std::isnan(value)) {
    PutField(out, "NaN", w);
    return;
  }
  const bool negative = std::signbit(value);
  const std::string_view long_form = negative ? "-Infinity" : "Infinity";
  if (w <= 0 || long_form.size() <= static_cast<std::size_t>(w)) {
    PutField(out, long_form, w);
  } else {
    PutField(out, negative ? "-Inf" : "Inf", w);
  }
}

// A character buffer on the stack, or on the heap for unusually wide requests.
class Scratch {
 public:
  explicit Scratch(std::size_t size) {
    if (size > sizeof stack_) heap_.resize(size);
  }
  char* begin() { return heap_.empty() ? stack_ : heap_.data(); }
  char* end() { return heap_.empty() ? stack_ + sizeof stack_ : heap_.data() + heap_.size(); }

 private:
  char stack_[kStackChars];
  std::string heap_;
};

// The scientific form of |value| with `digits` significant digits, correctly
// rounded: the digits (without the point) go to `mantissa`, the return value
// is the decimal exponent e of d.ddd x 10^e (0 for a zero value).
int ScientificDigits(double magnitude, int digits, char* mantissa, Scratch& scratch) {
  const std::to_chars_result result =
      std::to_chars(scratch.begin(), scratch.end(), magnitude, std::chars_format::scientific, digits - 1);
  const char* p = scratch.begin();
  mantissa[0] = *p++;
  if (digits > 1) {
    ++p;  // the decimal point
    std::memcpy(mantissa + 1, p, static_cast<std::size_t>(digits - 1));
    p += digits - 1;
  }
  ++p;  // 'e'
  const bool negative_exponent = *p++ == '-';
  int exponent = 0;
  for (; p < result.ptr; ++p) exponent = exponent * 10 + (*p - '0');
  return negative_exponent ? -exponent : exponent;
}

// Writes the exponent part of an E field: "E+dd" for exponents up to 99 in
// magnitude, "+ddd" (no letter) up to 999, as gfortran does.
char* PutExponent(char* p, int k) {
  const int magnitude = k < 0 ? -k : k;
  if (magnitude <= 99) {
    *p++ = 'E';
    *p++ = k < 0 ? '-' : '+';
  } else {
    *p++ = k < 0 ? '-' : '+';
    *p++ = static_cast<char>('0' + magnitude / 100);
  }
  *p++ = static_cast<char>('0' + magnitude / 10 % 10);
  *p++ = static_cast<char>('0' + magnitude % 10);
  return p;
}

}  // namespace

void PutI(std::string& out, std::int64_t value, int w) {
  char buffer[24];
  const std::to_chars_result result = std::to_chars(buffer, buffer + sizeof buffer, value);
  PutField(out, std::string_view(buffer, static_cast<std::size_t>(result.ptr - buffer)), w);
}

void PutF(std::string& out, double value, int w, int d) {
  if (!std::isfinite(value)) {
    PutNonFinite(out, value, w);
    return;
  }
  if (d < 0) d = 0;
  Scratch scratch(static_cast<std::size_t>(kMaxIntegerDigits + d + 4));
  // to_chars keeps the minus sign of a negative value that rounds to zero
  // ("-0.00"), and of negative zero, as gfortran does.
  const std::to_chars_result result = std::to_chars(scratch.begin(), scratch.end(), value, std::chars_format::fixed, d);
  std::string_view text(scratch.begin(), static_cast<std::size_t>(result.ptr - scratch.begin()));
  const bool negative = text.front() == '-';
  std::string_view sign = negative ? std::string_view("-") : std::string_view();
  std::string_view digits = text.substr(sign.size());
  // With d = 0 the point follows the integer digits ("2.").
  std::string_view point = d == 0 ? std::string_view(".") : std::string_view();
  std::size_t length = sign.size() + digits.size() + point.size();
  // A zero integer part is dropped when the field has no room for it; with
  // d = 0 it is the only digit and stays.
  if (w > 0 && length > static_cast<std::size_t>(w) && d > 0 && digits.starts_with("0.")) {
    digits.remove_prefix(1);
    --length;
  }
  if (w > 0 && length > static_cast<std::size_t>(w)) {
    PutAsterisks(out, w);
    return;
  }
  if (w > 0) out.append(static_cast<std::size_t>(w) - length, ' ');
  out.append(sign);
  out.append(digits);
  out.append(point);
}

void PutE(std::string& out, double value, int w, int d) {
  if (!std::isfinite(value)) {
    PutNonFinite(out, value, w);
    return;
  }
  // gfortran refuses E with no digits at run time; a field of asterisks makes
  // such a format visible without stopping the run.
  if (d < 1) {
    PutAsterisks(out, w);
    return;
  }
  Scratch scratch(static_cast<std::size_t>(d + 16));
  Scratch mantissa(static_cast<std::size_t>(d));
  const double magnitude = std::fabs(value);
  const int e = ScientificDigits(magnitude, d, mantissa.begin(), scratch);
  // Zero is written 0.000E+00, not with exponent +1.
  const int k = magnitude == 0.0 ? 0 : e + 1;
  const bool negative = std::signbit(value);
  // sign, "0.", d digits, four exponent characters
  std::size_t length = (negative ? 1u : 0u) + 2u + static_cast<std::size_t>(d) + 4u;
  bool leading_zero = true;
  if (w > 0 && length > static_cast<std::size_t>(w)) {
    leading_zero = false;
    --length;
    if (length > static_cast<std::size_t>(w)) {
      PutAsterisks(out, w);
      return;
    }
  }
  const std::size_t start = out.size();
  const std::size_t blanks = w > 0 ? static_cast<std::size_t>(w) - length : 0;
  out.resize(start + blanks + length, ' ');
  char* p = out.data() + start + blanks;
  if (negative) *p++ = '-';
  if (leading_zero) *p++ = '0';
  *p++ = '.';
  std::memcpy(p, mantissa.begin(), static_cast<std::size_t>(d));
  p += d;
  PutExponent(p, k);
}

void PutA(std::string& out, std::string_view text, int w) {
  if (w <= 0) return;
  if (text.size() >= static_cast<std::size_t>(w)) {
    out.append(text.substr(0, static_cast<std::size_t>(w)));
  } else {
    out.append(static_cast<std::size_t>(w) - text.size(), ' ');
    out.append(text);
  }
}

void PutA(std::string& out, std::string_view text) { out.append(text); }

void PutX(std::string& out, int n) {
  if (n > 0) out.append(static_cast<std::size_t>(n), ' ');
}

// Items are separated as gfortran separates them: the line starts with a
// blank; every number is preceded by one blank (which at the start of the
// line is that leading blank); a text item after a number is preceded by one
// blank; consecutive text items are joined without one.
ListLine& ListLine::Text(std::string_view text) {
  if (last_ != Item::kText) line_.push_back(' ');
  line_.append(text);
  last_ = Item::kText;
  return *this;
}

ListLine& ListLine::Integer(std::int64_t value) {
  line_.push_back(' ');
  const bool fits_32_bits = value >= INT32_MIN && value <= INT32_MAX;
  PutI(line_, value, fits_32_bits ? kListIntegerWidth : kListInteger64Width);
  last_ = Item::kNumber;
  return *this;
}

// gfortran writes a 64-bit real as the G edit descriptor G25.17E3 with a
// scale factor of 1 for the E form: when the value rounded to 17 significant
// digits lies in 0.1 <= |x| < 10^17 it takes the F form with 17 significant
// digits and 5 trailing blanks (zero: 0.0000000000000000), otherwise the E
// form d.dddE+ddd with a three-digit exponent.
ListLine& ListLine::Real(double value) {
  line_.push_back(' ');
  last_ = Item::kNumber;
  if (!std::isfinite(value)) {
    PutNonFinite(line_, value, kListRealWidth);
    return *this;
  }
  const bool negative = std::signbit(value);
  const double magnitude = std::fabs(value);
  char digits[kListRealDigits];
  Scratch scratch(64);
  const int e = magnitude == 0.0 ? 0 : ScientificDigits(magnitude, kListRealDigits, digits, scratch);
  char field[kListRealWidth + 8];
  char* p = field;
  if (negative) *p++ = '-';
  if (magnitude == 0.0) {
    // Zero has one digit before the point and 16 after it.
    *p++ = '0';
    *p++ = '.';
    std::memset(p, '0', kListRealDigits - 1);
    p += kListRealDigits - 1;
  } else if (e >= -1 && e < kListRealDigits) {
    if (e == -1) {
      *p++ = '0';
      *p++ = '.';
      std::memcpy(p, digits, kListRealDigits);
      p += kListRealDigits;
    } else {
      const int integer_digits = e + 1;
      std::memcpy(p, digits, static_cast<std::size_t>(integer_digits));
      p += integer_digits;
      *p++ = '.';
      std::memcpy(p, digits + integer_digits, static_cast<std::size_t>(kListRealDigits - integer_digits));
      p += kListRealDigits - integer_digits;
    }
  } else {
    *p++ = digits[0];
    *p++ = '.';
    std::memcpy(p, digits + 1, kListRealDigits - 1);
    p += kListRealDigits - 1;
    const int magnitude_e = e < 0 ? -e : e;
    *p++ = 'E';
    *p++ = e < 0 ? '-' : '+';
    *p++ = static_cast<char>('0' + magnitude_e / 100);
    *p++ = static_cast<char>('0' + magnitude_e / 10 % 10);
    *p++ = static_cast<char>('0' + magnitude_e % 10);
    PutField(line_, std::string_view(field, static_cast<std::size_t>(p - field)), kListRealWidth);
    return *this;
  }
  PutField(line_, std::string_view(field, static_cast<std::size_t>(p - field)),
           kListRealWidth - kListRealExponentWidth);
  line_.append(kListRealExponentWidth, ' ');
  return *this;
}

std::string PlainNumber(double value) {
  char buffer[32];
  const std::to_chars_result result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

std::string RoundedNumber(double value, int digits) {
  char buffer[40];
  const std::to_chars_result result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, digits);
  return std::string(buffer, result.ptr);
}

std::string FixedNumber(double value, int d) {
  std::string text;
  PutF(text, value, 0, d);
  return text;
}

std::string BoundedFixedNumber(double value, int d) {
  std::string text;
  PutF(text, value, 40, d);
  return text.substr(text.find_first_not_of(' '));
}

std::string Percent(double share, int d) { return FixedNumber(100.0 * share, d) + " %"; }

}  // namespace wavecomp::textio
