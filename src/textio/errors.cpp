#include "textio/errors.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace wavecomp::textio {
namespace {

// Longest piece of met text quoted in an input error: enough for any field or
// record of the system's layouts, short enough for a terminal.
constexpr std::size_t kLongestQuote = 256;

std::string PlaceMessage(const std::string& file, std::size_t line, std::int64_t first_column,
                         std::int64_t last_column, const std::string& expected, const std::string& found) {
  std::string text = "input error in " + Printable(file) + ", line " + std::to_string(line);
  if (first_column > 0) text += ", columns " + std::to_string(first_column) + "-" + std::to_string(last_column);
  text += ": expected " + expected;
  if (!found.empty()) text += ", found " + found;
  return text;
}

}  // namespace

std::string Printable(std::string_view text, std::size_t longest) {
  static constexpr char kHex[] = "0123456789abcdef";
  const std::string_view shown = text.substr(0, longest);
  std::string out;
  out.reserve(shown.size() + 16);
  for (const char c : shown) {
    const auto byte = static_cast<unsigned char>(c);
    // A tab is harmless on a terminal and some layouts meet it in fields.
    if ((byte < 0x20 && byte != '\t') || byte == 0x7f) {
      out += "\\x";
      out += kHex[byte >> 4];
      out += kHex[byte & 0xf];
    } else {
      out += c;
    }
  }
  if (text.size() > shown.size()) out += "... (" + std::to_string(text.size()) + " bytes)";
  return out;
}

InputError::InputError(std::string file, std::size_t line, std::int64_t first_column, std::int64_t last_column,
                       std::string expected, std::string found)
    : std::runtime_error(PlaceMessage(file, line, first_column, last_column, expected, found)),
      file_(std::move(file)),
      line_(line),
      first_column_(first_column),
      last_column_(last_column),
      expected_(std::move(expected)),
      found_(std::move(found)) {}

InputError::InputError(std::string message, std::string file)
    : std::runtime_error(std::move(message)), file_(std::move(file)) {}

UnopenableFile::UnopenableFile(std::string_view kind, std::string file)
    : InputError("cannot open the " + std::string(kind) + " " + Printable(file) + ": " + WhyUnopenable(file), file) {}

std::string WhyUnopenable(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return std::strerror(errno);
  if (S_ISDIR(status.st_mode)) return std::strerror(EISDIR);
  // Devices are refused as inputs: /dev/zero would be read for ever.
  if (S_ISCHR(status.st_mode) || S_ISBLK(status.st_mode)) return "it is a device, not a file";
  const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) return std::strerror(errno);
  ::close(descriptor);
  return "it cannot be read";
}

OutputError::OutputError(std::string_view action, std::string path, int error_number, std::string_view consequence)
    : OutputError(action, std::move(path), std::string(std::strerror(error_number)) + std::string(consequence),
                  error_number) {}

OutputError::OutputError(std::string_view action, std::string path, std::string_view reason, int error_number)
    : std::runtime_error(std::string(action) + " " + (path.empty() ? std::string("\"\"") : Printable(path)) + ": " +
                         std::string(reason)),
      path_(std::move(path)),
      error_number_(error_number) {}

OutputExists::OutputExists(std::string path) : OutputError("cannot create", std::move(path), EEXIST) {}

OutputRefused::OutputRefused(std::string path, std::string what_it_is, bool is_input)
    : OutputError("will not replace", std::move(path),
                  "it is " + (is_input ? Printable(what_it_is) + ", which this command reads"
                                       : what_it_is + ", not a regular file") +
                      "; no file was written or changed",
                  EEXIST),
      what_it_is_(std::move(what_it_is)),
      is_input_(is_input) {}

MemoryShortage::MemoryShortage(std::string what_for) : message_("not enough memory for " + std::move(what_for)) {}

void ThrowInputError(const std::string& file_name, std::size_t line_number, std::int64_t first_column,
                     std::int64_t last_column, std::string_view expected, std::string_view found) {
  std::string quoted;
  if (!found.empty()) quoted = "\"" + Printable(found.substr(0, kLongestQuote)) + "\"";
  if (found.size() > kLongestQuote) quoted += " (" + std::to_string(found.size()) + " bytes, the first " +
                                              std::to_string(kLongestQuote) + " shown)";
  throw InputError(file_name, line_number, first_column, last_column, std::string(expected), std::move(quoted));
}

void ThrowDescribedInputError(const std::string& file_name, std::size_t line_number, std::int64_t first_column,
                              std::int64_t last_column, std::string_view expected, std::string_view found) {
  throw InputError(file_name, line_number, first_column, last_column, std::string(expected), std::string(found));
}

void ThrowEndOfFile(const std::string& file_name, std::size_t line_number, std::string_view expected) {
  throw InputError(file_name, line_number, 0, 0, std::string(expected), "the end of the file");
}

}  // namespace wavecomp::textio
