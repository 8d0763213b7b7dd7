// The page's gains experiment: `kravent autotune` run on the module that the page holds,
// with the link's connection lent to it (ModuleLink::Lend), never applying anything.
// Its samples go to the live chart as the poll's would; its phase, and the proposal
// once designed, show in the running experiment's progress. The result holds the
// gains found and proposed (as the module will take them) and both steps' figures;
// writing the proposal is the page's own, separate request.
#pragma once

#include "cli/autotune_run.h"
#include "cli/tune/experiment.h"

namespace kravent::cli::tune {

// Parameters {"mode": "position"|"speed", "excursion": counts (20 or more), "rule": name};
// throws ExperimentError for any other.
AutotuneRequest AutotuneRequestOf(const nlohmann::json& parameters);

Experiment AutotuneExperiment();

}  // namespace kravent::cli::tune
