#include "sha256.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "file_bytes.h"
#include "scratch_dir.h"
#include "sha256_blocks.h"

namespace wrenfield {
namespace {

// The test vectors of FIPS 180-4's examples and of the NIST byte-oriented set.
TEST(Sha256, KnownVectors) {
  EXPECT_EQ(Sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(Sha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  EXPECT_EQ(Sha256Hex(std::string(1000000, 'a')),
            "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
  EXPECT_EQ(Sha256Hex(std::string(55, 'a')),  // the length still fits the last block
            "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318");
  EXPECT_EQ(Sha256Hex(std::string(56, 'a')),  // it needs a block of its own
            "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a");
}

TEST(Sha256, PiecesOfAnySizeGiveTheDigestOfTheWhole) {
  const std::string bytes = testing::Pattern(200003, 7);
  const std::string whole = Sha256Hex(bytes);
  for (const std::size_t piece : {1u, 63u, 64u, 65u, 4096u, 65536u}) {
    Sha256 hash;
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
      hash.Update(bytes.data() + at, std::min(piece, bytes.size() - at));
    }
    EXPECT_EQ(HexDigest(hash.Finish()), whole) << piece;
  }
  testing::ScratchDir folder;
  EXPECT_EQ(Sha256OfFile(folder.Write("entry.bin", bytes)), whole);
}

TEST(Sha256, ProcessorExtensionsGiveThePortableCodesState) {
  const std::string bytes = testing::Pattern(64 * 37, 11);
  const auto* blocks = reinterpret_cast<const std::uint8_t*>(bytes.data());
  std::uint32_t portable[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                               0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
  std::uint32_t extensions[8];
  std::copy(portable, portable + 8, extensions);
  if (!sha256_blocks::CompressWithShaExtensions(extensions, blocks, 37)) {
    GTEST_SKIP() << "this processor has no SHA extensions";
  }
  sha256_blocks::CompressPortable(portable, blocks, 37);
  EXPECT_TRUE(std::equal(portable, portable + 8, extensions));
}

}  // namespace
}  // namespace wrenfield
