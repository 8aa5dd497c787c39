// One owner for the large blocks of memory a load or a save needs: the bytes
// of a file, its UTF-16 text, the line array, the encoded bytes of a save.
// Fresh 4 KiB pages cost about 10 us each at their first touch here, so a
// block above the threshold is its own 2 MiB-aligned anonymous mapping
// advised as transparent huge pages (one fault per 2 MiB), grown in place or
// moved by the kernel without copying (mremap) and returned with munmap.
// Smaller blocks come from malloc, which is cheaper for them.
#pragma once
#include <cstddef>
#include <cstdint>
#include <utility>

namespace kastrell {

class LargeBuffer {
 public:
  // Blocks of at least this many bytes are mappings; smaller ones come from malloc.
  static constexpr std::size_t kMappingThreshold = std::size_t(4) << 20;
  // The alignment (and the size granule) of a mapping: one huge page.
  static constexpr std::size_t kHugePage = std::size_t(2) << 20;

  LargeBuffer() = default;
  ~LargeBuffer() { Release(); }
  LargeBuffer(LargeBuffer&& other) noexcept { Take(other); }
  LargeBuffer& operator=(LargeBuffer&& other) noexcept {
    if (this != &other) {
      Release();
      Take(other);
    }
    return *this;
  }
  LargeBuffer(const LargeBuffer&) = delete;
  LargeBuffer& operator=(const LargeBuffer&) = delete;

  // Replaces the block by a new one of bytes bytes (contents undefined).
  // False when memory ran out; the buffer is then empty.
  bool Allocate(std::size_t bytes);
  // Changes the size to bytes, keeping the first min(old, new) bytes; an
  // empty buffer simply allocates. False when memory ran out; the block and
  // its contents are then unchanged.
  bool Resize(std::size_t bytes);
  // Returns the memory; the buffer is empty afterwards.
  void Release();
  // Takes over a block of bytes bytes that malloc gave.
  void AdoptMalloc(char* block, std::size_t bytes) {
    Release();
    data_ = block;
    size_ = block ? bytes : 0;
  }

  char* Data() const { return data_; }
  template <typename T>
  T* As() const {
    return reinterpret_cast<T*>(data_);
  }
  std::size_t Size() const { return size_; }
  bool Empty() const { return data_ == nullptr; }
  // Whether the block is a mapping of its own rather than a malloc block.
  bool Mapped() const { return mapped_ > 0; }

 private:
  void Take(LargeBuffer& other) {
    data_ = other.data_;
    size_ = other.size_;
    mapped_ = other.mapped_;
    other.data_ = nullptr;
    other.size_ = other.mapped_ = 0;
  }

  char* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t mapped_ = 0;  // bytes of the mapping; 0 for a malloc block
};

// The transparent huge pages of this process now (AnonHugePages of
// /proc/self/smaps_rollup), in bytes; 0 where the system does not say.
std::uint64_t ProcessHugePageBytes();

namespace testing_hooks {
// Decides whether an allocation of bytes may succeed (null: always), so tests
// can make any large buffer of a load or a save fail.
using LargeBufferGate = bool (*)(std::size_t bytes);
void SetLargeBufferGate(LargeBufferGate gate);
}  // namespace testing_hooks

// For the older test hooks that stand in for malloc: an allocation may go on
// when there is no hook or the hook gives memory (which is freed at once).
bool AllocationAllowed(void* (*hook)(std::size_t), std::size_t bytes);

}  // namespace kastrell
