#include "check/check_command.h"

#include <CLI/CLI.hpp>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <new>
#include <optional>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "check/analysis.h"
#include "check/component_file.h"
#include "check/json_report.h"
#include "check/spectrum_file.h"
#include "check/summary.h"
#include "check/svg_plot.h"
#include "core/messages.h"
#include "core/run_stop.h"
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
    "  --spectrum FILE  compare with the input the file was made from:",
    "                   jonswap.spe, the frequency table of an Sspe run, or the",
    "                   data file of an Emep or Ene run (with its .pnt point",
    "                   list), whose every point is compared with its own",
    "                   spectrum and directions; or the SWAN spectrum file it",
    "                   was imported from: Hm0, Tp, mean direction and spread",
    "                   of each point's SWAN location in the model frame",
    "  --normal-from DEG  with a SWAN file (and only then): the nautical",
    "                   direction from which a wave travelling along the",
    "                   model's shoreward x-axis comes, as wavecomp-import had",
    "                   it; --clockwise too if it was given",
    "  --time STAMP     the time of a SWAN file of several times",
    "  --location K     the SWAN location a single-point file stands for (the",
    "                   point numbers of a multi-point file are locations)",
    "  --svg OUT.svg    draw the spectra, the direction histograms and, for",
    "                   several points, Hm0 along the points (replaces an",
    "                   earlier plot, never a file this command reads)",
    "  --force          let --svg replace a file that is not an SVG plot",
    "  --json           print the summary as one JSON document",
    "  -h, --help       show this text",
    "  --version        show the version",
    "",
    "Exit status: 0 checked, 1 wrong command line (or a SWAN time or location",
    "that does not fit the files), 2 a file that cannot be",
    "read as its layout requires, 3 the SVG file cannot be written.",
};

struct Options {
  std::string file;
  std::optional<std::string> spectrum;
  TargetRequest swan;  // its SWAN options; the points are added once the file is read
  std::optional<std::string> svg;
  bool json = false;
  bool force = false;
  bool help = false;
  bool version = false;
};

// The options that take a file name, for the message when it is missing.
constexpr std::string_view kValueOptions[] = {"--spectrum", "--svg"};

// The options of a SWAN target that take a value, and what it must be.
constexpr std::pair<std::string_view, std::string_view> kSwanValueOptions[] = {
    {"--normal-from", "a direction in degrees"},
    {"--time", "a time YYYYMMDD.HHMMSS"},
    {"--location", "a location number (1, 2, ...)"},
};

struct SwanArguments {
  std::string normal_from, time, location;
  CLI::Option* normal_from_option = nullptr;
  CLI::Option* time_option = nullptr;
  CLI::Option* location_option = nullptr;
};

void AddSwanOptions(CLI::App& app, SwanArguments& arguments, bool& clockwise) {
  arguments.normal_from_option = app.add_option("--normal-from", arguments.normal_from);
  arguments.time_option = app.add_option("--time", arguments.time);
  arguments.location_option = app.add_option("--location", arguments.location);
  app.add_flag("--clockwise", clockwise);
}

// "NAME needs WHAT" when `text` (an argument or CLI11's message) is about
// a SWAN option without its value.
std::optional<std::string> MissingSwanValue(std::string_view text, bool exact) {
  for (const auto& [name, what] : kSwanValueOptions) {
    if (exact ? text == std::string(name) + "=" : text.find(name) != std::string_view::npos) {
      return std::string(name) + " needs " + std::string(what);
    }
  }
  return std::nullopt;
}

// The values of the SWAN options into `options.swan`; false with `error`.
bool TakeSwanOptions(const SwanArguments& arguments, Options& options, std::string& error) {
  TargetRequest& swan = options.swan;
  const auto refuse = [&error](std::string_view name, std::string_view what, const std::string& found) {
    error = std::string(name) + " needs " + std::string(what) + ", found \"" + found + "\"";
    return false;
  };
  if (arguments.normal_from_option->count() > 0) {
    const std::string& text = arguments.normal_from;
    double value = 0.0;
    const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || failure != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
      return refuse("--normal-from", kSwanValueOptions[0].second, text);
    }
    swan.normal_from = value;
  }
  if (arguments.time_option->count() > 0) {
    if (arguments.time.empty()) return refuse("--time", kSwanValueOptions[1].second, arguments.time);
    swan.time = arguments.time;
  }
  if (arguments.location_option->count() > 0) {
    const std::string& text = arguments.location;
    std::int64_t value = 0;
    const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || failure != std::errc() || end != text.data() + text.size() || value < 1) {
      return refuse("--location", kSwanValueOptions[2].second, text);
    }
    swan.location = value;
  }
  if (swan.SwanOptionsGiven() && !options.spectrum) {
    error = "--normal-from, --clockwise, --time and --location go with --spectrum SWAN_FILE";
    return false;
  }
  return true;
}

// nullopt with a message in `error` when the command line is wrong.
std::optional<Options> ParseOptions(std::span<const std::string> arguments, std::string& error) {
  Options options;
  std::string spectrum, svg;
  std::vector<std::string> files;
  CLI::App app("wavecomp-check", "wavecomp-check");
  app.set_help_flag();  // the help is our own text
  app.allow_extras();   // so that stray arguments get our own message
  app.add_flag("-h,--help", options.help);
  app.add_flag("--version", options.version);
  app.add_flag("--json", options.json);
  app.add_flag("--force", options.force);
  CLI::Option* spectrum_option = app.add_option("--spectrum", spectrum);
  CLI::Option* svg_option = app.add_option("--svg", svg);
  app.add_option("file", files);
  SwanArguments swan;
  AddSwanOptions(app, swan, options.swan.clockwise);
  // CLI11 would take the next argument as the value of "--svg=".
  for (const std::string& argument : arguments) {
    if (argument == "--") break;
    if (std::optional<std::string> missing = MissingSwanValue(argument, true)) {
      error = *std::move(missing);
      return std::nullopt;
    }
    for (std::string_view name : kValueOptions) {
      if (argument == std::string(name) + "=") {
        error = std::string(name) + " needs a file name";
        return std::nullopt;
      }
    }
  }
  try {
    std::vector<std::string> reversed(arguments.rbegin(), arguments.rend());  // CLI11 takes them last first
    app.parse(reversed);
  } catch (const CLI::ParseError& parse_error) {
    const std::string text = parse_error.what();
    for (std::string_view name : kValueOptions) {
      if (text.find(name) != std::string::npos) {
        error = std::string(name) + " needs a file name";
        return std::nullopt;
      }
    }
    error = MissingSwanValue(text, false).value_or(text);
    return std::nullopt;
  }
  if (options.help || options.version) return options;
  for (const std::string& extra : app.remaining()) {
    if (extra.size() > 1 && extra[0] == '-') {
      error = "unknown option " + extra;
      return std::nullopt;
    }
    files.push_back(extra);
  }
  for (const auto& [option, value, name] :
       {std::tuple{spectrum_option, &spectrum, "--spectrum"}, std::tuple{svg_option, &svg, "--svg"}}) {
    if (option->count() == 0) continue;
    if (value->empty()) {
      error = std::string(name) + " needs a file name";
      return std::nullopt;
    }
  }
  if (spectrum_option->count() > 0) options.spectrum = spectrum;
  if (svg_option->count() > 0) options.svg = svg;
  if (!TakeSwanOptions(swan, options, error)) return std::nullopt;
  if (files.size() > 1) {
    error = "one component file at a time (got " + files[0] + " and " + files[1] + ")";
    return std::nullopt;
  }
  if (files.empty()) {
    error = "no component file given";
    return std::nullopt;
  }
  options.file = files.front();
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

// The plot never lands on a file this command reads, and replaces an earlier
// plot only, unless --force says otherwise.
void CheckPlotTarget(const Options& options) {
  const std::string& svg = *options.svg;
  struct stat target {};
  if (::stat(svg.c_str(), &target) != 0) return;  // a new file
  for (const std::optional<std::string>& input : {std::optional<std::string>(options.file), options.spectrum}) {
    struct stat read {};
    if (input && ::stat(input->c_str(), &read) == 0 && read.st_dev == target.st_dev && read.st_ino == target.st_ino) {
      throw textio::OutputError("will not write the plot to", svg,
                                "it is " + textio::Printable(*input) +
                                    ", which this command reads; name another file for --svg",
                                EEXIST);
    }
  }
  if (options.force || !S_ISREG(target.st_mode) || LooksLikeSvg(svg)) return;
  throw textio::OutputError("will not write the plot over", svg,
                            "it exists and is not an SVG file; name another file for --svg, or add --force to "
                            "replace it",
                            EEXIST);
}

int Check(const Options& options, Console& out) {
  if (options.svg) CheckPlotTarget(options);
  const std::optional<textio::TextFile> text = textio::TextFile::Open(options.file);
  if (!text) throw textio::InputError::Unreadable("component file", options.file);
  ComponentFile file = ReadComponentFile(*text);
  std::optional<TargetSpectra> target;
  if (options.spectrum) {
    TargetRequest request = options.swan;
    if (file.layout == FileLayout::kMultiPoint) {
      for (const PointComponents& point : file.points) request.point_numbers.push_back(point.point_number);
    }
    target = ReadTargetSpectra(*options.spectrum, request);
  }
  const CheckResult result = Analyse(std::move(file), std::move(target));
  if (options.svg) {
    textio::OutputFile svg = textio::OutputFile::Create(*options.svg, textio::Publication::kReplace);
    std::string document = RenderSvg(result);
    if (!document.empty() && document.back() == '\n') document.pop_back();  // WriteLine ends the last line
    svg.WriteLine(document);
    svg.Publish();
  }
  if (options.json) {
    out.WriteLine(JsonReport(result, options.svg));
    return kCheckDone;
  }
  WriteSummary(result, out);
  if (options.svg) out.WriteLine("Plot written to " + *options.svg);
  return kCheckDone;
}

}  // namespace

int RunCheckCommand(std::span<const std::string> arguments, Console& out, Console& err) {
  std::string error;
  const std::optional<Options> options = ParseOptions(arguments, error);
  if (!options) {
    err.WriteLine("wavecomp-check: " + error);
    err.WriteLine("Usage: wavecomp-check [--spectrum FILE] [--svg OUT.svg] [--json] FILE (--help for more)");
    return kCheckUsage;
  }
  if (options->help) {
    WriteHelp(out);
    return kCheckDone;
  }
  if (options->version) {
    out.WriteLine("wavecomp-check " + std::string(messages::kVersion));
    return kCheckDone;
  }
  try {
    return Check(*options, out);
  } catch (const UsageError& usage_error) {
    out.Flush();
    err.WriteLine(std::string("wavecomp-check: ") + usage_error.what());
    return kCheckUsage;
  } catch (const textio::InputError& input_error) {
    out.Flush();
    err.WriteLine(std::string("wavecomp-check: ") + input_error.what());
    return kCheckInputError;
  } catch (const textio::OutputError& output_error) {
    out.Flush();
    err.WriteLine(std::string("wavecomp-check: ") + output_error.what());
    return kCheckOutputError;
  } catch (const RunStop& stop) {
    // wavecomp's own readers refused the spectrum file as a run would.
    out.Flush();
    const std::string why = !stop.explanation().empty() ? stop.explanation() : std::string(stop.text());
    err.WriteLine("wavecomp-check: " + options->spectrum.value_or(options->file) + ": " +
                  std::string(TrimmedLeft(why)));
    return kCheckInputError;
  } catch (const std::bad_alloc&) {
    out.Flush();
    err.WriteLine("wavecomp-check: not enough memory to hold " + options->file);
    return kCheckInputError;
  }
}

}  // namespace wavecomp::check
