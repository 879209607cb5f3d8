// The texts of the files the importer writes, in the layouts wavecomp's
// readers declare: the Emep data file and its point list
// (input/emep_layout.h; the point numbers are the SWAN location indices, the
// label "LOCATION k", the unused header integers the SWAN time) and the Sspe
// table (sspe_layout in input/frequency_spectrum_file.h).
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
