// Fuzzes Torvane with arbitrary archive bytes and a sequence of operations on
// them, checking after each one that the archive stays consistent: the magic
// and every other entry's data survive, the file never shrinks, and what an
// operation reports matches what the file holds afterwards.
//
// Input: two bytes of length N, N bytes, then operations of three bytes each
// (kind, name choice, size/seed). With the top bit of N clear the N bytes are
// the archive itself; with it set they describe one, three bytes per record
// (first sector, size, name), so that sound archives with neighbours that
// overlap each other and the directory come up often.
#include <dirent.h>
#include <sanitizer/common_interface_defs.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "torvane.h"

namespace {

using Bytes = std::vector<unsigned char>;
constexpr std::uint64_t kSector = 2048;
constexpr std::size_t kMaxOperations = 12;
constexpr std::uint64_t kMaxArchive = 8u << 20;
constexpr std::uint64_t kMaxSnapshot = 16u << 20;

std::string g_dir;

void RemoveDir();

[[noreturn]] void Fail(int line, const char* what) {
  std::fprintf(stderr, "invariant failed at line %d: %s\n", line, what);
  RemoveDir();
  std::abort();
}

// An expression, so that a check can end a function: return CHECK(...);
#define CHECK(cond) ((cond) ? (void)0 : Fail(__LINE__, #cond))

void RemoveFolder(const std::string& folder) {
  if (DIR* d = opendir(folder.c_str())) {
    while (dirent* e = readdir(d)) {
      if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) {
        unlink((folder + "/" + e->d_name).c_str());
      }
    }
    closedir(d);
  }
  rmdir(folder.c_str());
}

void RemoveDir() {
  if (g_dir.empty()) return;
  RemoveFolder(g_dir + "/in");
  RemoveFolder(g_dir);
}

std::string PathOf(const std::string& name) { return g_dir + "/" + name; }
// Files to add live in a folder of their own, apart from the archive and output.
std::string InputPath(const std::string& name) { return g_dir + "/in/" + name; }

// Whether name can be a file name in the input folder.
bool UsableAsFileName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (char c : name) {
    if (c == '/' || static_cast<unsigned char>(c) < 0x20) return false;
  }
  return true;
}

std::uint64_t FileSize(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
}

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

std::uint32_t U32(const Bytes& b, std::size_t at) {
  return std::uint32_t{b[at]} | std::uint32_t{b[at + 1]} << 8 | std::uint32_t{b[at + 2]} << 16 |
         std::uint32_t{b[at + 3]} << 24;
}

struct Record {
  std::uint32_t offset = 0, size = 0;
  std::string name;
  bool known = false;  // data read whole
  Bytes data;
  std::uint64_t Begin() const { return offset * kSector; }
  std::uint64_t End() const { return (std::uint64_t{offset} + size) * kSector; }
};

// The directory as the library reads it: count records, those the file ends
// before read as zero bytes; none when the header is not sound. Data snapshots
// only when asked.
std::vector<Record> Parse(const Bytes& image, bool with_data) {
  std::vector<Record> records;
  if (image.size() < 8) return records;
  const std::int32_t count = static_cast<std::int32_t>(U32(image, 4));
  if (count < 0 || 32 * std::uint64_t(count) > image.size()) return records;
  Bytes directory(image.begin() + 8, image.end());
  directory.resize(32 * std::size_t(count), 0);
  std::uint64_t budget = kMaxSnapshot;
  for (std::int32_t i = 0; i < count; ++i) {
    const std::size_t at = 32 * std::size_t(i);
    Record r;
    r.offset = U32(directory, at);
    r.size = U32(directory, at + 4);
    std::size_t n = 0;
    while (n < 24 && directory[at + 8 + n] != 0) ++n;
    r.name.assign(reinterpret_cast<const char*>(&directory[at + 8]), n);
    if (with_data && r.End() <= image.size() && r.End() - r.Begin() <= budget) {
      r.known = true;
      r.data.assign(image.begin() + r.Begin(), image.begin() + r.End());
      budget -= r.data.size();
    }
    records.push_back(std::move(r));
  }
  return records;
}

std::uint64_t AlignUp(std::uint64_t n) { return (n + kSector - 1) / kSector * kSector; }

void PutU32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int k = 0; k < 4; ++k) b[at + k] = static_cast<unsigned char>(v >> (8 * k));
}

Bytes Slice(const Bytes& b, std::uint64_t from, std::uint64_t n) {
  return Bytes(b.begin() + from, b.begin() + from + n);
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

bool Overlap(std::uint64_t a, std::uint64_t b, std::uint64_t c, std::uint64_t d) {
  return a < d && c < b;
}

Bytes Padded(Bytes b) {
  b.resize((b.size() + kSector - 1) / kSector * kSector, 0);
  return b;
}

Bytes Content(std::size_t n, unsigned seed) {
  Bytes b(n);
  for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<unsigned char>(seed * 131 + i * 7 + 1);
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
    const Bytes before = ReadFile(archive_);
    const std::vector<Record> old = Parse(before, true);
    const Bytes content = Content(size, seed);
    const std::string file = InputPath(by_path ? name : "input.bin");
    WriteFile(file, content);
    const int status = IMGAddFile(file.c_str(), by_path ? nullptr : name.c_str(), replace_word);
    const std::string& stored = name;
    if (!usable_) return CHECK(status == TORVANE_NOT_OPEN);
    // An in-place write far into the file makes it large (sparse): stop there.
    if (TooLarge()) return;
    const Bytes after = ReadFile(archive_);
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
    CHECK(stored_record.End() <= after.size());
    CHECK(Bytes(after.begin() + stored_record.Begin(), after.begin() + stored_record.End()) ==
          Padded(content));
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
    const Bytes before = ReadFile(archive_);
    const std::vector<Record> old = Parse(before, false);
    const int status = IMGDelFile(name.c_str());
    if (!usable_) return CHECK(status == TORVANE_NOT_OPEN);
    CHECK(status == TORVANE_DELETED);
    const Bytes after = ReadFile(archive_);
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
    CHECK(Slice(after, last_slot, 32) == Bytes(32, 0));
    CHECK(SameOutside(before, after, {{4, 8}, {8 + 32 * first, last_slot + 32}}));
  }

  void Extract(const std::string& name) {
    const std::string out = PathOf("output.bin");
    unlink(out.c_str());
    const Bytes before = ReadFile(archive_);
    const int status = IMGExtractFile(name.c_str(), out.c_str());
    struct stat info;
    const bool created = stat(out.c_str(), &info) == 0;
    if (!usable_) return CHECK(status == TORVANE_NOT_OPEN && !created);
    CHECK(ReadFile(archive_) == before);
    const std::vector<Record> records = Parse(before, false);
    std::size_t last = 0, first = 0;
    if (Count(records, name, &last, &first) == 0) return CHECK(status == TORVANE_OK && !created);
    const Record& r = records[first];
    if (r.End() > before.size()) return CHECK(status == TORVANE_IO_ERROR && !created);
    CHECK(status == TORVANE_OK);
    CHECK(ReadFile(out) == Bytes(before.begin() + r.Begin(), before.begin() + r.End()));
  }

  // A name the archive already holds, or one from the table.
  std::string PickName(unsigned char choice) {
    if (choice & 0x80) {
      const std::vector<Record> records = Parse(ReadFile(archive_), false);
      if (!records.empty()) return records[choice % records.size()].name;
    }
    return kNames[choice % (sizeof kNames / sizeof kNames[0])];
  }

  bool TooLarge() const { return FileSize(archive_) > kMaxArchive; }

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
  Bytes image(static_cast<std::size_t>(AlignUp(end)));
  for (std::size_t i = 0; i < image.size(); ++i) {
    image[i] = static_cast<unsigned char>(i * 7 + i / kSector * 13 + 1);
  }
  std::memcpy(image.data(), "VER2", 4);
  PutU32(image, 4, static_cast<std::uint32_t>(count));
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t at = 8 + 32 * i;
    PutU32(image, at, records[i].offset);
    PutU32(image, at + 4, records[i].size);
    std::fill(image.begin() + at + 8, image.begin() + at + 32, 0);
    std::memcpy(&image[at + 8], records[i].name.data(),
                std::min<std::size_t>(records[i].name.size(), 24));
  }
  return image;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char pattern[] = "/tmp/fuzz_archive.XXXXXX";
  if (mkdtemp(pattern) == nullptr) std::abort();
  g_dir = pattern;
  mkdir((g_dir + "/in").c_str(), 0700);
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
  const std::string archive = PathOf("test.img");
  WriteFile(archive, described ? Build(data, length) : Bytes(data, data + length));
  data += length, size -= length;

  Session session(archive);
  for (std::size_t op = 0; op < kMaxOperations && size >= 3; ++op, data += 3, size -= 3) {
    const unsigned char kind = data[0], choice = data[1], amount = data[2];
    const std::string name = session.PickName(choice);
    switch (kind % 6) {
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
    }
    if (session.TooLarge()) break;
  }
  return 0;
}
