// The targets given with --spectrum: the input a component file was made
// from, read with wavecomp's own readers where wavecomp reads it.
//
// Kinds, recognised from the file itself:
//   jonswap.spe  three E20.8 fields per record: frequency, density, slope;
//   Emep data    a point header (A15, 7I5) on the first record after the
//                title, with the point list "<file>.pnt";
//   Ene data     the counts nf and nd (2I5) alone on the second record, with
//                the point list "<file>.pnt";
//   Sspe table   anything else: H1/3, T1/3, Dirc. on the first read, then one
//                frequency-density pair per line (free format).
// A new kind of file gets a recogniser and a reader in spectrum_file.cpp.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "check/expectations.h"
#include "core/settings.h"
#include "input/point_list.h"

namespace wavecomp::check {

// What one point of a component file is compared with.
struct PointTarget {
  std::int32_t point_number = 0;  // from the point list; 0 when the file gives none
  TargetSpectrum spectrum;        // its frequency spectrum
  // Its directional spectrum as the run reads it (Emep and Ene data only).
  std::optional<PointInput> directional;
};

struct TargetSpectra {
  std::string label;                 // the file name, or "JONSWAP"
  std::string kind;                  // "jonswap.spe", "Sspe table", "Emep data", "Ene data", "JONSWAP"
  std::optional<SpectrumType> type;  // the run type of directional data (Emep, Ene)
  std::vector<PointTarget> points;   // one for a frequency spectrum, one per point of Emep and Ene data
  std::vector<std::string> notes;    // what the reader of the summary should know about the targets

  // The target of point v (0-based) of a component file: the one spectrum
  // for every point, or the point's own; nullptr when the file has fewer.
  const PointTarget* For(std::size_t v) const;
};

// Reads the file. A file that cannot be read as its kind requires is a
// textio::InputError naming the line and columns, or a RunStop of wavecomp's
// own readers.
TargetSpectra ReadTargetSpectra(const std::string& path);

}  // namespace wavecomp::check
