#pragma once
// SIGINT and SIGTERM ask kmsim to stop: a running job is ended (its interpreter with it)
// and the disk put back in order before kmsim exits.

namespace kmsim {

// Installs the handlers. False when the wake-up pipe cannot be made.
bool InstallStopHandlers();

bool StopRequested();

// Turns readable once a stop was asked for; for poll().
int StopFd();

}  // namespace kmsim
