// Unpacking a mod archive of about 50 MB (zip and 7z, made by the tools players
// use) beside `bsdtar -xf` of the same file, and the peak memory of each, measured
// in a child process so that nothing of the benchmark itself counts.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <random>
#include <string>

#include "archive_unpack.h"
#include "file_system.h"
#include "mod_source.h"
#include "unpack_platform.h"

namespace {

using namespace wrenfield;

// Model-like bytes: runs of noise between runs of repeated records, about half
// compressible, written in pieces so that the benchmark holds no copy.
void WriteModelFile(const std::string& path, std::size_t size, std::uint32_t seed) {
  std::mt19937 random(seed);
  std::ofstream out(path, std::ios::binary);
  std::string block(4096, '\0');
  for (std::size_t written = 0; written < size; written += block.size()) {
    const bool noise = random() % 2 == 0;
    for (std::size_t i = 0; i < block.size(); ++i) {
      block[i] = static_cast<char>(noise ? random() : (i * 7 + written / 4096) % 64);
    }
    out.write(block.data(), static_cast<std::streamsize>(block.size()));
  }
}

struct Archives {
  std::string folder, zip, sevenZip;
  Archives() {
    folder = unpack_platform::CreatePrivateFolder(unpack_platform::TemporaryFolder(),
                                                  "wrenfield-bench-unpack-");
    const std::string mod = JoinPath(folder, "Big Car");
    std::string reason;
    TryCreateFolder(mod, reason);
    WriteModelFile(JoinPath(mod, "car.dff"), 48 << 20, 1);
    WriteModelFile(JoinPath(mod, "car.txd"), 40 << 20, 2);
    std::ofstream(JoinPath(mod, "readme.txt")) << "500, mesa, mesa, car\n";
    zip = JoinPath(folder, "mod.zip");
    sevenZip = JoinPath(folder, "mod.7z");
    const std::string pack = "cd '" + folder + "' && zip -q -r mod.zip 'Big Car' && " +
                             "7zz a -bd -bso0 -bsp0 -mx5 mod.7z 'Big Car'";
    if (std::system(pack.c_str()) != 0) std::abort();
  }
  ~Archives() { unpack_platform::RemoveTree(folder); }
};

const Archives& TheArchives() {
  static const Archives archives;
  return archives;
}

std::string Extract(const std::string& archive, const std::string& into) {
  return "bsdtar -xf '" + archive + "' -C '" + into + "'";
}

// The peak resident set, in MiB, of a child process running the work.
double ChildPeakMebibytes(const std::function<void()>& work) {
  const pid_t child = fork();
  if (child == 0) {
    work();
    _exit(0);
  }
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void Unpack(benchmark::State& state, const std::string& archive) {
  for (auto _ : state) {
    state.PauseTiming();
    UnpackFolder folder = UnpackFolder::Create();
    state.ResumeTiming();
    benchmark::DoNotOptimize(UnpackArchive(archive, folder.path()));
    state.PauseTiming();
    folder.Remove();
    state.ResumeTiming();
  }
  state.counters["peak_MiB"] = ChildPeakMebibytes([&] {
    UnpackFolder folder = UnpackFolder::Create();
    UnpackArchive(archive, folder.path());
  });
  state.SetBytesProcessed(state.iterations() * (88 << 20));
}

void Bsdtar(benchmark::State& state, const std::string& archive) {
  for (auto _ : state) {
    state.PauseTiming();
    UnpackFolder folder = UnpackFolder::Create();
    const std::string command = Extract(archive, folder.path());
    state.ResumeTiming();
    if (std::system(command.c_str()) != 0) state.SkipWithError("bsdtar failed");
    state.PauseTiming();
    folder.Remove();
    state.ResumeTiming();
  }
  UnpackFolder folder = UnpackFolder::Create();
  state.counters["peak_MiB"] = ChildPeakMebibytes([&] {
    execlp("bsdtar", "bsdtar", "-xf", archive.c_str(), "-C", folder.path().c_str(), nullptr);
  });
  state.SetBytesProcessed(state.iterations() * (88 << 20));
}

void BM_UnpackZip(benchmark::State& state) { Unpack(state, TheArchives().zip); }
void BM_BsdtarZip(benchmark::State& state) { Bsdtar(state, TheArchives().zip); }
void BM_Unpack7z(benchmark::State& state) { Unpack(state, TheArchives().sevenZip); }
void BM_Bsdtar7z(benchmark::State& state) { Bsdtar(state, TheArchives().sevenZip); }
BENCHMARK(BM_UnpackZip)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_BsdtarZip)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_Unpack7z)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_Bsdtar7z)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  const Archives& archives = TheArchives();
  std::ifstream zip(archives.zip, std::ios::binary | std::ios::ate),
      sevenZip(archives.sevenZip, std::ios::binary | std::ios::ate);
  std::printf("archives: zip %lld bytes, 7z %lld bytes, 88 MiB unpacked\n",
              static_cast<long long>(zip.tellg()), static_cast<long long>(sevenZip.tellg()));
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
