#include "platform/LargeBuffer.h"

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace kastrell {
namespace {

constexpr std::size_t kMiB = std::size_t(1) << 20;

bool HugeAligned(const void* p) { return reinterpret_cast<std::uintptr_t>(p) % LargeBuffer::kHugePage == 0; }

// Whether any page of [p, p + n) is mapped: mincore fails with ENOMEM on
// addresses that belong to no mapping.
bool AnyPageMapped(const void* p, std::size_t n) {
  const std::size_t page = std::size_t(::sysconf(_SC_PAGESIZE));
  std::vector<unsigned char> v(1);
  for (std::size_t off = 0; off < n; off += page) {
    void* at = const_cast<char*>(static_cast<const char*>(p) + off);
    if (::mincore(at, page, v.data()) == 0 || errno != ENOMEM) return true;
  }
  return false;
}

// The VmFlags line of the mapping that starts at p, from /proc/self/smaps.
std::string MappingFlags(const void* p) {
  char head[32];
  std::snprintf(head, sizeof head, "%lx-", static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(p)));
  std::FILE* f = std::fopen("/proc/self/smaps", "r");
  if (!f) return {};
  char line[512];
  bool inside = false;
  std::string flags;
  while (std::fgets(line, sizeof line, f)) {
    if (std::strncmp(line, head, std::strlen(head)) == 0) inside = true;
    else if (inside && std::strncmp(line, "VmFlags:", 8) == 0) {
      flags = line;
      break;
    }
  }
  std::fclose(f);
  return flags;
}

// A recognisable pattern, so a lost or shifted byte shows.
void Fill(char* p, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) p[i] = char(i * 7 + (i >> 12));
}
bool Holds(const char* p, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i)
    if (p[i] != char(i * 7 + (i >> 12))) return false;
  return true;
}

struct SizeCase {
  const char* name;
  std::size_t bytes;
  bool mapped;
};

TEST(LargeBufferTest, SmallBlocksComeFromMallocLargeOnesAreAlignedMappings) {
  const std::vector<SizeCase> cases = {
      {"empty", 0, false},
      {"tiny", 100, false},
      {"just below the threshold", LargeBuffer::kMappingThreshold - 1, false},
      {"the threshold", LargeBuffer::kMappingThreshold, true},
      {"not a whole huge page", 5 * kMiB + 3, true},
      {"24 MiB", 24 * kMiB, true},
  };
  for (const SizeCase& c : cases) {
    SCOPED_TRACE(c.name);
    LargeBuffer b;
    ASSERT_TRUE(b.Allocate(c.bytes));
    EXPECT_FALSE(b.Empty());
    EXPECT_EQ(b.Size(), c.bytes);
    EXPECT_EQ(b.Mapped(), c.mapped);
    if (c.mapped) {
      EXPECT_TRUE(HugeAligned(b.Data()));
      EXPECT_NE(MappingFlags(b.Data()).find(" hg"), std::string::npos) << "advised as huge pages";
    }
    Fill(b.Data(), c.bytes);
    EXPECT_TRUE(Holds(b.Data(), c.bytes));
  }
}

struct GrowCase {
  const char* name;
  std::size_t from, to;
};

TEST(LargeBufferTest, ResizeKeepsTheContents) {
  const std::vector<GrowCase> cases = {
      {"small to small", 1000, 3 * kMiB},
      {"small to mapping", 3 * kMiB, 9 * kMiB},
      {"mapping to larger mapping", 6 * kMiB, 40 * kMiB + 5},
      {"mapping within its last huge page", 6 * kMiB + 1, 6 * kMiB + 9},
      {"mapping to smaller mapping", 40 * kMiB, 6 * kMiB + 7},
      {"mapping to small", 10 * kMiB, 2 * kMiB},
      {"small to smaller", 3 * kMiB, 10},
  };
  for (const GrowCase& c : cases) {
    SCOPED_TRACE(c.name);
    LargeBuffer b;
    ASSERT_TRUE(b.Allocate(c.from));
    Fill(b.Data(), c.from);
    ASSERT_TRUE(b.Resize(c.to));
    EXPECT_EQ(b.Size(), c.to);
    EXPECT_EQ(b.Mapped(), c.to >= LargeBuffer::kMappingThreshold);
    if (b.Mapped()) {
      EXPECT_TRUE(HugeAligned(b.Data()));
    }
    const std::size_t kept = std::min(c.from, c.to);
    EXPECT_TRUE(Holds(b.Data(), kept));
    // The new room is usable.
    if (c.to > c.from) std::memset(b.Data() + c.from, 1, c.to - c.from);
  }
}

TEST(LargeBufferTest, GrowthMovesTheMappingWhenItsNeighbourIsTaken) {
  LargeBuffer b;
  ASSERT_TRUE(b.Allocate(8 * kMiB));
  Fill(b.Data(), 8 * kMiB);
  // Occupy the address right after the block, so it cannot grow in place.
  void* wall = ::mmap(b.Data() + 8 * kMiB, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
  ASSERT_NE(wall, MAP_FAILED);
  const char* before = b.Data();
  ASSERT_TRUE(b.Resize(20 * kMiB));
  EXPECT_NE(b.Data(), before);
  EXPECT_TRUE(HugeAligned(b.Data()));
  EXPECT_TRUE(Holds(b.Data(), 8 * kMiB));
  EXPECT_FALSE(AnyPageMapped(before, 8 * kMiB)) << "the old place is given back";
  EXPECT_NE(MappingFlags(b.Data()).find(" hg"), std::string::npos);
  std::memset(b.Data() + 8 * kMiB, 2, 12 * kMiB);
  ::munmap(wall, 4096);
}

TEST(LargeBufferTest, ReleaseAndMoveGiveTheMemoryBackOnce) {
  LargeBuffer b;
  ASSERT_TRUE(b.Allocate(16 * kMiB));
  const char* mapping = b.Data();
  LargeBuffer moved(std::move(b));
  EXPECT_TRUE(b.Empty());
  EXPECT_EQ(b.Size(), 0u);
  EXPECT_EQ(moved.Data(), mapping);
  {
    LargeBuffer assigned;
    ASSERT_TRUE(assigned.Allocate(10));
    assigned = std::move(moved);  // the small block is freed, the mapping taken
    EXPECT_EQ(assigned.Data(), mapping);
  }
  EXPECT_FALSE(AnyPageMapped(mapping, 16 * kMiB));
  b.Release();  // releasing an empty buffer does nothing
  EXPECT_TRUE(b.Empty());
}

TEST(LargeBufferTest, RefusedMemoryLeavesTheBufferAsItWas) {
  testing_hooks::SetLargeBufferGate([](std::size_t bytes) { return bytes < 32 * kMiB; });
  LargeBuffer b;
  EXPECT_FALSE(b.Allocate(64 * kMiB));
  EXPECT_TRUE(b.Empty());
  ASSERT_TRUE(b.Allocate(8 * kMiB));
  Fill(b.Data(), 8 * kMiB);
  EXPECT_FALSE(b.Resize(40 * kMiB));
  EXPECT_EQ(b.Size(), 8 * kMiB);
  EXPECT_TRUE(Holds(b.Data(), 8 * kMiB));
  testing_hooks::SetLargeBufferGate(nullptr);
  EXPECT_TRUE(b.Resize(40 * kMiB));
  EXPECT_TRUE(Holds(b.Data(), 8 * kMiB));
}

TEST(LargeBufferTest, AMappingTooLargeForTheAddressSpaceFails) {
  LargeBuffer b;
  EXPECT_FALSE(b.Allocate(SIZE_MAX - 5));
  EXPECT_TRUE(b.Empty());
  ASSERT_TRUE(b.Allocate(6 * kMiB));
  EXPECT_FALSE(b.Resize(SIZE_MAX - 5));
  EXPECT_EQ(b.Size(), 6 * kMiB);
}

}  // namespace
}  // namespace kastrell
