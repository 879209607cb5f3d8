#include "check/targets/swan_target.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "input/swan_file.h"
#include "input/swan_sea_state.h"
#include "textio/format.h"

namespace wavecomp::check {
namespace {

// At most this many locations are listed in a refusal.
constexpr std::size_t kListedLocations = 20;
// A location with this share of its energy offshore gets a note.
constexpr double kOffshoreNoteShare = 0.01;

std::string LocationList(const swan::SwanFile& file) {
  const int decimals = file.coordinates == swan::Coordinates::kSpherical ? 4 : 2;
  std::string list;
  for (std::size_t k = 0; k < file.locations.size() && k < kListedLocations; ++k) {
    const swan::Location& where = file.locations[k];
    list += (k == 0 ? "" : ", ") + std::to_string(k + 1) + " at (" + textio::BoundedFixedNumber(where.x, decimals) +
            ", " + textio::BoundedFixedNumber(where.y, decimals) + ")";
  }
  if (file.locations.size() > kListedLocations) list += ", ...";
  return list;
}

std::size_t PickTime(const swan::SwanFile& file, const std::optional<std::string>& stamp) {
  if (file.stationary()) {
    if (stamp) throw UsageError("--time " + *stamp + ": " + file.name + " has no times (a stationary run, no TIME)");
    return 0;
  }
  if (stamp) {
    if (const std::optional<std::size_t> k = swan::FindTime(file, *stamp)) return *k;
    throw UsageError("--time " + *stamp + " is not a time of " + file.name + "; its times are " + swan::TimeList(file));
  }
  if (file.times.size() == 1) return 0;
  throw UsageError(file.name + " holds " + std::to_string(file.times.size()) +
                   " times: name the one the component file was made from with --time; its times are " +
                   swan::TimeList(file));
}

// 0-based location of every point of the component file, in its order.
std::vector<std::size_t> PairedLocations(const swan::SwanFile& file, const TargetRequest& request) {
  const std::size_t count = file.locations.size();
  const std::string range = " (1 to " + std::to_string(count) + ")";
  if (!request.point_numbers.empty()) {
    if (request.location) {
      throw UsageError(
          "--location names the SWAN location of a single-point component file; the points of a multi-point file "
          "are paired with the locations of their numbers");
    }
    std::vector<std::size_t> indices;
    for (const std::int32_t number : request.point_numbers) {
      if (number < 1 || static_cast<std::size_t>(number) > count) {
        throw UsageError("point number " + std::to_string(number) + " of the component file is not a location of " +
                         file.name + range + "; wavecomp-import numbers the points by their SWAN locations");
      }
      indices.push_back(static_cast<std::size_t>(number) - 1);
    }
    return indices;
  }
  if (request.location) {
    if (*request.location < 1 || static_cast<std::size_t>(*request.location) > count) {
      throw UsageError("--location " + std::to_string(*request.location) + " is not a location of " + file.name +
                       range);
    }
    return {static_cast<std::size_t>(*request.location) - 1};
  }
  if (count == 1) return {0};
  throw UsageError(file.name + " holds " + std::to_string(count) + " locations: " + LocationList(file) +
                   "; name the one the component file stands for with --location K");
}

std::string Percent(double share) { return textio::BoundedFixedNumber(100.0 * share, 1) + " %"; }

void NoteLocation(const swan::SwanFile& file, std::size_t index, const swan::LocationBlock& block,
                  const swan::SeaState& state, swan::Offshore offshore, std::vector<std::string>& notes) {
  const std::string where = "location " + std::to_string(index + 1);
  if (block.kind == swan::BlockKind::kZero) notes.push_back(where + " is ZERO in " + file.name + ": no energy");
  if (!(state.offshore_share >= kOffshoreNoteShare)) return;
  const std::string share = (file.two_dimensional ? "" : "about ") + Percent(state.offshore_share) +
                            " of its energy travels offshore (beyond +-90 deg" +
                            (file.two_dimensional ? ")" : ", from the spreading)");
  if (offshore == swan::Offshore::kDrop) {
    notes.push_back(where + ": " + share +
                    "; as wavecomp-import leaves it out by default (--offshore drop), the target is the onshore "
                    "part: Hm0 " +
                    textio::BoundedFixedNumber(state.onshore_hm0, 4) + " m of the whole sea's " +
                    textio::BoundedFixedNumber(state.total_hm0, 4) +
                    " m, with the onshore part's mean direction and spread");
  } else if (file.two_dimensional) {
    notes.push_back(where + ": " + share +
                    "; with --offshore keep the run kept it: the Emep data's S(f) holds it, and wavecomp draws each "
                    "component's direction from the data's directions from -90 to +90 deg at its frequency alone "
                    "(0 deg where all of those are below 1.0E-06), so the components carry the whole Hm0 but their mean "
                    "direction and spread differ from SWAN's whole-sea values by that part");
  } else {
    notes.push_back(where + ": " + share +
                    "; with --offshore keep the Sspe table kept it, and the run spreads all of it by cos^2s around "
                    "the principal direction, the part of the curve beyond +-90 deg cut off: its directions differ "
                    "from SWAN's by that part");
  }
}

// wavecomp-import refuses these locations, so no component file was made
// from them as the options say.
void RefuseUnimportable(const swan::SwanFile& file, std::size_t index, const swan::SeaState& whole,
                        const TargetRequest& request) {
  const std::string where = "location " + std::to_string(index + 1) + " of " + file.name;
  const std::string hint = "check --normal-from " + textio::BoundedFixedNumber(*request.normal_from, 2) +
                           (request.clockwise ? " --clockwise" : "") + ", as wavecomp-import had it";
  if (!file.two_dimensional && whole.mean_direction && std::fabs(*whole.mean_direction) > swan::kOnshoreLimit) {
    throw UsageError(where + ": its principal direction " + textio::BoundedFixedNumber(*whole.mean_direction, 2) +
                     " deg lies beyond +-90 deg of the model's x-axis, which wavecomp-import refuses: " + hint);
  }
  if (request.offshore || !(whole.offshore_share > swan::kMostlyOffshoreShare)) return;
  throw UsageError(where + ": " + Percent(whole.offshore_share) +
                   " of its energy travels offshore, which wavecomp-import refuses without --offshore: " + hint +
                   ", and give --offshore drop or keep as it had it");
}

}  // namespace

bool LooksLikeSwan(const textio::TextFile& file) {
  for (std::size_t r = 0; r < file.record_count(); ++r) {
    const std::string_view text = file.record(r);
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos || text[0] == '$') continue;
    const std::size_t end = std::min(text.find_first_of(" \t", first), text.size());
    const std::string_view keyword = text.substr(first, end - first);
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    if (keyword.size() != 4 ||
        !std::equal(keyword.begin(), keyword.end(), "SWAN", [&](char a, char b) { return upper(a) == b; })) {
      return false;
    }
    const std::size_t number = text.find_first_not_of(" \t", end);
    return number != std::string_view::npos && text[number] >= '0' && text[number] <= '9';
  }
  return false;
}

TargetSpectra ReadSwanTargets(const textio::TextFile& text, const TargetRequest& request) {
  if (!request.normal_from) {
    throw UsageError(text.name() +
                     " is a SWAN spectrum file: give --normal-from DEG as wavecomp-import had it (the nautical "
                     "direction from which a wave travelling along the model's shoreward x-axis comes)");
  }
  return SpectraTargets(swan::ReadSwanFile(text), request);
}

TargetSpectra SpectraTargets(const swan::SwanFile& file, const TargetRequest& request) {
  if (!request.normal_from) {
    throw UsageError(file.name + " is a " + file.model +
                     " spectrum file: give --normal-from DEG as wavecomp-import had it (the nautical direction from "
                     "which a wave travelling along the model's shoreward x-axis comes)");
  }
  const swan::TimeStep& time = file.times[PickTime(file, request.time)];
  const std::vector<std::size_t> locations = PairedLocations(file, request);
  for (const std::size_t index : locations) {
    const swan::LocationBlock& block = time.locations[index];
    if (block.kind != swan::BlockKind::kNoData) continue;
    throw UsageError("location " + std::to_string(index + 1) + " of " + file.name + " has no data (" +
                     (file.no_data_reason.empty() ? "NODATA in line " + std::to_string(block.line)
                                                  : file.no_data_reason) +
                     ")" + (time.stamp.empty() ? "" : " at " + time.stamp) +
                     ": the component file cannot have been made from it");
  }

  const swan::ModelFrame frame{*request.normal_from, request.clockwise};
  const swan::Offshore offshore = request.offshore.value_or(swan::Offshore::kDrop);
  const double scale = swan::VarianceScale(file, swan::kDefaultRho, swan::kDefaultG);
  TargetSpectra targets{file.name, file.model + (file.two_dimensional ? " 2D" : " 1D"), std::nullopt, {}, {}, {}};
  targets.swan = SwanSource{frame, offshore, time.stamp, file.frequencies.front(), file.frequencies.back(), file.model};
  std::vector<bool> noted(file.locations.size(), false);
  for (const std::size_t index : locations) {
    const swan::LocationBlock& block = time.locations[index];
    RefuseUnimportable(file, index, swan::LocationSeaState(file, frame, block, scale), request);
    const swan::SeaState state = swan::LocationSeaState(file, frame, block, scale, offshore);
    TargetSpectrum spectrum = TargetSpectrum::Samples(file.model + " location " + std::to_string(index + 1),
                                                      file.frequencies,
                                                      swan::LocationSpectrum(file, frame, block, scale, offshore));
    targets.points.push_back(
        PointTarget{static_cast<std::int32_t>(index + 1), std::move(spectrum), std::nullopt, state});
    if (!noted[index]) NoteLocation(file, index, block, state, offshore, targets.notes);
    noted[index] = true;
  }
  if (file.energy_density) {
    targets.notes.push_back(file.name + " holds energy densities (EnDens): divided by rho g = " +
                            std::to_string(static_cast<int>(swan::kDefaultRho)) + " x " +
                            textio::BoundedFixedNumber(swan::kDefaultG, 2) + ", wavecomp-import's default");
  }
  if (file.two_dimensional && locations.size() > 1) {
    targets.notes.push_back(
        "a run draws the directions of every point from the average of its points: a point's direction difference "
        "also shows how far its own SWAN sea lies from that average");
  }
  return targets;
}

}  // namespace wavecomp::check
