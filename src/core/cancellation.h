// Giving up on a long computation part way. The programs never do: a signal
// ends them. A host that runs the library's computations for someone who may
// change their mind (the Python module, on Ctrl-C) asks for it here, and the
// long loops look at the request between pieces of their work. One request
// stops every computation of the process that is running at that moment.
#pragma once

#include <exception>

namespace wavecomp {

// What a computation throws when it gives up; it leaves nothing behind that
// a failure would not leave.
class Cancelled : public std::exception {
 public:
  const char* what() const noexcept override { return "the computation was cancelled"; }
};

void RequestCancellation() noexcept;
// Clears the request, once every computation it meant has stopped.
void ClearCancellation() noexcept;
bool CancellationRequested() noexcept;

// Throws Cancelled when a request stands. Cheap enough for every piece of a
// loop (one relaxed load).
inline void ThrowIfCancelled() {
  if (CancellationRequested()) throw Cancelled();
}

}  // namespace wavecomp
