// The SHA-256 compression of whole 64-byte blocks: the portable code, and
// the x86 processors' SHA extensions where the processor has them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace wrenfield::sha256_blocks {

extern const std::uint32_t kRoundConstants[64];

void CompressPortable(std::uint32_t state[8], const std::uint8_t* blocks, std::size_t count);

// False, with nothing done, when the processor (or the compiler) lacks them.
bool CompressWithShaExtensions(std::uint32_t state[8], const std::uint8_t* blocks,
                               std::size_t count);

}  // namespace wrenfield::sha256_blocks
