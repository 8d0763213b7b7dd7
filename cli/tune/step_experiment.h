// The step experiment of the page: position mode, a move to the target, the poll's
// POSITION, DESIRED and SPEED recorded for the duration, judged as `kravent step`
// judges a step. The last runs are kept for the overlay and the exports.
#pragma once

#include <deque>
#include <memory>
#include <mutex>
#include <optional>

#include "cli/step_chart.h"
#include "cli/tune/experiment.h"

namespace kravent::cli::tune {

struct StepRun {
    int id = 0;
    std::string label;  // the gains it ran with
    std::string time;
    StepRecording recording;
    StepFigures figures;
};

class StepRuns {
public:
    static constexpr std::size_t kKept = 10;

    std::shared_ptr<const StepRun> Add(StepRun run);
    std::shared_ptr<const StepRun> Find(int id) const;

private:
    mutable std::mutex mutex_;
    std::deque<std::shared_ptr<const StepRun>> runs_;
    int next_ = 1;
};

// The registers a step needs polled.
inline constexpr std::string_view kStepPolled[] = {"POSITION", "DESIRED", "SPEED"};

// Parameters {"target": counts, "duration_s": seconds}; the result is the run as JSON.
Experiment StepExperiment(StepRuns& runs);
nlohmann::json StepRunJson(const StepRun& run);

}  // namespace kravent::cli::tune
