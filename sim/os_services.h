// What the simulator needs of the operating system besides sockets: running a
// program, the user's stop request and the ready line of kravent-sim.
// sim/os/linux and sim/os/win32 implement it; the build picks one.
#pragma once

#include <string>
#include <vector>

namespace kravent::sim {

// Runs the program args[0], found on the search path, with the other arguments and
// waits for it; its exit status, or -1 when it could not run.
int RunProgram(const std::vector<std::string>& args);

// Takes over the user's stop requests (SIGINT and SIGTERM, Ctrl-C): call first in
// main, before any thread starts. WaitForStopRequest returns once one came.
void CatchStopRequests();
void WaitForStopRequest();

// Writes "ready\n" to the open file descriptor `fd` and closes it.
void WriteReadyLine(int fd);

}  // namespace kravent::sim
