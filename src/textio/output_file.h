// Output files that never lose or half-write data.
//
// A file is written to a temporary file in the same folder and renamed to its
// final name only once it is complete and flushed to disk, so a reader never
// sees half a file and a failed run leaves nothing half-written behind.
//
//  - Exclusive (component wave files): the final name is first reserved with
//    an exclusive create, which fails when a file of that name exists; an
//    existing file is never opened for writing, truncated or replaced.
//  - Replace (jonswap.spe): an existing file is replaced as a whole.
//
// Records are buffered and written in large blocks.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace wavecomp::textio {

class OutputFile {
 public:
  // Reserves `path` with an exclusive create and opens a temporary file
  // beside it. nullopt when the name exists or cannot be created (nothing is
  // left behind in that case).
  static std::optional<OutputFile> CreateExclusive(const std::string& path);
  // Opens a temporary file beside `path`, which Commit replaces. A failure is
  // an OutputError naming the file and the cause.
  static OutputFile CreateReplacing(const std::string& path);

  OutputFile(OutputFile&& other) noexcept;
  OutputFile& operator=(OutputFile&&) = delete;
  OutputFile(const OutputFile&) = delete;
  ~OutputFile();  // not committed: removes the temporary file and the reserved name

  // Appends one record and its line end.
  void WriteLine(std::string_view record);
  // Completes the file under its final name. A write, flush or rename
  // failure removes what was written and throws OutputError.
  void Commit();

  const std::string& path() const { return path_; }

 private:
  OutputFile(std::string path, std::string temporary_path, int descriptor, bool reserved);
  void FlushBuffer();
  [[noreturn]] void Fail(const std::string& what, int error_number);
  void Discard();

  std::string path_;
  std::string temporary_path_;
  int descriptor_ = -1;
  bool reserved_ = false;  // the final name was created by us and must be removed on failure
  bool committed_ = false;
  std::string buffer_;
};

}  // namespace wavecomp::textio
