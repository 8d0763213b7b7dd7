// The modes in which kravent-bench runs as a child process of itself.
#pragma once

#include <string>

namespace kravent::bench {

// The path of this program, for starting it in another mode.
std::string ThisProgram();

// --worker LIBRARY ...: one figure of one build of the library (worker.cpp).
int WorkerMode(int argc, char** argv);

}  // namespace kravent::bench
