#pragma once

#include <cstddef>

namespace plinkora::testing {

// While it lives, every allocation of at least minimumBytes throws std::bad_alloc, as when
// memory has run out for a large block but small ones still succeed.
class FailingAllocation {
  public:
    explicit FailingAllocation(size_t minimumBytes);
    ~FailingAllocation();
    FailingAllocation(const FailingAllocation&) = delete;
    FailingAllocation& operator=(const FailingAllocation&) = delete;
};

}  // namespace plinkora::testing
