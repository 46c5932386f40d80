// IFileFind against std::filesystem::directory_iterator with a status call per entry, over one
// folder of 100,000 entries, in the same run; and CreateFolderTree against
// std::filesystem::create_directories for a five-level missing tree.
//
//   fsutil_bench [--benchmark_...]      the benchmarks (medians of 9 repetitions)
//   fsutil_bench --make <folder> <n>    create a folder of n empty files (for strace runs)
//   fsutil_bench --walk-finder <folder> one walk with IFileFind, for `strace -c -f`
//   fsutil_bench --walk-std <folder>    one walk with directory_iterator + status
//   fsutil_bench --tree <path>          one CreateFolderTree call
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <system_error>

#include "fsutil/file_find.h"
#include "fsutil/folder.h"

namespace fs = std::filesystem;

namespace {

constexpr int kEntries = 100000;

// A number that tells this run's temporary folders from another's.
unsigned RunId() {
  static const unsigned id = std::random_device()();
  return id;
}

void MakeFolder(const std::string& folder, int entries) {
  fs::create_directories(folder);
  for (int i = 0; i < entries; ++i) std::ofstream(folder + "/e" + std::to_string(i) + ".txt");
}

// The folder of 100,000 entries, made once per process and removed when the process ends.
class BigFolderHolder {
 public:
  BigFolderHolder()
      : path_((fs::temp_directory_path() / ("linkstart-fsutil-bench-" + std::to_string(RunId())))
                  .string()) {
    MakeFolder(path_, kEntries);
  }
  ~BigFolderHolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

const std::string& BigFolder() {
  static const BigFolderHolder holder;
  return holder.path();
}

// One walk; returns the entries seen and counts the folders among them.
long WalkFinder(const std::string& folder, long* folders) {
  IFileFind finder;
  long entries = 0;
  if (!finder.BeginSearch((folder + "/*").c_str(), 0)) return 0;
  int more = 1;
  while (more) {
    more = finder.NextEntry();
    ++entries;
    *folders += finder.HasAttribute(FILE_ATTRIBUTE_DIRECTORY);
  }
  return entries;
}

long WalkStd(const std::string& folder, long* folders) {
  long entries = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    ++entries;
    *folders += fs::is_directory(fs::status(entry.path())) ? 1 : 0;
  }
  return entries;
}

void BM_WalkIFileFind(benchmark::State& state) {
  const std::string& folder = BigFolder();
  for (auto _ : state) {
    long folders = 0;
    benchmark::DoNotOptimize(WalkFinder(folder, &folders));
    benchmark::DoNotOptimize(folders);
  }
  state.SetItemsProcessed(state.iterations() * kEntries);
}

void BM_WalkDirectoryIteratorWithStatus(benchmark::State& state) {
  const std::string& folder = BigFolder();
  for (auto _ : state) {
    long folders = 0;
    benchmark::DoNotOptimize(WalkStd(folder, &folders));
    benchmark::DoNotOptimize(folders);
  }
  state.SetItemsProcessed(state.iterations() * kEntries);
}

const std::string& TreeRoot() {
  static const std::string root =
      (fs::temp_directory_path() / ("linkstart-fsutil-tree-" + std::to_string(RunId()))).string();
  return root;
}

void BM_CreateFolderTreeFiveLevels(benchmark::State& state) {
  fs::create_directories(TreeRoot());
  const std::string path = TreeRoot() + "/a/b/c/d/e";
  for (auto _ : state) {
    benchmark::DoNotOptimize(CreateFolderTree(path.c_str()));
    state.PauseTiming();
    fs::remove_all(TreeRoot() + "/a");
    state.ResumeTiming();
  }
  fs::remove_all(TreeRoot());
}

void BM_CreateDirectoriesFiveLevels(benchmark::State& state) {
  fs::create_directories(TreeRoot());
  const fs::path path = TreeRoot() + "/a/b/c/d/e";
  for (auto _ : state) {
    benchmark::DoNotOptimize(fs::create_directories(path));
    state.PauseTiming();
    fs::remove_all(TreeRoot() + "/a");
    state.ResumeTiming();
  }
  fs::remove_all(TreeRoot());
}

BENCHMARK(BM_WalkIFileFind)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK(BM_WalkDirectoryIteratorWithStatus)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly();
BENCHMARK(BM_CreateFolderTreeFiveLevels)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly();
BENCHMARK(BM_CreateDirectoriesFiveLevels)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly();

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::strcmp(argv[1], "--make") == 0) {
    MakeFolder(argv[2], argc >= 4 ? std::atoi(argv[3]) : kEntries);
    return 0;
  }
  if (argc == 3 && std::strcmp(argv[1], "--walk-finder") == 0) {
    long folders = 0;
    std::printf("%ld entries\n", WalkFinder(argv[2], &folders));
    return 0;
  }
  if (argc == 3 && std::strcmp(argv[1], "--walk-std") == 0) {
    long folders = 0;
    std::printf("%ld entries\n", WalkStd(argv[2], &folders));
    return 0;
  }
  if (argc == 3 && std::strcmp(argv[1], "--tree") == 0) {
    std::printf("CreateFolderTree: %d\n", CreateFolderTree(argv[2]));
    return 0;
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
