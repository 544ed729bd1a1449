#include "file_bytes.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace wrenfield::testing {

Bytes ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) throw std::runtime_error("cannot write " + path);
}

#ifdef _WIN32

namespace {

// The file opened for the call and positioned at pos.
HANDLE OpenAt(const std::string& path, DWORD access, DWORD disposition, std::uint64_t pos) {
  HANDLE file =
      CreateFileA(path.c_str(), access, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open " + path);
  LARGE_INTEGER at;
  at.QuadPart = static_cast<LONGLONG>(pos);
  if (!SetFilePointerEx(file, at, nullptr, FILE_BEGIN)) {
    CloseHandle(file);
    throw std::runtime_error("cannot seek in " + path);
  }
  return file;
}

}  // namespace

void WriteAt(const std::string& path, std::uint64_t pos, const Bytes& bytes) {
  HANDLE file = OpenAt(path, GENERIC_WRITE, OPEN_ALWAYS, pos);
  DWORD moved = 0;
  const bool ok =
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &moved, nullptr) &&
      moved == bytes.size();
  CloseHandle(file);
  if (!ok) throw std::runtime_error("cannot write " + path);
}

Bytes ReadAt(const std::string& path, std::uint64_t pos, std::size_t n) {
  Bytes bytes(n, '\0');
  HANDLE file = OpenAt(path, GENERIC_READ, OPEN_EXISTING, pos);
  DWORD moved = 0;
  const bool ok = ReadFile(file, bytes.data(), static_cast<DWORD>(n), &moved, nullptr);
  CloseHandle(file);
  if (!ok) throw std::runtime_error("cannot read " + path);
  bytes.resize(moved);
  return bytes;
}

unsigned long ProcessId() { return GetCurrentProcessId(); }

#else

void WriteAt(const std::string& path, std::uint64_t pos, const Bytes& bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) throw std::runtime_error("cannot open " + path);
  const bool ok = ::pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(pos)) ==
                  static_cast<ssize_t>(bytes.size());
  ::close(fd);
  if (!ok) throw std::runtime_error("cannot write " + path);
}

Bytes ReadAt(const std::string& path, std::uint64_t pos, std::size_t n) {
  Bytes bytes(n, '\0');
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw std::runtime_error("cannot open " + path);
  const ssize_t got = ::pread(fd, bytes.data(), n, static_cast<off_t>(pos));
  ::close(fd);
  if (got < 0) throw std::runtime_error("cannot read " + path);
  bytes.resize(static_cast<std::size_t>(got));
  return bytes;
}

unsigned long ProcessId() { return static_cast<unsigned long>(::getpid()); }

#endif

std::uint64_t FileSize(const std::string& path) { return fs::file_size(path); }

void Resize(const std::string& path, std::uint64_t size) { fs::resize_file(path, size); }

bool Exists(const std::string& path) {
  std::error_code ignored;
  return fs::exists(fs::path(path), ignored);
}

void MakeDir(const std::string& path) { fs::create_directories(fs::path(path)); }

Bytes Pattern(std::size_t n, unsigned seed) {
  Bytes bytes(n, '\0');
  std::uint32_t x = seed * 2654435761u + 12345u;
  for (char& b : bytes) {
    x = x * 1103515245u + 12345u;
    b = static_cast<char>((x >> 16) | 1);
  }
  return bytes;
}

Bytes Padded(Bytes bytes) {
  bytes.append((2048 - bytes.size() % 2048) % 2048, '\0');
  return bytes;
}

std::map<std::string, Bytes> TreeSnapshot(const std::string& folder) {
  std::map<std::string, Bytes> tree;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    const std::string relative = fs::relative(entry.path(), folder).string();
    tree[relative] = entry.is_directory() ? "<dir>" : ReadAll(entry.path().string());
  }
  return tree;
}

std::string DescribeDifference(const Bytes& actual, const Bytes& expected) {
  if (actual == expected) return "";
  std::size_t at = 0;
  while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
  return std::to_string(actual.size()) + " bytes where " + std::to_string(expected.size()) +
         " were expected; first difference at byte " + std::to_string(at);
}

}  // namespace wrenfield::testing
