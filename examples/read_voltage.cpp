// read_voltage: a complete host program in C++17 over kravent.hpp.
//
//   read_voltage_cpp [IP]    (default 127.0.0.1, for example `kravent-sim --bind 127.0.0.1`)
//
// It opens a connection to the module, reads its type, name and supply voltage in one
// exchange, polls VOLTAGE and POSITION every 100 ms for one second, and closes (when
// `module` goes out of scope). The samples arrive on the library's thread: the main
// thread waits for them on a condition variable.
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <exception>
#include <mutex>

#include "kravent.hpp"

int main(int argc, char** argv) {
    const char* ip = argc > 1 ? argv[1] : "127.0.0.1";
    try {
        kravent::Module module{ip};
        const auto [type, name, volts] = module.read<kravent::TYPE, kravent::MODULENAME, kravent::VOLTAGE>();
        std::printf("module %s: type %s, name %s, supply %.2f V\n", ip, type.text().c_str(), name.c_str(),
                    static_cast<double>(volts));

        std::mutex mutex;
        std::condition_variable changed;
        int samples = 0;
        module.poll({kravent::VOLTAGE, kravent::POSITION}, std::chrono::milliseconds{100},
                    [&](const kravent::Sample& s) {
                        std::printf("#%llu  VOLTAGE %.2f V  POSITION %d\n", static_cast<unsigned long long>(s.seq),
                                    static_cast<double>(s.get<kravent::VOLTAGE>().value_or(0.0f)),
                                    static_cast<int>(s.get<kravent::POSITION>().value_or(0)));
                        std::lock_guard<std::mutex> lock(mutex);
                        ++samples;
                        changed.notify_all();
                    });
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait_for(lock, std::chrono::seconds{1}, [&] { return samples >= 10; });
        lock.unlock();
        module.stop_polling();
        std::printf("%d samples\n", samples);
        return samples > 0 ? 0 : 1;
    } catch (const kravent::Error& error) {
        std::fprintf(stderr, "read_voltage: %s\n", error.what());
        return 1;
    }
}
