#include "archive_fixture.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace tvtest {

namespace {

std::string UniqueName() {
  static std::atomic<unsigned> counter{0};
  const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
  return "torvane-test-" + std::to_string(ticks) + "-" + std::to_string(counter++);
}

std::string ProgramFolder() {
#ifdef _WIN32
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return fs::path(std::string(path, n)).parent_path().string();
#else
  return fs::read_symlink("/proc/self/exe").parent_path().string();
#endif
}

void PutU32(unsigned char* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

std::uint32_t GetU32(const unsigned char* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
         std::uint32_t{p[3]} << 24;
}

}  // namespace

ScratchDir::ScratchDir() {
  root_ = (fs::temp_directory_path() / UniqueName()).string();
  fs::create_directories(root_);
}

ScratchDir::~ScratchDir() {
  std::error_code ignored;
  fs::remove_all(root_, ignored);
}

Bytes ReadAll(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) throw std::runtime_error("cannot read " + path);
  Bytes bytes;
  unsigned char chunk[65536];
  std::size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
    bytes.insert(bytes.end(), chunk, chunk + n);
  std::fclose(f);
  return bytes;
}

void WriteAll(const std::string& path, const Bytes& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) throw std::runtime_error("cannot write " + path);
  if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

void WriteAt(const std::string& path, std::uint64_t pos, const Bytes& bytes) {
#ifdef _WIN32
  HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open " + path);
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(pos);
  DWORD moved = 0;
  const bool ok = SetFilePointerEx(f, at, nullptr, FILE_BEGIN) &&
                  WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &moved, nullptr) &&
                  moved == bytes.size();
  CloseHandle(f);
#else
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT, 0644);
  if (fd < 0) throw std::runtime_error("cannot open " + path);
  const bool ok = ::pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(pos)) ==
                  static_cast<ssize_t>(bytes.size());
  ::close(fd);
#endif
  if (!ok) throw std::runtime_error("cannot write " + path);
}

Bytes ReadAt(const std::string& path, std::uint64_t pos, std::size_t n) {
  Bytes bytes(n);
#ifdef _WIN32
  HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open " + path);
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(pos);
  DWORD moved = 0;
  const bool ok = SetFilePointerEx(f, at, nullptr, FILE_BEGIN) &&
                  ReadFile(f, bytes.data(), static_cast<DWORD>(n), &moved, nullptr);
  CloseHandle(f);
  const std::size_t got = moved;
#else
  const int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) throw std::runtime_error("cannot open " + path);
  const ssize_t r = ::pread(fd, bytes.data(), n, static_cast<off_t>(pos));
  ::close(fd);
  const bool ok = r >= 0;
  const std::size_t got = ok ? static_cast<std::size_t>(r) : 0;
#endif
  if (!ok) throw std::runtime_error("cannot read " + path);
  bytes.resize(got);
  return bytes;
}

std::uint64_t FileSize(const std::string& path) { return fs::file_size(path); }
bool Exists(const std::string& path) { return fs::exists(path); }
void MakeDir(const std::string& path) { fs::create_directories(path); }

Bytes Pattern(std::size_t n, unsigned seed) {
  Bytes bytes(n);
  std::uint32_t x = seed * 2654435761u + 12345u;
  for (auto& b : bytes) {
    x = x * 1103515245u + 12345u;
    b = static_cast<unsigned char>((x >> 16) | 1);  // never zero: padding stands out
  }
  return bytes;
}

Bytes Padded(Bytes bytes) {
  bytes.resize((bytes.size() + kSector - 1) / kSector * kSector, 0);
  return bytes;
}

void PutRecord(Bytes& image, std::size_t slot, const Record& record) {
  unsigned char* p = image.data() + 8 + 32 * slot;
  PutU32(p, record.offset);
  PutU32(p + 4, record.size);
  std::fill(p + 8, p + 32, 0);
  std::copy(record.name.begin(), record.name.end(), p + 8);
}

Bytes Header(std::int32_t count, const std::vector<Record>& records) {
  Bytes image(8 + 32 * records.size(), 0);
  image[0] = 'V', image[1] = 'E', image[2] = 'R', image[3] = '2';
  PutU32(image.data() + 4, static_cast<std::uint32_t>(count));
  for (std::size_t i = 0; i < records.size(); ++i) PutRecord(image, i, records[i]);
  return image;
}

Bytes BuildArchive(const std::vector<Record>& records, std::uint64_t length) {
  const Bytes header = Header(static_cast<std::int32_t>(records.size()), records);
  Bytes image = header;
  for (std::size_t i = 0; i < records.size(); ++i) {
    const std::uint64_t end = (std::uint64_t{records[i].offset} + records[i].size) * kSector;
    if (image.size() < end) image.resize(end, 0);
    const Bytes data = Pattern(records[i].size * kSector, static_cast<unsigned>(i + 1));
    std::copy(data.begin(), data.end(), image.begin() + records[i].offset * kSector);
  }
  if (image.size() < length) image.resize(length, 0);
  // Last, so that a record pointing into the directory does not overwrite it.
  std::copy(header.begin(), header.end(), image.begin());
  return image;
}

std::int32_t CountOf(const Bytes& image) {
  return static_cast<std::int32_t>(GetU32(image.data() + 4));
}

Record RecordAt(const Bytes& image, std::size_t slot) {
  const unsigned char* p = image.data() + 8 + 32 * slot;
  Record record;
  record.offset = GetU32(p);
  record.size = GetU32(p + 4);
  const char* name = reinterpret_cast<const char*>(p + 8);
  std::size_t length = 0;
  while (length < 24 && name[length] != 0) ++length;
  record.name.assign(name, length);
  return record;
}

std::vector<Record> DirectoryOf(const Bytes& image) {
  std::vector<Record> records;
  for (std::int32_t i = 0; i < CountOf(image); ++i) records.push_back(RecordAt(image, i));
  return records;
}

Bytes Slice(const Bytes& image, std::uint64_t from, std::uint64_t length) {
  if (from + length > image.size()) throw std::out_of_range("slice past the image");
  return Bytes(image.begin() + from, image.begin() + from + length);
}

Bytes SectorsOf(const Bytes& image, std::uint64_t offset, std::uint64_t size) {
  return Slice(image, offset * kSector, size * kSector);
}

OtherOpener::OtherOpener(const std::string& path) {
#ifdef _WIN32
  HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f != INVALID_HANDLE_VALUE) handle_ = reinterpret_cast<std::intptr_t>(f);
#else
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return;
  }
  handle_ = fd;
#endif
}

OtherOpener::~OtherOpener() {
  if (handle_ == -1) return;
#ifdef _WIN32
  CloseHandle(reinterpret_cast<HANDLE>(handle_));
#else
  ::close(static_cast<int>(handle_));
#endif
}

bool CanBeHeld(const std::string& path) { return OtherOpener(path).IsHeld(); }

int OpenInOtherProcess(const std::string& path) {
#ifdef _WIN32
  std::string command = "\"" + ProgramFolder() + "\\torvane_probe.exe\" \"" + path + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process)) {
    return -1;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
#else
  const std::string probe = ProgramFolder() + "/torvane_probe";
  const pid_t child = fork();
  if (child == 0) {
    execl(probe.c_str(), probe.c_str(), path.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}

}  // namespace tvtest
