// Reading and applying the log configuration: the program's reader (read the file, decode it as
// code page 932, split it, fill log4cxx's Properties, and for the full step configure the
// library) against the library's own Properties::load of the same file, in the same run.
//
// The file is a realistic override KDefault.ini of the given size: the seven lines the program
// would write, followed by what an administrator's configuration grows into over the years —
// blocks of comments (log4j sample files are mostly comments; here half of them Japanese, in
// code page 932, so the decoding runs its non-ASCII path), level settings for 300 of the suite's
// loggers and commented-out ones for components long gone, and the settings of appenders that
// no logger uses any longer (they are parsed but never built, so configure creates just the one
// log file). The library's reader is quadratic,
// so it runs only at the smaller sizes; the program's runs at those sizes too, for the ratio,
// and at 10 MB, which the library never finishes.
#include <benchmark/benchmark.h>
#include <log4cxx/helpers/fileinputstream.h>
#include <log4cxx/helpers/properties.h>
#include <log4cxx/logmanager.h>
#include <log4cxx/propertyconfigurator.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <system_error>

#include "logsetup/property_text.h"
#include "logsetup/tests/expected_configuration.h"
#include "platform/file_stream.h"

namespace fs = std::filesystem;

namespace {

// The folder for the files of this run, removed when the process ends.
class BenchFolder {
 public:
  BenchFolder()
      : path_((fs::temp_directory_path() /
               ("linkstart-properties-bench-" + std::to_string(std::random_device()())))
                  .string()) {
    fs::create_directories(path_);
  }
  ~BenchFolder() {
    // The configuring benchmark resets the library after every run, which closes the log file;
    // LogManager::shutdown here, during exit, would deadlock in log4cxx 1.0.0.
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

const BenchFolder& Folder() {
  static const BenchFolder folder;
  return folder;
}

// The suite's loggers that the file sets a level for; the blocks after them name components
// long gone, whose logger lines are commented out.
constexpr std::size_t kLoggers = 300;

// One block of an administrator's configuration for component `n`.
std::string Block(std::size_t n) {
  const std::string id = std::to_string(n);
  const std::string logger = n < kLoggers ? "" : "#";
  return "#\r\n"
         "# Component " +
         id +
         ": warnings only; switch to DEBUG when support asks for a trace.\r\n"
         // "コンポーネント N のログレベル。調査時は DEBUG にしてください。" in code page 932.
         "# \x83R\x83\x93\x83|\x81[\x83l\x83\x93\x83g " +
         id +
         " \x82\xCC\x83\x8D\x83O\x83\x8C\x83x\x83\x8B\x81"
         "B\x92\xB2\x8D\xB8\x8E\x9E\x82\xCD DEBUG "
         "\x82\xC9\x82\xB5\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2\x81"
         "B\r\n"
         "#\r\n" +
         logger + "log4j.logger.korvo.link.component" + id + " = WARN\r\n" + logger +
         "log4j.additivity.korvo.link.component" + id +
         " = true\r\n"
         "log4j.appender.Old" +
         id +
         " = org.apache.log4j.RollingFileAppender\r\n"
         "log4j.appender.Old" +
         id + ".File = C:\\\\Korvo\\\\Logs\\\\old" + id +
         ".txt\r\n"
         "log4j.appender.Old" +
         id +
         ".MaxFileSize = 1MB\r\n"
         "log4j.appender.Old" +
         id +
         ".layout = org.apache.log4j.PatternLayout\r\n"
         "log4j.appender.Old" +
         id + ".layout.ConversionPattern = %d [%t] %-5p %c - %m%n\r\n";
}

// The override file of about `size` bytes, written once per size.
std::string OverrideFile(std::size_t size) {
  const std::string path = Folder().path() + "/KDefault-" + std::to_string(size) + ".ini";
  if (fs::exists(path)) return path;
  const std::string logFile = Folder().path() + "/Sample/Sample.1.0.0Log_20240307.txt";
  std::string content = logsetup_test::ExpectedConfiguration(logFile);
  for (std::size_t n = 0; content.size() < size; ++n) content += Block(n);
  std::ofstream(path, std::ios::binary) << content;
  return path;
}

// The program's reading: file, decoding, splitting, the library's Properties filled.
void ReadAsTheProgramDoes(const std::string& path, log4cxx::helpers::Properties& properties) {
  const auto bytes = platform::ReadWholeFile(path);
  const auto split = logsetup::ReadCodePage932Properties(bytes.value());
  logsetup::FillLibraryProperties(split.value(), properties);
}

void BM_ProgramRead(benchmark::State& state) {
  const std::string path = OverrideFile(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    log4cxx::helpers::Properties properties;
    ReadAsTheProgramDoes(path, properties);
    benchmark::DoNotOptimize(properties);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

void BM_LibraryLoad(benchmark::State& state) {
  const std::string path = OverrideFile(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    log4cxx::helpers::Properties properties;
    properties.load(std::make_shared<log4cxx::helpers::FileInputStream>(path));
    benchmark::DoNotOptimize(properties);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

// The whole configure step of the start-up with the override file: read, fill, configure.
void BM_ProgramReadAndConfigure(benchmark::State& state) {
  const std::string path = OverrideFile(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    log4cxx::helpers::Properties properties;
    ReadAsTheProgramDoes(path, properties);
    log4cxx::PropertyConfigurator::configure(properties);
    state.PauseTiming();
    log4cxx::LogManager::resetConfiguration();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

constexpr int64_t kKiB = 1024;
constexpr int64_t kMiB = 1024 * kKiB;

BENCHMARK(BM_ProgramRead)
    ->Arg(64 * kKiB)
    ->Arg(256 * kKiB)
    ->Arg(kMiB)
    ->Arg(10 * kMiB)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibraryLoad)->Arg(64 * kKiB)->Arg(256 * kKiB)->Unit(benchmark::kMillisecond);
// About 13 s a call: once is enough to show the ratio.
BENCHMARK(BM_LibraryLoad)->Arg(kMiB)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProgramReadAndConfigure)
    ->Arg(64 * kKiB)
    ->Arg(kMiB)
    ->Arg(10 * kMiB)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
