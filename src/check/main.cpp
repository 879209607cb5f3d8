// wavecomp-check: checks a component wave file written by wavecomp.
#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "check/check_command.h"
#include "core/console.h"
#include "core/signals.h"
#include "core/terminal_encoding.h"

int main(int argc, char** argv) {
#if defined(M_TRIM_THRESHOLD) && defined(M_MMAP_THRESHOLD)
  // The time-domain check takes and frees megabytes per point on every thread;
  // glibc would map them afresh or give them back to the system after every
  // point and fault them in again, which doubles the time of many points.
  mallopt(M_MMAP_THRESHOLD, 32 << 20);  // glibc's largest
  mallopt(M_TRIM_THRESHOLD, 512 << 20);
#endif
  wavecomp::InstallSignalHandlers("wavecomp-check");
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
