#include "cli/report.h"

#include <cstdint>
#include <cstdio>

#include "Vorn-KRAVENT_DLLInterface.h"
#include "cli/json.h"

namespace kravent::cli {

namespace {
// The last-error text of a library that has reported nothing yet.
constexpr std::string_view kNoError = "No Error";
}  // namespace

std::string LibraryLastError() {
    char text[1024];
    std::int32_t length = sizeof text;
    Vorn_KRAVENT_GetLastError(text, &length);
    return std::string(text, static_cast<std::size_t>(length));
}

std::string LibraryVersion() {
    char text[256];
    std::int32_t length = sizeof text;
    Vorn_KRAVENT_VersionDLL(text, &length);
    return std::string(text, static_cast<std::size_t>(length));
}

int Reporter::Failure(std::string_view what) const {
    const std::string last = LibraryLastError();
    const bool reported = last != kNoError;
    std::vector<std::string> causes;
    for (const std::string& message : log_.NewMessages()) {
        const std::string cause = WithoutReporter(message);
        if (message != last && (causes.empty() || causes.back() != cause)) causes.push_back(cause);
    }
    if (json_) {
        std::string list = "[";
        for (const std::string& cause : causes) list += (list.size() > 1 ? "," : "") + JsonString(cause);
        std::fprintf(stderr, "%s\n",
                     JsonObject()
                         .AddString("error", what)
                         .Add("causes", list + "]")
                         .Add("lastError", reported ? JsonString(last) : "null")
                         .Text()
                         .c_str());
        return kExitFailure;
    }
    std::fprintf(stderr, "kravent: %.*s\n", static_cast<int>(what.size()), what.data());
    if (!verbose_) return kExitFailure;
    for (const std::string& cause : causes) std::fprintf(stderr, "kravent: cause: %s\n", cause.c_str());
    if (reported) std::fprintf(stderr, "kravent: last error: %s\n", last.c_str());
    return kExitFailure;
}

int Reporter::Usage(std::string_view what) const {
    if (json_) std::fprintf(stderr, "%s\n", JsonObject().AddString("error", what).Text().c_str());
    else std::fprintf(stderr, "kravent: %.*s\n", static_cast<int>(what.size()), what.data());
    return kExitUsage;
}

std::string FormatSeconds(std::chrono::steady_clock::duration span) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", std::chrono::duration<double>(span).count());
    return text;
}

void Reporter::Summary(std::string_view what, std::string_view text) const {
    if (json_) std::fprintf(stderr, "%s\n", JsonObject().AddString("summary", what).AddString("text", text).Text().c_str());
    else std::fprintf(stderr, "kravent: %.*s: %.*s\n", static_cast<int>(what.size()), what.data(),
                      static_cast<int>(text.size()), text.data());
}

void Reporter::Note(std::string_view what) const {
    if (!json_) std::fprintf(stderr, "%.*s\n", static_cast<int>(what.size()), what.data());
}

}  // namespace kravent::cli
