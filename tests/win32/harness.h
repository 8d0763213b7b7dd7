// A minimal test harness for the Windows programs that run under wine: cases register
// themselves, CHECK records a failure and goes on, and main() prints the totals.
#pragma once

#include <cstdint>
#include <cstdio>

namespace kravent::wintest {

using CaseFn = void (*)();

struct CaseRegistration {
    CaseRegistration(const char* name, CaseFn fn);
};

void RecordFailure(const char* file, int line, const char* expression);

// True when the program runs in a private network namespace (run-under-wine.sh):
// only then may cases broadcast or send ICMP to addresses other than loopback.
bool InPrivateNetwork();

// The command-line arguments after the optional case filter.
int ArgumentCount();
const char* Argument(int index);

}  // namespace kravent::wintest

#define KRAVENT_CASE(name)                                                          \
    static void name();                                                             \
    static const ::kravent::wintest::CaseRegistration name##Registration(#name, &name); \
    static void name()

#define CHECK(expression)                                                                  \
    do {                                                                                   \
        if (!(expression)) ::kravent::wintest::RecordFailure(__FILE__, __LINE__, #expression); \
    } while (0)
