#pragma once

// The requests to stop that the command line holds off like Ctrl+C: the first one asks the job
// to abort (it does so at its next safe point), a second one of the same kind ends the program.
// POSIX: SIGINT, SIGTERM and SIGHUP. Windows: Ctrl+C and Ctrl+Break, and the console's close,
// logoff and shutdown events, for which the program keeps running until its job ends or the
// system's grace period is over (whatever a kill leaves is finished by the next run).

namespace mirune::cli {

// `on_stop` is called from a signal handler or a console control thread: it may only set an
// atomic flag.
void InstallStopRequestHandlers(void (*on_stop)());
// Back to the system's defaults.
void RemoveStopRequestHandlers();

}  // namespace mirune::cli
