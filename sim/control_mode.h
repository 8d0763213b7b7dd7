// kravent-sim --control: modules started, stopped and asked for the arrival times of
// their frames by commands on standard input, one a line, each answered on standard
// output. For programs that measure a host against the simulator (the benchmark).
#pragma once

namespace kravent::sim {

// Commands:
//   start ADDRESS N  play N modules from ADDRESS on (the last byte counts up): "ok"
//   stop             stop every module: "ok"
//   frames           per module, in address order, the steady-clock arrival times (ns)
//                    of the TCP frames received since the last "frames": the module
//                    count, then per module its frame count and one time a line
// A failure answers "error " and why. Ends at the end of standard input.
int RunControlMode();

}  // namespace kravent::sim
