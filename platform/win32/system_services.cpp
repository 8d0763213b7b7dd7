// Module path, regional date and time texts, the warning box and the notice.
#include <climits>
#include <cstdio>
#include <string>

#include "platform/win32/windows_api.h"

namespace kravent::platform {

const char kLibraryFileName[] = "Vorn-KRAVENT_DLLInterface.dll";
const char kPathSeparator = '\\';

std::size_t ModulePath(const char* moduleFileName, char* buffer, std::size_t capacity) {
    if (buffer == nullptr || capacity == 0) return 0;
    // No module of that name: the null handle stands for the host executable.
    HMODULE module = moduleFileName != nullptr ? GetModuleHandleA(moduleFileName) : nullptr;
    const DWORD size = capacity > UINT_MAX ? UINT_MAX : static_cast<DWORD>(capacity);
    return GetModuleFileNameA(module, buffer, size);  // `size` when the path was cut
}

std::string LogDirectory(const std::string& libraryDirectory) { return libraryDirectory; }

namespace {

template <typename Format>
std::string RegionalText(Format format, const char* fallbackPattern, int a, int b, int c) {
    char text[128];
    const int length = format(text, static_cast<int>(sizeof text));
    if (length > 1) return std::string(text, static_cast<std::size_t>(length - 1));
    std::snprintf(text, sizeof text, fallbackPattern, a, b, c);
    return text;
}

}  // namespace

std::string LocalDateText() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return RegionalText(
        [&](char* text, int size) { return GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, text, size); },
        "%02d/%02d/%04d", now.wDay, now.wMonth, now.wYear);
}

std::string LocalTimeText() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return RegionalText([&](char* text, int size) { return GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &now, nullptr, text, size); },
                        "%02d:%02d:%02d", now.wHour, now.wMinute, now.wSecond);
}

void ShowWarning(const char* caption, const char* text) {
    MessageBoxA(nullptr, text, caption, MB_OK | MB_ICONWARNING);
}

void ShowNotice(const char* caption, const char* text) {
    const std::string line = std::string(caption) + ": " + text + "\n";
    OutputDebugStringA(line.c_str());
}

}  // namespace kravent::platform
