#include <unistd.h>

#include "hostos/hostos.h"

namespace kravent::hostos {

void PrepareConsole() {}

bool IsTerminal(std::FILE* stream) { return isatty(fileno(stream)) != 0; }

}  // namespace kravent::hostos
