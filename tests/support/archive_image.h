// Archive images built and taken apart byte by byte with the format's own
// record codec, for the archive tests, the benchmarks and the fuzzer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "file_bytes.h"

namespace wrenfield::testing {

struct Record {
  std::uint32_t offset = 0;
  std::uint32_t size = 0;
  std::string name;  // up to 24 characters
};

// An archive image: "VER2", the count, the records (written last, over any
// data), then each record's sectors filled with Pattern(size * 2048, index + 1).
// The image ends at the last data sector unless `length` asks for more.
Bytes BuildArchive(const std::vector<Record>& records, std::uint64_t length = 0);
// The header and directory only, with the given count field.
Bytes Header(std::int32_t count, const std::vector<Record>& records);
void PutRecord(Bytes& image, std::size_t slot, const Record& record);

std::int32_t CountOf(const Bytes& image);
Record RecordAt(const Bytes& image, std::size_t slot);
// The records of the count field, as they stand in the image.
std::vector<Record> DirectoryOf(const Bytes& image);
Bytes Slice(const Bytes& image, std::uint64_t from, std::uint64_t length);
Bytes SectorsOf(const Bytes& image, std::uint64_t offset, std::uint64_t size);

}  // namespace wrenfield::testing
