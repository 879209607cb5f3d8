// The fixed-capacity tables of a run, grouped by the stage that fills them.
// Every stage takes the groups it reads as const references and those it
// writes as plain references, so its signature says what it does.
//
// Glossary: N = component count, i = component index (1-based), k or m =
// direction node (0..180, node m at dirmin + m degrees), l or j = input
// frequency index (1-based), v = point index (1-based). One-dimensional
// arrays are sized capacity + 1 and used from index 1 (slot 0 unused) unless a
// range starting at 0 is stated. Tables vary their first index fastest.
//
// The workspace is one zero-filled allocation that lives for the whole run;
// nothing else is allocated for shared data while a run goes on. It is made
// with calloc so that pages a run never touches (most of the ~190 MB of
// capacity) are never committed.
#pragma once

#include <cstdint>
#include <memory>
#include <type_traits>

namespace wavecomp {

inline constexpr int kMaxComponents = 2048;      // capacity of the component arrays
inline constexpr int kMaxUsedComponents = 1024;  // largest component count N accepted
inline constexpr int kMaxFrequencies = 3000;     // input frequencies per spectrum
inline constexpr int kMaxDirections = 200;       // input directions (Emep), extended table size
inline constexpr int kMaxKeptDirections = 198;   // two end nodes are added to the kept list
inline constexpr int kMaxPoints = 2048;          // points along the shore
inline constexpr int kLastNode = 180;            // direction nodes 0..180, one degree apart

// A fixed-capacity table of reals, (row, column), rows 0..MaxRow with the row
// index varying fastest. Row 0 is unused where the rows are 1-based, so
// column(c)[i] is row i either way.
template <int MaxRow, int FirstColumn, int LastColumn>
struct Table {
  static constexpr int kRows = MaxRow + 1;
  static constexpr int kColumns = LastColumn - FirstColumn + 1;
  double cells[static_cast<std::size_t>(kRows) * kColumns];

  double& operator()(int row, int column) { return cells[Offset(row, column)]; }
  const double& operator()(int row, int column) const { return cells[Offset(row, column)]; }
  double* column(int c) { return &cells[Offset(0, c)]; }
  const double* column(int c) const { return &cells[Offset(0, c)]; }

 private:
  static std::size_t Offset(int row, int column) {
    return static_cast<std::size_t>(column - FirstColumn) * kRows + static_cast<std::size_t>(row);
  }
};

// The input frequency spectrum: written by the reader of the run's type,
// divided into components by direct_spec.
struct InputSpectrum {
  double f_in[kMaxFrequencies + 1];  // Hz, 1..n_in
  double S_in[kMaxFrequencies + 1];  // m^2 s, 1..n_in
  std::int32_t n_in;                 // pair count
};

// The points of an Emep or Ene run, written by their readers.
struct PointSpectra {
  std::int32_t num_p;                                   // number of points read
  std::int32_t point_numbers[kMaxPoints + 1];           // 1..num_p, carried to the multi-point file
  std::int32_t second_keys[kMaxPoints + 1];             // Ene: fourth header integer of each point's block
  std::int32_t nss;                                     // input frequency count, table length of every point
  Table<kMaxFrequencies, 0, kMaxPoints> point_spectra;  // S_v(l) in column v; column 0: Ene bandwidths
};

// The input directional spectrum of an Emep or Ene run on the reader's
// direction list, written by the readers.
struct InputDirections {
  double kept_directions[kMaxDirections + 1];                    // degrees, ascending, 1..kept_direction_count
  Table<kMaxFrequencies, 1, kMaxDirections> directional_values;  // D-bar(l, k)
  std::int32_t kept_direction_count;                             // K, at most 198 once interpolated
};

// The equal-energy division: written by JonswapSpectrum (JNS) or direct_spec.
struct FrequencyBands {
  double ecomp;                            // energy of every component, m^2
  double f[kMaxComponents + 1];            // component frequency, Hz
  double band_start[kMaxFrequencies + 1];  // Hz, direct_spec only
  double band_width[kMaxFrequencies + 1];  // Hz, direct_spec only
};

// The energy check of an Ene run, written by direct_spec.
struct EnergyCheck {
  double E_in;   // input energy, m^2
  double E_spl;  // spline-resampled energy, m^2
};

// The directional distribution of every component on the 181 direction
// nodes: written by mitgwd (JNS, Sspe) or resample_directions (Emep, Ene).
struct DirectionalDistribution {
  Table<kMaxComponents, 0, kLastNode> D;     // D(i, k)
  Table<kMaxComponents, 0, kLastNode> cumD;  // cumulative distribution, 0 at k = 0, 1 at k = 180
};

// The tables of resample_directions, kept as the stage leaves them.
struct DirectionTables {
  double extended_directions[kMaxDirections];                     // phi(0..K+1), degrees
  Table<kMaxFrequencies, 0, kMaxDirections - 1> extended_values;  // P(l, 0..K+1)
  Table<kMaxFrequencies, 0, kLastNode> direction_resampled;       // R(l, m)
};

// Amplitude, direction and phase of every component: written by MakeComponents.
struct ComponentDraws {
  double a[kMaxComponents + 1];      // amplitude, m
  double theta[kMaxComponents + 1];  // direction, radians
  double phase[kMaxComponents + 1];  // phase, radians
};

// Per-point component amplitudes A(i, v), made for the ComponentSet of a multi-point run.
using PointAmplitudeTable = Table<kMaxFrequencies, 1, kMaxPoints>;

// The tables of one run, grouped by the stage that fills them.
struct SpectrumWorkspace {
  InputSpectrum input;
  PointSpectra points;
  InputDirections directions;
  FrequencyBands bands;
  EnergyCheck energy;
  DirectionalDistribution distribution;
  DirectionTables direction_tables;
  ComponentDraws draws;
  PointAmplitudeTable point_amplitudes;
};

static_assert(std::is_trivial_v<SpectrumWorkspace>, "the workspace must be creatable by calloc");

struct WorkspaceDeleter {
  void operator()(SpectrumWorkspace* workspace) const;
};
using WorkspacePtr = std::unique_ptr<SpectrumWorkspace, WorkspaceDeleter>;

// One zero-filled workspace. Throws textio::MemoryShortage (a std::bad_alloc)
// when the memory is not there.
WorkspacePtr MakeWorkspace();

// Returns every byte of a workspace from MakeWorkspace to zero at the cost of
// the pages written since: whole pages go back to the kernel, which maps fresh
// zero pages on the next touch. For many short runs in one process (fuzzing,
// tests), where a new workspace each time would cost more than the run.
void ClearWorkspace(SpectrumWorkspace& workspace);

}  // namespace wavecomp
