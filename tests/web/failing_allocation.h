// Lets a test make large allocations fail, to see what the code under test does when memory
// runs out. The test executable that links failing_allocation.cpp replaces the global
// operator new and delete; with no FailingAllocations alive they behave as usual.
#pragma once

#include <cstddef>

namespace zendalo::testing {

// While it lives, every allocation of `fromSize` bytes or more throws std::bad_alloc.
class FailingAllocations {
public:
    explicit FailingAllocations(std::size_t fromSize) noexcept;
    ~FailingAllocations();
    FailingAllocations(const FailingAllocations&) = delete;
    FailingAllocations& operator=(const FailingAllocations&) = delete;
};

}  // namespace zendalo::testing
