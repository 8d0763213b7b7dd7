// Opening a connection (the UDP module test, then the TCP connect) and the broadcast
// scan, timed as a host sees them.
#include <vector>

#include "bench/figures.h"
#include "bench/library_connection.h"

namespace kravent::bench {

namespace {
void VORN_KRAVENT_CALL IgnoreAnswer(RegisterValues*, ComID) {}

double MsBetween(std::int64_t fromNs, std::int64_t toNs) { return static_cast<double>(toNs - fromNs) / 1e6; }
}  // namespace

OpenFigures MeasureOpen(int opens, std::string& error) {
    std::vector<double> call;
    std::vector<double> connected;
    for (int i = 0; i < opens; ++i) {
        LibraryConnection connection;
        std::int64_t returnedNs = 0;
        const std::int64_t startNs = NowNs();
        if (!connection.Open(IgnoreAnswer, error, &returnedNs)) return {};
        const std::int64_t connectedNs = NowNs();
        call.push_back(MsBetween(startNs, returnedNs));
        connected.push_back(MsBetween(startNs, connectedNs));
    }
    return {Summarise(std::move(call)), Summarise(std::move(connected))};
}

ScanFigures MeasureScan(int scans, std::string& error) {
    constexpr int kRoom = 32;
    ModuleScanRecord records[kRoom];
    std::vector<double> durations;
    ScanFigures figures;
    for (int i = 0; i < scans; ++i) {
        const std::int64_t startNs = NowNs();
        figures.found = Library().ScanNetwork(records, kRoom);
        durations.push_back(MsBetween(startNs, NowNs()));
        if (figures.found < 0) {
            error = "scan failed: " + Library().LastError();
            return {};
        }
    }
    figures.durationMs = Summarise(std::move(durations));
    return figures;
}

}  // namespace kravent::bench
