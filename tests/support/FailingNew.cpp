// Global operator new and delete for the fault-injection tests: every
// allocation counts towards testing_hooks::FailNthAllocation, and the armed
// one throws std::bad_alloc as a real shortage would. Linked only into the
// fault-injection test program.
#include <cstdlib>
#include <new>

#include "platform/Memory.h"

namespace {
void* Allocate(std::size_t n) {
  if (kastrell::testing_hooks::AllocationMustFail()) return nullptr;
  return std::malloc(n ? n : 1);
}
}  // namespace

void* operator new(std::size_t n) {
  if (void* p = Allocate(n)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t n) {
  if (void* p = Allocate(n)) return p;
  throw std::bad_alloc();
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return Allocate(n); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return Allocate(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
