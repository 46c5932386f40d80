// The cost of writing the log configuration on a start: platform::WriteSharedFile (a new file
// beside the old one, renamed over it) against the in-place rewrite it replaced (open the old
// file, overwrite it, cut it to length), in the same run, on the same folder. Both write the
// 460 bytes of a generated configuration over a file that already holds them, as every start
// after the first on the same day does, and once over a file of the day before.
//
//   config_write_bench --benchmark_repetitions=10 --benchmark_report_aggregates_only=true
//   LINKSTART_BENCH_DIR=/some/folder config_write_bench   (another file system; default /tmp)
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "logsetup/tests/expected_configuration.h"
#include "platform/file_stream.h"

namespace {

namespace fs = std::filesystem;

std::string Configuration(const std::string& day) {
  return logsetup_test::ExpectedConfiguration(
      "/home/user1/Documents/Korvo/SystemLog/Sample/Sample.1.0.0Log_" + day + ".txt");
}

// A temporary folder for one benchmark, removed after it.
class Folder {
 public:
  Folder() {
    const char* base = std::getenv("LINKSTART_BENCH_DIR");
    std::string pattern = std::string(base != nullptr ? base : "/tmp") + "/config-bench-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    path_ = pattern;
  }
  ~Folder() { fs::remove_all(path_); }
  std::string File() const { return path_ + "/Sample.ini"; }

 private:
  std::string path_;
};

// The rewrite the program did before: in place, then cut to the new length.
bool RewriteInPlace(const std::string& path, const std::string& content) {
  const int file = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (file < 0) return false;
  bool written =
      ::write(file, content.data(), content.size()) == static_cast<ssize_t>(content.size());
  written = ::ftruncate(file, static_cast<off_t>(content.size())) == 0 && written;
  return ::close(file) == 0 && written;
}

// Alternates the content between two days when `changing`, else writes the same bytes.
template <bool (*Write)(const std::string&, const std::string&)>
void WriteConfiguration(benchmark::State& state) {
  const bool changing = state.range(0) != 0;
  const Folder folder;
  const std::string contents[2] = {Configuration("20240307"), Configuration("20240308")};
  if (!Write(folder.File(), contents[0])) state.SkipWithError("cannot write");
  std::size_t turn = 0;
  for (auto _ : state) {
    if (changing) turn ^= 1;
    if (!Write(folder.File(), contents[turn])) state.SkipWithError("cannot write");
  }
}

bool ReplaceByRename(const std::string& path, const std::string& content) {
  return platform::WriteSharedFile(path, content);
}

BENCHMARK_TEMPLATE(WriteConfiguration, ReplaceByRename)->ArgName("changing")->Arg(0)->Arg(1);
BENCHMARK_TEMPLATE(WriteConfiguration, RewriteInPlace)->ArgName("changing")->Arg(0)->Arg(1);

}  // namespace

BENCHMARK_MAIN();
