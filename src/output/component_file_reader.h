// Reading a component wave file back into the ComponentSet its writers lay
// out (core/component_set.h; the layout is core/component_layout.h), with
// what a checker needs of the file besides: the headers as written, the
// declared counts, the fields that held asterisks, the trailer.
//
// Two layouts are recognised by the point count in record 1:
//   1      single point: N, spectrum code and gamma in record 2, N component
//          records, two empty records and a trailer of the run's settings;
//   2..    multi-point: for every point a header (N, code, gamma, point
//          number) and N component records; no empty records, no trailer.
// Component records are four E15.6 fields: frequency (Hz), amplitude (m),
// direction (rad) and phase (rad).
//
// The reader is strict about the layout, so that a file the wave model would
// misread is refused here with the line, the columns and what was expected:
// a component field may not be blank (a blank field would read as zero), the
// counts in the headers must match the records, and nothing but blanks may
// follow the last field of a record or the last record of the file.
//
// It also refuses values the checks cannot compute with: a frequency that is
// not positive, a negative amplitude, and magnitudes beyond the bounds below.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/component_set.h"
#include "textio/records.h"

namespace wavecomp {

enum class FileLayout { kSinglePoint, kMultiPoint };

// The widest values the checks compute with. Squares of amplitudes, fourth
// powers of frequencies and densities over the spacing of up to 99 999
// components then stay far inside the range of a double (1e308), and the
// single-precision transforms of the time-domain check (sums of up to 2^25
// samples of 99 999 components: 3e32 m) inside that of a float (3e38); any
// sea (amplitudes of metres, frequencies of 1e-4 to 10 Hz) lies many decades
// inside them. Beyond them Hm0 would be infinite and the plot's coordinates
// not numbers.
inline constexpr double kLargestMagnitude = 1.0e20;    // amplitude (m), frequency (Hz), trailer reals
inline constexpr double kSmallestFrequency = 1.0e-20;  // Hz

// The header of one point, as the file writes it.
struct PointHeader {
  std::int32_t point_number = 1;    // multi-point header; 1 in a single-point file
  std::int32_t declared_count = 0;  // N of the header (a negative N lists no components)
  std::int32_t spectrum_code = 0;   // 3 JONSWAP, 9 every other type
  std::optional<double> gamma;      // nullopt when the F10.1 field holds asterisks
  std::size_t header_line = 0;      // 1-based line of the header record
};

// Which settings trailer a single-point file ends with.
enum class TrailerKind {
  kJonswap,    // "  JNS " record, four reals, seed, "Smax=" record
  kSspe,       // three reals, input file name, "Smax=" record
  kEmepOrEne,  // three reals, input file name (the two types write the same trailer)
};

// The run type a trailer stands for, as the run record names it: "JNS",
// "Sspe", or "Emep or Ene" (the two write the same trailer).
std::string_view TrailerTypeName(TrailerKind kind);

// The settings trailer of a single-point file. A field that holds asterisks
// (the value did not fit its width when written) is nullopt.
struct ComponentFileTrailer {
  TrailerKind kind = TrailerKind::kJonswap;
  std::size_t first_line = 0;
  double H13 = 0.0;                  // m
  double T13 = 0.0;                  // s
  double Dirc = 0.0;                 // radians when the run spread the spectrum, degrees otherwise
  std::optional<double> gamma;       // JNS only
  std::optional<std::int32_t> seed;  // JNS only; usually asterisks (seeds reach seven digits)
  bool has_smax = false;             // JNS and Sspe
  std::optional<double> Smax;        // nullopt with has_smax: 100 or more (F5.2 overflow)
  std::string input_file;            // Sspe, Emep, Ene: trailing blanks removed
};

// A component file read back. `set` holds point v of the file as
// set.points[v] (its number from the header, 0 for the single point as a run
// makes it); the shared frequencies, directions and phases are those of the
// first point, and a later point that lists others carries its own. set.run
// is what the trailer says, as far as it says it (the type of an Emep or Ene
// trailer is taken as Emep; a field of asterisks as 0).
struct ComponentFileContents {
  std::string name;
  std::int32_t num_p = 0;
  FileLayout layout = FileLayout::kSinglePoint;
  ComponentSet set;
  std::vector<PointHeader> headers;            // one per point
  std::optional<ComponentFileTrailer> trailer;  // single-point files only
};

// Reads and checks the layout; a file that does not follow it is a
// textio::InputError naming the line, the columns and what was expected.
ComponentFileContents ReadComponentFile(const textio::TextFile& file);

}  // namespace wavecomp
