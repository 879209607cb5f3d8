#include "import/writers.h"

#include <algorithm>
#include <vector>

#include "textio/format.h"

namespace wavecomp::importer {
namespace {

using emep_layout::kHeaderIntegerWidth;
using emep_layout::kLabelWidth;
using emep_layout::kPointCountWidth;
using emep_layout::kValuesPerRecord;

// Text is handed on in pieces of about this size.
constexpr std::size_t kPieceBytes = std::size_t{1} << 18;

void PutE(std::string& out, double value, NumberFormat format) { textio::PutE(out, value, format.w, format.d); }

// Hands the gathered lines on once there are enough of them.
void Hand(std::string& text, const TextSink& sink) {
  if (text.size() < kPieceBytes) return;
  sink(text);
  text.clear();
}

}  // namespace

void WriteEmepData(const EmepConversion& conversion, const std::string& title, const swan::TimeStep& time,
                   const TextSink& sink) {
  const RefinedGrid& grid = conversion.refinement.grid;
  const std::size_t width = static_cast<std::size_t>(conversion.mdd);
  const std::size_t nss = grid.frequencies.size();
  std::string text;
  text.reserve(2 * kPieceBytes);
  text += title;
  text += '\n';
  std::vector<double> row(width);
  std::vector<double> S(1);
  for (std::size_t v = 0; v < conversion.points.size(); ++v) {
    const EmepPoint& point = conversion.points[v];
    if (v > 0) text += "-------- " + conversion.model + " location " + std::to_string(point.location) + "\n";
    std::string label = "LOCATION " + std::to_string(point.location);
    label.resize(kLabelWidth, ' ');
    textio::PutA(text, label, kLabelWidth);
    for (const int value : {time.year, time.month, time.day, time.hour, time.minute}) {
      textio::PutI(text, value, kHeaderIntegerWidth);
    }
    textio::PutI(text, static_cast<std::int64_t>(nss), kHeaderIntegerWidth);
    textio::PutI(text, conversion.mdd, kHeaderIntegerWidth);
    text += '\n';
    for (std::size_t m = 0; m < nss; ++m) {
      RefinedRow(point.S, 1, grid, m, S.data());
      PutE(text, grid.frequencies[m], kEmepFormat);
      PutE(text, S[0], kEmepFormat);
      text += '\n';
      RefinedRow(point.D, width, grid, m, row.data());
      for (std::size_t j = 0; j < width; ++j) {
        PutE(text, row[j], kEmepFormat);
        if ((j + 1) % kValuesPerRecord == 0 || j + 1 == width) text += '\n';
      }
      Hand(text, sink);
    }
  }
  sink(text);
}

void WritePointList(const EmepConversion& conversion, const TextSink& sink) {
  std::string text;
  textio::PutI(text, static_cast<std::int64_t>(conversion.points.size()), kPointCountWidth);
  text += '\n';
  for (const EmepPoint& point : conversion.points) {
    textio::PutI(text, static_cast<std::int64_t>(point.location), kPointCountWidth);
    text += '\n';
  }
  sink(text);
}

void WriteSspeTable(const SspeTable& table, const TextSink& sink) {
  std::string text;
  textio::PutF(text, table.h13, sspe_layout::kHeaderWidth, sspe_layout::kHeaderDecimals);
  textio::PutF(text, table.t13, sspe_layout::kHeaderWidth, sspe_layout::kHeaderDecimals);
  textio::PutF(text, table.direction, sspe_layout::kHeaderWidth, sspe_layout::kHeaderDecimals);
  text += '\n';
  const RefinedGrid& grid = table.refinement.grid;
  double S = 0.0;
  for (std::size_t m = 0; m < grid.frequencies.size(); ++m) {
    RefinedRow(table.S, 1, grid, m, &S);
    PutE(text, grid.frequencies[m], kSspeFormat);
    PutE(text, S, kSspeFormat);
    text += '\n';
  }
  sink(text);
}

}  // namespace wavecomp::importer
