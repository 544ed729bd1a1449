#include "change_fixture.h"

namespace tvtest {

namespace {

unsigned long g_writes_allowed = 0;

void FailEveryWriteFromNowOn() { fault::FailNth(fault::kWrite, g_writes_allowed + 1, true); }

std::vector<Record> Numbered(std::size_t count, std::uint32_t first_sector, std::uint32_t size) {
  std::vector<Record> records;
  for (std::size_t i = 0; i < count; ++i) {
    records.push_back({static_cast<std::uint32_t>(first_sector + (size > 0 ? i : 0)), size,
                       "e" + std::to_string(i)});
  }
  return records;
}

}  // namespace

void ChangeTest::SetUp() {
  ArchiveTest::SetUp();
  const Bytes three = BuildArchive({{1, 40, "car.dff"}, {41, 1, "car.txd"}, {42, 2, "wheel.dff"}});
  const std::string same = dir_.Write("same.dff", Pattern(40 * 2048 - 100, 21));
  const std::string larger = dir_.Write("car.txd", Pattern(5000, 22));
  const std::string added = dir_.Write("added.dff", Pattern(3000, 23));
  // 63 records end the directory 24 bytes before the first data sector.
  const Bytes tight = BuildArchive(Numbered(63, 1, 1));
  // 3000 records, most of them empty, two batches of the transfer buffer.
  std::vector<Record> many = Numbered(3000, 48, 0);
  many[0] = {48, 1, "first"};
  many[2999] = {49, 2, "last"};
  const Bytes large = BuildArchive(many);
  changes_ = {
      {"in-place replacement", three, [same] { return IMGAddFile(same.c_str(), "car.dff", 1); },
       TORVANE_OK},
      {"replacement to the end", three, [larger] { return IMGAddFile(larger.c_str(), nullptr, 1); },
       TORVANE_OK},
      {"addition that moves an entry", tight,
       [added] { return IMGAddFile(added.c_str(), nullptr, 1); }, TORVANE_OK},
      {"deletion from a large directory", large, [] { return IMGDelFile("e1"); }, TORVANE_DELETED},
  };
}

int ChangeTest::Run(const Change& change, const std::function<void()>& arm, bool* fired) {
  WriteAll(archive_, change.before);
  EXPECT_EQ(IMGOpen(archive_.c_str()), TORVANE_OK);
  arm();
  const int status = change.call();
  *fired = fault::Clear() > 0;
  return status;
}

Bytes ChangeTest::Outcome(const Change& change) {
  bool fired = false;
  EXPECT_EQ(Run(
                change, [] {}, &fired),
            change.done);
  IMGClose();
  return ReadAll(archive_);
}

Bytes ChangeTest::Reopened() {
  EXPECT_EQ(IMGOpen(archive_.c_str()), TORVANE_OK);
  IMGClose();
  EXPECT_FALSE(Exists(journal_));
  return ReadAll(archive_);
}

int ChangeTest::RunFailingWritesAfter(const Change& change, unsigned long writes, bool* fired) {
  g_writes_allowed = writes;
  // The journal's own sync is the first of a change.
  return Run(
      change, [] { fault::HookNth(fault::kSync, 1, FailEveryWriteFromNowOn); }, fired);
}

std::pair<Bytes, Bytes> ChangeTest::LeaveJournal(const Change& change, unsigned long writes) {
  bool fired = false;
  EXPECT_EQ(RunFailingWritesAfter(change, writes, &fired), TORVANE_IO_ERROR);
  IMGClose();
  EXPECT_TRUE(Exists(journal_));
  return {ReadAll(archive_), ReadAll(journal_)};
}

}  // namespace tvtest
