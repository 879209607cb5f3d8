// wavecomp-export: writes the components of a component wave file as the
// boundary file of another wave model (the formats of output/output_formats.h).
#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/console.h"
#include "output/component_file_reader.h"
#include "output/output_formats.h"

namespace wavecomp::exporter {

struct ExportRequest {
  std::string format;
  std::string component_file;
  std::string out;
  std::optional<int> point;  // a point number of the file
  bool all_points = false;   // one file per point, NAME_P<k>
  bool json = false;         // the summary as JSON
  std::optional<double> depth_m;
};

// One file written, for the summary.
struct ExportedFile {
  std::string path;
  int point_number = 0;
  std::size_t components = 0;
};

struct ExportReport {
  const OutputFormat* format = nullptr;
  std::string source;
  std::vector<ExportedFile> files;
  std::vector<std::string> warnings;
};

// Reads the component file, refuses what the model cannot take (Refusal),
// writes every file into a set published only when all are written and
// `show` has shown the report. Never writes over an existing file.
ExportReport RunExport(const ExportRequest& request, const std::function<void(const ExportReport&)>& show);
// The same for a file already read (the Python module's sets): `request`'s
// component_file only names the source in the files and the report.
ExportReport ExportContents(const ExportRequest& request, const ComponentFileContents& file,
                            const std::function<void(const ExportReport&)>& show);

std::string SummaryText(const ExportReport& report);
std::string SummaryJson(const ExportReport& report);

}  // namespace wavecomp::exporter
