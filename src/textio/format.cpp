// First version: snprintf-based (glibc rounds correctly). To be replaced by a
// faster to_chars version checked against gfortran.
#include "textio/format.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace wavecomp::textio {
namespace {

void PutField(std::string& out, std::string_view text, int w) {
  if (static_cast<int>(text.size()) > w) {
    out.append(static_cast<std::size_t>(w), '*');
    return;
  }
  out.append(static_cast<std::size_t>(w) - text.size(), ' ');
  out.append(text);
}

}  // namespace

void PutI(std::string& out, std::int64_t value, int w) { PutField(out, std::to_string(value), w); }

void PutF(std::string& out, double value, int w, int d) {
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, "%.*f", d, value);
  std::string_view text(buffer);
  if (static_cast<int>(text.size()) > w) {
    // gfortran drops the leading zero before dropping the field.
    if (text.starts_with("0.")) text.remove_prefix(1);
    else if (text.starts_with("-0.")) {
      PutField(out, std::string("-") + std::string(text.substr(2)), w);
      return;
    }
  }
  PutField(out, text, w);
}

void PutE(std::string& out, double value, int w, int d) {
  if (!std::isfinite(value)) {
    PutField(out, std::isnan(value) ? "NaN" : (value < 0 ? "-Infinity" : "Infinity"), w);
    return;
  }
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*e", d > 0 ? d - 1 : 0, std::fabs(value));
  std::string_view text(buffer);
  const std::size_t e = text.find('e');
  std::string digits;
  for (char c : text.substr(0, e)) {
    if (c != '.') digits.push_back(c);
  }
  int exponent = std::atoi(buffer + e + 1) + 1;
  if (value == 0.0) exponent = 0;
  std::string field = std::signbit(value) ? "-0." : "0.";
  field += digits.substr(0, static_cast<std::size_t>(d));
  char exponent_text[16];
  if (std::abs(exponent) <= 99) {
    std::snprintf(exponent_text, sizeof exponent_text, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
  } else {
    std::snprintf(exponent_text, sizeof exponent_text, "%c%03d", exponent < 0 ? '-' : '+', std::abs(exponent));
  }
  field += exponent_text;
  PutField(out, field, w);
}

void PutA(std::string& out, std::string_view text, int w) {
  if (static_cast<int>(text.size()) >= w) {
    out.append(text.substr(0, static_cast<std::size_t>(w)));
  } else {
    out.append(static_cast<std::size_t>(w) - text.size(), ' ');
    out.append(text);
  }
}

void PutA(std::string& out, std::string_view text) { out.append(text); }

void PutX(std::string& out, int n) { out.append(static_cast<std::size_t>(n), ' '); }

ListLine& ListLine::Text(std::string_view text) {
  if (last_ == Item::kNone || last_ == Item::kNumber) line_.push_back(' ');
  line_.append(text);
  last_ = Item::kText;
  return *this;
}

ListLine& ListLine::Integer(std::int64_t value) {
  PutI(line_, value, 12);
  last_ = Item::kNumber;
  return *this;
}

ListLine& ListLine::Real(double value) {
  char buffer[64];
  const double magnitude = std::fabs(value);
  if (value == 0.0 || (magnitude >= 0.1 && magnitude < 1.0e16)) {
    const int integer_digits = value == 0.0 ? 1 : static_cast<int>(std::floor(std::log10(magnitude))) + 1;
    std::snprintf(buffer, sizeof buffer, "%.*f", 17 - (integer_digits < 1 ? 0 : integer_digits), value);
    std::string text(buffer);
    PutField(line_, text, 20);
    line_.append(5, ' ');
  } else {
    std::snprintf(buffer, sizeof buffer, "%.16E", value);
    std::string text(buffer);
    // Three exponent digits, as gfortran writes them.
    const std::size_t e = text.find('E');
    const int exponent = std::atoi(text.c_str() + e + 1);
    char exponent_text[16];
    std::snprintf(exponent_text, sizeof exponent_text, "E%c%03d", exponent < 0 ? '-' : '+', std::abs(exponent));
    text = text.substr(0, e) + exponent_text;
    PutField(line_, text, 26);
  }
  last_ = Item::kNumber;
  return *this;
}

}  // namespace wavecomp::textio
