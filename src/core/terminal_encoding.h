// Showing the Shift-JIS console text on terminals that expect UTF-8.
//
// The program lays out every console line in Shift-JIS bytes (field widths
// count those bytes). When standard output is a terminal whose locale uses
// UTF-8, each finished line is converted for display; when it is a pipe or a
// file the bytes stay exactly as laid out.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace wavecomp {

// True when the locale that the environment names for character types
// (LC_ALL, LC_CTYPE, LANG) exists and uses UTF-8. The process locale is
// restored before returning.
bool EnvironmentLocaleIsUtf8();

// Shift-JIS (Windows code page 932, else plain Shift_JIS) to UTF-8, by the C
// library's iconv. A byte that does not start a valid character becomes '?'.
class ShiftJisToUtf8 {
 public:
  ShiftJisToUtf8();
  ~ShiftJisToUtf8();
  ShiftJisToUtf8(const ShiftJisToUtf8&) = delete;
  ShiftJisToUtf8& operator=(const ShiftJisToUtf8&) = delete;

  bool available() const { return available_; }
  // The converted text; the bytes unchanged when no converter is available.
  std::string Convert(std::string_view text);

 private:
  void* descriptor_ = nullptr;  // iconv_t
  bool available_ = false;
};

using LineFilter = std::function<std::string(std::string_view)>;

// The console line filter for output to `descriptor`: Shift-JIS to UTF-8
// when it is a terminal and the locale uses UTF-8; an empty function (no
// filter) otherwise.
LineFilter TerminalLineFilter(int descriptor);

}  // namespace wavecomp
