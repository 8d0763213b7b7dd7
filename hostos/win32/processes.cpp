#include <io.h>

#include "hostos/hostos.h"

namespace kravent::hostos {

// Interface addresses change only in the Linux test namespaces; Windows has no `ip`.
int RunProgram(const std::vector<std::string>&) { return -1; }

void WriteReadyLine(int fd) {
    _write(fd, "ready\n", 6);
    _close(fd);
}

}  // namespace kravent::hostos
