// Files as bytes for tests, benchmarks and fuzzers: whole-file and positioned
// reads and writes, deterministic contents, and comparisons that say where two
// byte strings part.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

namespace wrenfield::testing {

// Raw bytes; any value, NUL included.
using Bytes = std::string;

// The whole file; empty when it is missing or cannot be read.
Bytes ReadAll(const std::string& path);
// Creates or empties the file and writes the bytes; throws std::runtime_error
// when that fails.
void WriteAll(const std::string& path, const Bytes& bytes);
// Writes bytes at pos, extending the file (sparsely where the system can).
void WriteAt(const std::string& path, std::uint64_t pos, const Bytes& bytes);
// Up to n bytes at pos.
Bytes ReadAt(const std::string& path, std::uint64_t pos, std::size_t n);
std::uint64_t FileSize(const std::string& path);
// Cuts the file, or lengthens it with zero bytes (sparsely where the system can).
void Resize(const std::string& path, std::uint64_t size);
bool Exists(const std::string& path);  // any kind of entry
void MakeDir(const std::string& path);
unsigned long ProcessId();

// Deterministic bytes, different for each seed and never zero, so that zero
// padding stands out.
Bytes Pattern(std::size_t n, unsigned seed);
// bytes followed by zero bytes up to the next whole 2048-byte sector: what an
// archive entry holds after the file was put in.
Bytes Padded(Bytes bytes);

// Every file of a folder tree (relative path -> bytes), folders as "<dir>".
std::map<std::string, Bytes> TreeSnapshot(const std::string& folder);

// "" when equal; otherwise the sizes and the first offset at which they part
// (binary contents are not printed).
std::string DescribeDifference(const Bytes& actual, const Bytes& expected);

}  // namespace wrenfield::testing
