#include "rw_stream.h"

#include <vector>

namespace wrenfield::rw_stream {
namespace {

constexpr std::uint32_t kStruct = 0x01, kString = 0x02, kExtension = 0x03, kTexture = 0x06,
                        kMaterial = 0x07, kMaterialList = 0x08, kFrameList = 0x0E, kGeometry = 0x0F,
                        kClump = 0x10, kAtomic = 0x14, kTextureNative = 0x15,
                        kTextureDictionary = 0x16, kGeometryList = 0x1A;

std::string U32(std::uint32_t value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>(value >> (8 * i));
  return bytes;
}

std::string U16(std::uint32_t value) { return U32(value).substr(0, 2); }

// Deterministic filler standing for vertices or pixels.
std::string Filler(std::size_t size, std::uint32_t seed) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) {
    seed = seed * 1103515245u + 12345u;
    bytes[i] = static_cast<char>(seed >> 24);
  }
  return bytes;
}

std::string Material(std::uint32_t stamp) {
  const std::string texture = Chunk(
      kTexture,
      Chunk(kStruct, U32(0x1106), stamp) + Chunk(kString, std::string("body\0\0\0\0", 8), stamp) +
          Chunk(kString, std::string(4, '\0'), stamp) + Chunk(kExtension, "", stamp),
      stamp);
  const std::string material = U32(0) + U32(0xFFFFFFFF) + U32(0) + U32(1) + U32(0x3F800000) +
                               U32(0x3F800000) + U32(0x3F800000);
  return Chunk(kMaterial, Chunk(kStruct, material, stamp) + texture + Chunk(kExtension, "", stamp),
               stamp);
}

std::string Geometry(std::size_t dataSize, std::uint32_t stamp) {
  const std::string materials = Chunk(
      kMaterialList, Chunk(kStruct, U32(1) + U32(0xFFFFFFFF), stamp) + Material(stamp), stamp);
  // Flags, triangle, vertex and morph target counts, then the data.
  const std::string header = U32(0x00010076) + U32(0) + U32(0) + U32(1);
  return Chunk(kGeometry,
               Chunk(kStruct, header + Filler(dataSize, 3), stamp) + materials +
                   Chunk(kExtension, "", stamp),
               stamp);
}

}  // namespace

std::string Chunk(std::uint32_t type, const std::string& body, std::uint32_t stamp) {
  return U32(type) + U32(static_cast<std::uint32_t>(body.size())) + U32(stamp) + body;
}

std::string Clump(std::size_t size, std::uint32_t stamp, std::size_t geometries) {
  const std::string frame =
      std::string(36, '\0') + U32(0) + U32(0) + U32(0) + U32(0xFFFFFFFF) + U32(0);
  const std::string frames = Chunk(
      kFrameList, Chunk(kStruct, U32(1) + frame, stamp) + Chunk(kExtension, "", stamp), stamp);
  const std::string atomic =
      Chunk(kAtomic,
            Chunk(kStruct, U32(0) + U32(0) + U32(5) + U32(0), stamp) + Chunk(kExtension, "", stamp),
            stamp);
  const auto build = [&](std::size_t dataEach) {
    std::string list = Chunk(kStruct, U32(static_cast<std::uint32_t>(geometries)), stamp);
    for (std::size_t i = 0; i < geometries; ++i) list += Geometry(dataEach, stamp);
    return Chunk(kClump,
                 Chunk(kStruct, U32(1) + U32(0) + U32(0), stamp) + frames +
                     Chunk(kGeometryList, list, stamp) + atomic + Chunk(kExtension, "", stamp),
                 stamp);
  };
  const std::size_t bare = build(0).size();
  const std::size_t each =
      geometries == 0 || size <= bare ? 0 : (size - bare + geometries - 1) / geometries;
  return build(each);
}

std::string TextureDictionary(std::size_t textures, std::size_t size, std::uint32_t stamp,
                              const std::string& name) {
  const auto build = [&](std::size_t pixelsEach) {
    std::string body = Chunk(kStruct, U16(static_cast<std::uint32_t>(textures)) + U16(0), stamp);
    for (std::size_t i = 0; i < textures; ++i) {
      std::string texName = name + std::to_string(i);
      texName.resize(32, '\0');
      // Platform 9 (Direct3D 8), filter and addressing, names, raster header.
      const std::string native = U32(9) + U32(0x1106) + texName + std::string(32, '\0') +
                                 U32(0x500) + U32(0) + U16(64) + U16(64) + std::string(1, 16) +
                                 std::string(1, 1) + std::string(1, 4) + std::string(1, 8) +
                                 U32(static_cast<std::uint32_t>(pixelsEach)) +
                                 Filler(pixelsEach, static_cast<std::uint32_t>(i + 11));
      body += Chunk(kTextureNative, Chunk(kStruct, native, stamp) + Chunk(kExtension, "", stamp),
                    stamp);
    }
    return Chunk(kTextureDictionary, body + Chunk(kExtension, "", stamp), stamp);
  };
  const std::size_t bare = build(0).size();
  const std::size_t each =
      textures == 0 || size <= bare ? 0 : (size - bare + textures - 1) / textures;
  return build(each);
}

}  // namespace wrenfield::rw_stream
