#include "output/point_amplitudes.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "core/cancellation.h"
#include "core/spectrum_types.h"
#include "resample/spline.h"
#include "textio/format.h"

namespace wavecomp {
namespace {

constexpr int kSubSteps = 1000;      // sub-steps of every component band
constexpr int kProgressEvery = 256;  // a console line every 256th component
// Bytes of spline coefficients per block and worker (M and 6y of every point
// of the block, for every table frequency). A sub-step touches only two rows
// of them, so the block size does not decide what stays in cache; it bounds
// the memory, and a larger block shares each interval search among more
// points. 8 MB holds 64-frequency tables of all 2048 points in one block and
// 3000-frequency tables in blocks of 174 points.
constexpr std::size_t kBlockBytes = std::size_t{8} << 20;
constexpr int kMinBlockPoints = 16;

// The remembered value after an evaluation, clipped below at 0. Written as a
// comparison so that a NaN passes through (max with 0 could hide it) and the
// loop over points still vectorises.
inline double ClipNegative(double value) { return value < 0.0 ? 0.0 : value; }

inline double SubStepStart(int k, double delta, double band_start) {
  return static_cast<double>(k) * delta + band_start;
}

// What every point shares: the table abscissae and the bands.
struct SharedTable {
  const double* x = nullptr;  // f_in(1..n)
  int n = 0;                  // nss
  bool available = false;     // the spline exists (the same for every point)
  std::vector<double> h;      // interval widths h(2..n), from the abscissae alone
  int N = 0;
  const double* b = nullptr;  // band start, 1..N
  const double* w = nullptr;  // band width, 1..N
  bool scale = false;         // Ene: amplitudes scaled by the energy ratio
  double ratio = 1.0;
  // The last sub-step position of the whole sequence that lies inside the
  // table, for the left (a) and right (c) ends. Each point ends the sequence
  // remembering its own clipped value there, which the next point starts from.
  bool has_last_left = false;
  double last_left = 0.0;
  bool has_last_right = false;
  double last_right = 0.0;
};

int IntervalOf(const SharedTable& table, double X) {
  return table.available ? FindSplineInterval(table.x, table.n, X) : 0;
}

void FindLastInsidePositions(SharedTable& table) {
  if (!table.available) return;
  for (int i = table.N; i >= 1 && !(table.has_last_left && table.has_last_right); --i) {
    const double delta = table.w[i] / kSubSteps;
    for (int k = kSubSteps - 1; k >= 0 && !(table.has_last_left && table.has_last_right); --k) {
      const double a = SubStepStart(k, delta, table.b[i]);
      const double c = delta + a;
      if (!table.has_last_left && IntervalOf(table, a) != 0) {
        table.has_last_left = true;
        table.last_left = a;
      }
      if (!table.has_last_right && IntervalOf(table, c) != 0) {
        table.has_last_right = true;
        table.last_right = c;
      }
    }
  }
}

// One worker: a contiguous range of points, stepped block by block.
class PointRangeWorker {
 public:
  PointRangeWorker(const SharedTable& table, const PointSpectra& points, PointAmplitudeTable& amplitudes, int first,
                   int last, int block_points)
      : table_(table), points_(points), amplitudes_(amplitudes), first_(first), last_(last) {
    const int range = last - first + 1;
    stride_ = std::max(1, std::min(range, block_points));
    const std::size_t rows = static_cast<std::size_t>(table.n) + 1;
    if (table.available) {
      M_.assign(rows * static_cast<std::size_t>(stride_), 0.0);
      y6_.assign(rows * static_cast<std::size_t>(stride_), 0.0);
      point_h_.assign(rows, 0.0);
      point_M_.assign(rows, 0.0);
    }
    left_.assign(static_cast<std::size_t>(stride_), 0.0);
    right_.assign(static_cast<std::size_t>(stride_), 0.0);
    energy_.assign(static_cast<std::size_t>(stride_), 0.0);
  }

  // Runs every block; `on_block` (may be empty) is told each block's points
  // before the block is stepped.
  template <typename OnBlock>
  void Run(OnBlock&& on_block) {
    for (int v0 = first_; v0 <= last_; v0 += stride_) {
      if (CancellationRequested()) return;  // thrown once every range has stopped
      const int v1 = std::min(last_, v0 + stride_ - 1);
      on_block(v0, v1);
      SetUpBlock(v0, v1);
      StepBlock(v0, v1 - v0 + 1);
    }
  }

 private:
  const double* Spectrum(int v) const { return points_.point_spectra.column(v); }

  void SetUpPoint(int v) {
    spline_setup(table_.x, Spectrum(v), table_.n, table_.n - 1, point_h_.data(), point_M_.data());
  }

  // The remembered value the point after v starts with: point v's own value
  // at the last inside position, clipped, or 0 when no position is inside.
  double FinalValue(int v, bool has_position, double position) const {
    if (!has_position) return 0.0;
    double value = 0.0;
    spline_value(table_.x, Spectrum(v), table_.n, point_h_.data(), point_M_.data(), position, value);
    return ClipNegative(value);
  }

  void SetUpBlock(int v0, int v1) {
    std::fill(left_.begin(), left_.end(), 0.0);
    std::fill(right_.begin(), right_.end(), 0.0);
    if (!table_.available) return;
    const std::size_t stride = static_cast<std::size_t>(stride_);
    for (int v = std::max(1, v0 - 1); v <= v1; ++v) {
      SetUpPoint(v);
      if (v >= v0) {
        const std::size_t column = static_cast<std::size_t>(v - v0);
        const double* y = Spectrum(v);
        for (int l = 1; l <= table_.n; ++l) {
          M_[static_cast<std::size_t>(l) * stride + column] = point_M_[static_cast<std::size_t>(l)];
          y6_[static_cast<std::size_t>(l) * stride + column] = 6.0 * y[l];
        }
      }
      if (v < v1) {
        const std::size_t next = static_cast<std::size_t>(v + 1 - v0);
        left_[next] = FinalValue(v, table_.has_last_left, table_.last_left);
        right_[next] = FinalValue(v, table_.has_last_right, table_.last_right);
      }
    }
  }

  // Where the spline of every point is evaluated at one position: interval j
  // with A = x(j) - X, B = X - x(j-1), H = h(j), and the two products of the
  // value formula that do not depend on the point.
  struct Position {
    std::size_t j;
    double A, B, H, AA_HH, BB_HH;
  };

  Position At(int j, double X) const {
    Position p;
    p.j = static_cast<std::size_t>(j);
    p.A = table_.x[j] - X;
    p.B = X - table_.x[j - 1];
    p.H = table_.h[p.j];
    p.AA_HH = p.A * p.A - p.H * p.H;
    p.BB_HH = p.B * p.B - p.H * p.H;
    return p;
  }

  // The rows of M and 6y at the two table points of interval j.
  struct Rows {
    const double* M0 = nullptr;
    const double* M1 = nullptr;
    const double* y0 = nullptr;
    const double* y1 = nullptr;
  };

  Rows RowsOf(const Position& p) const {
    if (p.j == 0) return Rows{};
    const std::size_t stride = static_cast<std::size_t>(stride_);
    return Rows{&M_[(p.j - 1) * stride], &M_[p.j * stride], &y6_[(p.j - 1) * stride], &y6_[p.j * stride]};
  }

  template <bool kLeft, bool kRight>
  void Step(const Position& pa, const Position& pc, double half_delta, int count) {
    const Rows ra = RowsOf(pa);
    const Rows rc = RowsOf(pc);
    StepPoints<kLeft, kRight>(left_.data(), right_.data(), energy_.data(), ra.M0, ra.M1, ra.y0, ra.y1, pa.AA_HH,
                              pa.BB_HH, pa.A, pa.B, pa.H, rc.M0, rc.M1, rc.y0, rc.y1, pc.AA_HH, pc.BB_HH, pc.A, pc.B,
                              pc.H, half_delta, count);
  }

  // The value formula of the spline (SplineFormula), operation for operation,
  // for the points of a block. Everything arrives as plain arguments so that
  // the compiler knows the arrays do not overlap and vectorises the loop.
  template <bool kLeft, bool kRight>
  static void StepPoints(double* __restrict left, double* __restrict right, double* __restrict energy,
                         const double* __restrict aM0, const double* __restrict aM1, const double* __restrict aY0,
                         const double* __restrict aY1, double aAA_HH, double aBB_HH, double aA, double aB, double aH,
                         const double* __restrict cM0, const double* __restrict cM1, const double* __restrict cY0,
                         const double* __restrict cY1, double cAA_HH, double cBB_HH, double cA, double cB, double cH,
                         double half_delta, int count) {
    for (int v = 0; v < count; ++v) {
      if constexpr (kLeft) {
        left[v] = ClipNegative(((aAA_HH * aM0[v] + aY0[v]) * aA + (aBB_HH * aM1[v] + aY1[v]) * aB) / aH * kSplineSixth);
      }
      if constexpr (kRight) {
        right[v] =
            ClipNegative(((cAA_HH * cM0[v] + cY0[v]) * cA + (cBB_HH * cM1[v] + cY1[v]) * cB) / cH * kSplineSixth);
      }
      energy[v] = (left[v] + right[v]) * half_delta + energy[v];
    }
  }

  void StepBlock(int v0, int count) {
    for (int i = 1; i <= table_.N; ++i) {
      // A block may hold every point of the range: the request is looked at per component too.
      if (CancellationRequested()) return;
      const double delta = table_.w[i] / kSubSteps;
      const double half_delta = delta * 0.5;
      std::fill(energy_.begin(), energy_.begin() + count, 0.0);
      for (int k = 0; k < kSubSteps; ++k) {
        const double a = SubStepStart(k, delta, table_.b[i]);
        const double c = delta + a;
        const int ja = IntervalOf(table_, a);
        const int jc = IntervalOf(table_, c);
        const Position pa = ja != 0 ? At(ja, a) : Position{};
        const Position pc = jc != 0 ? At(jc, c) : Position{};
        if (ja != 0 && jc != 0) {
          Step<true, true>(pa, pc, half_delta, count);
        } else if (ja != 0) {
          Step<true, false>(pa, pc, half_delta, count);
        } else if (jc != 0) {
          Step<false, true>(pa, pc, half_delta, count);
        } else {
          Step<false, false>(pa, pc, half_delta, count);
        }
      }
      for (int v = 0; v < count; ++v) {
        const double H = energy_[static_cast<std::size_t>(v)];
        double amplitude = 0.0;
        if (!(H <= 0.0)) amplitude = std::sqrt(table_.scale ? (H + H) * table_.ratio : H + H);
        amplitudes_(i, v0 + v) = amplitude;
      }
    }
  }

  const SharedTable& table_;
  const PointSpectra& points_;
  PointAmplitudeTable& amplitudes_;
  int first_;
  int last_;
  int stride_ = 1;
  std::vector<double> M_;        // M(l) of the block's points, (l, point) with the point fastest
  std::vector<double> y6_;       // 6 * S_v(l), same layout
  std::vector<double> point_h_;  // set-up scratch of one point
  std::vector<double> point_M_;
  std::vector<double> left_;  // remembered values of the block's points
  std::vector<double> right_;
  std::vector<double> energy_;  // H of the current component
};

void WriteProgressLines(Console& console, int v0, int v1, int num_p, int N) {
  std::string line;
  for (int v = v0; v <= v1; ++v) {
    line.clear();
    textio::PutI(line, v, 4);
    line += '/';
    textio::PutI(line, num_p, 4);
    console.WriteLine(line);
    for (int i = kProgressEvery; i <= N; i += kProgressEvery) {
      line.clear();
      textio::PutX(line, 10);
      textio::PutI(line, i, 5);
      console.WriteLine(line);
    }
  }
}

int BlockPoints(const PointAmplitudeOptions& options, int n) {
  if (options.block_points > 0) return options.block_points;
  const std::size_t per_point = 2 * sizeof(double) * (static_cast<std::size_t>(n) + 1);
  return std::max(kMinBlockPoints, static_cast<int>(kBlockBytes / per_point));
}

}  // namespace

double PointEnergyRatio(const EnergyCheck& energy) { return energy.E_in / energy.E_spl; }

void ComputePointAmplitudes(const PointAmplitudeSources& sources, PointAmplitudeTable& amplitudes, Console& console,
                            const PointAmplitudeOptions& options) {
  const PointSpectra& points = sources.points;
  const int num_p = points.num_p;
  SharedTable table;
  table.x = sources.input.f_in;
  table.n = points.nss;
  table.available = SplineAvailable(table.x, table.n);
  table.N = sources.component_count;
  table.b = sources.bands.band_start;
  table.w = sources.bands.band_width;
  table.scale = Traits(sources.type).energy_scaled;
  if (table.scale) table.ratio = PointEnergyRatio(sources.energy);
  if (table.available) {
    // The widths depend on the abscissae only; any point's set-up gives them.
    table.h.assign(static_cast<std::size_t>(table.n) + 1, 0.0);
    std::vector<double> M(static_cast<std::size_t>(table.n) + 1);
    spline_setup(table.x, points.point_spectra.column(1), table.n, table.n - 1, table.h.data(), M.data());
  }
  FindLastInsidePositions(table);

  if (num_p < 1) return;
  const int workers = std::max(1, std::min(options.threads, num_p));
  const int block_points = BlockPoints(options, table.n);
  std::vector<PointRangeWorker> ranges;
  ranges.reserve(static_cast<std::size_t>(workers));
  for (int t = 0; t < workers; ++t) {
    const int first = 1 + static_cast<int>(static_cast<long long>(num_p) * t / workers);
    const int last = static_cast<int>(static_cast<long long>(num_p) * (t + 1) / workers);
    ranges.emplace_back(table, points, amplitudes, first, last, block_points);
  }
  const auto silent = [](int, int) {};
  std::vector<std::thread> threads;
  std::vector<int> run_here;
  for (int t = 1; t < workers; ++t) {
    try {
      threads.emplace_back([&ranges, t, &silent] { ranges[static_cast<std::size_t>(t)].Run(silent); });
    } catch (const std::system_error&) {
      run_here.push_back(t);  // no thread to be had: the calling thread does this range too
    }
  }
  // The calling thread shows the progress of its own range as it goes and
  // that of the other ranges once they are done, so the lines keep their order.
  const int first_range_end = static_cast<int>(static_cast<long long>(num_p) / workers);
  ranges[0].Run([&](int v0, int v1) { WriteProgressLines(console, v0, v1, num_p, table.N); });
  for (int t : run_here) ranges[static_cast<std::size_t>(t)].Run(silent);
  for (std::thread& thread : threads) thread.join();
  ThrowIfCancelled();
  WriteProgressLines(console, first_range_end + 1, num_p, num_p, table.N);
}

}  // namespace wavecomp
