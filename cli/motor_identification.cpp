#include "cli/motor_identification.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace kravent::cli {

namespace {

constexpr int kUnknowns = 3;  // tau, K, K * f
constexpr int kFewestIntervals = 8;
constexpr double kLongestIntervalShare = 3.0;  // of the median interval
using Row = std::array<double, kUnknowns>;

double Sign(double v) { return v > 0 ? 1.0 : (v < 0 ? -1.0 : 0.0); }

// Solves m * x = r by Gaussian elimination with partial pivoting; false when singular.
bool Solve(std::array<Row, kUnknowns> m, Row r, Row& x) {
    for (int c = 0; c < kUnknowns; ++c) {
        int pivot = c;
        for (int k = c + 1; k < kUnknowns; ++k)
            if (std::fabs(m[k][c]) > std::fabs(m[pivot][c])) pivot = k;
        if (std::fabs(m[pivot][c]) < 1e-300) return false;
        std::swap(m[c], m[pivot]);
        std::swap(r[c], r[pivot]);
        for (int k = c + 1; k < kUnknowns; ++k) {
            const double f = m[k][c] / m[c][c];
            for (int j = c; j < kUnknowns; ++j) m[k][j] -= f * m[c][j];
            r[k] -= f * r[c];
        }
    }
    for (int c = kUnknowns - 1; c >= 0; --c) {
        double s = r[c];
        for (int j = c + 1; j < kUnknowns; ++j) s -= m[c][j] * x[j];
        x[c] = s / m[c][c];
    }
    return true;
}

}  // namespace

std::optional<MotorEstimate> IdentifyMotor(const std::vector<std::vector<MotorSample>>& runs) {
    // An interval much longer than most (the host was late for an answer) holds a
    // command that the trapezoid no longer follows.
    std::vector<double> intervals;
    for (const auto& run : runs)
        for (std::size_t i = 1; i < run.size(); ++i) intervals.push_back(run[i].seconds - run[i - 1].seconds);
    if (intervals.empty()) return std::nullopt;
    std::nth_element(intervals.begin(), intervals.begin() + static_cast<std::ptrdiff_t>(intervals.size() / 2), intervals.end());
    const double longest = kLongestIntervalShare * intervals[intervals.size() / 2];

    // One equation per interval: a . (tau, K, K f) = dx.
    std::vector<Row> rows;
    std::vector<double> moved;
    for (const auto& run : runs) {
        for (std::size_t i = 1; i < run.size(); ++i) {
            const MotorSample& a = run[i - 1];
            const MotorSample& b = run[i];
            const double dt = b.seconds - a.seconds;
            // A motor that rests at either end was held by static friction for part of the
            // interval, which the model does not describe.
            if (dt <= 0 || dt > longest || a.speed == 0 || b.speed == 0) continue;
            const double commandIntegral = 0.5 * (a.command + b.command) * dt;
            const double signIntegral = 0.5 * (Sign(a.speed) + Sign(b.speed)) * dt;
            rows.push_back({-(b.speed - a.speed), commandIntegral, -signIntegral});
            moved.push_back(b.position - a.position);
        }
    }
    if (rows.size() < static_cast<std::size_t>(kFewestIntervals)) return std::nullopt;

    // Normal equations, each column scaled to unit size first so that seconds and
    // command units of very different sizes solve equally well.
    Row scale{};
    for (const Row& row : rows)
        for (int j = 0; j < kUnknowns; ++j) scale[j] += row[j] * row[j];
    for (double& s : scale) s = s > 0 ? std::sqrt(s) : 1.0;
    std::array<Row, kUnknowns> normal{};
    Row right{};
    for (std::size_t i = 0; i < rows.size(); ++i)
        for (int j = 0; j < kUnknowns; ++j) {
            right[j] += rows[i][j] / scale[j] * moved[i];
            for (int k = 0; k < kUnknowns; ++k) normal[j][k] += rows[i][j] / scale[j] * rows[i][k] / scale[k];
        }
    Row x{};
    if (!Solve(normal, right, x)) return std::nullopt;
    for (int j = 0; j < kUnknowns; ++j) x[j] /= scale[j];

    const double tau = x[0];
    const double gain = x[1];
    if (!(gain > 0) || !(tau > 0) || !std::isfinite(tau) || !std::isfinite(gain)) return std::nullopt;
    double squares = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const double error = rows[i][0] * x[0] + rows[i][1] * x[1] + rows[i][2] * x[2] - moved[i];
        squares += error * error;
    }
    MotorEstimate estimate;
    estimate.gain = gain;
    estimate.timeConstant = tau;
    estimate.friction = std::max(0.0, x[2] / gain);
    estimate.intervals = static_cast<int>(rows.size());
    estimate.residual = std::sqrt(squares / static_cast<double>(rows.size()));
    return estimate;
}

}  // namespace kravent::cli
