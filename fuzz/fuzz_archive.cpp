// Fuzzes Torvane with arbitrary archive bytes and a sequence of operations on
// them, checking after each one that the archive stays consistent: the magic
// and every other entry's data survive, the file never shrinks, and what an
// operation reports matches what the file holds afterwards.
//
// Input: two bytes of archive length N, N archive bytes, then operations of
// three bytes each (kind, name choice, size/seed).
#include <dirent.h>
#include <sanitizer/common_interface_defs.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
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
    IMGClose();
    const int status = IMGOpen(archive_.c_str());
    CHECK(status == 0 || status == 4 || status == 14);
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
    if (status == TORVANE_IO_ERROR) return;
    CHECK(status == TORVANE_OK);
    const std::vector<Record> now = Parse(after, false);
    const std::size_t target = matches > 0 ? last : old.size();
    CHECK(now.size() == old.size() + (matches > 0 ? 0 : 1));
    const Record& stored_record = now[target];
    CHECK(stored_record.name == stored);
    CHECK(stored_record.size == (size + kSector - 1) / kSector);
    CHECK(Bytes(after.begin() + stored_record.Begin(), after.begin() + stored_record.End()) ==
          Padded(content));
    CHECK(stored_record.Begin() >= 8 + 32 * now.size() || size == 0);
    for (std::size_t i = 0; i < old.size(); ++i) {
      if (i == target) continue;
      CHECK(now[i].name == old[i].name && now[i].size == old[i].size);
      // Data that overlaps the header and directory changes with them.
      if (old[i].known && old[i].Begin() >= 8 + 32 * now.size()) {
        CHECK(now[i].End() <= after.size());
        CHECK(Bytes(after.begin() + now[i].Begin(), after.begin() + now[i].End()) == old[i].data);
      }
    }
  }

  void Delete(const std::string& name) {
    const Bytes before = ReadFile(archive_);
    const std::vector<Record> old = Parse(before, false);
    const int status = IMGDelFile(name.c_str());
    if (!usable_) return CHECK(status == TORVANE_NOT_OPEN);
    CHECK(status == TORVANE_DELETED || status == TORVANE_IO_ERROR);
    const Bytes after = ReadFile(archive_);
    std::size_t last = 0, first = 0;
    if (Count(old, name, &last, &first) == 0) return CHECK(after == before);
    if (status != TORVANE_DELETED) return;
    const std::vector<Record> now = Parse(after, false);
    CHECK(now.size() + 1 == old.size());
    for (std::size_t i = 0; i < now.size(); ++i) {
      const Record& was = old[i < first ? i : i + 1];
      CHECK(now[i].name == was.name && now[i].offset == was.offset && now[i].size == was.size);
    }
    CHECK(after.size() >= before.size());
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
  std::size_t length = data[0] | std::size_t{data[1]} << 8;
  data += 2, size -= 2;
  if (length > size) length = size;
  const std::string archive = PathOf("test.img");
  WriteFile(archive, Bytes(data, data + length));
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
