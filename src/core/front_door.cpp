#include "core/front_door.h"

#include <algorithm>
#include <vector>

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

}  // namespace

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

}  // namespace wavecomp
