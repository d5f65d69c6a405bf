#include "plot/png_image.h"

#include <algorithm>
#include <new>
#include <stdexcept>

#include <zlib.h>

namespace corvane::plot {

namespace {

void PutBigEndian(std::string& out, std::uint32_t v) {
  out += static_cast<char>(v >> 24);
  out += static_cast<char>(v >> 16);
  out += static_cast<char>(v >> 8);
  out += static_cast<char>(v);
}

void PutChunk(std::string& png, const char* type, const std::string& data) {
  PutBigEndian(png, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = png.size();
  png.append(type, 4);
  png += data;
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(png.data() + start);
  PutBigEndian(png, Crc32(bytes, png.size() - start));
}

}  // namespace

std::string ZlibCompress(const std::string& bytes) {
  uLongf size = compressBound(static_cast<uLong>(bytes.size()));
  std::string out(size, '\0');
  // A density picture is mostly runs of a few indexes: the default level packs them well and fast.
  const int status = compress2(reinterpret_cast<Bytef*>(out.data()), &size,
                               reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uLong>(bytes.size()),
                               Z_DEFAULT_COMPRESSION);
  if (status == Z_MEM_ERROR) throw std::bad_alloc();
  if (status != Z_OK) throw std::runtime_error("the picture could not be compressed");
  out.resize(size);
  return out;
}

std::uint32_t Crc32(const std::uint8_t* bytes, std::size_t n, std::uint32_t crc) {
  // zlib takes lengths in its own unsigned type: long inputs go in pieces.
  while (n > 0) {
    const uInt piece = static_cast<uInt>(std::min<std::size_t>(n, 1u << 30));
    crc = static_cast<std::uint32_t>(crc32(crc, bytes, piece));
    bytes += piece;
    n -= piece;
  }
  return crc;
}

std::string EncodeIndexedPng(std::uint32_t width, std::uint32_t height, const std::vector<PaletteEntry>& palette,
                             const std::vector<std::uint8_t>& indexes) {
  std::string png("\x89PNG\r\n\x1a\n", 8);
  std::string header;
  PutBigEndian(header, width);
  PutBigEndian(header, height);
  header += static_cast<char>(8);  // bits per index
  header += static_cast<char>(3);  // indexed colour
  header += std::string(3, '\0');  // deflate, adaptive filters, no interlace
  PutChunk(png, "IHDR", header);
  std::string colours, alphas;
  for (const PaletteEntry& e : palette) {
    colours += static_cast<char>(e.r);
    colours += static_cast<char>(e.g);
    colours += static_cast<char>(e.b);
    alphas += static_cast<char>(e.a);
  }
  PutChunk(png, "PLTE", colours);
  PutChunk(png, "tRNS", alphas);
  // Every row starts with filter 0 (none): a density picture is runs of one index, which zlib packs
  // well without a filter.
  std::string raw;
  raw.reserve(static_cast<std::size_t>(height) * (width + 1));
  for (std::uint32_t y = 0; y < height; ++y) {
    raw += '\0';
    raw.append(reinterpret_cast<const char*>(indexes.data()) + static_cast<std::size_t>(y) * width, width);
  }
  PutChunk(png, "IDAT", ZlibCompress(raw));
  PutChunk(png, "IEND", std::string());
  return png;
}

}  // namespace corvane::plot
