// How the programs end when they are told to stop, or when an input file is
// cut short under them. wavecomp, wavecomp-check and wavecomp-import install
// the same handling, each under its own name.
#pragma once

namespace wavecomp {

// The status of a process whose input file was cut short while it was read:
// the "no usable output" status (3) of all three programs.
inline constexpr int kInputCutShortStatus = 3;

// SIGINT, SIGTERM, SIGHUP and SIGPIPE end the process the conventional way
// (status 128 + the signal's number, as the shell reports it) after removing
// the named temporary files of its outputs and saying so on standard error
// as "<program>: interrupted (SIGINT); ..."; its other files have no name yet
// and go with the process. A signal that was ignored when the program
// started (nohup, a background job) stays ignored. SIGXFSZ is ignored, so a
// write beyond the file size limit (ulimit -f) fails as an I/O error
// ("File too large") that the program reports with status 3.
//
// SIGBUS at an address of a mapped input file (textio::MappedFileAt) means
// the file became shorter while it was read: the temporaries are removed,
// one line names the file, and the process ends with kInputCutShortStatus.
// Any other SIGBUS keeps its default action.
//
// An input FIFO that has no writer after a second is reported on standard
// error too, as the program waiting for one.
//
// `program` must stay valid for the life of the process (a literal).
void InstallSignalHandlers(const char* program);

}  // namespace wavecomp
