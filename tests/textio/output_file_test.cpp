// Publishing outputs: whichever step fails, no file is made or changed; a
// name that exists is never replaced unless asked; and nothing of a process
// killed outright outlives it, or the next output made in its folder.
#include "textio/output_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <map>
#include <string>

#include "support/test_support.h"
#include "textio/errors.h"

namespace wavecomp::textio {
namespace {

using testing::ScratchDir;

using Snapshot = std::map<std::string, std::string>;  // every file of a folder, hidden ones too

Snapshot Take(const ScratchDir& dir) {
  Snapshot files;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    files[entry.path().filename().string()] = testing::ReadFile(entry.path().string());
  }
  return files;
}

// Makes the `nth` use of `step` fail with ENOSPC while it lives; without
// `unnamed` the file system seems to have no unnamed files.
class Faults {
 public:
  Faults(FileStep step, int nth, bool unnamed) {
    SetFaultHook([this, step, nth, unnamed, count = 0](FileStep now) mutable {
      if (!unnamed && now == FileStep::kCreateUnnamed) return EOPNOTSUPP;
      if (now != step || ++count != nth) return 0;
      hit = true;
      return ENOSPC;
    });
  }
  ~Faults() { SetFaultHook(nullptr); }
  bool hit = false;
};

const std::string kSpectrum(3 << 19, 's');  // 1.5 MiB: written in two blocks

// A run's two outputs: jonswap.spe replacing an old one, wave.dat new.
void WriteBoth(const ScratchDir& dir) {
  OutputSet outputs;
  OutputFile spectrum = OutputFile::Create(dir.PathOf("jonswap.spe"), Publication::kReplace);
  spectrum.WriteLine(kSpectrum);
  outputs.Add(std::move(spectrum));
  OutputFile wave = OutputFile::Create(dir.PathOf("wave.dat"), Publication::kNew);
  wave.WriteLine("components");
  outputs.Add(std::move(wave));
  outputs.PublishAll();
}

TEST(TextioOutputFile, AFailedStepLeavesTheFolderAsItWas) {
  const FileStep steps[] = {FileStep::kCreateUnnamed, FileStep::kCreateNamed, FileStep::kWrite, FileStep::kSync,
                            FileStep::kClose,         FileStep::kLink,        FileStep::kRename};
  for (const bool unnamed : {true, false}) {
    for (const FileStep step : steps) {
      for (const int nth : {1, 2, 3}) {
        if (!unnamed && step == FileStep::kCreateUnnamed) continue;
        SCOPED_TRACE(std::string(unnamed ? "unnamed" : "named") + " step " + std::to_string(static_cast<int>(step)) +
                     " use " + std::to_string(nth));
        ScratchDir dir;
        dir.Write("jonswap.spe", "old spectrum\n");
        const Snapshot before = Take(dir);
        Faults faults(step, nth, unnamed);
        int error = 0;
        try {
          WriteBoth(dir);
        } catch (const OutputError& failure) {
          error = failure.error_number();
        }
        if (faults.hit) {
          EXPECT_EQ(error, ENOSPC);
          EXPECT_EQ(Take(dir), before);
        } else {
          // A step the road does not take that often: both outputs are there, and nothing else.
          EXPECT_EQ(error, 0);
          EXPECT_EQ(Take(dir), (Snapshot{{"jonswap.spe", kSpectrum + "\n"}, {"wave.dat", "components\n"}}));
        }
      }
    }
  }
}

TEST(TextioOutputFile, ANameTakenMeanwhileIsNeverReplaced) {
  for (const bool unnamed : {true, false}) {
    SCOPED_TRACE(unnamed ? "unnamed" : "named");
    ScratchDir dir;
    dir.Write("jonswap.spe", "old spectrum\n");
    Faults faults(FileStep::kWrite, 0, unnamed);
    OutputSet outputs;
    OutputFile spectrum = OutputFile::Create(dir.PathOf("jonswap.spe"), Publication::kReplace);
    spectrum.WriteLine("new spectrum");
    outputs.Add(std::move(spectrum));
    OutputFile wave = OutputFile::Create(dir.PathOf("wave.dat"), Publication::kNew);
    wave.WriteLine("ours");
    outputs.Add(std::move(wave));
    dir.Write("wave.dat", "theirs\n");
    EXPECT_THROW(outputs.PublishAll(), OutputExists);
    EXPECT_EQ(Take(dir), (Snapshot{{"jonswap.spe", "old spectrum\n"}, {"wave.dat", "theirs\n"}}));
    EXPECT_THROW(OutputFile::Create(dir.PathOf("wave.dat"), Publication::kNew), OutputExists);
  }
}

// A child makes an output and ends without cleaning up: killed outright, or
// by a handler that removes the named temporaries first.
TEST(TextioOutputFile, NothingOutlivesAKilledProcessForLong) {
  for (const bool unnamed : {true, false}) {
    for (const bool handler : {false, true}) {
      SCOPED_TRACE(std::string(unnamed ? "unnamed" : "named") + (handler ? ", handler" : ", SIGKILL"));
      ScratchDir dir;
      dir.Write(".other.partial-1-0", "of a process that is alive\n");  // pid 1 always is
      const pid_t child = ::fork();
      if (child == 0) {
        Faults faults(FileStep::kWrite, 0, unnamed);
        OutputFile file = OutputFile::Create(dir.PathOf("wave.dat"), Publication::kNew);
        file.WriteLine("half");
        file.Finish();
        if (handler) RemoveTemporaryFiles();
        ::kill(::getpid(), SIGKILL);
      }
      int status = 0;
      ::waitpid(child, &status, 0);
      ASSERT_TRUE(WIFSIGNALED(status));
      // Only the named road without a handler leaves a hidden temporary ...
      EXPECT_EQ(Take(dir).size(), unnamed || handler ? 1u : 2u);
      // ... which the next output made in the folder removes, as its process is gone.
      OutputFile next = OutputFile::Create(dir.PathOf("next.dat"), Publication::kNew);
      EXPECT_EQ(Take(dir), (Snapshot{{".other.partial-1-0", "of a process that is alive\n"}}));
    }
  }
}

}  // namespace
}  // namespace wavecomp::textio
