// The exported functions of Vorn-KRAVENT_DLLInterface.dll as a Windows host reaches
// them: a private copy of the DLL loaded with LoadLibraryA and every function looked
// up by GetProcAddress under its exported name (`_Vorn_KRAVENT_...`).
#pragma once

#include <string>

#include "Vorn-KRAVENT_DLLInterface.h"

namespace kravent::wintest {

struct DllApi {
    decltype(&Vorn_KRAVENT_OpenConnection_MAINPORT) OpenConnection_MAINPORT = nullptr;
    decltype(&Vorn_KRAVENT_CloseConnection) CloseConnection = nullptr;
    decltype(&Vorn_KRAVENT_GetStateCommunication) GetStateCommunication = nullptr;
    decltype(&Vorn_KRAVENT_Read_VOLTAGE) Read_VOLTAGE = nullptr;
    decltype(&Vorn_KRAVENT_Read_POSITION) Read_POSITION = nullptr;
    decltype(&Vorn_KRAVENT_SendData_MAINPORT) SendData_MAINPORT = nullptr;
    decltype(&Vorn_KRAVENT_RepetitiveAskStart) RepetitiveAskStart = nullptr;
    decltype(&Vorn_KRAVENT_RepetitiveAskStop) RepetitiveAskStop = nullptr;
    decltype(&Vorn_KRAVENT_RepetitiveAskSetTime) RepetitiveAskSetTime = nullptr;
    decltype(&Vorn_KRAVENT_ScanNetwork) ScanNetwork = nullptr;
    decltype(&Vorn_KRAVENT_ChangeIPAddress) ChangeIPAddress = nullptr;
    decltype(&Vorn_KRAVENT_GetLastError) GetLastError = nullptr;

    bool complete = false;   // the DLL loaded and every function above was found
    std::string directory;   // where the loaded copy lies (Windows path, no trailing '\')
};

// Loads the DLL named by the program's first argument on first use: copied into a
// fresh directory of its own, so that its error log starts there from nothing.
const DllApi& Dll();

// The last-error text of the DLL.
std::string LastErrorText();

}  // namespace kravent::wintest
