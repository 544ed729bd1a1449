// wrenfield-cli img: lists, adds, extracts and deletes archive entries through
// Torvane. Listing reads the directory itself, since the library has no call
// for it, after Torvane has accepted the archive.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "commands.h"
#include "torvane.h"

namespace wrenfield::cli {

namespace {

constexpr std::uint64_t kSectorSize = 2048;

struct ListedEntry {
  std::uint32_t offset = 0;
  std::uint32_t size = 0;
  std::string name;
};

std::uint32_t GetU32(const unsigned char* bytes) {
  return std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16 |
         std::uint32_t{bytes[3]} << 24;
}

// The directory as the file holds it; records the file ends before are left out.
std::vector<ListedEntry> ReadDirectory(const std::string& path) {
  std::vector<ListedEntry> entries;
  std::ifstream in(path, std::ios::binary);
  unsigned char header[8];
  if (!in.read(reinterpret_cast<char*>(header), sizeof header)) return entries;
  const std::uint32_t count = GetU32(header + 4);
  unsigned char record[32];
  for (std::uint32_t i = 0; i < count && in.read(reinterpret_cast<char*>(record), 32); ++i) {
    ListedEntry entry;
    entry.offset = GetU32(record);
    entry.size = GetU32(record + 4);
    const char* name = reinterpret_cast<const char*>(record + 8);
    std::size_t length = 0;
    while (length < 24 && name[length] != 0) ++length;
    entry.name.assign(name, length);
    entries.push_back(entry);
  }
  return entries;
}

bool HasEntry(const std::string& archive, const std::string& name) {
  for (const ListedEntry& entry : ReadDirectory(archive)) {
    if (entry.name == name) return true;
  }
  return false;
}

// The library reports a missing entry as success; the command says so instead.
int NoSuchEntry(const std::string& archive, const std::string& name) {
  std::fprintf(stderr, "wrenfield-cli img: %s has no entry '%s'\n", archive.c_str(), name.c_str());
  return 1;
}

const char* Describe(int status) {
  switch (status) {
    case TORVANE_ALREADY_OPEN:
      return "another archive is already open";
    case TORVANE_CANNOT_OPEN:
      return "the file cannot be opened (missing, a folder, or held by another program)";
    case TORVANE_NOT_IMG:
      return "not an IMG version 2 archive (it does not begin with \"VER2\")";
    case TORVANE_NAME_TOO_LONG:
      return "the entry name has 24 or more characters";
    case TORVANE_EXISTS:
      return "an entry of that name exists and replacing was not allowed";
    case TORVANE_NOT_OPEN:
      return "no usable archive is open";
    case TORVANE_BAD_ARCHIVE:
      return "the archive's header or directory is damaged";
    case TORVANE_IO_ERROR:
      return "reading or writing failed (disk full, I/O error, or data past the archive's end)";
    default:
      return "unexpected status";
  }
}

int Fail(const std::string& what, int status) {
  std::fprintf(stderr, "wrenfield-cli img: %s: %s (code %d)\n", what.c_str(), Describe(status),
               status);
  return 1;
}

int Usage() {
  std::fputs(
      "usage: wrenfield-cli img list ARCHIVE\n"
      "       wrenfield-cli img add ARCHIVE FILE [--name NAME] [--no-replace]\n"
      "       wrenfield-cli img extract ARCHIVE NAME OUTPUT\n"
      "       wrenfield-cli img del ARCHIVE NAME\n",
      stderr);
  return 2;
}

// Holds the archive open through Torvane for the lifetime of the object.
class OpenArchive {
 public:
  explicit OpenArchive(const std::string& path) : status_(IMGOpen(path.c_str())) {}
  ~OpenArchive() {
    if (status_ != TORVANE_ALREADY_OPEN) IMGClose();
  }
  OpenArchive(const OpenArchive&) = delete;
  OpenArchive& operator=(const OpenArchive&) = delete;
  int status() const { return status_; }

 private:
  int status_;
};

int List(const std::string& archive) {
  {
    OpenArchive open(archive);
    if (open.status() != TORVANE_OK) return Fail(archive, open.status());
  }
  const std::vector<ListedEntry> entries = ReadDirectory(archive);
  std::printf("%s: %zu entr%s\n", archive.c_str(), entries.size(),
              entries.size() == 1 ? "y" : "ies");
  std::printf("%6s  %-23s  %10s  %8s  %12s\n", "#", "name", "sector", "sectors", "bytes");
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const ListedEntry& e = entries[i];
    std::printf("%6zu  %-23s  %10u  %8u  %12llu\n", i, e.name.c_str(), e.offset, e.size,
                static_cast<unsigned long long>(e.size * kSectorSize));
  }
  return 0;
}

int Add(const Args& args) {
  if (args.size() < 3) return Usage();
  const std::string& archive = args[1];
  const std::string& file = args[2];
  std::string name;
  bool named = false, replace = true;
  for (std::size_t i = 3; i < args.size(); ++i) {
    if (args[i] == "--no-replace") {
      replace = false;
    } else if (args[i] == "--name" && i + 1 < args.size()) {
      name = args[++i];
      named = true;
    } else {
      return Usage();
    }
  }
  // Without --name the library takes the part after the last '/'; a bare file
  // name has none, so it is passed as the name itself.
  if (!named && file.find('/') == std::string::npos) {
    name = file;
    named = true;
  }
  OpenArchive open(archive);
  if (open.status() != TORVANE_OK) return Fail(archive, open.status());
  const int status = IMGAddFile(file.c_str(), named ? name.c_str() : nullptr, replace ? 1 : 0);
  if (status != TORVANE_OK) return Fail(file, status);
  std::printf("stored %s in %s as '%s'\n", file.c_str(), archive.c_str(),
              named ? name.c_str() : file.substr(file.rfind('/') + 1).c_str());
  return 0;
}

int Extract(const Args& args) {
  if (args.size() != 4) return Usage();
  const std::string& archive = args[1];
  const std::string& name = args[2];
  const std::string& output = args[3];
  OpenArchive open(archive);
  if (open.status() != TORVANE_OK) return Fail(archive, open.status());
  if (!HasEntry(archive, name)) return NoSuchEntry(archive, name);
  const int status = IMGExtractFile(name.c_str(), output.c_str());
  if (status != TORVANE_OK) return Fail(output, status);
  std::printf("extracted '%s' to %s\n", name.c_str(), output.c_str());
  return 0;
}

int Delete(const Args& args) {
  if (args.size() != 3) return Usage();
  const std::string& archive = args[1];
  const std::string& name = args[2];
  OpenArchive open(archive);
  if (open.status() != TORVANE_OK) return Fail(archive, open.status());
  if (!HasEntry(archive, name)) return NoSuchEntry(archive, name);
  const int status = IMGDelFile(name.c_str());
  if (status != TORVANE_DELETED) return Fail(archive, status);
  std::printf("deleted '%s' from %s\n", name.c_str(), archive.c_str());
  return 0;
}

}  // namespace

int RunImgCommand(const Args& args) {
  if (args.empty()) return Usage();
  const std::string& verb = args[0];
  if (verb == "list") return args.size() == 2 ? List(args[1]) : Usage();
  if (verb == "add") return Add(args);
  if (verb == "extract") return Extract(args);
  if (verb == "del") return Delete(args);
  return Usage();
}

}  // namespace wrenfield::cli
