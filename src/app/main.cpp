// wavecomp: turns a wave spectrum into equal-energy wave components for a
// coastal wave model. Everything is set by cont.txt in the working folder;
// the arguments only choose the folder or ask for a dry run.
#include <unistd.h>

#include <cstdio>
#include <exception>

#include "app/command_line.h"
#include "app/dry_run.h"
#include "app/exit_status.h"
#include "app/run_driver.h"
#include "core/console.h"
#include "core/signals.h"
#include "core/terminal_encoding.h"
#include "core/workspace.h"

int main(int argc, char** argv) {
  wavecomp::InstallSignalHandlers("wavecomp");
  const wavecomp::CommandLine command = wavecomp::ParseCommandLine({argv + 1, argv + argc});
  if (const std::optional<int> status = wavecomp::StartFromCommandLine(command)) return *status;
  const wavecomp::WarningSink warn = wavecomp::StandardErrorWarnings();
  wavecomp::Console console(stdout, stdin);
  console.SetNoticeSink([](const std::string& english) { std::fprintf(stderr, "wavecomp: %s\n", english.c_str()); });
  // Lines are laid out in Shift-JIS; a UTF-8 terminal gets them converted,
  // a pipe or a file gets the bytes unchanged.
  if (wavecomp::LineFilter filter = wavecomp::TerminalLineFilter(STDOUT_FILENO)) {
    console.SetLineFilter(std::move(filter));
  }
  try {
    wavecomp::WorkspacePtr workspace = wavecomp::MakeWorkspace();
    if (command.action == wavecomp::CommandLine::Action::kDryRun) {
      wavecomp::DryRun(*workspace, console, wavecomp::kControlFileName, warn);
    } else {
      wavecomp::RunWavecomp(*workspace, console, wavecomp::kControlFileName, warn);
    }
    console.Flush();
    return wavecomp::kExitSuccess;
  } catch (...) {
    const wavecomp::RunEnding ending = wavecomp::EndingOf(std::current_exception());
    if (ending.console_line) console.WriteLine(*ending.console_line);
    console.Flush();
    if (ending.diagnostic) std::fprintf(stderr, "wavecomp: %s\n", ending.diagnostic->c_str());
    return ending.exit_status;
  }
}
