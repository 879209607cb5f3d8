#include "textio/output_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>
#include <set>

#include "textio/errors.h"

namespace wavecomp::textio {
namespace {

// Records are gathered and written in blocks of this size.
constexpr std::size_t kBufferSize = 1 << 20;

constexpr std::string_view kNoFileMade =
    "; no file was made (check the name, and that its folder exists and may be written to)";
constexpr std::string_view kNothingChanged = "; no file was written or changed";
constexpr std::string_view kTemporaryMark = ".partial-";

std::function<int(FileStep)>& Hook() {
  static std::function<int(FileStep)> hook;
  return hook;
}

// The errno the test hook makes `step` fail with; 0 lets it run.
int Injected(FileStep step) {
  const std::function<int(FileStep)>& hook = Hook();
  return hook ? hook(step) : 0;
}

// ---------------------------------------------------------------------------
// Named temporaries, kept where a signal handler can remove them.
//
// A run may have any number of outputs (the importer writes one or two per
// time and location), so the table grows: chunk k holds 8 << k slots and is
// published by an atomic pointer once it is made. Chunks and the names they
// point to are never moved or freed, so a handler on any thread can walk the
// table at any moment without a lock and without allocating.

enum SlotState : int { kFree, kFilling, kNamed };

}  // namespace

struct TemporarySlot {
  std::atomic<int> state{kFree};
  std::atomic<char*> path{nullptr};  // never freed: a handler may be reading an earlier one
  std::size_t capacity = 0;          // bytes `path` holds; touched only by the slot's owner
};

namespace {

static_assert(std::atomic<int>::is_always_lock_free && std::atomic<char*>::is_always_lock_free &&
                  std::atomic<TemporarySlot*>::is_always_lock_free,
              "the handler reads the slots without a lock");

constexpr std::size_t kFirstChunkSlots = 8;
constexpr int kChunks = 40;  // room for 8 (2^40 - 1) slots: more than any process has names
std::atomic<TemporarySlot*> g_chunks[kChunks];

std::size_t ChunkSlots(int k) { return kFirstChunkSlots << k; }

// Makes `slot`, which the caller holds in kFilling, name `path`; false when
// there is no memory for the name.
bool FillSlot(TemporarySlot& slot, const std::string& path) {
  char* name = slot.path.load();
  if (slot.capacity < path.size() + 1) {
    // The old name stays allocated, since a handler may have read its
    // address just before, and stays listed, so that it is kept and not lost.
    static std::mutex retiring;
    static std::vector<char*> retired;
    const std::lock_guard<std::mutex> lock(retiring);
    try {
      if (name != nullptr) retired.push_back(name);
    } catch (const std::bad_alloc&) {
      return false;
    }
    name = new (std::nothrow) char[path.size() + 1];
    if (name == nullptr) return false;
    slot.capacity = path.size() + 1;
  }
  std::memcpy(name, path.c_str(), path.size() + 1);
  slot.path.store(name);
  slot.state.store(kNamed);
  return true;
}

// A slot holding `path`; nullptr, with errno set, when there is no memory for it.
TemporarySlot* ClaimSlot(const std::string& path) {
  static std::mutex growing;
  for (int k = 0; k < kChunks; ++k) {
    TemporarySlot* chunk = g_chunks[k].load(std::memory_order_acquire);
    if (chunk == nullptr) {
      const std::lock_guard<std::mutex> lock(growing);
      chunk = g_chunks[k].load(std::memory_order_acquire);
      if (chunk == nullptr) {
        chunk = new (std::nothrow) TemporarySlot[ChunkSlots(k)];
        if (chunk == nullptr) break;
        g_chunks[k].store(chunk, std::memory_order_release);
      }
    }
    for (std::size_t i = 0; i < ChunkSlots(k); ++i) {
      int expected = kFree;
      if (!chunk[i].state.compare_exchange_strong(expected, kFilling)) continue;
      if (FillSlot(chunk[i], path)) return &chunk[i];
      chunk[i].state.store(kFree);
      errno = ENOMEM;
      return nullptr;
    }
  }
  errno = ENOMEM;
  return nullptr;
}

void ReleaseSlot(TemporarySlot*& slot) {
  if (slot != nullptr) slot->state.store(kFree);
  slot = nullptr;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// A fresh hidden name beside `path`: ".NAME.partial-PID-N".
std::string TemporaryName(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  return folder + "." + base + std::string(kTemporaryMark) + std::to_string(::getpid()) + "-" +
         std::to_string(counter++);
}

// The process id in a name ".NAME.partial-PID-N", 0 when it is not one.
pid_t TemporaryOwner(std::string_view name) {
  if (name.size() < 2 || name[0] != '.') return 0;
  const std::size_t mark = name.rfind(kTemporaryMark);
  if (mark == std::string_view::npos || mark < 2) return 0;
  std::size_t at = mark + kTemporaryMark.size();
  long long pid = 0;
  std::size_t digits = 0;
  for (; at < name.size() && name[at] >= '0' && name[at] <= '9' && digits < 10; ++at, ++digits) {
    pid = pid * 10 + (name[at] - '0');
  }
  if (digits == 0 || at >= name.size() || name[at] != '-' || at + 1 >= name.size()) return 0;
  for (++at; at < name.size(); ++at) {
    if (name[at] < '0' || name[at] > '9') return 0;
  }
  return pid > 0 && pid <= INT_MAX ? static_cast<pid_t>(pid) : 0;
}

// Removes the temporary `name` of `folder` when its maker is provably gone:
// this process can take its lock, and the name still is the file locked.
// The maker holds that lock from before anyone can see the name (see
// LockNewTemporary) until the name is gone, and the kernel drops it when the
// maker dies, wherever it ran.
void RemoveIfAbandoned(int folder, const char* name) {
  struct stat named {};
  // Only regular files are opened: opening a device may do something.
  if (::fstatat(folder, name, &named, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(named.st_mode)) return;
  const int descriptor = ::openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (descriptor < 0) return;
  struct stat opened {};
  if (::fstat(descriptor, &opened) == 0 && S_ISREG(opened.st_mode) && ::flock(descriptor, LOCK_EX | LOCK_NB) == 0 &&
      ::fstatat(folder, name, &named, AT_SYMLINK_NOFOLLOW) == 0 && named.st_dev == opened.st_dev &&
      named.st_ino == opened.st_ino) {
    // Removed while the lock is held, so that a maker that locks it later finds it gone.
    ::unlinkat(folder, name, 0);
  }
  ::close(descriptor);
}

// A process killed outright (SIGKILL, a power cut) cannot remove its named
// temporaries; the first output made in the same folder afterwards removes
// those whose process is gone. Once per folder and process.
void RemoveStaleTemporaries(const std::string& folder) {
  static std::mutex mutex;
  static std::set<std::string> cleaned;
  const std::lock_guard<std::mutex> lock(mutex);
  if (!cleaned.insert(folder).second) return;
  DIR* const listing = ::opendir(folder.c_str());
  if (listing == nullptr) return;
  const pid_t self = ::getpid();
  while (const dirent* entry = ::readdir(listing)) {
    const pid_t owner = TemporaryOwner(entry->d_name);
    // A process that exists, or that we may not signal, is alive. One that
    // does not exist here may still be alive elsewhere: its lock decides.
    if (owner == 0 || owner == self || ::kill(owner, 0) == 0 || errno != ESRCH) continue;
    RemoveIfAbandoned(::dirfd(listing), entry->d_name);
  }
  ::closedir(listing);
}

// Locks a temporary just created under its name, for as long as this
// process holds `descriptor`. False when a sweep got to it between its
// creation and this lock: the sweep holds the lock, or has removed the name.
bool LockNewTemporary(int descriptor) {
  if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
    // A file system without locks: a sweep cannot take one there either, and leaves the name alone.
    return errno != EWOULDBLOCK;
  }
  struct stat status {};
  return ::fstat(descriptor, &status) == 0 && status.st_nlink > 0;
}

// Opens and locks a new named temporary beside `path`; -1 with errno set on failure.
int OpenNamedTemporary(const std::string& path, std::string& temporary, TemporarySlot*& slot) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    temporary = TemporaryName(path);
    // Claimed before it exists, so that no moment leaves it unknown to a handler.
    slot = ClaimSlot(temporary);
    if (slot == nullptr) return -1;
    int descriptor = -1;
    if (const int injected = Injected(FileStep::kCreateNamed)) {
      errno = injected;
    } else {
      descriptor = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    }
    if (descriptor >= 0) {
      if (LockNewTemporary(descriptor)) return descriptor;
      // The sweep that holds it removes it; this output takes another name.
      ::close(descriptor);
      ReleaseSlot(slot);
      errno = EEXIST;
      continue;
    }
    const int error = errno;
    ReleaseSlot(slot);
    errno = error;
    if (error != EEXIST) return -1;
  }
  return -1;
}

// Gives the unnamed file `descriptor` the name `target`, which must not
// exist; 0 or the errno.
int LinkUnnamed(int descriptor, const std::string& target) {
  if (const int injected = Injected(FileStep::kLink)) return injected;
  const std::string self = "/proc/self/fd/" + std::to_string(descriptor);
  if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW) == 0) return 0;
  const int error = errno;
  // Without /proc, AT_EMPTY_PATH does the same for a privileged process.
  if (error == ENOENT && ::access("/proc/self/fd", F_OK) != 0) {
    return ::linkat(descriptor, "", AT_FDCWD, target.c_str(), AT_EMPTY_PATH) == 0 ? 0 : errno;
  }
  return error;
}

// Renames `from` to `to` unless `to` exists; 0 or the errno.
int MoveWithoutReplacing(const std::string& from, const std::string& to) {
  if (const int injected = Injected(FileStep::kLink)) return injected;
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return errno;
  // A file system without RENAME_NOREPLACE: link() refuses an existing name too.
  if (::link(from.c_str(), to.c_str()) != 0) return errno;
  ::unlink(from.c_str());
  return 0;
}

// A name the system would cut (NUL) or a terminal would show garbled is
// refused; so are names that can only be folders.
void CheckName(const std::string& path) {
  if (path.empty()) throw OutputError("cannot create", path, "the name is empty" + std::string(kNoFileMade), ENOENT);
  for (std::size_t i = 0; i < path.size(); ++i) {
    const auto byte = static_cast<unsigned char>(path[i]);
    if (byte < 0x20 || byte == 0x7f) {
      char reason[96];
      std::snprintf(reason, sizeof reason, "the name holds a control character (byte 0x%02x at position %zu)", byte,
                    i + 1);
      throw OutputError("cannot create", path, std::string(reason) + "; give a name of printable characters", EINVAL);
    }
  }
  if (path.back() == '/') throw OutputError("cannot create", path, EISDIR, kNoFileMade);
}

// What a name to be replaced resolves to, in the words of a refusal.
std::string KindOf(mode_t mode) {
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISSOCK(mode)) return "a socket";
  return "a special file";
}

// A kReplace output goes only over nothing or a regular file that none of
// `inputs` is: rename() would put a regular file in place of a device node
// or a FIFO, and over a link to an input it would lose what the command
// read. A link that leads nowhere is replaced itself.
void CheckReplaceable(const std::string& path, const std::vector<InputIdentity>& inputs, std::string_view action,
                      std::string_view consequence) {
  struct stat target {};
  if (::stat(path.c_str(), &target) != 0) return;
  if (S_ISDIR(target.st_mode)) throw OutputError(action, path, EISDIR, consequence);
  if (!S_ISREG(target.st_mode)) throw OutputRefused(path, KindOf(target.st_mode), false);
  for (const InputIdentity& input : inputs) {
    // What was read, and what its name leads to now.
    struct stat now {};
    const bool read = input.device == target.st_dev && input.inode == target.st_ino;
    if (read || (::stat(input.path.c_str(), &now) == 0 && now.st_dev == target.st_dev && now.st_ino == target.st_ino)) {
      throw OutputRefused(path, input.path, true);
    }
  }
}

// SIGINT, SIGTERM, SIGHUP and SIGPIPE wait while outputs are published: a
// run stopped half-way through publishing would have changed some files.
class SignalsHeld {
 public:
  SignalsHeld() {
    sigemptyset(&held_);
    for (const int signal_number : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) sigaddset(&held_, signal_number);
    pthread_sigmask(SIG_BLOCK, &held_, &before_);
  }
  ~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &before_, nullptr); }
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

  // Every output is published: a stop that came meanwhile came too late to
  // stop anything, and is dropped rather than reported as a stopped run.
  void DropPending() {
    sigset_t pending;
    if (sigpending(&pending) != 0) return;
    for (const int signal_number : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) {
      if (sigismember(&before_, signal_number) || !sigismember(&pending, signal_number)) continue;
      sigset_t one;
      sigemptyset(&one);
      sigaddset(&one, signal_number);
      const timespec now{};
      sigtimedwait(&one, nullptr, &now);
    }
  }

 private:
  sigset_t held_;
  sigset_t before_;
};

}  // namespace

// ---------------------------------------------------------------------------
// OutputFile

OutputFile::OutputFile(std::string path, Publication publication, int descriptor, std::string temporary,
                       TemporarySlot* slot)
    : path_(std::move(path)),
      publication_(publication),
      descriptor_(descriptor),
      temporary_(std::move(temporary)),
      slot_(slot) {
  buffer_.reserve(kBufferSize);
}

OutputFile::OutputFile(OutputFile&& other) noexcept
    : path_(std::move(other.path_)),
      publication_(other.publication_),
      descriptor_(other.descriptor_),
      temporary_(std::move(other.temporary_)),
      slot_(other.slot_),
      finished_(other.finished_),
      published_(other.published_),
      done_(other.done_),
      device_(other.device_),
      inode_(other.inode_),
      buffer_(std::move(other.buffer_)),
      counting_(other.counting_),
      lines_(other.lines_),
      bytes_(other.bytes_) {
  other.descriptor_ = -1;
  other.temporary_.clear();
  other.slot_ = nullptr;
  other.published_ = false;
  other.done_ = true;
}

OutputFile OutputFile::Create(const std::string& path, Publication publication) { return Create(path, publication, {}); }

OutputFile OutputFile::Counted(const std::string& path, Publication publication,
                               const std::vector<InputIdentity>& inputs) {
  // Made for real, so that every refusal of the folder is the one a run meets.
  OutputFile file = Create(path, publication, inputs, false);
  file.Discard();
  file.buffer_ = std::string();
  file.counting_ = true;
  return file;
}

OutputFile OutputFile::Create(const std::string& path, Publication publication,
                              const std::vector<InputIdentity>& inputs, bool remove_stale) {
  CheckName(path);
  struct stat status {};
  if (::lstat(path.c_str(), &status) == 0) {
    if (S_ISDIR(status.st_mode)) throw OutputError("cannot create", path, EISDIR, kNoFileMade);
    if (publication == Publication::kNew) throw OutputExists(path);
    CheckReplaceable(path, inputs, "cannot create", kNoFileMade);
  } else if (errno != ENOENT) {
    throw OutputError("cannot create", path, errno, kNoFileMade);
  }
  const std::string folder = FolderOf(path);
  if (remove_stale) RemoveStaleTemporaries(folder);
  int descriptor = -1;
  if (const int injected = Injected(FileStep::kCreateUnnamed)) {
    errno = injected;
  } else {
    descriptor = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  }
  if (descriptor >= 0) return OutputFile(path, publication, descriptor, std::string(), nullptr);
  // Kernels and file systems without unnamed files say so in one of these ways.
  if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
    throw OutputError("cannot create", path, errno, kNoFileMade);
  }
  std::string temporary;
  TemporarySlot* slot = nullptr;
  descriptor = OpenNamedTemporary(path, temporary, slot);
  if (descriptor < 0) throw OutputError("cannot create", path, errno, kNoFileMade);
  return OutputFile(path, publication, descriptor, std::move(temporary), slot);
}

OutputFile::~OutputFile() {
  if (!done_) {
    Unpublish();
    Discard();
  }
}

void OutputFile::Discard() noexcept {
  // The name goes before the descriptor that holds its lock.
  if (!temporary_.empty()) {
    ::unlink(temporary_.c_str());
    temporary_.clear();
  }
  ReleaseSlot(slot_);
  if (descriptor_ >= 0) {
    ::close(descriptor_);
    descriptor_ = -1;
  }
  done_ = true;
}

void OutputFile::Unpublish() noexcept {
  if (!published_ || publication_ != Publication::kNew) return;
  published_ = false;
  // Only while the name still holds this very file.
  struct stat status {};
  if (::lstat(path_.c_str(), &status) == 0 && status.st_dev == device_ && status.st_ino == inode_) {
    ::unlink(path_.c_str());
  }
}

void OutputFile::Fail(std::string_view what, int error_number) {
  Unpublish();
  Discard();
  throw OutputError(what, path_, error_number, kNothingChanged);
}

void OutputFile::WriteLine(std::string_view record) {
  ++lines_;
  bytes_ += static_cast<std::int64_t>(record.size()) + 1;
  if (counting_) return;
  buffer_.append(record);
  buffer_.push_back('\n');
  if (buffer_.size() >= kBufferSize) FlushBuffer();
}

void OutputFile::FlushBuffer() {
  const char* data = buffer_.data();
  std::size_t left = buffer_.size();
  while (left > 0) {
    ssize_t written = -1;
    if (const int injected = Injected(FileStep::kWrite)) {
      errno = injected;
    } else {
      written = ::write(descriptor_, data, left);
    }
    if (written < 0) {
      if (errno == EINTR) continue;
      Fail("cannot write", errno);
    }
    data += written;
    left -= static_cast<std::size_t>(written);
  }
  buffer_.clear();
}

void OutputFile::Finish() {
  if (finished_) return;
  if (counting_) {
    finished_ = true;
    return;
  }
  FlushBuffer();
  int error = Injected(FileStep::kSync);
  if (error == 0 && ::fsync(descriptor_) != 0) error = errno;
  if (error != 0) Fail("cannot flush", error);
  struct stat status {};
  if (::fstat(descriptor_, &status) == 0) {
    device_ = status.st_dev;
    inode_ = status.st_ino;
  }
  buffer_ = std::string();
  finished_ = true;
  // A named temporary keeps its descriptor, and so its lock, until its name is gone.
}

void OutputFile::StageReplacement() {
  if (!temporary_.empty()) return;  // named, and locked, from the start
  // rename() needs a name to move: the unnamed file gets one beside its own
  // for the moment until it replaces the old file, locked before it has it.
  ::flock(descriptor_, LOCK_EX | LOCK_NB);
  for (int attempt = 0;; ++attempt) {
    std::string temporary = TemporaryName(path_);
    TemporarySlot* slot = ClaimSlot(temporary);
    if (slot == nullptr) Fail("cannot complete", errno);
    const int error = LinkUnnamed(descriptor_, temporary);
    if (error == 0) {
      temporary_ = std::move(temporary);
      slot_ = slot;
      break;
    }
    ReleaseSlot(slot);
    if (error != EEXIST || attempt >= 100) Fail("cannot complete", error);
  }
}

// Ends a publication: the file has its name, and its descriptor, which was
// kept for the lock and is no longer needed, is closed; for kNew a failure
// to close takes the name away again.
void OutputFile::CloseDescriptor() {
  if (descriptor_ < 0) return;
  const int descriptor = descriptor_;
  descriptor_ = -1;
  if (publication_ == Publication::kReplace) {
    // The replacement cannot be undone, and fsync has already reported any
    // write the disk refused.
    ::close(descriptor);
    return;
  }
  int error = Injected(FileStep::kClose);
  if (::close(descriptor) != 0 && error == 0) error = errno;
  if (error != 0) Fail("cannot close", error);
}

void OutputFile::PublishNew() {
  const int error = temporary_.empty() ? LinkUnnamed(descriptor_, path_) : MoveWithoutReplacing(temporary_, path_);
  if (error == EEXIST) {
    Discard();
    throw OutputExists(path_);
  }
  if (error != 0) Fail("cannot complete", error);
  published_ = true;
  temporary_.clear();
  ReleaseSlot(slot_);
  CloseDescriptor();
}

void OutputFile::Replace() {
  int error = Injected(FileStep::kRename);
  if (error == 0 && ::rename(temporary_.c_str(), path_.c_str()) != 0) error = errno;
  if (error != 0) Fail("cannot complete", error);
  temporary_.clear();
  ReleaseSlot(slot_);
  published_ = true;
  CloseDescriptor();
}

void OutputFile::Publish() {
  if (counting_) return;
  Finish();
  SignalsHeld held;
  if (publication_ == Publication::kReplace) {
    StageReplacement();
    try {
      CheckReplaceable(path_, {}, "cannot complete", kNothingChanged);
    } catch (...) {
      Discard();
      throw;
    }
    Replace();
  } else {
    PublishNew();
  }
  done_ = true;
  held.DropPending();
}

// ---------------------------------------------------------------------------
// OutputSet

void OutputSet::Reads(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) == 0) inputs_.push_back(InputIdentity{path, status.st_dev, status.st_ino});
}

OutputFile OutputSet::Create(const std::string& path, Publication publication) const {
  return publishing_ == Publishing::kNever ? OutputFile::Counted(path, publication, inputs_)
                                           : OutputFile::Create(path, publication, inputs_);
}

void OutputSet::CheckReplaceable(const std::string& path) const {
  textio::CheckReplaceable(path, inputs_, "cannot create", kNoFileMade);
}

void OutputSet::Add(OutputFile file) {
  file.Finish();
  files_.push_back(std::move(file));
}

void OutputSet::PublishAll() {
  if (publishing_ == Publishing::kNever) {
    files_.clear();
    return;
  }
  SignalsHeld held;
  try {
    for (OutputFile& file : files_) {
      if (file.publication() == Publication::kReplace) file.StageReplacement();
    }
    for (OutputFile& file : files_) {
      if (file.publication() == Publication::kNew) file.PublishNew();
    }
    // The last moment a refusal can still undo everything: what each name
    // to replace resolves to now.
    for (const OutputFile& file : files_) {
      if (file.publication() == Publication::kReplace) {
        textio::CheckReplaceable(file.path(), inputs_, "cannot complete", kNothingChanged);
      }
    }
    for (OutputFile& file : files_) {
      if (file.publication() == Publication::kReplace) file.Replace();
    }
  } catch (...) {
    for (OutputFile& file : files_) {
      file.Unpublish();
      file.Discard();
    }
    files_.clear();
    throw;
  }
  for (OutputFile& file : files_) file.done_ = true;
  files_.clear();
  held.DropPending();
}

void RemoveTemporaryFiles() noexcept {
  for (int k = 0; k < kChunks; ++k) {
    const TemporarySlot* const chunk = g_chunks[k].load(std::memory_order_acquire);
    if (chunk == nullptr) return;  // chunks are made in order
    for (std::size_t i = 0; i < ChunkSlots(k); ++i) {
      // The name is stored before the state says it is there.
      if (chunk[i].state.load() != kNamed) continue;
      if (const char* const name = chunk[i].path.load()) ::unlink(name);
    }
  }
}

void SetFaultHook(std::function<int(FileStep)> hook) { Hook() = std::move(hook); }

}  // namespace wavecomp::textio
