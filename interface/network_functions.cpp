// Exported network services: the scan and the IP address change need no connection.
#include "Vorn-KRAVENT_DLLInterface.h"
#include "export_alias.h"
#include "udp/ip_change.h"
#include "udp/network_scan.h"
#include "log/error_log.h"

extern "C" int32_t Vorn_KRAVENT_ScanNetwork(ModuleScanRecord* Modules, int32_t Capacity) {
    try {
        return kravent::ScanNetwork(Modules, Capacity);
    } catch (...) {
        return 0;
    }
}
KRAVENT_EXPORT_UNDERSCORE_ALIAS(Vorn_KRAVENT_ScanNetwork)

extern "C" bool Vorn_KRAVENT_ChangeIPAddress(const int32_t* MacAddress, const int32_t* IPAddress,
                                             const int32_t* SubnetMaskAddress) {
    try {
        if (kravent::ChangeIPAddress(MacAddress, IPAddress, SubnetMaskAddress)) return true;
        kravent::WriteErrorLog("ChangeIPAddress Failed\t(Vorn_KRAVENT_ChangeIPAddress)", kravent::kNoAddress);
    } catch (...) {
    }
    return false;
}
KRAVENT_EXPORT_UNDERSCORE_ALIAS(Vorn_KRAVENT_ChangeIPAddress)
