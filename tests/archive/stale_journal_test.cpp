// A journal is rolled back only onto the archive it was written for, caught
// mid-change: a file put in the archive's place since (a backup copied over
// it, another archive renamed over it, a length changed by hand) is left as
// it is and the journal set aside. The journal lives beside the real file
// and is never reached through a link; nothing is extracted onto it.
#ifdef __linux__
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/syscall.h>

#include <cerrno>
#include <cstddef>
#endif
#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstdio>
#include <filesystem>

#include "change_fixture.h"

namespace tvtest {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kBlock = 4096;

void PutLe(Bytes& out, std::uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A journal of the given version (1: release 1.0.0's layout, without new
// length or sums; 2: no ranges), each range's original bytes taken from
// image, ending in the journal's checksum.
Bytes MakeJournal(std::uint32_t version, std::uint64_t old_length, std::uint64_t new_length,
                  const Bytes& image,
                  const std::vector<std::pair<std::size_t, std::size_t>>& ranges) {
  Bytes out = "TVJOURNL";
  PutLe(out, version, 4);
  PutLe(out, ranges.size(), 4);
  PutLe(out, old_length, 8);
  if (version != 1) PutLe(out, new_length, 8);
  for (const auto& [position, length] : ranges) {
    PutLe(out, position, 8);
    PutLe(out, length, 8);
    out += image.substr(position, length);
    out.append((8 - length % 8) % 8, '\0');
  }
  std::uint32_t s1 = 0, s2 = 0;
  auto word = [&out](std::size_t at) {
    std::uint32_t w = 0;
    for (int i = 3; i >= 0; --i) w = w << 8 | static_cast<unsigned char>(out[at + i]);
    return w;
  };
  for (std::size_t at = 0; at < out.size(); at += 8) {
    s1 += word(at) + s2;
    s2 += word(at + 4) + s1;
  }
  PutLe(out, s1, 4);
  PutLe(out, s2, 4);
  return out;
}

// The runs of sectors in which two images differ, within the first one.
std::vector<std::pair<std::size_t, std::size_t>> Differences(const Bytes& a, const Bytes& b) {
  std::vector<std::pair<std::size_t, std::size_t>> runs;
  for (std::size_t at = 0; at < a.size(); at += kSector) {
    const std::size_t n = std::min<std::size_t>(kSector, a.size() - at);
    if (a.compare(at, n, b, std::min(at, b.size()), n) == 0) continue;
    if (!runs.empty() && runs.back().first + runs.back().second == at) {
      runs.back().second += n;
    } else {
      runs.push_back({at, n});
    }
  }
  return runs;
}

std::string g_source;

// Gives the source file other bytes of the same length from its second block on.
void ChangeTheSource() {
  Bytes bytes = ReadAll(g_source);
  bytes.replace(kBlock, bytes.size() - kBlock, Pattern(bytes.size() - kBlock, 99));
  WriteAll(g_source, bytes);
}

class StaleJournalTest : public ChangeTest {
 protected:
  std::string Stale(unsigned n = 1) const {
    return n == 1 ? journal_ + ".stale" : journal_ + ".stale." + std::to_string(n);
  }

  // Opens and closes the archive; the open must succeed. The archive then.
  Bytes OpenedAndClosed() {
    EXPECT_EQ(IMGOpen(archive_.c_str()), TORVANE_OK);
    IMGClose();
    return ReadAll(archive_);
  }

  // The archive of `image` with the blocks for which `take_after` holds taken from `after`.
  static Bytes Blend(const Bytes& image, const Bytes& after, bool (*take_after)(std::size_t)) {
    Bytes blend = image;
    for (std::size_t at = 0; at < blend.size() && at < after.size(); at += kBlock) {
      if (!take_after(at / kBlock)) continue;
      const std::size_t n = std::min(kBlock, std::min(blend.size(), after.size()) - at);
      blend.replace(at, n, after, at, n);
    }
    return blend;
  }
};

// Whatever was put in the archive's place after the crash is what the open
// finds and keeps, byte for byte, and the journal is set aside, numbered when
// one was set aside before.
TEST_F(StaleJournalTest, AFilePutInTheArchivesPlaceIsKeptAndTheJournalSetAside) {
  const Change& change = changes_[0];
  const auto [mixed, journal] = LeaveJournal(change, 1);
  const Bytes other = changes_[2].before;  // another archive
  Bytes longer = mixed + Bytes(3 * kSector, '\0');
  Bytes shorter = mixed.substr(0, mixed.size() - kSector);
  Bytes backup = change.before;
  backup.replace(kSector, 100, Pattern(100, 77));  // an older copy of the archive
  const std::string stock = dir_.Write("stock.img", other);
  struct Case {
    const char* what;
    Bytes image;
    bool renamed;
  };
  const std::vector<Case> cases = {{"a backup copied over it", backup, false},
                                   {"another archive copied over it", other, false},
                                   {"another archive renamed over it", other, true},
                                   {"lengthened by hand", longer, false},
                                   {"shortened by hand", shorter, false}};
  unsigned n = 0;
  for (const Case& each : cases) {
    SCOPED_TRACE(each.what);
    WriteAll(journal_, journal);
    if (each.renamed) {
      WriteAll(stock, each.image);
      fs::rename(stock, archive_);  // a new file under the archive's name
    } else {
      WriteAll(archive_, each.image);
    }
    EXPECT_TRUE(SameBytes(OpenedAndClosed(), each.image));
    EXPECT_FALSE(Exists(journal_));
    ++n;
    ASSERT_TRUE(Exists(Stale(n)));
    EXPECT_TRUE(SameBytes(ReadAll(Stale(n)), journal));  // renamed, not rewritten
  }
  // A later open leaves the archive and the journals set aside alone.
  EXPECT_TRUE(SameBytes(OpenedAndClosed(), shorter));
  EXPECT_FALSE(Exists(Stale(n + 1)));
}

// An archive caught mid-change holds each block of each range old or new, in
// any blend: rolled back. A block that is neither (half old, half new within
// it) is no state of the change.
TEST_F(StaleJournalTest, BlocksEachOldOrNewAreRolledBackAndABlockTornWithinIsNot) {
  for (const Change& change : changes_) {
    SCOPED_TRACE(change.what);
    const Bytes after = Outcome(change);
    const auto [mixed, journal] = LeaveJournal(change, 0);
    ASSERT_EQ(mixed, change.before);
    for (bool (*pick)(std::size_t) :
         {+[](std::size_t b) { return b % 2 == 0; }, +[](std::size_t b) { return b % 2 == 1; },
          +[](std::size_t b) { return b % 3 == 0; }}) {
      Bytes blend = Blend(change.before, after, pick);
      // The new length may lie between the old and the new one.
      if (after.size() > change.before.size()) {
        blend += after.substr(change.before.size(), (after.size() - change.before.size()) / 2);
      }
      WriteAll(archive_, blend);
      WriteAll(journal_, journal);
      EXPECT_TRUE(SameBytes(OpenedAndClosed(), change.before));
      EXPECT_FALSE(Exists(journal_));
      EXPECT_FALSE(Exists(Stale()));
    }
  }
  // The in-place replacement rewrites the whole of block 1: half of it new
  // fits no state of the change.
  const Change& change = changes_[0];
  const Bytes after = Outcome(change);
  const auto [mixed, journal] = LeaveJournal(change, 0);
  Bytes torn = change.before;
  torn.replace(kBlock, kBlock / 2, after, kBlock, kBlock / 2);
  ASSERT_NE(torn.substr(kBlock, kBlock), change.before.substr(kBlock, kBlock));
  ASSERT_NE(torn.substr(kBlock, kBlock), after.substr(kBlock, kBlock));
  WriteAll(archive_, torn);
  WriteAll(journal_, journal);
  EXPECT_TRUE(SameBytes(OpenedAndClosed(), torn));
  EXPECT_TRUE(Exists(Stale()));
}

// A journal of an unknown layout cannot tell whether it fits: set aside, never
// applied, never deleted. One left by release 1.0.0 (version 1) is rolled
// back as that release did, onto an archive at least as long as its old
// length (its changes only kept or grew the archive); a shorter archive is
// not the one it was written for.
TEST_F(StaleJournalTest, JournalsOfOtherVersions) {
  const Change& change = changes_[0];
  const auto [mixed, journal] = LeaveJournal(change, 1);
  Bytes newer = journal;
  newer[8] = 3;
  WriteAll(journal_, newer);
  EXPECT_TRUE(SameBytes(OpenedAndClosed(), mixed));
  EXPECT_TRUE(SameBytes(ReadAll(Stale()), newer));
  std::remove(Stale().c_str());

  for (const Change& each : {changes_[0], changes_[1]}) {
    SCOPED_TRACE(each.what);
    const Bytes after = Outcome(each);
    const Bytes old_journal =
        MakeJournal(1, each.before.size(), 0, each.before, Differences(each.before, after));
    WriteAll(journal_, old_journal);
    WriteAll(archive_, after);
    EXPECT_TRUE(SameBytes(OpenedAndClosed(), each.before));
    EXPECT_FALSE(Exists(journal_));
    EXPECT_FALSE(Exists(Stale()));
    const Bytes shorter = each.before.substr(0, each.before.size() - kSector);
    WriteAll(journal_, old_journal);
    WriteAll(archive_, shorter);
    EXPECT_TRUE(SameBytes(OpenedAndClosed(), shorter));
    EXPECT_TRUE(SameBytes(ReadAll(Stale()), old_journal));
    std::remove(Stale().c_str());
  }
}

// A journal without ranges that claims an old length past the archive and
// every range would have the rollback lengthen the file to that length.
TEST_F(StaleJournalTest, AnOldLengthPastTheArchiveAndEveryRangeIsNotApplied) {
  const Bytes image = changes_[0].before;
  for (const std::uint64_t old_length : {std::uint64_t{1} << 30, std::uint64_t{1} << 62}) {
    const Bytes journal = MakeJournal(2, old_length, image.size() / 2, image, {});
    WriteAll(journal_, journal);
    WriteAll(archive_, image);
    EXPECT_TRUE(SameBytes(OpenedAndClosed(), image));
    EXPECT_TRUE(SameBytes(ReadAll(Stale()), journal));
    std::remove(Stale().c_str());
  }
}

#ifndef _WIN32
// A source file that changes between the journal's writing and the copy (its
// lock here is advisory; Windows lets no other writer in) would leave blocks
// neither old nor new: the copy checks each block and the change is rolled back.
TEST_F(StaleJournalTest, ASourceThatChangesDuringTheChangeFailsItAndIsRolledBack) {
  const Change& change = changes_[0];
  g_source = dir_.Path("same.dff");
  const Bytes source = ReadAll(g_source);
  bool fired = false;
  EXPECT_EQ(Run(
                change, [] { fault::HookNth(fault::kSync, 1, ChangeTheSource); }, &fired),
            TORVANE_IO_ERROR);
  EXPECT_TRUE(fired);
  IMGClose();
  EXPECT_TRUE(SameBytes(ReadAll(archive_), change.before));
  EXPECT_FALSE(Exists(journal_));
  WriteAll(g_source, source);
}

// The copy compares a change's first 8192 blocks with the sums kept in memory
// and later ones with the sums read back from the journal: a block changed past
// the kept ones is caught as well.
TEST_F(StaleJournalTest, ASourceThatChangesPastTheKeptSumsFailsTheChange) {
  constexpr std::size_t kBlocks = 8192 + 8;
  const Change change = {"replacement past the kept sums",
                         BuildArchive({{1, kBlocks * kBlock / kSector, "big.dff"}}),
                         [] { return IMGAddFile(g_source.c_str(), nullptr, 1); }, TORVANE_OK};
  g_source = dir_.Write("big.dff", Pattern(kBlocks * kBlock, 7));
  bool fired = false;
  auto change_a_late_block = [] {
    Bytes bytes = ReadAll(g_source);
    bytes[(kBlocks - 3) * kBlock + 5] ^= 0x5A;
    WriteAll(g_source, bytes);
  };
  EXPECT_EQ(Run(
                change, [&] { fault::HookNth(fault::kSync, 1, change_a_late_block); }, &fired),
            TORVANE_IO_ERROR);
  EXPECT_TRUE(fired);
  IMGClose();
  EXPECT_TRUE(SameBytes(ReadAll(archive_), change.before));
  EXPECT_FALSE(Exists(journal_));
}
#endif

// A directory that ends past the file's end is lengthened by a deletion, or
// by the record of a replacement in place: cut off there, the change is still
// rolled back.
TEST_F(StaleJournalTest, AChangeThatLengthensAShortDirectoryIsRolledBack) {
  const Bytes cut = BuildArchive({{0, 0, "a"}, {0, 0, "b"}}).substr(0, 64);
  const std::string empty = dir_.Write("b", "");
  const std::vector<Change> changes = {
      {"deletion", cut, [] { return IMGDelFile("a"); }, TORVANE_DELETED},
      {"replacement in place", cut, [empty] { return IMGAddFile(empty.c_str(), "b", 1); },
       TORVANE_OK}};
  for (const Change& change : changes) {
    SCOPED_TRACE(change.what);
    const auto [mixed, journal] = LeaveJournal(change, 1);
    ASSERT_GT(mixed.size(), cut.size());
    EXPECT_TRUE(SameBytes(OpenedAndClosed(), cut));
    EXPECT_FALSE(Exists(journal_));
    EXPECT_FALSE(Exists(Stale()));
  }
}

// Setting aside is cut off at any call: the open fails with 16 and leaves the
// journal where it was, or succeeds with it set aside; the archive is never
// touched, and the next open finishes the job.
TEST_F(StaleJournalTest, SettingAsideCutOffAnywhereLosesNothing) {
  const Change& change = changes_[0];
  const auto [mixed, journal] = LeaveJournal(change, 1);
  const Bytes other = changes_[2].before;
  int failed = 0;
  for (unsigned long n = 1;; ++n) {
    SCOPED_TRACE("call " + std::to_string(n) + " failing");
    std::remove(Stale().c_str());
    WriteAll(archive_, other);
    WriteAll(journal_, journal);
    fault::FailNth(kEveryCall, n);
    const int status = IMGOpen(archive_.c_str());
    const bool fired = fault::Clear() > 0;
    IMGClose();
    EXPECT_TRUE(SameBytes(ReadAll(archive_), other));
    if (status == TORVANE_OK) {
      EXPECT_FALSE(Exists(journal_));
      EXPECT_TRUE(SameBytes(ReadAll(Stale()), journal));
      if (!fired) break;
      continue;
    }
    EXPECT_EQ(status, TORVANE_IO_ERROR);
    ++failed;
    // Under one of its two names (the rename may be done, its folder not synced).
    EXPECT_NE(Exists(journal_), Exists(Stale()));
    EXPECT_TRUE(SameBytes(OpenedAndClosed(), other));
    EXPECT_TRUE(SameBytes(ReadAll(Stale()), journal));
    if (HasFailure()) break;
  }
  EXPECT_GT(failed, 0);
}

#ifndef _WIN32
void KillThisProcess() { ::kill(::getpid(), SIGKILL); }

void FailEveryWriteButOne() { fault::FailNth(fault::kWrite, 2, true); }

TEST_F(StaleJournalTest, SettingAsideKilledAnywhereLosesNothing) {
  const Change& change = changes_[0];
  const auto [mixed, journal] = LeaveJournal(change, 1);
  const Bytes other = changes_[2].before;
  int killed = 0;
  for (unsigned long n = 1;; ++n) {
    SCOPED_TRACE("killed at call " + std::to_string(n));
    std::remove(Stale().c_str());
    WriteAll(archive_, other);
    WriteAll(journal_, journal);
    const pid_t child = ::fork();
    if (child == 0) {
      fault::HookNth(kEveryCall, n, KillThisProcess);
      ::_exit(IMGOpen(archive_.c_str()));
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    const bool was_killed = WIFSIGNALED(status);
    EXPECT_TRUE(SameBytes(ReadAll(archive_), other));
    // The journal is under one of its two names, whole.
    EXPECT_NE(Exists(journal_), Exists(Stale()));
    EXPECT_TRUE(SameBytes(OpenedAndClosed(), other));
    EXPECT_TRUE(SameBytes(ReadAll(Stale()), journal));
    if (!was_killed) {
      EXPECT_EQ(WEXITSTATUS(status), TORVANE_OK);
      break;
    }
    ++killed;
    if (HasFailure()) break;
  }
  EXPECT_GT(killed, 0);
}

#ifdef __linux__
// From now on renameat2 fails with `error` in this process, as on a file
// system that knows no RENAME_NOREPLACE.
bool RenameAt2Fails(int error) {
  sock_filter filter[] = {
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_renameat2, 0, 1),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | static_cast<unsigned>(error)),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
  };
  sock_fprog program = {static_cast<unsigned short>(sizeof filter / sizeof filter[0]), filter};
  return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
         ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

// Where the system refuses the rename that never replaces, a journal is set
// aside all the same (never over one set aside before).
TEST_F(StaleJournalTest, AJournalIsSetAsideWhereTheRenameThatNeverReplacesIsUnknown) {
  const auto [mixed, journal] = LeaveJournal(changes_[0], 1);
  const Bytes other = changes_[2].before;
  for (const int error : {EINVAL, ENOSYS}) {
    WriteAll(archive_, other);
    WriteAll(journal_, journal);
    WriteAll(Stale(), "set aside before");
    const pid_t child = ::fork();
    if (child == 0) ::_exit(RenameAt2Fails(error) ? IMGOpen(archive_.c_str()) : 99);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), TORVANE_OK);
    EXPECT_FALSE(Exists(journal_));
    EXPECT_EQ(ReadAll(Stale()), "set aside before");
    EXPECT_TRUE(SameBytes(ReadAll(Stale(2)), journal));
    EXPECT_TRUE(SameBytes(ReadAll(archive_), other));
    std::remove(Stale(2).c_str());
  }
}
#endif

// Through a link to the archive, the journal goes beside the real file: a
// crash through the link is rolled back by an open through the real path.
TEST_F(StaleJournalTest, AChangeCutOffThroughALinkIsRolledBackThroughTheRealPath) {
  const Change& change = changes_[0];
  const std::string links = dir_.Path("lnk");
  MakeDir(links);
  const std::string link = links + "/gta3.img";
  fs::create_symlink(archive_, link);
  WriteAll(archive_, change.before);
  ASSERT_EQ(IMGOpen(link.c_str()), TORVANE_OK);
  fault::HookNth(fault::kSync, 1, FailEveryWriteButOne);  // once the journal is written
  EXPECT_EQ(change.call(), TORVANE_IO_ERROR);
  fault::Clear();
  IMGClose();
  EXPECT_FALSE(Exists(link + "-journal"));
  ASSERT_TRUE(Exists(journal_));
  ASSERT_NE(ReadAll(archive_), change.before);
  EXPECT_TRUE(SameBytes(Reopened(), change.before));
}

// A link at the journal's path, wherever it leads, is never followed nor
// deleted: every change fails with 16 before writing, also when the link was
// planted while the archive was open.
TEST_F(StaleJournalTest, ALinkAtTheJournalsPathIsNeverFollowed) {
  const Change& change = changes_[0];
  const std::string target = dir_.Path("target.bin");
  const std::string folder = dir_.Path("folder");
  MakeDir(folder);
  for (const std::string& to : {dir_.Path("nowhere"), target, folder}) {
    SCOPED_TRACE(to);
    for (const bool planted_while_open : {false, true}) {
      WriteAll(target, "untouched");
      WriteAll(archive_, change.before);
      if (!planted_while_open) fs::create_symlink(to, journal_);
      ASSERT_EQ(IMGOpen(archive_.c_str()), TORVANE_OK);
      if (planted_while_open) fs::create_symlink(to, journal_);
      EXPECT_EQ(change.call(), TORVANE_IO_ERROR);
      EXPECT_EQ(IMGDelFile("car.dff"), TORVANE_IO_ERROR);
      IMGClose();
      EXPECT_TRUE(fs::is_symlink(journal_));
      EXPECT_EQ(ReadAll(target), "untouched");
      EXPECT_FALSE(Exists(dir_.Path("nowhere")));
      EXPECT_TRUE(fs::is_empty(folder));
      EXPECT_EQ(ReadAll(archive_), change.before);
      fs::remove(journal_);
    }
  }
}

#endif

// However the output's path spells the archive or its journal, extraction
// refuses it with 2 and writes nothing.
TEST_F(StaleJournalTest, ExtractionRefusesTheArchiveAndItsJournalHoweverSpelled) {
  const Bytes image = changes_[0].before;
  WriteAll(archive_, image);
  const std::string sub = dir_.Path("sub");
  MakeDir(sub);
  const std::string parent = fs::path(archive_).parent_path().string();
  const std::string name = fs::path(archive_).filename().string();
  const std::string hard_link = dir_.Path("hard.img");
  fs::create_hard_link(archive_, hard_link);
  std::vector<std::string> spellings = {sub + "/../" + name + "-journal",
                                        parent + "//" + name + "-journal",
                                        parent + "/./" + name + "-journal",
                                        sub + "/../" + name,
                                        hard_link,
                                        archive_};
  // Links where the system lets this process make them (Windows may not).
  for (const std::string& to : {journal_, archive_}) {
    const std::string link = dir_.Path("to-" + fs::path(to).filename().string());
    std::error_code error;
    fs::create_symlink(to, link, error);
    if (!error) spellings.push_back(link);
  }
  ASSERT_EQ(IMGOpen(archive_.c_str()), TORVANE_OK);
  for (const std::string& output : spellings) {
    EXPECT_EQ(IMGExtractFile("car.dff", output.c_str()), TORVANE_CANNOT_OPEN) << output;
  }
  // The folder by identity: a relative spelling from inside it.
  const fs::path was = fs::current_path();
  fs::current_path(sub);
  EXPECT_EQ(IMGExtractFile("car.dff", ("../" + name + "-journal").c_str()), TORVANE_CANNOT_OPEN);
  fs::current_path(was);
  IMGClose();
  EXPECT_FALSE(Exists(journal_));
  EXPECT_EQ(ReadAll(archive_), image);
  EXPECT_TRUE(fs::is_empty(sub));
}

// A void journal that cannot be deleted does not stop the open, and the next
// change replaces it.
TEST_F(StaleJournalTest, AVoidJournalThatCannotBeDeletedIsHarmless) {
  const Change& change = changes_[0];
  const auto [mixed, journal] = LeaveJournal(change, 1);
  WriteAll(archive_, change.before);
  WriteAll(journal_, Bytes(8, '\0') + journal.substr(8));
  fault::FailNth(fault::kDelete, 1, true);
  EXPECT_EQ(IMGOpen(archive_.c_str()), TORVANE_OK);
  fault::Clear();
  EXPECT_TRUE(Exists(journal_));
  EXPECT_EQ(change.call(), change.done);
  IMGClose();
  EXPECT_FALSE(Exists(journal_));
  EXPECT_TRUE(SameBytes(ReadAll(archive_), Outcome(change)));
}

}  // namespace
}  // namespace tvtest
