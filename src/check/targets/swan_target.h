// A SWAN spectrum file as the target of --spectrum: every point of a
// component file against the SWAN location it was imported from, in the
// model frame that --normal-from (and --clockwise) gave wavecomp-import.
//
// Pairing: the point numbers of a multi-point file are SWAN location
// indices, as the importer writes them; a single-point file stands for the
// file's only location, or the one --location names. A file of several
// times needs --time.
//
// What a point is compared with: Hm0 of the location's whole table and Tp at
// its largest density (as SWAN reports them), the mean direction and spread
// of its first directional moments (input/swan_sea_state.h), and S(f), linear
// between the file's frequencies, for the plot. EnDens is divided by the
// importer's default rho g.
#pragma once

#include "check/targets/target_spectra.h"
#include "input/swan_file.h"
#include "textio/records.h"

namespace wavecomp::check {

// "SWAN" and a version number open the first line that is not a comment.
bool LooksLikeSwan(const textio::TextFile& file);

// UsageError when the request does not fit the file (no --normal-from, a
// time or location it lacks, a location without data); the textio input
// error when the file departs from its layout.
TargetSpectra ReadSwanTargets(const textio::TextFile& file, const TargetRequest& request);

// The same for a file of any source, read by its row of the table of
// sources (input/spectral_sources.h) into the value a SWAN file is read into.
TargetSpectra SpectraTargets(const swan::SwanFile& file, const TargetRequest& request);

}  // namespace wavecomp::check
