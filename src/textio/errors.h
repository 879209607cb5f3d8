// How textio reports a file it cannot use. It says what went wrong and where;
// what the program then does (the message's prefix, the exit status) is the
// caller's business.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>

namespace wavecomp::textio {

// A file that does not follow its layout, or cannot be opened for reading:
//   input error in <file>, line <n>, columns <a>-<b>: expected <what>, found <found>
// The columns are left out when first_column is 0, the found part when it is
// empty; a file that cannot be opened is an UnopenableFile, of line 0.
// Columns are 64-bit: a line may be longer than an int counts.
class InputError : public std::runtime_error {
 public:
  // `found` as the message shows it: quoted text, or a description such as
  // "the end of the file".
  InputError(std::string file, std::size_t line, std::int64_t first_column, std::int64_t last_column,
             std::string expected, std::string found);

  const std::string& file() const { return file_; }
  std::size_t line() const { return line_; }
  std::int64_t first_column() const { return first_column_; }
  std::int64_t last_column() const { return last_column_; }
  const std::string& expected() const { return expected_; }
  const std::string& found() const { return found_; }

 protected:
  InputError(std::string message, std::string file);

 private:
  std::string file_;
  std::size_t line_ = 0;
  std::int64_t first_column_ = 0;
  std::int64_t last_column_ = 0;
  std::string expected_;
  std::string found_;
};

// An input file that cannot be opened for reading (missing, a folder, a
// device, not readable):
//   cannot open the <kind> <file>: <the system's reason>
class UnopenableFile : public InputError {
 public:
  UnopenableFile(std::string_view kind, std::string file);
};

// Why `path` cannot be opened as a text file, as the system says it
// ("No such file or directory", "Is a directory", ...).
std::string WhyUnopenable(const std::string& path);

// An output file that could not be created, written or completed:
//   <action> <path>: <the operating system's reason><consequence>
// Control characters of the path are shown as \xHH.
class OutputError : public std::runtime_error {
 public:
  OutputError(std::string_view action, std::string path, int error_number, std::string_view consequence = {});
  // The same with a reason of our own instead of the system's.
  OutputError(std::string_view action, std::string path, std::string_view reason, int error_number);

  const std::string& path() const { return path_; }
  int error_number() const { return error_number_; }

 private:
  std::string path_;
  int error_number_;
};

// A name that is taken: an output that must not replace anything found a
// file there, when it was created or when it was to be published.
class OutputExists : public OutputError {
 public:
  explicit OutputExists(std::string path);
};

// A name an output may replace nothing at: it resolves to something that is
// not a regular file (a device, a FIFO, a socket), or to a file the command
// reads (through a symbolic or a hard link too):
//   will not replace <path>: it is <a FIFO>, not a regular file; no file was written or changed
//   will not replace <path>: it is <input>, which this command reads; no file was written or changed
class OutputRefused : public OutputError {
 public:
  // `what_it_is`: "a FIFO" and the like, or the input's name.
  OutputRefused(std::string path, std::string what_it_is, bool is_input);

  const std::string& what_it_is() const { return what_it_is_; }
  bool is_input() const { return is_input_; }

 private:
  std::string what_it_is_;
  bool is_input_;
};

// Memory that could not be had, and what it was for:
//   not enough memory for <what_for>
class MemoryShortage : public std::bad_alloc {
 public:
  explicit MemoryShortage(std::string what_for);
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

// `text` as a message shows it: control characters as \xHH (a NUL would end
// the message), and at most `longest` bytes of it followed by "..." and its
// length when it is longer.
std::string Printable(std::string_view text, std::size_t longest = 4096);

// The input error of a field or record, `found` being the text met there
// (shown in quotes, cut to its first 256 bytes when longer, control characters
// as \xHH).
[[noreturn]] void ThrowInputError(const std::string& file_name, std::size_t line_number, std::int64_t first_column,
                                  std::int64_t last_column, std::string_view expected, std::string_view found);
// The same with `found` describing what was met instead of quoting it.
[[noreturn]] void ThrowDescribedInputError(const std::string& file_name, std::size_t line_number,
                                           std::int64_t first_column, std::int64_t last_column,
                                           std::string_view expected, std::string_view found);
// The input error of a read that meets the end of the file:
//   input error in <file>, line <n>: expected <what>, found the end of the file
[[noreturn]] void ThrowEndOfFile(const std::string& file_name, std::size_t line_number, std::string_view expected);

}  // namespace wavecomp::textio
