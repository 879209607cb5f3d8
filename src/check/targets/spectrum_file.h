// The targets given with --spectrum: the input a component file was made
// from, read with wavecomp's own readers where wavecomp reads it.
//
// Kinds, recognised from the file itself:
//   jonswap.spe  three E20.8 fields per record: frequency, density, slope;
//   Emep data    a point header (A15, 7I5) on the first record after the
//                title, with the point list "<file>.pnt";
//   Ene data     the counts nf and nd (2I5) alone on the second record, with
//                the point list "<file>.pnt";
//   SWAN file    "SWAN" and its version number on the first line that is not
//                a comment (swan_target.h);
//   the other sources of wavecomp-import (WAVEWATCH III text, spectral
//                netCDF, NDBC buoy files): by their first bytes and names,
//                each read by its row of input/spectral_sources.h;
//   Sspe table   anything else: H1/3, T1/3, Dirc. on the first read, then one
//                frequency-density pair per line (free format).
// A new kind of file gets a recogniser and a reader in spectrum_file.cpp.
#pragma once

#include <optional>
#include <string>

#include "check/targets/target_spectra.h"
#include "textio/records.h"

namespace wavecomp::check {

// What a file given as a component file is when it is one of the inputs
// above ("a JONSWAP spectrum file", "an Emep data file", ...);
// nullopt when none claims it (an Sspe table looks like anything).
std::optional<std::string> SpectrumFileKind(const textio::TextFile& file, const std::string& path);

// Reads the file. A file that cannot be read as its kind requires is a
// textio::InputError naming the line and columns, or a RunStop of wavecomp's
// own readers; UsageError when `request` does not fit the file.
TargetSpectra ReadTargetSpectra(const std::string& path, const TargetRequest& request = {});

}  // namespace wavecomp::check
