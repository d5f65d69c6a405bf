#include "plot/png_image.h"

#include <array>

namespace corvane::plot {

namespace {

const std::array<std::uint32_t, 256>& CrcTable() {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  return table;
}

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

// Writes deflate bits, least significant first, as the format packs them.
class BitWriter {
 public:
  explicit BitWriter(std::string& out) : out_(out) {}
  void Bits(std::uint32_t value, int count) {
    buffer_ |= static_cast<std::uint64_t>(value) << filled_;
    filled_ += count;
    while (filled_ >= 8) {
      out_ += static_cast<char>(buffer_ & 0xFF);
      buffer_ >>= 8;
      filled_ -= 8;
    }
  }
  // Huffman codes go most significant bit first.
  void Code(std::uint32_t code, int length) {
    std::uint32_t reversed = 0;
    for (int i = 0; i < length; ++i) reversed |= ((code >> i) & 1u) << (length - 1 - i);
    Bits(reversed, length);
  }
  void Flush() {
    if (filled_ > 0) Bits(0, 8 - filled_);
  }

 private:
  std::string& out_;
  std::uint64_t buffer_ = 0;
  int filled_ = 0;
};

// The fixed Huffman code of a literal/length symbol (0..287).
void PutSymbol(BitWriter& w, int symbol) {
  if (symbol < 144) {
    w.Code(0x30 + symbol, 8);
  } else if (symbol < 256) {
    w.Code(0x190 + (symbol - 144), 9);
  } else if (symbol < 280) {
    w.Code(symbol - 256, 7);
  } else {
    w.Code(0xC0 + (symbol - 280), 8);
  }
}

// A match of `length` (3..258) bytes at distance 1: the byte before, repeated.
void PutRepeat(BitWriter& w, int length) {
  static constexpr int kBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                    31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
  static constexpr int kExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                     2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
  int code = 28;
  while (kBase[code] > length) --code;
  PutSymbol(w, 257 + code);
  if (kExtra[code] > 0) w.Bits(static_cast<std::uint32_t>(length - kBase[code]), kExtra[code]);
  w.Code(0, 5);  // distance code 0: distance 1
}

}  // namespace

std::uint32_t Crc32(const std::uint8_t* bytes, std::size_t n, std::uint32_t crc) {
  const auto& table = CrcTable();
  std::uint32_t c = crc ^ 0xFFFFFFFFu;
  for (std::size_t i = 0; i < n; ++i) c = table[(c ^ bytes[i]) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

std::uint32_t Adler32(const std::uint8_t* bytes, std::size_t n) {
  std::uint32_t a = 1, b = 0;
  for (std::size_t i = 0; i < n; ++i) {
    a = (a + bytes[i]) % 65521;
    b = (b + a) % 65521;
  }
  return (b << 16) | a;
}

std::string ZlibCompress(const std::string& bytes) {
  std::string out;
  out += static_cast<char>(0x78);  // deflate, 32 KiB window
  out += static_cast<char>(0x01);  // no dictionary, fastest; 0x7801 is a multiple of 31
  BitWriter w(out);
  w.Bits(1, 1);  // the last block
  w.Bits(1, 2);  // fixed Huffman codes
  const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
  const std::size_t n = bytes.size();
  std::size_t i = 0;
  while (i < n) {
    PutSymbol(w, data[i]);
    std::size_t run = 0;
    while (i + 1 + run < n && data[i + 1 + run] == data[i] && run < 258) ++run;
    ++i;
    if (run >= 3) {
      PutRepeat(w, static_cast<int>(run));
      i += run;
    }
  }
  PutSymbol(w, 256);  // end of block
  w.Flush();
  PutBigEndian(out, Adler32(data, n));
  return out;
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
  // Every row starts with filter 0 (none): runs of one index are what the deflate above codes.
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
