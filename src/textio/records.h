// Reading text files record by record, as a Fortran formatted READ does.
//
// A file is mapped into memory, not copied (a stream - a pipe, a FIFO,
// /dev/stdin - is read into memory as it comes, up to kLongestStream bytes
// and no further than a record that is too long), and split into records at
// LF only as far as the reading goes: a
// malformed file is refused at its first bad record without the rest being
// looked at. A CR before the LF (files written on Windows) is dropped, a last
// record without a line end still counts, and a UTF-8 byte-order mark at the
// start of the file (some Windows editors write one) is skipped. Every read
// starts at a new record. A record longer than kLongestRecord characters is an
// input error at its line: no layout of the system comes near it, and a file
// without line ends (a disk image, a file of zeros) is refused after reading
// that much of it rather than all of it.
//
// Fixed-format fields (FieldReader), same as gfortran's formatted READ:
//   Iw    integer in exactly w columns; blanks ignored, all blanks read 0,
//         optional sign.
//   Fw.d / Ew.d  real in exactly w columns; blanks ignored, all blanks read 0;
//         optional sign, decimal point and exponent (E, D or Q in either
//         case, or a bare sign: "1.5+3"); without a decimal point the digits
//         carry d implied decimals, also before an exponent ("12345" in F10.3
//         reads 12.345, "12345E2" 1234.5). Correctly rounded; a value below
//         the smallest subnormal reads as zero with its sign.
//   Aw    w characters; a record shorter than the field is padded with blanks.
// Columns past the end of a record read as blanks. A tab is not a blank.
//
// Free-format (list-directed) values (RecordCursor::ReadList): separated by
// blanks, tabs, one comma, or line ends; a read starts at a new record and
// takes as many later records as it needs; "3*1.5" stands for three values
// 1.5; no implied decimals.
//
// Deliberately stricter than gfortran, which reads all of these without a
// complaint: a real with no mantissa digit ("+", "-", ".", "e5") is an input
// error, not zero; "NaN", "Infinity" and values beyond the range of a double
// are input errors, not non-finite values (gfortran too refuses exponents of
// 10000 and more in magnitude); an empty free-format value ("1,,2"), "r*",
// "/" and ";" are input errors, not "value left unchanged" or a separator.
//
// A record that is missing, or a field that cannot be read as its kind, is
// an InputError (textio/errors.h) naming the file, the line, the columns and
// what was expected.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "textio/errors.h"

namespace wavecomp::textio {

// The longest record a file may hold, in characters (its line end not counted).
inline constexpr std::size_t kLongestRecord = std::size_t{1} << 20;

// The most a stream may hold, in bytes. A stream cannot be mapped: all of it
// that is read is held in memory. 1 GiB is far beyond any input a run or an
// import needs in practice and still fits the memory of a small machine; a
// longer input is refused at once (an input error) and can be given as a
// regular file, which is mapped and has no such bound.
inline constexpr std::size_t kLongestStream = std::size_t{1} << 30;

// The content of a text file and what is known of its records. Memory: the
// file's own size (mapped) plus one 16-byte entry per 64 KiB of text read
// so far. Not for use by two threads at once.
class TextFile {
 public:
  // nullopt when the file cannot be opened (missing, unreadable, a directory,
  // a device, a name holding a NUL byte). MemoryShortage (textio/errors.h)
  // when it cannot be mapped or held for want of memory; an InputError when
  // a stream is longer than kLongestStream. A FIFO without a writer is
  // waited for (the notice of SetWriterWaitNotice after a second).
  static std::optional<TextFile> Open(const std::string& path);
  // A file built from memory; `name` is used in error messages.
  static TextFile FromString(std::string name, std::string content);

  TextFile(TextFile&&) noexcept = default;
  TextFile& operator=(TextFile&&) noexcept = default;
  ~TextFile() = default;

  const std::string& name() const { return name_; }
  // Reads the file to its end to count them.
  std::size_t record_count() const;
  // Record `index` (0-based), which must exist; fast for the record read
  // last and the one after it, otherwise a scan of at most 64 KiB from the
  // nearest known record. An input error when a record on the way is too long.
  std::string_view record(std::size_t index) const;

  // For RecordCursor: the byte offset where record `index` starts (size()
  // when the file has no such record), and the record `index` that starts at
  // `offset`, `next` receiving the offset of the one after it.
  std::size_t Locate(std::size_t index) const;
  std::string_view Split(std::size_t index, std::size_t offset, std::size_t& next) const;
  std::size_t size() const { return size_; }  // bytes of text after a byte-order mark

 private:
  struct Unmap {
    std::size_t length;
    int slot = -1;  // its entry among the mapped files MappedFileAt knows
    void operator()(char* address) const;
  };
  struct Checkpoint {
    std::size_t index;   // a record
    std::size_t offset;  // where it starts
  };

  TextFile(std::string name, std::string content, std::unique_ptr<char, Unmap> mapped, std::size_t size);
  const char* data() const { return (mapped_ ? mapped_.get() : owned_.data()) + begin_; }

  std::string name_;
  std::string owned_;                     // the text of FromString
  std::unique_ptr<char, Unmap> mapped_;  // or of a mapped file or pipe
  std::size_t begin_ = 0;                 // 3 after a UTF-8 byte-order mark
  std::size_t size_ = 0;
  // Record starts known so far: every record up to the frontier was split
  // once, and a checkpoint kept at least every 64 KiB of them.
  mutable std::vector<Checkpoint> checkpoints_;
  mutable Checkpoint frontier_{0, 0};
  mutable Checkpoint last_{0, 0};  // the record split last ...
  mutable std::size_t last_next_ = 0;  // ... and where the one after it starts
  mutable bool any_split_ = false;
};

// The name of the mapped input file whose mapping holds `address`, nullptr
// when there is none. Async-signal-safe: for a SIGBUS handler, which learns
// so that a file became shorter while it was read. Names longer than 1 KiB
// are cut; at most 64 files at once are known (more are mapped all the same).
const char* MappedFileAt(const void* address) noexcept;

// Called, when set, once an input FIFO has had no writer for a second (the
// program says on standard error that it waits for one); `path` as given.
void SetWriterWaitNotice(void (*notice)(const std::string& path));

// Fields of one record, read left to right from column 1.
class FieldReader {
 public:
  FieldReader(std::string_view record, const std::string& file_name, std::size_t line_number);

  void Skip(int n);                                   // nX
  std::int32_t I(int w);                              // Iw; throws an input error
  double F(int w, int d) { return Real('F', w, d); }  // Fw.d; throws an input error
  double E(int w, int d) { return Real('E', w, d); }  // Ew.d, read as Fw.d
  std::string A(int w);                               // Aw, blank-padded to w characters

  // The same reads without the input error: nullopt when the field cannot be
  // read (the column position still advances past the field).
  std::optional<std::int32_t> TryI(int w);
  std::optional<double> TryF(int w, int d);

  int column() const { return column_; }  // next column to read, 1-based

 private:
  std::string_view Field(int w);
  double Real(char letter, int w, int d);  // `letter` names the descriptor in errors
  std::string_view record_;
  const std::string& file_name_;
  std::size_t line_number_;
  int column_ = 1;
};

// Sequential reading of a TextFile.
class RecordCursor {
 public:
  explicit RecordCursor(const TextFile& file);

  bool AtEnd() const { return offset_ >= file_->size(); }
  // Reads the next record; at the end of the file, an input error that says
  // `what` was expected.
  FieldReader Next(std::string_view what);
  // The next record, or nullopt at the end of the file.
  std::optional<FieldReader> TryNext();
  void Skip(std::string_view what);                  // passes over one record (input error at the end)
  std::string_view NextText(std::string_view what);  // the raw text of the next record

  // Reads `values.size()` reals of w columns, `per_record` to a record,
  // continuing on as many records as needed (the last holding the rest).
  void ReadFixedList(std::span<double> values, int per_record, int w, int d, std::string_view what);
  // Passes over the records such a list occupies.
  void SkipFixedList(std::size_t count, int per_record, std::string_view what);

  // Free-format read of `values.size()` reals starting at the next record.
  // Returns false when the file ends before every value was read (the values
  // read so far are stored); a value that is not a number is an input error.
  bool ReadList(std::span<double> values, std::string_view what);

  void Rewind() { Seek(0); }
  std::size_t position() const { return next_; }  // index of the next record
  void Seek(std::size_t position);
  std::size_t line_number() const { return next_; }  // 1-based line of the record read last
  const TextFile& file() const { return *file_; }

 private:
  FieldReader Take();  // the next record, which exists
  const TextFile* file_;
  std::size_t next_ = 0;
  std::size_t offset_ = 0;  // where record next_ starts
};

// The first word of a free-format character read of up to `length`
// characters: leading blanks skipped, the word ends at a blank, comma, slash
// or the end of the line, a quoted word may hold blanks (a doubled quote is
// one quote), a repeat count "2*" before it is dropped; cut to `length`.
// An empty value (a leading comma or slash, "1*") gives "", as does a blank
// line.
std::string ListWord(std::string_view line, std::size_t length);
// The same, but nullopt for a line of blanks: gfortran's free-format read
// then goes on to the next line for its answer.
std::optional<std::string> TryListWord(std::string_view line, std::size_t length);

}  // namespace wavecomp::textio
