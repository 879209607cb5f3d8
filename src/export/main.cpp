// wavecomp-export: writes the components of a component wave file as the
// boundary file of another wave model.
#include <sys/resource.h>

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
#include "export/export_command.h"
#include "output/output_formats.h"

namespace {

namespace exporter = wavecomp::exporter;

void Say(const std::string& message) { std::fprintf(stderr, "wavecomp-export: %s\n", message.c_str()); }

// Every file of --all-points stays open, without a name, until all are
// written and published together: one descriptor per point.
void AllowOneDescriptorPerPoint() {
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= limit.rlim_max) return;
  limit.rlim_cur = limit.rlim_max;
  ::setrlimit(RLIMIT_NOFILE, &limit);
}

// The one place where an export's failures become exit statuses.
int Run(const exporter::ExportRequest& request) {
  return wavecomp::StatusOfCommand("wavecomp-export", request.component_file, [&] {
    wavecomp::Console out(stdout, nullptr);
    const exporter::ExportReport report = exporter::RunExport(request, [&](const exporter::ExportReport& done) {
      std::string summary = request.json ? exporter::SummaryJson(done) : exporter::SummaryText(done);
      if (!summary.empty() && summary.back() == '\n') summary.pop_back();  // WriteLine ends the last line
      out.WriteLine(summary);
      wavecomp::RequireStandardOutput(out, "; nothing was written");
    });
    for (const std::string& warning : report.warnings) Say("warning: " + warning);
    return wavecomp::kExitSuccess;
  });
}

}  // namespace

int main(int argc, char** argv) {
  wavecomp::InstallSignalHandlers("wavecomp-export");
  CLI::App app{"Writes the components of a component wave file as the boundary file of another wave model: " +
                   wavecomp::OutputFormatNames() + ".",
               "wavecomp-export"};
  app.set_version_flag("--version", "wavecomp-export " + std::string(wavecomp::messages::kVersion));
  exporter::ExportRequest request;
  app.add_option("FORMAT", request.format, "the format: " + wavecomp::OutputFormatNames())->required();
  app.add_option("COMPONENT_FILE", request.component_file, "the component wave file wavecomp wrote")->required();
  app.add_option("--out", request.out, "name of the file to create (never overwritten)")->required();
  int point = 0;
  CLI::Option* point_option =
      app.add_option("--point", point, "the point (its number in the file) to export from a multi-point file");
  CLI::Option* all_points =
      app.add_flag("--all-points", request.all_points, "write every point, each into NAME_P<k>");
  point_option->excludes(all_points);
  double depth = 0.0;
  CLI::Option* depth_option = app.add_option(
      "--depth", depth, "csv and json: water depth (m) for the wavenumber and wavelength (linear dispersion)");
  app.add_flag("--json", request.json, "print the summary as JSON");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    if (error.get_exit_code() == 0) return app.exit(error);  // --help, --version
    std::string message = error.what();
    const std::vector<std::string> names = wavecomp::OptionNames(app);
    for (int k = 1; k < argc; ++k) {
      const std::string argument = argv[k];
      char* end = nullptr;
      std::strtod(argument.c_str(), &end);
      if (argument.size() < 2 || argument[0] != '-' || *end == '\0') continue;  // a value such as --depth -1
      if (std::find(names.begin(), names.end(), argument.substr(0, argument.find('='))) == names.end()) {
        message = "unknown option " + argument + wavecomp::DidYouMean(argument, app);
        break;
      }
    }
    Say(message);
    Say("run 'wavecomp-export --help' for the options");
    return wavecomp::kExitUsage;
  }
  if (wavecomp::FindOutputFormat(request.format) == nullptr) {
    Say("unknown format \"" + request.format + "\": one of " + wavecomp::OutputFormatNames());
    Say("run 'wavecomp-export --help' for the options");
    return wavecomp::kExitUsage;
  }
  if (*point_option) request.point = point;
  if (*depth_option) request.depth_m = depth;
  if (request.all_points) AllowOneDescriptorPerPoint();
  return Run(request);
}
