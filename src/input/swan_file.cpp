#include "input/swan_file.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string_view>

namespace wavecomp::swan {
namespace {

// A 2D value whose scaled value lies this close (relative) to the exception
// value is taken as missing too: writers differ in whether they mark the
// integer or the scaled density, and the factor carries about seven digits.
constexpr double kScaledExceptionTolerance = 1e-6;
// At most this many times are listed in a message.
constexpr std::size_t kListedTimes = 20;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool SameWord(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t k = 0; k < a.size(); ++k) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[k]) != lower(b[k])) return false;
  }
  return true;
}

struct Word {
  std::string_view text;
  std::size_t line = 0;
  int first_column = 0;  // 1-based
  int last_column = 0;
};

// Line by line for the header (a line's first words count, the rest is a
// remark), word by word across lines for the data.
class Reader {
 public:
  explicit Reader(const textio::TextFile& file) : file_(file) {}

  const std::string& name() const { return file_.name(); }

  // Moves to the next line that is neither blank nor a comment; false at the end.
  bool Advance() {
    while (next_ < file_.record_count()) {
      const std::string_view text = file_.record(next_++);
      std::size_t start = 0;
      while (start < text.size() && IsBlank(text[start])) ++start;
      if (start == text.size() || text[0] == '$') continue;
      text_ = text;
      line_ = next_;
      position_ = 0;
      return true;
    }
    text_ = {};
    position_ = 0;
    return false;
  }

  // The next line's first word; the end of the file is an input error.
  Word ExpectLine(std::string_view what) {
    if (!Advance()) textio::ThrowEndOfFile(name(), file_.record_count() + 1, what);
    return *NextWord();
  }

  // The next word of the current line.
  std::optional<Word> NextWord() {
    while (position_ < text_.size() && IsBlank(text_[position_])) ++position_;
    if (position_ >= text_.size()) return std::nullopt;
    const std::size_t start = position_;
    while (position_ < text_.size() && !IsBlank(text_[position_])) ++position_;
    return Word{text_.substr(start, position_ - start), line_, static_cast<int>(start + 1),
                static_cast<int>(position_)};
  }

  Word ExpectWord(std::string_view what) {
    const std::optional<Word> word = NextWord();
    if (!word) textio::ThrowInputError(name(), line_, 0, 0, std::string(what) + " on this line", "");
    return *word;
  }

  // The next word of the data, on this line or the following ones.
  Word NextDataWord(std::string_view what) {
    for (;;) {
      if (std::optional<Word> word = NextWord()) return *word;
      if (!Advance()) textio::ThrowEndOfFile(name(), file_.record_count() + 1, what);
    }
  }

  // A line of data must end with its last value.
  void ExpectLineEnd(std::string_view after) {
    if (const std::optional<Word> extra = NextWord()) {
      Refuse(*extra, "the end of the line after " + std::string(after));
    }
  }

  [[noreturn]] void Refuse(const Word& word, const std::string& expected) const {
    textio::ThrowInputError(name(), word.line, word.first_column, word.last_column, expected, word.text);
  }

  double Real(const Word& word, std::string_view what) const {
    textio::FieldReader field(word.text, name(), word.line);
    const std::optional<double> value = field.TryF(static_cast<int>(word.text.size()), 0);
    if (!value) Refuse(word, std::string(what));
    return *value;
  }

  int Integer(const Word& word, std::string_view what) const {
    textio::FieldReader field(word.text, name(), word.line);
    const std::optional<std::int32_t> value = field.TryI(static_cast<int>(word.text.size()));
    if (!value) Refuse(word, std::string(what));
    return *value;
  }

  // A count line: an integer from `low` to `high` as its first word.
  int Count(std::string_view what, int low, int high) {
    const std::string expected =
        std::string(what) + " (an integer from " + std::to_string(low) + " to " + std::to_string(high) + ")";
    const Word word = ExpectLine(expected);
    const int count = Integer(word, expected);
    if (count < low || count > high) Refuse(word, expected);
    return count;
  }

  // Reader position, to look one line ahead.
  struct Mark {
    std::size_t next;
    std::string_view text;
    std::size_t line;
    std::size_t position;
  };
  Mark Save() const { return {next_, text_, line_, position_}; }
  void Restore(const Mark& mark) {
    next_ = mark.next;
    text_ = mark.text;
    line_ = mark.line;
    position_ = mark.position;
  }

 private:
  const textio::TextFile& file_;
  std::size_t next_ = 0;  // index of the next record
  std::string_view text_;
  std::size_t line_ = 0;  // 1-based line of text_
  std::size_t position_ = 0;
};

std::string Ordinal(std::string_view what, std::size_t k) { return std::string(what) + " " + std::to_string(k); }

// Directions as angles on the circle, for finding repeats (0 and 360).
double OnCircle(double degrees) {
  double angle = std::fmod(degrees, 360.0);
  if (angle < 0.0) angle += 360.0;
  return angle == 360.0 ? 0.0 : angle;
}

void ReadLocations(Reader& in, SwanFile& swan) {
  const int count = in.Count("the number of locations", 1, kMaxPoints);
  swan.locations.reserve(static_cast<std::size_t>(count));
  for (int k = 1; k <= count; ++k) {
    const std::string what = "the two coordinates of location " + std::to_string(k);
    const double x = in.Real(in.ExpectLine(what), what);
    const double y = in.Real(in.ExpectWord(what), what);
    swan.locations.push_back({x, y});
  }
}

void ReadFrequencies(Reader& in, SwanFile& swan) {
  const int count = in.Count("the number of frequencies", 2, kMaxFrequencies);
  swan.frequencies.reserve(static_cast<std::size_t>(count));
  for (int k = 1; k <= count; ++k) {
    const std::string what = Ordinal("frequency", static_cast<std::size_t>(k)) + " (Hz)";
    const Word word = in.ExpectLine(what);
    const double f = in.Real(word, what);
    if (swan.frequencies.empty()) {
      if (!(f > 0.0)) in.Refuse(word, what + " above 0");
    } else if (!(f > swan.frequencies.back())) {
      in.Refuse(word, what + " above the one before it (frequencies must rise strictly)");
    }
    swan.frequencies.push_back(f);
  }
}

void ReadDirections(Reader& in, SwanFile& swan) {
  const int count = in.Count("the number of directions", 2, kMaxDirections);
  std::vector<std::pair<double, std::size_t>> seen;  // angle on the circle, line
  for (int k = 1; k <= count; ++k) {
    const std::string what = Ordinal("direction", static_cast<std::size_t>(k)) + " (degrees)";
    const Word word = in.ExpectLine(what);
    const double direction = in.Real(word, what);
    const double angle = OnCircle(direction);
    for (const auto& [other, line] : seen) {
      if (other == angle) {
        in.Refuse(word, what + " other than that of line " + std::to_string(line) +
                            " (a direction may appear once; 0 and 360 are the same)");
      }
    }
    seen.emplace_back(angle, word.line);
    swan.directions.push_back(direction);
  }
}

// The name, unit and exception value of one quantity.
Quantity ReadQuantity(Reader& in, std::size_t k) {
  Quantity quantity;
  const Word name = in.ExpectLine(Ordinal("the name of quantity", k));
  quantity.name = std::string(name.text);
  quantity.line = name.line;
  quantity.unit = std::string(in.ExpectLine(Ordinal("the unit of quantity", k)).text);
  const std::string what = Ordinal("the exception value of quantity", k);
  quantity.exception_value = in.Real(in.ExpectLine(what), what);
  return quantity;
}

[[noreturn]] void RefuseQuantity(const Reader& in, const Quantity& quantity, const std::string& expected) {
  textio::ThrowInputError(in.name(), quantity.line, 0, 0, expected, quantity.name);
}

void CheckUnit(const Reader& in, const Quantity& quantity, std::string_view unit) {
  if (SameWord(quantity.unit, unit)) return;
  textio::ThrowInputError(in.name(), quantity.line + 1, 0, 0, "the unit " + std::string(unit) + " of " + quantity.name,
                          quantity.unit);
}

void ReadQuantities(Reader& in, SwanFile& swan) {
  const Word keyword = in.ExpectLine("QUANT");
  if (!SameWord(keyword.text, "QUANT")) {
    in.Refuse(keyword, swan.two_dimensional ? "QUANT" : "NDIR, CDIR (a 2D file) or QUANT (a 1D file)");
  }
  const std::string expected = swan.two_dimensional
                                   ? "the number of quantities: 1 in a 2D file (VaDens or EnDens)"
                                   : "the number of quantities: 3 in a 1D file (density, mean direction, spreading)";
  const int wanted = swan.two_dimensional ? 1 : 3;
  const int count = in.Count(expected, wanted, wanted);
  for (int k = 1; k <= count; ++k) swan.quantities.push_back(ReadQuantity(in, static_cast<std::size_t>(k)));

  if (swan.two_dimensional) {
    const Quantity& density = swan.quantities[0];
    if (SameWord(density.name, "VaDens")) {
      CheckUnit(in, density, "m2/Hz/degr");
    } else if (SameWord(density.name, "EnDens")) {
      swan.energy_density = true;
      CheckUnit(in, density, "J/m2/Hz/degr");
    } else {
      RefuseQuantity(in, density, "the 2D density VaDens or EnDens");
    }
    return;
  }
  std::optional<std::size_t> density, direction, spreading;
  for (std::size_t k = 0; k < swan.quantities.size(); ++k) {
    const Quantity& quantity = swan.quantities[k];
    const auto claim = [&](std::optional<std::size_t>& slot, std::string_view kind) {
      if (slot) RefuseQuantity(in, quantity, "one " + std::string(kind) + " only");
      slot = k;
    };
    if (SameWord(quantity.name, "VaDens")) {
      claim(density, "density");
      CheckUnit(in, quantity, "m2/Hz");
    } else if (SameWord(quantity.name, "EnDens")) {
      claim(density, "density");
      swan.energy_density = true;
      CheckUnit(in, quantity, "J/m2/Hz");
    } else if (SameWord(quantity.name, "NDIR") || SameWord(quantity.name, "CDIR")) {
      claim(direction, "mean direction");
      swan.direction_convention =
          SameWord(quantity.name, "NDIR") ? DirectionConvention::kNautical : DirectionConvention::kCartesian;
      CheckUnit(in, quantity, "degr");
    } else if (SameWord(quantity.name, "DSPRDEGR")) {
      claim(spreading, "spreading");
      CheckUnit(in, quantity, "degr");
    } else {
      RefuseQuantity(in, quantity, "a 1D quantity: VaDens or EnDens, NDIR or CDIR, DSPRDEGR");
    }
  }
  swan.columns = {*density, *direction, *spreading};
}

// "YYYYMMDD.HHMMSS"
bool ParseStamp(std::string_view text, TimeStep& time) {
  if (text.size() != 15 || text[8] != '.') return false;
  int digits[14];
  int n = 0;
  for (std::size_t k = 0; k < text.size(); ++k) {
    if (k == 8) continue;
    if (text[k] < '0' || text[k] > '9') return false;
    digits[n++] = text[k] - '0';
  }
  const auto number = [&](int first, int count) {
    int value = 0;
    for (int k = first; k < first + count; ++k) value = value * 10 + digits[k];
    return value;
  };
  time.year = number(0, 4);
  time.month = number(4, 2);
  time.day = number(6, 2);
  time.hour = number(8, 2);
  time.minute = number(10, 2);
  time.second = number(12, 2);
  time.stamp = std::string(text);
  return time.month >= 1 && time.month <= 12 && time.day >= 1 && time.day <= 31 && time.hour <= 23 &&
         time.minute <= 59 && time.second <= 59;
}

// A density as written: the exception value is missing (zero energy), any
// other negative value is refused.
double Density(const Reader& in, const Word& word, double raw, double factor, double exception, LocationBlock& block,
               std::string_view what) {
  const double value = raw * factor;
  if (raw == exception ||
      (exception != 0.0 && std::fabs(value - exception) <= kScaledExceptionTolerance * std::fabs(exception))) {
    ++block.missing;
    return 0.0;
  }
  if (raw < 0.0) in.Refuse(word, std::string(what) + ": a density of 0 or more, or the exception value");
  return value;
}

LocationBlock Read2D(Reader& in, const SwanFile& swan, std::size_t k) {
  const std::string where = "location " + std::to_string(k);
  const Word keyword = in.ExpectLine("FACTOR, ZERO or NODATA for " + where);
  LocationBlock block;
  block.line = keyword.line;
  if (SameWord(keyword.text, "ZERO")) {
    block.kind = BlockKind::kZero;
    return block;
  }
  if (SameWord(keyword.text, "NODATA")) {
    block.kind = BlockKind::kNoData;
    return block;
  }
  if (!SameWord(keyword.text, "FACTOR")) in.Refuse(keyword, "FACTOR, ZERO or NODATA for " + where);
  block.kind = BlockKind::kValues;
  const std::string factor_what = "the factor of " + where;
  const Word factor_word = in.NextDataWord(factor_what);
  block.factor = in.Real(factor_word, factor_what);
  if (block.factor < 0.0) in.Refuse(factor_word, factor_what + " (0 or more)");
  in.ExpectLineEnd(factor_what);

  const std::size_t nf = swan.frequencies.size();
  const std::size_t nd = swan.directions.size();
  const double exception = swan.quantities[0].exception_value;
  block.values.resize(nf * nd);
  const std::string what = std::to_string(nf) + " x " + std::to_string(nd) + " numbers of " + where +
                           " (FACTOR in line " + std::to_string(block.line) + ")";
  for (std::size_t n = 0; n < block.values.size(); ++n) {
    const Word word = in.NextDataWord(what);
    const double raw = in.Real(word, what);
    block.values[n] = Density(in, word, raw, block.factor, exception, block, what);
  }
  in.ExpectLineEnd("the " + what);
  return block;
}

LocationBlock Read1D(Reader& in, const SwanFile& swan, std::size_t k) {
  const std::string where = "location " + std::to_string(k);
  const std::string expected = "LOCATION " + std::to_string(k) + " or NODATA";
  const Word keyword = in.ExpectLine(expected);
  LocationBlock block;
  block.line = keyword.line;
  if (SameWord(keyword.text, "NODATA")) {
    block.kind = BlockKind::kNoData;
    return block;
  }
  if (!SameWord(keyword.text, "LOCATION")) in.Refuse(keyword, expected);
  const Word index = in.ExpectWord("the location index " + std::to_string(k));
  if (in.Integer(index, expected) != static_cast<int>(k)) {
    in.Refuse(index, "location index " + std::to_string(k) + " (locations follow the order of the header)");
  }
  // NODATA or ZERO may follow the LOCATION line instead of the table.
  const Reader::Mark mark = in.Save();
  if (in.Advance()) {
    const std::optional<Word> next = in.NextWord();
    if (SameWord(next->text, "NODATA") || SameWord(next->text, "ZERO")) {
      block.kind = SameWord(next->text, "ZERO") ? BlockKind::kZero : BlockKind::kNoData;
      return block;
    }
  }
  in.Restore(mark);

  block.kind = BlockKind::kValues;
  const std::size_t nf = swan.frequencies.size();
  const std::size_t nq = swan.quantities.size();
  const std::string what = std::to_string(nf) + " rows of " + std::to_string(nq) + " numbers of " + where +
                           " (LOCATION in line " + std::to_string(block.line) + ")";
  block.rows.resize(nf);
  double row[3] = {0.0, 0.0, 0.0};
  Word words[3];
  for (std::size_t i = 0; i < nf; ++i) {
    for (std::size_t q = 0; q < nq; ++q) {
      words[q] = in.NextDataWord(what);
      row[q] = in.Real(words[q], what);
    }
    Row1D& out = block.rows[i];
    const Columns1D& c = swan.columns;
    out.density =
        Density(in, words[c.density], row[c.density], 1.0, swan.quantities[c.density].exception_value, block, what);
    out.direction = row[c.direction];
    out.direction_missing = row[c.direction] == swan.quantities[c.direction].exception_value;
    out.spreading = row[c.spreading];
    out.spreading_missing = row[c.spreading] == swan.quantities[c.spreading].exception_value;
    if (!out.spreading_missing && out.spreading < 0.0) {
      in.Refuse(words[c.spreading], what + ": a spreading of 0 or more, or the exception value");
    }
  }
  in.ExpectLineEnd("the " + what);
  return block;
}

}  // namespace

SwanFile ReadSwanFile(const textio::TextFile& file) {
  Reader in(file);
  SwanFile swan;
  swan.name = file.name();

  const Word first = in.ExpectLine("the keyword SWAN and the version number");
  if (!SameWord(first.text, "SWAN")) in.Refuse(first, "the keyword SWAN and the version number (a SWAN spectrum file)");
  const Word version = in.ExpectWord("the version number after SWAN");
  swan.version = in.Integer(version, "the version number 1");
  if (swan.version != 1) in.Refuse(version, "the version number 1");

  Word keyword = in.ExpectLine("TIME, LOCATIONS or LONLAT");
  if (SameWord(keyword.text, "TIME")) {
    const std::string what = "the time-coding option 1 (YYYYMMDD.HHMMSS)";
    const Word option = in.ExpectLine(what);
    if (in.Integer(option, what) != 1) in.Refuse(option, what);
    swan.time_coding = 1;
    keyword = in.ExpectLine("LOCATIONS or LONLAT");
  }
  if (SameWord(keyword.text, "LOCATIONS")) {
    swan.coordinates = Coordinates::kCartesian;
  } else if (SameWord(keyword.text, "LONLAT")) {
    swan.coordinates = Coordinates::kSpherical;
  } else {
    in.Refuse(keyword, swan.time_coding ? "LOCATIONS or LONLAT" : "TIME, LOCATIONS or LONLAT");
  }
  ReadLocations(in, swan);

  keyword = in.ExpectLine("AFREQ or RFREQ");
  if (SameWord(keyword.text, "AFREQ")) {
    swan.frequency_kind = FrequencyKind::kAbsolute;
  } else if (SameWord(keyword.text, "RFREQ")) {
    swan.frequency_kind = FrequencyKind::kRelative;
  } else {
    in.Refuse(keyword, "AFREQ or RFREQ");
  }
  ReadFrequencies(in, swan);

  const Reader::Mark before_directions = in.Save();
  keyword = in.ExpectLine("NDIR, CDIR (a 2D file) or QUANT (a 1D file)");
  if (SameWord(keyword.text, "NDIR") || SameWord(keyword.text, "CDIR")) {
    swan.two_dimensional = true;
    swan.direction_convention =
        SameWord(keyword.text, "NDIR") ? DirectionConvention::kNautical : DirectionConvention::kCartesian;
    ReadDirections(in, swan);
  } else {
    in.Restore(before_directions);
  }
  ReadQuantities(in, swan);

  const std::size_t location_count = swan.locations.size();
  const auto read_locations = [&](TimeStep& time) {
    time.locations.reserve(location_count);
    for (std::size_t k = 1; k <= location_count; ++k) {
      time.locations.push_back(swan.two_dimensional ? Read2D(in, swan, k) : Read1D(in, swan, k));
    }
  };
  if (swan.stationary()) {
    TimeStep& time = swan.times.emplace_back();
    read_locations(time);
    if (in.Advance()) {
      in.Refuse(*in.NextWord(), "the end of the file after the last location (a file without TIME holds one time)");
    }
    return swan;
  }
  const std::string date_what = "a date and time YYYYMMDD.HHMMSS";
  Word date = in.ExpectLine(date_what);
  for (;;) {
    TimeStep& time = swan.times.emplace_back();
    time.line = date.line;
    if (!ParseStamp(date.text, time)) in.Refuse(date, date_what);
    read_locations(time);
    if (!in.Advance()) break;
    date = *in.NextWord();
  }
  return swan;
}

std::optional<std::size_t> FindTime(const SwanFile& file, std::string_view stamp) {
  std::string wanted(stamp);
  if (wanted.size() == 15 && wanted[8] == 'T') wanted[8] = '.';
  for (std::size_t k = 0; k < file.times.size(); ++k) {
    if (!file.times[k].stamp.empty() && file.times[k].stamp == wanted) return k;
  }
  return std::nullopt;
}

std::string TimeList(const SwanFile& file) {
  std::string list;
  for (std::size_t k = 0; k < file.times.size() && k < kListedTimes; ++k) {
    list += (k == 0 ? "" : ", ") + file.times[k].stamp;
  }
  if (file.times.size() > kListedTimes) list += ", ... (" + std::to_string(file.times.size()) + " in all)";
  return list;
}

}  // namespace wavecomp::swan
