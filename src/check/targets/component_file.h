// The checker's view of a component file read back (the reader and the
// layout are in output/component_file_reader.h): the points as the checks
// walk them, each with its header and its four lists, whether the set keeps
// them once for all points or the point carries its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "output/component_file_reader.h"
#include "textio/records.h"

namespace wavecomp::check {

using Trailer = ComponentFileTrailer;

// One point of the file: its header and its components, viewed in the set
// of the ComponentFile that holds it.
struct PointComponents {
  std::int32_t point_number = 1;    // multi-point header; 1 in a single-point file
  std::int32_t declared_count = 0;  // N of the header (a negative N lists no components)
  std::int32_t spectrum_code = 0;   // 3 JONSWAP, 9 every other type
  std::optional<double> gamma;      // nullopt when the F10.1 field holds asterisks
  std::size_t header_line = 0;      // 1-based line of the header record
  std::span<const double> f;        // Hz
  std::span<const double> a;        // m
  std::span<const double> theta;    // rad
  std::span<const double> phase;    // rad

  std::size_t size() const { return f.size(); }
};

// The views point into `set`, whose lists keep their storage when the file
// is moved; a copy makes its own views.
struct ComponentFile {
  std::string name;
  std::int32_t num_p = 0;
  FileLayout layout = FileLayout::kSinglePoint;
  std::vector<PointComponents> points;
  std::optional<Trailer> trailer;  // single-point files only
  ComponentSet set;                // what the file holds, as the writers lay it out
  std::string format;              // who the file was exported for (--format); empty for a component file

  ComponentFile() = default;
  explicit ComponentFile(ComponentFileContents contents);
  ComponentFile(ComponentFileContents contents, std::string_view model);
  ComponentFile(const ComponentFile& other);
  ComponentFile& operator=(const ComponentFile& other);
  ComponentFile(ComponentFile&&) noexcept = default;
  ComponentFile& operator=(ComponentFile&&) noexcept = default;

 private:
  std::vector<PointHeader> headers_;
  void MakeViews();
};

// Reads and checks the layout (ReadComponentFile of output/); a file that
// does not follow it is a textio::InputError naming the line, the columns
// and what was expected.
ComponentFile ReadComponentFile(const textio::TextFile& file);

}  // namespace wavecomp::check
