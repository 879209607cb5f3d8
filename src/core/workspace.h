// The program-wide store that every stage reads and writes.
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
#include <string>
#include <string_view>
#include <type_traits>

namespace wavecomp {

inline constexpr int kMaxComponents = 2048;      // capacity of the component arrays
inline constexpr int kMaxUsedComponents = 1024;  // largest component count N accepted
inline constexpr int kMaxFrequencies = 3000;     // input frequencies per spectrum
inline constexpr int kMaxDirections = 200;       // input directions (Emep), extended table size
inline constexpr int kMaxKeptDirections = 198;   // two end nodes are added to the kept list
inline constexpr int kMaxPoints = 2048;          // points along the shore
inline constexpr int kLastNode = 180;            // direction nodes 0..180, one degree apart
inline constexpr int kFileNameLength = 200;      // file names in cont.txt, blank-padded

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

// The values of cont.txt. Written by the control file reader unless noted.
struct ControlSettings {
  char spectrum_type[4];                   // "JNS ", "Emep", "Sspe" or "Ene ", blank-padded
  std::int32_t component_count;            // N, at most 1024, no lower bound
  double Smax;                             // spreading parameter; >= 999 means not spread
  char input_file_name[kFileNameLength];   // blank-padded
  char output_file_name[kFileNameLength];  // blank-padded
  double H13;                              // H1/3, m; ReadSpec replaces it (Sspe)
  double T13;                              // T1/3, s; ReadSpec replaces it (Sspe)
  double Dirc;                             // principal direction, degrees; radians after mitgwd spreads
  double gamma;                            // peak enhancement factor; the writers set it to 0 (not JNS)
  double fmin;                             // Hz, value read + 0.000001; direct_spec rewrites it
  double fmax;                             // Hz; direct_spec rewrites it
  std::int32_t random_seed;                // phase seed; MakeComponents advances it
  double dirmin;                           // always -90 degrees
  double dirmax;                           // always +90 degrees
};

struct SpectrumWorkspace {
  ControlSettings control;

  // Input frequency spectrum: written by the readers, divided by direct_spec.
  double f_in[kMaxFrequencies + 1];  // Hz, 1..n_in
  double S_in[kMaxFrequencies + 1];  // m^2 s, 1..n_in; the multi-point writer reuses it per point
  std::int32_t n_in;                 // pair count

  // Point data (Emep and Ene).
  std::int32_t num_p;                                   // number of points; the driver sets 1 for JNS and Sspe
  std::int32_t point_numbers[kMaxPoints + 1];           // 1..num_p, carried to the multi-point file
  std::int32_t second_keys[kMaxPoints + 1];             // Ene: fourth header integer of each point's block
  std::int32_t nss;                                     // input frequency count, table length of the multi-point writer
  Table<kMaxFrequencies, 0, kMaxPoints> point_spectra;  // S_v(l) in column v; column 0: Ene bandwidths

  // Input directional spectrum (Emep and Ene), on the reader's direction list.
  double kept_directions[kMaxDirections + 1];                    // degrees, ascending, 1..kept_direction_count
  Table<kMaxFrequencies, 1, kMaxDirections> directional_values;  // D-bar(l, k)
  std::int32_t kept_direction_count;                             // K, at most 198 once interpolated

  // Frequency components: the result of the run.
  double ecomp;                            // energy of every component, m^2
  double f[kMaxComponents + 1];            // component frequency, Hz
  double a[kMaxComponents + 1];            // component amplitude, m
  double theta[kMaxComponents + 1];        // component direction, radians
  double phase[kMaxComponents + 1];        // component phase, radians
  double band_start[kMaxFrequencies + 1];  // Hz, written by direct_spec
  double band_width[kMaxFrequencies + 1];  // Hz, written by direct_spec
  double E_in;                             // Ene: input energy, m^2
  double E_spl;                            // Ene: spline-resampled energy, m^2

  // Directional distribution of every component on the 181 direction nodes.
  Table<kMaxComponents, 0, kLastNode> D;     // D(i, k): mitgwd or resample_directions
  Table<kMaxComponents, 0, kLastNode> cumD;  // cumulative distribution, 0 at k = 0, 1 at k = 180

  // Tables of the direction interpolation, kept here as the stage leaves them.
  double extended_directions[kMaxDirections];                     // phi(0..K+1), degrees
  Table<kMaxFrequencies, 0, kMaxDirections - 1> extended_values;  // P(l, 0..K+1)
  Table<kMaxFrequencies, 0, kLastNode> direction_resampled;       // R(l, m)

  // Per-point component amplitudes A(i, v) of the multi-point writer.
  Table<kMaxFrequencies, 1, kMaxPoints> point_amplitudes;
};

static_assert(std::is_trivial_v<SpectrumWorkspace>, "the workspace must be creatable by calloc");

struct WorkspaceDeleter {
  void operator()(SpectrumWorkspace* workspace) const;
};
using WorkspacePtr = std::unique_ptr<SpectrumWorkspace, WorkspaceDeleter>;

// One zero-filled workspace. Throws std::bad_alloc when the memory is not there.
WorkspacePtr MakeWorkspace();

// A blank-padded fixed-length text field as a view of its meaningful part
// (trailing blanks and NUL bytes removed).
std::string_view TrimmedField(const char* field, std::size_t length);
template <std::size_t Length>
std::string_view Trimmed(const char (&field)[Length]) {
  return TrimmedField(field, Length);
}

// Stores text into a blank-padded fixed-length field, cut at its length.
void StoreField(char* field, std::size_t length, std::string_view text);
template <std::size_t Length>
void Store(char (&field)[Length], std::string_view text) {
  StoreField(field, Length, text);
}

// The spectrum type compared as a blank-padded four-character field.
bool IsSpectrumType(const ControlSettings& control, std::string_view key);

}  // namespace wavecomp
