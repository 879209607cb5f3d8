// The texts of the files the importer writes.
//
// Emep data file (read by wavecomp's Emep reader):
//   title record (free text)
//   per point, a separator record before every point but the first:
//     header  A15 label, five I5 (year, month, day, hour, minute of the
//             SWAN time; zeros when stationary), I5 nss, I5 mdd
//     per frequency: f (Hz) and S (m2/Hz) as 2E12.5, then the mdd values
//             D (m2/Hz/degr) as 6E12.5 records, the last holding the rest
// Point list (<name>.pnt): the point count, then the point numbers (the
// SWAN location indices), I5 each.
// Sspe table (free format): H1/3 (m), T1/3 (s) and the principal direction
// (model degrees) as 3F12.4, then frequency (Hz) and density (m2/Hz) as 2E16.8.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "import/conversion.h"
#include "input/swan_file.h"

namespace wavecomp::importer {

// Receives a file's text in pieces of whole lines, in order.
using TextSink = std::function<void(std::string_view)>;

void WriteEmepData(const EmepConversion& conversion, const std::string& title, const swan::TimeStep& time,
                   const TextSink& sink);
void WritePointList(const EmepConversion& conversion, const TextSink& sink);
void WriteSspeTable(const SspeTable& table, const TextSink& sink);

}  // namespace wavecomp::importer
