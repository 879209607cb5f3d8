#include "output/component_file_reader.h"

#include <algorithm>
#include <cmath>
#include <string_view>
#include <type_traits>
#include <utility>

#include "core/settings.h"
#include "output/component_records.h"
#include "textio/format.h"
#include "textio/errors.h"

namespace wavecomp {

std::string_view TrailerTypeName(TrailerKind kind) {
  switch (kind) {
    case TrailerKind::kJonswap:
      return "JNS";
    case TrailerKind::kSspe:
      return "Sspe";
    case TrailerKind::kEmepOrEne:
      break;
  }
  return "Emep or Ene";
}
namespace {

using namespace component_layout;

bool IsBlank(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c == ' ' || c == '\t'; });
}

// Columns first..first+w-1 (1-based) of a record; shorter or empty past its end.
std::string_view Columns(std::string_view text, int first, int w) {
  const std::size_t start = static_cast<std::size_t>(first - 1);
  if (start >= text.size()) return {};
  return text.substr(start, static_cast<std::size_t>(w));
}

// A numeric field that did not fit its width when written: asterisks only.
bool IsOverflow(std::string_view field) {
  std::size_t stars = 0;
  for (char c : field) {
    if (c == '*')
      ++stars;
    else if (c != ' ')
      return false;
  }
  return stars > 0;
}

std::string Count(std::int64_t value) { return std::to_string(value); }

// Sequential records with their line numbers, and the checks every reader
// of this layout makes.
class Records {
 public:
  explicit Records(const textio::TextFile& file) : file_(file), cursor_(file) {}

  bool AtEnd() const { return cursor_.AtEnd(); }
  std::size_t line() const { return cursor_.line_number(); }
  const std::string& name() const { return file_.name(); }

  std::string_view Next(std::string_view what) { return cursor_.NextText(what); }
  std::string_view Peek() const { return file_.record(cursor_.position()); }

  [[noreturn]] void Fail(int first, int last, std::string_view expected, std::string_view found) const {
    textio::ThrowInputError(file_.name(), line(), first, last, expected, found);
  }
  [[noreturn]] void FailLine(std::string_view expected, std::string_view text) const {
    if (text.empty()) FailDescribed(0, 0, expected, "an empty line");
    textio::ThrowInputError(file_.name(), line(), 0, 0, expected, text);
  }
  [[noreturn]] void FailDescribed(int first, int last, std::string_view expected, std::string_view found) const {
    textio::ThrowDescribedInputError(file_.name(), line(), first, last, expected, found);
  }

  // A field that must hold something: blank fields read as zero, which
  // would hide a cut or shifted record.
  void RequireField(std::string_view text, int first, int w, std::string_view expected) const {
    const std::string_view field = Columns(text, first, w);
    if (IsBlank(field)) {
      FailDescribed(first, first + w - 1, expected,
                    static_cast<std::size_t>(first - 1) >= text.size() ? "the end of the line" : "a blank field");
    }
  }

  // Nothing but blanks after the last field.
  void RequireEndOfRecord(std::string_view text, int last_column) const {
    if (text.size() <= static_cast<std::size_t>(last_column)) return;
    const std::string_view rest = text.substr(static_cast<std::size_t>(last_column));
    if (IsBlank(rest)) return;
    Fail(last_column + 1, static_cast<int>(text.size()), "nothing after column " + Count(last_column), rest);
  }

  std::int32_t ReadInteger(std::string_view text, textio::FieldReader& reader, std::string_view expected) const {
    const int first = reader.column();
    RequireField(text, first, kCountWidth, expected);
    const std::optional<std::int32_t> value = reader.TryI(kCountWidth);
    if (!value) Fail(first, first + kCountWidth - 1, expected, Columns(text, first, kCountWidth));
    return *value;
  }

  // A field that may hold asterisks (nullopt) or a number.
  template <typename T, typename Read>
  std::optional<T> ReadOptional(std::string_view text, textio::FieldReader& reader, int w, std::string_view expected,
                                Read read) const {
    const int first = reader.column();
    RequireField(text, first, w, expected);
    if (IsOverflow(Columns(text, first, w))) {
      reader.Skip(w);
      return std::nullopt;
    }
    const std::optional<T> value = read(reader);
    if (!value) Fail(first, first + w - 1, expected, Columns(text, first, w));
    if constexpr (std::is_floating_point_v<T>) RequireMagnitude(text, first, w, expected, *value);
    return value;
  }

  double ReadReal(std::string_view text, textio::FieldReader& reader, std::string_view expected) const {
    const int first = reader.column();
    RequireField(text, first, kRealWidth, expected);
    const std::optional<double> value = reader.TryF(kRealWidth, kRealDecimals);
    if (!value) Fail(first, first + kRealWidth - 1, expected, Columns(text, first, kRealWidth));
    RequireMagnitude(text, first, kRealWidth, expected, *value);
    return *value;
  }

  // A real of the trailer or a header that the checks compute with.
  void RequireMagnitude(std::string_view text, int first, int w, std::string_view expected, double value) const {
    if (std::abs(value) <= kLargestMagnitude) return;
    Fail(first, first + w - 1, std::string(expected) + ", a number of magnitude at most 1e20",
         Columns(text, first, w));
  }

 private:
  const textio::TextFile& file_;
  textio::RecordCursor cursor_;
};

// A record that holds four real fields: what a component record looks like.
bool LooksLikeComponentRecord(std::string_view text) {
  if (text.size() < static_cast<std::size_t>(kComponentColumns)) return false;
  for (int k = 0; k < kComponentFields; ++k) {
    const std::string_view field = Columns(text, 1 + k * kRealWidth, kRealWidth);
    if (IsBlank(field) || field.find('.') == std::string_view::npos) return false;
  }
  return true;
}

// Field k of a component record (frequency, amplitude, direction, phase)
// within what the checks compute with. Directions and phases of any finite
// size are angles whose sines and cosines the checks take.
bool WithinBounds(int k, double value) {
  if (k == 0) return value >= kSmallestFrequency && value <= kLargestMagnitude;
  if (k == 1) return value >= 0.0 && value <= kLargestMagnitude;
  return true;
}

constexpr const char* kFieldBounds[kComponentFields] = {
    "a frequency above 0 Hz (1e-20 to 1e20 Hz)", "an amplitude of 0 to 1e20 m", "", ""};

// Reads the records of one point into its own lists; ShareValues then
// keeps them once when they are the first point's.
void ReadComponents(Records& records, const PointHeader& header, ComponentSet::Point& point, std::string_view where) {
  const std::size_t count = header.declared_count > 0 ? static_cast<std::size_t>(header.declared_count) : 0;
  point.frequency.resize(count);
  point.amplitude.resize(count);
  point.direction.resize(count);
  point.phase.resize(count);
  const std::string what = std::string("a component record (four E15.6 fields) of ") + std::string(where) +
                           ", whose header in line " + Count(static_cast<std::int64_t>(header.header_line)) +
                           " counts " + Count(header.declared_count) + " components";
  static constexpr const char* kFieldNames[kComponentFields] = {"frequency", "amplitude", "direction", "phase"};
  std::vector<double>* columns[kComponentFields] = {&point.frequency, &point.amplitude, &point.direction, &point.phase};
  for (std::size_t i = 0; i < count; ++i) {
    const std::string_view text = records.Next(what);
    if (IsBlank(text)) {
      records.FailLine(what + " (component " + Count(static_cast<std::int64_t>(i + 1)) + ")", text);
    }
    textio::FieldReader reader(text, records.name(), records.line());
    for (int k = 0; k < kComponentFields; ++k) {
      const int first = reader.column();
      std::optional<double> value;
      if (IsBlank(Columns(text, first, kRealWidth)))
        reader.Skip(kRealWidth);
      else
        value = reader.TryF(kRealWidth, kRealDecimals);
      if (!value || !std::isfinite(*value) || !WithinBounds(k, *value)) {
        // Messages are built only on failure: this loop runs millions of times.
        const std::string expected = std::string("the ") + kFieldNames[k] + " (E15.6) of component " +
                                     Count(static_cast<std::int64_t>(i + 1)) + ", " +
                                     (value && std::isfinite(*value) ? kFieldBounds[k] : "a finite real number");
        records.RequireField(text, first, kRealWidth, expected);
        records.Fail(first, first + kRealWidth - 1, expected, Columns(text, first, kRealWidth));
      }
      (*columns[k])[i] = *value;
    }
    records.RequireEndOfRecord(text, kComponentColumns);
  }
}

void ReadSinglePointHeader(Records& records, PointHeader& point) {
  const std::string_view text = records.Next("record 2: N (I5), spectrum code (I5), gamma (F10.1)");
  point.header_line = records.line();
  textio::FieldReader reader(text, records.name(), records.line());
  point.declared_count = records.ReadInteger(text, reader, "the component count N (I5)");
  point.spectrum_code = records.ReadInteger(text, reader, "the spectrum code (I5)");
  point.gamma = records.ReadOptional<double>(text, reader, kGammaWidth, "gamma (F10.1)",
                                             [](textio::FieldReader& r) { return r.TryF(kGammaWidth, 1); });
  records.RequireEndOfRecord(text, 2 * kCountWidth + kGammaWidth);
}

void ReadEmptyRecords(Records& records, const PointHeader& point) {
  for (int k = 0; k < 2; ++k) {
    const std::string what = "an empty line after the " + Count(point.declared_count) + " components that line " +
                             Count(static_cast<std::int64_t>(point.header_line)) +
                             " counts (the trailer follows two empty lines)";
    const std::string_view text = records.Next(what);
    if (IsBlank(text)) continue;
    if (LooksLikeComponentRecord(text)) {
      records.FailLine(what + "; this line holds one more component, so the count does not match the records", text);
    }
    records.FailLine(what, text);
  }
}

void ReadSmaxRecord(Records& records, ComponentFileTrailer& trailer) {
  const std::string_view text = records.Next("the \"Smax=\" record of the trailer");
  if (Columns(text, 1, static_cast<int>(kSmaxLabel.size())) != kSmaxLabel) {
    records.Fail(1, static_cast<int>(kSmaxLabel.size()), "the text \"Smax=\"", Columns(text, 1, 5));
  }
  textio::FieldReader reader(text, records.name(), records.line());
  reader.Skip(static_cast<int>(kSmaxLabel.size()) + 1);
  trailer.has_smax = true;
  trailer.Smax = records.ReadOptional<double>(text, reader, kSmaxWidth, "Smax (F5.2) in columns 7-11",
                                              [](textio::FieldReader& r) { return r.TryF(kSmaxWidth, kSmaxDecimals); });
  records.RequireEndOfRecord(text, static_cast<int>(kSmaxLabel.size()) + 1 + kSmaxWidth);
}

ComponentFileTrailer ReadTrailer(Records& records) {
  ComponentFileTrailer trailer;
  // The record the writer starts a JNS trailer with; an editor may have
  // dropped its trailing blank.
  std::string jonswap_record;
  textio::PutA(jonswap_record, SpectrumTypeField(SpectrumType::kJonswap), kTypeWidth);
  const std::string_view jonswap_trimmed = TrimmedField(jonswap_record);
  const std::string what = "the settings trailer (\"" + jonswap_record + "\" or H1/3, T1/3, Dirc. as three E15.6)";
  const std::string_view first = records.Next(what);
  trailer.first_line = records.line();
  if (IsBlank(first)) records.FailLine(what, first);
  const std::string_view head = Columns(first, 1, kTypeWidth);
  if (head == jonswap_record || (head == jonswap_trimmed && first.size() == jonswap_trimmed.size())) {
    trailer.kind = TrailerKind::kJonswap;
    records.RequireEndOfRecord(first, kTypeWidth);
    const std::string_view text = records.Next("H1/3, T1/3, Dirc., gamma (four E15.6) of the JNS trailer");
    textio::FieldReader reader(text, records.name(), records.line());
    trailer.H13 = records.ReadReal(text, reader, "H1/3 (E15.6)");
    trailer.T13 = records.ReadReal(text, reader, "T1/3 (E15.6)");
    trailer.Dirc = records.ReadReal(text, reader, "Dirc. (E15.6)");
    trailer.gamma = records.ReadReal(text, reader, "gamma (E15.6)");
    records.RequireEndOfRecord(text, 4 * kRealWidth);
    const std::string_view seed_text = records.Next("the random seed (I5) of the JNS trailer");
    textio::FieldReader seed_reader(seed_text, records.name(), records.line());
    trailer.seed = records.ReadOptional<std::int32_t>(seed_text, seed_reader, kCountWidth, "the random seed (I5)",
                                                      [](textio::FieldReader& r) { return r.TryI(kCountWidth); });
    records.RequireEndOfRecord(seed_text, kCountWidth);
    ReadSmaxRecord(records, trailer);
    return trailer;
  }
  textio::FieldReader reader(first, records.name(), records.line());
  trailer.H13 = records.ReadReal(first, reader, "H1/3 (E15.6) of the trailer");
  trailer.T13 = records.ReadReal(first, reader, "T1/3 (E15.6) of the trailer");
  trailer.Dirc = records.ReadReal(first, reader, "Dirc. (E15.6) of the trailer");
  records.RequireEndOfRecord(first, 3 * kRealWidth);
  const std::string_view name = records.Next("the input spectrum file name (A50) of the trailer");
  std::string_view trimmed = Columns(name, 1, kFileNameWidth);
  while (!trimmed.empty() && trimmed.back() == ' ') trimmed.remove_suffix(1);
  trailer.input_file = std::string(trimmed);
  if (!records.AtEnd() && Columns(records.Peek(), 1, static_cast<int>(kSmaxLabel.size())) == kSmaxLabel) {
    trailer.kind = TrailerKind::kSspe;
    ReadSmaxRecord(records, trailer);
  } else {
    trailer.kind = TrailerKind::kEmepOrEne;
  }
  return trailer;
}

void ReadMultiPointHeader(Records& records, PointHeader& point, std::int32_t v, std::int32_t num_p,
                          const PointHeader* previous) {
  std::string what = "the header of point " + Count(v) + " of " + Count(num_p) +
                     ": N (I5), spectrum code (I5), gamma (F10.1), point number (I5)";
  const std::string_view text = records.Next(what);
  point.header_line = records.line();
  if (LooksLikeComponentRecord(text) && previous != nullptr) {
    records.FailLine(what + "; this line holds a component, so point " + Count(v - 1) +
                         " has more components than its header in line " +
                         Count(static_cast<std::int64_t>(previous->header_line)) + " counts (" +
                         Count(previous->declared_count) + ")",
                     text);
  }
  if (IsBlank(text)) records.FailLine(what, text);
  textio::FieldReader reader(text, records.name(), records.line());
  point.declared_count = records.ReadInteger(text, reader, "the component count N (I5) of point " + Count(v));
  point.spectrum_code = records.ReadInteger(text, reader, "the spectrum code (I5) of point " + Count(v));
  point.gamma = records.ReadOptional<double>(text, reader, kGammaWidth, "gamma (F10.1) of point " + Count(v),
                                             [](textio::FieldReader& r) { return r.TryF(kGammaWidth, 1); });
  point.point_number = records.ReadInteger(text, reader, "the point number (I5) of point " + Count(v));
  records.RequireEndOfRecord(text, 3 * kCountWidth + kGammaWidth);
}

void RequireEndOfFile(Records& records, std::string_view after) {
  while (!records.AtEnd()) {
    const std::string_view text = records.Next("");
    if (!IsBlank(text)) records.FailLine(std::string("the end of the file after ") + std::string(after), text);
  }
}

// The first point's values become the set's; a later point keeps its own
// only where they differ, as a run's points never do. Each point is shared
// as soon as it is read, while its values are at hand, so that the lists it
// gives up are reused for the next.
void ShareValues(ComponentSet& set, std::size_t v) {
  ComponentSet::Point& point = set.points[v];
  if (v == 0) {
    set.frequency = std::move(point.frequency);
    set.direction = std::move(point.direction);
    set.phase = std::move(point.phase);
    point.frequency.clear();
    point.direction.clear();
    point.phase.clear();
    return;
  }
  if (point.amplitude.empty() || point.frequency != set.frequency || point.direction != set.direction ||
      point.phase != set.phase) {
    return;
  }
  point.frequency = {};
  point.direction = {};
  point.phase = {};
}

// What the trailer says of the run, as a RunRecord can hold it.
RunRecord RunOf(const ComponentFileTrailer& trailer) {
  RunRecord run;
  run.type = trailer.kind == TrailerKind::kJonswap ? SpectrumType::kJonswap
             : trailer.kind == TrailerKind::kSspe  ? SpectrumType::kSspe
                                                   : SpectrumType::kEmep;
  run.H13 = trailer.H13;
  run.T13 = trailer.T13;
  run.Dirc = trailer.Dirc;
  run.gamma = trailer.gamma.value_or(0.0);
  run.seed = trailer.seed.value_or(0);
  run.Smax = trailer.Smax.value_or(0.0);
  run.input_file_name = trailer.input_file;
  return run;
}

}  // namespace

ComponentFileContents ReadComponentFile(const textio::TextFile& file) {
  Records records(file);
  ComponentFileContents result;
  result.name = file.name();
  const std::string_view first = records.Next("record 1: the point count (I5)");
  textio::FieldReader reader(first, records.name(), records.line());
  result.num_p = records.ReadInteger(first, reader, "the point count num_p (I5)");
  records.RequireEndOfRecord(first, kCountWidth);
  if (result.num_p < 1) records.Fail(1, kCountWidth, "a point count of 1 or more", Columns(first, 1, kCountWidth));

  if (result.num_p == 1) {
    result.layout = FileLayout::kSinglePoint;
    PointHeader& header = result.headers.emplace_back();
    ComponentSet::Point& point = result.set.points.emplace_back();
    ReadSinglePointHeader(records, header);
    ReadComponents(records, header, point, "the point");
    ReadEmptyRecords(records, header);
    result.trailer = ReadTrailer(records);
    RequireEndOfFile(records, "the settings trailer");
    ShareValues(result.set, 0);
    result.set.run = RunOf(*result.trailer);
    return result;
  }

  result.layout = FileLayout::kMultiPoint;
  // Every header is followed by its records, so a file this short cannot
  // hold num_p points: refuse before reserving room for them.
  if (static_cast<std::size_t>(result.num_p) > file.record_count()) {
    records.Fail(1, kCountWidth,
                 "a point count that the file can hold (it has " +
                     Count(static_cast<std::int64_t>(file.record_count())) + " lines)",
                 Columns(first, 1, kCountWidth));
  }
  result.headers.resize(static_cast<std::size_t>(result.num_p));
  result.set.points.resize(static_cast<std::size_t>(result.num_p));
  for (std::int32_t v = 1; v <= result.num_p; ++v) {
    PointHeader& header = result.headers[static_cast<std::size_t>(v - 1)];
    ReadMultiPointHeader(records, header, v, result.num_p,
                         v > 1 ? &result.headers[static_cast<std::size_t>(v - 2)] : nullptr);
    ComponentSet::Point& point = result.set.points[static_cast<std::size_t>(v - 1)];
    point.number = header.point_number;
    ReadComponents(records, header, point, "point " + Count(v));
    ShareValues(result.set, static_cast<std::size_t>(v - 1));
  }
  RequireEndOfFile(records, "the last point (" + Count(result.num_p) + " points counted in line 1)");
  result.set.run.type = SpectrumType::kEmep;
  return result;
}

}  // namespace wavecomp
