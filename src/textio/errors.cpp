#include "textio/errors.h"

#include <cstring>

namespace wavecomp::textio {
namespace {

std::string PlaceMessage(const std::string& file, std::size_t line, int first_column, int last_column,
                         const std::string& expected, const std::string& found) {
  std::string text = "input error in " + file + ", line " + std::to_string(line);
  if (first_column > 0) text += ", columns " + std::to_string(first_column) + "-" + std::to_string(last_column);
  text += ": expected " + expected;
  if (!found.empty()) text += ", found " + found;
  return text;
}

}  // namespace

InputError::InputError(std::string file, std::size_t line, int first_column, int last_column, std::string expected,
                       std::string found)
    : std::runtime_error(PlaceMessage(file, line, first_column, last_column, expected, found)),
      file_(std::move(file)),
      line_(line),
      first_column_(first_column),
      last_column_(last_column),
      expected_(std::move(expected)),
      found_(std::move(found)) {}

InputError::InputError(std::string message, std::string file)
    : std::runtime_error(std::move(message)), file_(std::move(file)) {}

InputError InputError::Unreadable(std::string_view kind, std::string file) {
  std::string message = "cannot open the ";
  message += kind;
  message += " " + file;
  return InputError(std::move(message), std::move(file));
}

OutputError::OutputError(std::string_view action, std::string path, int error_number, std::string_view consequence)
    : std::runtime_error(std::string(action) + " " + path + ": " + std::strerror(error_number) +
                         std::string(consequence)),
      path_(std::move(path)),
      error_number_(error_number) {}

void ThrowInputError(const std::string& file_name, std::size_t line_number, int first_column, int last_column,
                     std::string_view expected, std::string_view found) {
  std::string quoted;
  if (!found.empty()) quoted = "\"" + std::string(found) + "\"";
  throw InputError(file_name, line_number, first_column, last_column, std::string(expected), std::move(quoted));
}

void ThrowDescribedInputError(const std::string& file_name, std::size_t line_number, int first_column, int last_column,
                              std::string_view expected, std::string_view found) {
  throw InputError(file_name, line_number, first_column, last_column, std::string(expected), std::string(found));
}

void ThrowEndOfFile(const std::string& file_name, std::size_t line_number, std::string_view expected) {
  throw InputError(file_name, line_number, 0, 0, std::string(expected), "the end of the file");
}

}  // namespace wavecomp::textio
