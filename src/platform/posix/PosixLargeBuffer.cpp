// LargeBuffer on Linux: anonymous mappings advised as transparent huge pages.
#include "platform/LargeBuffer.h"

#include <sys/mman.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace kastrell {

namespace {

testing_hooks::LargeBufferGate g_gate = nullptr;

bool Allowed(std::size_t bytes) { return !g_gate || g_gate(bytes); }

std::size_t RoundToHugePage(std::size_t bytes) {
  return (bytes + LargeBuffer::kHugePage - 1) & ~(LargeBuffer::kHugePage - 1);
}

// Reserves length bytes (a multiple of the huge page) at a huge-page boundary:
// one huge page more is mapped and the unaligned ends are given back, so the
// kernel can back every 2 MiB of the block with one huge page.
char* MapAligned(std::size_t length) {
  if (length > SIZE_MAX - LargeBuffer::kHugePage) return nullptr;
  const std::size_t padded = length + LargeBuffer::kHugePage;
  void* p = ::mmap(nullptr, padded, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) return nullptr;
  auto at = reinterpret_cast<std::uintptr_t>(p);
  const std::uintptr_t aligned = (at + LargeBuffer::kHugePage - 1) & ~std::uintptr_t(LargeBuffer::kHugePage - 1);
  if (aligned > at) ::munmap(p, aligned - at);
  const std::uintptr_t tail = at + padded - (aligned + length);
  if (tail > 0) ::munmap(reinterpret_cast<void*>(aligned + length), tail);
  auto* block = reinterpret_cast<char*>(aligned);
  // Without huge pages the block still works, only its first touch is slower.
  ::madvise(block, length, MADV_HUGEPAGE);
  return block;
}

}  // namespace

bool LargeBuffer::Allocate(std::size_t bytes) {
  Release();
  if (!Allowed(bytes)) return false;
  if (bytes >= kMappingThreshold) {
    const std::size_t length = RoundToHugePage(bytes);
    char* block = length >= bytes ? MapAligned(length) : nullptr;
    if (!block) return false;
    data_ = block;
    mapped_ = length;
  } else {
    data_ = static_cast<char*>(std::malloc(bytes > 0 ? bytes : 1));
    if (!data_) return false;
  }
  size_ = bytes;
  return true;
}

bool LargeBuffer::Resize(std::size_t bytes) {
  if (!data_) return Allocate(bytes);
  if (bytes == size_) return true;
  if (Mapped() && bytes >= kMappingThreshold) {
    const std::size_t length = RoundToHugePage(bytes);
    if (length < bytes) return false;
    if (length == mapped_) {
      size_ = bytes;
      return true;
    }
    if (length < mapped_) {  // shrinking in place never moves nor fails
      ::munmap(data_ + length, mapped_ - length);
      mapped_ = length;
      size_ = bytes;
      return true;
    }
    if (!Allowed(bytes)) return false;
    // Grow in place when the address space after the block is free; else move
    // the pages (no copy) onto a new aligned reservation.
    void* grown = ::mremap(data_, mapped_, length, 0);
    if (grown == MAP_FAILED) {
      char* target = MapAligned(length);
      if (!target) return false;
      grown = ::mremap(data_, mapped_, length, MREMAP_MAYMOVE | MREMAP_FIXED, target);
      if (grown == MAP_FAILED) {
        ::munmap(target, length);
        return false;
      }
    }
    data_ = static_cast<char*>(grown);
    ::madvise(data_, length, MADV_HUGEPAGE);
    mapped_ = length;
    size_ = bytes;
    return true;
  }
  if (!Mapped() && bytes < kMappingThreshold) {
    if (!Allowed(bytes)) return false;
    void* grown = std::realloc(data_, bytes > 0 ? bytes : 1);
    if (!grown) return false;
    data_ = static_cast<char*>(grown);
    size_ = bytes;
    return true;
  }
  // Between a malloc block and a mapping: a new block and one copy.
  LargeBuffer other;
  if (!other.Allocate(bytes)) return false;
  std::memcpy(other.data_, data_, bytes < size_ ? bytes : size_);
  *this = std::move(other);
  return true;
}

void LargeBuffer::Release() {
  if (!data_) return;
  if (Mapped())
    ::munmap(data_, mapped_);
  else
    std::free(data_);
  data_ = nullptr;
  size_ = mapped_ = 0;
}

std::uint64_t ProcessHugePageBytes() {
  std::FILE* f = std::fopen("/proc/self/smaps_rollup", "r");
  if (!f) return 0;
  char line[256];
  unsigned long long kb = 0;
  while (std::fgets(line, sizeof line, f))
    if (std::sscanf(line, "AnonHugePages: %llu kB", &kb) == 1) break;
  std::fclose(f);
  return std::uint64_t(kb) * 1024;
}

bool AllocationAllowed(void* (*hook)(std::size_t), std::size_t bytes) {
  if (!hook) return true;
  void* p = hook(bytes);
  std::free(p);
  return p != nullptr;
}

void testing_hooks::SetLargeBufferGate(LargeBufferGate gate) { g_gate = gate; }

}  // namespace kastrell
