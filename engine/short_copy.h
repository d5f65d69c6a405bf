// Copying the short texts a DXF is made of (codes, handles, layers, coordinates): a library call
// sized at run time, or a loop per byte, costs more than the copy itself for those.
#pragma once

#include <cstddef>
#include <cstring>

namespace corvane {

// Copies n bytes, at most 32, reading only [src, src + n) and writing only [dst, dst + n): two
// overlapping moves of a fixed size.
inline void CopyAtMost32(char* dst, const char* src, std::size_t n) {
  if (n >= 16) {
    std::memcpy(dst, src, 16);
    std::memcpy(dst + n - 16, src + n - 16, 16);
  } else if (n >= 8) {
    std::memcpy(dst, src, 8);
    std::memcpy(dst + n - 8, src + n - 8, 8);
  } else if (n >= 4) {
    std::memcpy(dst, src, 4);
    std::memcpy(dst + n - 4, src + n - 4, 4);
  } else if (n > 0) {
    dst[0] = src[0];
    dst[n / 2] = src[n / 2];
    dst[n - 1] = src[n - 1];
  }
}

// The same for any n; beyond 32 bytes the library does it.
inline void CopyShort(char* dst, const char* src, std::size_t n) {
  if (n > 32) {
    std::memcpy(dst, src, n);
  } else {
    CopyAtMost32(dst, src, n);
  }
}

}  // namespace corvane
