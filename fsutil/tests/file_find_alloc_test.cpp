// A walk of any length allocates the finder's two records and nothing per entry. This test
// executable replaces the global operator new to count every allocation made while it walks.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>

#include "fsutil/file_find.h"
#include "testsupport/temp_dir.h"

namespace {
std::atomic<long> allocations{0};
}  // namespace

void* operator new(std::size_t size) {
  ++allocations;
  if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
  throw std::bad_alloc();
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }

namespace {

struct WalkCounts {
  long begin = 0;  // allocations made by BeginSearch
  long walk = 0;   // allocations made by all NextEntry calls together
  int entries = 0;
};

WalkCounts CountWalk(const std::string& pattern) {
  IFileFind finder;
  WalkCounts counts;
  long before = allocations;
  if (!finder.BeginSearch(pattern.c_str(), 0)) return counts;
  counts.begin = allocations - before;
  before = allocations;
  int more = 1;
  while (more) {
    more = finder.NextEntry();
    counts.entries += finder.HasAttribute(FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_DIRECTORY);
  }
  counts.walk = allocations - before;
  return counts;
}

TEST(IFileFindAllocations, TwoRecordsForAWalkOfAnyLength) {
  const testsupport::TempDir dir;
  ASSERT_FALSE(dir.Path().empty());
  CountWalk(dir.Path("*"));  // first use: the backend's one-time set-up is not counted below
  long firstBegin = -1;
  for (const int count : {10, 2000}) {
    SCOPED_TRACE(count);
    const std::string folder = dir.Path("f" + std::to_string(count));
    std::filesystem::create_directory(folder);
    for (int i = 0; i < count; ++i) {
      // Names longer than any short-string buffer, so that a per-entry string would show.
      std::ofstream(folder + "/an-entry-with-a-rather-long-name-" + std::to_string(i) + ".txt");
    }
    const WalkCounts counts = CountWalk(folder + "/*");
    EXPECT_EQ(counts.entries, count + 2);  // with "." and ".."
    // The first NextEntry allocates the second record; the others only swap the two.
    EXPECT_EQ(counts.walk, 1);
    // BeginSearch: the first record and the search itself, the same for any folder size.
    if (firstBegin < 0) firstBegin = counts.begin;
    EXPECT_EQ(counts.begin, firstBegin);
    std::printf("%d entries: BeginSearch %ld allocations, the walk %ld\n", count, counts.begin,
                counts.walk);
  }
}

}  // namespace
