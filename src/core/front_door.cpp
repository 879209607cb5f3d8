#include "core/front_door.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <new>
#include <vector>

#include "core/run_stop.h"
#include "textio/errors.h"

namespace wavecomp {
namespace {

// Edits (insertions, deletions, substitutions, swaps of neighbours) that
// turn `a` into `b`.
std::size_t Edits(std::string_view a, std::string_view b) {
  std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
  for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t substitution = d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1);
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, substitution});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
      }
    }
  }
  return d[a.size()][b.size()];
}

// The start of a long option names it when it holds this many letters
// after "--" ("--dry" for "--dry-run"); fewer match too much by chance.
constexpr std::size_t kShortestStart = 3;

ErrorEnding Ending(int status, std::string message) {
  ErrorEnding ending;
  ending.status = status;
  ending.message = std::move(message);
  return ending;
}

}  // namespace

ErrorEnding EndingOfError(const std::exception_ptr& error, std::string_view program, const ErrorWording& wording) {
  ErrorEnding ending = [&] {
    try {
      std::rethrow_exception(error);
    } catch (const RunStop& stop) {
      switch (stop.kind()) {
        case RunStop::Kind::kMessage:
        case RunStop::Kind::kSilent:
          return Ending(kExitStopped, stop.explanation());
        case RunStop::Kind::kBadInput:
          return Ending(kExitInputError, stop.text());
        case RunStop::Kind::kNoOutput:
          break;
      }
      return Ending(kExitOutputError, stop.text());
    } catch (const Refusal& refusal) {
      return Ending(kExitStopped, refusal.what());
    } catch (const InputFailure& failure) {
      return Ending(kExitInputError, failure.what());
    } catch (const OutputFailure& failure) {
      return Ending(kExitOutputError, failure.what());
    } catch (const textio::UnopenableFile& missing) {
      return Ending(kExitStopped, missing.what());
    } catch (const textio::InputError& input_error) {
      return Ending(kExitInputError, input_error.what());
    } catch (const textio::OutputError& output_error) {
      return Ending(kExitOutputError, output_error.what());
    } catch (const textio::MemoryShortage& shortage) {
      return Ending(kExitStopped, shortage.what() + wording.after_memory_shortage);
    } catch (const std::bad_alloc&) {
      return Ending(kExitStopped, wording.out_of_memory);
    }
  }();
  if (!ending.message.empty()) ending.line = std::string(program) + ": " + ending.message;
  return ending;
}

std::vector<std::string> OptionNames(const CLI::App& app) {
  std::vector<std::string> names;
  for (const CLI::Option* option : app.get_options()) {
    for (const std::string& name : option->get_lnames()) names.push_back("--" + name);
    for (const std::string& name : option->get_snames()) names.push_back("-" + name);
  }
  for (const CLI::App* command : app.get_subcommands({})) {
    for (std::string& name : OptionNames(*command)) names.push_back(std::move(name));
  }
  return names;
}

std::string DidYouMean(std::string_view argument, const CLI::App& app) {
  const std::vector<std::string> names = OptionNames(app);
  const std::vector<std::string_view> known(names.begin(), names.end());
  return DidYouMean(argument, known);
}

void ParseArguments(CLI::App& app, std::span<const std::string> arguments) {
  std::vector<const char*> argv{app.get_name().c_str()};
  for (const std::string& argument : arguments) argv.push_back(argument.c_str());
  app.parse(static_cast<int>(argv.size()), argv.data());
}

std::string DidYouMean(std::string_view argument, std::span<const std::string_view> options) {
  argument = argument.substr(0, argument.find('='));
  std::string_view best;
  std::size_t best_edits = 0;
  std::size_t starts = 0;
  std::string_view started;
  for (const std::string_view option : options) {
    // Up to a third of a name may be off: "-x" is not taken for "-h".
    const std::size_t edits = Edits(argument, option);
    if (edits > 0 && 3 * edits <= option.size() && (best.empty() || edits < best_edits)) {
      best = option;
      best_edits = edits;
    }
    if (argument.size() >= 2 + kShortestStart && argument.starts_with("--") && option.starts_with(argument)) {
      ++starts;
      started = option;
    }
  }
  if (best.empty() && starts == 1) best = started;
  return best.empty() ? std::string() : "; did you mean " + std::string(best) + "?";
}

int StatusOfCommand(std::string_view program, const std::string& file, const std::function<int()>& body) {
  try {
    try {
      return body();
    } catch (const std::bad_alloc&) {
      throw Refusal("not enough memory for " + file);
    }
  } catch (...) {
    const ErrorEnding ending = EndingOfError(std::current_exception(), program);
    if (!ending.line.empty()) std::fprintf(stderr, "%s\n", ending.line.c_str());
    return ending.status;
  }
}

}  // namespace wavecomp
