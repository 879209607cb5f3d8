// wavecomp-check: checks a component wave file written by wavecomp.
#include <unistd.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "check/check_command.h"
#include "core/console.h"
#include "core/terminal_encoding.h"

int main(int argc, char** argv) {
  wavecomp::Console out(stdout, stdin);
  wavecomp::Console err(stderr, nullptr);
  // File names from a Shift-JIS system are shown readably on UTF-8 terminals.
  if (wavecomp::LineFilter filter = wavecomp::TerminalLineFilter(STDOUT_FILENO)) out.SetLineFilter(std::move(filter));
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  // Progress goes straight to standard error, a terminal's line rewritten in place.
  wavecomp::check::ProgressStream progress;
  progress.write = [](std::string_view bytes) {
    std::fwrite(bytes.data(), 1, bytes.size(), stderr);
    std::fflush(stderr);
  };
  progress.terminal = isatty(STDERR_FILENO) == 1;
  const int status = wavecomp::check::RunCheckCommand(arguments, out, err, progress);
  out.Flush();
  err.Flush();
  return status;
}
