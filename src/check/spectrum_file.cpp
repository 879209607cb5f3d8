#include "check/spectrum_file.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

#include "check/component_file.h"
#include "textio/records.h"

namespace wavecomp::check {
namespace {

constexpr int kSpeWidth = 20;  // E20.8, three per record of jonswap.spe
constexpr int kSpeDecimals = 8;
constexpr std::size_t kSpeColumns = 3 * kSpeWidth;

// jonswap.spe is recognised by its first record: three E20.8 fields, each
// with a decimal point and an exponent. A table's first line holds three free
// values, which never fill 20 columns each with that layout.
bool LooksLikeJonswapSpe(std::string_view first) {
  if (first.size() < kSpeColumns) return false;
  for (std::size_t k = 0; k < 3; ++k) {
    const std::string_view field = first.substr(k * kSpeWidth, kSpeWidth);
    if (field.find('.') == std::string_view::npos || field.find_first_of("Ee") == std::string_view::npos) return false;
  }
  return true;
}

TargetSpectrum ReadJonswapSpe(const textio::TextFile& file) {
  textio::RecordCursor cursor(file);
  std::vector<double> f, S;
  f.reserve(file.record_count());
  S.reserve(file.record_count());
  while (!cursor.AtEnd()) {
    const std::string_view text = cursor.NextText("");
    if (std::all_of(text.begin(), text.end(), [](char c) { return c == ' '; })) continue;
    textio::FieldReader reader(text, file.name(), cursor.line_number());
    const double frequency = reader.E(kSpeWidth, kSpeDecimals);
    const double density = reader.E(kSpeWidth, kSpeDecimals);
    if (!f.empty() && !(frequency > f.back())) {
      textio::ThrowInputError(file.name(), cursor.line_number(), 1, kSpeWidth,
                              "a frequency above the one of the line before", text.substr(0, kSpeWidth));
    }
    f.push_back(frequency);
    S.push_back(density);
  }
  if (f.size() < 2) {
    textio::ThrowDescribedInputError(file.name(), cursor.line_number() + 1, 0, 0, "at least two records of jonswap.spe",
                                     "the end of the file");
  }
  return TargetSpectrum::Samples(file.name(), std::move(f), std::move(S));
}

TargetSpectrum ReadSpectrumTable(const textio::TextFile& file) {
  textio::RecordCursor cursor(file);
  std::array<double, 3> settings{};
  if (!cursor.ReadList(settings, "H1/3, T1/3, Dirc. (three numbers) on the first line")) {
    textio::ThrowDescribedInputError(file.name(), cursor.line_number() + 1, 0, 0,
                                     "H1/3, T1/3, Dirc. (three numbers) on the first line", "the end of the file");
  }
  std::vector<double> f, S;
  std::array<double, 2> pair{};
  while (cursor.ReadList(pair, "a frequency (Hz) and a spectral density (m^2 s)")) {
    f.push_back(pair[0]);
    S.push_back(pair[1]);
  }
  std::optional<TargetSpectrum> target = TargetSpectrum::SplineTable(file.name(), f, S);
  if (!target) {
    textio::ThrowDescribedInputError(file.name(), 2, 0, 0,
                                     "a table of 3 to 3000 frequency-density pairs in strictly ascending frequency",
                                     std::to_string(f.size()) + " pairs that the spline cannot take");
  }
  return *std::move(target);
}

}  // namespace

TargetSpectrum ReadTargetSpectrum(const std::string& path) {
  const std::optional<textio::TextFile> file = textio::TextFile::Open(path);
  if (!file) throw textio::InputError::Unreadable("spectrum file", path);
  if (file->record_count() > 0 && LooksLikeJonswapSpe(file->record(0))) return ReadJonswapSpe(*file);
  return ReadSpectrumTable(*file);
}

}  // namespace wavecomp::check
