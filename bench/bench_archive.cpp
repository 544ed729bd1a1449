// Torvane on a generated archive of about 16,000 entries and 1 GiB (sparse):
// each operation is timed beside a plain program doing the same durably with
// one large buffer and one fsync, and the ratio is reported as a counter.
// Torvane's changes pay for their journal: the original bytes they overwrite
// written and synced first, the commit synced after. The in-place replacement
// is also timed beside the bare system calls any rollback journal makes for
// it (the floor), and beside a database's rollback journal (journal_mode
// DELETE, synchronous FULL) overwriting a 2 MiB value in place.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#ifdef BENCH_WITH_SQLITE
#include <sqlite3.h>
#endif

#include "archive_image.h"
#include "file_bytes.h"
#include "scratch_dir.h"
#include "torvane.h"

namespace {

using namespace wrenfield::testing;

using Clock = std::chrono::steady_clock;
constexpr std::uint64_t kSector = 2048;
// 16,063 records end the directory 24 bytes before sector 251, where the first
// entry's data begins: every new entry forces the move of that entry.
constexpr std::uint32_t kEntries = 16063;
constexpr std::uint32_t kFirstData = 251;
constexpr std::uint32_t kEntrySectors = 32;  // 64 KiB each, about 1 GiB in all
constexpr std::uint32_t kBigIndex = 8000;    // "big.dff", 2 MiB of real data
constexpr std::uint32_t kBigSectors = 1024;
constexpr std::size_t kBigBytes = kBigSectors * kSector;

void Die(const char* what) {
  std::perror(what);
  std::exit(1);
}

// The generated archive and the files the benchmarks copy in, in a scratch folder.
class Workspace {
 public:
  Workspace()
      : archive(dir_.Path("gta3.img")),
        input(dir_.Path("big.dff")),
        larger_input(dir_.Path("larger.dff")),
        output(dir_.Path("out.bin")),
        journal(archive + "-journal"),
        database(dir_.Path("bench.db")) {
    std::vector<Record> records;
    std::uint32_t sector = kFirstData;
    for (std::uint32_t i = 0; i < kEntries; ++i) {
      const std::uint32_t size = i == kBigIndex ? kBigSectors : kEntrySectors;
      records.push_back(
          {sector, size, i == kBigIndex ? "big.dff" : "entry" + std::to_string(i) + ".dff"});
      if (i == kBigIndex) big_offset = sector * kSector;
      sector += size;
    }
    length = sector * kSector;
    header_ = Header(static_cast<std::int32_t>(kEntries), records);
    header_.resize(kFirstData * kSector, '\0');
    Bytes data(kBigBytes, '\0');
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7 + 1);
    WriteAll(archive, header_);
    WriteAt(archive, big_offset, data);
    Resize(archive, length);  // the other entries' sectors stay holes
    WriteAll(input, data);
    data.resize(kBigBytes + 1, 0x55);
    WriteAll(larger_input, data);
  }

  // Undoes what an operation changed: the header and directory, and the
  // length; synced, so that no timed sync pays for it.
  void Restore() const {
    WriteAt(archive, 0, header_);
    Resize(archive, length);
    const int fd = open(archive.c_str(), O_RDWR);
    if (fd < 0 || fsync(fd) != 0) Die("restore");
    close(fd);
  }

 private:
  ScratchDir dir_{"bench-archive"};

 public:
  std::string archive, input, larger_input, output, journal, database, folder = dir_.Path("");
  std::uint64_t length = 0, big_offset = 0;

 private:
  Bytes header_;
};

Workspace& Space() {
  static Workspace space;
  return space;
}

double Seconds(Clock::time_point from) {
  return std::chrono::duration<double>(Clock::now() - from).count();
}

// A plain program's copy: open both files, read `bytes` from `from` at
// `read_at` into one buffer, write it with one call at `write_at`; with
// `durable`, one fsync before closing.
void PlainCopy(const std::string& from, std::uint64_t read_at, const std::string& to,
               std::uint64_t write_at, std::size_t bytes, bool create, bool durable = true) {
  static std::vector<unsigned char> buffer;
  buffer.resize(bytes);
  const int in = open(from.c_str(), O_RDONLY);
  const int out = open(to.c_str(), create ? O_WRONLY | O_CREAT | O_TRUNC : O_WRONLY, 0644);
  if (in < 0 || out < 0 || pread(in, buffer.data(), bytes, read_at) != (ssize_t)bytes ||
      pwrite(out, buffer.data(), bytes, write_at) != (ssize_t)bytes ||
      (durable && fsync(out) != 0)) {
    Die("plain copy");
  }
  close(in);
  close(out);
}

// What a plain program does to replace an entry durably: read the directory,
// then copy the file's bytes to `write_at` with one fsync.
void PlainReplacement(const Workspace& w, const std::string& input, std::uint64_t write_at,
                      std::size_t bytes) {
  static std::vector<unsigned char> directory(8 + 32 * kEntries);
  const int fd = open(w.archive.c_str(), O_RDONLY);
  if (fd < 0 || pread(fd, directory.data(), directory.size(), 0) != (ssize_t)directory.size()) {
    Die("plain directory read");
  }
  close(fd);
  PlainCopy(input, 0, w.archive, write_at, bytes, false);
}

// The bare system calls of a rollback journal replacing `bytes` at write_at
// durably, directory read and record written as Torvane does: the original
// bytes read and written to a new journal in one call, journal and folder
// synced, the new bytes and the record written and synced, the journal voided,
// synced and deleted. With `new_bytes_first`, also the work a journal that
// records the sums of the new bytes cannot avoid: the new bytes read and
// summed before the journal is written (then read again for the write, as a
// copy through a bounded buffer must).
void JournalFloor(const Workspace& w, std::uint64_t write_at, std::size_t bytes,
                  std::uint64_t record_at, bool new_bytes_first = false) {
  static std::vector<unsigned char> directory(8 + 32 * kEntries);
  static std::vector<unsigned char> original, data;
  original.assign(bytes + 64, 0);
  data.resize(bytes);
  const unsigned char record[32] = {1};
  const unsigned char zeros[8] = {};
  const int fd = open(w.archive.c_str(), O_RDWR);
  if (fd < 0 || pread(fd, directory.data(), directory.size(), 0) != (ssize_t)directory.size() ||
      pread(fd, original.data() + 64, bytes, write_at) != (ssize_t)bytes) {
    Die("floor read");
  }
  const int journal = open(w.journal.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW, 0644);
  const int folder = open(w.folder.c_str(), O_RDONLY | O_DIRECTORY);
  const int in = open(w.input.c_str(), O_RDONLY);
  if (new_bytes_first) {
    if (in < 0 || pread(in, data.data(), bytes, 0) != (ssize_t)bytes) Die("floor sums");
    std::uint32_t s1 = 0, s2 = 0;
    for (std::size_t i = 0; i + 8 <= bytes; i += 8) {
      std::uint32_t a, b;
      std::memcpy(&a, &data[i], 4);
      std::memcpy(&b, &data[i + 4], 4);
      s1 += a + s2;
      s2 += b + s1;
    }
    std::memcpy(original.data(), &s1, 4);
    std::memcpy(original.data() + 4, &s2, 4);
  }
  if (journal < 0 || folder < 0 || in < 0 ||
      pwrite(journal, original.data(), original.size(), 0) != (ssize_t)original.size() ||
      fdatasync(journal) != 0 || fsync(folder) != 0 ||
      pread(in, data.data(), bytes, 0) != (ssize_t)bytes ||
      pwrite(fd, data.data(), bytes, write_at) != (ssize_t)bytes ||
      pwrite(fd, record, sizeof record, record_at) != (ssize_t)sizeof record ||
      fdatasync(fd) != 0 || pwrite(journal, zeros, sizeof zeros, 0) != (ssize_t)sizeof zeros ||
      fdatasync(journal) != 0 || close(journal) != 0 || unlink(w.journal.c_str()) != 0) {
    Die("floor");
  }
  close(in);
  close(folder);
  close(fd);
}

#ifdef BENCH_WITH_SQLITE
void SqliteExec(sqlite3* db, const char* sql) {
  if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) {
    std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
    std::exit(1);
  }
}

sqlite3* SqliteOpen(const Workspace& w) {
  sqlite3* db = nullptr;
  if (sqlite3_open(w.database.c_str(), &db) != SQLITE_OK) Die("sqlite open");
  SqliteExec(db, "PRAGMA journal_mode=DELETE; PRAGMA synchronous=FULL;");
  return db;
}

// A table of one 2 MiB value, made once.
void SqliteSetUp(const Workspace& w) {
  static bool made = false;
  if (made) return;
  made = true;
  unlink(w.database.c_str());
  sqlite3* db = SqliteOpen(w);
  SqliteExec(db, "CREATE TABLE t(id INTEGER PRIMARY KEY, b BLOB);");
  SqliteExec(db, "INSERT INTO t VALUES(1, zeroblob(2097152));");
  sqlite3_close(db);
}

// Opens the database, overwrites the 2 MiB value in place in one transaction
// (its rollback journal holds the pages' original bytes), closes it.
void SqliteOverwrite(const Workspace& w, const std::vector<unsigned char>& data) {
  sqlite3* db = SqliteOpen(w);
  sqlite3_blob* blob = nullptr;
  SqliteExec(db, "BEGIN;");
  if (sqlite3_blob_open(db, "main", "t", "b", 1, 1, &blob) != SQLITE_OK ||
      sqlite3_blob_write(blob, data.data(), static_cast<int>(data.size()), 0) != SQLITE_OK ||
      sqlite3_blob_close(blob) != SQLITE_OK) {
    Die("sqlite blob");
  }
  SqliteExec(db, "COMMIT;");
  sqlite3_close(db);
}
#endif

void Report(benchmark::State& state, double torvane, double plain) {
  state.counters["plain_us"] = benchmark::Counter(plain * 1e6, benchmark::Counter::kAvgIterations);
  state.counters["ratio"] = torvane / plain;
}

void Expect(int got, int want, benchmark::State& state) {
  if (got != want) state.SkipWithError(("unexpected status " + std::to_string(got)).c_str());
}

// IMGOpen reads and decodes the whole directory; the plain program reads the
// same bytes.
void BM_Open(benchmark::State& state) {
  Workspace& w = Space();
  std::vector<unsigned char> buffer(8 + 32 * kEntries);
  double torvane = 0, plain = 0;
  for (auto _ : state) {
    auto start = Clock::now();
    Expect(IMGOpen(w.archive.c_str()), TORVANE_OK, state);
    IMGClose();
    const double t = Seconds(start);
    start = Clock::now();
    const int fd = open(w.archive.c_str(), O_RDONLY);
    benchmark::DoNotOptimize(pread(fd, buffer.data(), buffer.size(), 0));
    close(fd);
    plain += Seconds(start);
    torvane += t;
    state.SetIterationTime(t);
  }
  Report(state, torvane, plain);
}

// Times IMGOpen, a change and IMGClose against what a plain program does; the
// archive is restored after each, so every iteration starts alike.
template <typename Change, typename Plain>
void TimeChange(benchmark::State& state, Change change, Plain plain_change) {
  Workspace& w = Space();
  double torvane = 0, plain = 0;
  for (auto _ : state) {
    auto start = Clock::now();
    Expect(IMGOpen(w.archive.c_str()), TORVANE_OK, state);
    change(w);
    IMGClose();
    const double t = Seconds(start);
    w.Restore();
    start = Clock::now();
    plain_change(w);
    plain += Seconds(start);
    w.Restore();
    torvane += t;
    state.SetIterationTime(t);
  }
  Report(state, torvane, plain);
}

// Replacing the 2 MiB entry with a file of the same size: in place, its
// original 2 MiB journaled first. Beside it, each iteration, the journal's
// floor and the database's overwrite: ratios floor_ratio and sqlite_ratio;
// floor_sums_ratio against the floor that also reads and sums the new bytes
// before journaling, as Torvane's journal must.
void BM_ReplaceInPlace(benchmark::State& state) {
  Workspace& w = Space();
  double torvane = 0, plain = 0, floor = 0, floor_sums = 0, database = 0;
#ifdef BENCH_WITH_SQLITE
  SqliteSetUp(w);
  std::vector<unsigned char> data(kBigBytes);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<unsigned char>(i * 13 + 5);
#endif
  for (auto _ : state) {
    auto start = Clock::now();
    Expect(IMGOpen(w.archive.c_str()), TORVANE_OK, state);
    Expect(IMGAddFile(w.input.c_str(), nullptr, 1), TORVANE_OK, state);
    IMGClose();
    const double t = Seconds(start);
    w.Restore();
    start = Clock::now();
    PlainReplacement(w, w.input, w.big_offset, kBigBytes);
    plain += Seconds(start);
    w.Restore();
    start = Clock::now();
    JournalFloor(w, w.big_offset, kBigBytes, 8 + 32 * kBigIndex);
    floor += Seconds(start);
    w.Restore();
    start = Clock::now();
    JournalFloor(w, w.big_offset, kBigBytes, 8 + 32 * kBigIndex, true);
    floor_sums += Seconds(start);
    w.Restore();
#ifdef BENCH_WITH_SQLITE
    start = Clock::now();
    SqliteOverwrite(w, data);
    database += Seconds(start);
#endif
    torvane += t;
    state.SetIterationTime(t);
  }
  Report(state, torvane, plain);
  state.counters["floor_ratio"] = torvane / floor;
  state.counters["floor_sums_ratio"] = torvane / floor_sums;
  if (database > 0) state.counters["sqlite_ratio"] = torvane / database;
  state.SetBytesProcessed(state.iterations() * kBigBytes);
}

// Replacing the entry with a file one byte larger: the data goes to the end,
// and only the record and the old length are journaled.
void BM_ReplaceAppend(benchmark::State& state) {
  TimeChange(
      state,
      [&](Workspace& w) {
        Expect(IMGAddFile(w.larger_input.c_str(), "big.dff", 1), TORVANE_OK, state);
      },
      [](Workspace& w) { PlainReplacement(w, w.larger_input, w.length, kBigBytes + 1); });
}

// A new 2 MiB entry: the directory grows into the slack, which forces the
// first entry's 64 KiB to move to the end as well.
void BM_AddWithMove(benchmark::State& state) {
  TimeChange(
      state,
      [&](Workspace& w) { Expect(IMGAddFile(w.input.c_str(), "new.dff", 1), TORVANE_OK, state); },
      [](Workspace& w) {
        PlainReplacement(w, w.input, w.length, kBigBytes);
        PlainCopy(w.archive, kFirstData * kSector, w.archive, w.length + kBigBytes,
                  kEntrySectors * kSector, false);
      });
}

// Extracting the 2 MiB entry to a new file.
void BM_Extract(benchmark::State& state) {
  Workspace& w = Space();
  Expect(IMGOpen(w.archive.c_str()), TORVANE_OK, state);
  double torvane = 0, plain = 0;
  for (auto _ : state) {
    unlink(w.output.c_str());
    auto start = Clock::now();
    Expect(IMGExtractFile("big.dff", w.output.c_str()), TORVANE_OK, state);
    const double t = Seconds(start);
    unlink(w.output.c_str());
    start = Clock::now();
    PlainCopy(w.archive, w.big_offset, w.output, 0, kBigBytes, true);
    plain += Seconds(start);
    torvane += t;
    state.SetIterationTime(t);
  }
  IMGClose();
  Report(state, torvane, plain);
  state.SetBytesProcessed(state.iterations() * kBigBytes);
}

BENCHMARK(BM_Open)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReplaceInPlace)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReplaceAppend)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AddWithMove)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Extract)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
