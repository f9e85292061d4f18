#pragma once

// Counts every call to the global operator new on the calling thread, so a test
// can prove that a code path (a block of audio, one bar of the conductor) never
// allocates. Linked into every test binary through grum_test_support.

#include <cstddef>

namespace grum::test
{

// Allocations made by this thread since it started.
std::size_t allocationsOnThisThread() noexcept;

// Counts the allocations made on this thread during its lifetime.
class AllocationScope
{
public:
    AllocationScope() noexcept : start (allocationsOnThisThread()) {}
    std::size_t count() const noexcept { return allocationsOnThisThread() - start; }

private:
    std::size_t start;
};

} // namespace grum::test
