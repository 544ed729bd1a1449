// SHA-256 (FIPS 180-4), fed a piece at a time so that a file of any size is
// hashed through a small buffer. The install record names every file and
// archive entry it changes by this digest.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace wrenfield {

class Sha256 {
 public:
  using Digest = std::array<std::uint8_t, 32>;

  Sha256();
  void Update(const void* data, std::size_t size);
  void Update(std::string_view bytes) { Update(bytes.data(), bytes.size()); }
  // The digest of everything fed so far; the object is spent afterwards.
  Digest Finish();

 private:
  void Compress(const std::uint8_t* blocks, std::size_t count);

  std::uint32_t state_[8];
  std::uint8_t block_[64];
  std::size_t blockUsed_ = 0;
  std::uint64_t totalBytes_ = 0;
};

// The digest as 64 lower-case hexadecimal digits.
std::string HexDigest(const Sha256::Digest& digest);

// The hexadecimal digest of the bytes.
std::string Sha256Hex(std::string_view bytes);

// The hexadecimal digest of the file's content, read a piece at a time.
// Throws the file layer's open error.
std::string Sha256OfFile(const std::string& path);

}  // namespace wrenfield
