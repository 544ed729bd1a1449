// Walking the chunk tree of a model (.dff) or texture dictionary (.txd) file a
// header at a time: 12 bytes are read per chunk and the rest is skipped, so the
// memory used does not grow with the file, however large it is or claims to be.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace wrenfield::rw {

inline constexpr std::uint32_t kExtension = 0x03;
inline constexpr std::uint32_t kClump = 0x10;
inline constexpr std::uint32_t kTextureNative = 0x15;
inline constexpr std::uint32_t kTextureDictionary = 0x16;
// Stored ahead of the clump in some models; the game skips it.
inline constexpr std::uint32_t kUvAnimationDictionary = 0x2B;

inline constexpr std::size_t kHeaderSize = 12;
// The game's own library version, 3.6.0.3, as its stamp 0x1803FFFF unpacks.
inline constexpr std::uint32_t kGameVersion = 0x36003;

// The library version a stamp stands for (0xVJNBB: 3.6.0.3 is 0x36003). Stamps
// before 3.2 hold only 0xVJN in their low 16 bits and no build number.
std::uint32_t VersionOfStamp(std::uint32_t stamp);

// Reads exactly n bytes at pos; false when the data ends first or a read fails.
using ReadAt = std::function<bool(std::uint64_t pos, unsigned char* bytes, std::size_t n)>;

enum class Shape {
  kSound,      // the first chunk has the wanted type and its tree fits the file
  kWrongType,  // the first chunk is of another type (or the file is empty)
  kCutShort,   // a chunk header or body runs past its parent or the file's end
};

struct Walk {
  Shape shape = Shape::kWrongType;
  std::uint32_t firstType = 0;  // the type of the first chunk read
  std::uint32_t version = 0;    // the version of the wanted chunk's stamp
  std::size_t textures = 0;     // texture chunks directly in a dictionary
};

// Walks the file of `size` bytes whose first chunk must be of type `wanted`
// (kClump or kTextureDictionary). The walk visits at most a fixed number of
// chunks and levels; a tree larger than that counts as sound past that point.
Walk WalkFile(const ReadAt& read, std::uint64_t size, std::uint32_t wanted);

// The walk of a whole file held in memory.
Walk WalkBytes(const unsigned char* bytes, std::size_t size, std::uint32_t wanted);

}  // namespace wrenfield::rw
