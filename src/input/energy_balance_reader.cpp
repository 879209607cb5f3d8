// Reader of the Ene input: directional energy spectra at output points of an
// energy-balance wave model, picked from its output file by the point-list
// file "<name>.pnt".
//
// Glossary: nf = frequencies, nd = directions, nb = spectrum blocks of the
// data file; l = frequency index 1..nf, j or k = direction index 1..nd,
// v = point index 1..num_p, b = block number 1..nb. A block's key is the third
// and fourth integer of its header; the point-list file gives the first key
// once and a second key per point. E_v(l, j) = energy of point v, returned
// as the file gives it; the densities per bandwidth and direction step and
// the mean over the points are the chain's (resample/input_tables.h).
//
// Blocks are looked up as a ring: the search for a point starts after the
// block where the previous point was found and wraps from block nb to block
// 1. A model output file may hold thousands of blocks and the points need not
// be listed in block order, so every header is parsed once, when the search
// first reaches it; later passes jump over remembered blocks by their keys.
// The outcome (block found, message, point of failure) is the one a plain
// block-by-block walk over the file gives.
#include "input/energy_balance_reader.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "core/messages.h"
#include "core/run_stop.h"
#include "core/workspace.h"
#include "input/control_file.h"
#include "input/diagnostics.h"
#include "input/point_list.h"
#include "textio/format.h"
#include "textio/records.h"

namespace wavecomp {
namespace {

// Layout of the data file.
constexpr int kCountWidth = 5;   // I5 counts (also the point-list file)
constexpr int kValueWidth = 10;  // E10.3 values
constexpr int kValueDecimals = 3;
constexpr int kValuesPerRecord = 8;  // eight E10.3 values fill columns 1-80
constexpr int kHeaderIntegers = 4;   // I5 each; the third and fourth are the key
constexpr int kHeaderReals = 4;      // F10.4 each, not used
constexpr int kHeaderRealWidth = 10;
constexpr int kHeaderRealDecimals = 4;

constexpr std::string_view kTableWhat = "E10.3 values (frequency or bandwidth table)";
constexpr std::string_view kGroupWhat = "a direction group: the direction and nf energies (E10.3)";

// A count at `place` ("line 2, columns 1-5") outside what the tables hold.
[[noreturn]] void RefuseCount(const std::string& file_name, std::string_view rule, std::int32_t value,
                              std::string_view place, std::string_view advice) {
  std::string text(messages::kCountErrorStart);
  text += file_name;
  text += ": ";
  text += rule;
  throw RunStop::ConsoleLine(textio::ListLine().Text(text).Integer(value).str(),
                             file_name + " " + std::string(place) + ": " + std::string(rule) + " " +
                                 std::to_string(value) + "; " + std::string(advice));
}

// Where the keys of point v stand in the point list.
std::string KeysOf(const std::string& data_name, std::int32_t v, std::int32_t first_key, std::int32_t second_key) {
  return "the keys " + std::to_string(first_key) + " and " + std::to_string(second_key) + " of point " +
         std::to_string(v) + " (" + PointListName(data_name) + " line 1, columns 6-10, and line " +
         std::to_string(v + 1) + ", columns 6-10)";
}

[[noreturn]] void ThrowNotFound(std::int32_t first_key, std::int32_t second_key, std::string explanation) {
  std::string line(messages::kEneNotFoundStart);
  textio::PutI(line, first_key, kCountWidth);
  line += ",";
  textio::PutI(line, second_key, kCountWidth);
  line += messages::kEneNotFoundEnd;
  throw RunStop::ConsoleLine(line, std::move(explanation));
}

// The spectrum blocks of the data file and what the search has learnt about
// them. Blocks 1..known_ have had their headers read (in file order, since the
// search never jumps ahead of the blocks it has passed).
class BlockRing {
 public:
  BlockRing(const textio::TextFile& file, std::size_t first_header, std::int32_t nb, std::int32_t nf, std::int32_t nd)
      : file_(file),
        first_header_(first_header),
        nb_(nb),
        group_values_(static_cast<std::size_t>(nf) + 1),
        nd_(nd),
        block_records_(1 + static_cast<std::size_t>(nd) * GroupRecords(nf)) {}

  // Records of one direction group: the direction and nf energies, eight to
  // a record.
  static std::size_t GroupRecords(std::int32_t nf) {
    return (static_cast<std::size_t>(nf) + 1 + kValuesPerRecord - 1) / kValuesPerRecord;
  }

  // Record index of block b's header: every block, read or passed over,
  // occupies the header and nd groups of the same size.
  std::size_t HeaderRecord(std::int32_t b) const {
    return first_header_ + static_cast<std::size_t>(b - 1) * block_records_;
  }

  // The block of the next point. `previous` is the block where the previous
  // point was found, 0 for the first point; the search then ends at block nb,
  // otherwise at `previous` after one full ring. `take_any` takes the first
  // block the search reaches, whatever its key.
  std::int32_t Find(std::int32_t previous, bool take_any, std::int32_t first_key, std::int32_t second_key,
                    std::int32_t v) {
    v_ = v;
    const std::int32_t last = previous == 0 ? nb_ : previous;
    const std::uint64_t key = Pack(first_key, second_key);
    std::int32_t b = previous;
    for (;;) {
      b = b >= nb_ ? 1 : b + 1;
      if (b > known_) {
        // A block never reached before: its header is read now.
        if (ReadNewHeader(b, first_key, second_key) || take_any) return b;
        PassOver(b);
        if (b == last) ThrowNotFound(first_key, second_key, NoMatch(first_key, second_key));
        continue;
      }
      // Blocks b..known_ are remembered: the next event in this run of
      // blocks is a match, the last block of the search, or the end of what
      // is known.
      if (take_any) return b;
      std::int32_t event = known_;
      const std::int32_t match = FirstKnownMatch(key, b);
      if (match != 0) event = std::min(event, match);
      if (last >= b) event = std::min(event, last);
      if (event == match) return match;
      if (event == last) ThrowNotFound(first_key, second_key, NoMatch(first_key, second_key));
      b = event;
    }
  }

 private:
  std::string NoMatch(std::int32_t first_key, std::int32_t second_key) const {
    return "no spectrum block of " + file_.name() + " has " + KeysOf(file_.name(), v_, first_key, second_key) +
           "; a block belongs to a point when the third and fourth integers of its header (columns 11-15 and 16-20) "
           "equal these keys: correct the keys in the point list";
  }

  static std::uint64_t Pack(std::int32_t first_key, std::int32_t second_key) {
    return (std::uint64_t{static_cast<std::uint32_t>(first_key)} << 32) | static_cast<std::uint32_t>(second_key);
  }

  // The first remembered block >= from with this key, 0 when none.
  std::int32_t FirstKnownMatch(std::uint64_t key, std::int32_t from) const {
    const auto found = blocks_by_key_.find(key);
    if (found == blocks_by_key_.end()) return 0;
    const std::vector<std::int32_t>& blocks = found->second;
    const auto at = std::lower_bound(blocks.begin(), blocks.end(), from);
    return at == blocks.end() ? 0 : *at;
  }

  // Reads the header of block known_ + 1; true when its key is `key`. The end
  // of the file here means the point is not in the file.
  bool ReadNewHeader(std::int32_t b, std::int32_t first_key, std::int32_t second_key) {
    textio::RecordCursor cursor(file_);
    cursor.Seek(HeaderRecord(b));
    std::optional<textio::FieldReader> header = cursor.TryNext();
    if (!header) {
      ThrowNotFound(first_key, second_key,
                    file_.name() + " ends after line " + std::to_string(file_.record_count()) +
                        ", where the header of block " + std::to_string(b) + " of the " + std::to_string(nb_) +
                        " blocks that line " + std::to_string(first_header_) +
                        " announces should stand, and no block before it has " +
                        KeysOf(file_.name(), v_, first_key, second_key) +
                        ": correct the block count nb there, or the keys in the point list");
    }
    std::int32_t integers[kHeaderIntegers] = {};
    bool readable = true;
    for (std::int32_t& value : integers) {
      const std::optional<std::int32_t> read = header->TryI(kCountWidth);
      readable = readable && read.has_value();
      value = read.value_or(0);
    }
    for (int r = 0; r < kHeaderReals; ++r) readable = header->TryF(kHeaderRealWidth, kHeaderRealDecimals) && readable;
    if (!readable) {
      throw RunStop::FreeFormat(
          std::string(messages::kEneHeaderUnreadable),
          file_.name() + " line " + std::to_string(HeaderRecord(b) + 1) + ": the header of block " + std::to_string(b) +
              " cannot be read as four integers (I5, columns 1-20) and four reals (F10.4, columns 21-60); every "
              "block is one header line and nd direction groups of " +
              std::to_string(GroupRecords(static_cast<std::int32_t>(group_values_) - 1)) +
              " lines each (the direction and nf energies, eight E10.3 values a line): check nf, nd and the blocks "
              "before it");
    }
    const std::uint64_t block_key = Pack(integers[2], integers[3]);
    blocks_by_key_[block_key].push_back(b);
    known_ = b;
    return block_key == Pack(first_key, second_key);
  }

  // Passes over the direction groups of block b; a file that ends inside
  // them is an input error there.
  void PassOver(std::int32_t b) const {
    textio::RecordCursor cursor(file_);
    cursor.Seek(HeaderRecord(b) + 1);
    for (std::int32_t j = 1; j <= nd_; ++j) cursor.SkipFixedList(group_values_, kValuesPerRecord, kGroupWhat);
  }

  const textio::TextFile& file_;
  std::size_t first_header_;
  std::int32_t nb_;
  std::size_t group_values_;
  std::int32_t nd_;
  std::size_t block_records_;
  std::int32_t known_ = 0;
  std::int32_t v_ = 0;  // the point sought, for the messages
  std::unordered_map<std::uint64_t, std::vector<std::int32_t>> blocks_by_key_;
};

}  // namespace

SpectrumData ReadEnergyBalancePoints(const ControlSettings& control, Console& console, bool keep_point_tables) {
  const std::string name = control.input_file();
  const std::optional<textio::TextFile> data = textio::TextFile::Open(name);
  if (!data)
    throw RunStop::FreeFormat(std::string(messages::kErrorFileName), CannotOpenInputFile("Ene data file", name));
  textio::RecordCursor cursor(*data);

  cursor.Skip("a title record");
  textio::FieldReader counts = cursor.Next("the counts nf and nd (2I5)");
  const std::int32_t nf = counts.I(kCountWidth);
  const std::int32_t nd = counts.I(kCountWidth);
  // Checked before anything is read by them, so that a count far beyond the
  // data cannot make the reader loop or store past the tables.
  constexpr std::string_view kNotEnergyBalance =
      "is this the output of the energy-balance model? Its second line holds nf (columns 1-5) and nd (columns 6-10)";
  if (nf < 1 || nf > kMaxFrequencies) {
    RefuseCount(name, messages::kEneFrequencyCountRule, nf, "line 2, columns 1-5", kNotEnergyBalance);
  }
  if (nd < 1 || nd > kMaxKeptDirections) {
    RefuseCount(name, messages::kEneDirectionCountRule, nd, "line 2, columns 6-10", kNotEnergyBalance);
  }

  const std::size_t n = static_cast<std::size_t>(nf);
  SpectrumData spectrum;
  spectrum.input = SpectrumInput::kEnergyBalancePoints;
  spectrum.keep_point_tables = keep_point_tables;
  std::vector<double>& frequencies = spectrum.frequencies;
  std::vector<double>& bandwidths = spectrum.bandwidths;
  frequencies.assign(n, 0.0);
  bandwidths.assign(n, 0.0);
  cursor.ReadFixedList(frequencies, kValuesPerRecord, kValueWidth, kValueDecimals, kTableWhat);
  const std::size_t bandwidth_line = cursor.position() + 1;
  cursor.ReadFixedList(bandwidths, kValuesPerRecord, kValueWidth, kValueDecimals, kTableWhat);
  // The densities are the energies divided by the bandwidths.
  for (std::size_t l = 0; l < n; ++l) {
    if (!(bandwidths[l] > 0.0)) {
      throw RunStop::Silent(name + " " + PlaceInList(bandwidth_line, l, kValuesPerRecord, kValueWidth) +
                            ": the bandwidth " + textio::PlainNumber(bandwidths[l]) + " Hz of frequency " +
                            std::to_string(l + 1) + " (" + textio::PlainNumber(frequencies[l]) +
                            " Hz) is not above 0, so its densities (energy / bandwidth) are not numbers or below 0; "
                            "give the width of the band each frequency stands for");
    }
  }
  const std::int32_t nb = cursor.Next("the block count nb (I5)").I(kCountWidth);
  // With no block at all the ring of blocks is empty and the search would
  // never reach its last block.
  if (nb < 1) {
    RefuseCount(name, messages::kEneBlockCountRule, nb, "line " + std::to_string(cursor.position()) + ", columns 1-5",
                "after the frequency and bandwidth tables the file gives the number of spectrum blocks that follow");
  }
  const std::size_t first_header = cursor.position();

  // The point list: the number and second key of every point.
  std::int32_t num_p = 0;
  std::int32_t first_key = 0;
  bool single_spectrum = false;
  std::vector<std::int32_t> numbers;
  std::vector<std::int32_t> keys;
  if (const std::optional<textio::TextFile> point_list = OpenPointListOrAsk(name, console)) {
    textio::RecordCursor point_cursor(*point_list);
    textio::FieldReader first = point_cursor.Next("num_p and the first key (2I5)");
    num_p = first.I(kCountWidth);
    first_key = first.I(kCountWidth);
    if (num_p > kMaxPoints) {
      RefuseCount(point_list->name(), messages::kEnePointCountRule, num_p, "line 1, columns 1-5",
                  "a run takes at most 2048 points; split the points over several runs");
    }
    if (num_p == 1 && nb == 1) {
      numbers.assign(1, 0);
      keys.assign(1, 0);
    } else {
      for (std::int32_t v = 1; v <= num_p; ++v) {
        textio::FieldReader record = point_cursor.Next("a point number and its second key (2I5)");
        numbers.push_back(record.I(kCountWidth));
        keys.push_back(record.I(kCountWidth));
      }
    }
  } else {
    single_spectrum = true;
    num_p = 1;
    numbers.assign(1, 0);
    keys.assign(1, 0);
  }

  BlockRing ring(*data, first_header, nb, nf, nd);
  const bool take_any = single_spectrum || (num_p == 1 && nb == 1);
  std::vector<double> group(n + 1);
  std::vector<double> energies(static_cast<std::size_t>(nd) * n);  // E_v(l, j), l fastest
  std::int32_t found = 0;
  spectrum.points.reserve(static_cast<std::size_t>(std::max(num_p, 0)));
  if (num_p < 1) spectrum.listed_points = num_p;
  for (std::int32_t v = 1; v <= num_p; ++v) {
    const std::size_t index = static_cast<std::size_t>(v - 1);
    found = ring.Find(found, take_any, first_key, keys[index], v);
    cursor.Seek(ring.HeaderRecord(found) + 1);
    SpectrumPoint point;
    point.number = numbers[index];
    point.key = keys[index];
    point.directions.assign(static_cast<std::size_t>(nd), 0.0);
    for (std::int32_t j = 1; j <= nd; ++j) {
      const std::size_t group_line = cursor.position() + 1;
      cursor.ReadFixedList(group, kValuesPerRecord, kValueWidth, kValueDecimals, kGroupWhat);
      for (std::size_t l = 1; l <= n; ++l) {
        if (group[l] < 0.0) {
          throw RunStop::Silent(name + " " + PlaceInList(group_line, l, kValuesPerRecord, kValueWidth) +
                                ": the energy " + textio::PlainNumber(group[l]) + " m^2 of point " + std::to_string(v) +
                                " at " + textio::PlainNumber(frequencies[l - 1]) + " Hz and " +
                                textio::PlainNumber(group[0]) + " deg is below 0" + kNegativeDensityAdvice);
        }
      }
      point.directions[static_cast<std::size_t>(j - 1)] = group[0];
      std::copy(group.begin() + 1, group.end(),
                energies.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(j - 1) * n));
    }
    spectrum.AddPoint(std::move(point), energies);
  }

  std::string done(messages::kEneReadOk);
  done += name;
  console.WriteLine(done);
  return spectrum;
}

}  // namespace wavecomp
