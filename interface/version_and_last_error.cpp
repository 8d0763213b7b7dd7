// The two exported functions that belong to no connection: the version text and the
// library-wide last-error text, both copied into a host buffer.
#include <string_view>

#include "Vorn-KRAVENT_DLLInterface.h"
#include "export_alias.h"
#include "interface/failure.h"
#include "log/error_log.h"
#include "log/host_buffer.h"

namespace {

constexpr std::string_view kVersionText = "Vorn-KRAVENT_DLLInterface_v1.00.00_140807";

}  // namespace

extern "C" void VORN_KRAVENT_CALL Vorn_KRAVENT_VersionDLL(char* Buffer, int32_t* Length) {
    kravent::CallGuarded([&] {
        if (Buffer == nullptr) {
            kravent::ReportFailure("Pointer on buffer to get Version = NULL\t(Vorn_KRAVENT_VersionDLL)",
                                   kravent::kNoAddress);
            return;
        }
        kravent::CopyToHostBuffer(kVersionText, Buffer, Length);
    });
}
KRAVENT_EXPORT_UNDERSCORE_ALIAS(Vorn_KRAVENT_VersionDLL)

extern "C" void VORN_KRAVENT_CALL Vorn_KRAVENT_GetLastError(char* Buffer, int32_t* Length) {
    kravent::CallGuarded([&] {
        if (Buffer == nullptr) {
            kravent::ReportFailure("Pointer on buffer to get Last Error = NULL\t(Vorn_KRAVENT_GetLastError)",
                                   kravent::kNoAddress);
            return;
        }
        kravent::CopyLastErrorText(Buffer, Length);
    });
}
KRAVENT_EXPORT_UNDERSCORE_ALIAS(Vorn_KRAVENT_GetLastError)
