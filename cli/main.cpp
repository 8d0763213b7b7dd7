// kravent: the command-line tool over the library's exported functions.
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "Vorn-KRAVENT_DLLInterface.h"

namespace {

int Demo() {
    char text[256];
    std::int32_t length = sizeof text;
    Vorn_KRAVENT_VersionDLL(text, &length);
    std::printf("version: %.*s\n", static_cast<int>(length), text);
    length = sizeof text;
    Vorn_KRAVENT_GetLastError(text, &length);
    std::printf("last error: %.*s\n", static_cast<int>(length), text);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "demo") == 0) return Demo();
    std::fprintf(stderr, "usage: kravent demo\n");
    return 2;
}
