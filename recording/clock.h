#pragma once

#include <cstdint>

namespace plinkora {

// A monotonic millisecond clock that wraps at 2^32; differences of two readings, taken modulo
// 2^32, are right across a wrap.
class MillisecondClock {
  public:
    virtual ~MillisecondClock() = default;
    virtual uint32_t NowMs() const = 0;
};

class SteadyMillisecondClock final : public MillisecondClock {
  public:
    uint32_t NowMs() const override;
};

}  // namespace plinkora
