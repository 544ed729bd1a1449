// Fuzzes Torvane with arbitrary archive bytes and a sequence of operations on
// them, checking after each one that the archive stays consistent: the magic
// and every other entry's data survive, the file never shrinks but by a
// compaction, and what an operation reports matches what the file holds
// afterwards.
//
// Input: two bytes of length N, N bytes, then operations of three bytes each
// (kind, name choice, size/seed). With the top bit of N clear the N bytes are
// the archive itself; with it set they describe one, three bytes per record
// (first sector, size, name), so that sound archives with neighbours that
// overlap each other and the directory come up often. One operation plants a
// journal beside the archive, whole or damaged, and opens it again.
#include <sanitizer/common_interface_defs.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "archive_image.h"
#include "file_bytes.h"
#include "img_directory.h"
#include "scratch_dir.h"
#include "torvane.h"

namespace {

using wrenfield::testing::Bytes;
using wrenfield::testing::FileSize;
using wrenfield::testing::Padded;
using wrenfield::testing::ReadAll;
using wrenfield::testing::ScratchDir;
using wrenfield::testing::Slice;
using wrenfield::testing::WriteAll;
constexpr std::uint64_t kSector = img::kSectorSize;
constexpr std::size_t kMaxOperations = 12;
constexpr std::uint64_t kMaxArchive = 8u << 20;
// What a starting archive may make the library touch: its directory and every
// entry's data end within this. Offsets and sizes beyond it only scale up the
// same code paths (copies, moves, zero fills), which the large-archive tests
// cover; here they would cost seconds and gigabytes of disk for one input.
constexpr std::uint64_t kMaxTouched = 4u << 20;
constexpr std::uint64_t kMaxSnapshot = 16u << 20;

ScratchDir* g_dir = nullptr;

void RemoveDir() {
  delete g_dir;
  g_dir = nullptr;
}

[[noreturn]] void Fail(int line, const char* what) {
  std::fprintf(stderr, "invariant failed at line %d: %s\n", line, what);
  RemoveDir();
  std::abort();
}

// An expression, so that a check can end a function: return CHECK(...);
#define CHECK(cond) ((cond) ? (void)0 : Fail(__LINE__, #cond))

std::string PathOf(const std::string& name) { return g_dir->Path(name); }
// Files to add live in a folder of their own, apart from the archive and output.
std::string InputPath(const std::string& name) { return g_dir->Path("in/" + name); }

// Whether name can be a file name in the input folder.
bool UsableAsFileName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (char c : name) {
    if (c == '/' || static_cast<unsigned char>(c) < 0x20) return false;
  }
  return true;
}

const unsigned char* At(const Bytes& bytes, std::size_t at) {
  return reinterpret_cast<const unsigned char*>(bytes.data()) + at;
}

struct Record {
  std::uint32_t offset = 0, size = 0;
  std::string name;
  bool known = false;  // data read whole
  Bytes data;
  std::uint64_t Begin() const { return offset * kSector; }
  std::uint64_t End() const { return (std::uint64_t{offset} + size) * kSector; }
};

// The directory as the library reads it (none when the header is not sound),
// with data snapshots only when asked.
std::vector<Record> Parse(const Bytes& image, bool with_data) {
  std::vector<img::Entry> entries;
  img::DirectoryOfImage(At(image, 0), image.size(), entries);
  std::vector<Record> records;
  std::uint64_t budget = kMaxSnapshot;
  for (const img::Entry& entry : entries) {
    Record r;
    r.offset = entry.offset;
    r.size = entry.size;
    r.name.assign(reinterpret_cast<const char*>(entry.name), entry.NameLength());
    if (with_data && r.End() <= image.size() && r.End() - r.Begin() <= budget) {
      r.known = true;
      r.data = image.substr(r.Begin(), r.End() - r.Begin());
      budget -= r.data.size();
    }
    records.push_back(std::move(r));
  }
  return records;
}

std::uint64_t AlignUp(std::uint64_t n) { return (n + kSector - 1) / kSector * kSector; }

void PutU32(Bytes& b, std::size_t at, std::uint32_t v) {
  img::PutU32(reinterpret_cast<unsigned char*>(&b[at]), v);
}

// [from, to) byte ranges that an operation may write.
using Ranges = std::vector<std::pair<std::uint64_t, std::uint64_t>>;

// Whether after holds before's bytes everywhere but in `changed`; it may be longer.
bool SameOutside(const Bytes& before, Bytes after, const Ranges& changed) {
  if (after.size() < before.size()) return false;
  after.resize(before.size());
  for (const auto& [from, to] : changed) {
    const std::uint64_t end = std::min<std::uint64_t>(to, before.size());
    if (from < end) std::copy(before.begin() + from, before.begin() + end, after.begin() + from);
  }
  return after == before;
}

// An empty range overlaps nothing.
bool Overlap(std::uint64_t a, std::uint64_t b, std::uint64_t c, std::uint64_t d) {
  return a < b && c < d && a < d && c < b;
}

Bytes Content(std::size_t n, unsigned seed) {
  Bytes b(n, '\0');
  for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<char>(seed * 131 + i * 7 + 1);
  return b;
}

const char* const kNames[] = {"car.dff",
                              "car.txd",
                              "CAR.DFF",
                              "a",
                              "",
                              "name-of-23-characters-x",
                              "name-of-24-characters-xx",
                              "wheel.dff"};

int Count(const std::vector<Record>& records, const std::string& name, std::size_t* last,
          std::size_t* first) {
  int matches = 0;
  for (std::size_t i = 0; i < records.size(); ++i) {
    if (records[i].name != name) continue;
    if (matches == 0) *first = i;
    *last = i;
    ++matches;
  }
  return matches;
}

// The two sums over little-endian 32-bit words, the last word completed
// with zero bytes.
std::uint64_t TwoSums(const Bytes& bytes) {
  Bytes padded = bytes;
  padded.resize((padded.size() + 7) / 8 * 8, '\0');
  std::uint32_t s1 = 0, s2 = 0;
  for (std::size_t i = 0; i < padded.size(); i += 8) {
    s1 += img::GetU32(At(padded, i)) + s2;
    s2 += img::GetU32(At(padded, i + 4)) + s1;
  }
  return s1 | std::uint64_t{s2} << 32;
}

// A journal in the library's format, of a change from old_length to the
// archive `now` caught at its end: header, each range cut at 4 KiB block
// boundaries into pieces, each piece the sum of its bytes in `now` (zero
// bytes past its end) and its original bytes padded to whole words, and the
// checksum of it all.
Bytes JournalOf(std::uint64_t old_length, const Bytes& now,
                const std::vector<std::pair<std::uint64_t, Bytes>>& ranges) {
  constexpr std::uint64_t kBlock = 4096;
  auto put64 = [](Bytes& b, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) b.push_back(static_cast<char>(v >> (8 * i)));
  };
  Bytes journal = "TVJOURNL";
  put64(journal, 2 | std::uint64_t{ranges.size()} << 32);
  put64(journal, old_length);
  put64(journal, now.size());
  for (const auto& [at, bytes] : ranges) {
    put64(journal, at);
    put64(journal, bytes.size());
    for (std::uint64_t piece = at; piece < at + bytes.size();) {
      const std::uint64_t end =
          std::min<std::uint64_t>(at + bytes.size(), (piece / kBlock + 1) * kBlock);
      Bytes fresh(static_cast<std::size_t>(end - piece), '\0');
      for (std::uint64_t i = piece; i < end && i < now.size(); ++i) fresh[i - piece] = now[i];
      put64(journal, TwoSums(fresh));
      journal += bytes.substr(piece - at, end - piece);
      journal.resize((journal.size() + 7) / 8 * 8, '\0');
      piece = end;
    }
  }
  put64(journal, TwoSums(journal));
  return journal;
}

class Session {
 public:
  explicit Session(std::string archive) : archive_(std::move(archive)) { Reopen(); }
  ~Session() { IMGClose(); }

  void Reopen() {
    const bool was_usable = usable_;
    IMGClose();
    const int status = IMGOpen(archive_.c_str());
    // An archive that was usable stays so, whatever was done to it.
    CHECK(status == 0 || (!was_usable && (status == 4 || status == 14)));
    usable_ = status == 0;
  }

  // replace_word goes to the library as it is; only its low 8 bits count.
  void Add(const std::string& name, bool by_path, int replace_word, std::size_t size,
           unsigned seed) {
    by_path = by_path && UsableAsFileName(name);
    const bool replace = (replace_word & 0xFF) != 0;
    const Bytes before = ReadAll(archive_);
    const std::vector<Record> old = Parse(before, true);
    const Bytes content = Content(size, seed);
    const std::string file = InputPath(by_path ? name : "input.bin");
    WriteAll(file, content);
    const int status = IMGAddFile(file.c_str(), by_path ? nullptr : name.c_str(), replace_word);
    const std::string& stored = name;
    if (!usable_) return CHECK(status == TORVANE_NOT_OPEN);
    // An in-place write far into the file makes it large (sparse): stop there.
    if (TooLarge()) return;
    const Bytes after = ReadAll(archive_);
    CHECK(after.size() >= before.size());
    CHECK(std::memcmp(after.data(), "VER2", 4) == 0);
    if (stored.size() > 23) return CHECK(status == TORVANE_NAME_TOO_LONG && after == before);
    std::size_t last = 0, first = 0;
    const int matches = Count(old, stored, &last, &first);
    if (matches > 0 && !replace) return CHECK(status == TORVANE_EXISTS && after == before);
    // Only an entry in the way that runs past the end fails here, found before
    // anything is written.
    if (status == TORVANE_IO_ERROR) return CHECK(after == before);
    CHECK(status == TORVANE_OK);
    const std::vector<Record> now = Parse(after, false);
    const bool adding = matches == 0;
    const std::size_t target = adding ? old.size() : last;
    CHECK(now.size() == old.size() + (adding ? 1 : 0));
    const Record& stored_record = now[target];
    CHECK(stored_record.name == stored);
    CHECK(stored_record.size == (size + kSector - 1) / kSector);
    // An empty file over an empty entry keeps the entry's place, however far past
    // the end: there is no data to land there.
    const bool kept_empty = size == 0 && !adding && stored_record.offset == old[target].offset;
    if (!kept_empty) {
      CHECK(stored_record.End() <= after.size());
      CHECK(Bytes(after.begin() + stored_record.Begin(), after.begin() + stored_record.End()) ==
            Padded(content));
    }
    // Appended data begins past the old end and past the directory, new slot included.
    const std::uint64_t directory_end = 8 + 32 * now.size();
    const std::uint64_t append_from = std::max(AlignUp(before.size()), AlignUp(directory_end));
    Ranges changed = {{8 + 32 * target, 40 + 32 * target}};
    if (adding) {
      changed.push_back({4, 8});
      CHECK(stored_record.Begin() >= append_from);
    } else if (stored_record.Begin() < append_from && stored_record.size > 0) {
      // In place: within the old allotment, over no other entry and not the directory.
      CHECK(stored_record.offset == old[target].offset && stored_record.size <= old[target].size);
      CHECK(!Overlap(stored_record.Begin(), stored_record.End(), 0, directory_end));
      for (std::size_t i = 0; i < old.size(); ++i) {
        if (i != target)
          CHECK(!Overlap(stored_record.Begin(), stored_record.End(), old[i].Begin(), old[i].End()));
      }
      changed.push_back({stored_record.Begin(), stored_record.End()});
    }
    // Moved entries carry the bytes their sectors held when they were copied:
    // the old ones with the offset fields of entries moved before them.
    Bytes moving = before;
    for (std::size_t i = 0; i < old.size(); ++i) {
      if (i == target) continue;
      CHECK(now[i].name == old[i].name && now[i].size == old[i].size);
      if (adding && old[i].Begin() <= directory_end) {
        CHECK(now[i].Begin() >= append_from && now[i].End() <= after.size());
        CHECK(Slice(after, now[i].Begin(), now[i].End() - now[i].Begin()) ==
              Slice(moving, old[i].Begin(), old[i].End() - old[i].Begin()));
        PutU32(moving, 8 + 32 * i, now[i].offset);
        changed.push_back({8 + 32 * i, 12 + 32 * i});
        continue;
      }
      CHECK(now[i].offset == old[i].offset);
      // Data that overlaps the header and directory changes with them.
      if (old[i].known && old[i].Begin() >= directory_end) {
        CHECK(Bytes(after.begin() + now[i].Begin(), after.begin() + now[i].End()) == old[i].data);
      }
    }
    CHECK(SameOutside(before, after, changed));
  }

  void Delete(const std::string& name) {
    const Bytes before = ReadAll(archive_);
    const std::vector<Record> old = Parse(before, false);
    const int status = IMGDelFile(name.c_str());
    if (!usable_) return CHECK(status == TORVANE_NOT_OPEN);
    CHECK(status == TORVANE_DELETED);
    const Bytes after = ReadAll(archive_);
    std::size_t last = 0, first = 0;
    if (Count(old, name, &last, &first) == 0) return CHECK(after == before);
    const std::vector<Record> now = Parse(after, false);
    CHECK(now.size() + 1 == old.size());
    for (std::size_t i = 0; i < now.size(); ++i) {
      const Record& was = old[i < first ? i : i + 1];
      CHECK(now[i].name == was.name && now[i].offset == was.offset && now[i].size == was.size);
    }
    // Later records one slot up, zero bytes in the former last slot, the count:
    // nothing else is written.
    const std::uint64_t last_slot = 8 + 32 * now.size();
    CHECK(after.size() >= last_slot + 32);
    CHECK(Slice(after, last_slot, 32) == Bytes(32, '\0'));
    CHECK(SameOutside(before, after, {{4, 8}, {8 + 32 * first, last_slot + 32}}));
  }

  void Extract(const std::string& name) {
    const std::string out = PathOf("output.bin");
    unlink(out.c_str());
    const Bytes before = ReadAll(archive_);
    const int status = IMGExtractFile(name.c_str(), out.c_str());
    const bool created = wrenfield::testing::Exists(out);
    if (!usable_) return CHECK(status == TORVANE_NOT_OPEN && !created);
    CHECK(ReadAll(archive_) == before);
    const std::vector<Record> records = Parse(before, false);
    std::size_t last = 0, first = 0;
    if (Count(records, name, &last, &first) == 0) return CHECK(status == TORVANE_OK && !created);
    const Record& r = records[first];
    if (r.size == 0) return CHECK(status == TORVANE_OK && created && ReadAll(out).empty());
    if (r.End() > before.size()) return CHECK(status == TORVANE_IO_ERROR && !created);
    CHECK(status == TORVANE_OK);
    CHECK(ReadAll(out) == Bytes(before.begin() + r.Begin(), before.begin() + r.End()));
  }

  // Every entry keeps its name, size, place in the directory and bytes, and
  // the file ends right after the data, packed after the directory's sectors;
  // an entry inside the directory or past the end is refused, nothing changed.
  void Compact() {
    const Bytes before = ReadAll(archive_);
    const std::vector<Record> old = Parse(before, true);
    const int status = IMGCompact(nullptr, nullptr);
    if (!usable_) return CHECK(status == TORVANE_NOT_OPEN);
    const Bytes after = ReadAll(archive_);
    const std::uint64_t directory_end = 8 + 32 * old.size();
    Ranges occupied;
    bool inside = false, past = false;
    for (const Record& r : old) {
      if (r.size == 0) continue;
      inside = inside || r.Begin() < directory_end;
      past = past || r.End() > before.size();
      occupied.push_back({r.Begin(), r.End()});
    }
    if (inside) return CHECK(status == TORVANE_BAD_ARCHIVE && after == before);
    if (past) return CHECK(status == TORVANE_IO_ERROR && after == before);
    CHECK(status == TORVANE_OK);
    std::sort(occupied.begin(), occupied.end());
    std::uint64_t packed = AlignUp(directory_end), reached = 0;
    for (const auto& [from, to] : occupied) {
      packed += to > reached ? to - std::max(from, reached) : 0;
      reached = std::max(reached, to);
    }
    CHECK(after.size() == std::min<std::uint64_t>(before.size(), packed));
    CHECK(Slice(after, 0, 8) == Slice(before, 0, 8));
    const std::vector<Record> now = Parse(after, false);
    CHECK(now.size() == old.size());
    for (std::size_t i = 0; i < old.size(); ++i) {
      CHECK(now[i].name == old[i].name && now[i].size == old[i].size);
      if (old[i].size == 0) CHECK(now[i].offset == old[i].offset);
      if (old[i].known && old[i].size > 0) {
        CHECK(now[i].End() <= after.size());
        CHECK(Slice(after, now[i].Begin(), now[i].End() - now[i].Begin()) == old[i].data);
      }
    }
  }

  // A name the archive already holds, or one from the table.
  std::string PickName(unsigned char choice) {
    if (choice & 0x80) {
      const std::vector<Record> records = Parse(ReadAll(archive_), false);
      if (!records.empty()) return records[choice % records.size()].name;
    }
    return kNames[choice % (sizeof kNames / sizeof kNames[0])];
  }

  bool TooLarge() const { return FileSize(archive_) > kMaxArchive; }

  // No change leaves its journal behind.
  void CheckNoJournal() const { CHECK(!wrenfield::testing::Exists(archive_ + "-journal")); }

  // Puts a journal beside the closed archive, as a change cut off at its end
  // would leave it (or, with the top bit of choice, one damaged in one byte),
  // and opens: a whole journal's bytes and old length are restored; a damaged
  // one is deleted (or, its version changed, set aside) with the archive
  // untouched.
  void PlantJournal(unsigned char choice, unsigned char amount) {
    IMGClose();
    unlink((archive_ + "-journal.stale").c_str());
    const Bytes before = ReadAll(archive_);
    std::uint64_t length =
        before.size() - std::min<std::uint64_t>(before.size(), choice % 3 * 1000);
    if (choice & 0x20) length = before.size() + 3000;
    std::vector<std::pair<std::uint64_t, Bytes>> ranges;
    for (unsigned k = 0; length > 0 && k < 1u + amount % 3; ++k) {
      const std::uint64_t at = (amount * 131u + k * 977u + choice * 7u) % length;
      const std::uint64_t n = std::min<std::uint64_t>(1 + (amount + k * 13u) % 64, length - at);
      ranges.push_back({at, Content(static_cast<std::size_t>(n), amount + k)});
    }
    Bytes journal = JournalOf(length, before, ranges);
    const bool damaged = (choice & 0x80) != 0;
    if (damaged) journal[amount % journal.size()] ^= 0x04;
    WriteAll(archive_ + "-journal", journal);

    const int status = IMGOpen(archive_.c_str());
    // Beside a file that is not an archive, a journal is not Torvane's.
    if (before.size() < 4 || std::memcmp(before.data(), "VER2", 4) != 0) {
      CHECK(status == TORVANE_NOT_IMG && ReadAll(archive_) == before);
      CHECK(ReadAll(archive_ + "-journal") == journal);
      unlink((archive_ + "-journal").c_str());
      usable_ = false;
      return;
    }
    CheckNoJournal();
    // A journal that would lengthen the archive past every range it holds
    // describes no change that was made: it is set aside, the archive left as it is.
    std::uint64_t ranges_end = 0;
    for (const auto& [at, bytes] : ranges) ranges_end = std::max(ranges_end, at + bytes.size());
    const bool set_aside = !damaged && length > before.size() && length > ranges_end;
    // Each planted journal finds the first place aside free, and leaves it so.
    const std::string stale = archive_ + "-journal.stale";
    if (set_aside) CHECK(ReadAll(stale) == journal);
    unlink(stale.c_str());
    Bytes expected = before;
    if (!damaged && !set_aside) {
      expected.resize(static_cast<std::size_t>(length), '\0');
      for (const auto& [at, bytes] : ranges) expected.replace(at, bytes.size(), bytes);
    }
    CHECK(ReadAll(archive_) == expected);
    // Restored bytes may have been anything, the magic and count included.
    CHECK(status == TORVANE_OK || status == TORVANE_NOT_IMG || status == TORVANE_BAD_ARCHIVE);
    usable_ = status == TORVANE_OK;
  }

 private:
  std::string archive_;
  bool usable_ = false;
};

}  // namespace

// An archive from a description: the records as described, their sectors
// filled with bytes that differ from sector to sector, the header and directory
// over them, the file ending at the last sector anything uses.
Bytes Build(const unsigned char* d, std::size_t n) {
  const std::size_t count = std::min<std::size_t>(n / 3, 80);
  std::vector<Record> records(count);
  std::uint64_t end = 8 + 32 * count;
  for (std::size_t i = 0; i < count; ++i, d += 3) {
    records[i].offset = d[0] % 48;
    records[i].size = d[1] % 6;
    records[i].name = (d[2] & 0x80) ? kNames[d[2] % (sizeof kNames / sizeof kNames[0])]
                                    : "e" + std::to_string(d[2] % 64);
    end = std::max(end, records[i].End());
  }
  Bytes image(static_cast<std::size_t>(AlignUp(end)), '\0');
  for (std::size_t i = 0; i < image.size(); ++i) {
    image[i] = static_cast<char>(i * 7 + i / kSector * 13 + 1);
  }
  std::memcpy(&image[0], img::kMagic, sizeof img::kMagic);
  PutU32(image, img::kCountOffset, static_cast<std::uint32_t>(count));
  for (std::size_t i = 0; i < count; ++i) {
    wrenfield::testing::PutRecord(
        image, i,
        {records[i].offset, records[i].size, records[i].name.substr(0, img::kNameFieldSize)});
  }
  return image;
}

// Whether the archive's directory and every entry's data end within kMaxTouched.
bool WithinTouchBound(const Bytes& image) {
  if (image.size() >= 8 && std::memcmp(image.data(), img::kMagic, sizeof img::kMagic) == 0 &&
      img::SlotPosition(img::GetU32(At(image, img::kCountOffset))) > kMaxTouched) {
    return false;
  }
  for (const Record& record : Parse(image, false)) {
    if (record.End() > kMaxTouched) return false;
  }
  return true;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  g_dir = new ScratchDir("fuzz-archive");
  g_dir->MakeFolder("in");
  std::atexit(RemoveDir);
  __sanitizer_set_death_callback(RemoveDir);  // also after a finding
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const bool described = (data[1] & 0x80) != 0;
  std::size_t length = data[0] | std::size_t{data[1] & 0x7Fu} << 8;
  data += 2, size -= 2;
  if (length > size) length = size;
  const Bytes image = described ? Build(data, length) : Bytes(data, data + length);
  if (!WithinTouchBound(image)) return 0;
  const std::string archive = PathOf("test.img");
  WriteAll(archive, image);
  data += length, size -= length;

  Session session(archive);
  for (std::size_t op = 0; op < kMaxOperations && size >= 3; ++op, data += 3, size -= 3) {
    const unsigned char kind = data[0], choice = data[1], amount = data[2];
    const std::string name = session.PickName(choice);
    switch (kind % 8) {
      case 0:
      case 1:  // replace passes through its low 8 bits only
        session.Add(name, false, (kind & 0x40) ? 0x201 : 0x200, amount * 61u, kind);
        break;
      case 2:
        session.Add(name, true, 1, amount * 29u, kind);
        break;
      case 3:
        session.Delete(name);
        break;
      case 4:
        session.Extract(name);
        break;
      case 5:
        session.Reopen();
        break;
      case 6:
        session.PlantJournal(choice, amount);
        break;
      case 7:
        session.Compact();
        break;
    }
    session.CheckNoJournal();
    if (session.TooLarge()) break;
  }
  return 0;
}
