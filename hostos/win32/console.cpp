#include <io.h>
#include <windows.h>

#include "hostos/hostos.h"

namespace kravent::hostos {

void PrepareConsole() { SetConsoleOutputCP(CP_UTF8); }

bool IsTerminal(std::FILE* stream) { return _isatty(_fileno(stream)) != 0; }

}  // namespace kravent::hostos
