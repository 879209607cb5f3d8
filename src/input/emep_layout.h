// The layout of the Emep data file and its point list, for wavecomp's reader
// and for the importer that writes them.
//
// Data file: a title record (free text; A15 of it is echoed) when the point
// list exists; then per point, a separator record (any text) before every
// point but the first, and
//   header  A15 label, five I5 that are not used (the importer writes the
//           year, month, day, hour and minute of the SWAN time, zeros when
//           stationary), I5 nss, I5 mdd
//   per frequency l = 1..nss: f (Hz) and S (m2/Hz) as 2E12.5, then the mdd
//           values D (m2/Hz/degr) as 6E12.5 records, the last holding the rest
// Direction j = 1..mdd of a block is at -180 + (j-1) 360/mdd degrees, the
// full circle. Point list "<data file>.pnt": the point count, then the point
// numbers (read only for two or more points), I5 each.
#pragma once

namespace wavecomp::emep_layout {

inline constexpr int kTitleWidth = 15;     // the part of the title record that is echoed
inline constexpr int kLabelWidth = 15;     // A15 of the point header
inline constexpr int kHeaderIntegers = 7;  // five unused, then nss and mdd
inline constexpr int kHeaderIntegerWidth = 5;
inline constexpr int kNssColumn = kLabelWidth + 5 * kHeaderIntegerWidth + 1;  // 41, first column of nss
inline constexpr int kMddColumn = kNssColumn + kHeaderIntegerWidth;           // 46, first column of mdd
inline constexpr int kRealWidth = 12;                                         // E12.5 of f, S and D
inline constexpr int kRealDecimals = 5;
inline constexpr int kValuesPerRecord = 6;  // directional values per record
inline constexpr int kPointCountWidth = 5;  // I5 of the point list

// Direction j (1-based) of a block with mdd directions, degrees.
inline double Direction(int j, int mdd) {
  return -180.0 + static_cast<double>(j - 1) * 360.0 / static_cast<double>(mdd);
}

}  // namespace wavecomp::emep_layout
