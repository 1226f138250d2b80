// Measures RewriteResponseFile on the real POSIX layer over generated
// response files of 4 KiB, 1 MiB and 64 MiB, beside a plain block copy of
// the same bytes (the floor), and reports throughput and the ratio.
//   build/default/bench/rewrite_benchmark [--benchmark_...]
// Files go to $LAUNCHER_BENCH_DIR (default /tmp).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "bench/response_generator.h"
#include "launcher/response_rewrite.h"
#include "launcher/system_platform.h"
#include "launcher/text.h"

namespace fs = std::filesystem;

namespace {

fs::path Scratch() {
  static const fs::path root = [] {
    const char* base = std::getenv("LAUNCHER_BENCH_DIR");
    std::string pattern = std::string(base != nullptr ? base : "/tmp") + "/launcher-bench-XXXXXX";
    return fs::path(mkdtemp(pattern.data()));
  }();
  return root;
}

const std::string& Content(std::size_t size) {
  static std::map<std::size_t, std::string> cache;
  auto& text = cache[size];
  if (text.empty()) text = launcher::bench::GenerateResponse(size);
  return text;
}

void WriteAllBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

void BM_Rewrite(benchmark::State& state) {
  const std::size_t size = static_cast<std::size_t>(state.range(0));
  const std::string& content = Content(size);
  setenv("LAUNCHER_ROOT", Scratch().c_str(), 1);
  fs::create_directories(Scratch() / "c" / "pkg");
  fs::create_directories(Scratch() / "c" / "TEMP");
  launcher::Platform& platform = launcher::SystemPlatform();
  for (auto _ : state) {
    state.PauseTiming();
    WriteAllBytes(Scratch() / "c" / "pkg" / "setup.iss", content);
    fs::remove(Scratch() / "c" / "TEMP" / "temp1.iss");
    launcher::LaunchPlan plan;
    launcher::CopyText(plan.programFilesDir, launcher::kFolderCapacity, "D:\\Programme");
    launcher::CopyText(plan.tempDir, launcher::kFolderCapacity, "C:\\TEMP");
    launcher::CopyText(plan.tempCopyPath, launcher::kPathCapacity, "C:\\TEMP\\temp1.iss");
    launcher::CopyText(plan.responseFilePath, launcher::kPathCapacity, "C:\\pkg\\setup.iss");
    plan.tempCopyTick = 1;
    state.ResumeTiming();
    launcher::RewriteResponseFile(plan, platform);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

// The floor: the same bytes copied once in 64 KiB blocks, as cp does.
void BM_PlainCopy(benchmark::State& state) {
  const std::size_t size = static_cast<std::size_t>(state.range(0));
  const fs::path source = Scratch() / "copy-source";
  const fs::path target = Scratch() / "copy-target";
  WriteAllBytes(source, Content(size));
  static char block[64 * 1024];
  for (auto _ : state) {
    const int in = open(source.c_str(), O_RDONLY);
    const int out = open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    for (ssize_t n; (n = read(in, block, sizeof block)) > 0;) {
      if (write(out, block, static_cast<std::size_t>(n)) != n) std::abort();
    }
    close(in);
    close(out);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

BENCHMARK(BM_Rewrite)
    ->Arg(4 << 10)
    ->Arg(1 << 20)
    ->Arg(64 << 20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_PlainCopy)
    ->Arg(4 << 10)
    ->Arg(1 << 20)
    ->Arg(64 << 20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Prints, after the usual table, each rewrite's time against the copy's.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  RatioReporter() : ConsoleReporter(OO_Tabular) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      // With repetitions, the median stands for the benchmark.
      std::string name = run.benchmark_name();
      const std::size_t median = name.rfind("_median");
      if (run.run_type == Run::RT_Aggregate && median == std::string::npos) continue;
      if (median != std::string::npos) name.erase(median);
      times_[name] = run.GetAdjustedRealTime();
    }
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\n%-10s %14s %14s %8s\n", "size", "rewrite MiB/s", "copy MiB/s", "ratio");
    for (const char* size : {"4096", "1048576", "67108864"}) {
      const double rewrite = times_["BM_Rewrite/" + std::string(size) + "/real_time"];
      const double copy = times_["BM_PlainCopy/" + std::string(size) + "/real_time"];
      if (rewrite <= 0 || copy <= 0) continue;
      const double mib = std::stod(size) / (1 << 20);
      std::printf("%-10s %14.1f %14.1f %7.2fx\n", size, mib / (rewrite / 1e3), mib / (copy / 1e3),
                  rewrite / copy);
    }
  }

 private:
  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  fs::remove_all(Scratch());
  return 0;
}
