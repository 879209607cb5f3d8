// Glossary: k frequency index, j direction index (0-based), p point, t time.
#include "input/ww3_spectra.h"

#include <cmath>
#include <numbers>

#include "core/workspace.h"
#include "input/spectral_sources.h"
#include "input/text_words.h"
#include "textio/errors.h"
#include "textio/format.h"

namespace wavecomp::spectra {
namespace {

constexpr double kDegreesPerRadian = 180.0 / std::numbers::pi;

long Count(WordReader& in, std::string_view what, long high) {
  const std::optional<Word> word = in.NextWord();
  const std::string expected = std::string(what) + " (an integer from 1 to " + std::to_string(high) + ")";
  if (!word) textio::ThrowInputError(in.name(), in.line(), 0, 0, expected + " on this line", "");
  const long value = in.Integer(*word, expected);
  if (value < 1 || value > high) in.Refuse(*word, expected);
  return value;
}

// "YYYYMMDD HHMMSS" of a time line.
swan::TimeStep ReadTime(WordReader& in) {
  const std::optional<Word> date = in.NextWord();
  const std::optional<Word> clock = in.NextWord();
  const auto digits = [](const std::optional<Word>& word, std::size_t count) {
    if (!word || word->text.size() != count) return false;
    for (const char c : word->text) {
      if (c < '0' || c > '9') return false;
    }
    return true;
  };
  if (!digits(date, 8) || !digits(clock, 6)) {
    const std::optional<Word>& bad = digits(date, 8) ? clock : date;
    if (!bad) textio::ThrowInputError(in.name(), in.line(), 0, 0, "a time YYYYMMDD HHMMSS on this line", in.text());
    in.Refuse(*bad, "a time YYYYMMDD HHMMSS");
  }
  const long day = in.Integer(*date, "a date YYYYMMDD");
  const long hms = in.Integer(*clock, "a time HHMMSS");
  if (const std::optional<Word> extra = in.NextWord()) in.Refuse(*extra, "the end of the line after the time");
  return StampedTime(static_cast<int>(day / 10000), static_cast<int>(day / 100 % 100), static_cast<int>(day % 100),
                     static_cast<int>(hms / 10000), static_cast<int>(hms / 100 % 100), static_cast<int>(hms % 100));
}

}  // namespace

bool LooksLikeWw3(std::string_view head) { return head.starts_with(kWw3Title); }

swan::SwanFile ReadWw3Spectra(const textio::TextFile& text) {
  WordReader in(text);
  if (!in.NextLine()) in.RefuseEnd(std::string(kWw3Title) + " and the counts of frequencies, directions and points");
  const std::optional<Word> title = in.NextQuoted();
  if (!title || title->text != kWw3Title) in.Refuse(*title, std::string(kWw3Title) + " opening the file");
  const std::size_t nk = static_cast<std::size_t>(Count(in, "the number of frequencies", kMaxFrequencies));
  const std::size_t nth = static_cast<std::size_t>(Count(in, "the number of directions", kMaxDirections));
  const std::size_t np = static_cast<std::size_t>(Count(in, "the number of points", kMaxPoints));
  while (in.NextQuoted()) {  // the grid's name
  }

  std::vector<double> f(nk);
  for (std::size_t k = 0; k < nk; ++k) {
    const Word word = in.NextDataWord("frequency " + std::to_string(k + 1) + " of " + std::to_string(nk));
    f[k] = in.Real(word, "a frequency (Hz)");
    if (!(f[k] > 0.0) || (k > 0 && !(f[k] > f[k - 1]))) in.Refuse(word, "a positive frequency above the one before");
  }
  std::vector<double> from(nth);
  for (std::size_t j = 0; j < nth; ++j) {
    const Word word = in.NextDataWord("direction " + std::to_string(j + 1) + " of " + std::to_string(nth));
    const double radians = in.Real(word, "a direction (radians)");
    if (!(radians >= -2.0 * std::numbers::pi && radians <= 2.0 * std::numbers::pi)) {
      in.Refuse(word, "a direction in radians (-2 pi to 2 pi)");
    }
    from[j] = FromOfGoingTo(radians * kDegreesPerRadian);
  }
  swan::SwanFile file = Directional2D(text.name(), "WAVEWATCH III", f, from);

  std::vector<std::string> names;
  while (in.NextLine()) {
    swan::TimeStep& time = file.times.emplace_back(ReadTime(in));
    time.line = in.line();
    for (std::size_t p = 0; p < np; ++p) {
      const std::string which = "point " + std::to_string(p + 1) + " of " + std::to_string(np) + " at " + time.stamp;
      if (!in.NextLine()) in.RefuseEnd("the line of " + which + " ('name' latitude longitude ...)");
      const std::optional<Word> name = in.NextQuoted();
      if (!name || name->text.size() < 2 || name->text.front() != '\'' || name->text.back() != '\'') {
        in.Refuse(*name, "the quoted name of " + which);
      }
      const std::optional<Word> lat = in.NextWord();
      const std::optional<Word> lon = lat ? in.NextWord() : std::nullopt;
      if (!lon)
        textio::ThrowInputError(in.name(), in.line(), 0, 0, "the latitude and longitude of " + which, in.text());
      const swan::Location where{in.Real(*lon, "a longitude"), in.Real(*lat, "a latitude")};
      if (file.times.size() == 1) {
        file.locations.push_back(where);
        names.emplace_back(name->text.substr(1, name->text.size() - 2));
      }
      swan::LocationBlock& block = time.locations.emplace_back();
      block.kind = swan::BlockKind::kValues;
      block.line = in.line();
      block.factor = 1.0;
      block.values.assign(nk * nth, 0.0);
      while (in.NextWord()) {  // depth, wind and current: not needed
      }
      for (std::size_t j = 0; j < nth; ++j) {
        for (std::size_t k = 0; k < nk; ++k) {
          const Word word =
              in.NextDataWord("the " + std::to_string(nk) + " x " + std::to_string(nth) + " densities of " + which);
          const double value = in.Real(word, "a density (m2/Hz/rad)");
          if (!(value >= 0.0)) in.Refuse(word, "a density that is not negative (m2/Hz/rad)");
          block.values[k * nth + j] = value / kDegreesPerRadian;
        }
      }
      if (const std::optional<Word> extra = in.NextWord()) {
        in.Refuse(*extra, "the end of the line after the " + std::to_string(nk * nth) + " densities of " + which);
      }
    }
  }
  if (file.times.empty()) in.RefuseEnd("a time YYYYMMDD HHMMSS after the directions");

  std::string points;
  for (std::size_t p = 0; p < names.size() && p < 8; ++p) {
    std::string name = names[p];
    while (!name.empty() && name.back() == ' ') name.pop_back();
    points += (p > 0 ? ", " : "") + std::to_string(p + 1) + " " + name;
  }
  if (names.size() > 8) points += ", ...";
  file.description = "2D point spectra (ww3_outp text layout), " + std::to_string(file.times.size()) +
                     (file.times.size() == 1 ? " time, " : " times, ") + std::to_string(np) +
                     (np == 1 ? " point (" : " points (") + points + "), " + std::to_string(nk) + " frequencies " +
                     textio::FixedNumber(f.front(), 4) + " to " + textio::FixedNumber(f.back(), 4) + " Hz, " +
                     std::to_string(nth) +
                     " directions (radians, travelling to, clockwise from North: turned to coming from), densities "
                     "m2/Hz/rad (divided by 180/pi)";
  return file;
}

}  // namespace wavecomp::spectra
