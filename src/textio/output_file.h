// Output files that appear whole, or not at all.
//
// An output is written to an unnamed file (O_TMPFILE) in the folder of its
// name and given that name only once it is complete and flushed to disk:
//  - kNew (component wave files) by linkat, which fails when the name exists,
//    so an existing file is never opened, truncated or replaced, and a name
//    that someone else took meanwhile is refused at that moment too;
//  - kReplace (jonswap.spe, plots) by rename, which replaces the file whole,
//    and only where the name resolves to nothing or to a regular file that
//    the command does not read: never a device, FIFO, socket or folder, nor
//    a link to an input. That is checked when the file is made and again
//    just before the rename.
// Until then nothing is seen under the name, and a process that dies for any
// reason, SIGKILL included, leaves nothing: an unnamed file goes with it.
//
// Where the file system has no unnamed files, a hidden temporary
// ".NAME.partial-PID-N" beside the name stands in, published by
// renameat2(RENAME_NOREPLACE), or link() and unlink() where that is missing.
// Such a name (and the one a replacement passes through for a moment) is
// removed on failure, by RemoveTemporaryFiles() from a signal handler, and,
// after a process was killed outright, by the next output made in the same
// folder. Its maker holds an flock on it for as long as the name exists, so
// that the sweep removes only a temporary whose lock it can take itself: a
// process id that does not exist here may belong to a live process of
// another PID namespace (a container, another client of a network file
// system).
//
// Records are buffered and written in large blocks.
//
// An OutputSet that publishes nothing (a dry run) makes its files with the
// same checks, then only counts what would be written into them.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace wavecomp::textio {

struct TemporarySlot;  // where a signal handler finds a named temporary

enum class Publication {
  kNew,      // never replaces anything: an existing name is refused
  kReplace,  // replaces an existing file as a whole
};

// A file the command reads, as it was when declared.
struct InputIdentity {
  std::string path;
  dev_t device = 0;
  ino_t inode = 0;
};

class OutputFile {
 public:
  // Checks the name and opens the file that will become `path`. A kNew
  // output whose name exists is refused with OutputExists, a kReplace output
  // whose name resolves to a device, FIFO or socket with OutputRefused; any
  // other failure (a folder under that name, a missing or read-only folder, a
  // name that is empty or holds a control character) is an OutputError with
  // the reason. Nothing is left behind in any case. OutputSet::Create also
  // refuses the files the command reads.
  static OutputFile Create(const std::string& path, Publication publication);

  OutputFile(OutputFile&& other) noexcept;
  OutputFile& operator=(OutputFile&&) = delete;
  OutputFile(const OutputFile&) = delete;
  ~OutputFile();  // not published: whatever was written is removed

  // Appends one record and its line end.
  void WriteLine(std::string_view record);
  // Writes the rest and flushes the file to disk: complete, not yet seen
  // under its name. A failure removes what was written and throws OutputError.
  void Finish();
  // Finish, then give the file its name, on its own. A run publishes its
  // outputs together through OutputSet.
  void Publish();

  const std::string& path() const { return path_; }
  Publication publication() const { return publication_; }
  std::int64_t lines() const { return lines_; }  // written so far
  std::int64_t bytes() const { return bytes_; }  // line ends included

 private:
  friend class OutputSet;
  // `remove_stale`: sweep the folder's leftover temporaries first (not in a dry run).
  static OutputFile Create(const std::string& path, Publication publication, const std::vector<InputIdentity>& inputs,
                           bool remove_stale = true);
  // Checked like Create, made and removed again at once: records are only counted.
  static OutputFile Counted(const std::string& path, Publication publication, const std::vector<InputIdentity>& inputs);
  OutputFile(std::string path, Publication publication, int descriptor, std::string temporary, TemporarySlot* slot);
  void FlushBuffer();
  [[noreturn]] void Fail(std::string_view what, int error_number);
  void Discard() noexcept;
  // The steps of publishing, in the order OutputSet takes them.
  void StageReplacement();    // kReplace: a named temporary beside the name
  void PublishNew();          // kNew: the name, unless it is taken
  void Replace();             // kReplace: rename over the name
  void Unpublish() noexcept;  // kNew: the name again, when it still holds this file
  void CloseDescriptor();

  std::string path_;
  Publication publication_;
  int descriptor_ = -1;    // open, and holding the temporary's lock, until published or discarded
  std::string temporary_;  // the named temporary; empty while the file has no name
  TemporarySlot* slot_ = nullptr;  // its entry among the names RemoveTemporaryFiles removes
  bool finished_ = false;
  bool published_ = false;
  bool done_ = false;  // published or discarded: nothing left to clean up
  dev_t device_ = 0;   // the file, to recognise it under its name
  ino_t inode_ = 0;
  std::string buffer_;
  bool counting_ = false;  // nothing is written: the records are only counted
  std::int64_t lines_ = 0;
  std::int64_t bytes_ = 0;
};

enum class Publishing {
  kAtEnd,  // PublishAll gives the files their names
  kNever,  // a dry run: the files are checked and counted, never written or named
};

// The outputs of one run, published together once it has succeeded: every
// kNew file takes its name, then every kReplace file replaces its own. A
// replacement cannot be undone, so it is made ready before anything is
// published and done last; when any step fails, the kNew files published so
// far are removed again and the error is thrown (OutputExists for a name
// that was taken meanwhile, OutputRefused or EISDIR for a name to replace
// that came to resolve to what may not be replaced). SIGINT, SIGTERM, SIGHUP and SIGPIPE are held off
// while this runs: after a failure they take effect as usual, after success
// they came too late to stop the run and are dropped, so a stopped run has
// published nothing.
class OutputSet {
 public:
  explicit OutputSet(Publishing publishing = Publishing::kAtEnd) : publishing_(publishing) {}
  OutputSet(const OutputSet&) = delete;
  OutputSet& operator=(const OutputSet&) = delete;

  // Declares a file the command reads (a name that does not exist is
  // skipped): no kReplace output of the set goes over it, nor over a name
  // that resolves to it (a symbolic or hard link), when it is made or
  // published. Declare the inputs before the outputs are made.
  void Reads(const std::string& path);
  // OutputFile::Create, refusing the files read as well; when nothing is to
  // be published, the counted twin of the file, with the same refusals.
  OutputFile Create(const std::string& path, Publication publication) const;
  // What Create throws for a kReplace `path` that must not be replaced:
  // OutputError (EISDIR) for a folder, OutputRefused for the rest.
  void CheckReplaceable(const std::string& path) const;

  // Finishes `file` (OutputError on failure) and keeps it for PublishAll.
  void Add(OutputFile file);
  void PublishAll();  // Publishing::kNever: drops the files
  bool empty() const { return files_.empty(); }
  // The files added so far, in their order.
  const std::vector<OutputFile>& files() const { return files_; }

 private:
  Publishing publishing_;
  std::vector<OutputFile> files_;
  std::vector<InputIdentity> inputs_;
};

// Removes this process's named temporaries, however many. Async-signal-safe,
// for a handler that ends the process.
void RemoveTemporaryFiles() noexcept;

// A test seam. Before each of these steps the hook, when set, is asked; a
// non-zero answer makes the step fail with that errno as if the system had
// refused it (kCreateUnnamed answered with EOPNOTSUPP takes the named road).
enum class FileStep { kCreateUnnamed, kCreateNamed, kWrite, kSync, kClose, kLink, kRename };
void SetFaultHook(std::function<int(FileStep)> hook);

}  // namespace wavecomp::textio
