// The chunk walker over model and texture files built here: sound trees, every
// cut, children past their parent, foreign version stamps, and files far
// larger than memory would allow reading whole.
#include "rw_chunks.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "file_layer.h"
#include "rw_stream.h"
#include "scratch_dir.h"

namespace wrenfield {
namespace {

namespace build = rw_stream;
using testing::ScratchDir;

rw::Walk WalkText(const std::string& bytes, std::uint32_t wanted) {
  return rw::WalkBytes(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), wanted);
}

void PutU32(std::string& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}

TEST(RwChunks, StampsUnpackToTheirLibraryVersions) {
  EXPECT_EQ(rw::VersionOfStamp(0x1803FFFF), 0x36003u);  // this game
  EXPECT_EQ(rw::VersionOfStamp(0x0C02FFFF), 0x33002u);  // the first game of the series, PC
  EXPECT_EQ(rw::VersionOfStamp(0x1003FFFF), 0x34003u);  // the second one, PC
  EXPECT_EQ(rw::VersionOfStamp(0x00000310), 0x31000u);  // before 3.2: a plain version
}

TEST(RwChunks, SoundFilesOfTheGamesVersionPass) {
  const rw::Walk model = WalkText(build::Clump(), rw::kClump);
  EXPECT_EQ(model.shape, rw::Shape::kSound);
  EXPECT_EQ(model.version, rw::kGameVersion);

  const rw::Walk textures = WalkText(build::TextureDictionary(3, 5000), rw::kTextureDictionary);
  EXPECT_EQ(textures.shape, rw::Shape::kSound);
  EXPECT_EQ(textures.textures, 3u);
  EXPECT_EQ(WalkText(build::TextureDictionary(0), rw::kTextureDictionary).textures, 0u);

  // A UV animation dictionary ahead of the clump is skipped, as the game does.
  const std::string animated =
      build::Chunk(rw::kUvAnimationDictionary, std::string(40, 'x')) + build::Clump();
  EXPECT_EQ(WalkText(animated, rw::kClump).shape, rw::Shape::kSound);

  const rw::Walk older = WalkText(build::Clump(0, 0x1003FFFF), rw::kClump);
  EXPECT_EQ(older.shape, rw::Shape::kSound);
  EXPECT_EQ(older.version, 0x34003u);
}

TEST(RwChunks, OtherFirstChunksAreOfTheWrongType) {
  EXPECT_EQ(WalkText(build::TextureDictionary(1), rw::kClump).shape, rw::Shape::kWrongType);
  EXPECT_EQ(WalkText(build::Clump(), rw::kTextureDictionary).shape, rw::Shape::kWrongType);
  EXPECT_EQ(WalkText("", rw::kClump).shape, rw::Shape::kWrongType);
  EXPECT_EQ(WalkText(std::string(100, '\0'), rw::kClump).shape, rw::Shape::kWrongType);
}

TEST(RwChunks, EveryCutOfASoundFileIsFound) {
  for (const auto& [bytes, wanted] :
       {std::pair{build::Clump(), rw::kClump},
        std::pair{build::TextureDictionary(2, 600), rw::kTextureDictionary}}) {
    for (std::size_t length = 1; length < bytes.size(); ++length) {
      EXPECT_EQ(WalkText(bytes.substr(0, length), wanted).shape, rw::Shape::kCutShort)
          << "cut at " << length;
    }
  }
}

TEST(RwChunks, AChildRunningPastItsParentIsFound) {
  std::string bytes = build::Clump();
  // The clump's own struct (right after the clump's header) claims one byte more.
  PutU32(bytes, 16, 13);
  EXPECT_EQ(WalkText(bytes, rw::kClump).shape, rw::Shape::kCutShort);
  // A clump claiming 4 GiB in a small file.
  bytes = build::Clump();
  PutU32(bytes, 4, 0xFFFFFFFF);
  EXPECT_EQ(WalkText(bytes, rw::kClump).shape, rw::Shape::kCutShort);
}

// A 2 GiB file (sparse) walked through the file reader: answered from a few
// headers, never read whole.
TEST(RwChunks, HugeFilesAreWalkedHeaderByHeader) {
  ScratchDir dir("rwchunks");
  const std::string path = dir.Write("huge.dff", build::Clump(5000));
  {
    const RandomAccessFile file(path);
    EXPECT_EQ(file.size(), 5000u);
  }
  std::filesystem::resize_file(path, 2ULL << 30);
  const RandomAccessFile file(path);
  const rw::ReadAt read = [&file](std::uint64_t pos, unsigned char* bytes, std::size_t n) {
    return file.ReadAt(pos, bytes, n);
  };
  // The clump is sound; what follows it (zeros) is not looked at.
  EXPECT_EQ(rw::WalkFile(read, file.size(), rw::kClump).shape, rw::Shape::kSound);
  // A clump claiming the whole 2 GiB of zeros: empty chunks up to the walk's limit.
  std::string header = build::Chunk(rw::kClump, "");
  PutU32(header, 4, static_cast<std::uint32_t>((2LL << 30) - 12));
  dir.Write("zeros.dff", header);
  std::filesystem::resize_file(dir.Path("zeros.dff"), 2ULL << 30);
  const RandomAccessFile zeros(dir.Path("zeros.dff"));
  const rw::ReadAt readZeros = [&zeros](std::uint64_t pos, unsigned char* bytes, std::size_t n) {
    return zeros.ReadAt(pos, bytes, n);
  };
  EXPECT_NE(rw::WalkFile(readZeros, zeros.size(), rw::kClump).shape, rw::Shape::kWrongType);
}

}  // namespace
}  // namespace wrenfield
