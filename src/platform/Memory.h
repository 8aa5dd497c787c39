// The core's raw allocations (line stores, line arrays, row tables, file and
// text buffers) go through these two functions, so that fault-injection tests
// can make the n-th allocation fail and check that nothing is lost.
#pragma once
#include <cstddef>
#include <cstdint>
#include <new>

namespace kastrell {

// malloc and realloc, except that an armed test failure returns null.
void* AllocateBytes(std::size_t bytes);
void* ReallocateBytes(void* p, std::size_t bytes);

// Runs f; a std::bad_alloc from it becomes the result onShortage.
template <typename F>
auto GuardAllocation(F&& f, decltype(f()) onShortage) -> decltype(f()) {
  try {
    return f();
  } catch (const std::bad_alloc&) {
    return onShortage;
  }
}

namespace testing_hooks {
// From now on the n-th allocation counted (by AllocateBytes, ReallocateBytes
// or a test's operator new) fails; n = 0 disarms.
void FailNthAllocation(std::int64_t n);
// Counts one allocation; true when this one must fail.
bool AllocationMustFail();
// Whether the armed failure has happened since FailNthAllocation.
bool AllocationFailed();
}  // namespace testing_hooks

}  // namespace kastrell
