#include "import/selection.h"

#include <algorithm>
#include <charconv>

#include "import/errors.h"

namespace wavecomp::importer {
namespace {

std::size_t LocationNumber(std::string_view text, std::string_view list, std::size_t count) {
  std::size_t number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
    throw Refusal("--locations " + std::string(list) +
                  ": expected location numbers and ranges such as 1,3,5-8, found \"" + std::string(text) + "\"");
  }
  if (number < 1 || number > count) {
    throw Refusal("--locations " + std::string(list) + ": location " + std::string(text) +
                  " is not in the file (1 to " + std::to_string(count) + ")");
  }
  return number;
}

}  // namespace

std::vector<std::size_t> ParseLocationList(std::string_view list, std::size_t count) {
  std::vector<std::size_t> indices;
  std::vector<bool> taken(count, false);
  std::size_t start = 0;
  while (start <= list.size()) {
    const std::size_t comma = std::min(list.find(',', start), list.size());
    const std::string_view item = list.substr(start, comma - start);
    const std::size_t dash = item.find('-');
    const std::size_t first = LocationNumber(item.substr(0, dash), list, count);
    const std::size_t last =
        dash == std::string_view::npos ? first : LocationNumber(item.substr(dash + 1), list, count);
    if (last < first)
      throw Refusal("--locations " + std::string(list) + ": the range " + std::string(item) + " runs backwards");
    for (std::size_t number = first; number <= last; ++number) {
      if (taken[number - 1]) {
        throw Refusal("--locations " + std::string(list) + ": location " + std::to_string(number) + " is named twice");
      }
      taken[number - 1] = true;
      indices.push_back(number - 1);
    }
    start = comma + 1;
  }
  return indices;
}

std::string CompactRanges(std::span<const std::size_t> numbers) {
  std::string text;
  for (std::size_t k = 0; k < numbers.size();) {
    std::size_t end = k;
    while (end + 1 < numbers.size() && numbers[end + 1] == numbers[end] + 1) ++end;
    if (!text.empty()) text += ',';
    text += std::to_string(numbers[k]);
    if (end > k) text += "-" + std::to_string(numbers[end]);
    k = end + 1;
  }
  return text;
}

std::string FileStamp(const swan::TimeStep& time) {
  std::string stamp = time.stamp;
  if (stamp.size() > 8) stamp[8] = 'T';
  return stamp;
}

std::vector<std::size_t> SelectTimes(const swan::SwanFile& file, const std::optional<std::string>& stamp,
                                     bool all_times) {
  if (file.stationary()) {
    if (stamp) throw Refusal("--time " + *stamp + ": " + file.name + " has no times (a stationary run, no TIME)");
    if (all_times) throw Refusal("--all-times: " + file.name + " has no times (a stationary run, no TIME)");
    return {0};
  }
  if (all_times) {
    for (std::size_t k = 1; k < file.times.size(); ++k) {
      for (std::size_t l = 0; l < k; ++l) {
        if (file.times[k].stamp == file.times[l].stamp) {
          throw Refusal("--all-times: the time " + file.times[k].stamp + " appears twice in " + file.name + " (lines " +
                        std::to_string(file.times[l].line) + " and " + std::to_string(file.times[k].line) +
                        "), so its outputs would share a name");
        }
      }
    }
    std::vector<std::size_t> all(file.times.size());
    for (std::size_t k = 0; k < all.size(); ++k) all[k] = k;
    return all;
  }
  if (stamp) {
    if (const std::optional<std::size_t> k = swan::FindTime(file, *stamp)) return {*k};
    throw Refusal("--time " + *stamp + " is not a time of " + file.name + "; its times are " + swan::TimeList(file));
  }
  if (file.times.size() == 1) return {0};
  throw Refusal(file.name + " holds " + std::to_string(file.times.size()) +
                " times: pick one with --time or convert each with --all-times; its times are " + swan::TimeList(file));
}

}  // namespace wavecomp::importer
