// The command line of wavecomp. A run is set by cont.txt alone; the
// arguments only choose the folder, ask for a dry run, or ask about the
// program itself.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/front_door.h"
#include "input/diagnostics.h"

namespace wavecomp {

struct CommandLine {
  enum class Action {
    kRun,         // the run of cont.txt
    kDryRun,      // read and tell, write nothing
    kHelp,        // print the help text
    kVersion,     // print the version
    kUsageError,  // print `error`; nothing is read or written
  };
  Action action = Action::kRun;
  std::optional<std::string> folder;  // -C DIR: run as if started there
  std::string error;                  // what is wrong with the arguments
};

// The meaning of the arguments (without the program name).
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

std::string HelpText();     // lines ending in '\n'
std::string VersionText();  // one line ending in '\n'

// Does what the command line asks before a run: prints the help, the
// version or the usage error and returns the exit status when the program
// ends here, and enters the folder of -C otherwise (a folder that cannot be
// entered ends it as a usage error).
std::optional<int> StartFromCommandLine(const CommandLine& command);

// Warnings shown on standard error as "wavecomp: warning: ...".
WarningSink StandardErrorWarnings();

}  // namespace wavecomp
