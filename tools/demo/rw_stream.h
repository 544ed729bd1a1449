// Writing model (.dff) and texture dictionary (.txd) files of the shape the game
// loads: chunk trees of the game's library version, padded to a wanted size.
// The demo mod's files are made with them, and the tests build their own
// sound, cut and foreign files from the same pieces.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace wrenfield::rw_stream {

inline constexpr std::uint32_t kGameStamp = 0x1803FFFF;  // library 3.6.0.3

// One chunk: type, body size and stamp (12 bytes, little-endian), then the body.
std::string Chunk(std::uint32_t type, const std::string& body, std::uint32_t stamp = kGameStamp);

// A clump with one frame, `geometries` geometries of one material each and one
// atomic; the geometries' data is padded so that the file is at least `size`
// bytes long.
std::string Clump(std::size_t size = 0, std::uint32_t stamp = kGameStamp,
                  std::size_t geometries = 1);

// A texture dictionary of `textures` textures named <name><n>, their pixel
// data padded so that the file is at least `size` bytes long.
std::string TextureDictionary(std::size_t textures, std::size_t size = 0,
                              std::uint32_t stamp = kGameStamp, const std::string& name = "tex");

}  // namespace wrenfield::rw_stream
