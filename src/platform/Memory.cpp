#include "platform/Memory.h"

#include <atomic>
#include <cstdlib>

namespace kastrell {

namespace {
std::atomic<std::int64_t> g_countdown{0};  // 0: disarmed
std::atomic<bool> g_failed{false};
}  // namespace

void testing_hooks::FailNthAllocation(std::int64_t n) {
  g_failed = false;
  g_countdown = n > 0 ? n : 0;
}

bool testing_hooks::AllocationMustFail() {
  if (g_countdown.load(std::memory_order_relaxed) == 0) return false;
  if (--g_countdown != 0) return false;
  g_failed = true;
  return true;
}

bool testing_hooks::AllocationFailed() { return g_failed; }

void* AllocateBytes(std::size_t bytes) {
  if (testing_hooks::AllocationMustFail()) return nullptr;
  return std::malloc(bytes);
}

void* ReallocateBytes(void* p, std::size_t bytes) {
  if (testing_hooks::AllocationMustFail()) return nullptr;
  return std::realloc(p, bytes);
}

}  // namespace kastrell
