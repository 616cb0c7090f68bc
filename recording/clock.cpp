#include "recording/clock.h"

#include <chrono>

namespace plinkora {

uint32_t SteadyMillisecondClock::NowMs() const {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    // Keeping the low 32 bits is the wrap the recorded delays are made for.
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

}  // namespace plinkora
