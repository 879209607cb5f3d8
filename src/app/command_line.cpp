#include "app/command_line.h"

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/messages.h"

namespace wavecomp {
namespace {

constexpr const char* kHelp =
    "Usage: wavecomp [-C DIR] [--dry-run]\n"
    "       wavecomp --help | --version\n"
    "\n"
    "Turns a wave spectrum into N wave components of equal energy for a coastal\n"
    "wave model. Everything is set by the control file cont.txt in the working\n"
    "folder, and the files it names are looked up there too; the component wave\n"
    "file it names is created (never overwritten).\n"
    "\n"
    "cont.txt: line 1 a title; on lines 2-9 columns 1-10 are a free label and the\n"
    "value starts in column 11 (columns are counted in characters: use blanks,\n"
    "not tabs). Numbers fill fields of ten columns: 11-20, 21-30, ...\n"
    "  line 2  spectrum type: JNS, Sspe, Emep or Ene (case matters)\n"
    "  line 3  component count N, 1 to 1024\n"
    "  line 4  Smax, the spreading parameter (999 or more: not spread)\n"
    "  line 5  input spectrum file (Sspe, Emep, Ene)\n"
    "  line 6  output file (the component wave file)\n"
    "  line 7  H1/3 (m), T1/3 (s), principal direction (deg), gamma\n"
    "  line 8  fmin, fmax (Hz), JNS only\n"
    "  line 9  random seed of the phases\n"
    "\n"
    "Options:\n"
    "  -C DIR      run as if started in DIR (cont.txt and its files are read there)\n"
    "  --dry-run   the run with nothing written: show the settings as read (with\n"
    "              their lines and columns), what the inputs hold and what the\n"
    "              run would write, and stop where the run would stop; the\n"
    "              point-list question is not asked (read as if answered Y)\n"
    "  -h, --help  show this text\n"
    "  --version   show the version\n"
    "\n"
    "Exit status (as for wavecomp-check, wavecomp-import and wavecomp-export):\n"
    "0 the component wave file was written (--dry-run: the run would go ahead),\n"
    "1 the run stopped with one of its messages, 2 an input file could not be\n"
    "read as its layout requires or the command line is wrong, 3 no usable\n"
    "output file could be written, 128+n ended by signal n. Every stop also\n"
    "explains itself on standard error in a line starting \"wavecomp: \".\n"
    "\n"
    "See also: wavecomp-check(1), which reads a component wave file back,\n"
    "wavecomp-import(1), which turns SWAN, WAVEWATCH III, netCDF and buoy spectra\n"
    "into wavecomp inputs, and wavecomp-export(1), which writes the components\n"
    "as the boundary file of another wave model.\n";

constexpr const char* kFolderNeeded =
    "-C needs a folder: the one that holds cont.txt, for example wavecomp -C my-project";

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  CLI::App app("wavecomp", "wavecomp");
  app.set_help_flag();  // the help is our own text
  app.allow_extras();   // so that stray arguments get our own message
  bool help = false, version = false, dry_run = false;
  std::string folder;
  CLI::Option* folder_option = app.add_option("-C", folder);
  app.add_flag("--dry-run", dry_run);
  app.add_flag("-h,--help", help);
  app.add_flag("--version", version);
  CommandLine command;
  try {
    ParseArguments(app, arguments);
  } catch (const CLI::ParseError& error) {
    command.action = CommandLine::Action::kUsageError;
    // CLI11's only error here is -C without its folder ("-C: 1 required TEXT missing").
    const std::string what = error.what();
    command.error = what.starts_with("-C") ? kFolderNeeded : what;
    return command;
  }
  if (help) {
    command.action = CommandLine::Action::kHelp;
    return command;
  }
  if (version) {
    command.action = CommandLine::Action::kVersion;
    return command;
  }
  const std::vector<std::string> extras = app.remaining();
  if (!extras.empty()) {
    command.action = CommandLine::Action::kUsageError;
    const std::string& first = extras.front();
    if (first.size() > 1 && first[0] == '-') {
      command.error = "unknown option \"" + first + "\"" + DidYouMean(first, app);
    } else {
      command.error = "unexpected argument \"" + first +
                      "\": wavecomp takes no file names, it reads cont.txt in the working folder (name another "
                      "folder with -C DIR)";
    }
    return command;
  }
  if (folder_option->count() > 0) {
    if (folder.empty()) {
      command.action = CommandLine::Action::kUsageError;
      command.error = kFolderNeeded;
      return command;
    }
    command.folder = folder;
  }
  if (dry_run) command.action = CommandLine::Action::kDryRun;
  return command;
}

std::string HelpText() { return kHelp; }

std::string VersionText() { return "wavecomp " + std::string(messages::kVersion) + "\n"; }

std::optional<int> StartFromCommandLine(const CommandLine& command) {
  switch (command.action) {
    case CommandLine::Action::kHelp:
      std::fputs(HelpText().c_str(), stdout);
      return 0;
    case CommandLine::Action::kVersion:
      std::fputs(VersionText().c_str(), stdout);
      return 0;
    case CommandLine::Action::kUsageError:
      std::fprintf(stderr, "wavecomp: %s (see wavecomp --help)\n", command.error.c_str());
      return kExitUsage;
    case CommandLine::Action::kRun:
    case CommandLine::Action::kDryRun:
      break;
  }
  if (command.folder && ::chdir(command.folder->c_str()) != 0) {
    std::fprintf(stderr, "wavecomp: -C: cannot enter the folder \"%s\": %s\n", command.folder->c_str(),
                 std::strerror(errno));
    return kExitUsage;
  }
  return std::nullopt;
}

WarningSink StandardErrorWarnings() {
  return [](const std::string& warning) {
    std::fflush(stdout);  // keeps the order of the lines on a terminal
    std::fprintf(stderr, "wavecomp: warning: %s\n", warning.c_str());
  };
}

}  // namespace wavecomp
