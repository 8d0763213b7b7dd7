// A host that calls the exported interface the wrong way, against in-process
// simulated modules on 127.0.0.x (each test case runs in a namespace of its own).
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

#include "Vorn-KRAVENT_DLLInterface.h"
#include "sim/module_simulator.h"
#include "tests/soak/process_resources.h"
#include "tests/support/callback_host.h"

namespace kravent::misuse {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

using testsupport::Host;
using testsupport::LastError;

// A simulated module listening on `address`, ports 8010 and 7010.
std::unique_ptr<sim::ModuleSimulator> StartModule(const std::string& address = "127.0.0.1");

// Opens a connection to 127.0.0.`last` and waits for Com_Event 1; null on failure.
ComID OpenConnected(Host& host, int last = 1);

// Opens and closes one connection to 127.0.0.1 and logs one failure, so that what the
// library keeps for its whole life (its notification loop, the log's lock) exists
// before a test counts threads and descriptors. Returns the counts afterwards, once
// `module` has closed its side.
testing::ProcessResources WarmUp(Host& host, sim::ModuleSimulator& module);

// Flags MODULENAME, triggers, and waits for its answer; false if it never came.
bool ReadNameAnswered(Host& host, ComID com, std::chrono::milliseconds timeout = 10s);

}  // namespace kravent::misuse
