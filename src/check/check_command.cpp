#include "check/check_command.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <iterator>
#include <new>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "check/analysis/analysis.h"
#include "check/render/json_report.h"
#include "check/render/summary.h"
#include "check/render/svg_plot.h"
#include "check/series_run.h"
#include "check/targets/component_file.h"
#include "check/targets/spectrum_file.h"
#include "core/messages.h"
#include "core/run_stop.h"
#include "input/point_list.h"
#include "output/output_formats.h"
#include "textio/errors.h"
#include "textio/output_file.h"
#include "textio/records.h"

namespace wavecomp::check {
namespace {

constexpr std::string_view kHelp[] = {
    "Usage: wavecomp-check [options] FILE",
    "",
    "Reads a component wave file written by wavecomp (single point with its",
    "settings trailer, or several points) and prints, for every point: the",
    "number of components, their frequency range, Hm0 = 4 sqrt(sum a^2/2), the",
    "peak frequency and Tp of the spectrum the components stand for, the",
    "energy-weighted mean direction and directional spread, the share of the",
    "energy within +-10, +-30 and +-60 degrees of the mean direction, and a",
    "Kolmogorov-Smirnov test of the phases against uniform on 0..2 pi.",
    "",
    "A single-point file is compared with its trailer: a JNS file with the",
    "JONSWAP spectrum of its H1/3, T1/3 and gamma, a JNS or Sspe file with the",
    "cos^2s spreading of its Smax and Dirc.",
    "",
    "Options:",
    "  --format NAME    FILE is not a component file but one that wavecomp-export",
    "                   wrote for another model: funwave, olaflow, celeris, csv",
    "                   or json; it is read back under that model's convention",
    "  --spectrum FILE  compare with the input the file was made from:",
    "                   jonswap.spe, the frequency table of an Sspe run, or the",
    "                   data file of an Emep or Ene run (with its .pnt point",
    "                   list), whose every point is compared with its own",
    "                   spectrum and directions; or the SWAN spectrum file it",
    "                   was imported from (or the WAVEWATCH III, netCDF or",
    "                   NDBC file, which take the SWAN options alike): Hm0,",
    "                   Tp, mean direction and spread of each point's",
    "                   location in the model frame",
    "  --normal-from DEG  with a SWAN file (and only then): the nautical",
    "                   direction from which a wave travelling along the",
    "                   model's shoreward x-axis comes, as wavecomp-import had",
    "                   it; --clockwise too if it was given",
    "  --time STAMP     the time of a SWAN file of several times",
    "  --location K     the SWAN location a single-point file stands for (the",
    "                   point numbers of a multi-point file are locations)",
    "  --offshore drop|keep  with a SWAN file: what wavecomp-import did with",
    "                   the energy travelling offshore (beyond +-90 deg): drop",
    "                   (its default) compares with each location's onshore",
    "                   part, keep with the whole sea",
    "  --svg OUT.svg    draw the spectra, the direction histograms and, for",
    "                   several points, Hm0 along the points (replaces an",
    "                   earlier plot, never a file this command reads)",
    "  --force          let --svg or --series-csv replace a file that is not",
    "                   an SVG plot or a series CSV",
    "  --json           print the summary as one JSON document",
    "  --series [S]     also synthesise the record each point makes,",
    "                   eta(t) = sum a cos(2 pi f t + phase) from t = 0 for S",
    "                   seconds (default 10800, or 500 peak periods if longer),",
    "                   and show its waves (zero up-crossings: H1/3, T1/3,",
    "                   H1/10, Hmax, against the Rayleigh distribution), its",
    "                   variance, its Welch spectrum against the target and",
    "                   whether it repeats itself (largest autocorrelation)",
    "  --dt DT          the record's time step in seconds (default 1/20 of the",
    "                   shortest component period)",
    "  --series-csv OUT.csv",
    "                   write t and the record of every point as CSV, one",
    "                   column per point (replaces an earlier series, never a",
    "                   file this command reads); --dt and --series-csv imply",
    "                   --series",
    "  -h, --help       show this text",
    "  --version        show the version",
    "",
    "Exit status: 0 checked; 1 refused: a file that cannot be opened, a SWAN",
    "time or location that does not fit the files, a record longer than the",
    "check holds; 2 a file that does not follow its layout, or a wrong command",
    "line; 3 the SVG or CSV file cannot be written (or would replace a file it",
    "must not); 128+n ended by signal n.",
    "",
    "See also: wavecomp(1), wavecomp-import(1), wavecomp-export(1).",
};

struct Options {
  std::string file;
  const OutputFormat* format = nullptr;  // --format: a file wavecomp-export wrote
  std::optional<std::string> spectrum;
  TargetRequest swan;  // its SWAN options; the points are added once the file is read
  std::optional<std::string> svg;
  bool json = false;
  bool force = false;
  bool help = false;
  bool version = false;
  SeriesRequest series;
};

// The options that take a value, and what it must be, for the message when
// it is missing. A name that starts another comes after it.
constexpr std::pair<std::string_view, std::string_view> kValueOptions[] = {
    {"--spectrum", "a file name"},
    {"--format", "a format: funwave, olaflow, celeris, csv or json"},
    {"--svg", "a file name"},
    {"--normal-from", "a direction in degrees"},
    {"--time", "a time YYYYMMDD.HHMMSS"},
    {"--location", "a location number (1, 2, ...)"},
    {"--offshore", "drop or keep"},
    {"--dt", "a time step in seconds"},
    {"--series-csv", "a file name"},
};

// "NAME needs WHAT" for an option of the table.
std::string Needs(std::string_view name) {
  for (const auto& [option, what] : kValueOptions) {
    if (option == name) return std::string(name) + " needs " + std::string(what);
  }
  return std::string(name) + " needs a value";
}

// "NAME needs WHAT" when `text` (an argument, or CLI11's message) is about an
// option without its value.
std::optional<std::string> MissingValue(std::string_view text, bool whole_argument) {
  for (const auto& [name, what] : kValueOptions) {
    if (whole_argument ? text == std::string(name) + "=" : text.find(name) != std::string_view::npos)
      return Needs(name);
  }
  return std::nullopt;
}

// A number as the whole text, the way a user writes one.
std::optional<double> Number(std::string_view text) {
  if (text.starts_with('+')) text.remove_prefix(1);
  double value = 0.0;
  const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || failure != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::string Refusal(std::string_view name, const std::string& found) {
  return Needs(name) + ", found \"" + textio::Printable(found, 64) + "\"";
}

// The command line as CLI11 reads it, before its values are checked: an
// option not given is nullopt, one given without its value "".
struct Arguments {
  std::vector<std::string> files;
  std::optional<std::string> spectrum, svg, normal_from, time, location, offshore, series, dt, series_csv, format;
  bool json = false, force = false, clockwise = false, help = false, version = false;
  bool series_value_joined = false;  // written --series=S: S must be a duration
};

// The values into `options`, and a value of --series that is no number back
// to the files; false with `error`.
bool TakeValues(Arguments& given, Options& options, std::string& error) {
  for (const auto& [value, name] : {std::pair{&given.spectrum, "--spectrum"}, std::pair{&given.svg, "--svg"},
                                    std::pair{&given.series_csv, "--series-csv"}}) {
    if (value->has_value() && (*value)->empty()) {
      error = Needs(name);
      return false;
    }
  }
  if (given.format) {
    options.format = FindOutputFormat(*given.format);
    if (options.format == nullptr) {
      error = Refusal("--format", *given.format);
      return false;
    }
  }
  options.spectrum = given.spectrum;
  options.svg = given.svg;
  options.json = given.json;
  options.force = given.force;
  options.help = given.help;
  options.version = given.version;

  TargetRequest& swan = options.swan;
  swan.clockwise = given.clockwise;
  if (given.normal_from) {
    const std::optional<double> value = Number(*given.normal_from);
    if (!value || !std::isfinite(*value)) {
      error = Refusal("--normal-from", *given.normal_from);
      return false;
    }
    swan.normal_from = value;
  }
  if (given.time) {
    if (given.time->empty()) {
      error = Refusal("--time", *given.time);
      return false;
    }
    swan.time = given.time;
  }
  if (given.location) {
    const std::string& text = *given.location;
    std::int64_t value = 0;
    const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || failure != std::errc() || end != text.data() + text.size() || value < 1) {
      error = Refusal("--location", text);
      return false;
    }
    swan.location = value;
  }
  if (given.offshore) {
    swan.offshore = swan::ParseOffshore(*given.offshore);
    if (!swan.offshore) {
      error = Refusal("--offshore", *given.offshore);
      return false;
    }
  }
  if (swan.SwanOptionsGiven() && !options.spectrum) {
    error = "--normal-from, --clockwise, --offshore, --time and --location go with --spectrum SWAN_FILE";
    return false;
  }

  SeriesRequest& series = options.series;
  if (given.series && !given.series->empty()) {
    const std::optional<double> duration = Number(*given.series);
    if (duration || given.series_value_joined) {
      if (!duration || !(*duration > 0.0) || !std::isfinite(*duration)) {
        error = "--series takes a duration in seconds above 0 (got " + textio::Printable(*given.series, 64) + ")";
        return false;
      }
      series.duration_s = duration;
    } else {
      given.files.push_back(*given.series);  // --series FILE: the duration is left out
    }
  }
  if (given.dt) {
    const std::optional<double> dt = Number(*given.dt);
    if (!dt || !(*dt > 0.0) || !std::isfinite(*dt)) {
      error = "--dt takes a time step in seconds above 0 (got " + textio::Printable(*given.dt, 64) + ")";
      return false;
    }
    series.dt_s = dt;
  }
  series.csv = given.series_csv;
  series.enabled = given.series || series.dt_s || series.csv;
  return true;
}

// nullopt with a message in `error` when the command line is wrong.
std::optional<Options> ParseOptions(std::span<const std::string> arguments, std::string& error) {
  Arguments given;
  CLI::App app("wavecomp-check", "wavecomp-check");
  app.set_help_flag();  // the help is our own text
  app.allow_extras();   // so that stray arguments get our own message
  // In the order the hint at a mistyped option prefers them.
  app.add_option("--spectrum", given.spectrum);
  app.add_option("--svg", given.svg);
  app.add_option("--normal-from", given.normal_from);
  app.add_option("--time", given.time);
  app.add_option("--location", given.location);
  app.add_option("--dt", given.dt);
  app.add_option("--series", given.series)->expected(0, 1);
  app.add_option("--series-csv", given.series_csv);
  app.add_option("--offshore", given.offshore);
  app.add_option("--format", given.format);
  app.add_flag("--json", given.json);
  app.add_flag("--force", given.force);
  app.add_flag("--clockwise", given.clockwise);
  app.add_flag("-h,--help", given.help);
  app.add_flag("--version", given.version);
  app.add_option("file", given.files);
  // CLI11 reads "--svg=" as "--svg" and takes the argument after an option
  // that needs a value whatever it is: both would take the next argument as
  // the file (a file named "-x" is "./-x" or "--svg=-x").
  for (std::size_t k = 0; k < arguments.size() && arguments[k] != "--"; ++k) {
    const std::string& argument = arguments[k];
    std::optional<std::string> missing = MissingValue(argument, true);
    if (!missing && k + 1 < arguments.size() && arguments[k + 1].starts_with('-') && !Number(arguments[k + 1])) {
      const auto named = [&argument](const auto& option) { return option.first == argument; };
      if (std::any_of(std::begin(kValueOptions), std::end(kValueOptions), named))
        missing = MissingValue(argument + "=", true);
    }
    if (missing) {
      error = *std::move(missing);
      return std::nullopt;
    }
    if (argument.starts_with("--series=")) given.series_value_joined = true;
  }
  try {
    ParseArguments(app, arguments);
  } catch (const CLI::ParseError& parse_error) {
    const std::string text = parse_error.what();
    error = MissingValue(text, false).value_or(text);
    return std::nullopt;
  }
  Options options;
  if (given.help || given.version) {
    options.help = given.help;
    options.version = given.version;
    return options;
  }
  for (const std::string& extra : app.remaining()) {
    if (extra.size() > 1 && extra[0] == '-') {
      error = "unknown option " + extra + DidYouMean(extra, app);
      return std::nullopt;
    }
    given.files.push_back(extra);
  }
  if (!TakeValues(given, options, error)) return std::nullopt;
  if (given.files.size() > 1) {
    error = "one component file at a time (got " + given.files[0] + " and " + given.files[1] + ")";
    return std::nullopt;
  }
  if (given.files.empty()) {
    error = "no component file given";
    return std::nullopt;
  }
  options.file = given.files.front();
  return options;
}

void WriteHelp(Console& console) {
  for (std::string_view line : kHelp) console.WriteLine(line);
}

std::string_view TrimmedLeft(std::string_view text) {
  const std::size_t start = text.find_first_not_of(' ');
  return start == std::string_view::npos ? std::string_view() : text.substr(start);
}

// An SVG file starts with its XML declaration or the svg element, perhaps
// after a comment or a doctype: "<svg" is within its first kilobyte.
bool LooksLikeSvg(const std::string& path) {
  char head[1024];
  const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) return false;
  const ssize_t got = ::read(descriptor, head, sizeof head);
  ::close(descriptor);
  if (got <= 0) return false;
  const std::string_view text(head, static_cast<std::size_t>(got));
  const std::size_t first = text.find_first_not_of(" \t\r\n\xef\xbb\xbf");
  return first != std::string_view::npos && text[first] == '<' && text.find("<svg") != std::string_view::npos;
}

// A series CSV starts with the header WriteSeriesCsv writes.
bool LooksLikeSeriesCsv(const std::string& path) {
  char head[kSeriesCsvStart.size()];
  const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) return false;
  const ssize_t got = ::read(descriptor, head, sizeof head);
  ::close(descriptor);
  return got == static_cast<ssize_t>(sizeof head) && std::string_view(head, sizeof head) == kSeriesCsvStart;
}

// What an output is, for the refusals.
struct OutputKind {
  std::string_view noun;    // "the plot"
  std::string_view option;  // "--svg"
  std::string_view what;    // "an SVG file"
  bool (*looks_like)(const std::string& path);
};
constexpr OutputKind kPlot{"the plot", "--svg", "an SVG file", LooksLikeSvg};
constexpr OutputKind kSeriesCsv{"the series", "--series-csv", "a series CSV file", LooksLikeSeriesCsv};

// textio's refusal of a name, as the checker words it for `kind`.
textio::OutputError InCheckerWords(const textio::OutputRefused& refused, const OutputKind& kind) {
  const std::string name_another = "name another file for " + std::string(kind.option);
  if (refused.is_input()) {
    return textio::OutputError(
        "will not write " + std::string(kind.noun) + " to", refused.path(),
        "it is " + textio::Printable(refused.what_it_is()) + ", which this command reads; " + name_another, EEXIST);
  }
  return textio::OutputError("will not write " + std::string(kind.noun) + " over", refused.path(),
                             "it is " + refused.what_it_is() + ", not a regular file; " + name_another, EEXIST);
}

const OutputKind& KindOf(const Options& options, const std::string& path) {
  return options.svg && *options.svg == path ? kPlot : kSeriesCsv;
}

// An output never lands on a file this command reads, nor on anything but a
// regular file, and replaces an earlier output of its kind only, unless
// --force says otherwise.
void CheckOutputTarget(const Options& options, const textio::OutputSet& outputs, const std::string& path,
                       const OutputKind& kind) {
  try {
    outputs.CheckReplaceable(path);
  } catch (const textio::OutputRefused& refused) {
    throw InCheckerWords(refused, kind);
  }
  struct stat target {};
  if (::stat(path.c_str(), &target) != 0) return;  // a new file
  if (options.force || !S_ISREG(target.st_mode) || kind.looks_like(path)) return;
  throw textio::OutputError("will not write " + std::string(kind.noun) + " over", path,
                            "it exists and is not " + std::string(kind.what) + "; name another file for " +
                                std::string(kind.option) + ", or add --force to replace it",
                            EEXIST);
}

void CheckOutputTargets(const Options& options, const textio::OutputSet& outputs) {
  if (options.svg) CheckOutputTarget(options, outputs, *options.svg, kPlot);
  if (!options.series.csv) return;
  CheckOutputTarget(options, outputs, *options.series.csv, kSeriesCsv);
  if (!options.svg) return;
  std::error_code plot_error, csv_error;
  const std::filesystem::path plot = std::filesystem::weakly_canonical(*options.svg, plot_error);
  const std::filesystem::path series = std::filesystem::weakly_canonical(*options.series.csv, csv_error);
  if (!plot_error && !csv_error && plot == series) {
    throw textio::OutputError("will not write the series to", *options.series.csv,
                              "it is the plot's file too; name another file for --series-csv or --svg", EEXIST);
  }
}

// The component file, or what the file given is instead when it is an
// input of a run (jonswap.spe given alone, say).
ComponentFile ReadComponent(const textio::TextFile& text, const std::string& path) {
  try {
    return ReadComponentFile(text);
  } catch (const textio::InputError& error) {
    // Every input of a run fails on the point count of the first line.
    const std::optional<std::string> kind = error.line() == 1 ? SpectrumFileKind(text, path) : std::nullopt;
    if (!kind) throw;
    const std::string name = textio::Printable(path);
    throw InputFailure(name + " is " + *kind + ", not a component wave file: give it with --spectrum beside " +
                       "the component file the run wrote, e.g. wavecomp-check --spectrum " + name + " wave.dat");
  }
}

// The checker's own errors as the three programs' front door knows them.
std::exception_ptr InCheckerTerms(const std::exception_ptr& error, const Options& options) {
  try {
    std::rethrow_exception(error);
  } catch (const UsageError& usage_error) {
    return std::make_exception_ptr(wavecomp::Refusal(usage_error.what()));
  } catch (const textio::OutputRefused& refused) {
    // A name that came to resolve to what may not be replaced while the check ran.
    return std::make_exception_ptr(InCheckerWords(refused, KindOf(options, refused.path())));
  } catch (const RunStop& stop) {
    // wavecomp's own readers refused the spectrum file as a run would.
    const std::string why = !stop.explanation().empty() ? stop.explanation() : std::string(stop.text());
    return std::make_exception_ptr(
        InputFailure(options.spectrum.value_or(options.file) + ": " + std::string(TrimmedLeft(why))));
  } catch (const textio::MemoryShortage&) {
    return error;
  } catch (const std::bad_alloc&) {
    // Told as a component file too large to hold: the readers and the series
    // name their own shortages (textio::MemoryShortage).
    return std::make_exception_ptr(wavecomp::Refusal("not enough memory to hold " + options.file));
  } catch (...) {
    return error;
  }
}

int Check(const Options& options, Console& out, const ProgressStream& progress) {
  textio::OutputSet outputs;
  outputs.Reads(options.file);
  if (options.spectrum) {
    outputs.Reads(*options.spectrum);
    // Read beside Emep and Ene data, and looked for beside any other kind.
    outputs.Reads(PointListName(*options.spectrum));
  }
  CheckOutputTargets(options, outputs);
  // A long check finds out first whether its outputs can be written.
  std::optional<textio::OutputFile> csv, svg;
  if (options.series.csv) csv.emplace(outputs.Create(*options.series.csv, textio::Publication::kReplace));
  if (options.svg && options.series.enabled) svg.emplace(outputs.Create(*options.svg, textio::Publication::kReplace));
  const std::optional<textio::TextFile> text = textio::TextFile::Open(options.file);
  if (!text) throw textio::UnopenableFile("component file", options.file);
  ComponentFile file =
      options.format ? ComponentFile(options.format->read(*text), options.format->model) : ReadComponent(*text, options.file);
  std::optional<TargetSpectra> target;
  if (options.spectrum) {
    TargetRequest request = options.swan;
    if (file.layout == FileLayout::kMultiPoint) {
      for (const PointComponents& point : file.points) request.point_numbers.push_back(point.point_number);
    }
    target = ReadTargetSpectra(*options.spectrum, request);
  }
  CheckResult result = Analyse(std::move(file), std::move(target));
  if (options.series.enabled) AddSeriesCheck(result, options.series, options.svg.has_value(), progress);
  if (csv) {
    ProgressLine line(progress, "writing " + textio::Printable(*options.series.csv));
    SeriesRun run;
    run.progress = [&line](double fraction) { line.Show(fraction); };
    WriteSeriesCsv(result.file, result.series->grid, *csv, run);
    line.Finish();
    outputs.Add(std::move(*csv));
  }
  if (options.svg) {
    if (!svg) svg.emplace(outputs.Create(*options.svg, textio::Publication::kReplace));
    std::string document = RenderSvg(result);
    if (!document.empty() && document.back() == '\n') document.pop_back();  // WriteLine ends the last line
    svg->WriteLine(document);
    outputs.Add(std::move(*svg));
  }
  if (options.json) {
    out.WriteLine(JsonReport(result, options.svg, options.series.csv));
  } else {
    WriteSummary(result, out);
    if (options.svg) out.WriteLine("Plot written to " + *options.svg);
    if (options.series.csv) out.WriteLine("Series written to " + *options.series.csv);
  }
  // The files appear only once the summary that names them has been taken.
  RequireStandardOutput(out, "; no file was written or changed");
  outputs.PublishAll();
  return kExitSuccess;
}

}  // namespace

int RunCheckCommand(std::span<const std::string> arguments, Console& out, Console& err,
                    const ProgressStream& progress) {
  std::string error;
  const std::optional<Options> options = ParseOptions(arguments, error);
  if (!options) {
    err.WriteLine("wavecomp-check: " + error);
    err.WriteLine(
        "Usage: wavecomp-check [--spectrum FILE] [--svg OUT.svg] [--json] [--series [S]] FILE (--help for more)");
    return kExitUsage;
  }
  try {
    if (options->help || options->version) {
      if (options->help) {
        WriteHelp(out);
      } else {
        out.WriteLine("wavecomp-check " + std::string(messages::kVersion));
      }
      RequireStandardOutput(out, "");
      return kExitSuccess;
    }
    return Check(*options, out, progress);
  } catch (...) {
    out.Flush();
    const ErrorEnding ending = EndingOfError(InCheckerTerms(std::current_exception(), *options), "wavecomp-check");
    err.WriteLine(ending.line);
    return ending.status;
  }
}

}  // namespace wavecomp::check
