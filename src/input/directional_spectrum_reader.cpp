// Reader of the Emep input: directional spectra at one or more points along
// the shore, from a data file and its point-list file "<name>.pnt".
//
// Glossary: v = point (block) index 1..num_p; l = frequency index 1..nss;
// j = direction index 1..mdd of a block, direction j at -180 + (j-1)*360/mdd
// degrees (the full circle). Every point is returned as the file gives it,
// on all mdd directions; the mean over the points and the directions a run
// keeps are the chain's (resample/input_tables.h).
#include "input/directional_spectrum_reader.h"

#include <algorithm>
#include <array>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/messages.h"
#include "core/run_stop.h"
#include "core/workspace.h"
#include "input/control_file.h"
#include "input/diagnostics.h"
#include "input/emep_layout.h"
#include "input/point_list.h"
#include "textio/format.h"
#include "textio/records.h"

namespace wavecomp {
namespace {

using emep_layout::kHeaderIntegers;
using emep_layout::kHeaderIntegerWidth;
using emep_layout::kLabelWidth;
using emep_layout::kMddColumn;
using emep_layout::kNssColumn;
using emep_layout::kRealDecimals;
using emep_layout::kRealWidth;
using emep_layout::kTitleWidth;
using emep_layout::kValuesPerRecord;
constexpr int kCountWidth = emep_layout::kPointCountWidth;
constexpr int kWarningLabelWidth = 14;

struct BlockHeader {
  std::string label;
  std::array<std::int32_t, kHeaderIntegers> integers{};
  std::string record;  // the raw record, for capacity messages
  std::size_t line = 0;
  std::int32_t nss() const { return integers[5]; }
  std::int32_t mdd() const { return integers[6]; }
};

BlockHeader ReadHeader(textio::RecordCursor& data) {
  BlockHeader header;
  const std::size_t index = data.position();
  textio::FieldReader fields = data.Next("a point header (A15, 7I5)");
  header.record = std::string(data.file().record(index));
  header.line = index + 1;
  header.label = fields.A(kLabelWidth);
  for (std::int32_t& value : header.integers) value = fields.I(kHeaderIntegerWidth);
  return header;
}

std::string FieldText(std::string_view record, int first_column, int width) {
  const std::size_t start = static_cast<std::size_t>(first_column - 1);
  if (start >= record.size()) return std::string();
  return std::string(record.substr(start, static_cast<std::size_t>(width)));
}

// A count of the first block that the workspace cannot hold, or one that
// leaves nothing to read, ends the run before anything is stored.
void CheckFirstBlockCount(const std::string& file_name, const BlockHeader& header, std::int32_t count, int column,
                          int capacity, std::string_view what) {
  if (count >= 1 && count <= capacity) return;
  textio::ThrowInputError(file_name, header.line, column, column + kHeaderIntegerWidth - 1,
                          std::string(what) + " of 1 to " + std::to_string(capacity),
                          FieldText(header.record, column, kHeaderIntegerWidth));
}

void WriteCountWarning(Console& console, std::string_view label, int v, std::int32_t count) {
  std::string line;
  textio::PutA(line, label, kWarningLabelWidth);
  textio::PutI(line, v, 5);
  textio::PutI(line, count, 5);
  console.WriteLine(line);
}

// A negative value of the data file: `what` at `place` of point v's block.
[[noreturn]] void RefuseNegative(const std::string& data_name, const std::string& place, const std::string& what, int v,
                                 double frequency) {
  throw RunStop::Silent(data_name + " " + place + ": " + what + " of point " + std::to_string(v) + " at " +
                        textio::PlainNumber(frequency) + " Hz is below 0" + kNegativeDensityAdvice);
}

// The file ended where a title or separator record should stand.
[[noreturn]] void ThrowTooShort(const textio::TextFile& data, int v, std::int32_t num_p) {
  const std::string pnt = PointListName(data.name());
  std::string explanation;
  if (v == 1) {
    explanation = "the Emep data file " + data.name() + " is empty: with its point list " + pnt +
                  " it starts with a title line, then the block of every point";
  } else {
    explanation = "the Emep data file " + data.name() + " ends after line " + std::to_string(data.record_count()) +
                  " with the block of point " + std::to_string(v - 1) + ", but " + pnt + " line 1 announces " +
                  std::to_string(num_p) +
                  " points: correct that count, or add the missing blocks, each after a separator line";
  }
  throw RunStop::FreeFormat(std::string(messages::kEmepTooShort), explanation);
}

}  // namespace

SpectrumData ReadDirectionalSpectrum(const ControlSettings& control, Console& console, bool keep_point_tables) {
  // Records whether the operator was asked: the data file has a title record
  // only when the point-list file exists.
  std::string answer = "non";

  console.WriteLine(textio::ListLine().Text(control.input_file_field).str());

  const std::string data_name = control.input_file();
  const std::optional<textio::TextFile> data_file = textio::TextFile::Open(data_name);
  if (!data_file) {
    throw RunStop::FreeFormat(std::string(messages::kFileNotFind), CannotOpenInputFile("Emep data file", data_name));
  }
  textio::RecordCursor data(*data_file);

  const std::optional<textio::TextFile> point_file = OpenPointListOrAsk(data_name, console);
  std::optional<textio::RecordCursor> point_list;
  std::int32_t num_p = 0;
  if (point_file) {
    point_list.emplace(*point_file);
    textio::FieldReader record = point_list->Next("the point count (I5)");
    num_p = record.I(kCountWidth);
    if (num_p > kMaxPoints) {
      textio::ThrowInputError(point_file->name(), 1, 1, kCountWidth,
                              "a point count of at most " + std::to_string(kMaxPoints),
                              FieldText(point_file->record(0), 1, kCountWidth));
    }
  } else {
    answer = "yes";
    num_p = 1;
  }

  SpectrumData spectrum;
  spectrum.input = SpectrumInput::kDirectionalPoints;
  spectrum.keep_point_tables = keep_point_tables;
  spectrum.points.reserve(static_cast<std::size_t>(std::max(num_p, 0)));
  if (num_p < 1) spectrum.listed_points = num_p;
  std::int32_t nss = 0;
  std::int32_t mdd = 0;
  std::vector<double> directions;               // of every block, the first's mdd
  std::array<double, kMaxDirections> values{};  // D_v(l, 1..mdd) of one frequency
  std::vector<double> table;                    // D_v(l, j) of the point, l fastest
  for (int v = 1; v <= num_p; ++v) {
    SpectrumPoint point;
    if (num_p > 1) point.number = point_list->Next("a point number (I5)").I(kCountWidth);

    if (v == 1) {
      if (answer == "non") {
        if (data.AtEnd()) ThrowTooShort(*data_file, v, num_p);
        std::string title_line;
        textio::PutA(title_line, data.Next("the title record").A(kTitleWidth), kTitleWidth);
        console.WriteLine(title_line);
      }
      const BlockHeader header = ReadHeader(data);
      CheckFirstBlockCount(data_name, header, header.nss(), kNssColumn, kMaxFrequencies, "a frequency count (nss)");
      CheckFirstBlockCount(data_name, header, header.mdd(), kMddColumn, kMaxDirections, "a direction count (mdd)");
      nss = header.nss();
      mdd = header.mdd();
      std::string echo;
      textio::PutA(echo, header.label, kLabelWidth);
      for (std::int32_t value : header.integers) textio::PutI(echo, value, kHeaderIntegerWidth);
      console.WriteLine(echo);
      for (int j = 1; j <= mdd; ++j) directions.push_back(emep_layout::Direction(j, mdd));
    } else {
      if (data.AtEnd()) ThrowTooShort(*data_file, v, num_p);
      data.Skip("a separator record");
      const BlockHeader header = ReadHeader(data);
      if (header.nss() != nss) WriteCountWarning(console, messages::kNssWarning, v, header.nss());
      if (header.mdd() != mdd) WriteCountWarning(console, messages::kMddWarning, v, header.mdd());
    }

    // Every block is read with the first block's counts.
    const std::span<double> block_values(values.data(), static_cast<std::size_t>(mdd));
    const std::size_t n = static_cast<std::size_t>(nss);
    point.frequencies.assign(n, 0.0);
    point.density.assign(n, 0.0);
    point.directions = directions;
    table.assign(n * static_cast<std::size_t>(mdd), 0.0);
    for (int l = 1; l <= nss; ++l) {
      textio::FieldReader record = data.Next("a frequency record (2E12.5)");
      const double frequency = record.E(kRealWidth, kRealDecimals);
      const double density = record.E(kRealWidth, kRealDecimals);
      const std::size_t frequency_line = data.line_number();
      if (density < 0.0) {
        RefuseNegative(data_name, PlaceInList(frequency_line, 1, 2, kRealWidth),
                       "the frequency spectrum S " + textio::PlainNumber(density) + " m^2 s", v, frequency);
      }
      data.ReadFixedList(block_values, kValuesPerRecord, kRealWidth, kRealDecimals,
                         "directional spectrum values (6E12.5)");
      for (int j = 1; j <= mdd; ++j) {
        const double value = values[static_cast<std::size_t>(j - 1)];
        if (value < 0.0) {
          RefuseNegative(data_name,
                         PlaceInList(frequency_line + 1, static_cast<std::size_t>(j - 1), kValuesPerRecord, kRealWidth),
                         "the directional spectrum value " + textio::PlainNumber(value) + " at " +
                             textio::PlainNumber(emep_layout::Direction(j, mdd)) + " deg",
                         v, frequency);
        }
      }
      const std::size_t row = static_cast<std::size_t>(l - 1);
      point.frequencies[row] = frequency;
      point.density[row] = density;
      for (std::size_t j = 0; j < static_cast<std::size_t>(mdd); ++j) table[j * n + row] = values[j];
    }
    spectrum.AddPoint(std::move(point), table);
  }

  std::string count_line(messages::kNumPoints);
  textio::PutI(count_line, num_p, 5);
  console.WriteLine(count_line);
  return spectrum;
}

}  // namespace wavecomp
