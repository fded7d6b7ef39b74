#include "tests/web/failing_allocation.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace zendalo::testing {
namespace {
std::atomic<std::size_t> failFrom{SIZE_MAX};
}  // namespace

FailingAllocations::FailingAllocations(std::size_t fromSize) noexcept { failFrom = fromSize; }
FailingAllocations::~FailingAllocations() { failFrom = SIZE_MAX; }

}  // namespace zendalo::testing

void* operator new(std::size_t size) {
    if (size >= zendalo::testing::failFrom) throw std::bad_alloc();
    if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
