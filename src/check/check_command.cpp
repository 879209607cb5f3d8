#include "check/check_command.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <new>
#include <optional>
#include <string_view>

#include "check/analysis.h"
#include "check/component_file.h"
#include "check/spectrum_file.h"
#include "check/summary.h"
#include "check/svg_plot.h"
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
    "  --spectrum FILE  compare with this target spectrum: jonswap.spe, or the",
    "                   frequency table of an Sspe run",
    "  --svg OUT.svg    draw the spectra, the direction histograms and, for",
    "                   several points, Hm0 along the points (replaces an",
    "                   earlier plot, never a file this command reads)",
    "  --force          let --svg replace a file that is not an SVG plot",
    "  --help           show this text",
    "",
    "Exit status: 0 checked, 1 wrong command line, 2 a file that cannot be",
    "read as its layout requires, 3 the SVG file cannot be written.",
};

struct Options {
  std::string file;
  std::optional<std::string> spectrum;
  std::optional<std::string> svg;
  bool force = false;
  bool help = false;
};

// nullopt with a message in `error` when the command line is wrong.
std::optional<Options> ParseOptions(std::span<const std::string> arguments, std::string& error) {
  Options options;
  bool files_only = false;
  std::optional<std::string> file;
  for (std::size_t k = 0; k < arguments.size(); ++k) {
    const std::string& argument = arguments[k];
    if (!files_only && argument == "--") {
      files_only = true;
      continue;
    }
    if (!files_only && argument.size() > 1 && argument[0] == '-') {
      if (argument == "--help" || argument == "-h") {
        options.help = true;
        continue;
      }
      if (argument == "--force") {
        options.force = true;
        continue;
      }
      std::optional<std::string>* target = nullptr;
      std::string name = argument;
      std::optional<std::string> value;
      if (const std::size_t equals = argument.find('='); equals != std::string::npos) {
        name = argument.substr(0, equals);
        value = argument.substr(equals + 1);
      }
      if (name == "--spectrum")
        target = &options.spectrum;
      else if (name == "--svg")
        target = &options.svg;
      if (target == nullptr) {
        error = "unknown option " + argument;
        return std::nullopt;
      }
      if (!value) {
        if (k + 1 >= arguments.size()) {
          error = name + " needs a file name";
          return std::nullopt;
        }
        value = arguments[++k];
      }
      if (value->empty()) {
        error = name + " needs a file name";
        return std::nullopt;
      }
      *target = *value;
      continue;
    }
    if (file) {
      error = "one component file at a time (got " + *file + " and " + argument + ")";
      return std::nullopt;
    }
    file = argument;
  }
  if (options.help) return options;
  if (!file) {
    error = "no component file given";
    return std::nullopt;
  }
  options.file = *file;
  return options;
}

void WriteHelp(Console& console) {
  for (std::string_view line : kHelp) console.WriteLine(line);
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
  std::optional<TargetSpectrum> target;
  if (options.spectrum) target = ReadTargetSpectrum(*options.spectrum);
  const CheckResult result = Analyse(std::move(file), std::move(target));
  if (options.svg) {
    textio::OutputFile svg = textio::OutputFile::Create(*options.svg, textio::Publication::kReplace);
    std::string document = RenderSvg(result);
    if (!document.empty() && document.back() == '\n') document.pop_back();  // WriteLine ends the last line
    svg.WriteLine(document);
    svg.Publish();
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
    err.WriteLine("Usage: wavecomp-check [--spectrum FILE] [--svg OUT.svg] FILE (--help for more)");
    return kCheckUsage;
  }
  if (options->help) {
    WriteHelp(out);
    return kCheckDone;
  }
  try {
    return Check(*options, out);
  } catch (const textio::InputError& input_error) {
    out.Flush();
    err.WriteLine(std::string("wavecomp-check: ") + input_error.what());
    return kCheckInputError;
  } catch (const textio::OutputError& output_error) {
    out.Flush();
    err.WriteLine(std::string("wavecomp-check: ") + output_error.what());
    return kCheckOutputError;
  } catch (const std::bad_alloc&) {
    out.Flush();
    err.WriteLine("wavecomp-check: not enough memory to hold " + options->file);
    return kCheckInputError;
  }
}

}  // namespace wavecomp::check
