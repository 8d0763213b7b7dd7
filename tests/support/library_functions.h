// The exported functions of the library as a host reaches them that loads the library
// file at run time (the benchmark on Linux, the DLL tests on Windows). The system's
// loader and symbol lookup stay with each of them.
#pragma once

#include "Vorn-KRAVENT_DLLInterface.h"

namespace kravent::testsupport {

#define KRAVENT_LOADED_FUNCTIONS(X)                                                                          \
    X(OpenConnection_MAINPORT) X(CloseConnection) X(GetStateCommunication) X(SendData_MAINPORT)             \
    X(RepetitiveAskStart) X(RepetitiveAskStop) X(RepetitiveAskSetTime) X(ScanNetwork) X(ChangeIPAddress)    \
    X(GetLastError) X(Read_VOLTAGE) X(Read_WARNINGS) X(Read_REGULATIONMODE) X(Read_INPUT) X(Read_POSITION) \
    X(Read_SPEED) X(Read_DESIRED) X(Read_FEEDBACK) X(Read_COMMAND) X(Read_INTEGRALDELTA)                    \
    X(Read_DERIVATIONOFDELTA)

struct LibraryFunctions {
#define KRAVENT_FUNCTION_FIELD(fn) decltype(&Vorn_KRAVENT_##fn) fn = nullptr;
    KRAVENT_LOADED_FUNCTIONS(KRAVENT_FUNCTION_FIELD)
#undef KRAVENT_FUNCTION_FIELD

    // Takes every function from `find(name)` (name as declared, "Vorn_KRAVENT_..."),
    // asking for each even after one is missing; true when none is.
    template <class Find>
    bool Resolve(Find find) {
        bool all = true;
#define KRAVENT_FUNCTION_RESOLVE(fn)                                                  \
    fn = reinterpret_cast<decltype(&Vorn_KRAVENT_##fn)>(find("Vorn_KRAVENT_" #fn)); \
    all = all && fn != nullptr;
        KRAVENT_LOADED_FUNCTIONS(KRAVENT_FUNCTION_RESOLVE)
#undef KRAVENT_FUNCTION_RESOLVE
        return all;
    }
};

}  // namespace kravent::testsupport
