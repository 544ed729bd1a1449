#include "archive_image.h"

#include <cstring>
#include <stdexcept>

#include "img_records.h"

namespace wrenfield::testing {
namespace {

unsigned char* At(Bytes& image, std::uint64_t position) {
  return reinterpret_cast<unsigned char*>(image.data()) + position;
}

const unsigned char* At(const Bytes& image, std::uint64_t position) {
  return reinterpret_cast<const unsigned char*>(image.data()) + position;
}

}  // namespace

void PutRecord(Bytes& image, std::size_t slot, const Record& record) {
  img::Entry entry;
  entry.offset = record.offset;
  entry.size = record.size;
  std::memcpy(entry.name, record.name.data(), record.name.size());
  img::EncodeEntry(entry, At(image, img::SlotPosition(slot)));
}

Bytes Header(std::int32_t count, const std::vector<Record>& records) {
  Bytes image(img::SlotPosition(records.size()), '\0');
  std::memcpy(At(image, 0), img::kMagic, sizeof img::kMagic);
  img::PutU32(At(image, img::kCountOffset), static_cast<std::uint32_t>(count));
  for (std::size_t i = 0; i < records.size(); ++i) PutRecord(image, i, records[i]);
  return image;
}

Bytes BuildArchive(const std::vector<Record>& records, std::uint64_t length) {
  const Bytes header = Header(static_cast<std::int32_t>(records.size()), records);
  Bytes image = header;
  for (std::size_t i = 0; i < records.size(); ++i) {
    const img::Entry entry{records[i].offset, records[i].size, {}};
    if (image.size() < entry.DataEnd()) image.resize(entry.DataEnd(), '\0');
    const Bytes data = Pattern(records[i].size * img::kSectorSize, static_cast<unsigned>(i + 1));
    image.replace(entry.DataBegin(), data.size(), data);
  }
  if (image.size() < length) image.resize(length, '\0');
  // Last, so that a record pointing into the directory does not overwrite it.
  image.replace(0, header.size(), header);
  return image;
}

std::int32_t CountOf(const Bytes& image) { return img::GetI32(At(image, img::kCountOffset)); }

Record RecordAt(const Bytes& image, std::size_t slot) {
  const img::Entry entry = img::DecodeEntry(At(image, img::SlotPosition(slot)));
  return {entry.offset, entry.size,
          std::string(reinterpret_cast<const char*>(entry.name), entry.NameLength())};
}

std::vector<Record> DirectoryOf(const Bytes& image) {
  std::vector<Record> records;
  for (std::int32_t i = 0; i < CountOf(image); ++i) records.push_back(RecordAt(image, i));
  return records;
}

Bytes Slice(const Bytes& image, std::uint64_t from, std::uint64_t length) {
  if (from + length > image.size()) throw std::out_of_range("slice past the image");
  return image.substr(from, length);
}

Bytes SectorsOf(const Bytes& image, std::uint64_t offset, std::uint64_t size) {
  return Slice(image, offset * img::kSectorSize, size * img::kSectorSize);
}

}  // namespace wrenfield::testing
