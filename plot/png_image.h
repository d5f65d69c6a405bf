// A PNG encoder for the density pictures: 8-bit indexed colour with a transparency table, its image
// data compressed by zlib.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace corvane::plot {

struct PaletteEntry {
  std::uint8_t r = 0, g = 0, b = 0, a = 255;
};

// The PNG file of a width x height image of palette indexes (row by row, top row first). At most
// 256 palette entries; every index must name one.
std::string EncodeIndexedPng(std::uint32_t width, std::uint32_t height, const std::vector<PaletteEntry>& palette,
                             const std::vector<std::uint8_t>& indexes);

// The zlib stream (RFC 1950) of `bytes`, as the PNG's image data holds it.
std::string ZlibCompress(const std::string& bytes);

// CRC-32 as PNG chunks use it.
std::uint32_t Crc32(const std::uint8_t* bytes, std::size_t n, std::uint32_t crc = 0);

}  // namespace corvane::plot
