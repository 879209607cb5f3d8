// The first stage of the chain: the input tables of a run from the neutral
// spectrum value (core/spectrum_data.h). Here the points become one run: the
// mean spectrum over the points, the directions an Emep run keeps, the Ene
// energies turned into densities per direction step. The order of every sum
// and division is the one the run has always had, so a value built in memory
// gives the same bytes as the file it could have been read from.
#pragma once

#include <string>

#include "core/spectrum_data.h"
#include "core/warning_sink.h"
#include "core/workspace.h"

namespace wavecomp {

// Fills `input` (the mean frequency spectrum over the points: frequencies
// and densities), `points` (the count, each point's number, key and S(f);
// Ene: the bandwidths in column 0) and `directions` (the mean directional
// table on the directions the run uses) from `data`, whose kind is
// kFrequencyTable, kDirectionalPoints or kEnergyBalancePoints. An Ene
// direction list that the direction interpolation cannot use (it reaches
// -90 or +90) goes to `warn`, naming `source_name`. A value with no point
// leaves zero tables and num_p 0, for the chain to report.
void FillInputTables(const SpectrumData& data, InputSpectrum& input, PointSpectra& points, InputDirections& directions,
                     const std::string& source_name = {}, const WarningSink& warn = {});

}  // namespace wavecomp
