#include "unpack_test_support.h"

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "error.h"
#include "file_system.h"
#include "mod_source.h"
#include "scratch_dir.h"
#include "text_encoding.h"
#include "unpack_platform.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace wrenfield::testing {
namespace {

#ifdef _WIN32
constexpr char kTemporaryVariable[] = "TMP";
bool GetVariable(std::string& value) {
  char buffer[32768];
  const DWORD length = GetEnvironmentVariableA(kTemporaryVariable, buffer, sizeof buffer);
  if (length == 0 || length >= sizeof buffer) return false;
  value.assign(buffer, length);
  return true;
}
void SetVariable(const std::string* value) {
  SetEnvironmentVariableA(kTemporaryVariable, value != nullptr ? value->c_str() : nullptr);
}
#else
constexpr char kTemporaryVariable[] = "TMPDIR";
bool GetVariable(std::string& value) {
  const char* text = std::getenv(kTemporaryVariable);
  if (text == nullptr) return false;
  value = text;
  return true;
}
void SetVariable(const std::string* value) {
  if (value != nullptr)
    ::setenv(kTemporaryVariable, value->c_str(), 1);
  else
    ::unsetenv(kTemporaryVariable);
}
#endif

// The scratch folder of the whole test program.
const std::string& ScratchFolder() {
  static const ScratchDir folder("unpack");
  return folder.path();
}

void AddTree(const std::string& folder, const std::string& prefix, Tree& tree) {
  for (const std::string& name : FindFiles(JoinPath(folder, "*"))) {
    if (name == "." || name == "..") continue;
    const std::string path = JoinPath(folder, name);
    if (DirectoryExists(path)) {
      tree[prefix + name] = "<folder>";
      AddTree(path, prefix + name + "/", tree);
    } else {
      tree[prefix + name] = ReadFileBytes(path);
    }
  }
}

void Put16(std::string& out, std::uint32_t value) {
  out += static_cast<char>(value & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
}
void Put32(std::string& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

// A raw deflate stream of the data; kFinal ends it, a full flush leaves it open
// for another such stream to follow.
std::string RawDeflate(const std::string& data, int flush = Z_FINISH) {
  z_stream stream{};
  deflateInit2(&stream, Z_BEST_SPEED, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&stream, static_cast<uLong>(data.size())), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = reinterpret_cast<Bytef*>(&out[0]);
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, flush);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

}  // namespace

std::string Sample(const std::string& name) {
  return std::string(WRENFIELD_UNPACK_SAMPLES) + "/" + name;
}
std::string SampleTree(const std::string& name) { return Sample("trees/" + name); }
std::string LibarchiveSample(const std::string& name) {
  return std::string(WRENFIELD_LIBARCHIVE_SAMPLES) + "/" + name;
}

TemporaryRoot::TemporaryRoot() {
  static int counter = 0;
  path_ = JoinPath(ScratchFolder(), "temp-" + std::to_string(++counter));
  std::string reason;
  TryCreateFolder(path_, reason);
  hadPrevious_ = GetVariable(previous_);
  SetVariable(&path_);
}

TemporaryRoot::~TemporaryRoot() {
  SetVariable(hadPrevious_ ? &previous_ : nullptr);
  unpack_platform::RemoveTree(path_);
}

std::size_t TemporaryRoot::EntryCount() const { return TreeOf(path_).size(); }

Tree TreeOf(const std::string& folder) {
  Tree tree;
  AddTree(folder, "", tree);
  return tree;
}

Tree GameTreeOf(const std::string& game) {
  Tree tree = TreeOf(game);
  for (auto& [path, bytes] : tree) {
    if (path.size() < 13 || path.compare(path.size() - 13, 13, "/manifest.txt") != 0) continue;
    std::string kept;
    for (std::size_t at = 0; at < bytes.size();) {
      const std::size_t end = std::min(bytes.find('\n', at), bytes.size() - 1) + 1;
      const std::string line = bytes.substr(at, end - at);
      const bool placeOrTime = line.rfind("date: ", 0) == 0 || line.rfind("mod folder: ", 0) == 0 ||
                               line.rfind("field DFF: ", 0) == 0 ||
                               line.rfind("field TXD: ", 0) == 0 ||
                               line.rfind("field Adv: ", 0) == 0;
      if (!placeOrTime) kept += line;
      at = end;
    }
    bytes = kept;
  }
  return tree;
}

std::string Cp(const std::string& utf8) {
  std::string text;
  Utf8ToCp1251(utf8, text);
  return text;
}

std::string Cp866(const std::string& utf8) {
  std::string text;
  std::size_t pos = 0;
  char32_t c = 0;
  while (pos < utf8.size() && DecodeUtf8(utf8, pos, c)) {
    char byte = '?';
    for (unsigned b = 0; b < 256; ++b) {
      if (Cp866ToCodePoint(static_cast<unsigned char>(b)) == c) byte = static_cast<char>(b);
    }
    text += byte;
  }
  return text;
}

std::string SamplePathText(const std::string& utf8) {
#ifdef _WIN32
  return Cp(utf8);
#else
  return utf8;
#endif
}

Tree SampleTreeAsUnpacked(const std::string& name) {
  Tree tree = TreeOf(SampleTree(name));
#ifdef _WIN32
  return tree;
#else
  Tree converted;
  for (auto& [path, bytes] : tree) converted[Cp(path)] = std::move(bytes);
  return converted;
#endif
}

std::string ZipOf(const std::vector<ZipEntry>& entries) {
  std::string archive, directory;
  for (const ZipEntry& entry : entries) {
    const bool given = !entry.deflated.empty();
    const std::string stored = given           ? entry.deflated
                               : entry.deflate ? RawDeflate(entry.data)
                                               : entry.data;
    std::uint32_t crc =
        given
            ? entry.crc
            : static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(entry.data.data()),
                                               static_cast<uInt>(entry.data.size())));
    if (entry.wrongCrc) crc ^= 0x5A5A5A5A;
    const std::uint32_t size = static_cast<std::uint32_t>(
        entry.claimedSize >= 0 ? entry.claimedSize : static_cast<std::int64_t>(entry.data.size()));
    const std::uint32_t offset = static_cast<std::uint32_t>(archive.size());
    std::string common;  // version needed .. extra length, shared by both headers
    Put16(common, 20);
    Put16(common, entry.flags);
    Put16(common, entry.deflate || given ? 8 : 0);
    Put32(common, 0x00210000);  // 1 January 1980
    Put32(common, crc);
    Put32(common, static_cast<std::uint32_t>(stored.size()));
    Put32(common, size);
    Put16(common, static_cast<std::uint32_t>(entry.name.size()));
    Put16(common, 0);
    Put32(archive, 0x04034B50);
    archive += common + entry.name + stored;
    Put32(directory, 0x02014B50);
    Put16(directory, entry.unixMode != 0 ? 0x0314 : 0x0014);  // made by Unix / DOS
    directory += common;
    Put16(directory, 0);  // comment
    Put16(directory, 0);  // disk
    Put16(directory, 0);  // internal attributes
    Put32(directory, entry.unixMode << 16 | entry.dosAttributes);
    Put32(directory, offset);
    directory += entry.name;
  }
  const std::uint32_t directoryOffset = static_cast<std::uint32_t>(archive.size());
  archive += directory;
  Put32(archive, 0x06054B50);
  Put16(archive, 0);
  Put16(archive, 0);
  Put16(archive, static_cast<std::uint32_t>(entries.size()));
  Put16(archive, static_cast<std::uint32_t>(entries.size()));
  Put32(archive, static_cast<std::uint32_t>(directory.size()));
  Put32(archive, directoryOffset);
  Put16(archive, 0);
  return archive;
}

ZipEntry ZerosEntry(const std::string& name, std::uint64_t size) {
  const std::size_t segment = 16 << 20;
  const std::string zeros(segment, '\0');
  const std::string flushed = RawDeflate(zeros, Z_FULL_FLUSH);
  const uLong segmentCrc = crc32(0, reinterpret_cast<const Bytef*>(zeros.data()), segment);
  ZipEntry entry{name, ""};
  uLong crc = 0;
  for (std::uint64_t left = size; left > 0;) {
    const std::size_t run = left < segment ? static_cast<std::size_t>(left) : segment;
    entry.deflated += run == segment ? flushed : RawDeflate(zeros.substr(0, run), Z_FULL_FLUSH);
    crc = crc32_combine(crc,
                        run == segment ? segmentCrc
                                       : crc32(0, reinterpret_cast<const Bytef*>(zeros.data()),
                                               static_cast<uInt>(run)),
                        static_cast<z_off_t>(run));
    left -= run;
  }
  entry.deflated += RawDeflate("");
  entry.crc = static_cast<std::uint32_t>(crc);
  entry.claimedSize = static_cast<std::int64_t>(size);
  return entry;
}

std::string ScratchFile(const std::string& name, const std::string& bytes) {
  const std::string path = JoinPath(ScratchFolder(), name);
  WriteFileReplacing(path, bytes);
  return path;
}

Unpacked UnpackToTree(const std::string& archive, const UnpackLimits& limits) {
  Unpacked result;
  UnpackFolder folder = UnpackFolder::Create();
  try {
    result.files = UnpackArchive(archive, folder.path(), limits);
    result.tree = TreeOf(folder.path());
  } catch (const Error& e) {
    result.error = e.message();
  }
  return result;
}

}  // namespace wrenfield::testing
