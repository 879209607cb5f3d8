// What wavecomp, wavecomp-check and wavecomp-import share at their front
// door: one scheme of exit statuses, the errors each program's work may end
// with and the one line each shows, and the way CLI11 reads their arguments.
#pragma once

#include <exception>
#include <functional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace CLI {
class App;
}

namespace wavecomp {

// Exit statuses of all three programs. A signal ends a program with
// 128 + its number (its default action, as the shell reports it).
enum ExitStatus : int {
  kExitSuccess = 0,      // done (--dry-run: the run would go ahead; --help, --version)
  kExitStopped = 1,      // refused: the program's own checks, a missing input, an existing output, ...
  kExitInputError = 2,   // an input file that does not follow its layout
  kExitUsage = 2,        // a wrong command line; nothing was read or written
  kExitOutputError = 3,  // the system failed: an output could not be made or written
};

// Errors of a program's own making, one per status; the textio errors, a
// RunStop and std::bad_alloc carry theirs by their type.
class Refusal : public std::runtime_error {  // kExitStopped: refused by the program's own checks
 public:
  using std::runtime_error::runtime_error;
};
class InputFailure : public std::runtime_error {  // kExitInputError: an input the program cannot take
 public:
  using std::runtime_error::runtime_error;
};
class OutputFailure : public std::runtime_error {  // kExitOutputError: an output that could not be made
 public:
  using std::runtime_error::runtime_error;
};

// The words of one program where the shared ones would not say enough.
struct ErrorWording {
  std::string out_of_memory = "not enough memory";  // for std::bad_alloc
  std::string after_memory_shortage;  // appended to a textio::MemoryShortage, which names what the memory was for
};

// How a program that threw ends.
struct ErrorEnding {
  int status = kExitStopped;
  std::string message;  // for standard error after "<program>: "; "" when nothing is shown
  std::string line;     // "<program>: <message>" without its '\n', or "" with the message
};

// The ending of `error`: Refusal, InputFailure, OutputFailure, RunStop (its
// explanation, or its text for a diagnostic), textio::UnopenableFile (1),
// textio::InputError (2), textio::OutputError and those derived from it (3),
// textio::MemoryShortage and std::bad_alloc (1). Anything else is thrown again.
ErrorEnding EndingOfError(const std::exception_ptr& error, std::string_view program, const ErrorWording& wording = {});

// Runs the body of a command that has no words of its own for its errors
// (the importer, the exporter) and returns its status: what the body throws
// becomes the status and the one stderr line of EndingOfError, and a
// shortage of memory anywhere, a textio::MemoryShortage too, is a refusal
// told by the file it stopped ("not enough memory for <file>").
int StatusOfCommand(std::string_view program, const std::string& file, const std::function<int()>& body);

// "; did you mean --dry-run?" when `argument`, an unknown option, looks like
// a mistyped one of `options` (one or two letters off, or the start of only
// one of them); "" otherwise.
std::string DidYouMean(std::string_view argument, std::span<const std::string_view> options);

// The command-line conventions of the three programs, for a CLI11 app.

// Every name of the options of `app` ("--dry-run", "-C"), and of its
// subcommands', for DidYouMean.
std::vector<std::string> OptionNames(const CLI::App& app);

// DidYouMean over the option names of `app`.
std::string DidYouMean(std::string_view argument, const CLI::App& app);

// Has `app` read `arguments` (without the program name) in their order. CLI11
// reads a vector of arguments from its back, as it pops them, so a vector
// given to it must come last first; its (argc, argv) form does that turn.
void ParseArguments(CLI::App& app, std::span<const std::string> arguments);

}  // namespace wavecomp
