#include "failing_allocation.h"

#include <atomic>
#include <cstdlib>
#include <limits>
#include <new>

namespace {

std::atomic<size_t> failFrom{std::numeric_limits<size_t>::max()};

}  // namespace

namespace plinkora::testing {

FailingAllocation::FailingAllocation(size_t minimumBytes) {
    failFrom = minimumBytes;
}

FailingAllocation::~FailingAllocation() {
    failFrom = std::numeric_limits<size_t>::max();
}

}  // namespace plinkora::testing

void* operator new(size_t size) {
    void* block = size < failFrom ? std::malloc(size == 0 ? 1 : size) : nullptr;
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    return block;
}

void operator delete(void* block) noexcept {
    std::free(block);
}

void operator delete(void* block, size_t) noexcept {
    std::free(block);
}
