// Fuzzes the model and texture dictionary walkers over arbitrary file bytes,
// walked both in memory and through the file reader: the two walks must agree,
// and a dictionary cannot hold more textures than its bytes have room for.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "file_layer.h"
#include "rw_chunks.h"
#include "scratch_dir.h"

namespace {

using namespace wrenfield;

const std::string& FilePath() {
  static testing::ScratchDir scratch("fuzz-rw");
  static const std::string path = scratch.Path("input.bin");
  return path;
}

bool SameWalk(const rw::Walk& a, const rw::Walk& b) {
  return a.shape == b.shape && a.firstType == b.firstType && a.version == b.version &&
         a.textures == b.textures;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  {
    std::ofstream out(FilePath(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  const RandomAccessFile file(FilePath());
  const rw::ReadAt read = [&file](std::uint64_t pos, unsigned char* bytes, std::size_t n) {
    return file.ReadAt(pos, bytes, n);
  };
  for (const std::uint32_t wanted : {rw::kClump, rw::kTextureDictionary}) {
    const rw::Walk inMemory = rw::WalkBytes(data, size, wanted);
    if (!SameWalk(inMemory, rw::WalkFile(read, file.size(), wanted))) std::abort();
    // Each texture takes a header inside the dictionary's own.
    if (inMemory.textures > 0 && (inMemory.textures + 1) * rw::kHeaderSize > size) std::abort();
  }
  return 0;
}
