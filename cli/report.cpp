#include "cli/report.h"

#include <cstdint>
#include <cstdio>

#include "Vorn-KRAVENT_DLLInterface.h"
#include "cli/json.h"

namespace kravent::cli {

std::string LibraryLastError() {
    char text[1024];
    std::int32_t length = sizeof text;
    Vorn_KRAVENT_GetLastError(text, &length);
    return std::string(text, static_cast<std::size_t>(length));
}

int Reporter::Failure(std::string_view what) const {
    const std::string last = LibraryLastError();
    if (json_) {
        std::fprintf(stderr, "%s\n", JsonObject().AddString("error", what).AddString("lastError", last).Text().c_str());
    } else {
        std::fprintf(stderr, "kravent: %.*s\nkravent: last error: %s\n", static_cast<int>(what.size()), what.data(),
                     last.c_str());
    }
    return kExitFailure;
}

int Reporter::Usage(std::string_view what) const {
    if (json_) std::fprintf(stderr, "%s\n", JsonObject().AddString("error", what).Text().c_str());
    else std::fprintf(stderr, "kravent: %.*s (see kravent --help)\n", static_cast<int>(what.size()), what.data());
    return kExitUsage;
}

void Reporter::Note(std::string_view what) const {
    if (!json_) std::fprintf(stderr, "%.*s\n", static_cast<int>(what.size()), what.data());
}

}  // namespace kravent::cli
