// What a motor is, as its controller sees it, found from samples of a run in which the
// controller drove it: COMMAND (in command units, 32767 = OUPUTVOLTAGEMAX) turns into
// speed through a first-order lag, less a Coulomb friction:
//
//   tau * dv/dt + v = K * (u - f * sign(v))      and      dx/dt = v
//
// Integrated between two samples, the model is linear in its unknowns, so least
// squares over every interval in which the motor moved finds tau, K and K * f:
//
//   dx + tau * dv = K * integral(u dt) - (K * f) * integral(sign(v) dt)
//
// POSITION and SPEED of one sample come from the same instant of the module, so
// only the integrals depend on the sample times; intervals more than three times the
// median one (an answer that came late) are left out. No socket, clock or thread here.
#pragma once

#include <optional>
#include <vector>

namespace kravent::cli {

struct MotorSample {
    double seconds;   // when it was taken, on any clock
    double position;  // POSITION, counts
    double speed;     // SPEED, counts/s
    double command;   // COMMAND, command units
};

struct MotorEstimate {
    double gain;          // K: steady speed per command unit, (counts/s) per unit
    double timeConstant;  // tau: seconds
    double friction;      // f: the command that only just overcomes the Coulomb friction, units
    int intervals;        // how many intervals with motion the fit used
    double residual;      // root mean square of the fit's error, counts
};

// Each run is a list of samples in time order, taken while nothing but the controller
// changed the command (a new target starts a new run). Nothing when the samples do not
// tell the three unknowns apart (too little motion) or tell a motor that cannot be
// (a gain or time constant that is not positive).
std::optional<MotorEstimate> IdentifyMotor(const std::vector<std::vector<MotorSample>>& runs);

}  // namespace kravent::cli
