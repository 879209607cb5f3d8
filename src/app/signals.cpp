#include "app/signals.h"

#include <signal.h>
#include <unistd.h>

#include <cstring>

#include "textio/output_file.h"

namespace wavecomp {
namespace {

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

// Fixed texts: a handler may only write bytes it already has.
const char* MessageOf(int signal_number) {
  switch (signal_number) {
    case SIGINT:
      return "wavecomp: interrupted (SIGINT); the run stopped and no file was written or changed\n";
    case SIGTERM:
      return "wavecomp: told to terminate (SIGTERM); the run stopped and no file was written or changed\n";
    case SIGHUP:
      return "wavecomp: the terminal went away (SIGHUP); the run stopped and no file was written or changed\n";
    case SIGPIPE:
      return "wavecomp: standard output was closed by its reader (SIGPIPE); the run stopped and no file was "
             "written or changed\n";
    default:
      return "";
  }
}

extern "C" void EndBySignal(int signal_number) {
  textio::RemoveTemporaryFiles();
  const char* const message = MessageOf(signal_number);
  if (::write(STDERR_FILENO, message, std::strlen(message)) < 0) {
    // Nothing more to be done about a standard error that is gone.
  }
  // The default action ends the process with the signal's own status.
  ::signal(signal_number, SIG_DFL);
  ::raise(signal_number);
}

}  // namespace

void InstallSignalHandlers() {
  struct sigaction action {};
  action.sa_handler = EndBySignal;
  sigemptyset(&action.sa_mask);
  // A second stop waits while the first one is handled.
  for (const int signal_number : kEndingSignals) sigaddset(&action.sa_mask, signal_number);
  for (const int signal_number : kEndingSignals) {
    struct sigaction before {};
    if (::sigaction(signal_number, nullptr, &before) == 0 && before.sa_handler == SIG_IGN) continue;
    ::sigaction(signal_number, &action, nullptr);
  }
  ::signal(SIGXFSZ, SIG_IGN);
}

}  // namespace wavecomp
