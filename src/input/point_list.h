// The point-list file "<data file>.pnt" of an Emep or Ene run, and the one
// question the program asks when it is missing. Both readers open it and ask
// the same way; each reads its own layout of the file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/console.h"
#include "textio/records.h"

namespace wavecomp {

// One point of an Emep or Ene data file as a run uses it, before the points
// are averaged: what the checker compares that point's components with (it
// makes these from the readers' SpectrumData).
struct PointInput {
  std::int32_t v = 0;               // 1-based, in the order of the point list
  std::int32_t point_number = 0;    // as the multi-point file carries it
  std::vector<double> frequencies;  // Hz, the point's own table
  std::vector<double> spectrum;     // m^2 s, its frequency spectrum as the run uses it
  std::vector<double> directions;   // degrees: the directions a run keeps, in the file's order
  // Directional values on those directions, values[(k - 1) * frequencies.size() + (l - 1)],
  // in the units of the averaged values a run interpolates.
  std::vector<double> values;
};

// The name of the point-list file of a data file.
std::string PointListName(std::string_view data_file_name);

// The point-list file beside the data file, or nullopt when it is missing
// and the operator answers yes to taking the first spectrum of the data file
// uniformly along the shore. Any other answer, or no answer at all (closed or
// empty standard input), stops the run without a message (RunStop::Silent):
// the console's notice said in English before the question what it means.
// `data_file_name` is the trimmed data file name.
std::optional<textio::TextFile> OpenPointListOrAsk(const std::string& data_file_name, Console& console);

// True when the operator's answer means yes: the first free-format word, cut
// to three characters, is "Y" or "Yes" (case as shown). Anything else,
// including an empty line, is a no.
bool IsSingleSpectrumAnswer(std::string_view answer_line);

}  // namespace wavecomp
