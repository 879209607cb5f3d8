// wavecomp-import: converts the spectra of other wave models and of buoys
// into the input files of wavecomp, one command per source
// (input/spectral_sources.h), all with the same options.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "core/console.h"
#include "core/front_door.h"
#include "core/messages.h"
#include "core/signals.h"
#include "import/errors.h"
#include "import/summary.h"
#include "import/swan_import.h"
#include "input/spectral_sources.h"

namespace {

namespace importer = wavecomp::importer;

void Say(const std::string& message) { std::fprintf(stderr, "wavecomp-import: %s\n", message.c_str()); }

// The one place where an import's failures become exit statuses.
int RunCommand(const importer::ImportOptions& options) {
  return wavecomp::StatusOfCommand("wavecomp-import", options.swan_file, [&] {
    wavecomp::Console out(stdout, nullptr);
    const importer::ImportReport report = importer::RunImport(options, [&](const importer::ImportReport& done) {
      std::string summary = options.json ? importer::SummaryJson(done) : importer::SummaryText(done);
      if (!summary.empty() && summary.back() == '\n') summary.pop_back();  // WriteLine ends the last line
      out.WriteLine(summary);
      wavecomp::RequireStandardOutput(out, "; nothing was written");
    });
    for (const std::string& warning : report.warnings) Say("warning: " + warning);
    return wavecomp::kExitSuccess;
  });
}

// The first argument that names no option of `app` or its command, or no
// command; "" when every one does. CLI11 would report an unknown option only
// after a missing one ("SWAN_FILE is required"), and without a hint.
std::string UnknownArgument(const CLI::App& app, const std::vector<std::string>& arguments) {
  const std::vector<std::string> names = wavecomp::OptionNames(app);
  for (std::size_t k = 0; k < arguments.size() && arguments[k] != "--"; ++k) {
    const std::string& argument = arguments[k];
    if (k == 0 && !argument.starts_with('-') && wavecomp::spectra::FindSpectralSource(argument) == nullptr) {
      return "unknown command \"" + argument + "\": the " +
             (wavecomp::spectra::SpectralSources().size() == 1 ? "one command is " : "commands are ") +
             wavecomp::spectra::SpectralSourceCommands() + " (wavecomp-import swan --help)";
    }
    // A value such as --normal-from -90 is no option.
    char* end = nullptr;
    std::strtod(argument.c_str(), &end);
    if (argument.size() < 2 || argument[0] != '-' || *end == '\0') continue;
    const std::string name = argument.substr(0, argument.find('='));
    if (std::find(names.begin(), names.end(), name) == names.end()) {
      return "unknown option " + argument + wavecomp::DidYouMean(argument, app);
    }
  }
  return {};
}

// The options of one source's command; every source takes the same.
struct CommandOptions {
  CLI::App* command = nullptr;
  CLI::Option* time = nullptr;
  CLI::Option* locations = nullptr;
  CLI::Option* directions = nullptr;
  CLI::Option* offshore = nullptr;
};

}  // namespace

int main(int argc, char** argv) {
  wavecomp::InstallSignalHandlers("wavecomp-import");
  CLI::App app{"Converts the spectra of other wave models into wavecomp's input files.", "wavecomp-import"};
  app.set_version_flag("--version", "wavecomp-import " + std::string(wavecomp::messages::kVersion));
  app.require_subcommand(1);

  importer::ImportOptions options;
  std::string time;
  std::string locations;
  int directions = 0;
  std::string offshore;
  std::vector<CommandOptions> commands;
  for (const wavecomp::spectra::SpectralSource& source : wavecomp::spectra::SpectralSources()) {
    CommandOptions& row = commands.emplace_back();
    CLI::App* command = row.command = app.add_subcommand(std::string(source.command), std::string(source.help));
    command->add_option(std::string(source.file_argument), options.swan_file, std::string(source.file_help))
        ->required();
    command
        ->add_option("--normal-from", options.normal_from,
                     "nautical direction (deg, clockwise from North) from which a wave travelling along the model's "
                     "shoreward x-axis comes")
        ->required();
    command->add_option("--out", options.out, "name of the file(s) to create (never overwritten)")->required();
    row.time = command->add_option("--time", time, "the time to convert: YYYYMMDD.HHMMSS");
    CLI::Option* all_times = command->add_flag("--all-times", options.all_times,
                                               "convert every time, each into NAME_YYYYMMDDTHHMMSS (and its .pnt)");
    row.time->excludes(all_times);
    row.locations = command->add_option("--locations", locations,
                                        "locations to convert, in this order, e.g. 1,3,5-8 (default: all)");
    row.directions = command->add_option("--directions", directions,
                                         "directions of the Emep grid, -180 + (j-1) 360/MDD (default: the " +
                                             std::string(source.model) + " resolution, a divisor of 360)");
    command->add_flag("--clockwise", options.clockwise,
                      "model directions count clockwise (a y-axis pointing the other way)");
    command->add_option("--rho", options.rho, "water density for EnDens files (kg/m3)")->capture_default_str();
    command->add_option("--g", options.g, "gravity acceleration for EnDens files (m/s2)")->capture_default_str();
    command->add_flag("--json", options.json, "print the summary as JSON");
    row.offshore =
        command
            ->add_option("--offshore", offshore,
                         "energy travelling offshore (beyond +-90 deg): drop (the default: left out, the run gets "
                         "the onshore sea) or keep (written as " +
                             std::string(source.model) +
                             " has it); naming either lets a location more than half offshore through")
            ->check(CLI::Validator(
                [](std::string& value) {
                  return wavecomp::swan::ParseOffshore(value) ? std::string()
                                                              : "takes drop or keep, found \"" + value + "\"";
                },
                "drop|keep"));
    command->set_version_flag("--version", "wavecomp-import " + std::string(wavecomp::messages::kVersion));
  }

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    if (error.get_exit_code() == 0) return app.exit(error);  // --help, --version
    const std::string unknown = UnknownArgument(app, {argv + 1, argv + argc});
    Say(unknown.empty() ? error.what() : unknown);
    std::string command = "swan";
    for (const CommandOptions& row : commands) {
      if (row.command->parsed()) command = row.command->get_name();
    }
    Say("run 'wavecomp-import " + command + " --help' for the options");
    return wavecomp::kExitUsage;
  }
  for (const CommandOptions& row : commands) {
    if (!row.command->parsed()) continue;
    options.source = row.command->get_name();
    if (*row.time) options.time = time;
    if (*row.locations) options.locations = locations;
    if (*row.directions) options.directions = directions;
    if (*row.offshore) options.offshore = wavecomp::swan::ParseOffshore(offshore);
  }
  return RunCommand(options);
}
