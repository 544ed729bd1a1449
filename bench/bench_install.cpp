// The whole installation into a demo game whose gta3.img has 16,000 entries
// and about 1 GiB (sparse): with its install record, and the same steps
// without it (the installer's own parts, as the installation ran before it
// kept records), beside a plain copy, each file written and synced, of the
// bytes the record saves (the four data files and the two entries' sectors).
// The mod's model is 300 KiB and its texture dictionary 1 MiB.
//
// The record's cost is the first time less the second; the target is at most
// twice the third.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "archive_layout.h"
#include "archive_session.h"
#include "data_files.h"
#include "demo_game.h"
#include "error.h"
#include "file_bytes.h"
#include "file_system.h"
#include "game_paths.h"
#include "install_fields.h"
#include "install_record.h"
#include "install_vehicle.h"
#include "line_replace.h"
#include "scratch_dir.h"

namespace {

using namespace wrenfield;

class QuietProgress : public InstallProgress {
 public:
  void ArchiveOpened() override {}
  void Installed() override {}
  void Ended() override {}
  void Recovered(const std::string&) override {}
};

// The demo game and mod, made once for the whole run.
struct BenchGame {
  BenchGame() : game(dir.Path("game")), mod(dir.Path("mod")), fields(DemoModFields(mod)) {
    DemoGameOptions options;
    options.entryCount = 16000;
    options.archiveSize = 1ull << 30;
    WriteDemoGame(game, options);
    WriteDemoMod(mod);
  }
  testing::ScratchDir dir{"bench-install"};
  std::string game, mod;
  TInstallFields fields;
};

BenchGame& Game() {
  static BenchGame game;
  return game;
}

// Removes the records the runs leave, so that each benchmark starts alike.
void RemoveRecords(const std::string& game) {
  for (const unsigned number : RecordNumbers(game)) RemoveRecordFolder(game, number);
}

void InstallWithRecord(BenchGame& game) {
  QuietProgress progress;
  InstallVehicle(game.game, game.fields, kDemoHandlingId, progress);
}

// The same checks, backups, patches and archive changes, without the record:
// the checks before any change are the installation's own, so the difference
// between the two is what the record costs.
void InstallWithoutRecord(BenchGame& game) {
  const std::pair<DataFile, const std::string*> rows[] = {
      {DataFile::kCarcols, &game.fields.carcols},
      {DataFile::kHandling, &game.fields.handling},
      {DataFile::kVehicles, &game.fields.vehicles},
      {DataFile::kCarmods, &game.fields.carmods}};
  const std::string archivePath = ArchivePath(game.game);
  // As the installation does: the directory is read after a first open.
  ArchiveSession archive;
  if (!archive.Open(archivePath)) throw Error("archive not opened");
  archive.Close();
  const ArchiveLayout layout = ReadArchiveLayout(archivePath);
  if (!archive.Reopen()) throw Error("archive not opened");
  std::vector<PatchedDataFile> patches;
  for (const auto& [file, line] : rows) {
    const std::string key = file == DataFile::kHandling   ? std::string(kDemoHandlingId)
                            : file == DataFile::kVehicles ? IdKey(*line)
                                                          : CommaKey(*line);
    patches.push_back(PrepareDataFilePatch(game.game, file, *line, key));
  }
  for (const PatchedDataFile& patch : patches) CheckReplaceable(patch.path);
  ArchiveChange model{"monster.dff", 0}, texture{"monster.txd", 0};
  FileSize(game.fields.DFF, model.bytes);
  FileSize(game.fields.TXD, texture.bytes);
  CheckArchiveChanges(layout, archivePath, {model, texture});
  BackupDataFiles(game.game);
  for (const PatchedDataFile& patch : patches) WriteDataFilePatch(patch);
  archive.AddReplacing(game.fields.DFF, "monster.dff");
  archive.AddReplacing(game.fields.TXD, "monster.txd");
  archive.Close();
}

void BM_InstallWithRecord(benchmark::State& state) {
  BenchGame& game = Game();
  for (auto _ : state) {
    InstallWithRecord(game);
    state.PauseTiming();
    RemoveRecords(game.game);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_InstallWithRecord)->Unit(benchmark::kMillisecond)->MinTime(3.0);

void BM_InstallWithoutRecord(benchmark::State& state) {
  BenchGame& game = Game();
  for (auto _ : state) InstallWithoutRecord(game);
}
BENCHMARK(BM_InstallWithoutRecord)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// Copies a file to a new one and syncs it: what keeping one copy durably takes.
void CopyAndSync(const std::string& from, const std::string& to, std::size_t padTo) {
  std::string bytes = testing::ReadAll(from);
  if (bytes.size() < padTo) bytes.resize(padTo, '\0');
  const int fd = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()) ||
      ::fsync(fd) != 0) {
    std::perror(to.c_str());
    std::exit(1);
  }
  ::close(fd);
}

std::size_t SectorsOf(const std::string& path) {
  return (testing::FileSize(path) + 2047) / 2048 * 2048;
}

// Returns the bytes copied.
std::int64_t PlainCopyOfWhatTheRecordSaves(BenchGame& game) {
  std::int64_t bytes = 0;
  int copy = 0;
  for (const DataFile file : kAllDataFiles) {
    const std::string source = DataFilePath(game.game, file);
    CopyAndSync(source, game.dir.Path("copy" + std::to_string(++copy)), 0);
    bytes += static_cast<std::int64_t>(testing::FileSize(source));
  }
  // The entries' old sectors: after the first installation, the mod's files padded.
  for (const std::string* entry : {&game.fields.DFF, &game.fields.TXD}) {
    CopyAndSync(*entry, game.dir.Path("copy" + std::to_string(++copy)), SectorsOf(*entry));
    bytes += static_cast<std::int64_t>(SectorsOf(*entry));
  }
  return bytes;
}

void BM_PlainCopyOfWhatTheRecordSaves(benchmark::State& state) {
  BenchGame& game = Game();
  std::int64_t bytes = 0;
  for (auto _ : state) bytes = PlainCopyOfWhatTheRecordSaves(game);
  state.SetBytesProcessed(state.iterations() * bytes);
}
BENCHMARK(BM_PlainCopyOfWhatTheRecordSaves)->Unit(benchmark::kMillisecond)->MinTime(3.0);

double Milliseconds(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

// The three in turn in every iteration, so that the machine's ups and downs
// fall on all alike: record_ms is the installation's time with its record less
// its time without, copy_ms the plain copy's, ratio the first over the second
// (the target is at most 2).
void BM_RecordAgainstPlainCopy(benchmark::State& state) {
  BenchGame& game = Game();
  double withRecord = 0, without = 0, copy = 0;
  for (auto _ : state) {
    withRecord += Milliseconds([&] { InstallWithRecord(game); });
    without += Milliseconds([&] { InstallWithoutRecord(game); });
    copy += Milliseconds([&] { PlainCopyOfWhatTheRecordSaves(game); });
    state.PauseTiming();
    RemoveRecords(game.game);
    state.ResumeTiming();
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["record_ms"] = (withRecord - without) / n;
  state.counters["copy_ms"] = copy / n;
  state.counters["ratio"] = (withRecord - without) / copy;
}
BENCHMARK(BM_RecordAgainstPlainCopy)->Unit(benchmark::kMillisecond)->MinTime(10.0);

}  // namespace

BENCHMARK_MAIN();
