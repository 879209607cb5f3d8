#include "core/console.h"

#include <cerrno>

#include "textio/errors.h"

namespace wavecomp {

Console::Console() = default;

Console::Console(std::FILE* out, std::FILE* in) : out_(out), in_(in) {}

Console::~Console() { Flush(); }

void Console::WriteLine(std::string_view bytes) {
  std::string line;
  if (line_filter_) {
    line = line_filter_(bytes);
    bytes = line;
  }
  if (out_ == nullptr) {
    captured_.append(bytes);
    captured_.push_back('\n');
    return;
  }
  if (std::fwrite(bytes.data(), 1, bytes.size(), out_) != bytes.size() || std::fputc('\n', out_) == EOF) {
    if (write_error_ == 0) write_error_ = errno != 0 ? errno : EIO;
  }
}

std::optional<std::string> Console::ReadLine() {
  Flush();
  if (in_ == nullptr) {
    if (input_position_ >= input_.size()) return std::nullopt;
    const std::size_t end = input_.find('\n', input_position_);
    const std::size_t stop = end == std::string::npos ? input_.size() : end;
    std::string line = input_.substr(input_position_, stop - input_position_);
    input_position_ = end == std::string::npos ? input_.size() : end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
  }
  // The answer is one short word. A line without an end (standard input
  // taken from a device or a binary file) must not grow without bound, so the
  // read ends after this many bytes.
  constexpr std::size_t kLongestAnswerLine = 4096;
  std::string line;
  int c = 0;
  bool got_any = false;
  while (line.size() < kLongestAnswerLine && (c = std::fgetc(in_)) != EOF) {
    got_any = true;
    if (c == '\n') break;
    line.push_back(static_cast<char>(c));
  }
  if (!got_any) return std::nullopt;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

void Console::Notice(const std::string& english) {
  if (!notice_sink_) return;
  Flush();
  notice_sink_(english);
}

bool Console::Flush() {
  if (out_ != nullptr && std::fflush(out_) != 0 && write_error_ == 0) write_error_ = errno != 0 ? errno : EIO;
  return write_error_ == 0;
}

void RequireStandardOutput(Console& out, std::string_view consequence) {
  if (!out.Flush()) throw textio::OutputError("cannot write", "standard output", out.write_error(), consequence);
}

}  // namespace wavecomp
