#include "check/series_run.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <new>
#include <string>
#include <system_error>
#include <thread>

#include "check/analysis/analysis.h"
#include "check/kernels/sea_surface.h"
#include "core/cancellation.h"
#include "textio/errors.h"
#include "textio/format.h"

namespace wavecomp::check {
namespace {

// Values of the CSV made at once: the rows of a piece times the points.
constexpr std::size_t kCsvPieceValues = std::size_t{1} << 21;
// Digits of eta in the CSV: 1e-9 of the value, as fine as the synthesis.
constexpr int kCsvDigits = 9;
constexpr auto kProgressInterval = std::chrono::milliseconds(500);

// Seconds in running text: six decimals at most, no trailing zeros.
std::string Seconds(double value) {
  std::string text;
  textio::PutF(text, value, 0, 6);
  if (text.find('.') != std::string::npos) {
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') text.pop_back();
  }
  return text;
}

bool HasPositiveFrequency(const PointComponents& point) {
  return std::any_of(point.f.begin(), point.f.end(), [](double f) { return f > 0.0; });
}

// Runs work(k) for k = 0..count-1 on up to `threads` threads while the
// calling thread calls `tick` now and then; the first exception is thrown
// again once every worker has stopped.
void ParallelFor(std::size_t count, int threads, const std::function<void(std::size_t)>& work,
                 const std::function<void()>& tick) {
  std::atomic<std::size_t> next{0};
  std::atomic<bool> failed{false};
  std::exception_ptr error;
  std::mutex mutex;
  std::condition_variable stopped;
  std::size_t running = 0;
  const auto worker = [&] {
    for (std::size_t k = next++; k < count && !failed; k = next++) {
      try {
        work(k);
      } catch (...) {
        const std::lock_guard<std::mutex> lock(mutex);
        if (!error) error = std::current_exception();
        failed = true;
      }
    }
    const std::lock_guard<std::mutex> lock(mutex);
    --running;
    stopped.notify_one();
  };
  const std::size_t wanted = std::min<std::size_t>(static_cast<std::size_t>(std::max(threads, 1)), count);
  std::vector<std::thread> pool;
  for (std::size_t t = 0; t < wanted; ++t) {
    {
      const std::lock_guard<std::mutex> lock(mutex);
      ++running;
    }
    try {
      pool.emplace_back(worker);
    } catch (const std::system_error&) {
      const std::lock_guard<std::mutex> lock(mutex);
      --running;  // no thread to be had: the others, or this one, do the work
    }
  }
  if (pool.empty()) {
    running = 1;
    worker();
  } else {
    std::unique_lock<std::mutex> lock(mutex);
    while (!stopped.wait_for(lock, kProgressInterval, [&] { return running == 0; })) {
      lock.unlock();
      if (tick) tick();
      lock.lock();
    }
  }
  for (std::thread& thread : pool) thread.join();
  if (error) std::rethrow_exception(error);
}

// Memory that the points checked at once share: a point waits while those
// running would hold more than the budget with it, and runs when it would be
// alone, whatever it needs.
class MemoryBudget {
 public:
  explicit MemoryBudget(std::size_t bytes) : limit_(bytes) {}

  class Share {
   public:
    Share(MemoryBudget& budget, std::size_t bytes) : budget_(budget), bytes_(bytes) {
      std::unique_lock<std::mutex> lock(budget_.mutex_);
      budget_.freed_.wait(lock, [&] { return budget_.held_ == 0 || budget_.held_ + bytes_ <= budget_.limit_; });
      budget_.held_ += bytes_;
    }
    ~Share() {
      {
        const std::lock_guard<std::mutex> lock(budget_.mutex_);
        budget_.held_ -= bytes_;
      }
      budget_.freed_.notify_all();
    }
    Share(const Share&) = delete;
    Share& operator=(const Share&) = delete;

   private:
    MemoryBudget& budget_;
    std::size_t bytes_;
  };

 private:
  std::size_t limit_;
  std::size_t held_ = 0;
  std::mutex mutex_;
  std::condition_variable freed_;
};

// Enough decimals of t to show the step to 1e-4 of itself.
int TimeDecimals(double dt) { return std::clamp(4 - static_cast<int>(std::floor(std::log10(dt))), 3, 15); }

// Rows first .. first+count-1 of the CSV, each ended by a line end but the last.
std::string CsvPiece(const ComponentFile& file, const SeriesGrid& grid, std::size_t first, std::size_t count,
                     int decimals) {
  const std::size_t points = file.points.size();
  std::vector<double> eta(points * count);
  for (std::size_t v = 0; v < points; ++v) {
    const PointComponents& point = file.points[v];
    SurfaceSynthesis synthesis(point.f, point.a, point.phase, grid.dt_s);
    synthesis.Fill(first, std::span<double>(eta).subspan(v * count, count));
  }
  std::string text;
  text.reserve(count * (points + 1) * (kCsvDigits + 8));
  for (std::size_t r = 0; r < count; ++r) {
    if (r > 0) text += '\n';
    textio::PutF(text, static_cast<double>(first + r) * grid.dt_s, 0, decimals);
    for (std::size_t v = 0; v < points; ++v) {
      text += ',';
      textio::PutE(text, eta[v * count + r], 0, kCsvDigits);
    }
  }
  return text;
}

}  // namespace

SeriesGrid PlanSeries(const ComponentFile& file, const SeriesRequest& request) {
  std::optional<double> longest, shortest;
  for (const PointComponents& point : file.points) {
    if (!HasPositiveFrequency(point)) continue;
    const double duration = DefaultSeriesDuration(ComponentPeakPeriod(point.f, point.a));
    const double dt = DefaultSeriesStep(point.f);
    longest = std::max(longest.value_or(duration), duration);
    shortest = std::min(shortest.value_or(dt), dt);
  }
  SeriesGrid grid;
  if (!longest) return grid;  // nothing to synthesise
  grid.duration_s = request.duration_s.value_or(*longest);
  grid.dt_s = request.dt_s.value_or(*shortest);
  if (!(grid.dt_s < grid.duration_s)) {
    throw UsageError("the time step " + Seconds(grid.dt_s) + " s is not shorter than the record (" +
                             Seconds(grid.duration_s) + " s): ask for a shorter --dt or a longer --series");
  }
  try {
    grid.samples = SeriesSamples(grid.duration_s, grid.dt_s);
  } catch (const std::invalid_argument&) {
    throw UsageError("a record of " + Seconds(grid.duration_s) + " s at steps of " + Seconds(grid.dt_s) +
                             " s takes more than the " + std::to_string(kMaxSeriesSamples) +
                             " samples the check holds per point: ask for a shorter --series or a longer --dt");
  }
  return grid;
}

FileSeries RunSeries(const ComponentFile& file, const TargetSpectra* target, const SeriesGrid& grid,
                     const SeriesRun& run) {
  FileSeries result;
  result.grid = grid;
  result.points.resize(file.points.size());
  if (grid.samples == 0) return result;
  std::vector<std::size_t> todo;
  double total = 0.0;  // samples times components, the cost of the synthesis
  for (std::size_t v = 0; v < file.points.size(); ++v) {
    if (!HasPositiveFrequency(file.points[v])) continue;
    todo.push_back(v);
    total += static_cast<double>(grid.samples) * static_cast<double>(file.points[v].size());
  }
  const Trailer* trailer = file.layout == FileLayout::kSinglePoint && file.trailer &&
                                   file.trailer->kind != TrailerKind::kEmepOrEne
                               ? &*file.trailer
                               : nullptr;
  std::atomic<std::size_t> done{0};
  MemoryBudget budget(run.memory_budget);
  ParallelFor(
      todo.size(), run.threads,
      [&](std::size_t k) {
        ThrowIfCancelled();
        const std::size_t v = todo[k];
        const PointComponents& point = file.points[v];
        SeriesOptions options;
        options.duration_s = grid.duration_s;
        options.dt_s = grid.dt_s;
        options.keep_curves = std::find(run.curves_of.begin(), run.curves_of.end(), v) != run.curves_of.end();
        if (const PointTarget* point_target = target ? target->For(v) : nullptr)
          options.target = SeriesTarget::From(point_target->spectrum);
        if (trailer) {
          options.target_H13_m = trailer->H13;
          options.target_T13_s = trailer->T13;
        }
        options.progress = [&done, size = point.size(), last = std::size_t{0}](std::size_t samples,
                                                                               std::size_t) mutable {
          done += (samples - last) * size;
          last = samples;
        };
        const std::size_t segment = WelchSegmentLength(point.f, grid.dt_s, grid.samples);
        const std::size_t bytes = SeriesPeakBytes(grid.samples, segment);
        // A point that takes more than half the budget leaves no room for
        // another like it: the threads share its synthesis, the bulk of its
        // time, instead.
        if (bytes > run.memory_budget / 2) options.synthesis_threads = run.threads;
        const MemoryBudget::Share share(budget, bytes);
        try {
          result.points[v] = AnalyseSeries(point.f, point.a, point.phase, options);
        } catch (const std::bad_alloc&) {
          throw textio::MemoryShortage(
              "the time-domain check of point " + std::to_string(v + 1) + " of " + std::to_string(file.points.size()) +
              " (" + std::to_string(grid.samples) + " samples, some " +
              std::to_string(bytes >> 20) +
              " MB): ask for a shorter --series or a longer --dt");
        }
      },
      [&] {
        if (run.progress) run.progress(static_cast<double>(done.load()) / total);
      });
  for (const std::optional<PointSeries>& point : result.points) result.repeating += point && point->repeats;
  return result;
}

void AddSeriesCheck(CheckResult& result, const SeriesRequest& request, bool for_plot, const ProgressStream& progress) {
  const ComponentFile& file = result.file;
  const SeriesGrid grid = PlanSeries(file, request);
  SeriesRun run;
  if (for_plot) run.curves_of = PlottedPoints(file.points.size());
  ProgressLine line(progress, "time-domain check of " + std::to_string(file.points.size()) +
                                  (file.points.size() == 1 ? " point" : " points"));
  run.progress = [&line](double fraction) { line.Show(fraction); };
  result.series = RunSeries(file, result.target ? &*result.target : nullptr, grid, run);
  line.Finish();

  std::size_t left_out = 0;
  double f_high = 0.0;
  for (std::size_t v = 0; v < file.points.size(); ++v) {
    if (!result.series->points[v]) ++left_out;
    for (double f : file.points[v].f) f_high = std::max(f_high, f);
  }
  if (left_out > 0) {
    result.notes.push_back(std::to_string(left_out) + (left_out == 1 ? " point has" : " points have") +
                           " no component with a positive frequency: no time-domain check");
  }
  if (grid.samples > 0 && grid.dt_s > 0.5 / f_high) {
    result.notes.push_back("the time step " + Seconds(grid.dt_s) +
                           " s is longer than half the shortest component period (" + Seconds(1.0 / f_high) +
                           " s): the record is aliased, and its waves and spectrum mean little");
  }
}

void WriteSeriesCsv(const ComponentFile& file, const SeriesGrid& grid, textio::OutputFile& out, const SeriesRun& run) {
  std::string header = "t_s";
  for (const PointComponents& point : file.points) header += ",eta_" + std::to_string(point.point_number) + "_m";
  out.WriteLine(header);
  if (grid.samples == 0) return;
  const std::size_t rows =
      std::clamp<std::size_t>(kCsvPieceValues / std::max<std::size_t>(file.points.size(), 1), 64, kAnchorInterval);
  const std::size_t pieces = (grid.samples + rows - 1) / rows;
  const int decimals = TimeDecimals(grid.dt_s);
  const std::size_t threads = static_cast<std::size_t>(std::max(run.threads, 1));
  std::vector<std::string> texts(threads);
  for (std::size_t first = 0; first < pieces; first += threads) {
    const std::size_t group = std::min(threads, pieces - first);
    ParallelFor(
        group, run.threads,
        [&](std::size_t j) {
          const std::size_t start = (first + j) * rows;
          texts[j] = CsvPiece(file, grid, start, std::min(rows, grid.samples - start), decimals);
        },
        {});
    for (std::size_t j = 0; j < group; ++j) out.WriteLine(texts[j]);
    if (run.progress) run.progress(static_cast<double>(first + group) / static_cast<double>(pieces));
  }
}

}  // namespace wavecomp::check
