// wavecomp: turns a wave spectrum into equal-energy wave components for a
// coastal wave model. Everything is set by cont.txt in the working folder.
#include <unistd.h>

#include <cstdio>
#include <new>

#include "core/console.h"
#include "app/run_driver.h"
#include "core/run_stop.h"
#include "core/terminal_encoding.h"
#include "core/workspace.h"

int main() {
  wavecomp::Console console(stdout, stdin);
  // Lines are laid out in Shift-JIS; a UTF-8 terminal gets them converted,
  // a pipe or a file gets the bytes unchanged.
  if (wavecomp::LineFilter filter = wavecomp::TerminalLineFilter(STDOUT_FILENO)) {
    console.SetLineFilter(std::move(filter));
  }
  try {
    wavecomp::WorkspacePtr workspace = wavecomp::MakeWorkspace();
    wavecomp::RunWavecomp(*workspace, console);
    console.Flush();
    return wavecomp::kExitSuccess;
  } catch (const wavecomp::RunStop& stop) {
    switch (stop.channel()) {
      case wavecomp::RunStop::Channel::kConsole:
        console.WriteLine(stop.text());
        break;
      case wavecomp::RunStop::Channel::kError:
        console.Flush();
        std::fprintf(stderr, "wavecomp: %s\n", stop.text());
        break;
      case wavecomp::RunStop::Channel::kSilent:
        break;
    }
    console.Flush();
    return stop.exit_status();
  } catch (const std::bad_alloc&) {
    console.Flush();
    std::fprintf(stderr, "wavecomp: not enough memory for the workspace\n");
    return wavecomp::kExitStopped;
  }
}
