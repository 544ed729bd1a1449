// IMGCompact on a 1 GiB archive of 16,000 entries with a tenth of it in holes
// spread all over, timed beside a plain program that durably copies the same
// bytes to the same places: it reads each run of data that must move, writes
// it at its new place with one large buffer, and syncs once. Torvane's steps
// pay for their journals and commits. Memory: the growth of the process's
// resident peak over the compaction, which the archive's size does not change.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "archive_image.h"
#include "file_bytes.h"
#include "scratch_dir.h"
#include "torvane.h"

namespace {

using namespace wrenfield::testing;

using Clock = std::chrono::steady_clock;
constexpr std::uint64_t kSector = 2048;
constexpr std::uint32_t kEntries = 16000;

void Die(const char* what) {
  std::perror(what);
  std::exit(1);
}

// A run of data that compaction moves: from, to, bytes.
struct Run {
  std::uint64_t from, to, bytes;
};

// The archive, written again before every timed compaction: entries of 8 to
// 56 sectors (60 KiB on average), a hole after about one entry in four, the
// holes a tenth of the whole.
class Workspace {
 public:
  Workspace() : archive(dir_.Path("gta3.img")) {
    std::mt19937 random(20);
    std::uint32_t sector = static_cast<std::uint32_t>((8 + 32 * kEntries + kSector - 1) / kSector);
    std::uint64_t packed = sector * kSector;
    for (std::uint32_t i = 0; i < kEntries; ++i) {
      if (random() % 4 == 0) sector += 1 + random() % 26;
      const std::uint32_t size = 8 + random() % 49;
      records_.push_back({sector, size, "entry" + std::to_string(i) + ".dff"});
      if (sector * kSector != packed) AddRun({sector * kSector, packed, size * kSector});
      packed += size * kSector;
      sector += size;
    }
    length = std::uint64_t{sector} * kSector;
    compacted = packed;
  }

  // Entries that lie together, and so land together, make one run.
  void AddRun(const Run& run) {
    moved += run.bytes;
    if (!runs.empty() && runs.back().from + runs.back().bytes == run.from) {
      runs.back().bytes += run.bytes;
    } else {
      runs.push_back(run);
    }
  }

  // Writes the archive whole (every sector real, no sparse holes) and syncs it.
  void Build() const {
    const int fd = open(archive.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) Die("create");
    const Bytes header = Header(static_cast<std::int32_t>(kEntries), records_);
    std::vector<char> chunk(1 << 20);
    for (std::uint64_t at = 0; at < length; at += chunk.size()) {
      const std::size_t n =
          static_cast<std::size_t>(std::min<std::uint64_t>(chunk.size(), length - at));
      for (std::size_t k = 0; k < n; k += 8) std::memcpy(&chunk[k], &at, sizeof at);
      if (at == 0) std::memcpy(chunk.data(), header.data(), header.size());
      if (pwrite(fd, chunk.data(), n, static_cast<off_t>(at)) != static_cast<ssize_t>(n))
        Die("build");
    }
    if (fsync(fd) != 0) Die("sync");
    close(fd);
  }

 private:
  ScratchDir dir_{"bench-compact"};
  std::vector<Record> records_;

 public:
  std::string archive;
  std::vector<Run> runs;
  std::uint64_t length = 0, compacted = 0, moved = 0;
};

double Seconds(Clock::time_point from) {
  return std::chrono::duration<double>(Clock::now() - from).count();
}

// The plain program: each run read whole into one buffer and written at its
// new place, in order, then one fsync and the file cut at its new end.
void PlainCompaction(const Workspace& w) {
  static std::vector<unsigned char> buffer;
  const int fd = open(w.archive.c_str(), O_RDWR);
  if (fd < 0) Die("plain open");
  for (const Run& run : w.runs) {
    buffer.resize(run.bytes);
    if (pread(fd, buffer.data(), run.bytes, run.from) != static_cast<ssize_t>(run.bytes) ||
        pwrite(fd, buffer.data(), run.bytes, run.to) != static_cast<ssize_t>(run.bytes)) {
      Die("plain copy");
    }
  }
  if (fsync(fd) != 0 || ftruncate(fd, static_cast<off_t>(w.compacted)) != 0) Die("plain sync");
  close(fd);
}

// The process's resident peak, in KiB.
long PeakKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  }
  return 0;
}

void BM_Compact(benchmark::State& state) {
  static Workspace w;
  double torvane = 0, plain = 0, best = 1e9, plain_best = 1e9;
  long growth = 0;
  for (auto _ : state) {
    w.Build();
    const long peak = PeakKiB();
    auto start = Clock::now();
    if (IMGOpen(w.archive.c_str()) != TORVANE_OK || IMGCompact(nullptr, nullptr) != TORVANE_OK) {
      state.SkipWithError("compaction failed");
    }
    IMGClose();
    const double t = Seconds(start);
    growth = std::max(growth, PeakKiB() - peak);
    w.Build();
    start = Clock::now();
    PlainCompaction(w);
    const double p = Seconds(start);
    plain += p;
    torvane += t;
    best = std::min(best, t);
    plain_best = std::min(plain_best, p);
    state.SetIterationTime(t);
  }
  state.counters["plain_s"] = benchmark::Counter(plain, benchmark::Counter::kAvgIterations);
  state.counters["ratio"] = torvane / plain;
  // On a machine whose disk others use too, the fastest runs say most.
  state.counters["best_ratio"] = best / plain_best;
  state.counters["moved_MiB"] = static_cast<double>(w.moved) / (1 << 20);
  state.counters["archive_MiB"] = static_cast<double>(w.length) / (1 << 20);
  state.counters["peak_growth_KiB"] = static_cast<double>(growth);
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(w.moved));
}

BENCHMARK(BM_Compact)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
