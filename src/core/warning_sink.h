// Where a stage sends a warning about input that is read exactly as its
// layout says but is probably not what the user meant.
#pragma once

#include <functional>
#include <string>

namespace wavecomp {

// Receives one English sentence per warning (without the program's name);
// the application shows them on standard error. An empty sink drops them.
// A warning never changes what is read or made.
using WarningSink = std::function<void(const std::string& warning)>;

}  // namespace wavecomp
