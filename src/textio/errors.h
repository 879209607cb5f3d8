// How textio reports a file it cannot use. It says what went wrong and where;
// what the program then does (the message's prefix, the exit status) is the
// caller's business.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

namespace wavecomp::textio {

// A file that does not follow its layout, or cannot be opened for reading:
//   input error in <file>, line <n>, columns <a>-<b>: expected <what>, found <found>
// The columns are left out when first_column is 0, the found part when it is
// empty; a file that cannot be opened has line 0 and the text of Unreadable.
class InputError : public std::runtime_error {
 public:
  // `found` as the message shows it: quoted text, or a description such as
  // "the end of the file".
  InputError(std::string file, std::size_t line, int first_column, int last_column, std::string expected,
             std::string found);
  // "cannot open the <kind> <file>".
  static InputError Unreadable(std::string_view kind, std::string file);

  const std::string& file() const { return file_; }
  std::size_t line() const { return line_; }
  int first_column() const { return first_column_; }
  int last_column() const { return last_column_; }
  const std::string& expected() const { return expected_; }
  const std::string& found() const { return found_; }

 private:
  InputError(std::string message, std::string file);
  std::string file_;
  std::size_t line_ = 0;
  int first_column_ = 0;
  int last_column_ = 0;
  std::string expected_;
  std::string found_;
};

// An output file that could not be created, written or completed:
//   <action> <path>: <the operating system's reason><consequence>
class OutputError : public std::runtime_error {
 public:
  OutputError(std::string_view action, std::string path, int error_number, std::string_view consequence = {});

  const std::string& path() const { return path_; }
  int error_number() const { return error_number_; }

 private:
  std::string path_;
  int error_number_;
};

// The input error of a field or record, `found` being the text met there
// (shown in quotes).
[[noreturn]] void ThrowInputError(const std::string& file_name, std::size_t line_number, int first_column,
                                  int last_column, std::string_view expected, std::string_view found);
// The same with `found` describing what was met instead of quoting it.
[[noreturn]] void ThrowDescribedInputError(const std::string& file_name, std::size_t line_number, int first_column,
                                           int last_column, std::string_view expected, std::string_view found);
// The input error of a read that meets the end of the file:
//   input error in <file>, line <n>: expected <what>, found the end of the file
[[noreturn]] void ThrowEndOfFile(const std::string& file_name, std::size_t line_number, std::string_view expected);

}  // namespace wavecomp::textio
