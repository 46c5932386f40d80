// The cost of the logging set-up in a whole start: the real program (copied as Sample with its
// component, generating and writing its configuration on every start) against a minimal host
// that configures log4cxx from the same file and activates the same component with no folder
// work. A third run starts the program with the same configuration placed as the override file
// (KDefault.ini): no folder work and no writing, so the difference to the first run is the cost
// of the generated branch and the difference to the minimal host that of the rest of start-up
// (manifest, COM activation, Documents lookup). All are started as processes through the shell
// with standard output discarded; the shell's own cost is measured alone as a baseline.
//
//   startup_bench --benchmark_repetitions=20 --benchmark_enable_random_interleaving=true
//                 --benchmark_report_aggregates_only=true   (one command line)
//
// Target: the program's median within 1.10 times the minimal host's.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

// A temporary folder with the program copy and its home, made once for the run.
class Setting {
 public:
  Setting() {
    char pattern[] = "/tmp/linkstart-bench-XXXXXX";
    if (mkdtemp(pattern) == nullptr) std::abort();
    root_ = pattern;
    fs::create_directories(root_ + "/app");
    fs::create_directories(root_ + "/home");
    component_ = root_ + "/app/" + fs::path(LINKSTART_COMPONENT).filename().string();
    fs::copy_file(LINKSTART_PROGRAM, root_ + "/app/Sample");
    fs::copy_file(LINKSTART_COMPONENT, component_);
    fs::copy_file(LINKSTART_SHARED_ASSEMBLY, root_ + "/app/Korvo.Suite.Shared.manifest");
    // One start writes the configuration that the minimal host reads.
    if (std::system(ProgramCommand().c_str()) != 0) std::abort();
    if (!fs::exists(Configuration())) std::abort();
    const fs::path overrideFolder = root_ + "/override/Documents/Korvo/SystemLog";
    fs::create_directories(overrideFolder);
    fs::copy_file(Configuration(), overrideFolder / "KDefault.ini");
  }
  ~Setting() { fs::remove_all(root_); }

  // The program with the home folder `home` (under the temporary folder).
  std::string ProgramCommand(const std::string& home = "home") const {
    return Command(home, "./app/Sample");
  }
  std::string HostCommand() const {
    return Command("home",
                   "'" LINKSTART_MINIMAL_HOST "' '" + Configuration() + "' '" + component_ + "'");
  }
  std::string Configuration() const { return root_ + "/home/Documents/Korvo/SystemLog/Sample.ini"; }

 private:
  // Both starts are made alike: the same folder and environment, set with shell built-ins (an
  // `env` in between would add a whole program start to one side), output discarded.
  std::string Command(const std::string& home, const std::string& program) const {
    return "cd '" + root_ + "' && unset DISPLAY WAYLAND_DISPLAY XDG_CONFIG_HOME && HOME='" + root_ +
           "/" + home + "' exec " + program + " >/dev/null 2>&1";
  }
  std::string root_;
  std::string component_;
};

Setting& TheSetting() {
  static Setting setting;
  return setting;
}

void Start(benchmark::State& state, const std::string& command) {
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) state.SkipWithError("the start failed");
  }
}

void BM_Program(benchmark::State& state) { Start(state, TheSetting().ProgramCommand()); }
void BM_ProgramWithOverride(benchmark::State& state) {
  Start(state, TheSetting().ProgramCommand("override"));
}
void BM_MinimalHost(benchmark::State& state) { Start(state, TheSetting().HostCommand()); }
void BM_ShellOnly(benchmark::State& state) { Start(state, "exec /bin/true"); }

BENCHMARK(BM_Program)->Unit(benchmark::kMillisecond)->MinTime(0.3)->UseRealTime();
BENCHMARK(BM_ProgramWithOverride)->Unit(benchmark::kMillisecond)->MinTime(0.3)->UseRealTime();
BENCHMARK(BM_MinimalHost)->Unit(benchmark::kMillisecond)->MinTime(0.3)->UseRealTime();
BENCHMARK(BM_ShellOnly)->Unit(benchmark::kMillisecond)->MinTime(0.3)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
