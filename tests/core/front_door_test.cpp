// The one ending the three programs give each error: the status of the
// shared scheme and the line under the program's name.
#include "core/front_door.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <exception>
#include <new>
#include <stdexcept>
#include <string>

#include "core/run_stop.h"
#include "textio/errors.h"

namespace wavecomp {
namespace {

TEST(FrontDoor, GivesEachErrorItsStatusAndLine) {
  ErrorWording wording;
  wording.out_of_memory = "not enough memory for the run";
  wording.after_memory_shortage = "; nothing was changed";
  const struct {
    std::exception_ptr error;
    int status;
    std::string line;
  } cases[] = {
      {std::make_exception_ptr(Refusal("an output name that exists")), 1, "prog: an output name that exists"},
      {std::make_exception_ptr(InputFailure("not a component file")), 2, "prog: not a component file"},
      {std::make_exception_ptr(OutputFailure("the disk is full")), 3, "prog: the disk is full"},
      {std::make_exception_ptr(RunStop::ConsoleLine(" ERROR", "what went wrong")), 1, "prog: what went wrong"},
      // A console line without an explanation shows nothing on standard error.
      {std::make_exception_ptr(RunStop::ConsoleLine(" ERROR")), 1, ""},
      {std::make_exception_ptr(RunStop::Silent("why it stopped")), 1, "prog: why it stopped"},
      {std::make_exception_ptr(RunStop::BadInput("no energy")), 2, "prog: no energy"},
      {std::make_exception_ptr(RunStop::NoOutput("no room")), 3, "prog: no room"},
      // A missing input is refused (1), unlike one that breaks its layout (2).
      {std::make_exception_ptr(textio::UnopenableFile("SWAN file", "/no/such/sea.spc")), 1,
       "prog: cannot open the SWAN file /no/such/sea.spc: No such file or directory"},
      {std::make_exception_ptr(textio::InputError("in.txt", 3, 11, 20, "a count", "\"abc\"")), 2,
       "prog: input error in in.txt, line 3, columns 11-20: expected a count, found \"abc\""},
      {std::make_exception_ptr(textio::OutputError("cannot write", "out.dat", ENOSPC)), 3,
       "prog: cannot write out.dat: No space left on device"},
      {std::make_exception_ptr(textio::OutputExists("out.dat")), 3, "prog: cannot create out.dat: File exists"},
      {std::make_exception_ptr(textio::MemoryShortage("the table")), 1,
       "prog: not enough memory for the table; nothing was changed"},
      {std::make_exception_ptr(std::bad_alloc()), 1, "prog: not enough memory for the run"},
  };
  for (const auto& c : cases) {
    const ErrorEnding ending = EndingOfError(c.error, "prog", wording);
    EXPECT_EQ(ending.status, c.status) << ending.line;
    EXPECT_EQ(ending.line, c.line);
  }
  EXPECT_THROW(EndingOfError(std::make_exception_ptr(std::logic_error("a fault")), "prog"), std::logic_error);
}

}  // namespace
}  // namespace wavecomp
