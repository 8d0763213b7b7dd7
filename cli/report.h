// How the tool reports a failure: its own words, then the library's last error text
// (Vorn_KRAVENT_GetLastError), on stderr; as one JSON object there with --json.
#pragma once

#include <string>
#include <string_view>

namespace kravent::cli {

inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

std::string LibraryLastError();

class Reporter {
public:
    explicit Reporter(bool json) : json_(json) {}
    bool json() const { return json_; }

    // A failure after a library call: `what` and the library's last error; returns kExitFailure.
    int Failure(std::string_view what) const;
    // A wrong command line (nothing asked of the library); returns kExitUsage.
    int Usage(std::string_view what) const;
    // A note on stderr that is not a failure.
    void Note(std::string_view what) const;

private:
    bool json_;
};

}  // namespace kravent::cli
