// Coordinates: SVG user units (pixels), y downwards. Each panel maps its
// data range onto a plot rectangle; everything outside the rectangle is cut
// by a clip path of its own.
#include "check/render/svg_plot.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "check/kernels/bounded_int.h"
#include "check/kernels/rayleigh.h"
#include "check/kernels/sea_surface.h"
#include "synthesis/numerics.h"
#include "textio/format.h"

namespace wavecomp::check {
namespace {

constexpr double kWidth = 1200.0;
constexpr double kTitleHeight = 56.0;
constexpr double kRowHeight = 340.0;  // one plotted point
constexpr double kPanelTop = 34.0;    // inside a row: room for the panel titles
constexpr double kPlotHeight = 236.0;
constexpr double kHm0RowHeight = 300.0;
constexpr double kRecordRowHeight = 290.0;  // the record of a plotted point
constexpr double kRecordPlotHeight = 186.0;
constexpr double kRecordPeakPeriods = 8.0;    // the stretch of the record shown
constexpr std::size_t kRecordSamples = 2000;  // at most this many samples of it
constexpr double kWelchBands = 100.0;         // Welch's density is drawn as means over bands this fine
constexpr double kSpectrumLeft = 90.0, kSpectrumRight = 590.0;
constexpr double kDirectionLeft = 700.0, kDirectionRight = 1160.0;
constexpr double kDirectionBin = 5.0;  // degrees per histogram bar
constexpr int kTargetSamples = 500;    // points of the target curve
constexpr int kTargetTicks = 5;        // about this many ticks per axis

constexpr std::string_view kTargetColour = "#1f5fbf";
constexpr std::string_view kComponentColour = "#d9480f";
constexpr std::string_view kBarFill = "#f4b183";
constexpr std::string_view kGridColour = "#e3e3e3";

// Whole numbers shown in the plot stay within 16 digits (where a double still
// holds every whole number); a larger value is shown as this bound.
constexpr std::int64_t kLargestWhole = 9'999'999'999'999'999;

// A coordinate or a value in running text, without blanks; whole numbers
// without a decimal point.
std::string Number(double value, int decimals) {
  if (!std::isfinite(value)) value = 0.0;  // no viewer reads "NaN"; the checks above keep this for the worst files
  if (decimals != 0) return textio::BoundedFixedNumber(value, decimals);
  std::string text;
  textio::PutI(text, RoundWithin<std::int64_t>(value, -kLargestWhole, kLargestWhole), 0);
  return text;
}

std::string Px(double value) { return Number(value, 1); }

// Text for an XML text node or attribute. Our own labels are UTF-8.
std::string Escape(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '&')
      out += "&amp;";
    else if (c == '<')
      out += "&lt;";
    else if (c == '>')
      out += "&gt;";
    else if (c == '"')
      out += "&quot;";
    else
      out += c;
  }
  return out;
}

// A file name as shown in the plot: bytes outside printable ASCII (a
// Shift-JIS name) become '?', so the document stays valid UTF-8.
std::string ShownName(std::string_view name) {
  std::string out(name);
  for (char& c : out) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte >= 0x7f) c = '?';
  }
  return out;
}

struct Ticks {
  double step = 1.0;
  int decimals = 0;
  std::vector<double> values;
  std::vector<std::string> labels;  // instead of the values, when given (a logarithmic axis)
};

// Ticks at 1, 2 or 5 times a power of ten; the axis ends at a tick.
Ticks NiceTicks(double lo, double& hi) {
  Ticks ticks;
  if (!(hi > lo)) hi = lo + 1.0;
  const double rough = (hi - lo) / kTargetTicks;
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  const double fraction = rough / power;
  ticks.step = (fraction <= 1.0 ? 1.0 : fraction <= 2.0 ? 2.0 : fraction <= 5.0 ? 5.0 : 10.0) * power;
  ticks.decimals = std::max(0, -FloorWithin<int>(std::log10(ticks.step) + 1.0e-9, -400, 400));
  hi = std::ceil(hi / ticks.step - 1.0e-9) * ticks.step;
  for (double t = std::ceil(lo / ticks.step - 1.0e-9) * ticks.step; t <= hi + 0.5 * ticks.step; t += ticks.step) {
    ticks.values.push_back(std::abs(t) < 1.0e-12 * ticks.step ? 0.0 : t);
  }
  return ticks;
}

struct Panel {
  double left, top, right, bottom;  // plot rectangle
  double x0, x1, y0, y1;            // data range
  std::string clip_id;
  // A range too narrow for a double to part its ends (a record of periods of
  // 1e-19 s a few minutes in) maps onto the rectangle's first edge.
  double X(double x) const { return Spans(x0, x1) ? left + (x - x0) / (x1 - x0) * (right - left) : left; }
  double Y(double y) const { return Spans(y0, y1) ? bottom - (y - y0) / (y1 - y0) * (bottom - top) : bottom; }
  static bool Spans(double lo, double hi) { return hi != lo && std::isfinite(hi - lo); }
};

class Document {
 public:
  void Add(std::string_view element) {
    body_ += element;
    body_ += '\n';
  }
  void Text(double x, double y, std::string_view text, std::string_view anchor = "start", double size = 13.0,
            std::string_view extra = "") {
    Add("<text x=\"" + Px(x) + "\" y=\"" + Px(y) + "\" text-anchor=\"" + std::string(anchor) + "\" font-size=\"" +
        Px(size) + "\"" + std::string(extra) + ">" + Escape(text) + "</text>");
  }
  void Line(double x1, double y1, double x2, double y2, std::string_view stroke, double width = 1.0,
            std::string_view extra = "") {
    Add("<line x1=\"" + Px(x1) + "\" y1=\"" + Px(y1) + "\" x2=\"" + Px(x2) + "\" y2=\"" + Px(y2) + "\" stroke=\"" +
        std::string(stroke) + "\" stroke-width=\"" + Px(width) + "\"" + std::string(extra) + "/>");
  }
  void Polyline(const std::vector<std::pair<double, double>>& points, std::string_view stroke, double width,
                std::string_view extra = "") {
    if (points.empty()) return;
    std::string element = "<polyline fill=\"none\" stroke=\"" + std::string(stroke) + "\" stroke-width=\"" + Px(width) +
                          "\" stroke-linejoin=\"round\"" + std::string(extra) + " points=\"";
    for (const auto& [x, y] : points) element += Px(x) + "," + Px(y) + " ";
    element.back() = '"';
    Add(element + "/>");
  }
  std::string Finish(double height) const {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
           Px(kWidth) + "\" height=\"" + Px(height) + "\" viewBox=\"0 0 " + Px(kWidth) + " " + Px(height) +
           "\" font-family=\"sans-serif\">\n<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n" + body_ +
           "</svg>\n";
  }

 private:
  std::string body_;
};

// A target line (in pixels), wide and pale under the components' line so
// that both stay visible where they agree.
void DrawTargetLine(Document& doc, const std::vector<std::pair<double, double>>& points, const std::string& clip) {
  doc.Polyline(points, kTargetColour, 5.0, clip + " stroke-opacity=\"0.45\"");
}

// The same of a target in the panel's data coordinates.
void DrawTargetLine(Document& doc, const Panel& panel, std::vector<std::pair<double, double>>& target,
                    const std::string& clip) {
  for (auto& [x, y] : target) {
    x = panel.X(x);
    y = panel.Y(y);
  }
  DrawTargetLine(doc, target, clip);
}

void DrawFrame(Document& doc, const Panel& panel, const Ticks& x_ticks, const Ticks& y_ticks, std::string_view title,
               std::string_view x_label, std::string_view y_label) {
  doc.Add("<clipPath id=\"" + panel.clip_id + "\"><rect x=\"" + Px(panel.left) + "\" y=\"" + Px(panel.top) +
          "\" width=\"" + Px(panel.right - panel.left) + "\" height=\"" + Px(panel.bottom - panel.top) +
          "\"/></clipPath>");
  for (double t : x_ticks.values) {
    const double x = panel.X(t);
    doc.Line(x, panel.top, x, panel.bottom, kGridColour);
    doc.Line(x, panel.bottom, x, panel.bottom + 5.0, "black");
    doc.Text(x, panel.bottom + 19.0, Number(t, x_ticks.decimals), "middle", 12.0);
  }
  for (std::size_t k = 0; k < y_ticks.values.size(); ++k) {
    const double y = panel.Y(y_ticks.values[k]);
    doc.Line(panel.left, y, panel.right, y, kGridColour);
    doc.Line(panel.left - 5.0, y, panel.left, y, "black");
    doc.Text(panel.left - 8.0, y + 4.0,
             k < y_ticks.labels.size() ? y_ticks.labels[k] : Number(y_ticks.values[k], y_ticks.decimals), "end", 12.0);
  }
  doc.Add("<rect x=\"" + Px(panel.left) + "\" y=\"" + Px(panel.top) + "\" width=\"" + Px(panel.right - panel.left) +
          "\" height=\"" + Px(panel.bottom - panel.top) + "\" fill=\"none\" stroke=\"black\"/>");
  doc.Text(panel.left, panel.top - 10.0, title, "start", 14.0, " font-weight=\"bold\"");
  doc.Text(0.5 * (panel.left + panel.right), panel.bottom + 40.0, x_label, "middle", 13.0);
  const double label_x = panel.left - 58.0;
  const double label_y = 0.5 * (panel.top + panel.bottom);
  doc.Text(label_x, label_y, y_label, "middle", 13.0,
           " transform=\"rotate(-90 " + Px(label_x) + " " + Px(label_y) + ")\"");
}

struct LegendEntry {
  std::string_view colour;
  std::string text;
  bool bar = false;
  double width = 2.0;
};

void DrawLegend(Document& doc, const Panel& panel, const std::vector<LegendEntry>& entries) {
  double y = panel.top + 16.0;
  const double x = panel.right - 12.0;
  for (const LegendEntry& entry : entries) {
    if (entry.bar) {
      doc.Add("<rect x=\"" + Px(x - 26.0) + "\" y=\"" + Px(y - 9.0) + "\" width=\"22\" height=\"10\" fill=\"" +
              std::string(kBarFill) + "\" stroke=\"" + std::string(kComponentColour) + "\"/>");
    } else {
      doc.Line(x - 26.0, y - 4.0, x - 4.0, y - 4.0, entry.colour, entry.width,
               entry.width > 2.0 ? " stroke-opacity=\"0.45\"" : "");
    }
    doc.Text(x - 32.0, y, entry.text, "end", 12.0);
    y += 18.0;
  }
}

// Frequency range of the spectrum panel: from 0 to just past the highest
// component, so that every component shows.
double SpectrumTop(const PointStatistics& measured) { return 1.02 * measured.f_high; }

// "Hm0 1.0336 m, Tp 10.70 s" of a spectrum.
std::string HeightAndPeriod(double Hm0, const std::optional<double>& peak_frequency) {
  std::string text = "Hm0 " + Number(Hm0, 4) + " m";
  if (peak_frequency && *peak_frequency > 0.0) text += ", Tp " + Number(1.0 / *peak_frequency, 2) + " s";
  return text;
}

void DrawSpectrum(Document& doc, const CheckResult& result, std::size_t v, double row_top) {
  const PointComponents& point = result.file.points[v];
  const PointStatistics& measured = result.points[v].measured;
  const std::vector<DensitySample> density = ComponentDensity(point.f, point.a);
  double x_hi = point.size() > 0 ? SpectrumTop(measured) : 1.0;
  const Ticks x_ticks = NiceTicks(0.0, x_hi);

  const PointTarget* point_target = result.TargetOf(v);
  const PointCheck& check = result.points[v];
  std::vector<std::pair<double, double>> target;
  double y_hi = 0.0;
  if (point_target) {
    for (int j = 0; j <= kTargetSamples; ++j) {
      const double x = x_hi * j / kTargetSamples;
      const double y = point_target->spectrum.Density(x);
      target.emplace_back(x, y);
      y_hi = std::max(y_hi, y);
    }
  }
  for (const DensitySample& sample : density) {
    if (sample.f <= x_hi) y_hi = std::max(y_hi, sample.S);
  }
  y_hi *= 1.08;
  if (!(y_hi > 0.0)) y_hi = 1.0;
  const Ticks y_ticks = NiceTicks(0.0, y_hi);

  Panel panel{
      kSpectrumLeft, row_top + kPanelTop,           kSpectrumRight, row_top + kPanelTop + kPlotHeight, 0.0, x_hi, 0.0,
      y_hi,          "spectrum" + std::to_string(v)};
  DrawFrame(doc, panel, x_ticks, y_ticks,
            "Point " + std::to_string(point.point_number) + ": frequency spectrum (" + std::to_string(point.size()) +
                " components)",
            "frequency f (Hz)", "spectral density S(f) (m\xc2\xb2 s)");
  const std::string clip = " clip-path=\"url(#" + panel.clip_id + ")\"";
  std::vector<LegendEntry> legend;
  if (!target.empty()) {
    DrawTargetLine(doc, panel, target, clip);
    std::string text = "target: " + ShownName(point_target->spectrum.label());
    if (check.target_energy)
      text += " (" + HeightAndPeriod(check.target_energy->Hm0, check.target_peak_frequency) + ")";
    legend.push_back({kTargetColour, text, false, 5.0});
    if (check.target_energy && check.target_energy->outside_share) {
      const double share = *check.target_energy->outside_share;
      legend.push_back({kTargetColour,
                        Number(100.0 * share, 2) + " % of the target's energy outside their range" +
                            (share > kOutsideShareFlag ? " (over 10 %)" : ""),
                        false, 0.0});
    }
  }
  std::vector<std::pair<double, double>> line;
  for (const DensitySample& sample : density) line.emplace_back(panel.X(sample.f), panel.Y(sample.S));
  doc.Polyline(line, kComponentColour, 1.6, clip);
  legend.push_back({kComponentColour,
                    "components (" + HeightAndPeriod(measured.Hm0, measured.peak_frequency) + "): energy / spacing"});
  // Where the components sit: equal-energy components crowd at the peak.
  std::string rug = "<path stroke=\"" + std::string(kComponentColour) + "\" stroke-width=\"0.8\"" + clip + " d=\"";
  for (double f : point.f) rug += "M" + Px(panel.X(f)) + " " + Px(panel.bottom) + "v-7";
  doc.Add(rug + "\"/>");
  DrawLegend(doc, panel, legend);
}

void DrawDirections(Document& doc, const CheckResult& result, std::size_t v, double row_top) {
  const PointComponents& point = result.file.points[v];
  const PointCheck& check = result.points[v];
  const int bins = static_cast<int>(180.0 / kDirectionBin);
  std::vector<double> measured(static_cast<std::size_t>(bins), 0.0);
  double total = 0.0;
  for (std::size_t i = 0; i < point.size(); ++i) {
    const double energy = 0.5 * point.a[i] * point.a[i];
    const double degrees = point.theta[i] * kDegreesPerRadian;
    const int bin = FloorWithin<int>((degrees + 90.0) / kDirectionBin, 0, bins - 1);
    measured[static_cast<std::size_t>(bin)] += energy;
    total += energy;
  }
  // Energy share per degree, so bars and the expected curve share one axis.
  for (double& value : measured) value = total > 0.0 ? value / total / kDirectionBin : 0.0;
  std::vector<double> expected;
  if (!check.expected_cells.empty()) {
    expected.assign(static_cast<std::size_t>(bins), 0.0);
    for (std::size_t k = 0; k < check.expected_cells.size(); ++k) {
      expected[k / static_cast<std::size_t>(kDirectionBin)] += check.expected_cells[k] / kDirectionBin;
    }
  } else if (result.spreading == Spreading::kNotSpread) {
    expected.assign(static_cast<std::size_t>(bins), 0.0);
    expected[static_cast<std::size_t>(bins / 2)] = 1.0 / kDirectionBin;  // direction 0 opens the bar [0, 5)
  }
  double y_hi = 0.0;
  for (double value : measured) y_hi = std::max(y_hi, value);
  for (double value : expected) y_hi = std::max(y_hi, value);
  y_hi *= 1.1;
  if (!(y_hi > 0.0)) y_hi = 1.0;
  double x_hi = 90.0;
  Ticks x_ticks = NiceTicks(-90.0, x_hi);
  x_ticks.values.clear();
  for (double t = -90.0; t <= 90.0; t += 30.0) x_ticks.values.push_back(t);
  const Ticks y_ticks = NiceTicks(0.0, y_hi);

  Panel panel{kDirectionLeft,
              row_top + kPanelTop,
              kDirectionRight,
              row_top + kPanelTop + kPlotHeight,
              -90.0,
              90.0,
              0.0,
              y_hi,
              "directions" + std::to_string(v)};
  DrawFrame(doc, panel, x_ticks, y_ticks, "Point " + std::to_string(point.point_number) + ": component directions",
            "direction (deg)", "energy share per degree (1/deg)");
  for (int b = 0; b < bins; ++b) {
    const double value = measured[static_cast<std::size_t>(b)];
    if (!(value > 0.0)) continue;
    const double x0 = panel.X(-90.0 + b * kDirectionBin), x1 = panel.X(-90.0 + (b + 1) * kDirectionBin);
    doc.Add("<rect x=\"" + Px(x0) + "\" y=\"" + Px(panel.Y(value)) + "\" width=\"" + Px(x1 - x0) + "\" height=\"" +
            Px(panel.bottom - panel.Y(value)) + "\" fill=\"" + std::string(kBarFill) + "\" stroke=\"" +
            std::string(kComponentColour) + "\" stroke-width=\"0.8\"/>");
  }
  std::vector<LegendEntry> legend{{kComponentColour, "components (5-degree bins)", true}};
  if (!expected.empty()) {
    std::vector<std::pair<double, double>> steps;
    for (int b = 0; b < bins; ++b) {
      const double y = panel.Y(expected[static_cast<std::size_t>(b)]);
      steps.emplace_back(panel.X(-90.0 + b * kDirectionBin), y);
      steps.emplace_back(panel.X(-90.0 + (b + 1) * kDirectionBin), y);
    }
    doc.Polyline(steps, kTargetColour, 2.0, " clip-path=\"url(#" + panel.clip_id + ")\"");
    legend.push_back({kTargetColour, result.spreading == Spreading::kNotSpread ? "expected: not spread"
                                     : result.spreading == Spreading::kFromData
                                         ? "expected: the point's own spectrum"
                                         : "expected: cos\xc2\xb2\xcb\xa2 spreading"});
  }
  if (result.spreading == Spreading::kFromSwan && check.target_directions && check.target_directions->defined) {
    // SWAN gives a mean direction and spread, not a distribution: a mark at the mean.
    const DirectionStatistics& swan = *check.target_directions;
    if (std::abs(swan.mean_deg) <= 90.0) {
      doc.Line(panel.X(swan.mean_deg), panel.top, panel.X(swan.mean_deg), panel.bottom, kTargetColour, 2.0,
               " stroke-dasharray=\"6 4\"");
    }
    const std::string model = result.target && result.target->swan ? result.target->swan->model : "SWAN";
    legend.push_back({kTargetColour, model + ": mean " + Number(swan.mean_deg, 1) + " deg, spread " +
                                         Number(swan.spread_deg, 1) + " deg"});
  }
  DrawLegend(doc, panel, legend);
}

// The stretch of the record around its highest wave: what a wave gauge at
// the model's boundary would show.
void DrawRecord(Document& doc, const CheckResult& result, std::size_t v, const PointSeries& s, double row_top) {
  const PointComponents& point = result.file.points[v];
  const double span = std::min(s.duration_s, kRecordPeakPeriods * s.peak_period_s);
  const Wave* highest = nullptr;
  for (const Wave& wave : s.wave_list) {
    if (!highest || wave.height_m > highest->height_m) highest = &wave;
  }
  const double centre = highest ? highest->start_s + 0.5 * highest->period_s : 0.5 * span;
  const double start = std::clamp(centre - 0.5 * span, 0.0, s.duration_s - span);
  const std::size_t samples =
      std::clamp<std::size_t>(FloorWithin<std::size_t>(std::ceil(span / s.dt_s), 0, kRecordSamples), 2, kRecordSamples);
  std::vector<std::pair<double, double>> record;
  double extent = 0.0;
  for (std::size_t k = 0; k <= samples; ++k) {
    const double t = start + span * static_cast<double>(k) / static_cast<double>(samples);
    const double eta = DirectElevation(point.f, point.a, point.phase, t);
    record.emplace_back(t, eta);
    extent = std::max(extent, std::abs(eta));
  }
  double y_hi = extent > 0.0 ? 1.1 * extent : 1.0;
  Ticks y_ticks = NiceTicks(0.0, y_hi);
  y_ticks.values.clear();  // symmetric about still water
  for (double t = -y_hi; t <= y_hi + 0.5 * y_ticks.step; t += y_ticks.step)
    y_ticks.values.push_back(std::abs(t) < 1.0e-12 * y_ticks.step ? 0.0 : t);
  double x_hi = start + span;
  Ticks x_ticks = NiceTicks(start, x_hi);
  x_hi = start + span;
  x_ticks.values.erase(
      std::remove_if(x_ticks.values.begin(), x_ticks.values.end(), [&](double t) { return t < start || t > x_hi; }),
      x_ticks.values.end());
  Panel panel{kSpectrumLeft,
              row_top + kPanelTop,
              kDirectionRight,
              row_top + kPanelTop + kRecordPlotHeight,
              start,
              x_hi,
              -y_hi,
              y_hi,
              "record" + std::to_string(v)};
  std::string title = "Point " + std::to_string(point.point_number) + ": the record around its highest wave (" +
                      Number(span / s.peak_period_s, 0) + " Tp of " + Number(s.duration_s, 0) + " s)";
  DrawFrame(doc, panel, x_ticks, y_ticks, title, "time t (s)", "elevation \xce\xb7 (m)");
  const std::string clip = " clip-path=\"url(#" + panel.clip_id + ")\"";
  doc.Line(panel.left, panel.Y(0.0), panel.right, panel.Y(0.0), "#888888", 1.0);
  std::vector<std::pair<double, double>> line, wave;
  for (const auto& [t, eta] : record) {
    line.emplace_back(panel.X(t), panel.Y(eta));
    if (highest && t >= highest->start_s && t <= highest->start_s + highest->period_s)
      wave.emplace_back(panel.X(t), panel.Y(eta));
  }
  doc.Polyline(line, kComponentColour, 1.4, clip);
  std::vector<LegendEntry> legend{{kComponentColour, "\xce\xb7(t) = \xce\xa3 a cos(2\xcf\x80 f t + \xcf\x86)"}};
  if (!wave.empty()) {
    doc.Polyline(wave, kTargetColour, 2.4, clip);
    legend.push_back({kTargetColour, "highest wave: Hmax " + Number(highest->height_m, 3) + " m, T " +
                                         Number(highest->period_s, 2) + " s"});
  }
  DrawLegend(doc, panel, legend);
}

// Welch's estimate of the record's spectrum over the target, on the
// frequency axis of the components' spectrum above it.
void DrawWelch(Document& doc, const CheckResult& result, std::size_t v, const PointSeries& s, double row_top) {
  const PointComponents& point = result.file.points[v];
  double x_hi = SpectrumTop(result.points[v].measured);
  const Ticks x_ticks = NiceTicks(0.0, x_hi);
  const PointTarget* point_target = result.TargetOf(v);
  // Bins fine enough to part the components show each as a spike: their
  // means over bands of kWelchBands-th of the axis are what meets the target.
  const std::size_t band = std::max<std::size_t>(
      1, RoundWithin<std::size_t>(x_hi / kWelchBands / std::max(s.welch.df, 1.0e-300), 0, s.welch.density.size() + 1));
  std::vector<std::pair<double, double>> averaged;
  for (std::size_t k = 0; k + band <= s.welch.density.size() && s.welch.density[k].f <= x_hi; k += band) {
    double sum = 0.0;
    for (std::size_t j = k; j < k + band; ++j) sum += s.welch.density[j].S;
    averaged.emplace_back(0.5 * (s.welch.density[k].f + s.welch.density[k + band - 1].f),
                          sum / static_cast<double>(band));
  }
  double y_hi = 0.0;
  for (const auto& [f, S] : averaged) y_hi = std::max(y_hi, S);
  std::vector<std::pair<double, double>> target;
  if (point_target) {
    for (int j = 0; j <= kTargetSamples; ++j) {
      const double x = x_hi * j / kTargetSamples;
      target.emplace_back(x, point_target->spectrum.Density(x));
      y_hi = std::max(y_hi, target.back().second);
    }
  }
  y_hi = y_hi > 0.0 ? 1.08 * y_hi : 1.0;
  const Ticks y_ticks = NiceTicks(0.0, y_hi);
  Panel panel{
      kSpectrumLeft, row_top + kPanelTop,        kSpectrumRight, row_top + kPanelTop + kPlotHeight, 0.0, x_hi, 0.0,
      y_hi,          "welch" + std::to_string(v)};
  DrawFrame(doc, panel, x_ticks, y_ticks,
            "Point " + std::to_string(point.point_number) + ": Welch spectrum of the record", "frequency f (Hz)",
            "spectral density S(f) (m\xc2\xb2 s)");
  const std::string clip = " clip-path=\"url(#" + panel.clip_id + ")\"";
  // Every bin first, pale, so that the target and the means stay in view over it.
  if (band > 1) {
    std::vector<std::pair<double, double>> line;
    for (const DensitySample& sample : s.welch.density) {
      if (sample.f > x_hi) break;
      line.emplace_back(panel.X(sample.f), panel.Y(sample.S));
    }
    doc.Polyline(line, kBarFill, 0.8, clip);
  }
  std::vector<LegendEntry> legend;
  if (!target.empty()) {
    DrawTargetLine(doc, panel, target, clip);
    std::string text = "target: " + ShownName(point_target->spectrum.label());
    if (s.versus_target) text += " (m0 " + Number(s.versus_target->target_m0, 4) + " m\xc2\xb2)";
    legend.push_back({kTargetColour, text, false, 5.0});
  }
  for (auto& [f, S] : averaged) {
    f = panel.X(f);
    S = panel.Y(S);
  }
  doc.Polyline(averaged, kComponentColour, 1.6, clip);
  legend.push_back(
      {kComponentColour,
       "record (m0 " + Number(s.welch.m0, 4) + " m\xc2\xb2)" +
           (band > 1 ? ", mean over " + Number(static_cast<double>(band) * s.welch.df, 4) + " Hz" : std::string())});
  if (band > 1) legend.push_back({kBarFill, "record, every bin of " + Number(s.welch.df, 5) + " Hz", false, 1.0});
  DrawLegend(doc, panel, legend);
}

// The share of waves higher than h, on a logarithmic axis, against the
// Rayleigh distribution of the components' Hm0.
void DrawExceedance(Document& doc, const CheckResult& result, std::size_t v, const PointSeries& s, double row_top) {
  const PointComponents& point = result.file.points[v];
  std::vector<double> heights;
  for (const Wave& wave : s.wave_list) heights.push_back(wave.height_m);
  const std::vector<ExceedanceSample> measured = MeasuredExceedance(heights);
  const double n = std::max<double>(1.0, static_cast<double>(heights.size()));
  // Down to the share of one wave, and as high as Rayleigh puts that share.
  const int lowest_decade = -std::max(1, static_cast<int>(std::ceil(std::log10(n))));
  double x_hi = std::max(s.waves.Hmax_m, s.Hm0 * std::sqrt(std::log(n) / 2.0));
  x_hi = x_hi > 0.0 ? 1.05 * x_hi : 1.0;
  const Ticks x_ticks = NiceTicks(0.0, x_hi);
  Ticks y_ticks;
  for (int decade = lowest_decade; decade <= 0; ++decade) {
    y_ticks.values.push_back(decade);
    y_ticks.labels.push_back(decade == 0    ? "1"
                             : decade >= -2 ? Number(std::pow(10.0, decade), -decade)
                                            : "1e" + std::to_string(decade));
  }
  Panel panel{kDirectionLeft,
              row_top + kPanelTop,
              kDirectionRight,
              row_top + kPanelTop + kPlotHeight,
              0.0,
              x_hi,
              static_cast<double>(lowest_decade),
              0.0,
              "exceedance" + std::to_string(v)};
  DrawFrame(doc, panel, x_ticks, y_ticks,
            "Point " + std::to_string(point.point_number) + ": wave heights (zero up-crossing)", "wave height H (m)",
            "share of waves higher, P(H > h)");
  const std::string clip = " clip-path=\"url(#" + panel.clip_id + ")\"";
  std::vector<std::pair<double, double>> rayleigh;
  for (const ExceedanceSample& sample : RayleighExceedanceCurve(s.Hm0, x_hi, kTargetSamples)) {
    if (sample.probability <= 0.0) break;
    rayleigh.emplace_back(panel.X(sample.h_m), panel.Y(std::log10(sample.probability)));
  }
  doc.Polyline(rayleigh, kTargetColour, 5.0, clip + " stroke-opacity=\"0.45\"");
  std::string dots = "<path fill=\"none\" stroke=\"" + std::string(kComponentColour) +
                     "\" stroke-width=\"2.4\" stroke-linecap=\"round\"" + clip + " d=\"";
  for (const ExceedanceSample& sample : measured) {
    dots += "M" + Px(panel.X(sample.h_m)) + " " + Px(panel.Y(std::log10(sample.probability))) + "h0";
  }
  doc.Add(dots + "\"/>");
  DrawLegend(doc, panel,
             {{kTargetColour, "Rayleigh of Hm0 " + Number(s.Hm0, 4) + " m", false, 5.0},
              {kComponentColour, "the record's " + std::to_string(heights.size()) + " waves"}});
}

void DrawHm0AlongPoints(Document& doc, const CheckResult& result, const std::vector<std::size_t>& plotted,
                        double row_top) {
  const std::size_t count = result.points.size();
  double y_hi = 0.0;
  bool with_target = false;
  for (const PointCheck& check : result.points) {
    y_hi = std::max(y_hi, check.measured.Hm0);
    if (check.target_energy) {
      y_hi = std::max(y_hi, check.target_energy->Hm0);
      with_target = true;
    }
  }
  y_hi *= 1.1;
  if (!(y_hi > 0.0)) y_hi = 1.0;
  // Points sit at whole numbers with half a step of room at both ends.
  double x_hi = static_cast<double>(count);
  Ticks x_ticks = NiceTicks(1.0, x_hi);
  if (x_ticks.step < 1.0) {
    x_ticks.step = 1.0;
    x_ticks.decimals = 0;
  }
  x_ticks.values.clear();
  for (double t = x_ticks.step; t <= static_cast<double>(count) + 1e-9; t += x_ticks.step) x_ticks.values.push_back(t);
  if (x_ticks.values.empty() || x_ticks.values.front() != 1.0) x_ticks.values.insert(x_ticks.values.begin(), 1.0);
  const Ticks y_ticks = NiceTicks(0.0, y_hi);
  Panel panel{kSpectrumLeft,
              row_top + kPanelTop,
              kDirectionRight,
              row_top + kPanelTop + kPlotHeight - 40.0,
              0.5,
              static_cast<double>(count) + 0.5,
              0.0,
              y_hi,
              "hm0"};
  DrawFrame(doc, panel, x_ticks, y_ticks,
            "Hm0 = 4 sqrt(\xce\xa3 a\xc2\xb2/2) along the points (circles: the points plotted above)",
            "point (order in the file)", "Hm0 (m)");
  std::vector<LegendEntry> legend;
  if (with_target) {
    std::vector<std::pair<double, double>> target;
    for (std::size_t v = 0; v < count; ++v) {
      const std::optional<BandEnergy>& energy = result.points[v].target_energy;
      if (energy) target.emplace_back(panel.X(static_cast<double>(v + 1)), panel.Y(energy->Hm0));
    }
    DrawTargetLine(doc, target, " clip-path=\"url(#hm0)\"");
    legend.push_back({kTargetColour, "target: " + ShownName(result.target->label), false, 5.0});
  }
  std::vector<std::pair<double, double>> line;
  for (std::size_t v = 0; v < count; ++v) {
    line.emplace_back(panel.X(static_cast<double>(v + 1)), panel.Y(result.points[v].measured.Hm0));
  }
  doc.Polyline(line, kComponentColour, 1.6, " clip-path=\"url(#hm0)\"");
  legend.push_back({kComponentColour, "components"});
  for (std::size_t v : plotted) {
    doc.Add("<circle cx=\"" + Px(panel.X(static_cast<double>(v + 1))) + "\" cy=\"" +
            Px(panel.Y(result.points[v].measured.Hm0)) + "\" r=\"4\" fill=\"white\" stroke=\"" +
            std::string(kComponentColour) + "\" stroke-width=\"1.6\"/>");
  }
  DrawLegend(doc, panel, legend);
}

}  // namespace

std::string RenderSvg(const CheckResult& result) {
  Document doc;
  const ComponentFile& file = result.file;
  std::string title = "wavecomp-check: " + ShownName(file.name);
  title += file.layout == FileLayout::kSinglePoint ? " (single point)" : " (" + std::to_string(file.num_p) + " points)";
  doc.Text(24.0, 32.0, title, "start", 18.0, " font-weight=\"bold\"");
  const std::vector<std::size_t> plotted = PlottedPoints(result.points.size());
  double row_top = kTitleHeight;
  for (std::size_t v : plotted) {
    DrawSpectrum(doc, result, v, row_top);
    DrawDirections(doc, result, v, row_top);
    row_top += kRowHeight;
    if (!result.series || !result.series->points[v]) continue;
    const PointSeries& s = *result.series->points[v];
    DrawRecord(doc, result, v, s, row_top);
    row_top += kRecordRowHeight;
    DrawWelch(doc, result, v, s, row_top);
    DrawExceedance(doc, result, v, s, row_top);
    row_top += kRowHeight;
  }
  if (file.layout == FileLayout::kMultiPoint) {
    DrawHm0AlongPoints(doc, result, plotted, row_top);
    row_top += kHm0RowHeight;
  }
  return doc.Finish(row_top);
}

}  // namespace wavecomp::check
