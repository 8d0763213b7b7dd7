// How the tool reports a failure on stderr (as one JSON object there with --json): its
// own words, the causes that the library logged while the tool ran, and the library's
// last error text (Vorn_KRAVENT_GetLastError) once the library has reported anything.
#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "cli/library_log.h"

namespace kravent::cli {

inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitInterrupted = 130;  // 128 + SIGINT, as a shell shows it

std::string LibraryLastError();
std::string LibraryVersion();
// "3.2 s".
std::string FormatSeconds(std::chrono::steady_clock::duration span);

class Reporter {
public:
    explicit Reporter(bool json, bool verbose = false) : json_(json), verbose_(verbose) {}
    bool json() const { return json_; }

    // A failure after a library call: `what`, then (verbose, and always in JSON) the
    // causes and the last error; returns kExitFailure.
    int Failure(std::string_view what) const;
    // A wrong command line (nothing asked of the library): `what` says it with its one
    // hint; returns kExitUsage.
    int Usage(std::string_view what) const;
    // The closing line of a long command on stderr: "kravent: WHAT: TEXT" (JSON
    // {"summary":WHAT,"text":TEXT} with --json).
    void Summary(std::string_view what, std::string_view text) const;
    // A note on stderr that is not a failure.
    void Note(std::string_view what) const;
    // What the library logged since the tool started.
    std::vector<std::string> LoggedMessages() const { return log_.NewMessages(); }

private:
    bool json_;
    bool verbose_;
    LibraryLogWatch log_;
};

}  // namespace kravent::cli
