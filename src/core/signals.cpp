#include "core/signals.h"

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "textio/errors.h"
#include "textio/output_file.h"
#include "textio/records.h"

namespace wavecomp {
namespace {

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

constexpr const char* kNothingChanged = "; the run stopped and no file was written or changed\n";

const char* ReasonOf(int signal_number) {
  switch (signal_number) {
    case SIGINT:
      return "interrupted (SIGINT)";
    case SIGTERM:
      return "told to terminate (SIGTERM)";
    case SIGHUP:
      return "the terminal went away (SIGHUP)";
    case SIGPIPE:
      return "standard output was closed by its reader (SIGPIPE)";
    default:
      return "";
  }
}

// A handler may only write bytes it already has: every line it can write is
// laid out when the handlers are installed.
constexpr std::size_t kLongestLine = 256;
char g_lines[std::size(kEndingSignals)][kLongestLine];
const char* g_program = "";

const char* LineOf(int signal_number) {
  for (std::size_t k = 0; k < std::size(kEndingSignals); ++k) {
    if (kEndingSignals[k] == signal_number) return g_lines[k];
  }
  return "";
}

void Say(const char* text, std::size_t length) {
  while (length > 0) {
    const ssize_t put = ::write(STDERR_FILENO, text, length);
    if (put <= 0) return;  // nothing more to be done about a standard error that is gone
    text += put;
    length -= static_cast<std::size_t>(put);
  }
}

void Say(const char* text) { Say(text, std::strlen(text)); }

extern "C" void EndBySignal(int signal_number) {
  textio::RemoveTemporaryFiles();
  Say(LineOf(signal_number));
  // The default action ends the process with the signal's own status.
  ::signal(signal_number, SIG_DFL);
  ::raise(signal_number);
}

// A mapped input that shrinks under the reader leaves pages without data, and
// touching one raises SIGBUS wherever the reading happens to be: in a field
// parser, a memchr, a copy. The handler ends the process right there, after
// removing the temporaries: the run cannot go on without its input, and
// nothing of it was published yet. _exit needs no unwinding through code
// interrupted at an arbitrary instruction; jumping back into the reading path
// (siglongjmp) would skip destructors and leave its state half-changed.
// Reading files with read() instead of mapping them would copy every file
// whole before its first record is looked at; mapping stays.
extern "C" void EndByBusError(int signal_number, siginfo_t* info, void*) {
  const char* const file = info != nullptr ? textio::MappedFileAt(info->si_addr) : nullptr;
  if (file == nullptr) {
    // Not an input cut short (another fault, or kill -BUS): the default action.
    ::signal(signal_number, SIG_DFL);
    ::raise(signal_number);
    return;
  }
  textio::RemoveTemporaryFiles();
  Say(g_program);
  Say(": the input file ");
  Say(file);
  Say(" became shorter while it was read (another program truncated or rewrote it)");
  Say(kNothingChanged);
  ::_exit(kInputCutShortStatus);
}

void SayWaitingForWriter(const std::string& path) {
  std::fprintf(stderr, "%s: waiting for a program to write into the FIFO %s (Ctrl-C to stop)\n", g_program,
               textio::Printable(path).c_str());
  std::fflush(stderr);
}

}  // namespace

void InstallSignalHandlers(const char* program) {
  g_program = program;
  for (std::size_t k = 0; k < std::size(kEndingSignals); ++k) {
    std::snprintf(g_lines[k], kLongestLine, "%s: %s%s", program, ReasonOf(kEndingSignals[k]), kNothingChanged);
  }
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

  struct sigaction bus {};
  bus.sa_sigaction = EndByBusError;
  bus.sa_flags = SA_SIGINFO;
  sigemptyset(&bus.sa_mask);
  for (const int signal_number : kEndingSignals) sigaddset(&bus.sa_mask, signal_number);
  ::sigaction(SIGBUS, &bus, nullptr);

  textio::SetWriterWaitNotice(SayWaitingForWriter);
}

}  // namespace wavecomp
