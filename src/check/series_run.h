// The time-domain check of a whole component file (--series): the records of
// all points on one time grid, the points shared out to threads, and the
// records written as CSV piece by piece.
//
// One grid for all points, so that the columns of the CSV share their t and
// the points of a multi-point file are compared over the same record: the
// duration and step asked for, or else the longest of the points' default
// durations and the shortest of their default steps (series_check.h).
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "check/analysis/analysis.h"
#include "check/kernels/series_check.h"
#include "check/render/progress_line.h"
#include "check/targets/component_file.h"
#include "check/targets/spectrum_file.h"
#include "core/worker_threads.h"
#include "textio/output_file.h"

namespace wavecomp::check {

// What the command line asks of the time-domain check.
struct SeriesRequest {
  bool enabled = false;              // --series, or implied by --dt or --series-csv
  std::optional<double> duration_s;  // --series S
  std::optional<double> dt_s;        // --dt DT
  std::optional<std::string> csv;    // --series-csv FILE
};

// Throws UsageError when the file and the request make a record too long
// for the check to hold, or a step no shorter than the record.
SeriesGrid PlanSeries(const ComponentFile& file, const SeriesRequest& request);

// The memory the points checked at once may hold together (SeriesPeakBytes
// of each): 256 MB leaves both cores busy for records of up to some 2.5
// million samples a point (the default three hours at steps of 4 ms), while a longer record is checked alone, so that
// memory grows no further with the threads than the longest point needs.
inline constexpr std::size_t kSeriesMemoryBudget = std::size_t{256} << 20;

struct SeriesRun {
  int threads = WorkerThreadCount();
  std::size_t memory_budget = kSeriesMemoryBudget;
  std::vector<std::size_t> curves_of;  // points (0-based) that keep their waves and Welch density
  // The share of the work done, 0..1, called on the calling thread about
  // twice a second while the workers run, and after every piece of the CSV.
  std::function<void(double fraction)> progress;
};

// Analyses every point on the grid against its target: the spectrum of
// `target` for the point (nullptr: none) and, for a single-point JNS or Sspe
// file, the trailer's H1/3 and T1/3.
FileSeries RunSeries(const ComponentFile& file, const TargetSpectra* target, const SeriesGrid& grid,
                     const SeriesRun& run);

// PlanSeries and RunSeries for the file and the targets of `result`, into
// result.series with notes on what was left out; the points the plot shows
// keep their curves when `for_plot`. Shows its progress on `progress`.
void AddSeriesCheck(CheckResult& result, const SeriesRequest& request, bool for_plot, const ProgressStream& progress);

// The first column of a series CSV: its header line starts with this.
inline constexpr std::string_view kSeriesCsvStart = "t_s,eta_";

// The CSV: a header "t_s,eta_<point number>_m,..." and a row of t and eta of
// every point per sample of the grid, made a piece of rows at a time so that
// memory stays bounded whatever the number of points.
void WriteSeriesCsv(const ComponentFile& file, const SeriesGrid& grid, textio::OutputFile& out, const SeriesRun& run);

}  // namespace wavecomp::check
