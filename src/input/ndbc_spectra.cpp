// Glossary: i frequency index, j grid direction index, r record (0-based).
#include "input/ndbc_spectra.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <optional>

#include "core/front_door.h"
#include "core/workspace.h"
#include "input/netcdf_spectra.h"
#include "input/spectral_sources.h"
#include "input/text_words.h"
#include "synthesis/max_entropy.h"
#include "textio/errors.h"
#include "textio/format.h"

namespace wavecomp::spectra {
namespace {

constexpr double kMissing = std::numeric_limits<double>::quiet_NaN();
// NDBC's missing-value codes: 999 (written 999, 999.0 or 999.00) for every
// quantity, 99.00 for a density as well.
constexpr double kMissingCode = 999.0;
constexpr double kMissingDensity = 99.0;
// Historical r1 and r2 files hold hundredths (0 to 100).
constexpr double kLargestRatio = 1.0;
constexpr double kHundredths = 100.0;

// A file's whole text, gzip or plain (zlib reads plain files as they are).
textio::TextFile ReadWhole(const std::string& path, std::string_view kind) {
  struct stat status {};
  const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0 || ::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
    if (descriptor >= 0) ::close(descriptor);
    throw textio::UnopenableFile(kind, path);
  }
  gzFile file = ::gzdopen(descriptor, "rb");
  if (file == nullptr) {
    ::close(descriptor);
    throw textio::UnopenableFile(kind, path);
  }
  std::string content;
  char buffer[65536];
  for (;;) {
    const int got = ::gzread(file, buffer, sizeof buffer);
    if (got < 0) {
      int code = 0;
      const std::string why = ::gzerror(file, &code);
      ::gzclose(file);
      textio::ThrowDescribedInputError(path, 0, 0, 0, "a plain or gzip text file", "unreadable data (" + why + ")");
    }
    if (got == 0) break;
    content.append(buffer, static_cast<std::size_t>(got));
  }
  ::gzclose(file);
  return textio::TextFile::FromString(path, std::move(content));
}

struct Row {
  swan::TimeStep time;
  std::size_t line = 0;
  std::vector<double> values;  // NaN where missing
};

struct Table {
  std::string name;
  std::vector<double> f;
  std::vector<Row> rows;
  std::size_t missing = 0;
};

bool IsCode(double value, bool density) { return value == kMissingCode || (density && value == kMissingDensity); }

// The date of a record: YYYY (or YY) MM DD hh [mm].
swan::TimeStep ReadDate(WordReader& in, int columns) {
  long parts[5] = {0, 0, 0, 0, 0};
  static constexpr const char* kNames[5] = {"a year", "a month", "a day", "an hour", "a minute"};
  static constexpr long kHighest[5] = {9999, 12, 31, 23, 59};
  for (int k = 0; k < columns; ++k) {
    const std::optional<Word> word = in.NextWord();
    if (!word) textio::ThrowInputError(in.name(), in.line(), 0, 0, std::string(kNames[k]) + " on this line", "");
    parts[k] = in.Integer(*word, kNames[k]);
    if (parts[k] < (k == 1 || k == 2 ? 1 : 0) || parts[k] > kHighest[k]) in.Refuse(*word, kNames[k]);
  }
  if (parts[0] < 100) parts[0] += 1900;
  return StampedTime(static_cast<int>(parts[0]), static_cast<int>(parts[1]), static_cast<int>(parts[2]),
                     static_cast<int>(parts[3]), static_cast<int>(parts[4]), 0);
}

double Value(WordReader& in, const Word& word, bool density, std::size_t& missing) {
  const double value = in.Real(word, density ? "a spectral density (m2/Hz)" : "a value");
  if (IsCode(value, density)) {
    ++missing;
    return kMissing;
  }
  return value;
}

void CheckFrequency(WordReader& in, const Word& word, double value, const std::vector<double>& f, std::size_t i,
                    bool first) {
  if (first) {
    if (!(value > 0.0) || (i > 0 && !(value > f[i - 1]))) in.Refuse(word, "a frequency above the one before (Hz)");
    return;
  }
  if (i >= f.size() || std::fabs(value - f[i]) > 1e-9) {
    in.Refuse(word, i >= f.size() ? "the end of the line after the " + std::to_string(f.size()) +
                                        " frequencies of the first record"
                                  : "(" + textio::FixedNumber(f[i], 4) + "), the frequency of the first record");
  }
}

// A realtime file: per record the date, [the separation frequency], then
// "value (frequency)" pairs.
Table ReadRealtime(const textio::TextFile& text, bool separation, bool density) {
  WordReader in(text);
  Table table{text.name(), {}, {}, 0};
  while (in.NextLine()) {
    if (in.text()[in.text().find_first_not_of(" \t")] == '#') continue;  // the headers
    Row& row = table.rows.emplace_back();
    row.time = ReadDate(in, 5);
    row.line = in.line();
    if (separation) {
      const std::optional<Word> word = in.NextWord();
      if (!word) textio::ThrowInputError(in.name(), in.line(), 0, 0, "the separation frequency on this line", "");
      in.Real(*word, "the separation frequency (Hz)");
    }
    const bool first = table.rows.size() == 1;
    for (std::size_t i = 0;; ++i) {
      const std::optional<Word> value = in.NextWord();
      if (!value) {
        if (!first && i < table.f.size()) {
          textio::ThrowInputError(in.name(), in.line(), 0, 0,
                                  std::to_string(table.f.size()) + " value (frequency) pairs, as the first record",
                                  "the end of the line after " + std::to_string(i));
        }
        break;
      }
      const std::optional<Word> frequency = in.NextWord();
      if (!frequency || frequency->text.size() < 3 || frequency->text.front() != '(' || frequency->text.back() != ')') {
        if (!frequency) textio::ThrowInputError(in.name(), in.line(), 0, 0, "a frequency (Hz) in brackets", "");
        in.Refuse(*frequency, "a frequency (Hz) in brackets");
      }
      Word inner = *frequency;
      inner.text = inner.text.substr(1, inner.text.size() - 2);
      const double f = in.Real(inner, "a frequency (Hz) in brackets");
      CheckFrequency(in, *frequency, f, table.f, i, first);
      if (first) table.f.push_back(f);
      row.values.push_back(Value(in, *value, density, table.missing));
    }
    if (row.values.empty()) textio::ThrowInputError(in.name(), in.line(), 0, 0, "value (frequency) pairs", "none");
  }
  if (table.rows.empty()) in.RefuseEnd("a record after the header");
  return table;
}

// A historical file: a header naming the frequencies, then per record the
// date and one value per frequency.
Table ReadHistorical(const textio::TextFile& text, bool density) {
  WordReader in(text);
  Table table{text.name(), {}, {}, 0};
  if (!in.NextLine()) in.RefuseEnd("the header \"#YY MM DD hh mm\" and the frequencies");
  std::vector<Word> header;
  while (const std::optional<Word> word = in.NextWord()) header.push_back(*word);
  const bool minutes = header.size() > 4 && (header[4].text == "mm" || header[4].text == "MM");
  const std::size_t first = minutes ? 5 : 4;
  if (header.size() <= first ||
      (header[0].text != "#YY" && header[0].text != "YY" && header[0].text != "YYYY" && header[0].text != "#YYYY")) {
    in.Refuse(header.front(), "the header \"#YY MM DD hh mm\" followed by the frequencies");
  }
  for (std::size_t k = first; k < header.size(); ++k) {
    const double f = in.Real(header[k], "a frequency (Hz)");
    CheckFrequency(in, header[k], f, table.f, k - first, true);
    table.f.push_back(f);
  }
  while (in.NextLine()) {
    if (in.text()[in.text().find_first_not_of(" \t")] == '#') continue;  // units lines
    Row& row = table.rows.emplace_back();
    row.time = ReadDate(in, minutes ? 5 : 4);
    row.line = in.line();
    for (std::size_t i = 0; i < table.f.size(); ++i) {
      const std::optional<Word> word = in.NextWord();
      if (!word) {
        textio::ThrowInputError(in.name(), in.line(), 0, 0,
                                std::to_string(table.f.size()) + " values, one per frequency of the header",
                                "the end of the line after " + std::to_string(i));
      }
      row.values.push_back(Value(in, *word, density, table.missing));
    }
    if (const std::optional<Word> extra = in.NextWord()) {
      in.Refuse(*extra, "the end of the line after the " + std::to_string(table.f.size()) +
                            " values of the header's "
                            "frequencies");
    }
  }
  if (table.rows.empty()) in.RefuseEnd("a record after the header");
  return table;
}

bool Exists(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0;
}

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Where the density letter stands in a historical name: the station (5
// letters or digits), then w, then the year.
std::optional<std::size_t> HistoricalLetter(const std::string& path) {
  const std::string base = BaseName(path);
  for (std::size_t k = 1; k + 1 < base.size(); ++k) {
    if (base[k] == 'w' && base[k + 1] >= '0' && base[k + 1] <= '9') return path.size() - base.size() + k;
  }
  return std::nullopt;
}

// r1, r2 of a historical file in hundredths when any exceeds 1.
void ScaleRatios(Table& table) {
  bool hundredths = false;
  for (const Row& row : table.rows) {
    for (const double value : row.values) hundredths = hundredths || value > kLargestRatio;
  }
  if (!hundredths) return;
  for (Row& row : table.rows) {
    for (double& value : row.values) value /= kHundredths;
  }
}

BuoySeries Assemble(Table density, std::vector<Table> directions, std::string layout) {
  BuoySeries series;
  series.name = density.name;
  series.layout = std::move(layout);
  series.frequencies = density.f;
  series.directional = !directions.empty();
  series.missing_density = density.missing;
  std::size_t missing_directions = 0;
  for (const Table& table : directions) {
    missing_directions += table.missing;
    if (table.f.size() != density.f.size() ||
        !std::equal(table.f.begin(), table.f.end(), density.f.begin(),
                    [](double a, double b) { return std::fabs(a - b) <= 1e-9; })) {
      textio::ThrowDescribedInputError(table.name, 1, 0, 0,
                                       "the " + std::to_string(density.f.size()) + " frequencies of " + density.name,
                                       std::to_string(table.f.size()) + " frequencies that differ");
    }
  }
  std::vector<std::map<std::string, const Row*>> by_time(directions.size());
  for (std::size_t k = 0; k < directions.size(); ++k) {
    for (const Row& row : directions[k].rows) by_time[k][row.time.stamp] = &row;
  }
  std::size_t incomplete = 0;
  for (const Row& row : density.rows) {
    BuoyRecord record;
    record.time = row.time;
    record.time.line = row.line;
    record.density = row.values;
    std::vector<double>* parts[4] = {&record.alpha1, &record.alpha2, &record.r1, &record.r2};
    bool complete = true;
    for (std::size_t k = 0; k < directions.size(); ++k) {
      const auto found = by_time[k].find(row.time.stamp);
      if (found == by_time[k].end()) {
        complete = false;
        break;
      }
      *parts[k] = found->second->values;
    }
    if (!complete) {
      ++incomplete;
      continue;
    }
    series.records.push_back(std::move(record));
  }
  std::sort(series.records.begin(), series.records.end(),
            [](const BuoyRecord& a, const BuoyRecord& b) { return a.time.stamp < b.time.stamp; });
  if (incomplete > 0) {
    series.notes.push_back(std::to_string(incomplete) + " records of " + density.name +
                           " lack a record of the same time in a direction file and were left out");
  }
  if (missing_directions > 0) {
    series.notes.push_back(std::to_string(missing_directions) +
                           " direction values (alpha1, alpha2, r1, r2) were missing (999)");
  }
  if (series.records.empty()) {
    throw Refusal("no record of " + density.name + " has its time in every direction file: no spectrum to convert");
  }
  return series;
}

BuoySeries ReadRealtimeSet(const std::string& path) {
  const std::string stem = path.substr(0, path.size() - std::string_view(".data_spec").size());
  const char* const kSuffixes[4] = {".swdir", ".swdir2", ".swr1", ".swr2"};
  std::size_t present = 0;
  for (const char* suffix : kSuffixes) present += Exists(stem + suffix) ? 1 : 0;
  Table density = ReadRealtime(ReadWhole(path, "NDBC spectral density file"), true, true);
  std::vector<Table> directions;
  if (present > 0) {
    for (const char* suffix : kSuffixes) {
      Table table = ReadRealtime(ReadWhole(stem + suffix, "NDBC direction file"), false, false);
      directions.push_back(std::move(table));
    }
  }
  return Assemble(std::move(density), std::move(directions),
                  present > 0 ? "realtime five-file set (.data_spec, .swdir, .swdir2, .swr1, .swr2)"
                              : "realtime spectral density (.data_spec) alone, no direction files");
}

BuoySeries ReadHistoricalSet(const std::string& path, std::size_t letter) {
  const char kLetters[4] = {'d', 'i', 'j', 'k'};
  std::size_t present = 0;
  std::vector<std::string> names;
  for (const char c : kLetters) {
    std::string name = path;
    name[letter] = c;
    present += Exists(name) ? 1 : 0;
    names.push_back(std::move(name));
  }
  Table density = ReadHistorical(ReadWhole(path, "NDBC spectral density file"), true);
  std::vector<Table> directions;
  if (present > 0) {
    for (std::size_t k = 0; k < 4; ++k) {
      Table table = ReadHistorical(ReadWhole(names[k], "NDBC direction file"), false);
      if (k >= 2) ScaleRatios(table);
      directions.push_back(std::move(table));
    }
  }
  return Assemble(std::move(density), std::move(directions),
                  present > 0 ? "historical yearly files (w, d, i, j, k)"
                              : "historical spectral density (w) alone, no direction files");
}

}  // namespace

swan::SwanFile BuoySpectra(const BuoySeries& series) {
  const std::vector<double>& f = series.frequencies;
  const std::size_t nf = f.size();
  swan::SwanFile file;
  std::vector<double> grid(kBuoyDirections);
  const double step = 360.0 / kBuoyDirections;
  for (std::size_t j = 0; j < grid.size(); ++j) grid[j] = step * static_cast<double>(j);
  if (series.directional) {
    file = Directional2D(series.name, "NDBC", f, grid);
  } else {
    file = Frequency1D(series.name, "NDBC", f);
  }
  file.locations.push_back({series.longitude, series.latitude});
  std::size_t even = 0, first_order = 0;
  std::vector<std::string> without_directions;
  std::vector<double> D(grid.size());
  for (const BuoyRecord& record : series.records) {
    swan::TimeStep& time = file.times.emplace_back(record.time);
    swan::LocationBlock& block = time.locations.emplace_back();
    block.kind = swan::BlockKind::kValues;
    block.line = record.time.line;
    block.factor = 1.0;
    bool directed = false;
    std::size_t evenly = 0;
    for (std::size_t i = 0; i < nf; ++i) {
      const double S = std::isnan(record.density[i]) ? 0.0 : std::max(0.0, record.density[i]);
      if (std::isnan(record.density[i])) ++block.missing;
      if (!series.directional) {
        block.rows.push_back({S, 0.0, 0.0, true, true});
        continue;
      }
      if (i == 0) block.values.assign(nf * grid.size(), 0.0);
      if (!(S > 0.0)) continue;
      // Without r2 and alpha2, or with a pair that no distribution with this
      // r1 and alpha1 has, the estimate from r1 and alpha1 alone: the
      // largest entropy given c1 only, whose c2 is c1^2 (a wrapped Cauchy
      // distribution). Setting c2 to 0 instead would ask for a distribution
      // that does not exist once r1 exceeds 1/sqrt(2).
      const double r1 = record.r1[i], alpha1 = record.alpha1[i];
      const bool second = !std::isnan(record.r2[i]) && !std::isnan(record.alpha2[i]);
      bool estimated = second && MaxEntropyDistribution(r1, alpha1, record.r2[i], record.alpha2[i], grid, step, D);
      if (!estimated) {
        estimated = MaxEntropyDistribution(r1, alpha1, r1 * r1, alpha1, grid, step, D);
        if (estimated) ++first_order;
      }
      if (!estimated) {
        std::fill(D.begin(), D.end(), 1.0 / 360.0);
        ++even;
      }
      for (std::size_t j = 0; j < grid.size(); ++j) block.values[i * grid.size() + j] = S * D[j];
      directed = directed || estimated;
      evenly += estimated ? 0 : 1;
    }
    // A record with energy but no direction at any frequency would be an
    // even sea, half of it travelling offshore: it holds no directional
    // spectrum, and is refused when selected.
    if (series.directional && !directed && evenly > 0) {
      block.kind = swan::BlockKind::kNoData;
      block.values.clear();
      even -= evenly;
      without_directions.push_back(time.stamp);
    }
  }
  file.notes = series.notes;
  if (series.missing_density > 0) {
    file.notes.push_back(std::to_string(series.missing_density) +
                         " spectral densities were missing (99.00 or 999) and taken as zero energy");
  }
  if (even > 0) {
    file.notes.push_back(std::to_string(even) +
                         " record frequencies with energy but no usable alpha1 and r1 were spread evenly round the "
                         "circle");
  }
  if (first_order > 0) {
    file.notes.push_back(std::to_string(first_order) +
                         " record frequencies without r2 and alpha2, or with a pair that fits no distribution with "
                         "their r1 and alpha1, were estimated from r1 and alpha1 alone");
  }
  if (!without_directions.empty()) {
    file.no_data_reason = "no alpha1 and r1 at any frequency with energy: no directional spectrum";
    file.notes.push_back(std::to_string(without_directions.size()) +
                         " records have no alpha1 and r1 at any frequency with energy and hold no directional "
                         "spectrum (from " +
                         without_directions.front() + " to " + without_directions.back() + ")");
  }
  if (!series.directional) {
    file.notes.push_back(
        "no direction files: the Sspe tables have no principal direction (0, shore-normal) and "
        "no suggested Smax");
  }
  file.description =
      series.layout + ", " + std::to_string(file.times.size()) + (file.times.size() == 1 ? " record, " : " records, ") +
      std::to_string(nf) + " frequencies " + textio::FixedNumber(f.front(), 4) + " to " +
      textio::FixedNumber(f.back(), 4) + " Hz" +
      (series.directional ? ", directions by the maximum entropy method from r1, alpha1, r2, alpha2 (alpha: coming "
                            "from, clockwise from North) on " +
                                std::to_string(kBuoyDirections) + " directions"
                          : ", 1D (no directions)");
  return file;
}

bool LooksLikeNdbc(const std::string& path) {
  if (path.ends_with(".data_spec")) return true;
  if (LooksLikeNetcdf(path)) return IsNdbcNetcdf(path);
  const std::string head = FileHead(path, 2);
  const bool gzip = head.size() == 2 && head[0] == '\x1f' && head[1] == '\x8b';
  if (!HistoricalLetter(path)) return false;
  if (gzip) return true;
  const std::string text = FileHead(path, 4);
  return text.starts_with("#YY") || text.starts_with("YY");
}

swan::SwanFile ReadNdbcSpectra(const std::string& path) {
  if (path.ends_with(".data_spec")) return BuoySpectra(ReadRealtimeSet(path));
  if (LooksLikeNetcdf(path)) return BuoySpectra(ReadNdbcNetcdf(path));
  const std::optional<std::size_t> letter = HistoricalLetter(path);
  if (!letter) {
    if (!Exists(path)) throw textio::UnopenableFile("NDBC spectral density file", path);
    throw Refusal(path +
                  " is not named as an NDBC spectral density file: STATION.data_spec (realtime), "
                  "STATIONwYEAR... (historical, plain or .gz) or a netCDF file");
  }
  return BuoySpectra(ReadHistoricalSet(path, *letter));
}

}  // namespace wavecomp::spectra
