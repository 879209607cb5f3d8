// Record splitting and field parsing.
//
// Numeric fields are parsed by hand into a normalised digit string
// "ddddde±n" and converted by std::from_chars, which rounds correctly and
// ignores the locale. Nothing is allocated per field or per record.
#include "textio/records.h"

#include <fcntl.h>
#include <poll.h>
#include <string.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "textio/errors.h"

namespace wavecomp::textio {
namespace {

enum class FieldError {
  kNone,
  kSyntax,  // not a number of the field's kind
  kRange,   // a number, but too large for its type
};

// gfortran refuses a real whose exponent, less the implied decimals of a
// field without a point, reaches 10000 in magnitude (even where the value
// would only underflow to zero); so does textio.
constexpr int kExponentLimit = 10000;
// Exponent digits stop accumulating here, far beyond the limit.
constexpr int kExponentClamp = 1000000;

bool IsBlank(char c) { return c == ' '; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Iw: blanks anywhere are ignored, an optional sign, then decimal digits.
FieldError ParseInteger(std::string_view field, std::int32_t& value) {
  std::size_t i = 0;
  while (i < field.size() && IsBlank(field[i])) ++i;
  value = 0;
  if (i == field.size()) return FieldError::kNone;  // all blanks read as zero
  bool negative = false;
  if (field[i] == '+' || field[i] == '-') negative = field[i++] == '-';
  std::int64_t magnitude = 0;
  bool any_digit = false;
  bool too_large = false;
  for (; i < field.size(); ++i) {
    const char c = field[i];
    if (IsBlank(c)) continue;
    if (!IsDigit(c)) return FieldError::kSyntax;
    any_digit = true;
    magnitude = magnitude * 10 + (c - '0');
    if (magnitude > std::int64_t{INT32_MAX} + 1) {
      too_large = true;
      magnitude = std::int64_t{INT32_MAX} + 1;
    }
  }
  if (!any_digit) return FieldError::kSyntax;  // a sign alone
  if (too_large || (!negative && magnitude > INT32_MAX)) return FieldError::kRange;
  value = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
  return FieldError::kNone;
}

// Fw.d / Ew.d and free-format reals. Blanks anywhere are ignored (a
// free-format value holds none). The syntax:
//   [sign] digits-with-at-most-one-point [exponent]
//   exponent = (E|D|Q, either case) [sign] digits  |  sign digits
// The mantissa needs at least one digit: gfortran reads "+", "-", "." and
// "e5" as zero, which would turn a damaged field into a silent zero.
// Without a point the mantissa carries `implied_decimals` decimals.
// NaN and Infinity are refused, as is a value beyond the range of a double
// (gfortran reads both as non-finite values); a value below the smallest
// subnormal reads as zero of the field's sign.
FieldError ParseReal(std::string_view field, int implied_decimals, double& value) {
  value = 0.0;
  std::size_t i = 0;
  while (i < field.size() && IsBlank(field[i])) ++i;
  if (i == field.size()) return FieldError::kNone;  // all blanks read as zero

  // Significant digits without leading zeros; the field is at most this long
  // in the system's formats, longer fields go to the heap.
  char stack_digits[128];
  std::string heap_digits;
  char* digits = stack_digits;
  if (field.size() + 16 > sizeof stack_digits) {
    heap_digits.resize(field.size() + 16);
    digits = heap_digits.data();
  }
  std::size_t digit_count = 0;

  bool negative = false;
  if (field[i] == '+' || field[i] == '-') negative = field[i++] == '-';

  bool any_digit = false;
  bool point = false;
  int scale = 0;  // value = digits x 10^scale
  for (; i < field.size(); ++i) {
    const char c = field[i];
    if (IsBlank(c)) continue;
    if (IsDigit(c)) {
      any_digit = true;
      if (digit_count > 0 || c != '0') digits[digit_count++] = c;
      if (point) --scale;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (!any_digit) return FieldError::kSyntax;
  if (!point) scale -= implied_decimals;

  if (i < field.size()) {
    // The exponent: a letter with an optional sign, or a sign alone.
    const char c = field[i];
    const bool letter = c == 'E' || c == 'e' || c == 'D' || c == 'd' || c == 'Q' || c == 'q';
    if (!letter && c != '+' && c != '-') return FieldError::kSyntax;
    if (letter) {
      ++i;
      while (i < field.size() && IsBlank(field[i])) ++i;
    }
    bool negative_exponent = false;
    if (i < field.size() && (field[i] == '+' || field[i] == '-')) negative_exponent = field[i++] == '-';
    int exponent = 0;
    bool any_exponent_digit = false;
    for (; i < field.size(); ++i) {
      const char e = field[i];
      if (IsBlank(e)) continue;
      if (!IsDigit(e)) return FieldError::kSyntax;
      any_exponent_digit = true;
      exponent = exponent * 10 + (e - '0');
      if (exponent > kExponentClamp) exponent = kExponentClamp;
    }
    if (!any_exponent_digit) return FieldError::kSyntax;
    const int written = negative_exponent ? -exponent : exponent;
    const int effective = point ? written : written - implied_decimals;
    if (effective >= kExponentLimit || effective <= -kExponentLimit) return FieldError::kRange;
    scale += written;
  }

  if (digit_count == 0) {
    value = negative ? -0.0 : 0.0;
    return FieldError::kNone;
  }
  char* end = digits + digit_count;
  *end++ = 'e';
  end = std::to_chars(end, digits + digit_count + 16, scale).ptr;
  double magnitude = 0.0;
  const std::from_chars_result result = std::from_chars(digits, end, magnitude);
  if (result.ec == std::errc::result_out_of_range) {
    // Out of range: below the smallest subnormal when the leading digit's
    // position 10^(count + scale - 1) is tiny, otherwise beyond the largest
    // double.
    if (static_cast<std::int64_t>(digit_count) + scale < 0) {
      value = negative ? -0.0 : 0.0;
      return FieldError::kNone;
    }
    return FieldError::kRange;
  }
  if (result.ec != std::errc() || result.ptr != end) return FieldError::kSyntax;
  value = negative ? -magnitude : magnitude;
  return FieldError::kNone;
}

std::string Descriptor(char letter, int w) { return std::string(1, letter) + std::to_string(w); }
std::string Descriptor(char letter, int w, int d) { return Descriptor(letter, w) + "." + std::to_string(d); }

std::string ExpectedInteger(FieldError error, int w) {
  if (error == FieldError::kRange) return "an integer from -2147483648 to 2147483647 (" + Descriptor('I', w) + ")";
  return "an integer (" + Descriptor('I', w) + ")";
}

std::string ExpectedReal(FieldError error, char letter, int w, int d) {
  if (error == FieldError::kRange) {
    return "a real number within the range of a 64-bit real (" + Descriptor(letter, w, d) + ")";
  }
  return "a real number (" + Descriptor(letter, w, d) + ")";
}

// Free-format value separators other than the comma.
bool IsListBlank(char c) { return c == ' ' || c == '\t'; }

// One free-format item "r*c" or "c": the repeat count r (1 when absent) and
// the constant c. Returns false when r is not a positive count.
bool SplitRepeat(std::string_view item, std::size_t& repeat, std::string_view& constant) {
  repeat = 1;
  constant = item;
  const std::size_t star = item.find('*');
  if (star == std::string_view::npos) return true;
  std::string_view count = item.substr(0, star);
  if (count.empty()) return false;
  std::size_t r = 0;
  for (const char c : count) {
    if (!IsDigit(c)) return false;
    r = r * 10 + static_cast<std::size_t>(c - '0');
    if (r > 1000000000) return false;
  }
  if (r == 0) return false;
  repeat = r;
  constant = item.substr(star + 1);
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------
// TextFile

namespace {

// A checkpoint is kept at the first record start at least this far past the
// one before: memory of one entry per 64 KiB, and a jump back to any record
// scans at most this much.
constexpr std::size_t kCheckpointSpacing = std::size_t{1} << 16;

constexpr unsigned char kByteOrderMark[] = {0xef, 0xbb, 0xbf};

std::size_t ByteOrderMarkLength(const char* data, std::size_t size) {
  if (size < sizeof kByteOrderMark || std::memcmp(data, kByteOrderMark, sizeof kByteOrderMark) != 0) return 0;
  return sizeof kByteOrderMark;
}

// Mapped input files, kept where a SIGBUS handler can look them up.
static_assert(std::atomic<int>::is_always_lock_free, "the handler reads the slots without a lock");

constexpr int kMappedSlots = 64;  // a run maps a handful of files at once
constexpr std::size_t kLongestShownName = 1024;
enum MappedState : int { kMappedFree, kMappedFilling, kMappedReady };
struct MappedSlot {
  std::atomic<int> state{kMappedFree};
  const char* begin = nullptr;
  std::size_t length = 0;
  char name[kLongestShownName + 1];
};
MappedSlot g_mapped[kMappedSlots];

// The slot now holding the mapping, -1 when none is free.
int RegisterMapping(const char* begin, std::size_t length, const std::string& path) {
  const std::string shown = Printable(path, kLongestShownName);
  for (int i = 0; i < kMappedSlots; ++i) {
    int expected = kMappedFree;
    if (!g_mapped[i].state.compare_exchange_strong(expected, kMappedFilling)) continue;
    MappedSlot& slot = g_mapped[i];
    slot.begin = begin;
    slot.length = length;
    const std::size_t kept = std::min(shown.size(), kLongestShownName);
    std::memcpy(slot.name, shown.data(), kept);
    slot.name[kept] = '\0';
    slot.state.store(kMappedReady, std::memory_order_release);
    return i;
  }
  return -1;
}

void (*g_writer_wait_notice)(const std::string& path) = nullptr;

// A FIFO opened without blocking has no writer yet, or no data from one: the
// open or first read of a FIFO nobody writes to would wait for ever without a
// word. The wait goes on, since the writer may well be on its way (a script
// that starts it next), but after a second the program says what it waits for.
void WaitForData(int descriptor, const std::string& path) {
  constexpr int kQuietWaitMs = 1000;
  pollfd wanted{descriptor, POLLIN, 0};
  int ready = 0;
  while ((ready = ::poll(&wanted, 1, kQuietWaitMs)) < 0 && errno == EINTR) {
  }
  if (ready == 0) {
    if (g_writer_wait_notice != nullptr) g_writer_wait_notice(path);
    while (::poll(&wanted, 1, -1) < 0 && errno == EINTR) {
    }
  }
}

// A stream is longer than kLongestStream: refused at the line it reached.
[[noreturn]] void ThrowStreamTooLong(const std::string& path, std::size_t line) {
  ThrowDescribedInputError(path, line, 0, 0,
                           "at most " + std::to_string(kLongestStream) +
                               " bytes from a pipe or FIFO (save a longer input to a file and name that file)",
                           "more");
}

// A stream (pipe, FIFO, a /proc file whose size stat does not tell) is read
// into anonymous memory that grows in place, so holding it costs its size,
// not twice that for a copy. Reading stops after a record longer than any
// record may be (the reader meets it and refuses it at its line), so a
// stream without line ends costs a megabyte, not all memory; a stream longer
// than kLongestStream is refused at once.
std::optional<std::pair<char*, std::size_t>> ReadStream(int descriptor, const std::string& path,
                                                        std::size_t& capacity) {
  // The longest record, its CR LF, and a byte-order mark before the first.
  constexpr std::size_t kLongestRecordBytes = kLongestRecord + 2 + sizeof kByteOrderMark;
  capacity = std::size_t{1} << 20;
  void* memory = ::mmap(nullptr, capacity, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (memory == MAP_FAILED) throw MemoryShortage("reading the input " + Printable(path) + " (1 MiB)");
  char* data = static_cast<char*>(memory);
  std::size_t size = 0;
  std::size_t record_start = 0;  // where the record being read starts
  std::size_t line_ends = 0;
  for (;;) {
    if (size == capacity) {
      if (capacity >= kLongestStream) {
        char more = 0;
        ssize_t got = 0;
        while ((got = ::read(descriptor, &more, 1)) < 0 && errno == EINTR) {
        }
        if (got <= 0) break;
        ::munmap(data, capacity);
        ThrowStreamTooLong(path, line_ends + 1);
      }
      const std::size_t grown_capacity = std::min(capacity * 2, kLongestStream);
      void* grown = ::mremap(data, capacity, grown_capacity, MREMAP_MAYMOVE);
      if (grown == MAP_FAILED) {
        ::munmap(data, capacity);
        throw MemoryShortage("the input " + Printable(path) + " (more than " + std::to_string(size) +
                             " bytes read from it)");
      }
      data = static_cast<char*>(grown);
      capacity = grown_capacity;
    }
    const ssize_t got = ::read(descriptor, data + size, capacity - size);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      ::munmap(data, capacity);
      return std::nullopt;
    }
    const char* const chunk = data + size;
    size += static_cast<std::size_t>(got);
    line_ends += static_cast<std::size_t>(std::count(chunk, static_cast<const char*>(data + size), '\n'));
    if (const void* last = ::memrchr(chunk, '\n', static_cast<std::size_t>(got))) {
      record_start = static_cast<std::size_t>(static_cast<const char*>(last) - data) + 1;
    }
    if (size - record_start > kLongestRecordBytes) break;
  }
  return std::make_pair(data, size);
}

}  // namespace

void TextFile::Unmap::operator()(char* address) const {
  if (slot >= 0) g_mapped[slot].state.store(kMappedFree);
  if (address != nullptr) ::munmap(address, length);
}

const char* MappedFileAt(const void* address) noexcept {
  const auto* const byte = static_cast<const char*>(address);
  for (const MappedSlot& slot : g_mapped) {
    if (slot.state.load(std::memory_order_acquire) != kMappedReady) continue;
    if (std::less_equal<const char*>()(slot.begin, byte) && std::less<const char*>()(byte, slot.begin + slot.length)) {
      return slot.name;
    }
  }
  return nullptr;
}

void SetWriterWaitNotice(void (*notice)(const std::string& path)) { g_writer_wait_notice = notice; }

TextFile::TextFile(std::string name, std::string content, std::unique_ptr<char, Unmap> mapped, std::size_t size)
    : name_(std::move(name)), owned_(std::move(content)), mapped_(std::move(mapped)) {
  const char* const text = mapped_ ? mapped_.get() : owned_.data();
  begin_ = ByteOrderMarkLength(text, size);
  size_ = size - begin_;
}

std::optional<TextFile> TextFile::Open(const std::string& path) {
  // The system would read the name only up to a NUL byte: another file.
  if (path.find('\0') != std::string::npos) return std::nullopt;
  // Without O_NONBLOCK, opening a FIFO that no program writes to would wait
  // for ever, unseen.
  const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (descriptor < 0) return std::nullopt;
  struct Closer {
    int descriptor;
    ~Closer() { ::close(descriptor); }
  } closer{descriptor};
  struct stat status {};
  // A device is no text file: /dev/zero or /dev/urandom named as an input
  // would be read for ever, filling the memory. Pipes still work.
  if (::fstat(descriptor, &status) != 0 || S_ISDIR(status.st_mode) || S_ISCHR(status.st_mode) ||
      S_ISBLK(status.st_mode)) {
    return std::nullopt;
  }
  if (S_ISREG(status.st_mode) && status.st_size > 0) {
    const auto size = static_cast<std::size_t>(status.st_size);
    void* memory = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, descriptor, 0);
    if (memory == MAP_FAILED) {
      if (errno == ENOMEM) {
        throw MemoryShortage("the input file " + Printable(path) + " (" + std::to_string(size) + " bytes)");
      }
      return std::nullopt;
    }
    const int slot = RegisterMapping(static_cast<const char*>(memory), size, path);
    return TextFile(path, std::string(), std::unique_ptr<char, Unmap>(static_cast<char*>(memory), Unmap{size, slot}),
                    size);
  }
  if (S_ISFIFO(status.st_mode)) WaitForData(descriptor, path);
  const int flags = ::fcntl(descriptor, F_GETFL);
  if (flags < 0 || ::fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) != 0) return std::nullopt;
  std::size_t capacity = 0;
  const std::optional<std::pair<char*, std::size_t>> read = ReadStream(descriptor, path, capacity);
  if (!read) return std::nullopt;
  return TextFile(path, std::string(), std::unique_ptr<char, Unmap>(read->first, Unmap{capacity}), read->second);
}

TextFile TextFile::FromString(std::string name, std::string content) {
  const std::size_t size = content.size();
  return TextFile(std::move(name), std::move(content), std::unique_ptr<char, Unmap>(nullptr, Unmap{0}), size);
}

std::string_view TextFile::Split(std::size_t index, std::size_t offset, std::size_t& next) const {
  const char* const start = data() + offset;
  const std::size_t left = size_ - offset;
  // The longest record may still be followed by CR LF.
  const std::size_t window = std::min(left, kLongestRecord + 2);
  const void* found = std::memchr(start, '\n', window);
  std::size_t length = 0;
  if (found != nullptr) {
    length = static_cast<std::size_t>(static_cast<const char*>(found) - start);
    next = offset + length + 1;
  } else {
    length = window;
    next = offset + window;
  }
  // Files written on Windows end their lines with CR LF.
  if (length > 0 && start[length - 1] == '\r') --length;
  if (length > kLongestRecord || (found == nullptr && window < left)) {
    ThrowDescribedInputError(name_, index + 1, 0, 0,
                             "a line of at most " + std::to_string(kLongestRecord) + " characters",
                             "a longer one");
  }
  if (index == frontier_.index && offset == frontier_.offset) {
    frontier_ = {index + 1, next};
    const std::size_t last_checkpoint = checkpoints_.empty() ? 0 : checkpoints_.back().offset;
    if (next - last_checkpoint >= kCheckpointSpacing && next < size_) checkpoints_.push_back(frontier_);
  }
  last_ = {index, offset};
  last_next_ = next;
  any_split_ = true;
  return {start, length};
}

std::size_t TextFile::Locate(std::size_t index) const {
  if (any_split_ && index == last_.index) return last_.offset;
  if (any_split_ && index == last_.index + 1) return last_next_;
  Checkpoint at{0, 0};
  if (index >= frontier_.index) {
    at = frontier_;
  } else {
    const auto after = std::upper_bound(checkpoints_.begin(), checkpoints_.end(), index,
                                        [](std::size_t wanted, const Checkpoint& c) { return wanted < c.index; });
    if (after != checkpoints_.begin()) at = *(after - 1);
  }
  if (any_split_ && last_.index <= index && last_.index > at.index) at = last_;
  while (at.index < index && at.offset < size_) {
    std::size_t next = 0;
    Split(at.index, at.offset, next);
    at = {at.index + 1, next};
  }
  return at.index == index ? at.offset : size_;
}

std::size_t TextFile::record_count() const {
  Locate(static_cast<std::size_t>(-1));
  return frontier_.index;
}

std::string_view TextFile::record(std::size_t index) const {
  std::size_t next = 0;
  return Split(index, Locate(index), next);
}

// ---------------------------------------------------------------------------
// FieldReader

FieldReader::FieldReader(std::string_view record, const std::string& file_name, std::size_t line_number)
    : record_(record), file_name_(file_name), line_number_(line_number) {}

std::string_view FieldReader::Field(int w) {
  const std::size_t start = static_cast<std::size_t>(column_ - 1);
  if (w < 0) w = 0;
  column_ += w;
  if (start >= record_.size()) return {};
  return record_.substr(start, static_cast<std::size_t>(w));
}

void FieldReader::Skip(int n) {
  if (n > 0) column_ += n;
}

std::optional<std::int32_t> FieldReader::TryI(int w) {
  std::int32_t value = 0;
  if (ParseInteger(Field(w), value) != FieldError::kNone) return std::nullopt;
  return value;
}

std::optional<double> FieldReader::TryF(int w, int d) {
  double value = 0.0;
  if (ParseReal(Field(w), d, value) != FieldError::kNone) return std::nullopt;
  return value;
}

std::int32_t FieldReader::I(int w) {
  const int first = column_;
  const std::string_view field = Field(w);
  std::int32_t value = 0;
  const FieldError error = ParseInteger(field, value);
  if (error != FieldError::kNone) {
    ThrowInputError(file_name_, line_number_, first, first + w - 1, ExpectedInteger(error, w), field);
  }
  return value;
}

double FieldReader::Real(char letter, int w, int d) {
  const int first = column_;
  const std::string_view field = Field(w);
  double value = 0.0;
  const FieldError error = ParseReal(field, d, value);
  if (error != FieldError::kNone) {
    ThrowInputError(file_name_, line_number_, first, first + w - 1, ExpectedReal(error, letter, w, d), field);
  }
  return value;
}

std::string FieldReader::A(int w) {
  std::string text(Field(w));
  text.resize(static_cast<std::size_t>(w < 0 ? 0 : w), ' ');
  return text;
}

// ---------------------------------------------------------------------------
// RecordCursor

RecordCursor::RecordCursor(const TextFile& file) : file_(&file) {}

void RecordCursor::Seek(std::size_t position) {
  next_ = position;
  offset_ = file_->Locate(position);
}

FieldReader RecordCursor::Take() {
  const std::size_t index = next_++;
  const std::string_view text = file_->Split(index, offset_, offset_);
  return FieldReader(text, file_->name(), index + 1);
}

FieldReader RecordCursor::Next(std::string_view what) {
  if (AtEnd()) ThrowEndOfFile(file_->name(), next_ + 1, what);
  return Take();
}

std::optional<FieldReader> RecordCursor::TryNext() {
  if (AtEnd()) return std::nullopt;
  return Take();
}

void RecordCursor::Skip(std::string_view what) {
  if (AtEnd()) ThrowEndOfFile(file_->name(), next_ + 1, what);
  Take();
}

std::string_view RecordCursor::NextText(std::string_view what) {
  if (AtEnd()) ThrowEndOfFile(file_->name(), next_ + 1, what);
  const std::size_t index = next_++;
  return file_->Split(index, offset_, offset_);
}

void RecordCursor::ReadFixedList(std::span<double> values, int per_record, int w, int d, std::string_view what) {
  const std::size_t per = per_record < 1 ? 1 : static_cast<std::size_t>(per_record);
  std::size_t index = 0;
  while (index < values.size()) {
    FieldReader record = Next(what);
    const std::size_t stop = std::min(values.size(), index + per);
    for (; index < stop; ++index) values[index] = record.F(w, d);
  }
}

void RecordCursor::SkipFixedList(std::size_t count, int per_record, std::string_view what) {
  const std::size_t per = per_record < 1 ? 1 : static_cast<std::size_t>(per_record);
  for (std::size_t records = (count + per - 1) / per; records > 0; --records) Skip(what);
}

// Separators are blanks (and tabs), one comma with blanks around it, and line
// ends. A read takes records until it has its values; the rest of its last
// record is not looked at. Beyond gfortran's syntax for a real, the repeat
// form r*c is read; the forms gfortran reads as "leave the value unchanged"
// (an empty value between two commas, r*, and a slash that ends the read)
// are input errors here: they would leave stale numbers in the arrays.
bool RecordCursor::ReadList(std::span<double> values, std::string_view what) {
  if (values.empty()) {
    // A read with no values still passes over one record.
    if (AtEnd()) return false;
    Take();
    return true;
  }
  std::size_t index = 0;
  bool after_value = false;  // a comma now separates; otherwise it marks an empty value
  while (index < values.size()) {
    if (AtEnd()) return false;
    const std::size_t line = next_ + 1;
    const std::string_view text = NextText(what);
    std::size_t position = 0;
    while (index < values.size()) {
      while (position < text.size() && IsListBlank(text[position])) ++position;
      if (position >= text.size()) break;
      if (text[position] == ',' && after_value) {
        after_value = false;
        ++position;
        continue;
      }
      std::size_t end = position;
      while (end < text.size() && !IsListBlank(text[end]) && text[end] != ',') ++end;
      if (end == position) ++end;  // an empty value: report its comma
      const std::string_view item = text.substr(position, end - position);
      std::size_t repeat = 1;
      std::string_view constant;
      double value = 0.0;
      if (!SplitRepeat(item, repeat, constant) || constant.empty() ||
          constant.find_first_of(",/") != std::string_view::npos ||
          ParseReal(constant, 0, value) != FieldError::kNone) {
        ThrowInputError(file_->name(), line, static_cast<std::int64_t>(position + 1), static_cast<std::int64_t>(end),
                        what, item);
      }
      for (; repeat > 0 && index < values.size(); --repeat) values[index++] = value;
      after_value = true;
      position = end;
    }
  }
  return true;
}

// ---------------------------------------------------------------------------
// Free-format character answers

std::optional<std::string> TryListWord(std::string_view line, std::size_t length) {
  std::size_t position = 0;
  while (position < line.size() && IsListBlank(line[position])) ++position;
  if (position >= line.size()) return std::nullopt;
  std::string word;
  const auto ends_word = [&](std::size_t at) {
    return at >= line.size() || IsListBlank(line[at]) || line[at] == ',' || line[at] == '/';
  };
  // A repeat count "r*" before the word; "r*" alone is an empty value.
  std::size_t digits_end = position;
  while (digits_end < line.size() && IsDigit(line[digits_end])) ++digits_end;
  if (digits_end > position && digits_end < line.size() && line[digits_end] == '*') {
    position = digits_end + 1;
    if (ends_word(position)) return word;
  }
  if (line[position] == '\'' || line[position] == '"') {
    // A quoted word may hold blanks; a doubled quote stands for one quote; an
    // unclosed quote runs to the end of the line.
    const char quote = line[position++];
    while (position < line.size()) {
      if (line[position] == quote) {
        if (position + 1 < line.size() && line[position + 1] == quote) {
          word.push_back(quote);
          position += 2;
          continue;
        }
        break;
      }
      word.push_back(line[position++]);
    }
  } else {
    // A comma or slash before any word is an empty value.
    while (!ends_word(position)) word.push_back(line[position++]);
  }
  if (word.size() > length) word.resize(length);
  return word;
}

std::string ListWord(std::string_view line, std::size_t length) {
  return TryListWord(line, length).value_or(std::string());
}

}  // namespace wavecomp::textio
