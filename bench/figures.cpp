#include "bench/figures.h"

namespace kravent::bench {

void ExchangeFigures::Append(const ExchangeFigures& other) {
    seconds += other.seconds;
    latencyUs.insert(latencyUs.end(), other.latencyUs.begin(), other.latencyUs.end());
    allocations += other.allocations;
    libraryCpuNs += other.libraryCpuNs;
}

}  // namespace kravent::bench
