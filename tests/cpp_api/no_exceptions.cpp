// Built with -fno-exceptions: the try_ forms are the whole interface then, and compile.
#include "kravent.hpp"

int ReadWithoutExceptions(const char* ip) {
    kravent::Status status;
    std::optional<kravent::Module> module = kravent::Module::try_open(ip, status);
    if (!module) return 1;
    const auto volts = module->try_read<kravent::VOLTAGE, kravent::POSITION>(status);
    if (!module->try_write<kravent::KP>(status, 1.5f) || !module->try_command<kravent::HOMING>(status)) return 1;
    if (!module->try_poll({kravent::POSITION}, std::chrono::milliseconds{10}, [](const kravent::Sample&) {}, status))
        return 1;
    module->stop_polling();
    (void)kravent::try_scan(status);
    return volts ? 0 : 1;
}
