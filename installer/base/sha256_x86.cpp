// SHA-256 blocks through the SHA extensions of x86 processors (most made
// since 2017), several times the speed of the portable code. Chosen once, by
// asking the processor; everything else runs the portable code.
#include "sha256_blocks.h"

#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__)
#include <cpuid.h>
#include <immintrin.h>

namespace wrenfield::sha256_blocks {
namespace {

bool ProcessorHasShaExtensions() {
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return false;
  const bool ssse3 = (ecx & (1u << 9)) != 0, sse41 = (ecx & (1u << 19)) != 0;
  if (!__get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx)) return false;
  return ssse3 && sse41 && (ebx & (1u << 29)) != 0;
}

#define WRENFIELD_SHA_TARGET __attribute__((target("sha,sse4.1,ssse3")))

// Four rounds on the state words held as ABEF and CDGH, as the instructions take them.
WRENFIELD_SHA_TARGET inline void FourRounds(__m128i& abef, __m128i& cdgh, __m128i words,
                                            const std::uint32_t* constants) {
  const __m128i wk =
      _mm_add_epi32(words, _mm_loadu_si128(reinterpret_cast<const __m128i*>(constants)));
  cdgh = _mm_sha256rnds2_epu32(cdgh, abef, wk);
  abef = _mm_sha256rnds2_epu32(abef, cdgh, _mm_shuffle_epi32(wk, 0x0E));
}

// The message schedule's next four words from the last sixteen, oldest first.
WRENFIELD_SHA_TARGET inline __m128i NextWords(__m128i w0, __m128i w1, __m128i w2, __m128i w3) {
  return _mm_sha256msg2_epu32(
      _mm_add_epi32(_mm_sha256msg1_epu32(w0, w1), _mm_alignr_epi8(w3, w2, 4)), w3);
}

WRENFIELD_SHA_TARGET void Compress(std::uint32_t state[8], const std::uint8_t* blocks,
                                   std::size_t count) {
  const __m128i byteSwap = _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);
  const __m128i cdab =
      _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(state)), 0xB1);
  const __m128i efgh =
      _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(state + 4)), 0x1B);
  __m128i abef = _mm_alignr_epi8(cdab, efgh, 8);
  __m128i cdgh = _mm_blend_epi16(efgh, cdab, 0xF0);

  for (; count > 0; --count, blocks += 64) {
    const __m128i abefBefore = abef, cdghBefore = cdgh;
    const auto* words = reinterpret_cast<const __m128i*>(blocks);
    __m128i w0 = _mm_shuffle_epi8(_mm_loadu_si128(words), byteSwap);
    __m128i w1 = _mm_shuffle_epi8(_mm_loadu_si128(words + 1), byteSwap);
    __m128i w2 = _mm_shuffle_epi8(_mm_loadu_si128(words + 2), byteSwap);
    __m128i w3 = _mm_shuffle_epi8(_mm_loadu_si128(words + 3), byteSwap);
    // Sixteen rounds at a time; the words for the next sixteen replace these.
    for (int quarter = 0; quarter < 4; ++quarter) {
      const std::uint32_t* constants = kRoundConstants + 16 * quarter;
      const bool more = quarter < 3;
      FourRounds(abef, cdgh, w0, constants);
      if (more) w0 = NextWords(w0, w1, w2, w3);
      FourRounds(abef, cdgh, w1, constants + 4);
      if (more) w1 = NextWords(w1, w2, w3, w0);
      FourRounds(abef, cdgh, w2, constants + 8);
      if (more) w2 = NextWords(w2, w3, w0, w1);
      FourRounds(abef, cdgh, w3, constants + 12);
      if (more) w3 = NextWords(w3, w0, w1, w2);
    }
    abef = _mm_add_epi32(abef, abefBefore);
    cdgh = _mm_add_epi32(cdgh, cdghBefore);
  }

  const __m128i feba = _mm_shuffle_epi32(abef, 0x1B);
  const __m128i dchg = _mm_shuffle_epi32(cdgh, 0xB1);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(state), _mm_blend_epi16(feba, dchg, 0xF0));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(state + 4), _mm_alignr_epi8(dchg, feba, 8));
}

}  // namespace

bool CompressWithShaExtensions(std::uint32_t state[8], const std::uint8_t* blocks,
                               std::size_t count) {
  static const bool available = ProcessorHasShaExtensions();
  if (!available) return false;
  Compress(state, blocks, count);
  return true;
}

}  // namespace wrenfield::sha256_blocks

#else

namespace wrenfield::sha256_blocks {

bool CompressWithShaExtensions(std::uint32_t*, const std::uint8_t*, std::size_t) { return false; }

}  // namespace wrenfield::sha256_blocks

#endif
