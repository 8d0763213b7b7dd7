#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "hostos/hostos.h"

extern char** environ;

namespace kravent::hostos {

int RunProgram(const std::vector<std::string>& args) {
    std::vector<std::string> copies = args;
    std::vector<char*> argv;
    for (std::string& a : copies) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (::posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

void WriteReadyLine(int fd) {
    [[maybe_unused]] const ssize_t n = ::write(fd, "ready\n", 6);
    ::close(fd);
}

}  // namespace kravent::hostos
