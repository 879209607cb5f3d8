// How wavecomp ends when it is told to stop.
#pragma once

namespace wavecomp {

// SIGINT, SIGTERM, SIGHUP and SIGPIPE end the process the conventional way
// (status 128 + the signal's number, as the shell reports it) after removing
// the run's named temporary files and saying so on standard error; the
// run's other files have no name yet and go with the process. A signal that
// was ignored when the program started (nohup, a background job) stays
// ignored. SIGXFSZ is ignored, so a write beyond the file size limit
// (ulimit -f) fails as an I/O error that the run reports.
void InstallSignalHandlers();

}  // namespace wavecomp
