#include "tests/win32/harness.h"

#include <cstdlib>
#include <cstring>

#include "platform/win32/windows_api.h"

namespace kravent::wintest {
namespace {

struct Case {
    const char* name;
    CaseFn fn;
};

Case cases[128];
int caseCount = 0;
int failuresInCase = 0;
int argumentCount = 0;
char** arguments = nullptr;

}  // namespace

CaseRegistration::CaseRegistration(const char* name, CaseFn fn) {
    if (caseCount < static_cast<int>(sizeof cases / sizeof cases[0])) cases[caseCount++] = {name, fn};
}

void RecordFailure(const char* file, int line, const char* expression) {
    ++failuresInCase;
    std::printf("  %s:%d: CHECK(%s) failed\n", file, line, expression);
    std::fflush(stdout);
}

bool InPrivateNetwork() {
    char value[8] = {};
    return GetEnvironmentVariableA("KRAVENT_IN_NETNS", value, sizeof value) == 1 && value[0] == '1';
}

int ArgumentCount() { return argumentCount; }
const char* Argument(int index) { return index < argumentCount ? arguments[index] : ""; }

}  // namespace kravent::wintest

// Usage: program [--filter=TEXT] [ARGS...]; only cases whose name contains TEXT run.
int main(int argc, char** argv) {
    using namespace kravent::wintest;
    const char* filter = "";
    int first = 1;
    if (argc > 1 && std::strncmp(argv[1], "--filter=", 9) == 0) {
        filter = argv[1] + 9;
        first = 2;
    }
    argumentCount = argc - first;
    arguments = argv + first;
    int passed = 0;
    int failed = 0;
    for (int i = 0; i < caseCount; ++i) {
        if (std::strstr(cases[i].name, filter) == nullptr) continue;
        std::printf("[ RUN  ] %s\n", cases[i].name);
        std::fflush(stdout);
        failuresInCase = 0;
        cases[i].fn();
        std::printf("[ %s ] %s\n", failuresInCase == 0 ? " OK " : "FAIL", cases[i].name);
        (failuresInCase == 0 ? passed : failed) += 1;
    }
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 && passed > 0 ? EXIT_SUCCESS : EXIT_FAILURE;
}
