// Which of a coordinate text's bytes are digits, and where its sign and its point stand, found for
// sixteen bytes at once, so that the common route of the formatter takes a whole text in one look
// instead of a byte at a time. Internal to the coordinate formatter, its tests and its fuzzer.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define CORVANE_COORDINATE_SSE2 1
#endif

#include "engine/format_coordinate_scan.h"

namespace corvane::coordinate_detail {

// Bit i set where byte i of `bytes` (little-endian) has its high bit set; `bytes` holds nothing else.
CORVANE_COORDINATE_INLINE std::uint32_t GatherHighBits(std::uint64_t bytes) {
  // Each high bit moved to the bottom of its byte, then all eight added into the top byte, byte i to
  // bit i; no two of the partial products meet, so nothing carries.
  return static_cast<std::uint32_t>(((bytes >> 7) * 0x0102040810204080ULL) >> 56);
}

// Bit i set where byte i of `bytes` is not '0'..'9'.
CORVANE_COORDINATE_INLINE std::uint32_t NonDigitMask(std::uint64_t bytes) {
  return GatherHighBits(NonDigitBytes(bytes));
}

// Bit i set where byte i of `bytes` is '.'.
CORVANE_COORDINATE_INLINE std::uint32_t PointMask(std::uint64_t bytes) {
  constexpr std::uint64_t kOnes = 0x0101010101010101;
  const std::uint64_t x = bytes ^ (kOnes * '.');  // points become zero bytes
  // As in NonDigitBytes: the low seven bits plus 0x7F reach the high bit unless they are all zero,
  // and a byte of 0x80 or above carries its own; no addition carries into the next byte.
  const std::uint64_t nonzero = (((x & (kOnes * 0x7F)) + kOnes * 0x7F) | x) & (kOnes * 0x80);
  return GatherHighBits(~nonzero & (kOnes * 0x80));
}

// Bit i of each mask stands for byte i of the sixteen; bits 16 and above are clear.
struct SixteenBytes {
  std::uint32_t digits;  // '0'..'9'
  // Bit 0: byte 0 is '-'; bit i >= 1: byte i is '.'. A coordinate's sign can only be its first byte,
  // and its point never is, so one mask serves for both.
  std::uint32_t marks;
};

// Eight bytes as an integer, byte i in bits 8i to 8i + 7, whatever the target's byte order.
CORVANE_COORDINATE_INLINE std::uint64_t LoadEightLittleEndian(const char* p) {
  std::uint64_t bytes;
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(&bytes, p, 8);
  } else {
    bytes = 0;
    for (int i = 7; i >= 0; --i) bytes = (bytes << 8) | static_cast<unsigned char>(p[i]);
  }
  return bytes;
}

// Eight bytes at a time in plain integers, for targets without SSE2.
CORVANE_COORDINATE_INLINE SixteenBytes ClassifySixteenPortable(const char* p) {
  const std::uint64_t low = LoadEightLittleEndian(p);
  const std::uint64_t high = LoadEightLittleEndian(p + 8);
  const std::uint32_t digits = (NonDigitMask(low) | (NonDigitMask(high) << 8)) ^ 0xFFFFu;
  const std::uint32_t points = PointMask(low) | (PointMask(high) << 8);
  return {digits, (points & ~1u) | (p[0] == '-' ? 1u : 0u)};
}

#if defined(CORVANE_COORDINATE_SSE2)
// One unaligned load and two compares.
CORVANE_COORDINATE_INLINE SixteenBytes ClassifySixteenSse2(const char* p) {
  const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  // SSE2 compares bytes as signed: moved by 0x50, '0'..'9' become -128..-119, the only bytes below -118.
  const __m128i moved = _mm_add_epi8(bytes, _mm_set1_epi8(static_cast<char>(0x80 - '0')));
  const __m128i digits = _mm_cmplt_epi8(moved, _mm_set1_epi8(-118));
  const __m128i marks =
      _mm_cmpeq_epi8(bytes, _mm_setr_epi8('-', '.', '.', '.', '.', '.', '.', '.', '.', '.', '.', '.', '.', '.', '.', '.'));
  return {static_cast<std::uint32_t>(_mm_movemask_epi8(digits)), static_cast<std::uint32_t>(_mm_movemask_epi8(marks))};
}
#endif

// Classifies the sixteen bytes at `p`, all of which must be readable.
CORVANE_COORDINATE_INLINE SixteenBytes ClassifySixteen(const char* p) {
#if defined(CORVANE_COORDINATE_SSE2)
  return ClassifySixteenSse2(p);
#else
  return ClassifySixteenPortable(p);
#endif
}

}  // namespace corvane::coordinate_detail
