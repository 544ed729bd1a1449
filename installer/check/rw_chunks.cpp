#include "rw_chunks.h"

#include <cstring>

namespace wrenfield::rw {
namespace {

constexpr int kMaxDepth = 32;
// Enough for any real model (a few thousand chunks); a hostile file of tiny
// chunks stops here instead of costing a read per 12 bytes of a huge file.
constexpr std::size_t kMaxChunks = 1u << 18;

struct Header {
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  std::uint32_t stamp = 0;
};

std::uint32_t U32(const unsigned char* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
         std::uint32_t{p[3]} << 24;
}

// The chunks whose body is a list of chunks. Others (struct, string, the
// plugin data inside an extension) hold plain data and are skipped whole.
bool HoldsChunks(std::uint32_t type) {
  switch (type) {
    case kExtension:
    case 0x06:  // texture
    case 0x07:  // material
    case 0x08:  // material list
    case 0x0E:  // frame list
    case 0x0F:  // geometry
    case kClump:
    case 0x14:  // atomic
    case kTextureNative:
    case kTextureDictionary:
    case 0x1A:  // geometry list
      return true;
    default:
      return false;
  }
}

class Walker {
 public:
  Walker(const ReadAt& read, std::uint64_t size) : read_(read), size_(size) {}

  bool ReadHeader(std::uint64_t pos, std::uint64_t end, Header& header) {
    unsigned char bytes[kHeaderSize];
    if (end - pos < kHeaderSize || !read_(pos, bytes, kHeaderSize)) return false;
    header = {U32(bytes), U32(bytes + 4), U32(bytes + 8)};
    return true;
  }

  // Walks the chunks between begin and end, the body of a chunk of parentType;
  // false when one does not fit.
  bool Children(std::uint64_t begin, std::uint64_t end, std::uint32_t parentType, int depth,
                Walk& walk) {
    std::uint64_t pos = begin;
    while (pos < end) {
      if (++visited_ > kMaxChunks) return true;
      Header header;
      if (!ReadHeader(pos, end, header)) return false;
      const std::uint64_t bodyEnd = pos + kHeaderSize + header.size;
      if (bodyEnd > end) return false;
      if (parentType == kTextureDictionary && header.type == kTextureNative) ++walk.textures;
      if (HoldsChunks(header.type) && depth < kMaxDepth &&
          !Children(pos + kHeaderSize, bodyEnd, header.type, depth + 1, walk)) {
        return false;
      }
      pos = bodyEnd;
    }
    return true;
  }

  Walk File(std::uint32_t wanted) {
    Walk walk;
    Header header;
    std::uint64_t pos = 0;
    if (size_ == 0) return walk;
    if (!ReadHeader(pos, size_, header)) return Cut(walk);
    walk.firstType = header.type;
    if (wanted == kClump && header.type == kUvAnimationDictionary) {
      pos = kHeaderSize + std::uint64_t{header.size};
      if (pos >= size_ || !ReadHeader(pos, size_, header)) return Cut(walk);
    }
    if (header.type != wanted) return walk;
    walk.version = VersionOfStamp(header.stamp);
    const std::uint64_t end = pos + kHeaderSize + header.size;
    if (end > size_ || !Children(pos + kHeaderSize, end, header.type, 1, walk)) return Cut(walk);
    walk.shape = Shape::kSound;
    return walk;
  }

 private:
  static Walk Cut(Walk walk) {
    walk.shape = Shape::kCutShort;
    return walk;
  }

  const ReadAt& read_;
  std::uint64_t size_;
  std::size_t visited_ = 0;
};

}  // namespace

std::uint32_t VersionOfStamp(std::uint32_t stamp) {
  if ((stamp & 0xFFFF0000u) == 0) return stamp << 8;
  return (((stamp >> 14) & 0x3FF00u) + 0x30000u) | ((stamp >> 16) & 0x3Fu);
}

Walk WalkFile(const ReadAt& read, std::uint64_t size, std::uint32_t wanted) {
  return Walker(read, size).File(wanted);
}

Walk WalkBytes(const unsigned char* bytes, std::size_t size, std::uint32_t wanted) {
  const ReadAt read = [bytes, size](std::uint64_t pos, unsigned char* out, std::size_t n) {
    if (pos > size || size - pos < n) return false;
    std::memcpy(out, bytes + pos, n);
    return true;
  };
  return WalkFile(read, size, wanted);
}

}  // namespace wrenfield::rw
